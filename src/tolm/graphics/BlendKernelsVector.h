// The blend kernels written once over a small set of vector operations, and instantiated by the SSE2 and
// the AVX2 files with their own. Pixels are split into planes of 16-bit lanes, one plane per channel, so
// that each channel gets its own exact integer formula; the results are the scalar kernels' bit for bit.
// Included only by those two files: everything here has internal linkage.
#pragma once

#include "graphics/BlendKernels.h"
#include "graphics/BlendWeights.h"
#include "graphics/RotationSampling.h"

#include <cstdint>
#include <cstring>

namespace Tolm {

namespace {

template <typename V>
struct VectorBlend
{
    using Reg = typename V::Reg;
    // Two registers of pixels give one register per channel of 16-bit lanes.
    static constexpr int Step = 2 * V::Pixels;

    struct Planes
    {
        Reg blue, green, red, alpha;
    };

    static Planes Split(Reg first, Reg second)
    {
        Reg low = V::Packs32(V::template Srai32<16>(V::template Slli32<16>(first)),
                             V::template Srai32<16>(V::template Slli32<16>(second)));
        Reg high = V::Packs32(V::template Srai32<16>(first), V::template Srai32<16>(second));
        Reg byteMask = V::Set16(0xFF);
        return Planes{V::And(low, byteMask), V::template Srli16<8>(low), V::And(high, byteMask),
                      V::template Srli16<8>(high)};
    }

    // A block of pixels in memory: a whole one, or the first `count` pixels of one, the others reading as
    // clear and never written.
    template <typename Pixel>
    struct Whole
    {
        Pixel* pixels;
        Reg Get(int half) const { return V::Load(pixels + half * V::Pixels); }
        void Put(int half, Reg v) const { V::Store(pixels + half * V::Pixels, v); }
    };

    template <typename Pixel>
    struct Part
    {
        Pixel* pixels;
        int count;
        Reg Get(int half) const
        {
            int rest = count - half * V::Pixels;
            return rest > 0 ? V::LoadPart(pixels + half * V::Pixels, rest) : V::Zero();
        }
        void Put(int half, Reg v) const
        {
            int rest = count - half * V::Pixels;
            if (rest > 0) {
                V::StorePart(pixels + half * V::Pixels, v, rest);
            }
        }
    };

    template <typename Block>
    static Planes Load(const Block& block)
    {
        return Split(block.Get(0), block.Get(1));
    }

    // The alpha plane of a block alone.
    static Reg AlphaPlane(const uint32_t* pixels)
    {
        Reg high =
            V::Packs32(V::template Srai32<16>(V::Load(pixels)), V::template Srai32<16>(V::Load(pixels + V::Pixels)));
        return V::template Srli16<8>(high);
    }

    template <typename Block>
    static void Store(const Planes& planes, const Block& block)
    {
        Reg low = V::Or(planes.blue, V::template Slli16<8>(planes.green));
        Reg high = V::Or(planes.red, V::template Slli16<8>(planes.alpha));
        block.Put(0, V::Unpacklo16(low, high));
        block.Put(1, V::Unpackhi16(low, high));
    }

    static Reg Select(Reg mask, Reg whenSet, Reg otherwise)
    {
        return V::Or(V::And(mask, whenSet), V::Andnot(mask, otherwise));
    }

    static Planes Select(Reg mask, const Planes& whenSet, const Planes& otherwise)
    {
        return Planes{Select(mask, whenSet.blue, otherwise.blue), Select(mask, whenSet.green, otherwise.green),
                      Select(mask, whenSet.red, otherwise.red), Select(mask, whenSet.alpha, otherwise.alpha)};
    }

    // Whether all the pixels of a block have alpha 0, or all have alpha 255.
    template <typename Block>
    static bool AllClear(const Block& block)
    {
        Reg alphaMask = V::Set32(0xFF000000);
        Reg alphas = V::Or(V::And(block.Get(0), alphaMask), V::And(block.Get(1), alphaMask));
        return V::AllSet(V::Cmpeq32(alphas, V::Zero()));
    }

    template <typename Block>
    static bool AllOpaque(const Block& block)
    {
        Reg alphaMask = V::Set32(0xFF000000);
        Reg alphas = V::And(V::And(block.Get(0), block.Get(1)), alphaMask);
        return V::AllSet(V::Cmpeq32(alphas, alphaMask));
    }

    // x / 255 for x up to 255 * 255.
    static Reg Divide255(Reg x) { return V::template Srli16<7>(V::Mulhi16(x, V::Set16(0x8081))); }

    // The blend weight and the resulting alpha of each lane. Over an opaque or a clear destination, and for
    // an opaque source, they follow without a division; other lanes are looked up.
    static void Weights(Reg a, Reg destAlpha, Reg& weight, Reg& outAlpha)
    {
        Reg full = V::Set16(255);
        Reg destOpaque = V::Cmpeq16(destAlpha, full);
        Reg destClear = V::Cmpeq16(destAlpha, V::Zero());
        Reg simple = V::Or(V::Or(destOpaque, destClear), V::Or(V::Cmpeq16(a, full), V::Cmpeq16(a, V::Zero())));
        if (V::AllSet(simple)) {
            weight = Select(destOpaque, a, full);
            outAlpha = Select(destClear, a, full);
            return;
        }
        V::LookUpWeights(V::Or(V::template Slli16<8>(a), destAlpha), weight, outAlpha);
    }

