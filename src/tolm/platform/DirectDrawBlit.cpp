// The surface blit, defined exactly where the system's was loose: a null rectangle is the whole surface,
// a rectangle that is empty or reaches outside its surface is refused (unless a clipper cuts the
// destination), equal sizes copy, and other sizes take for destination column i of a rectangle dw wide
// the source column left + ((2i + 1) * sw) / (2 * dw), the source pixel under the destination pixel's
// centre (rows alike). A colour key compares the pixel's colour bits only.
#include "platform/DirectDraw.h"
#include "platform/DirectDrawSeam.h"
#include "platform/Window.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace Platform {

namespace {

bool IsEmpty(const RECT& rect)
{
    return rect.right <= rect.left || rect.bottom <= rect.top;
}

bool IsInside(const RECT& rect, int width, int height)
{
    return rect.left >= 0 && rect.top >= 0 && rect.right <= width && rect.bottom <= height;
}

RECT Intersect(const RECT& a, const RECT& b)
{
    RECT result{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
    if (IsEmpty(result)) {
        return RECT{};
    }
    return result;
}

// The source index under the centre of destination index i of a span `to` long taken from one `from` long.
int32_t SourceIndex(int64_t i, int64_t from, int64_t to)
{
    return int32_t(((2 * i + 1) * from) / (2 * to));
}

uint32_t ColourBitsMask(SurfaceLayout layout)
{
    if (layout == SurfaceLayout::Palette8) {
        return 0xFF;
    }
    const SurfaceLayoutInfo& info = InfoOf(layout);
    return info.redMask | info.greenMask | info.blueMask;
}

// Whether a pixel's colour bits lie within the key's range, as one unsigned comparison; without a key
// nothing lies within it.
class KeyTest
{
public:
    KeyTest() = default;
    KeyTest(uint32_t colourMask, const DDCOLORKEY& key)
    {
        if (key.low <= key.high) {
            mask = colourMask;
            low = key.low;
            span = key.high - key.low;
        }
    }

    bool Skips(uint32_t value) const { return (value & mask) - low <= span; }

private:
    uint32_t mask = 0;
    uint32_t low = 1;
    uint32_t span = 0;
};

// Keyed pixels are random in a picture, so the choice is made without a branch.
template <typename Pixel>
Pixel Keyed(Pixel under, Pixel value, const KeyTest& key)
{
    Pixel keep = Pixel(0) - Pixel(key.Skips(value));
    return Pixel((under & keep) | (value & ~keep));
}

template <typename Pixel>
void CopyKeyedRow(Pixel* out, const Pixel* in, int count, const KeyTest& key)
{
    for (int i = 0; i < count; ++i) {
        out[i] = Keyed(out[i], in[i], key);
    }
}

// One destination row from a row of source pixels: the columns map picks the source column of each.
template <typename Pixel>
void StretchRow(Pixel* out, const Pixel* in, const std::vector<int32_t>& columns, const KeyTest* key)
{
    if (!key) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            out[i] = in[columns[i]];
        }
        return;
    }
    for (std::size_t i = 0; i < columns.size(); ++i) {
        out[i] = Keyed(out[i], in[columns[i]], *key);
    }
}

// For the 8- and 24-bit layouts, which only tests use.
void StretchRowBytes(uint8_t* destination, const uint8_t* source, const std::vector<int32_t>& columns,
                     const KeyTest& key, int bytesPerPixel)
{
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const uint8_t* in = source + std::size_t(columns[i]) * std::size_t(bytesPerPixel);
        if (!key.Skips(ReadPixelValue(in, bytesPerPixel))) {
            std::memcpy(destination + i * std::size_t(bytesPerPixel), in, std::size_t(bytesPerPixel));
        }
    }
}

} // namespace

HRESULT IDirectDrawSurface7::ResolveBlitRects(const RECT* destRect, const IDirectDrawSurface7& source,
                                              const RECT* sourceRect, RECT& dest, RECT& from, RECT& visible) const
{
    from = sourceRect ? *sourceRect : RECT{0, 0, source.width, source.height};
    dest = destRect ? *destRect : RECT{0, 0, width, height};
    if (IsEmpty(from) || !IsInside(from, source.width, source.height) || IsEmpty(dest)) {
        return DDERR_INVALIDRECT;
    }
    RECT bounds{0, 0, width, height};
    if (!clipper) {
        if (!IsInside(dest, width, height)) {
            return DDERR_INVALIDRECT;
        }
        visible = dest;
        return DD_OK;
    }
    visible = Intersect(dest, bounds);
    if (Window* window = Window::FromHandle(clipper->GetWindow())) {
        ScreenRect client = window->ClientRectOnScreen();
        visible = Intersect(visible, RECT{client.x, client.y, client.x + client.width, client.y + client.height});
    }
    return DD_OK;
}

