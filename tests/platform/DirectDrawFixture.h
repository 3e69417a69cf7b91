// Our DirectDraw without a window: an object on a pretended 1024 x 768 x 32 desktop, surfaces in any
// layout, and their pixels read and written through the lock. The seam is put back after every test,
// which also fails when a write outside a surface's rows was found.
#pragma once

#include "platform/DirectDraw.h"
#include "platform/DirectDrawSeam.h"

#include <functional>
#include <gtest/gtest.h>

// One counted reference, released at the end of the scope.
template <typename Interface>
class Ref
{
public:
    Ref() = default;
    explicit Ref(Interface* held) : pointer(held) {}
    ~Ref() { Reset(); }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    Ref(Ref&& other) noexcept : pointer(other.pointer) { other.pointer = nullptr; }

    void Reset()
    {
        if (pointer) {
            pointer->Release();
            pointer = nullptr;
        }
    }
    Interface** Out()
    {
        Reset();
        return &pointer;
    }
    Interface* get() const { return pointer; }
    Interface* operator->() const { return pointer; }
    explicit operator bool() const { return pointer != nullptr; }

private:
    Interface* pointer = nullptr;
};

using SurfaceRef = Ref<Platform::IDirectDrawSurface7>;

inline Platform::DDSURFACEDESC2 OffscreenDesc(int width, int height, uint32_t caps = Platform::DDSCAPS_OFFSCREENPLAIN)
{
    Platform::DDSURFACEDESC2 desc;
    desc.flags = Platform::DDSD_CAPS | Platform::DDSD_WIDTH | Platform::DDSD_HEIGHT;
    desc.width = uint32_t(width);
    desc.height = uint32_t(height);
    desc.caps.caps = caps;
    return desc;
}

inline Platform::RECT Edges(int left, int top, int right, int bottom)
{
    return Platform::RECT{left, top, right, bottom};
}

// Reads or writes every pixel value of a surface through one lock.
inline void ForEachPixel(Platform::IDirectDrawSurface7* surface,
                         const std::function<void(int x, int y, uint8_t* pixel)>& visit)
{
    Platform::DDSURFACEDESC2 desc;
    ASSERT_EQ(surface->Lock(nullptr, &desc, Platform::DDLOCK_WAIT), Platform::DD_OK);
    int bytes = int(desc.pixelFormat.rgbBitCount / 8);
    for (int y = 0; y < int(desc.height); ++y) {
        for (int x = 0; x < int(desc.width); ++x) {
            visit(x, y, static_cast<uint8_t*>(desc.surface) + std::ptrdiff_t(y) * desc.pitch + x * bytes);
        }
    }
    ASSERT_EQ(surface->Unlock(nullptr), Platform::DD_OK);
}

inline void FillPixels(Platform::IDirectDrawSurface7* surface, const std::function<uint32_t(int x, int y)>& value)
{
    int bytes = Platform::BytesPerPixel(surface->Layout());
    ForEachPixel(surface, [&](int x, int y, uint8_t* pixel) { Platform::WritePixelValue(pixel, bytes, value(x, y)); });
}

inline uint32_t PixelAt(Platform::IDirectDrawSurface7* surface, int x, int y)
{
    uint32_t found = 0;
    int bytes = Platform::BytesPerPixel(surface->Layout());
    ForEachPixel(surface, [&](int px, int py, uint8_t* pixel) {
        if (px == x && py == y) {
            found = Platform::ReadPixelValue(pixel, bytes);
        }
    });
    return found;
}

class DirectDrawTest : public testing::Test
{
protected:
    void SetUp() override
    {
        Platform::DirectDrawSeam::Reset();
        Platform::DirectDrawSeam::SetDesktop({});
        baselineSurfaces = Platform::DirectDrawSeam::LiveSurfaceCount();
        ASSERT_EQ(Platform::IDirectDraw7::Create(directDraw.Out()), Platform::DD_OK);
    }
    void TearDown() override
    {
        directDraw.Reset();
        EXPECT_EQ(Platform::DirectDrawSeam::CanaryViolations(), expectedViolations);
        EXPECT_EQ(Platform::DirectDrawSeam::LiveSurfaceCount(), baselineSurfaces) << "a surface was left alive";
        Platform::DirectDrawSeam::Reset();
    }

    SurfaceRef Make(int width, int height, Platform::SurfaceLayout layout)
    {
        Platform::DDSURFACEDESC2 desc = OffscreenDesc(width, height);
        desc.flags |= Platform::DDSD_PIXELFORMAT;
        desc.pixelFormat = Platform::PixelFormatOf(layout);
        SurfaceRef surface;
        EXPECT_EQ(directDraw->CreateSurface(&desc, surface.Out()), Platform::DD_OK);
        return surface;
    }

    Ref<Platform::IDirectDraw7> directDraw;
    int baselineSurfaces = 0;
    int expectedViolations = 0;
};