    // (s * h + d * k) >> 8: red and green of the untinted blend, and every channel of a fill.
    static Reg Mix(Reg s, Reg h, Reg d, Reg k)
    {
        return V::template Srli16<8>(V::Add16(V::Mullo16(s, h), V::Mullo16(d, k)));
    }

    // ((s * h) >> 8) + ((d * k) >> 8): blue of the blends, given s * h.
    static Reg MixApart(Reg sh, Reg d, Reg k)
    {
        return V::Add16(V::template Srli16<8>(sh), V::template Srli16<8>(V::Mullo16(d, k)));
    }

    // (((s * h * c) >> 8) + d * k) >> 8, with c given as c << 8.
    static Reg MixTinted(Reg s, Reg h, Reg tintShifted, Reg d, Reg k)
    {
        return V::template Srli16<8>(V::Add16(V::Mulhi16(V::Mullo16(s, h), tintShifted), V::Mullo16(d, k)));
    }

    static Planes BlendUntinted(const Planes& s, const Planes& d, Reg h, Reg outAlpha)
    {
        Reg k = V::Sub16(V::Set16(256), h);
        return Planes{MixApart(V::Mullo16(s.blue, h), d.blue, k), Mix(s.green, h, d.green, k), Mix(s.red, h, d.red, k),
                      outAlpha};
    }

    // Runs a block operation over a row. The pixels left after the last whole block go through the same
    // operation as a part of a block, so that every pixel of the row gets the vector arithmetic.
    template <typename Op>
    [[gnu::always_inline]] static void Rows(uint32_t* dest, const uint32_t* source, int count, const Op& op)
    {
        int i = 0;
        for (; i + Step <= count; i += Step) {
            op(Whole<uint32_t>{dest + i}, Whole<const uint32_t>{source + i});
        }
        if (i < count) {
            op(Part<uint32_t>{dest + i, count - i}, Part<const uint32_t>{source + i, count - i});
        }
    }

    enum class Tint
    {
        White,
        Grey,
        Other,
    };

    template <Tint Kind>
    struct BlendOp
    {
        Reg tintAlpha, redShifted, greenShifted, blueTint, grey;

        explicit BlendOp(const BlendTint& tint)
            : tintAlpha(V::Set16(uint16_t(tint.alpha))), redShifted(V::Set16(uint16_t(tint.red << 8))),
              greenShifted(V::Set16(uint16_t(tint.green << 8))), blueTint(V::Set16(uint16_t(tint.blue))),
              grey(V::Set16(uint16_t(tint.red)))
        {}

        template <typename Dest, typename Source>
        [[gnu::always_inline]] void operator()(const Dest& dest, const Source& source) const
        {
            if (AllClear(source)) {
                return;
            }
            Planes s = Load(source);
            Reg a = Kind == Tint::White ? s.alpha : Divide255(V::Mullo16(s.alpha, tintAlpha));
            Reg skip = V::Cmpeq16(a, V::Zero());
            Planes d = Load(dest);
            Reg h, outAlpha;
            Weights(a, d.alpha, h, outAlpha);
            Planes out;
            if constexpr (Kind == Tint::White) {
                out = BlendUntinted(s, d, h, outAlpha);
            } else {
                Reg k = V::Sub16(V::Set16(256), h);
                out.alpha = outAlpha;
                out.green = MixTinted(s.green, h, greenShifted, d.green, k);
                if constexpr (Kind == Tint::Grey) {
                    out.red = Mix(V::template Srli16<8>(V::Mullo16(s.red, grey)), h, d.red, k);
                    out.blue = MixApart(V::Mullo16(V::template Srli16<8>(V::Mullo16(s.blue, grey)), h), d.blue, k);
                } else {
                    out.red = MixTinted(s.red, h, redShifted, d.red, k);
                    out.blue = V::Add16(V::Mulhi16(V::Mullo16(s.blue, h), blueTint),
                                        V::template Srli16<8>(V::Mullo16(d.blue, k)));
                }
            }
            Store(V::AnySet(skip) ? Select(skip, d, out) : out, dest);
        }
    };

    // A tail of a few pixels after whole blocks costs the plain kernel less than a block of its own: a
    // 36-pixel tile row would otherwise pay for two blocks.
    static bool PlainTail(int count) { return count >= Step && count % Step <= Step / 4; }

    template <Tint Kind>
    static void Blend(uint32_t* dest, const uint32_t* source, int count, const BlendTint& tint)
    {
        if (!PlainTail(count)) {
            Rows(dest, source, count, BlendOp<Kind>(tint));
            return;
        }
        int whole = count - count % Step;
        Rows(dest, source, whole, BlendOp<Kind>(tint));
        const BlendKernels& plain = ScalarBlendKernels();
        BlendRow rest = Kind == Tint::White  ? plain.blendWhite
                        : Kind == Tint::Grey ? plain.blendGrey
                                             : plain.blendTinted;
        rest(dest + whole, source + whole, count - whole, tint);
    }

