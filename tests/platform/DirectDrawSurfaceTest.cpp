// The memory surfaces and their blit, layout by layout: the lock's rules, the padded rows and their
// canaries, copies and nearest-pixel stretches at the pixel centres, the colour key, the clipper, and
// that a blit writes nothing outside its rectangles.
#include "DirectDrawFixture.h"
#include "platform/Window.h"
#include "support/HeadlessVideo.h"

#include <SDL.h>
#include <vector>

using namespace Platform;

namespace {

const SurfaceLayout kAllLayouts[] = {SurfaceLayout::Rgb565, SurfaceLayout::Rgb555,   SurfaceLayout::Xrgb8888,
                                     SurfaceLayout::Bgr565, SurfaceLayout::Xbgr8888, SurfaceLayout::Xrgb4444,
                                     SurfaceLayout::Rgb888, SurfaceLayout::Palette8};

// A value that differs for every pixel of a small surface and fits the layout's width.
uint32_t Pattern(SurfaceLayout layout, int x, int y)
{
    uint32_t value = uint32_t(x * 7 + y * 131 + 1);
    return layout == SurfaceLayout::Palette8 ? value & 0xFF : value & 0xFFFF;
}

std::vector<uint32_t> Pixels(IDirectDrawSurface7* surface)
{
    std::vector<uint32_t> values;
    int bytes = BytesPerPixel(surface->Layout());
    ForEachPixel(surface, [&](int, int, uint8_t* pixel) { values.push_back(ReadPixelValue(pixel, bytes)); });
    return values;
}

} // namespace

TEST_F(DirectDrawTest, LockGivesPaddedRowsAndTheFormatAndRefusesWhatTheLayerForbids)
{
    for (SurfaceLayout layout : kAllLayouts) {
        SCOPED_TRACE(int(layout));
        SurfaceRef surface = Make(5, 3, layout);
        SurfaceRef other = Make(5, 3, layout);
        DDSURFACEDESC2 desc;
        ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT), DD_OK);
        EXPECT_EQ(desc.width, 5u);
        EXPECT_EQ(desc.height, 3u);
        EXPECT_GT(desc.pitch, int32_t(5 * BytesPerPixel(layout))) << "rows are padded past the picture";
        EXPECT_EQ(LayoutOf(desc.pixelFormat), layout);
        EXPECT_NE(desc.surface, nullptr);

        DDSURFACEDESC2 again;
        EXPECT_EQ(surface->Lock(nullptr, &again, DDLOCK_WAIT), DDERR_SURFACEBUSY);
        EXPECT_EQ(surface->Blt(nullptr, other.get(), nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACEBUSY);
        EXPECT_EQ(other->Blt(nullptr, surface.get(), nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACEBUSY);
        EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
        EXPECT_EQ(surface->Unlock(nullptr), DDERR_NOTLOCKED);

        RECT part = Edges(0, 0, 1, 1);
        EXPECT_EQ(surface->Lock(&part, &again, DDLOCK_WAIT), DDERR_INVALIDPARAMS) << "only the whole surface";

        surface->MarkLost();
        EXPECT_EQ(surface->IsLost(), DDERR_SURFACELOST);
        EXPECT_EQ(surface->Lock(nullptr, &again, DDLOCK_WAIT), DDERR_SURFACELOST);
        EXPECT_EQ(other->Blt(nullptr, surface.get(), nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACELOST);
    }
}

TEST_F(DirectDrawTest, WritesPastARowAreFoundAtUnlock)
{
    SurfaceRef surface = Make(4, 2, SurfaceLayout::Rgb565);
    DDSURFACEDESC2 desc;
    ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT), DD_OK);
    static_cast<uint16_t*>(desc.surface)[4] = 0x1234;
    surface->Unlock(nullptr);
    EXPECT_EQ(DirectDrawSeam::CanaryViolations(), 1);
    expectedViolations = 1;
}

TEST_F(DirectDrawTest, EqualSizesCopyAndNothingOutsideTheRectangleChanges)
{
    for (SurfaceLayout layout : kAllLayouts) {
        SCOPED_TRACE(int(layout));
        SurfaceRef source = Make(6, 5, layout);
        SurfaceRef dest = Make(7, 6, layout);
        FillPixels(source.get(), [&](int x, int y) { return Pattern(layout, x, y); });
        FillPixels(dest.get(), [](int, int) { return 0xA5u; });
        RECT from = Edges(1, 2, 4, 4);
        RECT to = Edges(3, 1, 6, 3);
        ASSERT_EQ(dest->Blt(&to, source.get(), &from, DDBLT_WAIT, nullptr), DD_OK);
        ForEachPixel(dest.get(), [&](int x, int y, uint8_t* pixel) {
            bool inside = x >= 3 && x < 6 && y >= 1 && y < 3;
            uint32_t expected = inside ? Pattern(layout, x - 3 + 1, y - 1 + 2) : 0xA5u;
            EXPECT_EQ(ReadPixelValue(pixel, BytesPerPixel(layout)), expected) << x << "," << y;
        });
    }
}

