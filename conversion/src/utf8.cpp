#include "glimvane/utf8.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "glimvane/conversion.h"
#include "glimvane/substitution_table.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define GLIMVANE_UTF8_SSE2 1
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
// The code points that the candidate lead bytes cover, the map's domain.
constexpr std::uint32_t kFirstCodePoint = (kMinLead & 0x0F) << 12;
constexpr std::size_t kMapSize = std::size_t{kMaxLead - kMinLead + 1} << 12;

// For each code point of the domain, the UTF-8 bytes of its replacement
// packed little-end first (lead byte in the low eight bits); a character
// outside the table maps to its own bytes. Derived from the unit conversions,
// so that both forms of the library can never disagree.
struct Utf8Map {
  std::array<std::uint32_t, kMapSize> bytes;
};

std::uint32_t PackedBytes(std::uint32_t code_point) {
  return (0xE0 | code_point >> 12) | (0x80 | (code_point >> 6 & 0x3F)) << 8 | (0x80 | (code_point & 0x3F)) << 16;
}

Utf8Map BuildMap(char16_t (*unit_map)(char16_t)) {
  Utf8Map map;
  for (std::size_t k = 0; k < kMapSize; ++k) {
    map.bytes[k] = PackedBytes(unit_map(static_cast<char16_t>(kFirstCodePoint + k)));
  }
  return map;
}

const Utf8Map& ForwardMap() {
  static const Utf8Map map = BuildMap(ForwardUnit);
  return map;
}

const Utf8Map& ReverseMap() {
  static const Utf8Map map = BuildMap(ReverseUnit);
  return map;
}

inline bool IsCandidateLead(unsigned char byte) { return byte - kMinLead <= kMaxLead - kMinLead; }

// Rewrites the sequence that starts at the candidate lead byte p[0]; p[1] and
// p[2] must be readable. Leaves the bytes alone unless both are continuation
// bytes.
inline void RewriteAt(const Utf8Map& map, unsigned char* p) {
  if ((p[1] & 0xC0) != 0x80 || (p[2] & 0xC0) != 0x80) return;
  const std::uint32_t code_point = (p[0] & 0x0Fu) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
  const std::uint32_t packed = map.bytes[code_point - kFirstCodePoint];
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
    const std::uint32_t packed = map.bytes[code_point - kFirstCodePoint];
    const auto low = static_cast<std::uint16_t>(packed);
    std::memcpy(p, &low, sizeof low);
    p[2] = static_cast<unsigned char>(packed >> 16);
  }
}

void Apply(const Utf8Map& map, std::span<char> bytes) {
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

}  // namespace

void ConvertForwardUtf8(std::span<char> bytes) { Apply(ForwardMap(), bytes); }
void ConvertReverseUtf8(std::span<char> bytes) { Apply(ReverseMap(), bytes); }

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
