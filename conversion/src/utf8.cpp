#include "glimvane/utf8.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "glimvane/conversion.h"
#include "glimvane/substitution_table.h"
#include "utf8_internal.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define GLIMVANE_UTF8_SSE2 1
#endif
// The wide kernel needs AVX2, chosen at run time, and the GCC/Clang way of
// compiling one function for it.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define GLIMVANE_UTF8_WIDE 1
#endif

namespace glimvane {
namespace {

// The lowest and highest character of the table, sources and targets alike.
constexpr char16_t TableBound(bool highest) {
  char16_t bound = kSubstitutionTable[0].source;
  for (const SubstitutionPair& pair : kSubstitutionTable) {
    for (char16_t unit : {pair.source, pair.target}) {
      if (highest ? unit > bound : unit < bound) bound = unit;
    }
  }
  return bound;
}

constexpr char16_t kLowest = TableBound(false);
constexpr char16_t kHighest = TableBound(true);

// Between U+1000 and U+CFFF a character is three bytes whose lead is E1 to EC,
// and any two continuation bytes after such a lead make a well-formed
// sequence: no overlong form, no surrogate. So a rewrite never changes a
// length, and recognising a table character needs no look further back than
// its lead byte.
static_assert(kLowest >= 0x1000 && kHighest <= 0xCFFF,
              "table characters must be three-byte UTF-8 with a lead byte between E1 and EC");

constexpr unsigned kMinLead = 0xE0 | (kLowest >> 12);
constexpr unsigned kMaxLead = 0xE0 | (kHighest >> 12);

std::uint32_t PackedBytes(std::uint32_t code_point) {
  return (0xE0 | code_point >> 12) | (0x80 | (code_point >> 6 & 0x3F)) << 8 | (0x80 | (code_point & 0x3F)) << 16;
}

// For every code point of the BMP, the three-byte form of its replacement,
// packed little-end first (lead byte in the low eight bits); a character
// outside the table maps to its own bytes. Derived from the unit
// conversions, so that both forms of the library can never disagree. Below
// U+0800 and for the surrogates that is the overlong or surrogate form of the
// code point itself, so such byte runs, which are not characters, come back
// as they were (the wide kernel may look them up).
struct Utf8Map {
  std::array<std::uint32_t, 0x10000> bytes;
};

Utf8Map BuildUtf8Map(char16_t (*unit_map)(char16_t)) {
  Utf8Map map;
  for (std::size_t cp = 0; cp < map.bytes.size(); ++cp) map.bytes[cp] = PackedBytes(unit_map(static_cast<char16_t>(cp)));
  return map;
}

const Utf8Map& ForwardMap() {
  static const Utf8Map map = BuildUtf8Map(ForwardUnit);
  return map;
}

const Utf8Map& ReverseMap() {
  static const Utf8Map map = BuildUtf8Map(ReverseUnit);
  return map;
}

inline bool IsCandidateLead(unsigned char byte) { return byte - kMinLead <= kMaxLead - kMinLead; }

// Rewrites the sequence that starts at the candidate lead byte p[0]; p[1] and
// p[2] must be readable. Leaves the bytes alone unless both are continuation
// bytes.
inline void RewriteAt(const Utf8Map& map, unsigned char* p) {
  if ((p[1] & 0xC0) != 0x80 || (p[2] & 0xC0) != 0x80) return;
  const std::uint32_t code_point = (p[0] & 0x0Fu) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
  const std::uint32_t packed = map.bytes[code_point];
  p[0] = static_cast<unsigned char>(packed);
  p[1] = static_cast<unsigned char>(packed >> 8);
  p[2] = static_cast<unsigned char>(packed >> 16);
}

// The same with one 32-bit load; p[3] must be readable. The store covers the
// three bytes alone: the next character's load starts right after them, and
// a load that overlaps a pending store waits for it.
inline void RewriteWordAt(const Utf8Map& map, unsigned char* p) {
  if constexpr (std::endian::native != std::endian::little) {
    RewriteAt(map, p);
  } else {
    std::uint32_t word;
    std::memcpy(&word, p, sizeof word);
    if ((word & 0x00C0C000u) != 0x00808000u) return;
    const std::uint32_t code_point = (word & 0x0Fu) << 12 | (word >> 2 & 0x0FC0u) | (word >> 16 & 0x3Fu);
    const std::uint32_t packed = map.bytes[code_point];
    const auto low = static_cast<std::uint16_t>(packed);
    std::memcpy(p, &low, sizeof low);
    p[2] = static_cast<unsigned char>(packed >> 16);
  }
}

// The baseline kernel: any x86-64 (SSE2), or any machine at all.
void ApplyBaseline(const Utf8Map& map, std::span<char> bytes) {
  unsigned char* const p = reinterpret_cast<unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
#ifdef GLIMVANE_UTF8_SSE2
  // Thirty-two bytes at a time: find the candidate lead bytes with a range
  // compare and visit only those. ASCII and the bytes of other scripts cost a
  // compare per block. A candidate in the last position of a block reads four
  // bytes past it, hence the margin.
  constexpr std::size_t kBlock = 32;
  const __m128i bias = _mm_set1_epi8(static_cast<char>(kMinLead));
  const __m128i range = _mm_set1_epi8(static_cast<char>(kMaxLead - kMinLead));
  const auto candidates = [&](const unsigned char* at) {
    const __m128i shifted = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), bias);
    return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(shifted, range), shifted)));
  };
  // The next block's candidates are found before this block's stores, which
  // may reach into it.
  if (i + kBlock + 3 <= n) {
    std::uint32_t mask = candidates(p) | candidates(p + 16) << 16;
    for (; i + 2 * kBlock + 3 <= n; i += kBlock) {
      const std::uint32_t next = candidates(p + i + kBlock) | candidates(p + i + kBlock + 16) << 16;
      for (; mask != 0; mask &= mask - 1) RewriteWordAt(map, p + i + std::countr_zero(mask));
      mask = next;
    }
    for (; mask != 0; mask &= mask - 1) RewriteWordAt(map, p + i + std::countr_zero(mask));
    i += kBlock;
  }
