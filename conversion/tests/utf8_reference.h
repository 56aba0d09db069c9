// The UTF-8 conversions written the plain way: decode the well-formed
// characters, convert them with the UTF-16 library, encode them again, and
// keep every invalid byte where it stood. The in-place conversions must give
// the same bytes.
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "glimvane/conversion.h"

namespace glimvane::reference {

inline std::string Encode(char32_t cp) {
  std::string out;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | cp >> 18);
    out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

// The length of the well-formed sequence at bytes[i] (the rules of the
// Unicode standard's table of well-formed UTF-8), or 0 if there is none.
inline std::size_t WellFormedLength(const std::string& bytes, std::size_t i, char32_t& cp) {
  const auto at = [&](std::size_t k) -> unsigned { return i + k < bytes.size() ? static_cast<unsigned char>(bytes[i + k]) : 0x100; };
  const auto in = [](unsigned b, unsigned lo, unsigned hi) { return b >= lo && b <= hi; };
  const unsigned b0 = at(0);
  if (b0 < 0x80) { cp = b0; return 1; }
  if (in(b0, 0xC2, 0xDF) && in(at(1), 0x80, 0xBF)) {
    cp = (b0 & 0x1F) << 6 | (at(1) & 0x3F);
    return 2;
  }
  if (in(b0, 0xE0, 0xEF)) {
    const unsigned lo = b0 == 0xE0 ? 0xA0 : 0x80, hi = b0 == 0xED ? 0x9F : 0xBF;
    if (!in(at(1), lo, hi) || !in(at(2), 0x80, 0xBF)) return 0;
    cp = (b0 & 0x0F) << 12 | (at(1) & 0x3F) << 6 | (at(2) & 0x3F);
    return 3;
  }
  if (in(b0, 0xF0, 0xF4)) {
    const unsigned lo = b0 == 0xF0 ? 0x90 : 0x80, hi = b0 == 0xF4 ? 0x8F : 0xBF;
    if (!in(at(1), lo, hi) || !in(at(2), 0x80, 0xBF) || !in(at(3), 0x80, 0xBF)) return 0;
    cp = (b0 & 0x07) << 18 | (at(1) & 0x3F) << 12 | (at(2) & 0x3F) << 6 | (at(3) & 0x3F);
    return 4;
  }
  return 0;
}

// Decode, convert with the UTF-16 library, encode; invalid bytes kept.
inline std::string Reference(const std::string& bytes, bool reverse) {
  std::vector<std::variant<char, std::size_t>> items;  // an invalid byte, or an index into `units`
  std::u16string units;
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t cp = 0;
    const std::size_t length = WellFormedLength(bytes, i, cp);
    if (length == 0) {
      items.emplace_back(bytes[i]);
      ++i;
      continue;
    }
    items.emplace_back(units.size());
    if (cp >= 0x10000) {
      units += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      units += static_cast<char16_t>(cp);
    }
    i += length;
  }
  const std::u16string converted = reverse ? ConvertReverse(units) : ConvertForward(units);
  std::string out;
  for (const auto& item : items) {
    if (const char* invalid = std::get_if<char>(&item)) {
      out += *invalid;
      continue;
    }
    const std::size_t k = std::get<std::size_t>(item);
    const char16_t unit = converted[k];
    out += unit >= 0xD800 && unit < 0xDC00
               ? Encode(0x10000 + ((unit - 0xD800) << 10) + (converted[k + 1] - 0xDC00))
               : Encode(unit);
  }
  return out;
}

}  // namespace glimvane::reference
