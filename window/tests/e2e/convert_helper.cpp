// glimvane_convert_helper: the conversion library as a native filter, so that
// the end-to-end tests compute the text they expect from the window with the
// same library instead of by hand.
//
//   glimvane_convert_helper forward|reverse < in.utf8 > out.utf8
//
// Reads UTF-8, converts it as UTF-16 and writes UTF-8. Input that is not
// well-formed UTF-8 is refused (exit 1): the tests only feed it their own
// well-formed texts, and a silent repair would hide a broken fixture.

#include <cstdio>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "glimvane/conversion.h"

namespace {

std::optional<std::u16string> DecodeUtf8(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= bytes.size()) return std::nullopt;
    char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      code = code << 6 | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
    if (code >= 0x10000) {
      code -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (code >> 10));
      out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

// The input was well-formed, so every surrogate here comes in a pair.
std::string EncodeUtf8(std::u16string_view units) {
  std::string out;
  out.reserve(units.size() * 3);
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t code = units[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < units.size()) code = 0x10000 + ((code - 0xD800) << 10) + (units[++i] - 0xDC00);
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | code >> 6);
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | code >> 12);
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | code >> 18);
      out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view direction = argc == 2 ? argv[1] : "";
  if (direction != "forward" && direction != "reverse") {
    std::fputs("usage: glimvane_convert_helper forward|reverse < in > out\n", stderr);
    return 2;
  }
  std::ios::sync_with_stdio(false);
  const std::string input{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
  const std::optional<std::u16string> text = DecodeUtf8(input);
  if (!text) {
    std::fputs("glimvane_convert_helper: input is not well-formed UTF-8\n", stderr);
    return 1;
  }
  const std::u16string result = direction == "forward" ? glimvane::ConvertForward(*text) : glimvane::ConvertReverse(*text);
  std::cout << EncodeUtf8(result);
  return std::cout.flush() ? 0 : 1;
}