#endif
  for (; i + 3 <= n; ++i) {
    if (IsCandidateLead(p[i])) RewriteAt(map, p + i);
  }
}


#ifdef GLIMVANE_UTF8_WIDE
// The wide kernel works on blocks of twelve bytes, one after the other at a
// fixed stride, and in the usual case converts a whole block with a few
// vector instructions: when the block holds only ASCII and three-byte
// sequences, a shuffle chosen by the positions of the lead bytes puts each
// sequence into a 32-bit lane, the code points are computed side by side,
// one gather looks up all of them, and the inverse shuffle puts the new
// bytes back. A sequence whose lead is in the last two bytes of a block ends
// in the next one; the next block leaves those bytes to it. Any other block
// (two- or four-byte characters, invalid bytes) is converted sequence by
// sequence.

constexpr std::size_t kStride = 12;

// The shuffles for one set of lead positions in a block: `spread` gathers up
// to four sequences into lanes, `unspread` puts lane bytes back in place and
// marks every other byte (0x80) to be kept.
struct alignas(16) LeadPattern {
  std::uint8_t spread[16];
  std::uint8_t unspread[16];
};

struct LeadPatterns {
  std::array<std::uint8_t, 1u << kStride> index{};  // lead bit mask -> pattern; 0: none
  std::vector<LeadPattern> patterns;
};

