// Drawing straight into locked surfaces: the values of the blend, fill and line rules worked out by hand
// from their formulas, the ways a blit takes, and one scene drawn into every layout and into a memory
// image, which must agree within two steps of each surface channel.
#include "DisplayFixture.h"
#include "core/Matrix.h"
#include "graphics/MemoryImage.h"
#include "graphics/RotationReference.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <numbers>
#include <random>
#include <set>
#include <utility>
#include <vector>

using namespace Tolm;
using Platform::SurfaceLayout;

namespace {

class LockedDrawingTest : public DisplayTest
{
protected:
    void InitOn(SurfaceLayout desktop)
    {
        Platform::DirectDrawSeam::SetDesktop({1024, 768, desktop, 60});
        MakeApp();
        ASSERT_EQ(InitWindowed(), kResultOk) << display->errorText;
    }

    // An opaque surface image whose surface holds `value` in every pixel.
    std::unique_ptr<DDImage> Target(int width, int height, uint32_t value)
    {
        auto image = std::make_unique<DDImage>(display.get());
        std::vector<uint32_t> black(std::size_t(width * height), 0xFF000000);
        image->SetBits(black.data(), width, height, true);
        EXPECT_TRUE(image->CreateSurface());
        ForEachValue(*image, [value](uint32_t& v, int, int) { v = value; });
        return image;
    }

    // Visits every surface value of the image (x, y), writing back what the visitor leaves.
    static void ForEachValue(DDImage& image, const std::function<void(uint32_t&, int, int)>& visit)
    {
        Platform::DDSURFACEDESC2 desc;
        ASSERT_EQ(image.surface->Lock(nullptr, &desc, Platform::DDLOCK_WAIT), Platform::DD_OK);
        int bytes = int(desc.pixelFormat.rgbBitCount / 8);
        for (uint32_t y = 0; y < desc.height; ++y) {
            for (uint32_t x = 0; x < desc.width; ++x) {
                auto* pixel = static_cast<uint8_t*>(desc.surface) + std::ptrdiff_t(y) * desc.pitch + x * bytes;
                uint32_t value = Platform::ReadPixelValue(pixel, bytes);
                visit(value, int(x), int(y));
                Platform::WritePixelValue(pixel, bytes, value);
            }
        }
        image.surface->Unlock(nullptr);
        image.DiscardMemoryCopies();
    }

    static uint32_t ValueAt(DDImage& image, int x, int y)
    {
        uint32_t found = 0;
        ForEachValue(image, [&](uint32_t& v, int px, int py) {
            if (px == x && py == y) {
                found = v;
            }
        });
        return found;
    }

    // The pixels whose value is no longer `background`.
    static std::set<std::pair<int, int>> Changed(DDImage& image, uint32_t background)
    {
        std::set<std::pair<int, int>> changed;
        ForEachValue(image, [&](uint32_t& v, int x, int y) {
            if (v != background) {
                changed.insert({x, y});
            }
        });
        return changed;
    }

    static std::unique_ptr<MemoryImage> Source(const std::vector<uint32_t>& pixels, int width)
    {
        auto image = std::make_unique<MemoryImage>();
        image->SetBits(pixels.data(), width, int(pixels.size()) / width, true);
        return image;
    }
};

} // namespace

TEST_F(LockedDrawingTest, BlitsBlendByTheRulesOfEachLayout)
{
    struct Case
    {
        const char* name;
        SurfaceLayout layout;
        uint32_t destination;
        uint32_t source;
        Color color;
        bool uncached;
        uint32_t expected;
    };
    // By hand: black at alpha 128 keeps f = 16 of 32 of white; a grey tint of 200 scales white by f = 25;
    // the uncached white source moves black by 31/32 on the spread word, and by the rounded per-channel
    // rule on a blue-first layout; 32 bits keep the source alpha on top.
    const Case cases[] = {
        {"565 half black over white", SurfaceLayout::Rgb565, 0xFFFF, 0x80000000, Color::White, false, 0x7BEF},
        {"555 half black over white", SurfaceLayout::Rgb555, 0x7FFF, 0x80000000, Color::White, false, 0x3DEF},
        {"x888 half black over white", SurfaceLayout::Xrgb8888, 0xFFFFFF, 0x80000000, Color::White, false, 0x807F7F7F},
        {"565 grey tint", SurfaceLayout::Rgb565, 0x0000, 0xFFFFFFFF, Color(200, 200, 200), false, 0xC638},
        {"565 uncached", SurfaceLayout::Rgb565, 0x0000, 0xFFFFFFFF, Color::White, true, 0xF7BE},
        {"BGR565 uncached", SurfaceLayout::Bgr565, 0x0000, 0xFFFFFFFF, Color::White, true, 0xF7DE},
        {"x888 uncached", SurfaceLayout::Xrgb8888, 0x000000, 0xFF804020, Color::White, true, 0x7F3F1F},
        // Red 255 under the tint (255, 0, 0, 255): green and blue scale to 0, red by 255 / 256.
        {"x444 tinted", SurfaceLayout::Xrgb4444, 0x0000, 0xFFFFFFFF, Color(255, 0, 0), false, 0x0E00},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InitOn(c.layout);
        auto target = Target(2, 1, c.destination);
        auto source = Source({c.source}, 1);
        source->SetFrequentUpdates(c.uncached);
        target->Blit(source.get(), 1, 0, Rect(0, 0, 1, 1), c.color, 0);
        EXPECT_EQ(ValueAt(*target, 1, 0), c.expected);
        EXPECT_EQ(ValueAt(*target, 0, 0), c.destination);
    }
}

TEST_F(LockedDrawingTest, AdditiveBlitsSaturateAndSkipBlack)
{
    InitOn(SurfaceLayout::Rgb565);
    auto target = Target(3, 1, 0x8410);
    // Grey 0x80 is 16, 32 and 16 of 5-6-5: added to itself it reaches every channel's top and stops there.
    auto source = Source({0xFF808080, 0xFF000000, 0xFFFFFFFF}, 3);
    target->Blit(source.get(), 0, 0, Rect(0, 0, 3, 1), Color::White, 1);
    EXPECT_EQ(ValueAt(*target, 0, 0), 0xFFFFu);
    EXPECT_EQ(ValueAt(*target, 1, 0), 0x8410u);
    EXPECT_EQ(ValueAt(*target, 2, 0), 0xFFFFu);

    // A tint of (0, 255, 0, 255) adds green only, scaled: 32 x 255 >> 8 = 31.
    auto tinted = Target(1, 1, 0x0000);
    tinted->Blit(source.get(), 0, 0, Rect(0, 0, 1, 1), Color(0, 255, 0), 1);
    EXPECT_EQ(ValueAt(*tinted, 0, 0), 0x03E0u);
}