    // Over a destination taken to be opaque: opaque pixels are copied, clear ones skipped, and the others
    // blend by their own alpha and come out opaque. A weight of 256 for opaque pixels copies them and one
    // of 0 for clear pixels keeps them, but for the alpha, which stays the destination's there.
    static Planes OntoOpaque(const Planes& s, const Planes& d)
    {
        Reg full = V::Set16(255);
        Reg h = V::Sub16(s.alpha, V::Cmpeq16(s.alpha, full));
        Reg alpha = V::Or(d.alpha, V::Andnot(V::Cmpeq16(s.alpha, V::Zero()), full));
        return BlendUntinted(s, d, h, alpha);
    }

    struct OntoOpaqueOp
    {
        template <typename Dest, typename Source>
        [[gnu::always_inline]] void operator()(const Dest& dest, const Source& source) const
        {
            if (AllOpaque(source)) {
                dest.Put(0, source.Get(0));
                dest.Put(1, source.Get(1));
                return;
            }
            if (AllClear(source)) {
                return;
            }
            Store(OntoOpaque(Load(source), Load(dest)), dest);
        }
    };

    static void BlitOntoOpaque(uint32_t* dest, const uint32_t* source, int count, const BlendTint&)
    {
        Rows(dest, source, count, OntoOpaqueOp());
    }

    // A clear run of a block or more is skipped, and an opaque run this long copied whole. Everything else
    // goes through the blend's blocks, which skip, copy or blend each pixel by its own alpha, so their
    // boundaries need not fall on those of the runs: a block starts wherever no such run does and may
    // reach into the runs after it, and short runs cost no step of their own. A row that ends less than a
    // block after such a run ends with a whole block, which takes the end of the run with it. Rows too
    // narrow for two long runs go through the blocks alone, which costs less than looking at their runs.
    static constexpr int LongRun = 64;

    static void BlitRunsOntoOpaque(uint32_t* dest, const uint32_t* source, const uint8_t* runs, int count)
    {
        OntoOpaqueOp op;
        int i = 0;
        while (count >= 2 * LongRun && i + Step <= count) {
            int length = RunLength(runs, i, count);
            uint32_t alpha = source[i] >> 24;
            bool whole = alpha == 0 ? length >= Step : alpha == 255 && length >= LongRun;
            if (!whole) {
                op(Whole<uint32_t>{dest + i}, Whole<const uint32_t>{source + i});
                i += Step;
                continue;
            }
            // A run longer than the table counts goes on in the next entry: its last counted pixel has more
            // after it. The run table alone tells, so the pixels of a clear run are never read.
            int end = i + length;
            while (end < count && runs[end - 1] > 1) {
                end += RunLength(runs, end, count);
            }
            int stop = end < count && count - end < Step ? count - Step : end;
            if (alpha == 255) {
                std::memcpy(dest + i, source + i, std::size_t(stop - i) * sizeof(uint32_t));
            }
            i = stop;
        }
        Rows(dest + i, source + i, count - i, op);
    }

    struct FillOp
    {
        Reg a, red, green, blue;

        explicit FillOp(uint32_t color)
            : a(V::Set16(uint16_t(color >> 24))), red(V::Set16(uint16_t((color >> 16) & 0xFF))),
              green(V::Set16(uint16_t((color >> 8) & 0xFF))), blue(V::Set16(uint16_t(color & 0xFF)))
        {}

        template <typename Dest, typename Source>
        [[gnu::always_inline]] void operator()(const Dest& dest, const Source&) const
        {
            Planes d = Load(dest);
            Reg m, outAlpha;
            Weights(a, d.alpha, m, outAlpha);
            Reg k = V::Sub16(V::Set16(256), m);
            Store(Planes{Mix(blue, m, d.blue, k), Mix(green, m, d.green, k), Mix(red, m, d.red, k), outAlpha}, dest);
        }
    };

    static void OverBlend(uint32_t* dest, int count, uint32_t color) { Rows(dest, dest, count, FillOp(color)); }

    enum class Addition
    {
        Plain,
        Weighted,
        Tinted,
        TintedWeighted,
    };

    // The additions work on the packed pixels: each byte widens to a 16-bit lane in place, and the sum
    // saturates bytewise, which is exactly min(d + x, 255) for the x <= 255 these formulas give.
    template <Addition Kind>
    struct AddOp
    {
        Reg colorMask, tintLanes, blueLanes;

        explicit AddOp(const BlendTint& tint)
            : colorMask(V::Set32(0x00FFFFFF)),
              tintLanes(V::Set64((uint64_t(tint.red) << 32) | (uint64_t(tint.green) << 16) | uint64_t(tint.blue))),
              blueLanes(V::Set64(0xFFFF))
        {}

        // What each 16-bit lane of a widened source pixel adds. The tinted weighted one gives red and
        // green (s * c * a) >> 16 and blue ((s * c) >> 8) * a >> 8.
        Reg Amount(Reg s) const
        {
            if constexpr (Kind == Addition::Weighted) {
                return V::template Srli16<8>(V::Mullo16(s, V::BroadcastAlpha16(s)));
            } else if constexpr (Kind == Addition::Tinted) {
                return V::template Srli16<8>(V::Mullo16(s, tintLanes));
            } else {
                Reg tinted = V::Mullo16(s, tintLanes);
                Reg a = V::BroadcastAlpha16(s);
                Reg blue = V::template Srli16<8>(V::Mullo16(V::template Srli16<8>(tinted), a));
                return Select(blueLanes, blue, V::Mulhi16(tinted, a));
            }
        }

