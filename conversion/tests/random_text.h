// Seeded random texts that mix what a conversion meets: table sources and
// targets, other ideographs, ASCII, CR LF, surrogate pairs and unpaired
// surrogates.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "glimvane/substitution_table.h"

namespace glimvane::testing {

inline std::u16string RandomText(std::mt19937& rng, std::size_t length) {
  std::uniform_int_distribution<int> kind(0, 9);
  std::uniform_int_distribution<std::size_t> row(0, kSubstitutionRowCount - 1);
  std::uniform_int_distribution<int> ideograph(0x4E00, 0x9FFF);
  std::uniform_int_distribution<int> ascii(0x20, 0x7E);
  std::uniform_int_distribution<int> any(0, 0xFFFF);
  std::uniform_int_distribution<int> surrogate(0xD800, 0xDFFF);
  std::u16string text;
  text.reserve(length + 1);
  while (text.size() < length) {
    switch (kind(rng)) {
      case 0: case 1: text += kSubstitutionTable[row(rng)].source; break;
      case 2: case 3: text += kSubstitutionTable[row(rng)].target; break;
      case 4: text += static_cast<char16_t>(ideograph(rng)); break;
      case 5: text += static_cast<char16_t>(ascii(rng)); break;
      case 6: text += u"\r\n"; break;
      case 7: text += u"\xD840\xDC00"; break;  // U+20000, a supplementary ideograph
      case 8: text += static_cast<char16_t>(surrogate(rng)); break;  // unpaired
      default: text += static_cast<char16_t>(any(rng)); break;
    }
  }
  text.resize(length);
  return text;
}

}  // namespace glimvane::testing