TEST_F(LockedDrawingTest, MirroredBlitsFlipTheSourceAndANarrowOneWritesOneColumn)
{
    InitOn(SurfaceLayout::Xrgb8888);
    auto target = Target(4, 1, 0);
    auto source = Source({0xFFFF0000, 0xFF00FF00, 0xFF0000FF}, 3);
    target->BlitMirror(source.get(), 1, 0, Rect(0, 0, 3, 1), Color(255, 255, 255, 254), 0);
    // The grey tint 254 keeps 254 / 256 of each channel.
    EXPECT_EQ(ValueAt(*target, 1, 0), 0x0000FDu);
    EXPECT_EQ(ValueAt(*target, 3, 0), 0xFD0000u);

    auto narrow = Target(4, 2, 0);
    narrow->BlitMirror(source.get(), 2, 0, Rect(1, 0, 1, 1), Color::White, 1);
    EXPECT_EQ(Changed(*narrow, 0), (std::set<std::pair<int, int>>{{2, 0}}));

    auto untouched = Target(4, 1, 0x123456);
    untouched->BlitMirror(source.get(), 0, 0, Rect(0, 0, 3, 1), Color::White, 2);
    EXPECT_TRUE(Changed(*untouched, 0x123456).empty()) << "mode 2 draws nothing mirrored";
}

// Plain blits on 32 bits blend whole runs at a time, mirrored ones pixel by pixel: a picture drawn plain
// and its flip drawn mirrored must leave the same values, over a background whose top bytes vary too.
TEST_F(LockedDrawingTest, PlainBlitsOfAPictureEqualMirroredBlitsOfItsFlip)
{
    constexpr int width = 41;
    constexpr int height = 6;
    std::mt19937 random(38);
    std::vector<uint32_t> picture(std::size_t(width * height));
    for (std::size_t i = 0; i < picture.size(); ++i) {
        // Runs of clear, opaque and partial alpha of every length up to about twenty; the fourth row has no
        // clear pixel, and the fifth a clear run long enough for the additions to skip whole.
        std::size_t row = i / width;
        std::size_t x = i % width;
        bool clear = row == 4 ? x >= 2 && x < 38 : row != 3 && (i / 7 + i / 19) % 3 == 0;
        uint32_t alpha = clear ? 0 : (i / 5) % 3 == 0 ? 255 : 1 + random() % 254;
        picture[i] = alpha << 24 | (random() & 0x00FFFFFF);
    }
    std::vector<uint32_t> flipped(picture.size());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            flipped[std::size_t(y * width + x)] = picture[std::size_t(y * width + width - 1 - x)];
        }
    }
    std::vector<uint32_t> background(picture.size());
    for (uint32_t& value : background) {
        value = uint32_t(random());
    }
    const std::pair<Color, int> draws[] = {
        {Color::White, 0},
        {Color(200, 200, 200), 0},
        {Color(90, 90, 90, 160), 0},
        {Color(255, 200, 120, 220), 0},
        {Color(30, 250, 7), 0},
        {Color::White, 1},
        {Color(255, 200, 120, 220), 1},
        {Color(0, 0, 0, 0), 1},
    };
    for (SurfaceLayout layout : {SurfaceLayout::Xrgb8888, SurfaceLayout::Xbgr8888}) {
        InitOn(layout);
        auto plainSource = Source(picture, width);
        auto flippedSource = Source(flipped, width);
        for (const auto& [color, mode] : draws) {
            std::vector<uint32_t> plain, mirrored;
            for (auto* out : {&plain, &mirrored}) {
                auto target = Target(width + 4, height, 0);
                ForEachValue(*target, [&](uint32_t& v, int x, int y) {
                    v = x < width ? background[std::size_t(y * width + x)] : 0;
                });
                Rect all(0, 0, width, height);
                if (out == &plain) {
                    target->Blit(plainSource.get(), 2, 0, all, color, mode);
                } else {
                    target->BlitMirror(flippedSource.get(), 2, 0, all, color, mode);
                }
                ForEachValue(*target, [&](uint32_t& v, int, int) { out->push_back(v); });
            }
            EXPECT_EQ(plain, mirrored) << "layout " << int(layout) << " colour " << color.red << "," << color.green
                                       << "," << color.blue << "," << color.alpha << " mode " << mode;
        }
    }
}

TEST_F(LockedDrawingTest, OpaqueSurfaceSourcesGoThroughDirectDrawUnlessReadFromVideoMemory)
{
    InitOn(SurfaceLayout::Rgb565);
    auto source = std::make_unique<DDImage>(display.get());
    std::vector<uint32_t> white(4, 0xFFFFFFFF);
    source->SetBits(white.data(), 2, 2, true);
    ASSERT_TRUE(source->CreateSurface());

    // A Blt that fails leaves the destination as it was: the draw went through DirectDraw.
    auto target = Target(2, 2, 0);
    Platform::DirectDrawSeam::FailCall("Blt", Platform::DDERR_GENERIC);
    target->Blit(source.get(), 0, 0, Rect(0, 0, 2, 2), Color::White, 0);
    EXPECT_TRUE(Changed(*target, 0).empty());
    target->Blit(source.get(), 0, 0, Rect(0, 0, 2, 2), Color::White, 0);
    EXPECT_EQ(Changed(*target, 0).size(), 4u);

    // From video memory into system memory the pixels are copied while locked.
    source->SetVideoMemory(true);
    ASSERT_TRUE(source->CreateSurface());
    auto copied = Target(2, 2, 0);
    Platform::DirectDrawSeam::FailCall("Blt", Platform::DDERR_GENERIC);
    copied->Blit(source.get(), 0, 0, Rect(0, 0, 2, 2), Color::White, 0);
    EXPECT_EQ(Changed(*copied, 0).size(), 4u);
}