        Reg Added(Reg s) const
        {
            if constexpr (Kind == Addition::Plain) {
                return V::And(s, colorMask);
            } else {
                Reg low = Amount(V::Unpacklo8(s, V::Zero()));
                Reg high = Amount(V::Unpackhi8(s, V::Zero()));
                return V::And(V::Packus16(low, high), colorMask);
            }
        }

        // Weighted additions of clear pixels add nothing; unweighted ones add their colour even then.
        template <typename Dest, typename Source>
        [[gnu::always_inline]] void operator()(const Dest& dest, const Source& source) const
        {
            constexpr bool weighted = Kind == Addition::Weighted || Kind == Addition::TintedWeighted;
            if (weighted && AllClear(source)) {
                return;
            }
            for (int half = 0; half < 2; ++half) {
                dest.Put(half, V::AddsU8(dest.Get(half), Added(source.Get(half))));
            }
        }
    };

    template <Addition Kind>
    static void Add(uint32_t* dest, const uint32_t* source, int count, const BlendTint& tint)
    {
        Rows(dest, source, count, AddOp<Kind>(tint));
    }

    struct AddOntoSurfaceOp
    {
        template <typename Dest, typename Source>
        [[gnu::always_inline]] void operator()(const Dest& dest, const Source& source) const
        {
            Reg colorMask = V::Set32(0x00FFFFFF);
            for (int half = 0; half < 2; ++half) {
                Reg s = V::And(source.Get(half), colorMask);
                Reg d = dest.Get(half);
                Reg added = V::And(V::AddsU8(d, s), colorMask);
                dest.Put(half, Select(V::Cmpeq32(s, V::Zero()), d, added));
            }
        }
    };

    static void AddOntoSurface(uint32_t* dest, const uint32_t* source, int count, const BlendTint&)
    {
        Rows(dest, source, count, AddOntoSurfaceOp());
    }

    // The 32-bit surface fill on the packed pixels: blue and red scaled where they lie, each in the low byte
    // of its 16-bit lane; green shifted down into its lane's low byte, so that its product's high byte
    // lands back in green's place. The colour is added to the whole word, as in the plain sum.
    struct SurfaceFill32Op
    {
        Reg colour, k;

        template <typename Dest, typename Source>
        [[gnu::always_inline]] void operator()(const Dest& dest, const Source&) const
        {
            for (int half = 0; half < 2; ++half) {
                Reg d = dest.Get(half);
                Reg blueRed = V::template Srli16<8>(V::Mullo16(V::And(d, V::Set32(0x00FF00FF)), k));
                Reg green = V::And(V::Mullo16(V::template Srli16<8>(d), k), V::Set32(0x0000FF00));
                dest.Put(half, V::Add32(V::Or(blueRed, green), colour));
            }
        }
    };

    static void FillSurface32(uint32_t* dest, int count, uint32_t colour, uint32_t k)
    {
        Rows(dest, dest, count, SurfaceFill32Op{V::Set32(colour), V::Set16(uint16_t(k))});
    }

    // The 5-6-5 fill, one pixel a 16-bit lane. A part block would read 32-bit lanes, which a 16-bit row
    // need not align to, so the pixels after the last whole block take the plain rule.
    struct SurfaceFill565Op
    {
        Reg colour, k;

        [[gnu::always_inline]] Reg Keep(Reg field, uint16_t m) const
        {
            return V::template Srli16<8>(V::Add16(V::Mullo16(field, k), V::Set16(m)));
        }

        [[gnu::always_inline]] void operator()(uint16_t* pixels) const
        {
            Whole<uint32_t> block{reinterpret_cast<uint32_t*>(pixels)};
            for (int half = 0; half < 2; ++half) {
                Reg d = block.Get(half);
                Reg top = V::template Slli16<11>(Keep(V::template Srli16<11>(d), 31));
                Reg middle = V::template Slli16<5>(Keep(V::And(V::template Srli16<5>(d), V::Set16(63)), 63));
                Reg bottom = Keep(V::And(d, V::Set16(31)), 31);
                block.Put(half, V::Add16(V::Or(V::Or(top, middle), bottom), colour));
            }
        }
    };

    static void FillSurface565(uint16_t* dest, int count, uint32_t colour, uint32_t k)
    {
        const SurfaceFill565Op op{V::Set16(uint16_t(colour)), V::Set16(uint16_t(k))};
        int i = 0;
        for (; i + 2 * Step <= count; i += 2 * Step) {
            op(dest + i);
        }
        ScalarBlendKernels().fillSurface565(dest + i, count - i, colour, k);
    }

    // The column sums of the area-filtered stretch: the source bytes widen to 16-bit lanes in place, so
    // each lane's products and sum stay below 65536. Columns after the last whole block are summed one by
    // one, as the source rows may end there.
    static void StretchColumns(uint16_t* sums, const uint32_t* const* rows, const uint16_t* weights, int taps,
                               int count)
    {
        constexpr int Half = V::Pixels / 2;
        const Reg offset = V::Set16(0x8000);
        int x = 0;
        for (; x + V::Pixels <= count; x += V::Pixels) {
            Reg low = V::Zero();
            Reg high = V::Zero();
            for (int t = 0; t < taps; ++t) {
                Reg weight = V::Set16(weights[t]);
                low = V::Add16(low, V::Mullo16(V::LoadWidened(rows[t] + x), weight));
                high = V::Add16(high, V::Mullo16(V::LoadWidened(rows[t] + x + Half), weight));
            }
            V::StoreWide(sums + 4 * x, V::Xor(low, offset));
            V::StoreWide(sums + 4 * (x + Half), V::Xor(high, offset));
        }
        for (; x < count; ++x) {
            for (int channel = 0; channel < 4; ++channel) {
                uint32_t sum = 0;
                for (int t = 0; t < taps; ++t) {
                    sum += ((rows[t][x] >> (8 * channel)) & 0xFF) * weights[t];
                }
                sums[4 * x + channel] = uint16_t(sum ^ 0x8000);
            }
        }
    }

