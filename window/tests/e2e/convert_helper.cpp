// glimvane_convert_helper: the conversion library as a native filter, so that
// the end-to-end tests compute the text they expect from the window with the
// same library instead of by hand.
//
//   glimvane_convert_helper forward|reverse < in.utf16le > out.utf16le
//
// Reads and writes UTF-16LE, the code units the window converts, so that no
// codec of its own stands between the test and the library.

#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>

#include "glimvane/conversion.h"

int main(int argc, char** argv) {
  const std::string_view direction = argc == 2 ? argv[1] : "";
  if (direction != "forward" && direction != "reverse") {
    std::fputs("usage: glimvane_convert_helper forward|reverse < in > out\n", stderr);
    return 2;
  }
  std::ios::sync_with_stdio(false);
  const std::string input{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
  if (input.size() % 2 != 0) {
    std::fputs("glimvane_convert_helper: input is not whole UTF-16 code units\n", stderr);
    return 1;
  }
  std::u16string text(input.size() / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(static_cast<unsigned char>(input[2 * i]) | static_cast<unsigned char>(input[2 * i + 1]) << 8);
  direction == "forward" ? glimvane::ConvertForwardInPlace(text) : glimvane::ConvertReverseInPlace(text);
  std::string output(input.size(), '\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    output[2 * i] = static_cast<char>(text[i] & 0xFF);
    output[2 * i + 1] = static_cast<char>(text[i] >> 8);
  }
  std::cout << output;
  return std::cout.flush() ? 0 : 1;
}
