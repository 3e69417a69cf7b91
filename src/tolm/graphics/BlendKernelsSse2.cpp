// The blend kernels on SSE2, which every x86-64 processor has.
#include "graphics/BlendKernels.h"
#include "graphics/BlendWeights.h"
#include "graphics/RotationSampling.h"

#if defined(__x86_64__)

#include "graphics/BlendKernelsVector.h"

#include <emmintrin.h>

namespace Tolm {

namespace {

struct Sse2
{
    using Reg = __m128i;
    static constexpr int Pixels = 4;

    static Reg Load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static void Store(uint32_t* p, Reg v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
    static Reg LoadAligned(const uint16_t* p) { return _mm_load_si128(reinterpret_cast<const __m128i*>(p)); }
    static void StoreAligned(uint16_t* p, Reg v) { _mm_store_si128(reinterpret_cast<__m128i*>(p), v); }
    static Reg Zero() { return _mm_setzero_si128(); }
    static Reg Set16(uint16_t v) { return _mm_set1_epi16(short(v)); }
    static Reg Set32(uint32_t v) { return _mm_set1_epi32(int(v)); }
    static Reg Set64(uint64_t v) { return _mm_set1_epi64x((long long)(v)); }
    static Reg And(Reg a, Reg b) { return _mm_and_si128(a, b); }
    static Reg Or(Reg a, Reg b) { return _mm_or_si128(a, b); }
    static Reg Andnot(Reg mask, Reg b) { return _mm_andnot_si128(mask, b); }
    static Reg Add16(Reg a, Reg b) { return _mm_add_epi16(a, b); }
    static Reg Sub16(Reg a, Reg b) { return _mm_sub_epi16(a, b); }
    static Reg Mullo16(Reg a, Reg b) { return _mm_mullo_epi16(a, b); }
    static Reg Mulhi16(Reg a, Reg b) { return _mm_mulhi_epu16(a, b); }
    template <int N>
    static Reg Srli16(Reg v)
    {
        return _mm_srli_epi16(v, N);
    }
    template <int N>
    static Reg Slli16(Reg v)
    {
        return _mm_slli_epi16(v, N);
    }
    template <int N>
    static Reg Slli32(Reg v)
    {
        return _mm_slli_epi32(v, N);
    }
    template <int N>
    static Reg Srai32(Reg v)
    {
        return _mm_srai_epi32(v, N);
    }
    static Reg Cmpeq16(Reg a, Reg b) { return _mm_cmpeq_epi16(a, b); }
    static Reg Cmpeq32(Reg a, Reg b) { return _mm_cmpeq_epi32(a, b); }
    static Reg Cmpgt32(Reg a, Reg b) { return _mm_cmpgt_epi32(a, b); }
    static Reg Iota32() { return _mm_setr_epi32(0, 1, 2, 3); }
    // The first count pixels, the others clear; none when count <= 0, all from Pixels up.
    static Reg LoadPart(const uint32_t* p, int count)
    {
        if (count >= Pixels) {
            return Load(p);
        }
        alignas(16) uint32_t lanes[Pixels] = {};
        for (int j = 0; j < count; ++j) {
            lanes[j] = p[j];
        }
        return _mm_load_si128(reinterpret_cast<const __m128i*>(lanes));
    }
    static void StorePart(uint32_t* p, Reg v, int count)
    {
        if (count >= Pixels) {
            Store(p, v);
            return;
        }
        alignas(16) uint32_t lanes[Pixels];
        _mm_store_si128(reinterpret_cast<__m128i*>(lanes), v);
        for (int j = 0; j < count; ++j) {
            p[j] = lanes[j];
        }
    }
    static bool AllSet(Reg mask) { return _mm_movemask_epi8(mask) == 0xFFFF; }
    static bool AnySet(Reg mask) { return _mm_movemask_epi8(mask) != 0; }
    static Reg Packs32(Reg a, Reg b) { return _mm_packs_epi32(a, b); }
    static Reg Packus16(Reg a, Reg b) { return _mm_packus_epi16(a, b); }
    static Reg Unpacklo16(Reg a, Reg b) { return _mm_unpacklo_epi16(a, b); }
    static Reg Unpackhi16(Reg a, Reg b) { return _mm_unpackhi_epi16(a, b); }
    static Reg Unpacklo8(Reg a, Reg b) { return _mm_unpacklo_epi8(a, b); }
    static Reg Unpackhi8(Reg a, Reg b) { return _mm_unpackhi_epi8(a, b); }
    static Reg AddsU8(Reg a, Reg b) { return _mm_adds_epu8(a, b); }
    static Reg BroadcastAlpha16(Reg v) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0xFF), 0xFF); }
    static Reg Xor(Reg a, Reg b) { return _mm_xor_si128(a, b); }
    static Reg Min16(Reg a, Reg b) { return _mm_min_epi16(a, b); }
    static Reg Cmpgt16(Reg a, Reg b) { return _mm_cmpgt_epi16(a, b); }
    static Reg Add32(Reg a, Reg b) { return _mm_add_epi32(a, b); }
    static Reg Madd16(Reg a, Reg b) { return _mm_madd_epi16(a, b); }
    // Half a register of pixels, each byte widened to a 16-bit lane.
    static Reg LoadWidened(const uint32_t* p)
    {
        return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
    }
    static void StoreWide(uint16_t* p, Reg v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
    // For each entry, the two columns of 16-bit channels at its first column + offset, reordered so that the
    // two values of each channel sit side by side.
    static Reg LoadEntryPairs(const uint16_t* sums, const int32_t* first, int offset)
    {
        Reg columns = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + 4 * (first[0] + offset)));
        return _mm_unpacklo_epi16(columns, _mm_srli_si128(columns, 8));
    }
    // Four registers of 32-bit channel values, one per entry, to pixels, each value kept to 0..255.
    static Reg PackPixels(Reg a, Reg b, Reg c, Reg d)
    {
        return _mm_packus_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d));
    }

    // Each 16-bit lane holds (a << 8) | dA; SSE2 has no gather, so the lanes are looked up one by one.
    static void LookUpWeights(Reg index, Reg& weight, Reg& outAlpha)
    {
        alignas(16) uint16_t lanes[8];
        _mm_store_si128(reinterpret_cast<__m128i*>(lanes), index);
        for (uint16_t& lane : lanes) {
            BlendWeight w = blendWeights[lane];
            lane = uint16_t(w.weight | (w.outAlpha << 8));
        }
        Reg entries = _mm_load_si128(reinterpret_cast<const __m128i*>(lanes));
        weight = _mm_and_si128(entries, _mm_set1_epi16(0xFF));
        outAlpha = _mm_srli_epi16(entries, 8);
    }
};

} // namespace

const BlendKernels* Sse2BlendKernels()
{
    static const BlendKernels kernels = VectorBlend<Sse2>::Make("sse2");
    return &kernels;
}

} // namespace Tolm

#else

namespace Tolm {

const BlendKernels* Sse2BlendKernels()
{
    return nullptr;
}

} // namespace Tolm

#endif
