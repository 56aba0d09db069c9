// Small text helpers for the tests.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace glimvane::testing {

// "U+54CB": code units compare readably in failure messages.
inline std::string Hex(char16_t unit) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(unit));
  return buffer;
}

inline std::string Hex(std::u16string_view text) {
  std::string out;
  for (char16_t unit : text) {
    if (!out.empty()) out += ' ';
    out += Hex(unit);
  }
  return out;
}

// Decodes well-formed UTF-8 (the test sources and fixtures) to UTF-16.
inline std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(utf8[i + k]); };
    char32_t cp;
    std::size_t len;
    if (byte(0) < 0x80) { cp = byte(0); len = 1; }
    else if (byte(0) < 0xE0) { cp = (byte(0) & 0x1F) << 6 | (byte(1) & 0x3F); len = 2; }
    else if (byte(0) < 0xF0) { cp = (byte(0) & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F); len = 3; }
    else { cp = (byte(0) & 0x07) << 18 | (byte(1) & 0x3F) << 12 | (byte(2) & 0x3F) << 6 | (byte(3) & 0x3F); len = 4; }
    i += len;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

}  // namespace glimvane::testing
