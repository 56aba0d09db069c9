// libFuzzer target: arbitrary bytes read as UTF-16 code units (odd bytes and
// lone surrogates included) must convert exactly as the row-by-row
// definition says, in the copying and in the in-place form.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "glimvane/conversion.h"
#include "reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
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
  return 0;
}
