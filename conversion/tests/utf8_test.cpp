// The UTF-8 conversions against the UTF-16 ones: a text decoded, converted
// by ConvertForward or ConvertReverse and encoded again must give the same
// bytes as the in-place conversion, with every invalid byte where it stood.

#include "glimvane/utf8.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <variant>
#include <vector>

#include "../src/utf8_internal.h"
#include "glimvane/conversion.h"
#include "glimvane/substitution_table.h"
#include "utf8_reference.h"

namespace glimvane {
namespace {

using reference::Encode;
using reference::Reference;

std::string Convert(std::string bytes, bool reverse) {
  reverse ? ConvertReverseUtf8(std::span<char>(bytes)) : ConvertForwardUtf8(std::span<char>(bytes));
  return bytes;
}

// Bytes that mix what a stream meets, well-formed or not: table characters,
// other text of every sequence length, and malformed pieces that sit close to
// a table character. With `mostly_text`, long runs of ASCII and three-byte
// characters, with only now and then something else.
std::string RandomBytes(std::mt19937& rng, std::size_t length, bool mostly_text = false) {
  std::uniform_int_distribution<int> kind(0, 15);
  std::uniform_int_distribution<int> rare(0, 99);
  std::uniform_int_distribution<std::size_t> row(0, kSubstitutionRowCount - 1);
  std::uniform_int_distribution<int> any_byte(0, 255);
  std::uniform_int_distribution<int> ascii(0x20, 0x7E);
  std::uniform_int_distribution<int> bmp(0x800, 0xFFFF);
  std::uniform_int_distribution<int> supplementary(0x10000, 0x10FFFF);
  std::string out;
  while (out.size() < length) {
    const auto& pair = kSubstitutionTable[row(rng)];
    int k = kind(rng);
    if (mostly_text && k >= 6 && k != 7 && k != 14 && rare(rng) > 2) k = k % 2 ? 5 : 7;
    switch (k) {
      case 0: case 1: case 2: out += Encode(pair.source); break;
      case 3: case 4: out += Encode(pair.target); break;
      case 5: out += static_cast<char>(ascii(rng)); break;
      case 6: out += Encode(0x80 + any_byte(rng) * 7); break;  // two bytes
      case 7: {
        const int cp = bmp(rng);
        if (cp < 0xD800 || cp > 0xDFFF) out += Encode(cp);
        break;
      }
      case 8: out += Encode(supplementary(rng)); break;
      case 9: out += static_cast<char>(any_byte(rng)); break;
      case 10: out += Encode(pair.source).substr(0, 2); break;  // cut short
      case 11: out += Encode(pair.target).substr(1); break;     // lead lost
      case 12: {  // the character as a surrogate encoding: ED A0..BF xx
        out += '\xED';
        out += static_cast<char>(0xA0 + any_byte(rng) % 0x20);
        out += static_cast<char>(0x80 + any_byte(rng) % 0x40);
        break;
      }
      case 13: {  // a table character as an overlong four-byte form
        const char16_t unit = pair.source;
        out += '\xF0';
        out += static_cast<char>(0x80 | (unit >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (unit >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (unit & 0x3F));
        break;
      }
      case 14: out += "\r\n"; break;
      default: out += static_cast<char>(0xE0 + any_byte(rng) % 16); break;  // a stray lead byte
    }
  }
  out.resize(length);
  return out;
}

// Every test below runs with each kernel that this machine has: the wide one
// (AVX2) and the baseline one.
class Utf8Kernel : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam() && !internal::Utf8WideKernelAvailable()) GTEST_SKIP() << "no AVX2 on this machine";
    internal::AllowUtf8WideKernel(GetParam());
  }
  void TearDown() override { internal::AllowUtf8WideKernel(true); }
};

INSTANTIATE_TEST_SUITE_P(Kernels, Utf8Kernel, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& param_info) { return param_info.param ? "Wide" : "Baseline"; });

TEST_P(Utf8Kernel, MatchesTheUtf16LibraryOnRandomBytes) {
  std::mt19937 rng(5);
  // Short lengths reach the byte-by-byte end of the loops, long ones their
  // blocks and every alignment of a character against a block.
  for (std::size_t length : {0u, 1u, 2u, 3u, 5u, 27u, 28u, 29u, 31u, 32u, 34u, 35u, 36u, 40u, 41u, 64u, 100u, 1000u, 65537u}) {
    for (int round = 0; round < 40; ++round) {
      const bool mostly_text = round % 2 == 1;
      const std::string bytes = RandomBytes(rng, length, mostly_text);
      for (bool reverse : {false, true}) {
        ASSERT_EQ(Convert(bytes, reverse), Reference(bytes, reverse))
            << (reverse ? "reverse" : "forward") << ", length " << length << ", round " << round;
      }
    }
  }
}

TEST_P(Utf8Kernel, EveryRowInBothDirections) {
  std::string sources, targets;
  for (const SubstitutionPair& pair : kSubstitutionTable) {
    sources += Encode(pair.source);
    targets += Encode(pair.target);
  }
  ASSERT_EQ(sources.size(), 3 * kSubstitutionRowCount);
  std::string forward_of_sources;
  for (const SubstitutionPair& pair : kSubstitutionTable) forward_of_sources += Encode(pair.target);
  EXPECT_EQ(Convert(sources, false), forward_of_sources);
  EXPECT_EQ(Convert(targets, false), targets);
  EXPECT_EQ(Convert(targets, true), Reference(targets, true));
  EXPECT_EQ(Convert(sources, true), sources);
}

