// The blend kernels on AVX2, chosen at run time on the processors that have it. Every header is read
// before the switch to AVX2, so that no inline function shared with other files is compiled for it; the
// code after the switch has internal linkage and runs only when the processor has the instructions.
#include "graphics/BlendKernels.h"
#include "graphics/BlendWeights.h"
#include "graphics/RotationSampling.h"

#include <cstdint>
#include <cstring>

#if defined(__x86_64__)

#include <immintrin.h>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

#include "graphics/BlendKernelsVector.h"

namespace Tolm {

namespace {

struct Avx2
{
    using Reg = __m256i;
    static constexpr int Pixels = 8;

    static Reg Load(const uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
    static void Store(uint32_t* p, Reg v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
    static Reg LoadAligned(const uint16_t* p) { return _mm256_load_si256(reinterpret_cast<const __m256i*>(p)); }
    static void StoreAligned(uint16_t* p, Reg v) { _mm256_store_si256(reinterpret_cast<__m256i*>(p), v); }
    static Reg Zero() { return _mm256_setzero_si256(); }
    static Reg Set16(uint16_t v) { return _mm256_set1_epi16(short(v)); }
    static Reg Set32(uint32_t v) { return _mm256_set1_epi32(int(v)); }
    static Reg Set64(uint64_t v) { return _mm256_set1_epi64x((long long)(v)); }
    static Reg And(Reg a, Reg b) { return _mm256_and_si256(a, b); }
    static Reg Or(Reg a, Reg b) { return _mm256_or_si256(a, b); }
    static Reg Andnot(Reg mask, Reg b) { return _mm256_andnot_si256(mask, b); }
    static Reg Add16(Reg a, Reg b) { return _mm256_add_epi16(a, b); }
    static Reg Sub16(Reg a, Reg b) { return _mm256_sub_epi16(a, b); }
    static Reg Mullo16(Reg a, Reg b) { return _mm256_mullo_epi16(a, b); }
    static Reg Mulhi16(Reg a, Reg b) { return _mm256_mulhi_epu16(a, b); }
    template <int N>
    static Reg Srli16(Reg v)
    {
        return _mm256_srli_epi16(v, N);
    }
    template <int N>
    static Reg Slli16(Reg v)
    {
        return _mm256_slli_epi16(v, N);
    }
    template <int N>
    static Reg Slli32(Reg v)
    {
        return _mm256_slli_epi32(v, N);
    }
    template <int N>
    static Reg Srai32(Reg v)
    {
        return _mm256_srai_epi32(v, N);
    }
    static Reg Cmpeq16(Reg a, Reg b) { return _mm256_cmpeq_epi16(a, b); }
    static Reg Cmpeq32(Reg a, Reg b) { return _mm256_cmpeq_epi32(a, b); }
    static Reg Cmpgt32(Reg a, Reg b) { return _mm256_cmpgt_epi32(a, b); }
    static Reg Iota32() { return _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7); }
    // The first count pixels, the others clear; none when count <= 0, all from Pixels up. The masked
    // lanes are never read or written, even past the end of the pixels.
    static Reg PartMask(int count) { return _mm256_cmpgt_epi32(_mm256_set1_epi32(count), Iota32()); }
    static Reg LoadPart(const uint32_t* p, int count)
    {
        return _mm256_maskload_epi32(reinterpret_cast<const int*>(p), PartMask(count));
    }
    static void StorePart(uint32_t* p, Reg v, int count)
    {
        _mm256_maskstore_epi32(reinterpret_cast<int*>(p), PartMask(count), v);
    }
    static bool AllSet(Reg mask) { return _mm256_movemask_epi8(mask) == -1; }
    static bool AnySet(Reg mask) { return _mm256_movemask_epi8(mask) != 0; }
    // Packing and unpacking work within each 128-bit half; Split and Merge pair them so the pixel order
    // comes back unchanged.
    static Reg Packs32(Reg a, Reg b) { return _mm256_packs_epi32(a, b); }
    static Reg Packus16(Reg a, Reg b) { return _mm256_packus_epi16(a, b); }
    static Reg Unpacklo16(Reg a, Reg b) { return _mm256_unpacklo_epi16(a, b); }
    static Reg Unpackhi16(Reg a, Reg b) { return _mm256_unpackhi_epi16(a, b); }
    static Reg Unpacklo8(Reg a, Reg b) { return _mm256_unpacklo_epi8(a, b); }
    static Reg Unpackhi8(Reg a, Reg b) { return _mm256_unpackhi_epi8(a, b); }
    static Reg AddsU8(Reg a, Reg b) { return _mm256_adds_epu8(a, b); }
    static Reg BroadcastAlpha16(Reg v) { return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(v, 0xFF), 0xFF); }
    static Reg Xor(Reg a, Reg b) { return _mm256_xor_si256(a, b); }
    static Reg Min16(Reg a, Reg b) { return _mm256_min_epi16(a, b); }
    static Reg Cmpgt16(Reg a, Reg b) { return _mm256_cmpgt_epi16(a, b); }
    static Reg Add32(Reg a, Reg b) { return _mm256_add_epi32(a, b); }
    static Reg Madd16(Reg a, Reg b) { return _mm256_madd_epi16(a, b); }
    static Reg LoadWidened(const uint32_t* p)
    {
        return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    }
    static void StoreWide(uint16_t* p, Reg v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
    // One entry per 128-bit half.
    static Reg LoadEntryPairs(const uint16_t* sums, const int32_t* first, int offset)
    {
        __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + 4 * (first[0] + offset)));
        __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + 4 * (first[1] + offset)));
        Reg order = _mm256_setr_epi8(0, 1, 8, 9, 2, 3, 10, 11, 4, 5, 12, 13, 6, 7, 14, 15, 0, 1, 8, 9, 2, 3, 10, 11, 4,
                                     5, 12, 13, 6, 7, 14, 15);
        return _mm256_shuffle_epi8(_mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1), order);
    }
    // Register k holds entries 2k and 2k + 1; the packs leave them in the order 0 2 4 6 1 3 5 7.
    static Reg PackPixels(Reg a, Reg b, Reg c, Reg d)
    {
        Reg packed = _mm256_packus_epi16(_mm256_packs_epi32(a, b), _mm256_packs_epi32(c, d));
        return _mm256_permutevar8x32_epi32(packed, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
    }

    // Each 16-bit lane holds (a << 8) | dA. The entries are two bytes wide: each gather reads four bytes
    // and keeps the low two, and the widening to 32-bit indices and the pack back match lane for lane.
    static void LookUpWeights(Reg index, Reg& weight, Reg& outAlpha)
    {
        const int* table = reinterpret_cast<const int*>(blendWeights.data());
        Reg low = _mm256_i32gather_epi32(table, _mm256_unpacklo_epi16(index, Zero()), 2);
        Reg high = _mm256_i32gather_epi32(table, _mm256_unpackhi_epi16(index, Zero()), 2);
        Reg entryMask = _mm256_set1_epi32(0xFFFF);
        Reg entries = _mm256_packus_epi32(_mm256_and_si256(low, entryMask), _mm256_and_si256(high, entryMask));
        weight = _mm256_and_si256(entries, _mm256_set1_epi16(0xFF));
        outAlpha = _mm256_srli_epi16(entries, 8);
    }
};

BlendKernels MakeAvx2Kernels()
{
    return VectorBlend<Avx2>::Make("avx2");
}

} // namespace

} // namespace Tolm

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

namespace Tolm {

const BlendKernels* Avx2BlendKernels()
{
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("avx2")) {
        return nullptr;
    }
    static const BlendKernels kernels = MakeAvx2Kernels();
    return &kernels;
}

} // namespace Tolm

#else

namespace Tolm {

const BlendKernels* Avx2BlendKernels()
{
    return nullptr;
}

} // namespace Tolm

#endif
