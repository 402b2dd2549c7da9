// Lists of values as text: "%g" each followed by ", ", and "%16.8f" fields; one value at a
// time, or eight at once in AVX-512 registers where the processor has them (both give the
// same bytes).
#include "core/number_text.h"

#include "core/number_text_tables.h"

#include <array>
#include <cstdint>
#include <cstring>
#if defined(__x86_64__)
#include <immintrin.h>

// GCC 12 takes the intrinsics' deliberately undefined registers for uninitialised values.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace number_text {

namespace {

char* FormatGListPlain(const double* values, std::size_t count, char* out)
{
    for (std::size_t i = 0; i < count; ++i) {
        out = FormatG(values[i], out);
        *out++ = ',';
        *out++ = ' ';
    }
    return out;
}

// One "%16.8f" field: right-aligned in 16 characters; false when the text is longer.
bool FixedField(double value, char* out)
{
    char number[kFormatFixedSize];
    const std::size_t length = static_cast<std::size_t>(FormatFixed(value, 8, number) - number);
    if (length > kFixedFieldWidth)
        return false;
    std::memset(out, ' ', kFixedFieldWidth - length);
    std::memcpy(out + kFixedFieldWidth - length, number, length);
    return true;
}

bool FixedFieldsPlain(const double* values, std::size_t count, char* out)
{
    for (std::size_t i = 0; i < count; ++i)
        if (!FixedField(values[i], out + i * kFixedFieldWidth))
            return false;
    return true;
}

#if defined(__x86_64__)

// Each value's text is laid out in a 16-byte slot by a byte shuffle of its source slot:
//   bytes 0-5 the six digits, 6 '.', 7 '0', 8 '-', 9 'e', 10 the exponent's sign,
//   11-12 its two digits, 13 ',', 14 ' ', 15 zero.
// The shuffle depends on the form (plain with decimal exponent -4 .. 5, or exponent form)
// and the sign; the text is the slot's first len bytes and, at fixed places, the exponent
// part (bytes 10-13) and the separator (bytes 14-15). A byte compression then packs the slots.
constexpr int kForms = 11; // plain with exponent -4 .. 5 (form e + 4), exponent form (10)

struct Shuffle {
    alignas(16) std::uint8_t bytes[16];
};

constexpr std::array<Shuffle, 2 * kForms> MakeShuffles()
{
    std::array<Shuffle, 2 * kForms> table{};
    for (int sign = 0; sign < 2; ++sign) {
        for (int form = 0; form < kForms; ++form) {
            std::uint8_t* c = table[static_cast<std::size_t>(sign * kForms + form)].bytes;
            for (int j = 0; j < 16; ++j)
                c[j] = 15;
            int pos = 0;
            if (sign)
                c[pos++] = 8;
            if (form == 10) {
                c[pos++] = 0;
                c[pos++] = 6;
                for (int i = 1; i < 6; ++i)
                    c[pos++] = static_cast<std::uint8_t>(i);
                c[10] = 9;
                c[11] = 10;
                c[12] = 11;
                c[13] = 12;
            } else if (const int e = form - 4; e >= 0) {
                for (int i = 0; i <= e; ++i)
                    c[pos++] = static_cast<std::uint8_t>(i);
                if (e < 5)
                    c[pos++] = 6;
                for (int i = e + 1; i < 6; ++i)
                    c[pos++] = static_cast<std::uint8_t>(i);
            } else {
                c[pos++] = 7;
                c[pos++] = 6;
                for (int i = 0; i < -e - 1; ++i)
                    c[pos++] = 7;
                for (int i = 0; i < 6; ++i)
                    c[pos++] = static_cast<std::uint8_t>(i);
            }
            c[14] = 13;
            c[15] = 14;
        }
    }
    return table;
}

constexpr std::array<Shuffle, 2 * kForms> kShuffles = MakeShuffles();

using tables::kPow10;

#define ORVANTA_AVX512 __attribute__((target("avx512f,avx512bw,avx512dq,avx512cd,avx512vl,avx512vbmi2")))

// Each 16-bit field (below 100) as its two digits, tens in the low byte (not yet ASCII).
ORVANTA_AVX512 inline __m512i ByPairs(__m512i fields)
{
    const __m512i tens = _mm512_srli_epi16(_mm512_mullo_epi16(fields, _mm512_set1_epi16(103)), 10);
    const __m512i ones = _mm512_sub_epi16(fields, _mm512_mullo_epi16(tens, _mm512_set1_epi16(10)));
    return _mm512_or_si512(tens, _mm512_slli_epi16(ones, 8));
}

// x / 100 for x below 10^4 in each 64-bit lane.
ORVANTA_AVX512 inline __m512i Hundreds(__m512i x)
{
    return _mm512_srli_epi64(_mm512_mul_epu32(x, _mm512_set1_epi64(5243)), 19);
}

// Up to eight values (lanes beyond count are not written). Returns nullptr when a value
// needs the careful path (see FormatG): zero is handled here, non-finite values, values
// out of the power range and products near a rounding tie are not.
ORVANTA_AVX512 char* FormatEight(const double* values, unsigned count, char* out)
{
    const __mmask8 lanes = static_cast<__mmask8>((1u << count) - 1);
    const __m512d x = _mm512_maskz_loadu_pd(lanes, values);
    const __m512i bits = _mm512_castpd_si512(x);
    const __mmask8 negative = _mm512_movepi64_mask(bits);
    const __m512d v = _mm512_castsi512_pd(_mm512_and_si512(bits, _mm512_set1_epi64(0x7FFFFFFFFFFFFFFF)));
    const __mmask8 zero = _mm512_cmp_pd_mask(v, _mm512_setzero_pd(), _CMP_EQ_OQ);
    const __mmask8 inRange = _mm512_cmp_pd_mask(v, _mm512_set1_pd(1e-17), _CMP_GE_OQ) &
                             _mm512_cmp_pd_mask(v, _mm512_set1_pd(1e27), _CMP_LT_OQ);
    if ((inRange | zero) != 0xFF)
        return nullptr;
    // Zero goes through the steps as 1.0, its digits replaced at the end.
    const __m512d w = _mm512_mask_blend_pd(zero, v, _mm512_set1_pd(1.0));

    // The same steps as FormatG, lane by lane.
    const __m512i binaryExponent =
        _mm512_sub_epi64(_mm512_srli_epi64(_mm512_castpd_si512(w), 52), _mm512_set1_epi64(1023));
    __m512i k = _mm512_sub_epi64(_mm512_set1_epi64(5),
                                 _mm512_srai_epi64(_mm512_mul_epi32(binaryExponent, _mm512_set1_epi64(78913)), 18));
    if (_mm512_cmpgt_epi64_mask(k, _mm512_set1_epi64(22)))
        return nullptr;
    const __m512i power = _mm512_abs_epi64(k);
    const __m512d low = _mm512_permutex2var_pd(_mm512_load_pd(kPow10), power, _mm512_load_pd(kPow10 + 8));
    const __m512d high =
        _mm512_permutex2var_pd(_mm512_load_pd(kPow10 + 16), power, _mm512_load_pd(kPow10 + 24));
    const __m512d scale = _mm512_mask_blend_pd(_mm512_cmpge_epi64_mask(power, _mm512_set1_epi64(16)), low, high);
    __m512d scaled = _mm512_mul_pd(w, scale);
    if (const __mmask8 divide = _mm512_cmplt_epi64_mask(k, _mm512_setzero_si512()))
        scaled = _mm512_mask_div_pd(scaled, divide, w, scale);
    if (const __mmask8 tenth = _mm512_cmp_pd_mask(scaled, _mm512_set1_pd(1e6), _CMP_GE_OQ)) {
        scaled = _mm512_mask_div_pd(scaled, tenth, scaled, _mm512_set1_pd(10.0));
        k = _mm512_mask_sub_epi64(k, tenth, k, _mm512_set1_epi64(1));
    }
    if (_mm512_cmp_pd_mask(scaled, _mm512_set1_pd(1e5), _CMP_LT_OQ))
        return nullptr;
    const __m512i whole = _mm512_cvttpd_epu64(scaled);
    const __m512d fraction = _mm512_sub_pd(scaled, _mm512_cvtepu64_pd(whole));
    const __m512d offTie = _mm512_castsi512_pd(_mm512_and_si512(
        _mm512_castpd_si512(_mm512_sub_pd(fraction, _mm512_set1_pd(0.5))), _mm512_set1_epi64(0x7FFFFFFFFFFFFFFF)));
    if (_mm512_cmp_pd_mask(offTie, _mm512_set1_pd(1e-8), _CMP_LT_OQ))
        return nullptr;
    __m512i d = _mm512_mask_add_epi64(whole, _mm512_cmp_pd_mask(fraction, _mm512_set1_pd(0.5), _CMP_GT_OQ), whole,
                                      _mm512_set1_epi64(1));
    const __mmask8 carry = _mm512_cmpeq_epi64_mask(d, _mm512_set1_epi64(1000000));
    d = _mm512_mask_mov_epi64(d, carry, _mm512_set1_epi64(100000));
    k = _mm512_mask_sub_epi64(k, carry, k, _mm512_set1_epi64(1));
    const __m512i exponent = _mm512_sub_epi64(_mm512_set1_epi64(5), k);

    // Six digits: d / 10^4, d / 100 % 100, d % 100 (exact multiply-shifts below 10^6), each
    // split into tens and ones in 16-bit fields; the first digit in the lowest byte.
    const __m512i hi = _mm512_srli_epi64(_mm512_mul_epu32(d, _mm512_set1_epi64(429497)), 32);
    const __m512i rest = _mm512_sub_epi64(d, _mm512_mul_epu32(hi, _mm512_set1_epi64(10000)));
    const __m512i mid = Hundreds(rest);
    const __m512i lo = _mm512_sub_epi64(rest, _mm512_mul_epu32(mid, _mm512_set1_epi64(100)));
    const __m512i pairs = _mm512_or_si512(hi, _mm512_or_si512(_mm512_slli_epi64(mid, 16), _mm512_slli_epi64(lo, 32)));
    const __m512i zeros = _mm512_set1_epi64(0x303030303030);
    __m512i word = _mm512_or_si512(ByPairs(pairs), zeros);
    word = _mm512_mask_mov_epi64(word, zero, zeros);
    // Significant digits: those up to the last that is not zero (at least one).
    const __m512i significant = _mm512_max_epi64(
        _mm512_sub_epi64(_mm512_set1_epi64(8), _mm512_srli_epi64(_mm512_lzcnt_epi64(_mm512_sub_epi64(word, zeros)), 3)),
        _mm512_set1_epi64(1));

    // The length of the text before the fixed places, and the form.
    const __m512i one = _mm512_set1_epi64(1);
    const __m512i wholeDigits = _mm512_add_epi64(exponent, one);
    const __mmask8 exponentForm = _mm512_cmplt_epi64_mask(exponent, _mm512_set1_epi64(-4)) |
                                  _mm512_cmpgt_epi64_mask(exponent, _mm512_set1_epi64(5));
    const __mmask8 belowOne = _mm512_cmplt_epi64_mask(exponent, _mm512_setzero_si512());
    const __mmask8 withPoint = _mm512_cmpgt_epi64_mask(significant, one);
    // Exponent form: d[.ddddd]; below one: 0.000ddd; else whole digits [.ddd].
    __m512i len = _mm512_max_epi64(wholeDigits, _mm512_mask_add_epi64(significant,
                                                                      _mm512_cmpgt_epi64_mask(significant, wholeDigits),
                                                                      significant, one));
    len = _mm512_mask_sub_epi64(len, belowOne, _mm512_add_epi64(significant, one), exponent);
    len = _mm512_mask_mov_epi64(len, exponentForm,
                                _mm512_mask_add_epi64(one, withPoint, significant, one));
    len = _mm512_mask_add_epi64(len, negative, len, one);
    const __m512i tail = _mm512_mask_mov_epi64(_mm512_set1_epi64(0xC000), exponentForm, _mm512_set1_epi64(0xFC00));
    const __m512i keep =
        _mm512_maskz_or_epi64(lanes, _mm512_sub_epi64(_mm512_sllv_epi64(one, len), one), tail);
    const __m128i keep16 = _mm512_cvtepi64_epi16(keep);
    const std::uint64_t keepA = static_cast<std::uint64_t>(_mm_cvtsi128_si64(keep16));
    const std::uint64_t keepB = static_cast<std::uint64_t>(_mm_extract_epi64(keep16, 1));

    // The source slots: digits, '.', '0' in the first word; '-', 'e', the exponent, ", " in
    // the second.
    const __m512i magnitude = _mm512_abs_epi64(exponent);
    const __m512i tensOfExponent = _mm512_srli_epi64(_mm512_mul_epu32(magnitude, _mm512_set1_epi64(103)), 10);
    const __m512i onesOfExponent =
        _mm512_sub_epi64(magnitude, _mm512_mul_epu32(tensOfExponent, _mm512_set1_epi64(10)));
    const __m512i first = _mm512_or_si512(word, _mm512_set1_epi64(std::int64_t{'.'} << 48 | std::int64_t{'0'} << 56));
    const __m512i expSign = _mm512_mask_mov_epi64(_mm512_set1_epi64('+'), belowOne, _mm512_set1_epi64('-'));
    __m512i second = _mm512_set1_epi64(std::int64_t{'-'} | std::int64_t{'e'} << 8 | std::int64_t{'0'} << 24 |
                                       std::int64_t{'0'} << 32 | std::int64_t{','} << 40 | std::int64_t{' '} << 48);
    second = _mm512_or_si512(second, _mm512_slli_epi64(expSign, 16));
    second = _mm512_add_epi64(second, _mm512_slli_epi64(tensOfExponent, 24));
    second = _mm512_add_epi64(second, _mm512_slli_epi64(onesOfExponent, 32));
    const __m512i slotsA = _mm512_permutex2var_epi64(first, _mm512_setr_epi64(0, 8, 1, 9, 2, 10, 3, 11), second);
    const __m512i slotsB = _mm512_permutex2var_epi64(first, _mm512_setr_epi64(4, 12, 5, 13, 6, 14, 7, 15), second);

    // The shuffle of each slot, by form and sign.
    const __m512i form = _mm512_add_epi64(
        _mm512_mask_mov_epi64(_mm512_add_epi64(exponent, _mm512_set1_epi64(4)), exponentForm, _mm512_set1_epi64(10)),
        _mm512_maskz_mov_epi64(negative, _mm512_set1_epi64(kForms)));
    alignas(64) std::int64_t forms[8];
    _mm512_store_si512(forms, form);
    const auto shuffle = [&](int i) { return _mm_load_si128(reinterpret_cast<const __m128i*>(kShuffles[forms[i]].bytes)); };
    __m512i controlA = _mm512_castsi128_si512(shuffle(0));
    controlA = _mm512_inserti64x2(controlA, shuffle(1), 1);
    controlA = _mm512_inserti64x2(controlA, shuffle(2), 2);
    controlA = _mm512_inserti64x2(controlA, shuffle(3), 3);
    __m512i controlB = _mm512_castsi128_si512(shuffle(4));
    controlB = _mm512_inserti64x2(controlB, shuffle(5), 1);
    controlB = _mm512_inserti64x2(controlB, shuffle(6), 2);
    controlB = _mm512_inserti64x2(controlB, shuffle(7), 3);

    // Packed in registers and stored whole (compressing straight to memory is slow on some
    // processors); the caller's buffer has room for the full 64 bytes.
    _mm512_storeu_si512(out, _mm512_maskz_compress_epi8(keepA, _mm512_shuffle_epi8(slotsA, controlA)));
    out += __builtin_popcountll(keepA);
    _mm512_storeu_si512(out, _mm512_maskz_compress_epi8(keepB, _mm512_shuffle_epi8(slotsB, controlB)));
    return out + __builtin_popcountll(keepB);
}

// Up to eight "%16.8f" fields (lanes beyond count are not written, but the 128 bytes at out
// may be). False when a value needs the careful path of FormatFixed: beyond 2^44 / 10^8,
// not finite, or its product next to a rounding tie.
ORVANTA_AVX512 bool FixedEight(const double* values, unsigned count, char* out)
{
    const __mmask8 lanes = static_cast<__mmask8>((1u << count) - 1);
    const __m512i bits = _mm512_castpd_si512(_mm512_maskz_loadu_pd(lanes, values));
    const __mmask8 negative = _mm512_movepi64_mask(bits);
    const __m512d v = _mm512_castsi512_pd(_mm512_and_si512(bits, _mm512_set1_epi64(0x7FFFFFFFFFFFFFFF)));
    // The same steps as FormatFixed.
    const __m512d scaled = _mm512_mul_pd(v, _mm512_set1_pd(1e8));
    if (_mm512_cmp_pd_mask(scaled, _mm512_set1_pd(17592186044416.0), _CMP_LT_OQ) != 0xFF)
        return false;
    const __m512i whole = _mm512_cvttpd_epi64(scaled);
    const __m512d fraction = _mm512_sub_pd(scaled, _mm512_cvtepi64_pd(whole));
    const __m512d offTie = _mm512_castsi512_pd(_mm512_and_si512(
        _mm512_castpd_si512(_mm512_sub_pd(fraction, _mm512_set1_pd(0.5))), _mm512_set1_epi64(0x7FFFFFFFFFFFFFFF)));
    // The product is off the exact one by at most half its last place, below scaled * 2^-53;
    // the fraction and its distance to one half are exact. Only a product within twice that
    // of a tie goes the careful way (FormatFixed allows for the largest product here).
    if (_mm512_cmp_pd_mask(offTie, _mm512_mul_pd(scaled, _mm512_set1_pd(0x1p-52)), _CMP_LE_OQ))
        return false;
    const __m512i n = _mm512_mask_add_epi64(whole, _mm512_cmp_pd_mask(fraction, _mm512_set1_pd(0.5), _CMP_GT_OQ),
                                            whole, _mm512_set1_epi64(1));
    // Whole part and eight places: n / 10^8 from the double quotient, set right by the rest.
    const __m512i unit = _mm512_set1_epi64(100000000);
    __m512i q = _mm512_cvttpd_epi64(_mm512_mul_pd(_mm512_cvtepi64_pd(n), _mm512_set1_pd(1e-8)));
    __m512i r = _mm512_sub_epi64(n, _mm512_mullo_epi64(q, unit));
    const __mmask8 under = _mm512_cmplt_epi64_mask(r, _mm512_setzero_si512());
    q = _mm512_mask_sub_epi64(q, under, q, _mm512_set1_epi64(1));
    r = _mm512_mask_add_epi64(r, under, r, unit);
    const __mmask8 over = _mm512_cmpge_epi64_mask(r, unit);
    q = _mm512_mask_add_epi64(q, over, q, _mm512_set1_epi64(1));
    r = _mm512_mask_sub_epi64(r, over, r, unit);

    // Digit pairs in 16-bit fields (exact multiply-shifts), then tens and ones: the whole
    // part's six digits and the eight places, the first digit in the lowest byte.
    const __m512i qHigh = _mm512_srli_epi64(_mm512_mul_epu32(q, _mm512_set1_epi64(429497)), 32);
    const __m512i qRest = _mm512_sub_epi64(q, _mm512_mul_epu32(qHigh, _mm512_set1_epi64(10000)));
    const __m512i qMid = Hundreds(qRest);
    const __m512i qLow = _mm512_sub_epi64(qRest, _mm512_mul_epu32(qMid, _mm512_set1_epi64(100)));
    const __m512i wholeDigits =
        _mm512_or_si512(ByPairs(_mm512_or_si512(qHigh, _mm512_or_si512(_mm512_slli_epi64(qMid, 16),
                                                                        _mm512_slli_epi64(qLow, 32)))),
                        _mm512_set1_epi64(0x303030303030));
    const __m512i rHigh = _mm512_srli_epi64(_mm512_mul_epu32(r, _mm512_set1_epi64(3518437209)), 45);
    const __m512i rLow = _mm512_sub_epi64(r, _mm512_mul_epu32(rHigh, _mm512_set1_epi64(10000)));
    const __m512i rHighHundreds = Hundreds(rHigh);
    const __m512i rLowHundreds = Hundreds(rLow);
    const __m512i places = _mm512_or_si512(
        ByPairs(_mm512_or_si512(
            _mm512_or_si512(rHighHundreds, _mm512_slli_epi64(_mm512_sub_epi64(rHigh, _mm512_mul_epu32(
                                                                                  rHighHundreds, _mm512_set1_epi64(100))),
                                                                  16)),
            _mm512_or_si512(_mm512_slli_epi64(rLowHundreds, 32),
                            _mm512_slli_epi64(_mm512_sub_epi64(rLow, _mm512_mul_epu32(rLowHundreds, _mm512_set1_epi64(100))),
                                              48)))),
        _mm512_set1_epi64(0x3030303030303030));

    // The first eight bytes: blanks, the sign, the whole part's digits (without leading
    // zeros, at least one) ending at byte 6, the point at byte 7.
    __m512i digits = _mm512_set1_epi64(1);
    for (const std::int64_t limit : {10, 100, 1000, 10000, 100000})
        digits = _mm512_mask_add_epi64(digits, _mm512_cmpge_epi64_mask(q, _mm512_set1_epi64(limit)), digits,
                                       _mm512_set1_epi64(1));
    const __m512i leadBits = _mm512_slli_epi64(_mm512_sub_epi64(_mm512_set1_epi64(7), digits), 3);
    const __m512i lead = _mm512_sub_epi64(_mm512_sllv_epi64(_mm512_set1_epi64(1), leadBits), _mm512_set1_epi64(1));
    __m512i first = _mm512_or_si512(_mm512_andnot_si512(lead, _mm512_slli_epi64(wholeDigits, 8)),
                                    _mm512_and_si512(lead, _mm512_set1_epi64(0x2020202020202020)));
    const __m512i signAt = _mm512_sub_epi64(leadBits, _mm512_set1_epi64(8));
    first = _mm512_mask_xor_epi64(first, negative, first,
                                  _mm512_sllv_epi64(_mm512_set1_epi64(' ' ^ '-'), signAt));
    first = _mm512_or_si512(first, _mm512_set1_epi64(std::int64_t{'.'} << 56));
    _mm512_storeu_si512(out, _mm512_permutex2var_epi64(first, _mm512_setr_epi64(0, 8, 1, 9, 2, 10, 3, 11), places));
    _mm512_storeu_si512(out + 64,
                        _mm512_permutex2var_epi64(first, _mm512_setr_epi64(4, 12, 5, 13, 6, 14, 7, 15), places));
    return true;
}

bool FixedFieldsAvx512(const double* values, std::size_t count, char* out)
{
    for (std::size_t i = 0; i < count; i += 8) {
        const unsigned n = count - i < 8 ? static_cast<unsigned>(count - i) : 8u;
        if (!FixedEight(values + i, n, out + i * kFixedFieldWidth) &&
            !FixedFieldsPlain(values + i, n, out + i * kFixedFieldWidth))
            return false;
    }
    return true;
}

char* FormatGListAvx512(const double* values, std::size_t count, char* out)
{
    for (std::size_t i = 0; i < count; i += 8) {
        const unsigned n = count - i < 8 ? static_cast<unsigned>(count - i) : 8u;
        char* const end = FormatEight(values + i, n, out);
        out = end ? end : FormatGListPlain(values + i, n, out);
    }
    return out;
}

bool HasAvx512()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512cd") &&
           __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi2");
}