    static Reg LoadWords(const int32_t* p) { return V::Load(reinterpret_cast<const uint32_t*>(p)); }

    // The entries of the area-filtered stretch, V::Pixels at a time in four registers of 32-bit totals
    // (named, not an array, so that they stay in registers): each pair of neighbouring columns is weighed
    // with one multiply-add per channel.
    static void StretchEntries(uint32_t* pixels, const uint16_t* sums, const StretchEntryWeights& entries)
    {
        constexpr int PerRegister = V::Pixels / 4;
        for (int c = 0; c < entries.count; c += V::Pixels) {
            const int32_t* first = entries.first + c;
            const int32_t* bias = entries.bias + 4 * c;
            Reg total0 = LoadWords(bias);
            Reg total1 = LoadWords(bias + 4 * PerRegister);
            Reg total2 = LoadWords(bias + 8 * PerRegister);
            Reg total3 = LoadWords(bias + 12 * PerRegister);
            for (int p = 0; p < entries.pairs; ++p) {
                const int32_t* weights = entries.weights + 4 * (p * entries.count + c);
                int offset = 2 * p;
                total0 = V::Add32(total0, V::Madd16(V::LoadEntryPairs(sums, first, offset), LoadWords(weights)));
                total1 = V::Add32(total1, V::Madd16(V::LoadEntryPairs(sums, first + PerRegister, offset),
                                                    LoadWords(weights + 4 * PerRegister)));
                total2 = V::Add32(total2, V::Madd16(V::LoadEntryPairs(sums, first + 2 * PerRegister, offset),
                                                    LoadWords(weights + 8 * PerRegister)));
                total3 = V::Add32(total3, V::Madd16(V::LoadEntryPairs(sums, first + 3 * PerRegister, offset),
                                                    LoadWords(weights + 12 * PerRegister)));
            }
            V::Store(pixels + c, V::PackPixels(V::template Srai32<16>(total0), V::template Srai32<16>(total1),
                                               V::template Srai32<16>(total2), V::template Srai32<16>(total3)));
        }
    }

    struct StretchOverOp
    {
        template <typename Dest, typename Source>
        [[gnu::always_inline]] void operator()(const Dest& dest, const Source& source) const
        {
            if (AllClear(source)) {
                return;
            }
            Planes s = Load(source);
            Planes d = Load(dest);
            Reg a = s.alpha;
            Reg k = V::Sub16(V::Set16(256), a);
            Reg alpha = V::Add16(d.alpha, Divide255(V::Mullo16(V::Sub16(V::Set16(255), d.alpha), a)));
            Planes out{MixApart(V::Mullo16(s.blue, a), d.blue, k), MixApart(V::Mullo16(s.green, a), d.green, k),
                       MixApart(V::Mullo16(s.red, a), d.red, k), alpha};
            Store(Select(V::Cmpeq16(a, V::Zero()), d, out), dest);
        }
    };

    static void StretchOver(uint32_t* dest, const uint32_t* source, int count, const BlendTint&)
    {
        Rows(dest, source, count, StretchOverOp());
    }

    // The destination's channels scaled in 16-bit lanes, then the source added to the packed pixels, so
    // that a channel that overflows carries into the next as in the plain 32-bit sum.
    struct PremultipliedOp
    {
        template <typename Dest, typename Source>
        [[gnu::always_inline]] void operator()(const Dest& dest, const Source& source) const
        {
            Planes d = Load(dest);
            Reg k = V::Sub16(V::Set16(256), Load(source).alpha);
            Reg low = V::Or(V::template Srli16<8>(V::Mullo16(d.blue, k)),
                            V::template Slli16<8>(V::template Srli16<8>(V::Mullo16(d.green, k))));
            Reg high = V::template Srli16<8>(V::Mullo16(d.red, k));
            dest.Put(0, V::Add32(V::Unpacklo16(low, high), source.Get(0)));
            dest.Put(1, V::Add32(V::Unpackhi16(low, high), source.Get(1)));
        }
    };

    static void BlendPremultiplied(uint32_t* dest, const uint32_t* source, int count, const BlendTint&)
    {
        Rows(dest, source, count, PremultipliedOp());
    }

    // Each channel's two products and their sum are taken modulo 65536, which keeps the bits 8 to 15
    // that the result is.
    struct PremultipliedTintedOp
    {
        Reg tintAlpha, red, green, blue;

        explicit PremultipliedTintedOp(const BlendTint& tint)
            : tintAlpha(V::Set16(uint16_t(tint.alpha))), red(V::Set16(uint16_t(tint.red))),
              green(V::Set16(uint16_t(tint.green))), blue(V::Set16(uint16_t(tint.blue)))
        {}