TEST_F(LockedDrawingTest, ARelockThatFailsAfterABltKeepsTheCountAndTheNextLockTakesItAgain)
{
    InitOn(SurfaceLayout::Rgb565);
    auto source = std::make_unique<DDImage>(display.get());
    std::vector<uint32_t> white(4, 0xFFFFFFFF);
    source->SetBits(white.data(), 2, 2, true);
    ASSERT_TRUE(source->CreateSurface());
    auto target = Target(2, 2, 0);
    ASSERT_TRUE(target->LockSurface());
    Platform::DirectDrawSeam::FailCall("Lock", Platform::DDERR_SURFACELOST);
    target->Blit(source.get(), 0, 0, Rect(0, 0, 2, 2), Color::White, 0);
    EXPECT_EQ(target->lockDesc.surface, nullptr);
    EXPECT_EQ(target->lockCount, 1);
    target->FillRect(Rect(0, 1, 2, 1), Color(255, 0, 0), 0);
    EXPECT_EQ(target->lockCount, 1);
    EXPECT_NE(target->lockDesc.surface, nullptr);
    EXPECT_TRUE(target->UnlockSurface());
    EXPECT_EQ(target->lockCount, 0);
    EXPECT_EQ(ValueAt(*target, 1, 0), 0xFFFFu) << "the Blt drew";
    EXPECT_EQ(ValueAt(*target, 1, 1), 0xF800u) << "the fill locked again and drew";
}

TEST_F(LockedDrawingTest, FillsStoreTheirRoundedColours)
{
    struct Case
    {
        const char* name;
        SurfaceLayout layout;
        uint32_t destination;
        Color color;
        int mode;
        uint32_t expected;
    };
    // By hand: 16-bit fills round each channel up by one step of 256, 32-bit ones store 255 as 254; alpha
    // 0 keeps the channels (and clears the 32-bit top byte); half red adds 129/256 of the red mask.
    const Case cases[] = {
        {"565 white", SurfaceLayout::Rgb565, 0x0000, Color::White, 0, 0xFFFF},
        {"555 white", SurfaceLayout::Rgb555, 0x0000, Color::White, 0, 0x7FFF},
        {"x444 white", SurfaceLayout::Xrgb4444, 0x0000, Color::White, 0, 0x0FFF},
        {"x888 white", SurfaceLayout::Xrgb8888, 0x000000, Color::White, 0, 0x00FEFEFE},
        {"565 alpha 0", SurfaceLayout::Rgb565, 0x1234, Color(255, 255, 255, 0), 0, 0x1234},
        {"x888 alpha 0", SurfaceLayout::Xrgb8888, 0x12345678, Color(255, 255, 255, 0), 0, 0x00345678},
        {"565 half red", SurfaceLayout::Rgb565, 0x0000, Color(255, 0, 0, 128), 0, 0x7800},
        {"565 white added to white", SurfaceLayout::Rgb565, 0xFFFF, Color::White, 1, 0xFFFF},
        {"x888 white added to white", SurfaceLayout::Xrgb8888, 0xFFFFFF, Color::White, 1, 0xFFFFFF},
        // Half-alpha grey 0x80 adds 0x40 >> 3 = 8 to red and blue, 0x40 >> 2 = 16 to green.
        {"565 grey added", SurfaceLayout::Rgb565, 0x0000, Color(128, 128, 128, 128), 1, 0x4208},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InitOn(c.layout);
        auto target = Target(3, 2, c.destination);
        target->FillRect(Rect(1, 0, 2, 2), c.color, c.mode);
        EXPECT_EQ(ValueAt(*target, 1, 0), c.expected);
        EXPECT_EQ(ValueAt(*target, 2, 1), c.expected);
        EXPECT_EQ(ValueAt(*target, 0, 1), c.destination);
    }
}

// Translucent fills over noise, rows of many lengths and starts, on every layout: each pixel of the
// rectangle by the surface's rule written out per channel, every other pixel untouched. The colour is
// cut to each channel by m x (((alpha x c + r) >> 8) + 1) >> 8, r 128 on 16 bits and 127 on 32; a
// destination channel keeps ((d & m) x (256 - alpha) + (m on 16 bits)) >> 8.
TEST_F(LockedDrawingTest, TranslucentFillsKeepEachLayoutsRuleOnEveryPixel)
{
    const int width = 150;
    const int height = 4;
    const Color colours[] = {Color(40, 120, 200, 1), Color(0, 0, 0, 80), Color(255, 255, 255, 128),
                             Color(200, 7, 99, 254)};
    std::mt19937 random(7);
    for (SurfaceLayout layout : {SurfaceLayout::Rgb565, SurfaceLayout::Bgr565, SurfaceLayout::Rgb555,
                                 SurfaceLayout::Xrgb8888, SurfaceLayout::Xbgr8888, SurfaceLayout::Xrgb4444}) {
        SCOPED_TRACE(int(layout));
        InitOn(layout);
        const NativeDisplay& format = *display;
        const bool sixteen = format.bitsPerPixel == 16;
        const std::pair<uint32_t, int> channels[] = {{format.redMask, 0}, {format.greenMask, 1}, {format.blueMask, 2}};
        auto target = Target(width, height, 0);
        for (const Color& color : colours) {
            const uint32_t alpha = uint32_t(color.alpha);
            const int components[] = {color.red, color.green, color.blue};
            uint32_t colour = 0;
            for (const auto& [m, index] : channels) {
                uint32_t c = uint32_t(components[index]);
                colour += m * (((alpha * c + (sixteen ? 128 : 127)) >> 8) + 1) >> 8 & m;
            }
            for (int left : {0, 1, 2, 3, 5}) {
                for (int length = 1; left + length <= width; length += 1 + length / 4) {
                    SCOPED_TRACE(testing::Message() << "alpha " << alpha << " from " << left << " for " << length);
                    std::vector<uint32_t> before;
                    ForEachValue(*target, [&](uint32_t& v, int, int) {
                        v = uint32_t(random()) & (sixteen ? 0xFFFF : 0xFFFFFFFF);
                        before.push_back(v);
                    });
                    target->FillRect(Rect(left, 1, length, 2), color, 0);
                    std::vector<uint32_t> after;
                    ForEachValue(*target, [&](uint32_t& v, int, int) { after.push_back(v); });
                    for (std::size_t i = 0; i < after.size(); ++i) {
                        int x = int(i) % width;
                        int y = int(i) / width;
                        uint32_t d = before[i];
                        uint32_t expected = d;
                        if (x >= left && x < left + length && y >= 1 && y < 3) {
                            expected = colour;
                            for (const auto& [m, index] : channels) {
                                expected += ((d & m) * (256 - alpha) + (sixteen ? m : 0)) >> 8 & m;
                            }
                        }
                        ASSERT_EQ(after[i], expected) << "(" << x << ", " << y << ") over " << std::hex << d;
                    }
                }
            }
        }
    }
}

