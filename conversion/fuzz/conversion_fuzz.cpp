// libFuzzer target. The same bytes are read twice:
// - as UTF-16 code units (odd bytes and lone surrogates included), which must
//   convert exactly as the row-by-row definition says, copying and in place;
// - as UTF-8 (malformed sequences included), which must convert in place
//   exactly as decoding, converting as UTF-16 and encoding again does.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>

#include "glimvane/conversion.h"
#include "glimvane/utf8.h"
#include "reference.h"
#include "utf8_reference.h"

namespace {

void CheckUtf16(const std::uint8_t* data, std::size_t size) {
  std::u16string text(size / 2, u'\0');
  std::memcpy(text.data(), data, text.size() * 2);

  const std::u16string forward = glimvane::ConvertForward(text);
  const std::u16string reverse = glimvane::ConvertReverse(text);
  if (forward != glimvane::reference::ConvertForward(text)) std::abort();
  if (reverse != glimvane::reference::ConvertReverse(text)) std::abort();

  std::u16string in_place = text;
  glimvane::ConvertForwardInPlace(in_place);
  if (in_place != forward) std::abort();
  glimvane::ConvertReverseInPlace(in_place);
  if (in_place != glimvane::ConvertReverse(forward)) std::abort();
}

void CheckUtf8(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (bool reverse : {false, true}) {
    std::string converted = bytes;
    reverse ? glimvane::ConvertReverseUtf8(std::span<char>(converted))
            : glimvane::ConvertForwardUtf8(std::span<char>(converted));
    if (converted != glimvane::reference::Reference(bytes, reverse)) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckUtf16(data, size);
  CheckUtf8(data, size);
  return 0;
}