        template <typename Dest, typename Source>
        [[gnu::always_inline]] void operator()(const Dest& dest, const Source& source) const
        {
            Planes s = Load(source);
            Planes d = Load(dest);
            Reg q = V::Sub16(V::Set16(256), Divide255(V::Mullo16(s.alpha, tintAlpha)));
            auto mix = [q](Reg dc, Reg sc, Reg c) {
                return V::template Srli16<8>(V::Add16(V::Mullo16(dc, q), V::Mullo16(sc, c)));
            };
            Store(Planes{mix(d.blue, s.blue, blue), mix(d.green, s.green, green), mix(d.red, s.red, red), V::Zero()},
                  dest);
        }
    };

    static void BlendPremultipliedTinted(uint32_t* dest, const uint32_t* source, int count, const BlendTint& tint)
    {
        Rows(dest, source, count, PremultipliedTintedOp(tint));
    }

    // The samples of a draw moved by a fraction of a pixel, 16-bit lanes per channel: every weight, product
    // and sum of the plain arithmetic fits them. `Taps` is 1 at a whole-pixel position, where the odd
    // fractions leave the three neighbours no area weight: their terms are 0, so they are neither read nor
    // summed, and the pixels stay the same.
    struct ShiftedSums
    {
        // Lanes of ones for the pixels none of whose texels weighs anything.
        Reg skip;
        Reg total, red, green, blue;
    };

    // The rule's constants: the area weights, and the tint's alpha and channels, the normal ones as c + 1.
    struct ShiftedConstants
    {
        Reg area[4];
        Reg tintAlpha, red, green, blue;

        explicit ShiftedConstants(const ShiftedSampling& s)
            : area{V::Set16(uint16_t(s.area[0])), V::Set16(uint16_t(s.area[1])), V::Set16(uint16_t(s.area[2])),
                   V::Set16(uint16_t(s.area[3]))},
              tintAlpha(V::Set16(uint16_t(s.rule.tint.alpha))),
              red(V::Set16(uint16_t(s.rule.tint.red + (s.rule.additive ? 0 : 1)))),
              green(V::Set16(uint16_t(s.rule.tint.green + (s.rule.additive ? 0 : 1)))),
              blue(V::Set16(uint16_t(s.rule.tint.blue + (s.rule.additive ? 0 : 1))))
        {}

        // The texels' own weights first, from their alpha planes alone, scaled by the tint's alpha when
        // `Scaled`; their colour planes are read only when a texel weighs. `texels` are the rows of texels
        // (i, j), (i + 1, j), (i, j + 1) and (i + 1, j + 1) of each pixel. False when none weighs.
        template <bool Scaled, int Taps>
        [[gnu::always_inline]] bool Sum(const uint32_t* const (&texels)[4], ShiftedSums& sums) const
        {
            Reg weights[4] = {V::Zero(), V::Zero(), V::Zero(), V::Zero()};
            for (int t = 0; t < Taps; ++t) {
                weights[t] = V::Mulhi16(area[t], AlphaPlane(texels[t]));
            }
            sums.skip = V::Cmpeq16(V::Or(V::Or(weights[0], weights[1]), V::Or(weights[2], weights[3])), V::Zero());
            if (V::AllSet(sums.skip)) {
                return false;
            }
            if constexpr (Scaled) {
                for (Reg& weight : weights) {
                    weight = V::template Srli16<8>(V::Mullo16(weight, tintAlpha));
                }
            }
            sums.total = V::Add16(V::Add16(weights[0], weights[1]), V::Add16(weights[2], weights[3]));
            sums.red = V::Zero();
            sums.green = V::Zero();
            sums.blue = V::Zero();
            for (int t = 0; t < Taps; ++t) {
                Planes texel = Load(Whole<const uint32_t>{texels[t]});
                sums.red = V::Add16(sums.red, V::Mullo16(texel.red, weights[t]));
                sums.green = V::Add16(sums.green, V::Mullo16(texel.green, weights[t]));
                sums.blue = V::Add16(sums.blue, V::Mullo16(texel.blue, weights[t]));
            }
            return true;
        }

        // The tinted addition, the tint scaled by its alpha: red rounds its sum before the product, green
        // and blue after; each channel saturates.
        Planes AddTinted(const Planes& d, const ShiftedSums& sums, Reg alpha) const
        {
            Reg r = V::template Srli16<8>(V::Mullo16(V::template Srli16<8>(sums.red), red));
            Reg full = V::Set16(255);
            return Planes{V::Min16(V::Add16(d.blue, V::Mulhi16(sums.blue, blue)), full),
                          V::Min16(V::Add16(d.green, V::Mulhi16(sums.green, green)), full),
                          V::Min16(V::Add16(d.red, r), full), alpha};
        }
    };

    // Onto memory pixels by the rotated blits' rules. The pixels whose cover needs a true division (a
    // weight below 251 over a destination alpha that leaves the result short of opaque) go through the
    // plain rule instead, one by one.
    template <bool Additive, bool White, int Taps>
    struct ShiftedOp
    {
        // Only a tint in normal mode scales the weights.
        static constexpr bool Scaled = !Additive && !White;
        const ShiftedSampling& sampling;
        ShiftedConstants constants;

        explicit ShiftedOp(const ShiftedSampling& s) : sampling(s), constants(s) {}

        static SampleRow PlainRow() { return ScalarBlendKernels().sampleShifted; }