TEST_F(DirectDrawTest, StretchesTakeTheSourcePixelUnderEachDestinationCentre)
{
    // Source columns for each destination column, worked out from left + ((2i + 1) * sw) / (2 * dw).
    struct Case
    {
        const char* name;
        int sourceWidth;
        int destWidth;
        std::vector<int> columns;
    };
    const Case cases[] = {
        {"doubled", 3, 6, {0, 0, 1, 1, 2, 2}},
        {"three onto two", 3, 2, {0, 2}},
        {"two onto five", 2, 5, {0, 0, 1, 1, 1}},
        {"halved", 4, 2, {1, 3}},
    };
    for (SurfaceLayout layout : kAllLayouts) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " " + std::to_string(int(layout)));
            SurfaceRef source = Make(c.sourceWidth, c.sourceWidth, layout);
            SurfaceRef dest = Make(c.destWidth, c.destWidth, layout);
            FillPixels(source.get(), [&](int x, int y) { return Pattern(layout, x, y); });
            ASSERT_EQ(dest->Blt(nullptr, source.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
            ForEachPixel(dest.get(), [&](int x, int y, uint8_t* pixel) {
                uint32_t expected = Pattern(layout, c.columns[std::size_t(x)], c.columns[std::size_t(y)]);
                EXPECT_EQ(ReadPixelValue(pixel, BytesPerPixel(layout)), expected) << x << "," << y;
            });
        }
    }
}

