// Converts the prompt of the window both ways through the installed library,
// in UTF-16 and in UTF-8, and fails loudly if anything comes out wrong.
#include <glimvane/conversion.h>
#include <glimvane/substitution_table.h>
#include <glimvane/utf8.h>

#include <cstdio>
#include <string>

int main() {
  const std::u16string prompt = u"请输入需要转换的文字";
  const std::u16string converted = u"埥瀭叺濡婹啭換哋妏牸";
  const std::string prompt_utf8 = "请输入需要转换的文字";
  const std::string converted_utf8 = "埥瀭叺濡婹啭換哋妏牸";
  int failures = 0;
  const auto check = [&](bool ok, const char* what) {
    if (!ok) {
      std::fprintf(stderr, "glimvane_consumer: %s is wrong\n", what);
      ++failures;
    }
  };
  check(glimvane::kSubstitutionTable.size() == 714, "the table's size");
  check(glimvane::ConvertForward(prompt) == converted, "ConvertForward");
  check(glimvane::ConvertReverse(converted) == prompt, "ConvertReverse");
  check(glimvane::ConvertForwardUtf8(prompt_utf8) == converted_utf8, "ConvertForwardUtf8");
  check(glimvane::ConvertReverseUtf8(converted_utf8) == prompt_utf8, "ConvertReverseUtf8");
  if (failures == 0) std::puts("glimvane_consumer: ok");
  return failures == 0 ? 0 : 1;
}