        // (c + ((((dc * dA) >> 8) * inverse) >> 8)) & 255: a cover whose division is by 256.
        static Reg MixShifted(Reg c, Reg destChannel, Reg destAlpha, Reg inverse)
        {
            Reg kept = V::template Srli16<8>(V::Mullo16(destChannel, destAlpha));
            return V::And(V::Add16(c, V::template Srli16<8>(V::Mullo16(kept, inverse))), V::Set16(0xFF));
        }

        Planes Cover(const Planes& d, Reg total, Reg r, Reg g, Reg b, Reg& hard) const
        {
            Reg full = V::Cmpgt16(total, V::Set16(250));
            Reg inverse = V::Sub16(V::Set16(256), total);
            // outAlpha is 256 when ((256 - dA) * inverse) >> 8 is 0; a weight of 0 is left out, as it would
            // overflow the lane over a clear pixel.
            Reg shifted = V::Andnot(
                V::Cmpeq16(total, V::Zero()),
                V::Cmpeq16(V::template Srli16<8>(V::Mullo16(V::Sub16(V::Set16(256), d.alpha), inverse)), V::Zero()));
            hard = V::Andnot(V::Or(full, shifted), V::Set16(0xFFFF));
            Planes covered{Select(full, b, MixShifted(b, d.blue, d.alpha, inverse)),
                           Select(full, g, MixShifted(g, d.green, d.alpha, inverse)),
                           Select(full, r, MixShifted(r, d.red, d.alpha, inverse)), V::Set16(255)};
            return covered;
        }

        Planes Combine(const Planes& d, const ShiftedSums& sums, Reg& hard) const
        {
            hard = V::Zero();
            if constexpr (Additive && White) {
                Reg full = V::Set16(255);
                return Planes{V::Min16(V::Add16(d.blue, V::template Srli16<8>(sums.blue)), full),
                              V::Min16(V::Add16(d.green, V::template Srli16<8>(sums.green)), full),
                              V::Min16(V::Add16(d.red, V::template Srli16<8>(sums.red)), full), d.alpha};
            } else if constexpr (Additive) {
                return constants.AddTinted(d, sums, d.alpha);
            } else if constexpr (White) {
                return Cover(d, sums.total, V::template Srli16<8>(sums.red), V::template Srli16<8>(sums.green),
                             V::template Srli16<8>(sums.blue), hard);
            } else {
                Reg r = V::Mulhi16(sums.red, constants.red);
                Reg g = V::template Srli16<8>(V::Mullo16(V::template Srli16<8>(sums.green), constants.green));
                Reg b = V::template Srli16<8>(V::Mullo16(V::template Srli16<8>(sums.blue), constants.blue));
                return Cover(d, sums.total, r, g, b, hard);
            }
        }

        // `marked` has a lane of ones for each pixel of the block to redo. The mask is spread to pixels the
        // way Store spreads the planes.
        void Plain(uint32_t* dest, const uint32_t* const (&texels)[4], Reg marked) const
        {
            alignas(64) uint32_t pixelMarks[Step];
            V::Store(pixelMarks, V::Unpacklo16(marked, marked));
            V::Store(pixelMarks + V::Pixels, V::Unpackhi16(marked, marked));
            for (int k = 0; k < Step; ++k) {
                if (pixelMarks[k] != 0) {
                    const uint32_t texel[4] = {texels[0][k], texels[1][k], texels[2][k], texels[3][k]};
                    dest[k] = RotationSampling::SampleShiftedPixel<Taps>(dest[k], texel, sampling);
                }
            }
        }

        [[gnu::always_inline]] void operator()(uint32_t* dest, const uint32_t* const (&texels)[4]) const
        {
            ShiftedSums sums;
            if (!constants.template Sum<Scaled, Taps>(texels, sums)) {
                return;
            }
            Whole<uint32_t> block{dest};
            Planes d = Load(block);
            Reg hard;
            Planes out = Combine(d, sums, hard);
            Reg redo = V::Andnot(sums.skip, hard);
            Store(Select(V::Or(sums.skip, hard), d, out), block);
            if (V::AnySet(redo)) {
                Plain(dest, texels, redo);
            }
        }
    };

    // Onto a 32-bit surface by its rules: every pixel is written, its top byte 0, and no cover divides.
    template <bool Additive, bool White, int Taps>
    struct ShiftedOntoSurfaceOp
    {
        static constexpr bool Scaled = !Additive && !White;
        ShiftedConstants constants;

        explicit ShiftedOntoSurfaceOp(const ShiftedSampling& s) : constants(s) {}

        static SampleRow PlainRow() { return ScalarBlendKernels().sampleShiftedOntoSurface; }

        [[gnu::always_inline]] void operator()(uint32_t* dest, const uint32_t* const (&texels)[4]) const
        {
            Whole<uint32_t> block{dest};
            ShiftedSums sums;
            if (!constants.template Sum<Scaled, Taps>(texels, sums)) {
                Reg colours = V::Set32(0x00FFFFFF);
                block.Put(0, V::And(block.Get(0), colours));
                block.Put(1, V::And(block.Get(1), colours));
                return;
            }
            Planes d = Load(block);
            if constexpr (Additive) {
                Store(constants.AddTinted(d, sums, V::Zero()), block);
                return;
            }
            Reg r, g, b;
            if constexpr (White) {
                r = V::template Srli16<8>(sums.red);
                g = V::template Srli16<8>(sums.green);
                b = V::template Srli16<8>(sums.blue);
            } else {
                r = V::Mulhi16(sums.red, constants.red);
                g = V::Mulhi16(sums.green, constants.green);
                b = V::template Srli16<8>(V::Mullo16(V::template Srli16<8>(sums.blue), constants.blue));
            }
            Reg k = V::Sub16(V::Set16(256), sums.total);
            auto keep = [k](Reg c) { return V::template Srli16<8>(V::Mullo16(c, k)); };
            Store(Planes{V::Add16(b, keep(d.blue)), V::Add16(g, keep(d.green)), V::Add16(r, keep(d.red)), V::Zero()},
                  block);
        }
    };