struct Case {
  const char* name;
  std::string input;
  std::string forward;
  std::string reverse;
};

TEST_P(Utf8Kernel, Cases) {
  const Case cases[] = {
      {"empty", "", "", ""},
      {"placeholder", "请输入需要转换的文字", "埥瀭叺濡婹啭換哋妏牸", "请输入需要转换的文字"},
      {"repeated", "的的的", "哋哋哋", "的的的"},
      {"shared target", "哋", "哋", "的"},
      {"no table character", "abc 123\r\n，龍③", "abc 123\r\n，龍③", "abc 123\r\n，龍③"},
      {"byte order mark", "\xEF\xBB\xBF的", "\xEF\xBB\xBF哋", "\xEF\xBB\xBF的"},
      {"cut off at the end", "的\xE7\x9A", "哋\xE7\x9A", "的\xE7\x9A"},
      {"stray lead before", "\xE7的", "\xE7哋", "\xE7的"},
      {"lead without continuations", "\xE7" "a" "\x9A\x84", "\xE7" "a" "\x9A\x84", "\xE7" "a" "\x9A\x84"},
      {"overlong four-byte 的", "\xF0\x87\x9A\x84", "\xF0\x87\x9A\x84", "\xF0\x87\x9A\x84"},
      {"encoded surrogate", "\xED\xA0\x80\xED\xB0\x80", "\xED\xA0\x80\xED\xB0\x80", "\xED\xA0\x80\xED\xB0\x80"},
      {"supplementary", "\xF0\xA0\x80\x80的", "\xF0\xA0\x80\x80哋", "\xF0\xA0\x80\x80的"},
      {"invalid bytes", "\xFF\xC0\x80的\xFE", "\xFF\xC0\x80哋\xFE", "\xFF\xC0\x80的\xFE"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Convert(c.input, false), c.forward) << c.name;
    EXPECT_EQ(Convert(c.input, true), c.reverse) << c.name;
    EXPECT_EQ(ConvertForwardUtf8(std::string_view(c.input)), c.forward) << c.name;
    EXPECT_EQ(ConvertReverseUtf8(std::string_view(c.input)), c.reverse) << c.name;
  }
}

TEST(IncompleteUtf8Tail, Cases) {
  const struct {
    std::string bytes;
    std::size_t tail;
  } cases[] = {
      {"", 0},
      {"a", 0},
      {"\xE7", 1},
      {"\xE7\x9A", 2},
      {"\xE7\x9A\x84", 0},
      {"ab\xE7\x9A", 2},
      {"\xC3", 1},
      {"\xC3\xA9", 0},
      {"\xF0\x9F\x98", 3},
      {"\xF0\x9F", 2},
      {"\xF0", 1},
      {"\xE7\x9A\x84\x9A", 0},  // a stray continuation after a whole character
      {"\x9A\x84", 0},
      {"\xE0\x80", 0},  // overlong
      {"\xED\xA0", 0},  // surrogate
      {"\xF0\x8F", 0},  // overlong
      {"\xF4\x90", 0},  // above U+10FFFF
      {"\xF5", 0},
      {"\xFF", 0},
      {"\xC0", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IncompleteUtf8Tail(std::span<const char>(c.bytes.data(), c.bytes.size())), c.tail)
        << testing::PrintToString(c.bytes);
  }
}

// Converting chunk by chunk, carrying each incomplete tail into the next
// chunk, gives the bytes of converting the whole at once, wherever the
// chunks are cut.
std::string ConvertInChunks(const std::string& bytes, const std::vector<std::size_t>& cuts, bool reverse) {
  std::string out, pending;
  std::size_t start = 0;
  for (std::size_t k = 0; k <= cuts.size(); ++k) {
    const std::size_t end = k < cuts.size() ? cuts[k] : bytes.size();
    pending += bytes.substr(start, end - start);
    start = end;
    const bool last = k == cuts.size();
    const std::size_t keep = last ? 0 : IncompleteUtf8Tail(std::span<const char>(pending.data(), pending.size()));
    std::string ready = pending.substr(0, pending.size() - keep);
    pending.erase(0, ready.size());
    out += Convert(ready, reverse);
  }
  return out;
}

TEST_P(Utf8Kernel, ChunkedConversionEqualsWholeConversion) {
  std::mt19937 rng(936);
  const std::string small = "的\xE7的\xF0\x9F\x98\x80国\xE7\x9A" "a哋";
  for (std::size_t cut = 0; cut <= small.size(); ++cut) {
    for (bool reverse : {false, true})
      EXPECT_EQ(ConvertInChunks(small, {cut}, reverse), Convert(small, reverse)) << "cut at " << cut;
  }
  for (int round = 0; round < 200; ++round) {
    const std::string bytes = RandomBytes(rng, 500, round % 2 == 1);
    std::vector<std::size_t> cuts;
    std::uniform_int_distribution<std::size_t> step(1, 7);
    for (std::size_t at = step(rng); at < bytes.size(); at += step(rng)) cuts.push_back(at);
    for (bool reverse : {false, true})
      ASSERT_EQ(ConvertInChunks(bytes, cuts, reverse), Convert(bytes, reverse)) << "round " << round;
  }
}

}  // namespace
}  // namespace glimvane
