// The blend kernels on AVX-512 (foundation and byte-word instructions), chosen at run time on the
// processors that have them. As in the AVX2 file, every header is read before the switch, and the code
// after it has internal linkage and runs only when the processor has the instructions.
#include "graphics/BlendKernels.h"
#include "graphics/BlendWeights.h"
#include "graphics/RotationSampling.h"

#include <cstdint>
#include <cstring>

#if defined(__x86_64__)

#include <immintrin.h>

// GCC 12's AVX-512 header makes its "undefined" registers by initialising them from themselves, which the
// uninitialised-use warning reports in every function that inlines them.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f,avx512bw"))), apply_to = function)
#else
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw")
#endif

#include "graphics/BlendKernelsVector.h"

namespace Tolm {

namespace {

struct Avx512
{
    using Reg = __m512i;
    static constexpr int Pixels = 16;

    static Reg Load(const uint32_t* p) { return _mm512_loadu_si512(p); }
    static void Store(uint32_t* p, Reg v) { _mm512_storeu_si512(p, v); }
    static Reg Zero() { return _mm512_setzero_si512(); }
    static Reg Set16(uint16_t v) { return _mm512_set1_epi16(short(v)); }
    static Reg Set32(uint32_t v) { return _mm512_set1_epi32(int(v)); }
    static Reg Set64(uint64_t v) { return _mm512_set1_epi64((long long)(v)); }
    static Reg And(Reg a, Reg b) { return _mm512_and_si512(a, b); }
    static Reg Or(Reg a, Reg b) { return _mm512_or_si512(a, b); }
    static Reg Andnot(Reg mask, Reg b) { return _mm512_andnot_si512(mask, b); }
    static Reg Add16(Reg a, Reg b) { return _mm512_add_epi16(a, b); }
    static Reg Sub16(Reg a, Reg b) { return _mm512_sub_epi16(a, b); }
    static Reg Mullo16(Reg a, Reg b) { return _mm512_mullo_epi16(a, b); }
    static Reg Mulhi16(Reg a, Reg b) { return _mm512_mulhi_epu16(a, b); }
    template <int N>
    static Reg Srli16(Reg v)
    {
        return _mm512_srli_epi16(v, N);
    }
    template <int N>
    static Reg Slli16(Reg v)
    {
        return _mm512_slli_epi16(v, N);
    }
    template <int N>
    static Reg Slli32(Reg v)
    {
        return _mm512_slli_epi32(v, N);
    }
    template <int N>
    static Reg Srai32(Reg v)
    {
        return _mm512_srai_epi32(v, N);
    }
    // Comparisons give mask registers here; the shared code wants lanes of all ones or all zeros.
    static Reg Cmpeq16(Reg a, Reg b) { return _mm512_movm_epi16(_mm512_cmpeq_epi16_mask(a, b)); }
    static Reg Cmpeq32(Reg a, Reg b) { return _mm512_maskz_set1_epi32(_mm512_cmpeq_epi32_mask(a, b), -1); }
    static Reg Cmpgt32(Reg a, Reg b) { return _mm512_maskz_set1_epi32(_mm512_cmpgt_epi32_mask(a, b), -1); }
    static Reg Iota32() { return _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15); }
    // The first count pixels, the others clear; none when count <= 0, all from Pixels up. The masked
    // lanes are never read or written, even past the end of the pixels.
    static __mmask16 PartMask(int count)
    {
        return count >= Pixels ? __mmask16(0xFFFF) : count <= 0 ? __mmask16(0) : __mmask16((1u << count) - 1);
    }
    static Reg LoadPart(const uint32_t* p, int count) { return _mm512_maskz_loadu_epi32(PartMask(count), p); }
    static void StorePart(uint32_t* p, Reg v, int count) { _mm512_mask_storeu_epi32(p, PartMask(count), v); }
    static bool AllSet(Reg mask) { return _mm512_movepi8_mask(mask) == ~__mmask64(0); }
    static bool AnySet(Reg mask) { return _mm512_movepi8_mask(mask) != 0; }
    // Packing and unpacking work within each 128-bit quarter; Split and Merge pair them so the pixel order
    // comes back unchanged.
    static Reg Packs32(Reg a, Reg b) { return _mm512_packs_epi32(a, b); }
    static Reg Packus16(Reg a, Reg b) { return _mm512_packus_epi16(a, b); }
    static Reg Unpacklo16(Reg a, Reg b) { return _mm512_unpacklo_epi16(a, b); }
    static Reg Unpackhi16(Reg a, Reg b) { return _mm512_unpackhi_epi16(a, b); }
    static Reg Unpacklo8(Reg a, Reg b) { return _mm512_unpacklo_epi8(a, b); }
    static Reg Unpackhi8(Reg a, Reg b) { return _mm512_unpackhi_epi8(a, b); }
    static Reg AddsU8(Reg a, Reg b) { return _mm512_adds_epu8(a, b); }
    static Reg BroadcastAlpha16(Reg v) { return _mm512_shufflehi_epi16(_mm512_shufflelo_epi16(v, 0xFF), 0xFF); }
    static Reg Xor(Reg a, Reg b) { return _mm512_xor_si512(a, b); }
    static Reg Min16(Reg a, Reg b) { return _mm512_min_epi16(a, b); }
    static Reg Cmpgt16(Reg a, Reg b) { return _mm512_movm_epi16(_mm512_cmpgt_epi16_mask(a, b)); }
    static Reg Add32(Reg a, Reg b) { return _mm512_add_epi32(a, b); }
    static Reg Madd16(Reg a, Reg b) { return _mm512_madd_epi16(a, b); }
    static Reg LoadWidened(const uint32_t* p)
    {
        return _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
    }
    static void StoreWide(uint16_t* p, Reg v) { _mm512_storeu_si512(p, v); }
    // One entry per 128-bit quarter.
    static Reg LoadEntryPairs(const uint16_t* sums, const int32_t* first, int offset)
    {
        auto columns = [&](int k) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + 4 * (first[k] + offset)));
        };
        Reg all = _mm512_castsi128_si512(columns(0));
        all = _mm512_inserti32x4(all, columns(1), 1);
        all = _mm512_inserti32x4(all, columns(2), 2);
        all = _mm512_inserti32x4(all, columns(3), 3);
        Reg order = _mm512_broadcast_i32x4(_mm_setr_epi8(0, 1, 8, 9, 2, 3, 10, 11, 4, 5, 12, 13, 6, 7, 14, 15));
        return _mm512_shuffle_epi8(all, order);
    }
    // Register k holds entries 4k to 4k + 3; the packs leave entry 4j + q at place 4q + j.
    static Reg PackPixels(Reg a, Reg b, Reg c, Reg d)
    {
        Reg packed = _mm512_packus_epi16(_mm512_packs_epi32(a, b), _mm512_packs_epi32(c, d));
        return _mm512_permutexvar_epi32(_mm512_setr_epi32(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15),
                                        packed);
    }

    // Each 16-bit lane holds (a << 8) | dA; gathered as in the AVX2 version.
    static void LookUpWeights(Reg index, Reg& weight, Reg& outAlpha)
    {
        const void* table = blendWeights.data();
        Reg low = _mm512_i32gather_epi32(_mm512_unpacklo_epi16(index, Zero()), table, 2);
        Reg high = _mm512_i32gather_epi32(_mm512_unpackhi_epi16(index, Zero()), table, 2);
        Reg entryMask = _mm512_set1_epi32(0xFFFF);
        Reg entries = _mm512_packus_epi32(_mm512_and_si512(low, entryMask), _mm512_and_si512(high, entryMask));
        weight = _mm512_and_si512(entries, _mm512_set1_epi16(0xFF));
        outAlpha = _mm512_srli_epi16(entries, 8);
    }
};

BlendKernels MakeAvx512Kernels()
{
    return VectorBlend<Avx512>::Make("avx512");
}

} // namespace

} // namespace Tolm

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#pragma GCC diagnostic pop
#endif

namespace Tolm {

const BlendKernels* Avx512BlendKernels()
{
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("avx512f") || !__builtin_cpu_supports("avx512bw")) {
        return nullptr;
    }
    static const BlendKernels kernels = MakeAvx512Kernels();
    return &kernels;
}

} // namespace Tolm

#else

namespace Tolm {

const BlendKernels* Avx512BlendKernels()
{
    return nullptr;
}

} // namespace Tolm

#endif