TEST_F(DirectDrawTest, KeyedBlitLeavesOutTheKeyedColoursAndKeepsTheCanaries)
{
    SurfaceRef source = Make(4, 1, SurfaceLayout::Rgb565);
    SurfaceRef dest = Make(4, 1, SurfaceLayout::Rgb565);
    const uint16_t row[] = {0xF800, 0x0010, 0x0012, 0x07E0};
    FillPixels(source.get(), [&](int x, int) { return row[x]; });
    FillPixels(dest.get(), [](int, int) { return 0x1111u; });
    EXPECT_EQ(dest->Blt(nullptr, source.get(), nullptr, DDBLT_WAIT | DDBLT_KEYSRC, nullptr), DDERR_NOCOLORKEY);
    DDCOLORKEY key{0x0010, 0x0012};
    ASSERT_EQ(source->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    ASSERT_EQ(dest->Blt(nullptr, source.get(), nullptr, DDBLT_WAIT | DDBLT_KEYSRC, nullptr), DD_OK);
    EXPECT_EQ(Pixels(dest.get()), (std::vector<uint32_t>{0xF800, 0x1111, 0x1111, 0x07E0}));
    EXPECT_EQ(DirectDrawSeam::CanaryViolations(), 0);

    ASSERT_EQ(dest->Blt(nullptr, source.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(Pixels(dest.get()), (std::vector<uint32_t>{0xF800, 0x0010, 0x0012, 0x07E0})) << "no key asked for";
}

TEST_F(DirectDrawTest, KeyComparesOnlyTheColourBits)
{
    SurfaceRef source = Make(2, 1, SurfaceLayout::Xrgb8888);
    SurfaceRef dest = Make(2, 1, SurfaceLayout::Xrgb8888);
    FillPixels(source.get(), [](int x, int) { return x == 0 ? 0xFF123456u : 0x00ABCDEFu; });
    DDCOLORKEY key{0x123456, 0x123456};
    source->SetColorKey(DDCKEY_SRCBLT, &key);
    ASSERT_EQ(dest->Blt(nullptr, source.get(), nullptr, DDBLT_WAIT | DDBLT_KEYSRC, nullptr), DD_OK);
    EXPECT_EQ(Pixels(dest.get()), (std::vector<uint32_t>{0, 0x00ABCDEF}));
}

TEST_F(DirectDrawTest, RectanglesOutsideTheirSurfaceOrEmptyAreRefused)
{
    SurfaceRef source = Make(4, 4, SurfaceLayout::Rgb565);
    SurfaceRef dest = Make(4, 4, SurfaceLayout::Rgb565);
    struct Case
    {
        const char* name;
        RECT to;
        RECT from;
    };
    const Case cases[] = {
        {"destination past the right edge", Edges(1, 0, 5, 4), Edges(0, 0, 4, 4)},
        {"destination above the top", Edges(0, -1, 4, 3), Edges(0, 0, 4, 4)},
        {"empty destination", Edges(2, 2, 2, 3), Edges(0, 0, 4, 4)},
        {"source past the bottom", Edges(0, 0, 4, 4), Edges(0, 1, 4, 5)},
        {"reversed source", Edges(0, 0, 4, 4), Edges(3, 0, 1, 4)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dest->Blt(&c.to, source.get(), &c.from, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT) << c.name;
    }
    SurfaceRef wide = Make(4, 4, SurfaceLayout::Xrgb8888);
    EXPECT_EQ(dest->Blt(nullptr, wide.get(), nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDPIXELFORMAT);
    EXPECT_EQ(dest->Blt(nullptr, nullptr, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(DirectDrawTest, BlitWithinOneSurfaceReadsThePixelsAsTheyWere)
{
    SurfaceRef surface = Make(5, 1, SurfaceLayout::Xrgb8888);
    FillPixels(surface.get(), [](int x, int) { return uint32_t(x + 1); });
    RECT from = Edges(0, 0, 4, 1);
    RECT to = Edges(1, 0, 5, 1);
    ASSERT_EQ(surface->Blt(&to, surface.get(), &from, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(Pixels(surface.get()), (std::vector<uint32_t>{1, 1, 2, 3, 4}));
}

TEST_F(DirectDrawTest, FlipOnlyOnAFlippingPrimaryAndColourKeysAndPalettesWhereTheyBelong)
{
    SurfaceRef plain = Make(2, 2, SurfaceLayout::Xrgb8888);
    EXPECT_EQ(plain->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
    DDSCAPS2 back;
    back.caps = DDSCAPS_BACKBUFFER;
    SurfaceRef attached;
    EXPECT_EQ(plain->GetAttachedSurface(&back, attached.Out()), DDERR_NOTFOUND);
    DDCOLORKEY key;
    EXPECT_EQ(plain->GetColorKey(DDCKEY_SRCBLT, &key), DDERR_NOCOLORKEY);

    PALETTEENTRY entries[256] = {};
    entries[3] = {10, 20, 30, 0};
    Ref<IDirectDrawPalette> palette;
    ASSERT_EQ(directDraw->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, palette.Out()), DD_OK);
    EXPECT_EQ(plain->SetPalette(palette.get()), DDERR_NOTPALETTIZED);
    SurfaceRef indexed = Make(2, 2, SurfaceLayout::Palette8);
    EXPECT_EQ(indexed->SetPalette(palette.get()), DD_OK);
    PALETTEENTRY read[1];
    ASSERT_EQ(palette->GetEntries(0, 3, 1, read), DD_OK);
    EXPECT_EQ(read[0].green, 20);
}

class ClippedBlitTest : public DirectDrawTest
{
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        ASSERT_TRUE(InitVideo());
        DirectDrawTest::SetUp();
        window = Window::Create("Clipped", {100, 50, 8, 4, false});
        ASSERT_TRUE(window);
    }
    void TearDown() override
    {
        window.reset();
        DirectDrawTest::TearDown();
    }

    std::unique_ptr<Window> window;
};

TEST_F(ClippedBlitTest, ClipperCutsTheDestinationToTheWindowAndTheSourceToMatch)
{
    SurfaceRef screen;
    DDSURFACEDESC2 desc;
    desc.flags = DDSD_CAPS;
    desc.caps.caps = DDSCAPS_PRIMARYSURFACE;
    ASSERT_EQ(directDraw->SetCooperativeLevel(window->Handle(), DDSCL_NORMAL), DD_OK);
    ASSERT_EQ(directDraw->CreateSurface(&desc, screen.Out()), DD_OK);
    Ref<IDirectDrawClipper> clipper;
    ASSERT_EQ(directDraw->CreateClipper(0, clipper.Out()), DD_OK);
    ASSERT_EQ(clipper->SetHWnd(0, window->Handle()), DD_OK);
    ASSERT_EQ(screen->SetClipper(clipper.get()), DD_OK);
    SurfaceRef source = Make(8, 4, SurfaceLayout::Xrgb8888);
    FillPixels(source.get(), [](int x, int y) { return uint32_t(0x100 * y + x); });
    FillPixels(screen.get(), [](int, int) { return 0x00ABCDEFu; });

    // Half the destination lies left of the window's client area at (100, 50).
    RECT to = Edges(96, 50, 104, 54);
    ASSERT_EQ(screen->Blt(&to, source.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(PixelAt(screen.get(), 95, 50), 0x00ABCDEFu);
    EXPECT_EQ(PixelAt(screen.get(), 99, 51), 0x00ABCDEFu) << "outside the client area";
    EXPECT_EQ(PixelAt(screen.get(), 100, 50), 0x004u);
    EXPECT_EQ(PixelAt(screen.get(), 103, 53), 0x307u);
    EXPECT_EQ(PixelAt(screen.get(), 104, 53), 0x00ABCDEFu);

    // Stretched twice as wide: the clipped half keeps the mapping of the whole rectangle.
    RECT wide = Edges(92, 50, 108, 54);
    ASSERT_EQ(screen->Blt(&wide, source.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(PixelAt(screen.get(), 100, 52), 0x204u);
    EXPECT_EQ(PixelAt(screen.get(), 107, 52), 0x207u);

    // The window shows its part of the screen.
    SDL_Surface* shown = SDL_GetWindowSurface(window->SdlWindow());
    ASSERT_NE(shown, nullptr);
    SDL_LockSurface(shown);
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint32_t value = *reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(shown->pixels) + 3 * shown->pitch + 7 * 4);
    SDL_GetRGB(value, shown->format, &red, &green, &blue);
    SDL_UnlockSurface(shown);
    EXPECT_EQ(red, 0);
    EXPECT_EQ(green, 3);
    EXPECT_EQ(blue, 7);
}
