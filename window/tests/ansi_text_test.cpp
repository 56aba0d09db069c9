// The text's road into the ANSI code page (the clipboard's CF_TEXT) with the
// real Win32 codec: code page 936 must carry every character that the
// conversions write, two bytes each, and give it back.
#include "ansi_text.h"

#include <gtest/gtest.h>

#include <string>

#include "glimvane/substitution_table.h"

namespace glimvane::window {
namespace {

constexpr UINT kChinese = 936;

std::string Gbk(std::u16string_view text) {
  std::string out;
  AnsiFromWide(text, kChinese, out);
  return out;
}

TEST(AnsiText, EveryTableCharacterIsTwoBytesOfCodePage936AndComesBack) {
  for (std::size_t row = 0; row < kSubstitutionTable.size(); ++row) {
    for (char16_t c : {kSubstitutionTable[row].source, kSubstitutionTable[row].target}) {
      const std::u16string one(1, c);
      const std::string bytes = Gbk(one);
      EXPECT_EQ(bytes.size(), 2u) << "row " << row + 1 << " U+" << std::hex << unsigned(c);
      EXPECT_EQ(WideFromAnsi(bytes, kChinese), one) << "row " << row + 1 << " U+" << std::hex << unsigned(c);
    }
  }
}

TEST(AnsiText, GrowsAndShrinksTheBufferAsNeeded) {
  const std::u16string longer(300, u'国');
  std::string text = "short";
  AnsiFromWide(longer, kChinese, text);
  EXPECT_EQ(text.size(), 600u);
  EXPECT_EQ(WideFromAnsi(text, kChinese), longer);
  AnsiFromWide(u"国a", kChinese, text);
  EXPECT_EQ(text, Gbk(u"国a"));
  EXPECT_EQ(text.size(), 3u);
}

}  // namespace
}  // namespace glimvane::window