TEST_F(LockedDrawingTest, LinesStepOnePixelPerColumnAndStopAtTheirBox)
{
    InitOn(SurfaceLayout::Xrgb8888);
    // Worked by hand: from (0, 0) to (10, 3) the error term starts at -4 and steps by 6 and -14.
    auto target = Target(12, 5, 0);
    target->DrawLine(0, 0, 10, 3, Color::White, 0);
    const std::set<std::pair<int, int>> expected{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 1},
                                                 {6, 2}, {7, 2}, {8, 2}, {9, 3}, {10, 3}};
    EXPECT_EQ(Changed(*target, 0), expected);
    EXPECT_EQ(ValueAt(*target, 5, 1), 0xFEFEFEu);

    auto reversed = Target(12, 5, 0);
    reversed->DrawLine(10, 3, 0, 0, Color::White, 0);
    EXPECT_EQ(Changed(*reversed, 0), expected);

    // To (2, 0.9) the minor step at column 2 would leave the box: the line ends after column 1.
    auto stopped = Target(4, 2, 0);
    stopped->DrawLine(0, 0, 2, 0.9, Color::White, 0);
    EXPECT_EQ(Changed(*stopped, 0), (std::set<std::pair<int, int>>{{0, 0}, {1, 0}}));

    // Ends far outside are cut to the image first: the canaries stay whole.
    auto far = Target(6, 6, 0);
    far->DrawLine(-100, -50, 1e9, 4e8, Color::White, 0);
    far->DrawLineSmooth(-1e9, 3, 1e9, 2.5, Color::White, 0);
    EXPECT_FALSE(Changed(*far, 0).empty());

    InitOn(SurfaceLayout::Rgb565);
    auto sixteen = Target(12, 5, 0);
    sixteen->DrawLine(0, 0, 10, 3, Color::White, 0);
    EXPECT_EQ(ValueAt(*sixteen, 10, 3), 0xF7DEu);
    sixteen->DrawLine(0, 0, 10, 3, Color::White, 1);
    EXPECT_EQ(ValueAt(*sixteen, 10, 3), 0xFFFFu) << "added, saturated";
}

TEST_F(LockedDrawingTest, AntiAliasedLinesWeighTheirTwoPixelsPerStep)
{
    for (SurfaceLayout layout : {SurfaceLayout::Xrgb8888, SurfaceLayout::Rgb565}) {
        SCOPED_TRACE(int(layout));
        InitOn(layout);
        bool sixteen = layout == SurfaceLayout::Rgb565;
        uint32_t background = sixteen ? 0x4208 : 0x404040;
        auto target = Target(10, 10, background);
        target->DrawLineSmooth(0, 0, 8, 8, Color::White, 0);
        std::set<std::pair<int, int>> diagonal;
        for (int i = 0; i <= 8; ++i) {
            diagonal.insert({i, i});
        }
        EXPECT_EQ(Changed(*target, background), diagonal) << "the side pixels have weight 0";
        // Weight 255: 32 bits mix (0x40 + 0xFE x 255) >> 8 = 0xFD; 5-6-5 takes 31/32 of the colour 0xF7DE
        // (30, 62, 30) and none of the destination.
        EXPECT_EQ(ValueAt(*target, 4, 4), sixteen ? 0xEF9Du : 0xFDFDFDu);
    }

    // Ends in one pixel draw that pixel alone, at the weight of the start's fractions: 255 - 35.
    InitOn(SurfaceLayout::Xrgb8888);
    auto point = Target(6, 6, 0);
    point->DrawLineSmooth(3.2, 4.7, 3.9, 4.1, Color::White, 0);
    EXPECT_EQ(Changed(*point, 0), (std::set<std::pair<int, int>>{{3, 4}}));
    EXPECT_EQ(ValueAt(*point, 3, 4), 0xDADADAu);

    // Its accumulator starts from the fractions' product: this line would step to column -1 on its last
    // rows, into the row above's end.
    auto steep = Target(32, 41, 0);
    steep->DrawLineSmooth(0, 21, 5.75, 4.75, Color::White, 0);
    for (const auto& [x, y] : Changed(*steep, 0)) {
        EXPECT_TRUE(x <= 6 && y >= 4 && y <= 21) << x << ", " << y;
    }

    auto additive = Target(6, 6, 0);
    additive->DrawLineSmooth(0, 0, 5, 3, Color::White, 1);
    EXPECT_TRUE(Changed(*additive, 0).empty()) << "an additive anti-aliased line draws nothing on a surface";
}

TEST_F(LockedDrawingTest, CoverageSpansWeighTheColourByEachByte)
{
    InitOn(SurfaceLayout::Xrgb8888);
    auto target = Target(4, 2, 0);
    const unsigned char coverage[] = {255, 127, 0, 9, 9, 9};
    const FillSpan spans[] = {{1, 1, 3}};
    target->FillSpansWithCoverage(spans, 1, Color(255, 0, 0), 0, coverage, 1, 1, 3, 0);
    // Weights (k + 1) x 255 >> 8: 255, 127 and 0 of red 0xFE (0xFF x 0xFF0000 >> 8, masked).
    EXPECT_EQ(ValueAt(*target, 1, 1), 0xFD0000u);
    EXPECT_EQ(ValueAt(*target, 2, 1), 0x7E0000u);
    EXPECT_EQ(ValueAt(*target, 3, 1), 0u);
    EXPECT_EQ(Changed(*target, 0).size(), 2u);
}

TEST_F(LockedDrawingTest, TrianglesDrawOnlyIntoLayoutsTheRasterizerHasRoutinesFor)
{
    for (SurfaceLayout layout :
         {SurfaceLayout::Rgb565, SurfaceLayout::Rgb555, SurfaceLayout::Xrgb8888, SurfaceLayout::Xrgb4444}) {
        SCOPED_TRACE(int(layout));
        InitOn(layout);
        auto target = Target(8, 8, 0);
        auto source = Source(std::vector<uint32_t>(16, 0xFFFFFFFF), 4);
        target->BlitMatrix(source.get(), 4, 4, Matrix3(), Rect(0, 0, 8, 8), Color::White, 0, Rect(0, 0, 4, 4), false);
        EXPECT_EQ(Changed(*target, 0).empty(), layout == SurfaceLayout::Xrgb4444);
    }
}

