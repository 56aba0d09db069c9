// The text's road through the ANSI code page with the real Win32 codec:
// code page 936 must carry every character that the conversions write, and
// the round trip must leave everything else as it was.
#include "ansi_text.h"

#include <gtest/gtest.h>

#include <string>

#include "glimvane/conversion.h"
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

TEST(AnsiText, PlaceholderForwardAndBack) {
  std::string text = Gbk(u"请输入需要转换的文字");
  const std::size_t bytes = text.size();
  ConvertAnsiText(text, ConvertForwardInPlace, kChinese);
  EXPECT_EQ(WideFromAnsi(text, kChinese), u"埥瀭叺濡婹啭換哋妏牸");
  EXPECT_EQ(text.size(), bytes);
  ConvertAnsiText(text, ConvertReverseInPlace, kChinese);
  EXPECT_EQ(WideFromAnsi(text, kChinese), u"请输入需要转换的文字");
}

struct RoundTripCase {
  const char* name;
  std::u16string text;
  std::u16string forward;
};

class RoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTrip, OnlyTableCharactersChange) {
  std::string text = Gbk(GetParam().text);
  ConvertAnsiText(text, ConvertForwardInPlace, kChinese);
  EXPECT_EQ(text, Gbk(GetParam().forward));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RoundTrip,
    testing::Values(RoundTripCase{"Empty", u"", u""},
                    RoundTripCase{"LineBreaksAndAscii", u"a\r\nb\r\n\r\n1+1=2\t!", u"a\r\nb\r\n\r\n1+1=2\t!"},
                    RoundTripCase{"MixedLines", u"我们\r\n的国 ok", u"莪們\r\n哋國 ok"},
                    // Full-width punctuation and characters outside the table pass.
                    RoundTripCase{"Untouched", u"，。《》“”锟斤拷", u"，。《》“”锟斤拷"},
                    RoundTripCase{"SymbolTargets", u"一二四七日之子儿", u"①②④⑦ㄖとふル"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(AnsiText, ReusesTheBufferWhenTheLengthStays) {
  std::string text = Gbk(std::u16string(100000, u'的'));
  const char* before = text.data();
  ConvertAnsiText(text, ConvertForwardInPlace, kChinese);
  EXPECT_EQ(text.data(), before);
  EXPECT_EQ(text, Gbk(std::u16string(100000, u'哋')));
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
