#include "glimvane/conversion.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "glimvane/substitution_table.h"

namespace glimvane {
namespace {

// A map from every 16-bit code unit to its replacement, built at compile
// time from the table. No row's output is another row's input (sources and
// targets are disjoint), so one lookup per unit gives the same result as
// applying the 714 rows one after the other.
using UnitMap = std::array<char16_t, 0x10000>;

// The one-lookup form is only equal to the row-by-row definition while the
// table keeps these properties; a table edit that breaks one stops the build.
constexpr bool TableAllowsOnePass() {
  std::array<bool, 0x10000> is_source{};
  for (const SubstitutionPair& pair : kSubstitutionTable) {
    if (pair.source == 0 || pair.target == 0) return false;  // a missing row
    if (pair.source == pair.target) return false;
    if (is_source[pair.source]) return false;  // a source in two rows
    is_source[pair.source] = true;
  }
  for (const SubstitutionPair& pair : kSubstitutionTable)
    if (is_source[pair.target]) return false;  // a target that is also a source
  return true;
}
static_assert(TableAllowsOnePass(), "the substitution table breaks an invariant the conversions rely on");

constexpr UnitMap BuildMap(bool reverse) {
  UnitMap map{};
  for (std::size_t unit = 0; unit < map.size(); ++unit) map[unit] = static_cast<char16_t>(unit);
  // Walk the rows from the last to the first so that, for a target shared by
  // several rows, the lowest-numbered row is written last and wins.
  for (std::size_t row = kSubstitutionRowCount; row-- > 0;) {
    const SubstitutionPair& pair = kSubstitutionTable[row];
    if (reverse)
      map[pair.target] = pair.source;
    else
      map[pair.source] = pair.target;
  }
  return map;
}

constexpr UnitMap kForwardMap = BuildMap(false);
constexpr UnitMap kReverseMap = BuildMap(true);

// One pass, four units at a time: a single 64-bit load and store around four
// table lookups keeps the store port from being the limit.
void Apply(const UnitMap& map, std::span<const char16_t> in, std::span<char16_t> out) {
  if (out.size() < in.size()) throw std::length_error("glimvane: output buffer shorter than input");
  const char16_t* src = in.data();
  char16_t* dst = out.data();
  const std::size_t n = in.size();
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    std::uint64_t block;
    std::memcpy(&block, src + i, sizeof block);
    const std::uint64_t mapped =
        std::uint64_t{map[block & 0xFFFF]} | std::uint64_t{map[(block >> 16) & 0xFFFF]} << 16 |
        std::uint64_t{map[(block >> 32) & 0xFFFF]} << 32 | std::uint64_t{map[block >> 48]} << 48;
    std::memcpy(dst + i, &mapped, sizeof mapped);
  }
  for (; i < n; ++i) dst[i] = map[src[i]];
}

std::u16string ApplyCopy(const UnitMap& map, std::u16string_view text) {
  std::u16string result(text.size(), u'\0');
  Apply(map, text, result);
  return result;
}

}  // namespace

char16_t ForwardUnit(char16_t unit) { return kForwardMap[unit]; }
char16_t ReverseUnit(char16_t unit) { return kReverseMap[unit]; }

void ConvertForward(std::span<const char16_t> in, std::span<char16_t> out) { Apply(kForwardMap, in, out); }
void ConvertReverse(std::span<const char16_t> in, std::span<char16_t> out) { Apply(kReverseMap, in, out); }

std::u16string ConvertForward(std::u16string_view text) { return ApplyCopy(kForwardMap, text); }
std::u16string ConvertReverse(std::u16string_view text) { return ApplyCopy(kReverseMap, text); }

}  // namespace glimvane