TEST_F(LockedDrawingTest, NearestStretchesBlendEachSampledPixel)
{
    InitOn(SurfaceLayout::Rgb565);
    auto white = Source({0xFFFFFFFF}, 1);
    // Red alone of white: 0xF800 x 255 >> 8, kept to the red mask, over nothing kept of the destination.
    auto tinted = Target(4, 2, 0x001F);
    tinted->StretchBlit(white.get(), Rect(1, 0, 3, 2), Rect(0, 0, 1, 1), Rect(0, 0, 4, 2), Color(255, 0, 0), 0, true);
    EXPECT_EQ(ValueAt(*tinted, 1, 0), 0xF000u);
    EXPECT_EQ(ValueAt(*tinted, 3, 1), 0xF000u);
    EXPECT_EQ(ValueAt(*tinted, 0, 1), 0x001Fu);

    auto grey = Source({0xFF808080}, 1);
    auto added = Target(2, 2, 0x8410);
    added->StretchBlit(grey.get(), Rect(0, 0, 2, 2), Rect(0, 0, 1, 1), Rect(0, 0, 2, 2), Color::White, 2, true);
    EXPECT_TRUE(Changed(*added, 0xFFFF).empty()) << "mode 2 adds, and saturates";
}

TEST_F(LockedDrawingTest, MirroredStretchesShowTheSourceFromTheRight)
{
    InitOn(SurfaceLayout::Xrgb8888);
    auto source = Source({0xFFFF0000, 0xFF00FF00, 0xFF0000FF}, 3);
    auto mirrored = Target(6, 1, 0);
    mirrored->StretchBlitMirror(source.get(), Rect(0, 0, 6, 1), Rect(0, 0, 3, 1), Rect(0, 0, 6, 1), Color::White, 0,
                                false);
    auto flipped = Source({0xFF0000FF, 0xFF00FF00, 0xFFFF0000}, 3);
    auto plain = Target(6, 1, 0);
    plain->StretchBlit(flipped.get(), Rect(0, 0, 6, 1), Rect(0, 0, 3, 1), Rect(0, 0, 6, 1), Color::White, 0, true);
    std::vector<uint32_t> mirroredValues;
    std::vector<uint32_t> plainValues;
    ForEachValue(*mirrored, [&](uint32_t& v, int, int) { mirroredValues.push_back(v); });
    ForEachValue(*plain, [&](uint32_t& v, int, int) { plainValues.push_back(v); });
    EXPECT_EQ(mirroredValues,
              (std::vector<uint32_t>{0xFF0000FF, 0xFF0000FF, 0xFF00FF00, 0xFF00FF00, 0xFFFF0000, 0xFFFF0000}));
    EXPECT_EQ(mirroredValues, plainValues);

    // One column wide, the stretch samples the source column at the clipped rectangle's right edge: the
    // first.
    auto narrow = Target(3, 1, 0);
    narrow->StretchBlitMirror(source.get(), Rect(1, 0, 1, 1), Rect(0, 0, 3, 1), Rect(0, 0, 3, 1), Color::White, 0,
                              true);
    EXPECT_EQ(ValueAt(*narrow, 1, 0), 0xFFFF0000u);
    EXPECT_EQ(Changed(*narrow, 0).size(), 1u);
}

TEST_F(LockedDrawingTest, StretchesTakeTheBlitterTheLockedLoopsOrATemporaryImage)
{
    InitOn(SurfaceLayout::Xrgb8888);
    auto source = std::make_unique<DDImage>(display.get());
    std::vector<uint32_t> white(4, 0xFFFFFFFF);
    source->SetBits(white.data(), 2, 2, true);
    ASSERT_TRUE(source->CreateSurface());

    // Fast, opaque white, normal mode between surfaces: DirectDraw's Blt, which fails here.
    auto blitted = Target(4, 4, 0);
    Platform::DirectDrawSeam::FailCall("Blt", Platform::DDERR_GENERIC);
    blitted->StretchBlit(source.get(), Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 4, 4), Color::White, 0, true);
    EXPECT_TRUE(Changed(*blitted, 0).empty());
    // Tinted, the locked loops draw it: red 0xFF x 255 >> 8.
    blitted->StretchBlit(source.get(), Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 4, 4), Color(255, 0, 0), 0, true);
    EXPECT_EQ(ValueAt(*blitted, 3, 3), 0xFE0000u);

    // Area-filtered onto an opaque image: stretched untinted into a temporary image, then blitted with the
    // colour once.
    auto filtered = Target(4, 4, 0);
    filtered->StretchBlit(source.get(), Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 4, 4), Color(255, 0, 0), 0,
                          false);
    uint32_t red = ValueAt(*filtered, 2, 1);
    EXPECT_EQ(red & 0xFFFF, 0u);
    EXPECT_GE(red >> 16, 0xFCu);
}

TEST_F(LockedDrawingTest, RotatedBlitsWalkTheBoxOfTheTurnedRectangle)
{
    InitOn(SurfaceLayout::Xrgb8888);
    auto white = Source(std::vector<uint32_t>(12, 0xFFFFFFFF), 4);
    // Angle 0 at whole coordinates: the limits leave out the first and last column and the last row, and
    // the odd fractions give each pixel 254 of 256 of one texel: 255 x 254 >> 8.
    auto target = Target(8, 6, 0);
    target->BlitF(white.get(), 2, 1, Rect(0, 0, 4, 3), Rect(0, 0, 8, 6), Color::White, 0);
    EXPECT_EQ(Changed(*target, 0), (std::set<std::pair<int, int>>{{3, 1}, {4, 1}, {3, 2}, {4, 2}}));
    EXPECT_EQ(ValueAt(*target, 3, 2), 0xFDFDFDu);

    // At a quarter turn the cosine truncates to 0 and the rows take the limits of a still column.
    auto turned = Target(10, 10, 0);
    turned->BlitRotated(white.get(), 3, 3, Rect(0, 0, 4, 3), Rect(0, 0, 10, 10), Color::White, 0, std::numbers::pi / 2,
                        2, 1.5f);
    std::set<std::pair<int, int>> changed = Changed(*turned, 0);
    EXPECT_FALSE(changed.empty());
    for (const auto& [x, y] : changed) {
        EXPECT_TRUE(x >= 3 && x <= 7 && y >= 2 && y <= 8) << x << ", " << y;
    }

    auto untouched = Target(6, 6, 0);
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity()}) {
        untouched->BlitRotated(white.get(), 1, 1, Rect(0, 0, 4, 3), Rect(0, 0, 6, 6), Color::White, 0, bad, 0, 0);
        untouched->BlitRotated(white.get(), float(bad), 1, Rect(0, 0, 4, 3), Rect(0, 0, 6, 6), Color::White, 1, 0.5, 0,
                               0);
    }
    EXPECT_TRUE(Changed(*untouched, 0).empty()) << "positions and angles that are not finite draw nothing";
}