LeadPatterns BuildLeadPatterns() {
  LeadPatterns table;
  LeadPattern none;
  std::memset(&none, 0x80, sizeof none);
  table.patterns.push_back(none);
  for (unsigned mask = 0; mask < table.index.size(); ++mask) {
    LeadPattern pattern = none;
    int lanes = 0, last = -3;
    bool fits = true;
    for (int position = 0; position < static_cast<int>(kStride) && fits; ++position) {
      if ((mask >> position & 1) == 0) continue;
      fits = position - last >= 3 && lanes < 4;
      for (int k = 0; k < 3 && fits; ++k) {
        pattern.spread[4 * lanes + k] = static_cast<std::uint8_t>(position + k);
        pattern.unspread[position + k] = static_cast<std::uint8_t>(4 * lanes + k);
      }
      ++lanes;
      last = position;
    }
    if (!fits) continue;
    table.index[mask] = static_cast<std::uint8_t>(table.patterns.size());
    table.patterns.push_back(pattern);
  }
  return table;
}

const LeadPatterns& Patterns() {
  static const LeadPatterns table = BuildLeadPatterns();
  return table;
}

// Converts from the start of `bytes` and returns how far it got; the rest,
// shorter than two blocks, is for the baseline kernel. Never cuts a sequence.
__attribute__((target("avx2"))) std::size_t ApplyWide(const Utf8Map& map, std::span<char> bytes) {
  unsigned char* const p = reinterpret_cast<unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  if (n < kStride + 16) return 0;
  const LeadPatterns& table = Patterns();
  const __m128i top2 = _mm_set1_epi8(static_cast<char>(0xC0));
  const __m128i continuation = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i top4 = _mm_set1_epi8(static_cast<char>(0xF0));
  const __m128i three_byte_lead = _mm_set1_epi8(static_cast<char>(0xE0));
  const __m128i low4 = _mm_set1_epi32(0x0F), middle6 = _mm_set1_epi32(0x0FC0), low6 = _mm_set1_epi32(0x3F);
  // The first 0, 1 or 2 bytes of a block, taken over from the block before.
  const __m128i head_masks[3] = {_mm_setzero_si128(), _mm_setr_epi8(-1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0),
                                 _mm_setr_epi8(-1, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0)};
  const auto mask_of = [](__m128i bits) { return static_cast<std::uint32_t>(_mm_movemask_epi8(bits)); };

  std::size_t j = 0;
  unsigned taken = 0;        // bytes at the start of this block that belong to the block before
  __m128i carried = _mm_setzero_si128();  // their new values, in its first bytes
  __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  for (; j + kStride + 16 <= n; j += kStride) {
    // Loaded before this block is stored over part of it, so that the load
    // does not wait for the store.
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + j + kStride));
    const std::uint32_t ascii = ~mask_of(block) & 0xFFFF;
    const std::uint32_t leads = mask_of(_mm_cmpeq_epi8(_mm_and_si128(block, top4), three_byte_lead));
    const std::uint32_t continuations = mask_of(_mm_cmpeq_epi8(_mm_and_si128(block, top2), continuation));
    const std::uint32_t own = ((1u << kStride) - 1) & ~((1u << taken) - 1);
    const std::uint32_t own_leads = leads & own;
    const std::uint32_t expected = own_leads << 1 | own_leads << 2;
    if ((continuations & expected) != expected || (own & ~(own_leads | expected) & ~ascii) != 0) {
      // Something else: sequence by sequence, in memory.
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p + j), _mm_blendv_epi8(block, carried, head_masks[taken]));
      for (std::size_t k = taken; k < kStride; ++k) {
        if ((p[j + k] & 0xF0) == 0xE0 && (p[j + k + 1] & 0xC0) == 0x80 && (p[j + k + 2] & 0xC0) == 0x80) {
          const std::uint32_t cp = (p[j + k] & 0x0Fu) << 12 | (p[j + k + 1] & 0x3Fu) << 6 | (p[j + k + 2] & 0x3Fu);
          const std::uint32_t packed = map.bytes[cp];
          p[j + k] = static_cast<unsigned char>(packed);
          p[j + k + 1] = static_cast<unsigned char>(packed >> 8);
          p[j + k + 2] = static_cast<unsigned char>(packed >> 16);
        }
      }
      block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + j + kStride));
      carried = block;
      // Continuation bytes at the start of the next block end a sequence of
      // this one (or are stray); up to two of them are left out of its check.
      const std::uint32_t next_continuations = mask_of(_mm_cmpeq_epi8(_mm_and_si128(block, top2), continuation));
      taken = std::min(2, std::countr_zero(~next_continuations));
      continue;
    }
    const LeadPattern& pattern = table.patterns[table.index[own_leads]];
    const __m128i lanes = _mm_shuffle_epi8(block, _mm_load_si128(reinterpret_cast<const __m128i*>(pattern.spread)));
    const __m128i code_points =
        _mm_or_si128(_mm_slli_epi32(_mm_and_si128(lanes, low4), 12),
                     _mm_or_si128(_mm_and_si128(_mm_srli_epi32(lanes, 2), middle6), _mm_and_si128(_mm_srli_epi32(lanes, 16), low6)));
    const __m128i packed = _mm_i32gather_epi32(reinterpret_cast<const int*>(map.bytes.data()), code_points, 4);
    const __m128i unspread = _mm_load_si128(reinterpret_cast<const __m128i*>(pattern.unspread));
    const __m128i in_sequence = _mm_cmpeq_epi8(_mm_and_si128(unspread, continuation), _mm_setzero_si128());
    __m128i out = _mm_blendv_epi8(block, _mm_shuffle_epi8(packed, unspread), in_sequence);
    out = _mm_blendv_epi8(out, carried, head_masks[taken]);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + j), out);
    carried = _mm_srli_si128(out, kStride);
    taken = (own_leads >> 10 & 1) + 2 * (own_leads >> 11 & 1);
    block = next;
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p + j), _mm_blendv_epi8(block, carried, head_masks[taken]));
  return j + taken;
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