#define AVX512(kernel) kernel
#else
#define AVX512(kernel) nullptr
#endif

template <class Kernel>
Kernel Choose(Kernel plain, [[maybe_unused]] Kernel avx512)
{
#if defined(__x86_64__)
    if (HasAvx512())
        return avx512;
#endif
    return plain;
}

template <class Kernel>
std::vector<Kernel> Available(Kernel plain, [[maybe_unused]] Kernel avx512)
{
    std::vector<Kernel> kernels{plain};
#if defined(__x86_64__)
    if (HasAvx512())
        kernels.push_back(avx512);
#endif
    return kernels;
}

} // namespace

char* FormatGList(const double* values, std::size_t count, char* out)
{
    static const FormatGListKernel kernel = Choose<FormatGListKernel>(FormatGListPlain, AVX512(FormatGListAvx512));
    return kernel(values, count, out);
}

std::vector<FormatGListKernel> AvailableFormatGListKernels()
{
    return Available<FormatGListKernel>(FormatGListPlain, AVX512(FormatGListAvx512));
}

bool FormatFixedFields(const double* values, std::size_t count, char* out)
{
    static const FixedFieldsKernel kernel = Choose<FixedFieldsKernel>(FixedFieldsPlain, AVX512(FixedFieldsAvx512));
    return kernel(values, count, out);
}

std::vector<FixedFieldsKernel> AvailableFixedFieldsKernels()
{
    return Available<FixedFieldsKernel>(FixedFieldsPlain, AVX512(FixedFieldsAvx512));
}

} // namespace number_text