namespace {

// A picture of every kind of pixel (clear, opaque, in between, black under alpha) in `colours` colours at
// most, so that it can become a palette image too.
std::vector<uint32_t> MixedPixels(int width, int height, uint32_t colours, uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<uint32_t> palette(colours);
    for (uint32_t& p : palette) {
        uint32_t pick = random() % 5;
        uint32_t alpha = pick == 0 ? 0 : pick == 1 ? 255 : uint32_t(random() % 256);
        p = alpha << 24 | (pick == 2 ? 0 : uint32_t(random()) & 0x00FFFFFF);
    }
    std::vector<uint32_t> pixels(std::size_t(width * height));
    for (uint32_t& p : pixels) {
        p = palette[random() % colours];
    }
    return pixels;
}

} // namespace

// A draw moved by a fraction of a pixel onto x8-8-8 goes to the blend kernels a row at a time (the suite
// runs under every kernel set): its pixels are those of the surface's own rules, worked out pixel by
// pixel from them (tests/graphics/RotationReference.h), over destinations whose top bytes hold anything,
// from direct and palette pictures, tinted or not, blended or added, at whole and fractional places and
// cut by the clip.
TEST_F(LockedDrawingTest, FractionalBlitsOntoThirtyTwoBitsFollowTheSurfaceRules)
{
    InitOn(SurfaceLayout::Xrgb8888);
    constexpr int Width = 45;
    constexpr int Height = 9;
    std::vector<uint32_t> pixels = MixedPixels(Width, Height, 40, 3);
    auto direct = Source(pixels, Width);
    auto palette = Source(pixels, Width);
    ASSERT_TRUE(palette->ConvertToPalette());
    struct Case
    {
        Color color;
        int mode;
        float x, y;
        Rect clip;
    };
    const Rect all(0, 0, 80, 16);
    const Case cases[] = {{Color::White, 0, 3.3f, 2.6f, all},
                          {Color(200, 100, 30, 180), 0, 5.7f, 1.2f, all},
                          {Color(255, 255, 255, 3), 0, 7.5f, 3.5f, all},
                          {Color(0, 0, 0), 0, 1.9f, 0.4f, all},
                          {Color::White, 0, 4, 3, all},
                          {Color::White, 1, 2.2f, 5.8f, all},
                          {Color(90, 255, 0, 200), 1, 30.1f, 2.9f, all},
                          {Color::White, 0, -10.4f, 5.5f, Rect(3, 2, 50, 9)}};
    std::mt19937 random(11);
    for (const Case& c : cases) {
        for (MemoryImage* source : {direct.get(), palette.get()}) {
            auto target = Target(80, 16, 0);
            RotationReference::Canvas expected{80, 16, std::vector<uint32_t>(80 * 16)};
            ForEachValue(*target, [&](uint32_t& v, int x, int y) {
                v = uint32_t(random());
                expected.At(x, y) = v;
            });
            target->BlitF(source, c.x, c.y, Rect(0, 0, Width, Height), c.clip, c.color, c.mode);
            RotationReference::Draw(
                expected, {Width, Height, pixels}, c.x, c.y, {c.clip.x, c.clip.y, c.clip.width, c.clip.height},
                {uint32_t(c.color.red), uint32_t(c.color.green), uint32_t(c.color.blue), uint32_t(c.color.alpha)},
                c.mode, 0, 0, 0, RotationReference::SurfacePixel);
            ForEachValue(*target, [&](uint32_t& v, int x, int y) {
                ASSERT_EQ(v, expected.At(x, y)) << "at " << x << ", " << y << " drawn at " << c.x << ", " << c.y
                                                << " mode " << c.mode << (source == palette.get() ? " palette" : "");
            });
        }
    }
}

// A palette picture's runs onto x8-8-8 go to the blend kernels as a direct picture's do, its words looked
// up first: the two give the same values, top bytes included, blended, tinted and added.
TEST_F(LockedDrawingTest, PalettePicturesOntoThirtyTwoBitsGiveTheirDirectPicturesValues)
{
    InitOn(SurfaceLayout::Xrgb8888);
    std::vector<uint32_t> pixels = MixedPixels(37, 6, 40, 9);
    auto direct = Source(pixels, 37);
    auto palette = Source(pixels, 37);
    ASSERT_TRUE(palette->ConvertToPalette());
    std::mt19937 random(17);
    for (const Color& color : {Color::White, Color(200, 200, 200), Color(200, 100, 30, 180)}) {
        for (int mode : {0, 1}) {
            std::vector<uint32_t> background(50 * 10);
            for (uint32_t& v : background) {
                v = uint32_t(random());
            }
            std::vector<std::vector<uint32_t>> drawn;
            for (MemoryImage* source : {direct.get(), palette.get()}) {
                auto target = Target(50, 10, 0);
                ForEachValue(*target, [&](uint32_t& v, int x, int y) { v = background[std::size_t(y * 50 + x)]; });
                target->Blit(source, 3, 2, Rect(0, 0, 37, 6), color, mode);
                drawn.emplace_back();
                ForEachValue(*target, [&](uint32_t& v, int, int) { drawn.back().push_back(v); });
            }
            EXPECT_EQ(drawn[0], drawn[1]) << "mode " << mode << " tint " << color.red << "," << color.green << ","
                                          << color.blue << "," << color.alpha;
        }
    }
}