std::atomic<bool> wide_kernel_allowed{true};

void Apply(const Utf8Map& map, std::span<char> bytes) {
#ifdef GLIMVANE_UTF8_WIDE
  if (HasAvx2() && wide_kernel_allowed.load(std::memory_order_relaxed)) bytes = bytes.subspan(ApplyWide(map, bytes));
#endif
  ApplyBaseline(map, bytes);
}

}  // namespace

void ConvertForwardUtf8(std::span<char> bytes) { Apply(ForwardMap(), bytes); }
void ConvertReverseUtf8(std::span<char> bytes) { Apply(ReverseMap(), bytes); }

namespace internal {

bool Utf8WideKernelAvailable() {
#ifdef GLIMVANE_UTF8_WIDE
  return HasAvx2();
#else
  return false;
#endif
}

void AllowUtf8WideKernel(bool allowed) { wide_kernel_allowed.store(allowed, std::memory_order_relaxed); }

}  // namespace internal

std::string ConvertForwardUtf8(std::string_view bytes) {
  std::string result(bytes);
  ConvertForwardUtf8(std::span<char>(result));
  return result;
}

std::string ConvertReverseUtf8(std::string_view bytes) {
  std::string result(bytes);
  ConvertReverseUtf8(std::span<char>(result));
  return result;
}

std::size_t IncompleteUtf8Tail(std::span<const char> bytes) {
  const std::size_t n = bytes.size();
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[n - k]); };
  for (std::size_t k = 1; k <= std::min<std::size_t>(3, n); ++k) {
    const unsigned char lead = byte(k);
    if ((lead & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    std::size_t length = 0;
    unsigned char second_low = 0x80, second_high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) second_low = 0xA0;   // no overlong forms
      if (lead == 0xED) second_high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) second_low = 0x90;   // no overlong forms
      if (lead == 0xF4) second_high = 0x8F;  // nothing above U+10FFFF
    }
    if (length <= k) return 0;  // complete, or not a lead byte at all
    if (k >= 2 && (byte(k - 1) < second_low || byte(k - 1) > second_high)) return 0;
    return k;
  }
  return 0;
}

}  // namespace glimvane
