// Every version of the blend kernels (plain; SSE2, AVX2 and AVX-512 where the processor has them) against
// the formulas written out pixel by pixel, on sweeps of every alpha pair and on random rows of every length.
#include "graphics/BlendKernels.h"

#include "PixelReference.h"
#include "RotationReference.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <numeric>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace Tolm;
namespace ref = PixelReference;

namespace {

std::vector<const BlendKernels*> AllKernels()
{
    std::vector<const BlendKernels*> sets{&ScalarBlendKernels()};
    for (const BlendKernels* set : {Sse2BlendKernels(), Avx2BlendKernels(), Avx512BlendKernels()}) {
        if (set) {
            sets.push_back(set);
        }
    }
    return sets;
}

class KernelTest : public testing::TestWithParam<const BlendKernels*>
{
protected:
    std::mt19937 engine{12345};

    uint32_t Next() { return uint32_t(engine()); }

    // Alphas of 0 and 255 come often, as in real images, so that both the easy and the looked-up lanes
    // of a vector mix.
    uint32_t RandomPixel()
    {
        uint32_t rgb = Next() & 0x00FFFFFF;
        uint32_t pick = Next() % 4;
        uint32_t alpha = pick == 0 ? 0 : pick == 1 ? 255 : Next() & 0xFF;
        return (alpha << 24) | rgb;
    }

    std::vector<uint32_t> RandomRow(std::size_t count)
    {
        std::vector<uint32_t> row(count);
        for (uint32_t& p : row) {
            p = RandomPixel();
        }
        return row;
    }

    // Every pair of source and destination alpha, with random colours, in one row.
    std::pair<std::vector<uint32_t>, std::vector<uint32_t>> AllAlphaPairs()
    {
        std::vector<uint32_t> source, dest;
        for (uint32_t sA = 0; sA < 256; ++sA) {
            for (uint32_t dA = 0; dA < 256; ++dA) {
                source.push_back((sA << 24) | (Next() & 0x00FFFFFF));
                dest.push_back((dA << 24) | (Next() & 0x00FFFFFF));
            }
        }
        return {source, dest};
    }

