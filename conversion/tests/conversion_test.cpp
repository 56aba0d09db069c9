// The two conversions: the cases people meet, the composition laws, the
// bulk forms, and a differential run against the literal row-by-row
// definition on seeded random text.

#include "glimvane/conversion.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "glimvane/substitution_table.h"
#include "random_text.h"
#include "reference.h"
#include "table_cases.h"
#include "utf.h"

namespace glimvane {
namespace {

using namespace glimvane::testing;

std::u16string Forward(std::u16string_view text) { return ConvertForward(text); }
std::u16string Reverse(std::u16string_view text) { return ConvertReverse(text); }

#define EXPECT_TEXT_EQ(actual, expected) EXPECT_EQ(Hex(actual), Hex(expected))

struct TextCase {
  const char* name;
  std::u16string input;
  std::u16string forward;
  std::u16string reverse;
};

class ConversionCase : public ::testing::TestWithParam<TextCase> {};

TEST_P(ConversionCase, ForwardAndReverse) {
  const TextCase& c = GetParam();
  EXPECT_TEXT_EQ(Forward(c.input), c.forward);
  EXPECT_TEXT_EQ(Reverse(c.input), c.reverse);
  // The literal definition agrees on every fixed case too.
  EXPECT_TEXT_EQ(reference::ConvertForward(c.input), c.forward);
  EXPECT_TEXT_EQ(reference::ConvertReverse(c.input), c.reverse);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ConversionCase,
    ::testing::Values(
        TextCase{"Empty", u"", u"", u""},
        TextCase{"Placeholder", u"请输入需要转换的文字",
                 u"\x57E5\x702D\x53FA\x6FE1\x5A79\x556D\x63DB\x54CB\x598F\x7278", u"请输入需要转换的文字"},
        TextCase{"PlaceholderForwardResult", u"\x57E5\x702D\x53FA\x6FE1\x5A79\x556D\x63DB\x54CB\x598F\x7278",
                 u"\x57E5\x702D\x53FA\x6FE1\x5A79\x556D\x63DB\x54CB\x598F\x7278", u"请输入需要转换的文字"},
        TextCase{"NothingFromTheTable", u"Glimvane 1.0, (x=42)\r\n\t!~", u"Glimvane 1.0, (x=42)\r\n\t!~",
                 u"Glimvane 1.0, (x=42)\r\n\t!~"},
        TextCase{"CharactersInNoRow", u"爸龍③⑤⑥，", u"爸龍③⑤⑥，", u"爸龍③⑤⑥，"},
        TextCase{"RepeatedNextToItself", u"的的的", u"哋哋哋", u"的的的"},
        TextCase{"SharedTargetRestoresTheLowestRow", u"哋地", u"哋哋", u"的地"},
        TextCase{"TargetAlreadyInTheText", u"國国", u"國國", u"国国"},
        TextCase{"CircledDigits", u"①②③④⑤⑥⑦", u"①②③④⑤⑥⑦", u"一二③四⑤⑥七"},
        TextCase{"NearIdenticalGlyphs", u"市户戶", u"巿戶戶", u"市户护"},
        TextCase{"OrdinaryWordsHoldingTargets", u"哪里咖啡队伍", u"哪里咖啡隊伍",
                 u"那里加啡队五"},
        TextCase{"SourceAndTargetOfOneRow", u"国國", u"國國", u"国国"},
        TextCase{"SurrogatesPassThrough", u"\xD840\xDC00的\xD800的\xDFFF", u"\xD840\xDC00哋\xD800哋\xDFFF",
                 u"\xD840\xDC00的\xD800的\xDFFF"},
        TextCase{"LineBreaksKept", u"中\r\n国\r\n", u"狆\r\n國\r\n", u"中\r\n国\r\n"}),
    [](const ::testing::TestParamInfo<TextCase>& param) { return param.param.name; });

TEST(ConvertForward, ReplacesEverySourceByItsRowsTarget) {
  for (std::size_t i = 0; i < kSubstitutionRowCount; ++i) {
    const SubstitutionPair& row = kSubstitutionTable[i];
    EXPECT_TEXT_EQ(Forward(std::u16string(1, row.source)), std::u16string(1, row.target)) << "row " << i + 1;
  }
}

TEST(ConvertReverse, TurnsEverySharedTargetIntoItsFirstRowsSource) {
  for (const SharedTarget& group : kSharedTargets) {
    const char16_t winner = kSubstitutionTable[group.rows.front() - 1].source;
    EXPECT_TEXT_EQ(Reverse(std::u16string(3, group.target)), std::u16string(3, winner)) << Hex(group.target);
  }
}

TEST(ConvertReverse, TurnsTheSymbolTargetsBack) {
  for (const RowCase& row : kSymbolRows)
    EXPECT_TEXT_EQ(Reverse(std::u16string(1, row.target)), std::u16string(1, row.source)) << "row " << row.row;
}

TEST(RoundTrip, LosesExactlyTheThirtyKnownSources) {
  std::map<char16_t, const RoundTripLoss*> losses;
  for (const RoundTripLoss& loss : kRoundTripLosses) losses.emplace(loss.source, &loss);
  ASSERT_EQ(losses.size(), 30u);
  for (std::size_t i = 0; i < kSubstitutionRowCount; ++i) {
    const char16_t source = kSubstitutionTable[i].source;
    const std::u16string back = Reverse(Forward(std::u16string(1, source)));
    const auto it = losses.find(source);
    if (it == losses.end()) {
      EXPECT_TEXT_EQ(back, std::u16string(1, source)) << "row " << i + 1 << " does not come back";
    } else {
      const RoundTripLoss& loss = *it->second;
      EXPECT_EQ(loss.row, static_cast<int>(i + 1));
      EXPECT_EQ(Hex(kSubstitutionTable[i].target), Hex(loss.target)) << "row " << loss.row;
      EXPECT_TEXT_EQ(back, std::u16string(1, loss.comes_back_as)) << "row " << loss.row;
      EXPECT_EQ(Hex(kSubstitutionTable[loss.winning_row - 1].source), Hex(loss.comes_back_as));
    }
  }
}

// The laws hold for every text; random texts that mix everything check them.
TEST(Composition, LawsHoldOnRandomText) {
  std::mt19937 rng(20261211);
  for (int round = 0; round < 200; ++round) {
    const std::u16string text = RandomText(rng, round * 7);
    const std::u16string forward = Forward(text);
    const std::u16string reverse = Reverse(text);
    ASSERT_EQ(forward.size(), text.size());
    ASSERT_EQ(reverse.size(), text.size());
    EXPECT_TEXT_EQ(Forward(forward), forward) << "forward is not idempotent";
    EXPECT_TEXT_EQ(Reverse(reverse), reverse) << "reverse is not idempotent";
    EXPECT_TEXT_EQ(Forward(reverse), forward) << "forward after reverse differs from forward";
  }
}

TEST(Differential, OnePassEqualsTheRowByRowDefinition) {
  std::mt19937 rng(714);
  for (std::size_t length : {0u, 1u, 2u, 3u, 4u, 5u, 7u, 8u, 9u, 63u, 64u, 65u, 1000u, 4099u}) {
    for (int round = 0; round < 8; ++round) {
      const std::u16string text = RandomText(rng, length);
      EXPECT_TEXT_EQ(Forward(text), reference::ConvertForward(text)) << "length " << length;
      EXPECT_TEXT_EQ(Reverse(text), reference::ConvertReverse(text)) << "length " << length;
    }
  }
}

TEST(Differential, EveryCodeUnitMapsAsTheDefinitionSays) {
  std::u16string all(0x10000, u'\0');
  for (std::size_t unit = 0; unit < all.size(); ++unit) all[unit] = static_cast<char16_t>(unit);
  EXPECT_TRUE(Forward(all) == reference::ConvertForward(all));
  EXPECT_TRUE(Reverse(all) == reference::ConvertReverse(all));
}

TEST(BulkForms, ConvertInPlaceAndIntoALongerBuffer) {
  std::mt19937 rng(42);
  const std::u16string text = RandomText(rng, 1001);

  std::u16string in_place = text;
  ConvertForwardInPlace(in_place);
  EXPECT_TEXT_EQ(in_place, Forward(text));
  ConvertReverseInPlace(in_place);
  EXPECT_TEXT_EQ(in_place, Reverse(Forward(text)));

  // Only in.size() units are written; the rest of the buffer is untouched.
  std::vector<char16_t> out(text.size() + 3, u'#');
  ConvertReverse(std::span<const char16_t>(text), std::span<char16_t>(out));
  EXPECT_TEXT_EQ(std::u16string_view(out.data(), text.size()), Reverse(text));
  EXPECT_EQ(std::u16string_view(out.data() + text.size(), 3), u"###");
}

TEST(BulkForms, RejectAShorterOutputBuffer) {
  const std::u16string text = u"的的的";
  std::vector<char16_t> out(2, u'#');
  EXPECT_THROW(ConvertForward(std::span<const char16_t>(text), std::span<char16_t>(out)), std::length_error);
  EXPECT_EQ(std::u16string_view(out.data(), 2), u"##") << "nothing may be written on failure";
}

}  // namespace
}  // namespace glimvane
