// Memory surfaces: their rows, guard rows and canaries, the lock, the description, the colour key, the
// clipper and palette, the flip and the device context. The blit is in DirectDrawBlit.cpp.
#include "platform/DebugOutput.h"
#include "platform/DeviceContext.h"
#include "platform/DirectDraw.h"
#include "platform/DirectDrawSeam.h"

#include <algorithm>
#include <new>
#include <utility>

namespace Platform {

namespace {

constexpr uint8_t kCanary = 0xA5;
// Rows are padded past the picture by at least this much, so that code taking the row length for the
// pitch is caught.
constexpr int32_t kRowPadding = 16;
// No surface side beyond this: the memory would not be had anyway.
constexpr int kLargestSide = 1 << 15;

} // namespace

uint32_t IUnknown::AddRef()
{
    return ++references;
}

uint32_t IUnknown::Release()
{
    uint32_t left = --references;
    if (left == 0) {
        delete this;
    }
    return left;
}

IDirectDrawSurface7* IDirectDrawSurface7::Make(IDirectDraw7* owner, int width, int height, SurfaceLayout layout,
                                               uint32_t caps)
{
    if (width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide) {
        return nullptr;
    }
    int64_t rowBytes = int64_t(width) * BytesPerPixel(layout);
    int32_t pitch = int32_t((rowBytes + 15) / 16 * 16 + kRowPadding);
    std::size_t blockSize = std::size_t(pitch) * (std::size_t(height) + 2);
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[blockSize]);
    if (!block) {
        return nullptr;
    }
    std::fill(block.get(), block.get() + blockSize, kCanary);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = block.get() + std::size_t(pitch) * std::size_t(y + 1);
        std::fill(row, row + rowBytes, uint8_t(0));
    }
    return new IDirectDrawSurface7(owner, width, height, layout, caps, pitch, std::move(block));
}

IDirectDrawSurface7::IDirectDrawSurface7(IDirectDraw7* owner, int width, int height, SurfaceLayout layout,
                                         uint32_t caps, int32_t pitch, std::unique_ptr<uint8_t[]> block)
    : owner(owner), width(width), height(height), layout(layout), caps(caps), pitch(pitch), block(std::move(block))
{
    owner->AddRef();
    owner->Register(this);
    DirectDrawSeam::NoteSurfaceMade(this);
}

IDirectDrawSurface7::~IDirectDrawSurface7()
{
    if (SurfaceHolder* held = holder.exchange(nullptr)) {
        held->Forget(*this);
    }
    CheckCanaries();
    DirectDrawSeam::NoteSurfaceGone(this);
    for (IUnknown* held :
         {static_cast<IUnknown*>(clipper), static_cast<IUnknown*>(palette), static_cast<IUnknown*>(backBuffer)}) {
        if (held) {
            held->Release();
        }
    }
    owner->Forget(this);
    owner->Release();
}

HRESULT IDirectDrawSurface7::QueryInterface(InterfaceId id, void** out)
{
    if (HRESULT injected = DirectDrawSeam::Injected("QueryInterface"); Failed(injected)) {
        return injected;
    }
    if (!out) {
        return DDERR_INVALIDPARAMS;
    }
    *out = nullptr;
    if (id != IID_IDirectDrawSurface && id != IID_IDirectDrawSurface7) {
        return E_NOINTERFACE;
    }
    AddRef();
    *out = this;
    return DD_OK;
}

void IDirectDrawSurface7::CheckCanaries()
{
    std::size_t rowBytes = std::size_t(width) * std::size_t(BytesPerPixel(layout));
    bool intact = true;
    auto check = [&intact](uint8_t* from, uint8_t* to) {
        for (uint8_t* byte = from; byte < to; ++byte) {
            if (*byte != kCanary) {
                intact = false;
                *byte = kCanary;
            }
        }
    };
    uint8_t* start = block.get();
    uint8_t* end = start + std::size_t(pitch) * (std::size_t(height) + 2);
    check(start, start + pitch);
    check(end - pitch, end);
    for (int y = 0; y < height; ++y) {
        check(Row(y) + rowBytes, Row(y) + pitch);
    }
    if (!intact) {
        DirectDrawSeam::NoteCanaryViolation();
        DebugOutput("DirectDraw: a write outside a surface's rows was found at Unlock\n");
    }
}

