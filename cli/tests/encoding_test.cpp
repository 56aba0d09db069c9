// glimvane-convert with --encoding: every encoding converts like the library,
// keeps a byte order mark and every character outside the table byte for
// byte, and reports input that the encoding rejects.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "glimvane/conversion.h"
#include "glimvane/substitution_table.h"
#include "text.h"
#include "tool.h"

namespace glimvane::testing {
namespace {

struct EncodingCase {
  const char* option;   // as given to --encoding
  const char* charset;  // the test's own iconv name for it
  bool has_bom;         // can carry U+FEFF
  bool supplementary;   // can carry characters beyond U+FFFF
};

constexpr EncodingCase kEncodings[] = {
    {"GBK", "GBK", false, false},          {"cp936", "CP936", false, false},
    {"GB18030", "GB18030", true, true},    {"UTF-16LE", "UTF-16LE", true, true},
    {"utf-16be", "UTF-16BE", true, true},
};

TEST(Encodings, OutputIsTheLibrarysConversion) {
  std::mt19937 rng(18030);
  for (const EncodingCase& e : kEncodings) {
    // Over a megabyte, so that reads end inside characters.
    std::u16string text = ChineseLikeText(rng, 700'000, !e.supplementary);
    if (e.has_bom) text = u"\uFEFF" + text;
    const std::string input = FromUnits(text, e.charset);
    const std::string path = WriteScratchFile("encoded.txt", input);
    for (bool reverse : {false, true}) {
      const std::string expected = FromUnits(reverse ? ConvertReverse(text) : ConvertForward(text), e.charset);
      std::vector<std::string> args{"--encoding", e.option, path};
      if (reverse) args.insert(args.begin(), "--reverse");
      const ToolRun run = RunTool(args);
      const std::string label = std::string(e.option) + (reverse ? " reverse" : " forward");
      EXPECT_EQ(run.exit_code, 0) << label << ": " << run.err;
      EXPECT_EQ(run.err, "") << label;
      EXPECT_TRUE(run.out == expected) << label << ": output differs from the library's conversion";
      if (e.has_bom) {
        EXPECT_EQ(run.out.substr(0, 4), expected.substr(0, 4)) << label << ": byte order mark";
      }
    }
  }
}

// Every character that the encoding has and the conversion leaves alone
// must come back as the very bytes it was: no codec quirk may turn one
// character into another on the way through UTF-16.
TEST(Encodings, CharactersOutsideTheTableKeepTheirBytes) {
  bool is_source[0x10000] = {}, is_target[0x10000] = {};
  for (const SubstitutionPair& pair : kSubstitutionTable) {
    is_source[pair.source] = true;
    is_target[pair.target] = true;
  }
  struct Repertoire {
    const char* option;
    std::vector<std::string> characters;
  };
  std::vector<Repertoire> repertoires;
  // Every byte and byte pair of GBK's code space that iconv accepts as one
  // character.
  for (const char* option : {"GBK", "GB18030"}) {
    Repertoire r{option, {}};
    for (int c = 0; c <= 0xFF; ++c) r.characters.emplace_back(1, static_cast<char>(c));  // 0x80 is € in GBK
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        r.characters.push_back({static_cast<char>(lead), static_cast<char>(trail)});
      }
    }
    repertoires.push_back(std::move(r));
  }
  // GB18030's four-byte characters of the BMP and of the first plane beyond.
  for (int b1 = 0x81; b1 <= 0x84; ++b1)
    for (int b2 = 0x30; b2 <= 0x39; ++b2)
      for (int b3 = 0x81; b3 <= 0xFE; ++b3)
        for (int b4 = 0x30; b4 <= 0x39; ++b4)
          repertoires[1].characters.push_back(
              {static_cast<char>(b1), static_cast<char>(b2), static_cast<char>(b3), static_cast<char>(b4)});
  repertoires[1].characters.push_back("\x90\x30\x81\x30");  // U+10000

