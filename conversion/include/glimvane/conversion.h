// The two conversions of Glimvane, over UTF-16 code units.
//
// ConvertForward replaces every source character of the substitution table by
// its target; ConvertReverse replaces every target by the source of the
// lowest-numbered row that has it. Every other code unit, unpaired
// surrogates included, passes through unchanged, so a result always has the
// length of its argument. Both are pure and safe to call from any thread.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace glimvane {

std::u16string ConvertForward(std::u16string_view text);
std::u16string ConvertReverse(std::u16string_view text);

// Bulk forms over caller buffers; they allocate nothing. `out` must hold at
// least in.size() units (std::length_error otherwise); exactly in.size()
// units are written. `in` and `out` may be the same buffer (in place), but
// must not overlap in any other way.
void ConvertForward(std::span<const char16_t> in, std::span<char16_t> out);
void ConvertReverse(std::span<const char16_t> in, std::span<char16_t> out);

// In place over a whole buffer.
inline void ConvertForwardInPlace(std::span<char16_t> text) { ConvertForward(text, text); }
inline void ConvertReverseInPlace(std::span<char16_t> text) { ConvertReverse(text, text); }

// The mapping of a single code unit; the building block of the above.
char16_t ForwardUnit(char16_t unit);
char16_t ReverseUnit(char16_t unit);

}  // namespace glimvane