HRESULT IDirectDrawSurface7::CheckUsable() const
{
    if (lost) {
        return DDERR_SURFACELOST;
    }
    return IsBusy() ? DDERR_SURFACEBUSY : DD_OK;
}

HRESULT IDirectDrawSurface7::Lock(const RECT* rect, DDSURFACEDESC2* desc, uint32_t flags)
{
    if (HRESULT injected = DirectDrawSeam::Injected("Lock"); Failed(injected)) {
        return injected;
    }
    if (rect || !desc) {
        return DDERR_INVALIDPARAMS;
    }
    if (HRESULT usable = CheckUsable(); Failed(usable)) {
        return usable;
    }
    if (locked.exchange(true)) {
        return DDERR_SURFACEBUSY;
    }
    lockFlags = flags;
    TakeHeldPicture((flags & DDLOCK_WRITEONLY) != 0);
    GetSurfaceDesc(desc);
    desc->flags |= DDSD_LPSURFACE;
    desc->surface = Pixels();
    return DD_OK;
}

HRESULT IDirectDrawSurface7::Unlock(const RECT*)
{
    if (HRESULT injected = DirectDrawSeam::Injected("Unlock"); Failed(injected)) {
        return injected;
    }
    if (!locked) {
        return DDERR_NOTLOCKED;
    }
    CheckCanaries();
    if ((lockFlags & DDLOCK_READONLY) == 0) {
        ++memoryChanges;
    }
    locked = false;
    return DD_OK;
}

HRESULT IDirectDrawSurface7::GetSurfaceDesc(DDSURFACEDESC2* desc)
{
    if (HRESULT injected = DirectDrawSeam::Injected("GetSurfaceDesc"); Failed(injected)) {
        return injected;
    }
    if (!desc) {
        return DDERR_INVALIDPARAMS;
    }
    *desc = DDSURFACEDESC2();
    desc->flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc->width = uint32_t(width);
    desc->height = uint32_t(height);
    desc->pitch = pitch;
    desc->pixelFormat = PixelFormatOf(layout);
    desc->caps.caps = caps;
    if (sourceKey) {
        desc->flags |= DDSD_CKSRCBLT;
        desc->sourceColorKey = *sourceKey;
    }
    if (backBuffer) {
        desc->flags |= DDSD_BACKBUFFERCOUNT;
        desc->backBufferCount = 1;
    }
    return DD_OK;
}

HRESULT IDirectDrawSurface7::Flip(IDirectDrawSurface7* target, uint32_t flags)
{
    if (HRESULT injected = DirectDrawSeam::Injected("Flip"); Failed(injected)) {
        return injected;
    }
    if (!backBuffer || (target && target != backBuffer)) {
        return DDERR_NOTFLIPPABLE;
    }
    for (const IDirectDrawSurface7* surface :
         {static_cast<const IDirectDrawSurface7*>(this), static_cast<const IDirectDrawSurface7*>(backBuffer)}) {
        if (HRESULT usable = surface->CheckUsable(); Failed(usable)) {
            return usable;
        }
    }
    std::swap(block, backBuffer->block);
    owner->Present(*this, (flags & DDFLIP_WAIT) != 0);
    return DD_OK;
}

HRESULT IDirectDrawSurface7::GetAttachedSurface(const DDSCAPS2* wanted, IDirectDrawSurface7** out)
{
    if (HRESULT injected = DirectDrawSeam::Injected("GetAttachedSurface"); Failed(injected)) {
        return injected;
    }
    if (!wanted || !out) {
        return DDERR_INVALIDPARAMS;
    }
    *out = nullptr;
    if (!backBuffer || (wanted->caps & DDSCAPS_BACKBUFFER) == 0) {
        return DDERR_NOTFOUND;
    }
    backBuffer->AddRef();
    *out = backBuffer;
    return DD_OK;
}