HRESULT IDirectDrawSurface7::Blt(const RECT* destRect, IDirectDrawSurface7* source, const RECT* sourceRect,
                                 uint32_t flags, const DDBLTFX*)
{
    if (HRESULT injected = DirectDrawSeam::Injected("Blt"); Failed(injected)) {
        return injected;
    }
    if (!source) {
        return DDERR_INVALIDPARAMS;
    }
    for (const IDirectDrawSurface7* surface :
         {static_cast<const IDirectDrawSurface7*>(this), static_cast<const IDirectDrawSurface7*>(source)}) {
        if (HRESULT usable = surface->CheckUsable(); Failed(usable)) {
            return usable;
        }
    }
    if (source->layout != layout) {
        return DDERR_INVALIDPIXELFORMAT;
    }
    const DDCOLORKEY* key = nullptr;
    if ((flags & DDBLT_KEYSRC) != 0) {
        if (!source->sourceKey) {
            return DDERR_NOCOLORKEY;
        }
        key = &*source->sourceKey;
    }
    RECT dest;
    RECT from;
    RECT visible;
    if (HRESULT rects = ResolveBlitRects(destRect, *source, sourceRect, dest, from, visible); Failed(rects)) {
        return rects;
    }
    if (source->heldNewer) {
        source->TakeHeldPicture(false);
    }
    SurfaceHolder* held = holder.load();
    bool wholeDestination = visible.left == dest.left && visible.top == dest.top && visible.right == dest.right &&
                            visible.bottom == dest.bottom;
    if (heldNewer && held && wholeDestination && held->DrawBlt(*this, dest, *source, from, key)) {
        return DD_OK;
    }
    TakeHeldPicture(false);
    ++memoryChanges;
    if (!IsEmpty(visible)) {
        bool sameSize =
            dest.right - dest.left == from.right - from.left && dest.bottom - dest.top == from.bottom - from.top;
        if (sameSize && source != this) {
            CopyRows(*source, dest, from, visible, key);
        } else {
            StretchRows(*source, dest, from, visible, key);
        }
    }
    if (IsPrimary()) {
        owner->Present(*this, false);
    }
    return DD_OK;
}

void IDirectDrawSurface7::CopyRows(const IDirectDrawSurface7& source, const RECT& dest, const RECT& from,
                                   const RECT& visible, const DDCOLORKEY* colourKey)
{
    int bytes = BytesPerPixel(layout);
    int count = visible.right - visible.left;
    int sourceX = from.left + (visible.left - dest.left);
    KeyTest key = colourKey ? KeyTest(ColourBitsMask(layout), *colourKey) : KeyTest();
    for (int y = visible.top; y < visible.bottom; ++y) {
        uint8_t* out = Row(y) + std::size_t(visible.left) * std::size_t(bytes);
        const uint8_t* in = source.Row(from.top + (y - dest.top)) + std::size_t(sourceX) * std::size_t(bytes);
        if (!colourKey) {
            std::memcpy(out, in, std::size_t(count) * std::size_t(bytes));
        } else if (bytes == 2) {
            CopyKeyedRow(reinterpret_cast<uint16_t*>(out), reinterpret_cast<const uint16_t*>(in), count, key);
        } else if (bytes == 4) {
            CopyKeyedRow(reinterpret_cast<uint32_t*>(out), reinterpret_cast<const uint32_t*>(in), count, key);
        } else {
            std::vector<int32_t> columns(static_cast<std::size_t>(count));
            for (int i = 0; i < count; ++i) {
                columns[std::size_t(i)] = i;
            }
            StretchRowBytes(out, in, columns, key, bytes);
        }
    }
}

void IDirectDrawSurface7::StretchRows(const IDirectDrawSurface7& source, const RECT& dest, const RECT& from,
                                      const RECT& visible, const DDCOLORKEY* colourKey)
{
    int64_t destWidth = dest.right - dest.left;
    int64_t destHeight = dest.bottom - dest.top;
    int64_t fromWidth = from.right - from.left;
    int64_t fromHeight = from.bottom - from.top;
    std::vector<int32_t> columns(std::size_t(visible.right - visible.left));
    for (std::size_t i = 0; i < columns.size(); ++i) {
        columns[i] = from.left + SourceIndex(int64_t(visible.left - dest.left) + int64_t(i), fromWidth, destWidth);
    }
    KeyTest key = colourKey ? KeyTest(ColourBitsMask(layout), *colourKey) : KeyTest();
    // A blit within one surface reads what it is about to overwrite: the source rows are copied first.
    std::vector<uint8_t> copy;
    int copyTop = from.top;
    if (&source == this) {
        copy.assign(source.Row(from.top), source.Row(from.top) + std::size_t(pitch) * std::size_t(fromHeight));
    }
    int bytes = BytesPerPixel(layout);
    std::size_t rowBytes = columns.size() * std::size_t(bytes);
    const KeyTest* keyed = colourKey ? &key : nullptr;
    int previousY = -1;
    for (int y = visible.top; y < visible.bottom; ++y) {
        int sourceY = from.top + SourceIndex(y - dest.top, fromHeight, destHeight);
        uint8_t* out = Row(y) + std::size_t(visible.left) * std::size_t(bytes);
        // An enlarged row repeats the one above, unless the key lets the destination show through.
        if (sourceY == previousY && !keyed) {
            std::memcpy(out, out - pitch, rowBytes);
            continue;
        }
        previousY = sourceY;
        const uint8_t* in =
            copy.empty() ? source.Row(sourceY) : copy.data() + std::size_t(sourceY - copyTop) * std::size_t(pitch);
        if (bytes == 2) {
            StretchRow(reinterpret_cast<uint16_t*>(out), reinterpret_cast<const uint16_t*>(in), columns, keyed);
        } else if (bytes == 4) {
            StretchRow(reinterpret_cast<uint32_t*>(out), reinterpret_cast<const uint32_t*>(in), columns, keyed);
        } else {
            StretchRowBytes(out, in, columns, key, bytes);
        }
    }
}

} // namespace Platform