    // Runs the kernel over the row and compares every pixel with the reference; the pixels after the row
    // keep their values.
    void Check(BlendRow kernel, const BlendTint& tint, const std::vector<uint32_t>& source,
               const std::vector<uint32_t>& dest, const std::function<uint32_t(uint32_t, uint32_t)>& expected,
               const char* what)
    {
        const uint32_t guard = 0x5A5A5A5A;
        std::vector<uint32_t> out = dest;
        out.resize(dest.size() + 40, guard);
        std::vector<uint32_t> in = source;
        in.resize(source.size() + 40, 0xFF123456);
        kernel(out.data(), in.data(), int(dest.size()), tint);
        for (std::size_t i = 0; i < out.size(); ++i) {
            uint32_t wanted = i < dest.size() ? expected(source[i], dest[i]) : guard;
            ASSERT_EQ(out[i], wanted) << what << " pixel " << i << " of " << dest.size() << std::hex << " source "
                                      << in[i] << " dest " << (i < dest.size() ? dest[i] : guard) << " tint "
                                      << tint.red << "," << tint.green << "," << tint.blue << "," << tint.alpha;
        }
    }
};

TEST_P(KernelTest, UntintedBlendMatchesFormulaForEveryAlphaPair)
{
    auto [source, dest] = AllAlphaPairs();
    Check(GetParam()->blendWhite, BlendTint(), source, dest, ref::BlendWhite, "white");
}

TEST_P(KernelTest, GreyBlendMatchesFormulaForEveryAlphaPair)
{
    auto [source, dest] = AllAlphaPairs();
    for (uint32_t grey : {0u, 1u, 127u, 128u, 200u, 254u, 255u}) {
        for (uint32_t alpha : {1u, 77u, 128u, 254u, 255u}) {
            if (grey == 255 && alpha == 255) {
                continue;
            }
            BlendTint tint{grey, grey, grey, alpha};
            Check(
                GetParam()->blendGrey, tint, source, dest,
                [&](uint32_t s, uint32_t d) { return ref::BlendGrey(s, d, grey, alpha); }, "grey");
        }
    }
}

TEST_P(KernelTest, TintedBlendMatchesFormulaForEveryAlphaPair)
{
    auto [source, dest] = AllAlphaPairs();
    std::vector<BlendTint> tints{{255, 0, 0, 255}, {0, 255, 255, 128}, {1, 2, 3, 4}, {255, 254, 253, 255}};
    for (int i = 0; i < 6; ++i) {
        tints.push_back({Next() & 0xFFu, Next() & 0xFFu, Next() & 0xFFu, Next() & 0xFFu});
    }
    for (const BlendTint& tint : tints) {
        Check(
            GetParam()->blendTinted, tint, source, dest,
            [&](uint32_t s, uint32_t d) { return ref::BlendOther(s, d, tint.red, tint.green, tint.blue, tint.alpha); },
            "tinted");
    }
}

TEST_P(KernelTest, TintAlphaSweepMatchesFormula)
{
    std::vector<uint32_t> source, dest;
    for (uint32_t sA = 0; sA < 256; ++sA) {
        source.push_back((sA << 24) | (Next() & 0x00FFFFFF));
        dest.push_back(RandomPixel());
    }
    for (uint32_t alpha = 0; alpha < 256; ++alpha) {
        BlendTint grey{90, 90, 90, alpha};
        Check(
            GetParam()->blendGrey, grey, source, dest,
            [&](uint32_t s, uint32_t d) { return ref::BlendGrey(s, d, 90, alpha); }, "grey alpha sweep");
        BlendTint other{250, 10, 128, alpha};
        Check(
            GetParam()->blendTinted, other, source, dest,
            [&](uint32_t s, uint32_t d) { return ref::BlendOther(s, d, 250, 10, 128, alpha); }, "tint alpha sweep");
    }
}

TEST_P(KernelTest, OpaqueDestinationPathCopiesSkipsOrBlendsEachPixel)
{
    auto [source, dest] = AllAlphaPairs();
    Check(GetParam()->blitOntoOpaque, BlendTint(), source, dest, ref::BlitOntoOpaque, "onto opaque");
}

TEST_P(KernelTest, AdditionsMatchFormulas)
{
    auto [source, dest] = AllAlphaPairs();
    Check(
        GetParam()->addWhite, BlendTint(), source, dest,
        [](uint32_t s, uint32_t d) { return ref::AddWhite(s, d, false); }, "add");
    Check(
        GetParam()->addWhiteWeighted, BlendTint(), source, dest,
        [](uint32_t s, uint32_t d) { return ref::AddWhite(s, d, true); }, "add weighted");
    for (int i = 0; i < 8; ++i) {
        uint32_t r = Next() & 0xFF, g = Next() & 0xFF, b = Next() & 0xFF, a = i == 0 ? 255 : Next() & 0xFF;
        BlendTint scaled{(r * a) / 255, (g * a) / 255, (b * a) / 255, a};
        Check(
            GetParam()->addTinted, scaled, source, dest,
            [&](uint32_t s, uint32_t d) { return ref::AddTinted(s, d, r, g, b, a, false); }, "add tinted");
        Check(
            GetParam()->addTintedWeighted, scaled, source, dest,
            [&](uint32_t s, uint32_t d) { return ref::AddTinted(s, d, r, g, b, a, true); }, "add tinted weighted");
    }
}

// The colours are random, so the sources' channels often exceed their alpha, which carries from one
// channel into the next in the untinted sum.
TEST_P(KernelTest, PremultipliedSurfaceBlendsMatchFormulas)
{
    auto [source, dest] = AllAlphaPairs();
    Check(GetParam()->blendPremultiplied, BlendTint(), source, dest, ref::BlendPremultiplied, "premultiplied");
    std::vector<BlendTint> tints{{255, 255, 255, 255}, {0, 0, 0, 255}, {255, 200, 120, 220}, {1, 2, 3, 4}};
    for (int i = 0; i < 4; ++i) {
        tints.push_back({Next() & 0xFFu, Next() & 0xFFu, Next() & 0xFFu, Next() & 0xFFu});
    }
    for (const BlendTint& tint : tints) {
        Check(
            GetParam()->blendPremultipliedTinted, tint, source, dest,
            [&](uint32_t s, uint32_t d) {
                return ref::BlendPremultipliedTinted(s, d, tint.red, tint.green, tint.blue, tint.alpha);
            },
            "premultiplied tinted");
    }
}

// Every third source black in its colour, with any alpha; destinations with every top byte.
TEST_P(KernelTest, SurfaceAdditionLeavesBlackSourcesAloneAndClearsTheTopByteOfTheOthers)
{
    auto [source, dest] = AllAlphaPairs();
    for (std::size_t i = 0; i < source.size(); i += 3) {
        source[i] &= 0xFF000000;
    }
    Check(GetParam()->addOntoSurface, BlendTint(), source, dest, ref::AddOntoSurface, "add onto surface");
}

TEST_P(KernelTest, OverBlendMatchesFormulaForEveryWeightAndDestinationAlpha)
{
    std::vector<uint32_t> dest;
    for (uint32_t dA = 0; dA < 256; ++dA) {
        for (int i = 0; i < 3; ++i) {
            dest.push_back((dA << 24) | (Next() & 0x00FFFFFF));
        }
    }
    for (uint32_t w = 1; w < 256; ++w) {
        uint32_t color = (w << 24) | (Next() & 0x00FFFFFF);
        std::vector<uint32_t> out = dest;
        GetParam()->overBlend(out.data(), int(out.size()), color);
        for (std::size_t i = 0; i < out.size(); ++i) {
            ASSERT_EQ(out[i], ref::OverBlend(color, dest[i], w)) << std::hex << color << " over " << dest[i];
        }
    }
}

TEST_P(KernelTest, StretchBlendMatchesFormulaForEveryAlphaPair)
{
    auto [source, dest] = AllAlphaPairs();
    Check(GetParam()->stretchOver, BlendTint(), source, dest, ref::StretchOver, "stretch over");
}

// The column sums of source rows: sum(weight x channel) per channel of every pixel, offset by 0x8000. The
// weights of a row add up to at most 257, the largest whose sums fit 16 bits.
TEST_P(KernelTest, StretchColumnSumsMatchFormula)
{
    for (int n = 0; n < 300; ++n) {
        int taps = 1 + int(Next() % 6);
        int count = int(Next() % 70);
        std::vector<std::vector<uint32_t>> rows(static_cast<std::size_t>(taps));
        std::vector<const uint32_t*> pointers;
        std::vector<uint16_t> weights;
        uint32_t left = n % 5 == 0 ? 257 : Next() % 258;
        for (auto& row : rows) {
            row = RandomRow(std::size_t(count));
            pointers.push_back(row.data());
            uint32_t weight = &row == &rows.back() ? left : Next() % (left + 1);
            weights.push_back(uint16_t(weight));
            left -= weight;
        }
        std::vector<uint16_t> sums(std::size_t(count) * 4 + 1, 0x1234);
        GetParam()->stretchColumns(sums.data(), pointers.data(), weights.data(), taps, count);
        for (int x = 0; x < count; ++x) {
            for (int channel = 0; channel < 4; ++channel) {
                uint32_t sum = 0;
                for (int t = 0; t < taps; ++t) {
                    sum += ref::Channel(rows[std::size_t(t)][std::size_t(x)], 8 * channel) * weights[std::size_t(t)];
                }
                ASSERT_EQ(sums[std::size_t(4 * x + channel)], sum ^ 0x8000) << "case " << n << " column " << x;
            }
        }
        EXPECT_EQ(sums.back(), 0x1234) << "wrote past the row, case " << n;
    }
}

// Destination entries from column sums: sum(w x column sum) per channel, >> 16 and kept to 0..255, with
// weights of either sign, several pairs of columns per entry, and every column sum from 0 to 65535.
TEST_P(KernelTest, StretchEntriesMatchFormula)
{
    for (int n = 0; n < 300; ++n) {
        int pairs = 1 + int(Next() % 4);
        int count = 16 * (1 + int(Next() % 4));
        int columns = count + 2 * pairs + int(Next() % 9);
        std::vector<uint16_t> sums(std::size_t(columns) * 4);
        for (uint16_t& lane : sums) {
            uint32_t pick = Next() % 4;
            lane = uint16_t(pick == 0 ? 0 : pick == 1 ? 0xFFFF : Next());
        }
        std::vector<int32_t> first(static_cast<std::size_t>(count)), bias(static_cast<std::size_t>(count) * 4);
        std::vector<int32_t> weights(std::size_t(pairs * count) * 4);
        std::vector<std::vector<int32_t>> taps(static_cast<std::size_t>(count));
        for (int c = 0; c < count; ++c) {
            first[std::size_t(c)] = int32_t(Next() % uint32_t(columns - 2 * pairs + 1));
            int32_t total = 0;
            for (int t = 0; t < 2 * pairs; ++t) {
                int32_t weight = Next() % 3 == 0 ? 0 : int32_t(Next() % 1029) - 514;
                taps[std::size_t(c)].push_back(weight);
                total += weight;
            }
            for (int p = 0; p < pairs; ++p) {
                uint32_t low = uint16_t(taps[std::size_t(c)][std::size_t(2 * p)]);
                uint32_t high = uint16_t(taps[std::size_t(c)][std::size_t(2 * p + 1)]);
                std::fill_n(weights.begin() + 4 * (p * count + c), 4, int32_t((high << 16) | low));
            }
            std::fill_n(bias.begin() + 4 * c, 4, total * 32768);
        }
        StretchEntryWeights table{first.data(), weights.data(), bias.data(), pairs, count};
        std::vector<uint32_t> pixels(std::size_t(count) + 1, 0xDEADBEEF);
        GetParam()->stretchEntries(pixels.data(), sums.data(), table);
        for (int c = 0; c < count; ++c) {
            uint32_t expected = 0;
            for (int channel = 0; channel < 4; ++channel) {
                int64_t total = 0;
                for (int t = 0; t < 2 * pairs; ++t) {
                    uint32_t column = uint32_t(first[std::size_t(c)] + t);
                    total +=
                        int64_t(taps[std::size_t(c)][std::size_t(t)]) * (sums[4 * column + uint32_t(channel)] ^ 0x8000);
                }
                expected |= uint32_t(std::clamp<int64_t>(total >> 16, 0, 255)) << (8 * channel);
            }
            ASSERT_EQ(pixels[std::size_t(c)], expected) << "case " << n << " entry " << c;
        }
        EXPECT_EQ(pixels.back(), 0xDEADBEEF) << "wrote past the row, case " << n;
    }
}

// The samples of a draw moved by a fraction of a pixel, for every rule, over destinations of any alpha
// (clear, opaque and in between, where the cover divides), in rows long enough for whole vector blocks
// and their tails, against the rotation reference pixel by pixel.
TEST_P(KernelTest, ShiftedSamplesMatchTheRotationReference)
{
    struct Case
    {
        int mode;
        RotationReference::Tint tint;
    };
    const Case cases[] = {{0, {255, 255, 255, 255}}, {0, {200, 100, 30, 180}},  {0, {255, 255, 255, 3}},
                          {0, {0, 0, 0, 255}},       {1, {255, 255, 255, 255}}, {1, {90, 255, 0, 200}}};
    for (int n = 0; n < 600; ++n) {
        const Case& c = cases[n % 6];
        int count = int(Next() % 110);
        std::vector<uint32_t> top = RandomRow(std::size_t(count) + 1);
        std::vector<uint32_t> bottom = RandomRow(std::size_t(count) + 1);
        std::vector<uint32_t> dest = RandomRow(std::size_t(count));
        if (n % 3 == 0) {
            for (uint32_t& p : dest) {
                p |= 0xFF000000;
            }
        }
        // One case in four at a whole-pixel position, where only the first texel has any area weight.
        bool whole = n % 4 == 3;
        uint32_t fu = whole || n % 7 == 0 ? 1 : n % 7 == 1 ? 65535 : (Next() & 0xFFFE) | 1;
        uint32_t fv = whole || n % 5 == 0 ? 1 : (Next() & 0xFFFE) | 1;
        ShiftedSampling sampling{
            {((65536 - fu) * (65536 - fv)) >> 16, (fu * (65536 - fv)) >> 16, ((65536 - fu) * fv) >> 16,
             (fu * fv) >> 16},
            SampleRule{c.mode != 0, c.tint.IsWhite(), {c.tint.red, c.tint.green, c.tint.blue, c.tint.alpha}}};
        if (c.mode != 0) {
            sampling.rule.tint.red = c.tint.red * c.tint.alpha / 255;
            sampling.rule.tint.green = c.tint.green * c.tint.alpha / 255;
            sampling.rule.tint.blue = c.tint.blue * c.tint.alpha / 255;
        }
        std::vector<uint32_t> out = dest;
        GetParam()->sampleShifted(out.data(), top.data(), bottom.data(), count, sampling);
        for (int k = 0; k < count; ++k) {
            std::size_t i = std::size_t(k);
            const uint32_t texels[4] = {top[i], top[i + 1], bottom[i], bottom[i + 1]};
            ASSERT_EQ(out[i], RotationReference::Pixel(dest[i], texels, fu, fv, c.tint, c.mode))
                << "case " << n << " pixel " << k << " of " << count << std::hex << " dest " << dest[i];
        }
    }
}

// Every 5-6-5 value and random 32-bit pixels (top bytes too) under every k, with random colour words,
// whose sums may carry from one channel into the next.
TEST_P(KernelTest, SurfaceFillsMatchTheSurfaceRuleForEveryWeight)
{
    const std::initializer_list<uint32_t> masks565{0xF800, 0x07E0, 0x001F};
    const std::initializer_list<uint32_t> masks32{0xFF0000, 0xFF00, 0xFF};
    std::vector<uint16_t> every565(65536);
    std::iota(every565.begin(), every565.end(), uint16_t(0));
    std::vector<uint32_t> pixels(4099);
    for (uint32_t& p : pixels) {
        p = Next();
    }
    for (uint32_t k = 1; k <= 256; ++k) {
        uint32_t colour16 = Next() & 0xFFFF;
        std::vector<uint16_t> out16 = every565;
        GetParam()->fillSurface565(out16.data(), int(out16.size()), colour16, k);
        for (std::size_t i = 0; i < out16.size(); ++i) {
            ASSERT_EQ(out16[i], ref::FillSurface(colour16, every565[i], k, masks565, true))
                << "k " << k << std::hex << " colour " << colour16 << " over " << every565[i];
        }
        uint32_t colour32 = Next();
        std::vector<uint32_t> out32 = pixels;
        GetParam()->fillSurface32(out32.data(), int(out32.size()), colour32, k);
        for (std::size_t i = 0; i < out32.size(); ++i) {
            ASSERT_EQ(out32[i], ref::FillSurface(colour32, pixels[i], k, masks32, false))
                << "k " << k << std::hex << " colour " << colour32 << " over " << pixels[i];
        }
    }
}

// Rows of every length, the 5-6-5 ones also starting half a 32-bit word in; the pixels around a row keep
// their values.
TEST_P(KernelTest, SurfaceFillsOfEveryRowLengthStopAtTheRowsEnds)
{
    auto check = [&](auto fill, auto pixel, int offset, int length, std::initializer_list<uint32_t> masks) {
        using Pixel = decltype(pixel);
        std::vector<Pixel> before(std::size_t(offset + length + 40));
        for (Pixel& p : before) {
            p = Pixel(Next());
        }
        std::vector<Pixel> out = before;
        uint32_t colour = Pixel(Next());
        fill(out.data() + offset, length, colour, 100);
        for (int i = 0; i < int(out.size()); ++i) {
            bool inside = i >= offset && i < offset + length;
            uint32_t expected = inside
                                    ? ref::FillSurface(colour, before[std::size_t(i)], 100, masks, sizeof(Pixel) == 2)
                                    : before[std::size_t(i)];
            ASSERT_EQ(out[std::size_t(i)], expected) << "pixel " << i << " of " << length << " from " << offset;
        }
    };
    for (int length = 0; length <= 140; ++length) {
        for (int offset : {0, 1}) {
            check(GetParam()->fillSurface565, uint16_t(), offset, length, {0xF800, 0x07E0, 0x001F});
        }
        check(GetParam()->fillSurface32, uint32_t(), 0, length, {0xFF0000, 0xFF00, 0xFF});
    }
}

// The same samples onto a 32-bit surface, whose top bytes are anything (premultiplied blends leave the
// source's alpha there), against the surface's rules pixel by pixel; the pixels after the row stay.
TEST_P(KernelTest, ShiftedSamplesOntoASurfaceFollowTheSurfaceRules)
{
    const std::pair<int, RotationReference::Tint> cases[] = {
        {0, {255, 255, 255, 255}}, {0, {200, 100, 30, 180}},  {0, {255, 255, 255, 3}}, {0, {0, 0, 0, 255}},
        {0, {255, 255, 254, 255}}, {1, {255, 255, 255, 255}}, {1, {90, 255, 0, 200}}};
    for (int n = 0; n < 700; ++n) {
        const auto& [mode, tint] = cases[n % 7];
        int count = int(Next() % 110);
        std::vector<uint32_t> top = RandomRow(std::size_t(count) + 1);
        std::vector<uint32_t> bottom = RandomRow(std::size_t(count) + 1);
        std::vector<uint32_t> dest = RandomRow(std::size_t(count) + 8);
        bool whole = n % 4 == 3;
        uint32_t fu = whole || n % 9 == 0 ? 1 : n % 9 == 1 ? 65535 : (Next() & 0xFFFE) | 1;
        uint32_t fv = whole || n % 5 == 0 ? 1 : (Next() & 0xFFFE) | 1;
        ShiftedSampling sampling{
            {((65536 - fu) * (65536 - fv)) >> 16, (fu * (65536 - fv)) >> 16, ((65536 - fu) * fv) >> 16,
             (fu * fv) >> 16},
            SampleRule{mode != 0, mode == 0 && tint.IsWhite(), {tint.red, tint.green, tint.blue, tint.alpha}}};
        if (mode != 0) {
            sampling.rule.tint = {tint.red * tint.alpha / 255, tint.green * tint.alpha / 255,
                                  tint.blue * tint.alpha / 255, tint.alpha};
        }
        std::vector<uint32_t> out = dest;
        GetParam()->sampleShiftedOntoSurface(out.data(), top.data(), bottom.data(), count, sampling);
        for (std::size_t i = 0; i < out.size(); ++i) {
            uint32_t wanted = dest[i];
            if (i < std::size_t(count)) {
                const uint32_t texels[4] = {top[i], top[i + 1], bottom[i], bottom[i + 1]};
                wanted = RotationReference::SurfacePixel(dest[i], texels, fu, fv, tint, mode);
            }
            ASSERT_EQ(out[i], wanted) << "case " << n << " pixel " << i << " of " << count << std::hex << " dest "
                                      << dest[i];
        }
    }
}

TEST_P(KernelTest, EveryRowLengthGivesTheSamePixels)
{
    BlendTint grey{100, 100, 100, 200};
    BlendTint other{30, 200, 99, 180};
    for (int length = 0; length <= 70; ++length) {
        std::vector<uint32_t> source = RandomRow(std::size_t(length));
        std::vector<uint32_t> dest = RandomRow(std::size_t(length));
        Check(GetParam()->blendWhite, BlendTint(), source, dest, ref::BlendWhite, "white");
        Check(
            GetParam()->blendGrey, grey, source, dest,
            [&](uint32_t s, uint32_t d) { return ref::BlendGrey(s, d, 100, 200); }, "grey");
        Check(
            GetParam()->blendTinted, other, source, dest,
            [&](uint32_t s, uint32_t d) { return ref::BlendOther(s, d, 30, 200, 99, 180); }, "tinted");
        Check(GetParam()->blitOntoOpaque, BlendTint(), source, dest, ref::BlitOntoOpaque, "onto opaque");
        Check(
            GetParam()->addWhiteWeighted, BlendTint(), source, dest,
            [](uint32_t s, uint32_t d) { return ref::AddWhite(s, d, true); }, "add weighted");
        Check(GetParam()->stretchOver, BlendTint(), source, dest, ref::StretchOver, "stretch over");
        Check(GetParam()->blendPremultiplied, BlendTint(), source, dest, ref::BlendPremultiplied, "premultiplied");
        Check(GetParam()->addOntoSurface, BlendTint(), source, dest, ref::AddOntoSurface, "add onto surface");
        Check(
            GetParam()->blendPremultipliedTinted, other, source, dest,
            [&](uint32_t s, uint32_t d) { return ref::BlendPremultipliedTinted(s, d, 30, 200, 99, 180); },
            "premultiplied tinted");
    }
}

// Runs of one alpha class each (0 clear, 1 opaque, 2 partial), of the given lengths, and the run table of
// the whole row: the pixels from each pixel to the end of its run, at most 255.
struct RunRowFixture
{
    std::vector<uint32_t> pixels;
    std::vector<uint8_t> runs;