HRESULT IDirectDrawSurface7::SetColorKey(uint32_t flags, const DDCOLORKEY* key)
{
    if (HRESULT injected = DirectDrawSeam::Injected("SetColorKey"); Failed(injected)) {
        return injected;
    }
    if ((flags & DDCKEY_SRCBLT) == 0) {
        return DDERR_UNSUPPORTED;
    }
    if (key) {
        sourceKey = *key;
    } else {
        sourceKey.reset();
    }
    return DD_OK;
}

HRESULT IDirectDrawSurface7::GetColorKey(uint32_t flags, DDCOLORKEY* key)
{
    if ((flags & DDCKEY_SRCBLT) == 0 || !key) {
        return DDERR_INVALIDPARAMS;
    }
    if (!sourceKey) {
        return DDERR_NOCOLORKEY;
    }
    *key = *sourceKey;
    return DD_OK;
}

HRESULT IDirectDrawSurface7::SetClipper(IDirectDrawClipper* newClipper)
{
    if (HRESULT injected = DirectDrawSeam::Injected("SetClipper"); Failed(injected)) {
        return injected;
    }
    if (newClipper) {
        newClipper->AddRef();
    }
    if (clipper) {
        clipper->Release();
    }
    clipper = newClipper;
    return DD_OK;
}

HRESULT IDirectDrawSurface7::SetPalette(IDirectDrawPalette* newPalette)
{
    if (HRESULT injected = DirectDrawSeam::Injected("SetPalette"); Failed(injected)) {
        return injected;
    }
    if (layout != SurfaceLayout::Palette8) {
        return DDERR_NOTPALETTIZED;
    }
    if (newPalette) {
        newPalette->AddRef();
    }
    if (palette) {
        palette->Release();
    }
    palette = newPalette;
    return DD_OK;
}

HRESULT IDirectDrawSurface7::GetDC(DeviceContext** out)
{
    if (HRESULT injected = DirectDrawSeam::Injected("GetDC"); Failed(injected)) {
        return injected;
    }
    if (!out) {
        return DDERR_INVALIDPARAMS;
    }
    *out = nullptr;
    if (contextOut) {
        return DDERR_DCALREADYCREATED;
    }
    if (HRESULT usable = CheckUsable(); Failed(usable)) {
        return usable;
    }
    TakeHeldPicture(false);
    context = std::make_unique<DeviceContext>(*this);
    contextOut = true;
    *out = context.get();
    return DD_OK;
}

HRESULT IDirectDrawSurface7::ReleaseDC(DeviceContext* released)
{
    if (!contextOut || released != context.get()) {
        return DDERR_NODC;
    }
    context.reset();
    contextOut = false;
    ++memoryChanges;
    CheckCanaries();
    return DD_OK;
}

void IDirectDrawSurface7::Hold(SurfaceHolder* newHolder)
{
    SurfaceHolder* old = holder.exchange(newHolder);
    if (old && old != newHolder) {
        TakeHeldPicture(false);
        old->Forget(*this);
    }
}

void IDirectDrawSurface7::LetGo(SurfaceHolder* oldHolder)
{
    SurfaceHolder* expected = oldHolder;
    holder.compare_exchange_strong(expected, nullptr);
}

void IDirectDrawSurface7::TakeHeldPicture(bool overwriting)
{
    if (!heldNewer.exchange(false)) {
        return;
    }
    SurfaceHolder* held = holder.load();
    if (held && !overwriting) {
        held->CopyToMemory(*this);
    }
}

HRESULT IDirectDrawSurface7::IsLost() const
{
    return lost ? DDERR_SURFACELOST : DD_OK;
}

void IDirectDrawSurface7::MarkLost()
{
    lost = true;
}

} // namespace Platform