  for (const Repertoire& r : repertoires) {
    std::string forward_input, reverse_input;
    for (const std::string& bytes : r.characters) {
      std::u16string units;
      try {
        units = ToUnits(bytes, r.option);
      } catch (const std::exception&) {
        continue;  // not a character of the encoding
      }
      if (units.size() == 1 && is_source[units[0]]) continue;
      forward_input += bytes;
      if (units.size() == 1 && is_target[units[0]]) continue;
      reverse_input += bytes;
    }
    ASSERT_GT(forward_input.size(), 40'000u) << r.option;
    for (bool reverse : {false, true}) {
      const std::string& input = reverse ? reverse_input : forward_input;
      std::vector<std::string> args{"--encoding", r.option, WriteScratchFile("repertoire.txt", input)};
      if (reverse) args.insert(args.begin(), "-r");
      const ToolRun run = RunTool(args);
      EXPECT_EQ(run.exit_code, 0) << r.option << ": " << run.err;
      EXPECT_TRUE(run.out == input) << r.option << (reverse ? " reverse" : " forward") << ": bytes changed";
    }
  }
}

TEST(Encodings, RejectedInputIsReportedWithItsOffset) {
  // A valid prefix long enough to span reads, then the bad bytes, then more
  // text that must not be written.
  std::mt19937 rng(7);
  const std::u16string prefix = ChineseLikeText(rng, 600'000, true);
  const struct {
    const char* option;
    std::string bad;
    bool at_end;  // the bad bytes end the input
    const char* message;
  } cases[] = {
      {"GBK", "\xFF", false, "invalid GBK input at byte offset "},
      {"GBK", "\x81\x20", false, "invalid GBK input at byte offset "},
      {"GBK", "\x81", true, "incomplete GBK character at the end, byte offset "},
      {"GB18030", "\x81\x30\x81\x20", false, "invalid GB18030 input at byte offset "},
      {"GB18030", "\x81\x30\x81", true, "incomplete GB18030 character at the end, byte offset "},
      {"UTF-16LE", std::string("\x00\xD8" "A\x00", 4), false, "invalid UTF-16LE input at byte offset "},
      {"UTF-16LE", std::string("\x00\xDC", 2), false, "invalid UTF-16LE input at byte offset "},
      {"UTF-16LE", "\x41", true, "incomplete UTF-16LE character at the end, byte offset "},
      {"UTF-16BE", std::string("\xD8\x00", 2), true, "incomplete UTF-16BE character at the end, byte offset "},
      {"UTF-16BE", std::string("\xDC\x00\x00" "A", 4), false, "invalid UTF-16BE input at byte offset "},
  };
  for (const auto& c : cases) {
    const std::string valid = FromUnits(prefix, c.option);
    const std::string input = valid + c.bad + (c.at_end ? "" : FromUnits(u"的的的", c.option));
    const std::string path = WriteScratchFile("bad.txt", input);
    const ToolRun run = RunTool({"-e", c.option, path});
    const std::string label = std::string(c.option) + " " + ::testing::PrintToString(c.bad);
    EXPECT_EQ(run.exit_code, 1) << label;
    EXPECT_EQ(run.err, "glimvane-convert: " + path + ": " + c.message + std::to_string(valid.size()) + "\n") << label;
    EXPECT_TRUE(run.out == FromUnits(ConvertForward(prefix), c.option)) << label << ": not exactly the text before";
  }
}

TEST(Encodings, RejectedInputInOneFileLeavesTheNextConverted) {
  const std::string bad = WriteScratchFile("bad.txt", FromUnits(u"的", "GBK") + "\xFF");
  const std::string good = WriteScratchFile("good.txt", FromUnits(u"国", "GBK"));
  const ToolRun run = RunTool({"--encoding=GBK", bad, good});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, FromUnits(u"哋國", "GBK"));
  EXPECT_EQ(run.err, "glimvane-convert: " + bad + ": invalid GBK input at byte offset 2\n");
}

}  // namespace
}  // namespace glimvane::testing