    void AddRun(int alphaClass, int length, std::mt19937& engine)
    {
        for (int i = 0; i < length; ++i) {
            uint32_t alpha = alphaClass == 0 ? 0 : alphaClass == 1 ? 255 : 1 + uint32_t(engine()) % 254;
            pixels.push_back((alpha << 24) | (uint32_t(engine()) & 0x00FFFFFF));
        }
    }

    void MakeRuns()
    {
        auto classOf = [](uint32_t p) { return p >> 24 == 0 ? 0 : p >> 24 == 255 ? 1 : 2; };
        runs.assign(pixels.size(), 0);
        int length = 0;
        for (std::size_t i = pixels.size(); i-- > 0;) {
            bool continues = i + 1 < pixels.size() && classOf(pixels[i]) == classOf(pixels[i + 1]);
            length = continues ? length + 1 : 1;
            runs[i] = uint8_t(std::min(length, 255));
        }
    }
};

// Draws pixels [first, first + count) of the fixture's row onto a copy of `dest` and checks every pixel of
// it, those after the drawn ones included.
void CheckRuns(const BlendKernels& kernels, const RunRowFixture& row, const std::vector<uint32_t>& dest,
               std::size_t first, int count, const std::string& what)
{
    std::vector<uint32_t> out = dest;
    kernels.blitRunsOntoOpaque(out.data(), row.pixels.data() + first, row.runs.data() + first, count);
    for (std::size_t i = 0; i < out.size(); ++i) {
        uint32_t expected = i < std::size_t(count) ? ref::BlitOntoOpaque(row.pixels[first + i], dest[i]) : dest[i];
        ASSERT_EQ(out[i], expected) << what << " pixel " << i << " of " << count << " from " << first;
    }
}

TEST_P(KernelTest, RunsOntoOpaqueMatchThePixelByPixelBlit)
{
    for (int n = 0; n < 1500; ++n) {
        RunRowFixture row;
        while (row.pixels.size() < 20 + Next() % 600) {
            int pick = int(Next() % 9);
            // Runs around 255 pixels end with the table's first entry or go on in the next one.
            int length = pick < 4   ? 1 + int(Next() % 4)
                         : pick < 7 ? 1 + int(Next() % 70)
                         : pick < 8 ? 254 + int(Next() % 3)
                                    : 257 + int(Next() % 60);
            row.AddRun(int(Next() % 3), length, engine);
        }
        row.MakeRuns();
        // The drawn part may start inside a run and end inside one: a blit clipped on either side.
        std::size_t first = Next() % (row.pixels.size() / 2);
        int count = 1 + int(Next() % (row.pixels.size() - first));
        CheckRuns(*GetParam(), row, RandomRow(std::size_t(count) + 8), first, count, "random runs");
    }
}

TEST_P(KernelTest, RunsOfEveryKindEndRowsOfEveryLength)
{
    std::vector<int> counts;
    for (int count = 1; count <= 80; ++count) {
        counts.push_back(count);
    }
    // Rows wide enough for long runs to be skipped or copied whole.
    counts.insert(counts.end(), {127, 128, 129, 160, 200, 333, 800});
    for (int lastClass : {0, 1, 2}) {
        for (int count : counts) {
            for (int lastLength : {1, 2, 3, 5, 8, 16, 17, 33, 63, 64, 65, 100, 255, 256, 300}) {
                if (lastLength > count) {
                    continue;
                }
                RunRowFixture row;
                while (int(row.pixels.size()) < count - lastLength) {
                    int length = std::min(1 + int(Next() % 12), count - lastLength - int(row.pixels.size()));
                    row.AddRun(int(Next() % 3), length, engine);
                }
                // The last run goes on past the drawn part, as in a source wider than the blit.
                row.AddRun(lastClass, lastLength + 4, engine);
                row.MakeRuns();
                CheckRuns(*GetParam(), row, RandomRow(std::size_t(count) + 8), 0, count,
                          "last run of class " + std::to_string(lastClass) + " and length " +
                              std::to_string(lastLength));
            }
        }
    }
}

TEST_P(KernelTest, ZeroLengthRowTouchesNothing)
{
    uint32_t guard = 0x12345678;
    uint8_t run = 1;
    GetParam()->blitRunsOntoOpaque(&guard, &guard, &run, 0);
    GetParam()->blendWhite(&guard, &guard, 0, BlendTint());
    GetParam()->overBlend(&guard, 0, 0x80FFFFFF);
    GetParam()->addTinted(&guard, &guard, 0, BlendTint{9, 9, 9, 9});
    GetParam()->stretchOver(&guard, &guard, 0, BlendTint());
    EXPECT_EQ(guard, 0x12345678u);
}

INSTANTIATE_TEST_SUITE_P(Versions, KernelTest, testing::ValuesIn(AllKernels()),
                         [](const testing::TestParamInfo<const BlendKernels*>& param) { return param.param->name; });

// The fastest version the processor runs, unless QUENDARA_BLEND_KERNELS names one it runs: the suite runs
// under each version that way.
TEST(BlendKernelsTest, FastestOrNamedVersionIsChosen)
{
    const char* wanted = std::getenv("QUENDARA_BLEND_KERNELS");
    std::vector<const BlendKernels*> sets = AllKernels();
    const BlendKernels* expected = sets.back();
    for (const BlendKernels* set : sets) {
        expected = wanted && std::string(wanted) == set->name ? set : expected;
    }
    EXPECT_EQ(&ActiveBlendKernels(), expected);
}

} // namespace