// Nearest stretches onto x8-8-8 blend rows of samples with the blend kernels: every pixel is the
// surface's rule for the sample the 16.16 steps land on, worked out here from the rules, and the pixels a
// rule skips (clear ones; under a tint, those the tint's alpha leaves no weight; adding, zero words) keep
// their values, top byte included.
TEST_F(LockedDrawingTest, NearestStretchesOntoThirtyTwoBitsFollowTheSurfaceRules)
{
    InitOn(SurfaceLayout::Xrgb8888);
    constexpr int Width = 13;
    constexpr int Height = 7;
    const Rect to(2, 1, 31, 17);
    std::vector<uint32_t> pixels = MixedPixels(Width, Height, 30, 5);
    auto direct = Source(pixels, Width);
    auto palette = Source(pixels, Width);
    ASSERT_TRUE(palette->ConvertToPalette());
    // The display-format word: each channel times (alpha + 1) / 256, the alpha on top.
    auto native = [](uint32_t p) {
        uint32_t scale = (p >> 24) + 1;
        auto channel = [&](int shift) { return ((((p >> shift) & 0xFF) * scale) >> 8) << shift; };
        return (p & 0xFF000000) | channel(16) | channel(8) | channel(0);
    };
    auto part = [](uint32_t v, int shift) { return (v >> shift) & 0xFF; };
    std::mt19937 random(13);
    for (const Color& color : {Color::White, Color(200, 100, 30, 180), Color(255, 255, 255, 1)}) {
        for (int mode : {0, 1}) {
            for (MemoryImage* source : {direct.get(), palette.get()}) {
                auto target = Target(40, 20, 0);
                std::vector<uint32_t> before(40 * 20);
                ForEachValue(*target, [&](uint32_t& v, int x, int y) {
                    v = uint32_t(random());
                    before[std::size_t(y * 40 + x)] = v;
                });
                target->StretchBlit(source, to, Rect(0, 0, Width, Height), Rect(0, 0, 40, 20), color, mode, true);
                const bool white = ColorEquals(color, Color::White);
                const uint32_t ta = uint32_t(color.alpha);
                const uint32_t tint[3] = {uint32_t(color.red) * ta / 255, uint32_t(color.green) * ta / 255,
                                          uint32_t(color.blue) * ta / 255};
                const int64_t stepX = int64_t(Width * 65536.0 / to.width);
                const int64_t stepY = int64_t(Height * 65536.0 / to.height);
                ForEachValue(*target, [&](uint32_t& v, int x, int y) {
                    uint32_t d = before[std::size_t(y * 40 + x)];
                    uint32_t wanted = d;
                    if (x >= to.x && x < to.x + to.width && y >= to.y && y < to.y + to.height) {
                        int64_t sx = (x - to.x) * stepX >> 16;
                        int64_t sy = (y - to.y) * stepY >> 16;
                        uint32_t s = native(pixels[std::size_t(sy * Width + sx)]);
                        uint32_t a = s >> 24;
                        wanted = 0;
                        for (int k = 0; k < 3; ++k) {
                            int shift = 16 - 8 * k;
                            uint32_t dc = part(d, shift);
                            uint32_t sc = part(s, shift);
                            uint32_t out = mode != 0 ? std::min<uint32_t>(dc + (white ? sc : sc * tint[k] >> 8), 255)
                                           : white   ? sc + (dc * (256 - a) >> 8)
                                                     : (dc * (256 - a * ta / 255) + sc * tint[k]) >> 8 & 0xFF;
                            wanted |= out << shift;
                        }
                        wanted |= mode == 0 && white ? a << 24 : 0;
                        bool skipped = mode != 0 ? s == 0 : white ? a == 0 : a * ta / 255 == 0;
                        wanted = skipped ? d : wanted;
                    }
                    ASSERT_EQ(v, wanted) << "at " << x << ", " << y << " mode " << mode << " tint alpha " << ta
                                         << (source == palette.get() ? " palette" : "");
                });
            }
        }
    }
}

namespace {

// The scene: each draw in a cell of its own, so that no draw's rounding feeds another's. Anti-aliased
// lines are left out: on 5-6-5 and 5-5-5 their colour and the destination take 5-bit weights that need
// not sum to 32, and a bright line lands up to four steps from the memory image's.
constexpr int kCell = 28;
constexpr int kColumns = 8;
constexpr int kRows = 6;

// A 12 x 12 sprite: clear corners, an opaque middle, partial alpha around it, in changing colours.
std::vector<uint32_t> SpritePixels()
{
    std::vector<uint32_t> pixels(144);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            int edge = std::min({x, y, 11 - x, 11 - y});
            uint32_t alpha = edge == 0 ? 0 : edge == 1 ? 90 : edge == 2 ? 200 : 255;
            uint32_t red = uint32_t(20 * x + 15);
            uint32_t green = uint32_t(20 * y + 10);
            uint32_t blue = uint32_t(255 - 18 * x);
            pixels[std::size_t(y * 12 + x)] = alpha << 24 | red << 16 | green << 8 | blue;
        }
    }
    return pixels;
}

using SceneDraw = std::function<void(Image& target, MemoryImage& sprite, MemoryImage& palette, MemoryImage& opaque,
                                     MemoryImage& uncached, int x, int y)>;

