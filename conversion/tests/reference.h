// The conversions written out literally: one replace step per row, rows in
// ascending order, each step scanning the whole text. Slow on purpose; the
// one-pass conversions must agree with it on every input.
#pragma once

#include <string>
#include <string_view>

#include "glimvane/substitution_table.h"

namespace glimvane::reference {

inline void ReplaceStep(std::u16string& text, char16_t find, char16_t replace) {
  for (char16_t& unit : text)
    if (unit == find) unit = replace;
}

inline std::u16string ConvertForward(std::u16string_view text) {
  std::u16string result(text);
  for (const SubstitutionPair& row : kSubstitutionTable) ReplaceStep(result, row.source, row.target);
  return result;
}

inline std::u16string ConvertReverse(std::u16string_view text) {
  std::u16string result(text);
  for (const SubstitutionPair& row : kSubstitutionTable) ReplaceStep(result, row.target, row.source);
  return result;
}

}  // namespace glimvane::reference
