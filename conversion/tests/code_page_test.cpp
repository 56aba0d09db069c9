// Checks the code-page facts of the table with an encoder that nobody here
// wrote: glibc's iconv. Every character must be a two-byte character of code
// page 936, every source a level-1 GB 2312 character, and exactly 130
// distinct targets must lie in GB 2312.

#include <gtest/gtest.h>
#include <iconv.h>

#include <optional>
#include <set>
#include <string>

#include "glimvane/substitution_table.h"
#include "utf.h"

namespace glimvane {
namespace {

using testing::Hex;

// Encodes one UTF-16 unit into `charset`; nullopt when it has no encoding.
class Encoder {
 public:
  explicit Encoder(const char* charset) : cd_(iconv_open(charset, "UTF-16LE")) {}
  ~Encoder() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  std::optional<std::string> Encode(char16_t unit) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char in[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    char out[8];
    char* in_ptr = in;
    char* out_ptr = out;
    std::size_t in_left = sizeof in, out_left = sizeof out;
    if (iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1) || in_left != 0)
      return std::nullopt;
    return std::string(out, out_ptr);
  }

 private:
  iconv_t cd_;
};

TEST(CodePage936, EveryCharacterIsATwoByteCharacter) {
  Encoder cp936("CP936");
  ASSERT_TRUE(cp936.ok());
  for (std::size_t i = 0; i < kSubstitutionRowCount; ++i) {
    for (char16_t unit : {kSubstitutionTable[i].source, kSubstitutionTable[i].target}) {
      const auto bytes = cp936.Encode(unit);
      ASSERT_TRUE(bytes.has_value()) << Hex(unit) << " of row " << i + 1 << " is not in code page 936";
      EXPECT_EQ(bytes->size(), 2u) << Hex(unit) << " of row " << i + 1;
    }
  }
}

TEST(CodePage936, EverySourceIsALevelOneGb2312Character) {
  Encoder gb2312("GB2312");
  ASSERT_TRUE(gb2312.ok());
  for (std::size_t i = 0; i < kSubstitutionRowCount; ++i) {
    const auto bytes = gb2312.Encode(kSubstitutionTable[i].source);
    ASSERT_TRUE(bytes.has_value()) << "source of row " << i + 1 << " is not in GB 2312";
    ASSERT_EQ(bytes->size(), 2u);
    const auto lead = static_cast<unsigned char>((*bytes)[0]);
    EXPECT_TRUE(lead >= 0xB0 && lead <= 0xD7) << "source of row " << i + 1 << " has lead byte " << int{lead};
  }
}

TEST(CodePage936, Exactly130DistinctTargetsAreInGb2312) {
  Encoder gb2312("GB2312");
  ASSERT_TRUE(gb2312.ok());
  std::set<char16_t> targets, in_gb2312;
  for (const SubstitutionPair& row : kSubstitutionTable) {
    targets.insert(row.target);
    if (gb2312.Encode(row.target)) in_gb2312.insert(row.target);
  }
  EXPECT_EQ(targets.size(), 684u);
  EXPECT_EQ(in_gb2312.size(), 130u);
}

}  // namespace
}  // namespace glimvane