std::vector<SceneDraw> SceneDraws()
{
    std::vector<SceneDraw> draws;
    const Color tints[] = {Color::White, Color(200, 200, 200), Color(255, 128, 40), Color(90, 200, 255, 140)};
    for (int mode : {0, 1}) {
        for (const Color& tint : tints) {
            draws.push_back([mode, tint](Image& t, MemoryImage& s, MemoryImage&, MemoryImage&, MemoryImage&, int x,
                                         int y) { t.Blit(&s, x, y, Rect(0, 0, 12, 12), tint, mode); });
            draws.push_back([mode, tint](Image& t, MemoryImage&, MemoryImage& p, MemoryImage&, MemoryImage&, int x,
                                         int y) { t.BlitMirror(&p, x, y, Rect(0, 0, 12, 12), tint, mode); });
        }
        draws.push_back([mode](Image& t, MemoryImage&, MemoryImage&, MemoryImage& o, MemoryImage&, int x, int y) {
            t.Blit(&o, x, y, Rect(0, 0, 12, 12), Color::White, mode);
        });
        for (double angle : {0.0, 0.6, std::numbers::pi / 2, 2.5}) {
            draws.push_back(
                [mode, angle](Image& t, MemoryImage& s, MemoryImage& p, MemoryImage&, MemoryImage&, int x, int y) {
                    MemoryImage& source = angle > 2 ? p : s;
                    t.BlitRotated(&source, float(x) + 7.3f, float(y) + 6.6f, Rect(0, 0, 12, 12),
                                  Rect(0, 0, t.width, t.height),
                                  angle == 0.6 ? Color(255, 255, 255, 200) : Color::White, mode, angle, 6, 6);
                });
        }
        // Whole end points: the memory image's additive line starts its error term without their fractions.
        draws.push_back([mode](Image& t, MemoryImage&, MemoryImage&, MemoryImage&, MemoryImage&, int x, int y) {
            t.DrawLine(x + 1, y + 2, x + 25, y + 20, Color(250, 240, 100), mode);
            t.DrawLine(x + 24, y + 1, x + 3, y + 26, Color(100, 240, 250, 150), mode);
        });
    }
    // The memory image fills, and stretches, in normal mode only, and stretches untinted. Its nearest
    // stretch steps in doubles, the surface's in 16.16: at twice the size both sample the same pixels.
    for (bool fast : {true, false}) {
        draws.push_back([fast](Image& t, MemoryImage& s, MemoryImage&, MemoryImage&, MemoryImage&, int x, int y) {
            t.StretchBlit(&s, Rect(x, y, fast ? 24 : 20, fast ? 24 : 17), Rect(0, 0, 12, 12),
                          Rect(0, 0, t.width, t.height), Color::White, 0, fast);
        });
    }
    draws.push_back([](Image& t, MemoryImage& s, MemoryImage&, MemoryImage&, MemoryImage&, int x, int y) {
        t.StretchBlitMirror(&s, Rect(x, y, 24, 24), Rect(0, 0, 12, 12), Rect(0, 0, t.width, t.height), Color::White, 0,
                            true);
    });
    draws.push_back([](Image& t, MemoryImage&, MemoryImage&, MemoryImage&, MemoryImage&, int x, int y) {
        t.FillRect(Rect(x + 2, y + 3, 20, 15), Color(30, 160, 250), 0);
        t.FillRect(Rect(x + 8, y + 8, 15, 15), Color(250, 90, 20, 100), 0);
    });
    draws.push_back([](Image& t, MemoryImage&, MemoryImage&, MemoryImage&, MemoryImage&, int x, int y) {
        t.DrawLine(x + 24.5, y + 1.5, x + 3.2, y + 26.7, Color(100, 240, 250, 150), 0);
    });
    draws.push_back([](Image& t, MemoryImage&, MemoryImage&, MemoryImage&, MemoryImage& u, int x, int y) {
        t.Blit(&u, x, y, Rect(0, 0, 12, 12), Color::White, 0);
    });
    draws.push_back([](Image& t, MemoryImage& s, MemoryImage&, MemoryImage&, MemoryImage&, int x, int y) {
        t.Blit(&s, x, y, Rect(0, 0, 1, 1), Color::White, 0);
        t.Blit(&s, x + 10, y + 10, Rect(0, 0, 12, 1), Color(255, 0, 0), 1);
    });
    return draws;
}

} // namespace

TEST_F(LockedDrawingTest, ASceneDrawnIntoEveryLayoutMatchesTheSceneDrawnInMemory)
{
    std::vector<SceneDraw> draws = SceneDraws();
    ASSERT_LE(draws.size(), std::size_t(kColumns * kRows));
    const int width = kCell * kColumns;
    const int height = kCell * kRows;

    for (SurfaceLayout layout : {SurfaceLayout::Rgb565, SurfaceLayout::Rgb555, SurfaceLayout::Xrgb8888,
                                 SurfaceLayout::Bgr565, SurfaceLayout::Xbgr8888, SurfaceLayout::Xrgb4444}) {
        SCOPED_TRACE(int(layout));
        InitOn(layout);
        const NativeDisplay& format = *display;
        // Sources made afresh: their display-format copies are the display's.
        std::vector<uint32_t> spritePixels = SpritePixels();
        auto sprite = Source(spritePixels, 12);
        auto palette = Source(spritePixels, 12);
        ASSERT_TRUE(palette->ConvertToPalette());
        std::vector<uint32_t> opaquePixels(spritePixels);
        for (uint32_t& p : opaquePixels) {
            p |= 0xFF000000;
        }
        auto opaque = Source(opaquePixels, 12);
        auto uncached = Source(spritePixels, 12);
        uncached->SetFrequentUpdates(true);
        // A background every layout holds exactly, read back as the memory image's start.
        auto target = Target(width, height, 0);
        target->FillRect(Rect(0, 0, width, height), Color(96, 128, 160), 0);
        MemoryImage memory;
        memory.SetBits(target->GetBits(), width, height, true);
        std::vector<uint32_t> before(target->GetBits(), target->GetBits() + std::size_t(width * height));
        for (std::size_t i = 0; i < draws.size(); ++i) {
            int x = int(i % kColumns) * kCell;
            int y = int(i / kColumns) * kCell;
            draws[i](*target, *sprite, *palette, *opaque, *uncached, x, y);
            draws[i](memory, *sprite, *palette, *opaque, *uncached, x, y);
        }
        const uint32_t* drawn = target->GetBits();
        const uint32_t* expected = memory.GetBits();
        ASSERT_NE(drawn, nullptr);
        int worst = 0;
        int differing = 0;
        for (int i = 0; i < width * height; ++i) {
            auto steps = [&](int shift, int bits) {
                int a = int((drawn[i] >> shift) & 0xFF) >> (8 - bits);
                int b = int((expected[i] >> shift) & 0xFF) >> (8 - bits);
                return std::abs(a - b);
            };
            int step = std::max({steps(16, format.redBits), steps(8, format.greenBits), steps(0, format.blueBits)});
            differing += drawn[i] != before[std::size_t(i)] ? 1 : 0;
            if (step > 2 && step > worst) {
                ADD_FAILURE() << "pixel (" << i % width << ", " << i / width << ") " << std::hex << drawn[i]
                              << " in the surface, " << expected[i] << " in memory";
            }
            worst = std::max(worst, step);
        }
        EXPECT_LE(worst, 2);
        EXPECT_GT(differing, width * height / 16) << "the scene was drawn";
        // The cell's clear corner stays exactly as it was.
        EXPECT_EQ(drawn[0], before[0]);
    }
}