    // The pixels after the last whole block go through the vector arithmetic too, in padded copies whose
    // padding texels are clear; the padding pixels are not copied back. A tail of a few pixels goes through
    // the plain row, which costs less than the copies and a block.
    template <typename Op>
    static void ShiftedRows(uint32_t* dest, const uint32_t* top, const uint32_t* bottom, int count,
                            const ShiftedSampling& sampling)
    {
        Op op(sampling);
        int k = 0;
        for (; k + Step <= count; k += Step) {
            const uint32_t* const texels[4] = {top + k, top + k + 1, bottom + k, bottom + k + 1};
            op(dest + k, texels);
        }
        int rest = count - k;
        if (rest <= 0) {
            return;
        }
        if (PlainTail(count)) {
            Op::PlainRow()(dest + k, top + k, bottom + k, rest, sampling);
            return;
        }
        alignas(64) uint32_t destBlock[Step] = {};
        alignas(64) uint32_t texelBlocks[4][Step] = {};
        for (int j = 0; j < rest; ++j) {
            destBlock[j] = dest[k + j];
            texelBlocks[0][j] = top[k + j];
            texelBlocks[1][j] = top[k + j + 1];
            texelBlocks[2][j] = bottom[k + j];
            texelBlocks[3][j] = bottom[k + j + 1];
        }
        const uint32_t* const texels[4] = {texelBlocks[0], texelBlocks[1], texelBlocks[2], texelBlocks[3]};
        op(destBlock, texels);
        for (int j = 0; j < rest; ++j) {
            dest[k + j] = destBlock[j];
        }
    }

    template <template <bool, bool, int> class Op, bool Additive, bool White>
    static void ShiftedRowsOfRule(uint32_t* dest, const uint32_t* top, const uint32_t* bottom, int count,
                                  const ShiftedSampling& sampling)
    {
        (RotationSampling::OnlyFirstTexelWeighs(sampling)
             ? ShiftedRows<Op<Additive, White, 1>>
             : ShiftedRows<Op<Additive, White, 4>>)(dest, top, bottom, count, sampling);
    }

    static void SampleShifted(uint32_t* dest, const uint32_t* top, const uint32_t* bottom, int count,
                              const ShiftedSampling& sampling)
    {
        const SampleRule& rule = sampling.rule;
        if (rule.additive) {
            (rule.white ? ShiftedRowsOfRule<ShiftedOp, true, true>
                        : ShiftedRowsOfRule<ShiftedOp, true, false>)(dest, top, bottom, count, sampling);
        } else {
            (rule.white ? ShiftedRowsOfRule<ShiftedOp, false, true>
                        : ShiftedRowsOfRule<ShiftedOp, false, false>)(dest, top, bottom, count, sampling);
        }
    }

    // Onto a surface the addition is always the tinted one.
    static void SampleShiftedOntoSurface(uint32_t* dest, const uint32_t* top, const uint32_t* bottom, int count,
                                         const ShiftedSampling& sampling)
    {
        const SampleRule& rule = sampling.rule;
        if (rule.additive) {
            ShiftedRowsOfRule<ShiftedOntoSurfaceOp, true, false>(dest, top, bottom, count, sampling);
        } else {
            (rule.white ? ShiftedRowsOfRule<ShiftedOntoSurfaceOp, false, true>
                        : ShiftedRowsOfRule<ShiftedOntoSurfaceOp, false, false>)(dest, top, bottom, count, sampling);
        }
    }

    static BlendKernels Make(const char* name)
    {
        return BlendKernels{.name = name,
                            .blendWhite = Blend<Tint::White>,
                            .blendGrey = Blend<Tint::Grey>,
                            .blendTinted = Blend<Tint::Other>,
                            .blitOntoOpaque = BlitOntoOpaque,
                            .blitRunsOntoOpaque = BlitRunsOntoOpaque,
                            .addWhite = Add<Addition::Plain>,
                            .addWhiteWeighted = Add<Addition::Weighted>,
                            .addTinted = Add<Addition::Tinted>,
                            .addTintedWeighted = Add<Addition::TintedWeighted>,
                            .overBlend = OverBlend,
                            .stretchColumns = StretchColumns,
                            .stretchEntries = StretchEntries,
                            .stretchOver = StretchOver,
                            .sampleShifted = SampleShifted,
                            .blendPremultiplied = BlendPremultiplied,
                            .blendPremultipliedTinted = BlendPremultipliedTinted,
                            .addOntoSurface = AddOntoSurface,
                            .fillSurface32 = FillSurface32,
                            .fillSurface565 = FillSurface565,
                            .sampleShiftedOntoSurface = SampleShiftedOntoSurface};
    }
};

} // namespace

} // namespace Tolm
