// Checks the compiled substitution table: row by row against the published
// listing, and every property the conversions rely on, derived from the data
// itself. A mistyped, swapped or dropped row fails here.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "glimvane/substitution_table.h"
#include "published_table.h"  // kPublishedTable, generated from data/substitution_table.txt
#include "table_cases.h"
#include "utf.h"

namespace glimvane {
namespace {

using namespace glimvane::testing;

// Parses the listing: "1–10: 的哋 一① ..." per line, '#' lines are comments.
std::vector<SubstitutionPair> ParseListing(std::string_view listing) {
  std::vector<SubstitutionPair> rows;
  std::size_t line_start = 0;
  while (line_start < listing.size()) {
    std::size_t line_end = listing.find('\n', line_start);
    if (line_end == std::string_view::npos) line_end = listing.size();
    const std::string_view line = listing.substr(line_start, line_end - line_start);
    line_start = line_end + 1;
    if (line.empty() || line.front() == '#') continue;
    const std::size_t colon = line.find(": ");
    if (colon == std::string_view::npos) {
      ADD_FAILURE() << "listing line without a colon: " << line;
      continue;
    }
    const std::size_t first = std::stoul(std::string(line.substr(0, colon)));
    EXPECT_EQ(first, rows.size() + 1) << "listing lines out of order at: " << line;
    const std::u16string tokens = testing::Utf8ToUtf16(line.substr(colon + 2));
    for (std::size_t i = 0; i < tokens.size(); i += 3) {
      if (i + 1 >= tokens.size() || (i + 2 < tokens.size() && tokens[i + 2] != u' ')) {
        ADD_FAILURE() << "malformed token in: " << line;
        break;
      }
      rows.push_back({tokens[i], tokens[i + 1]});
    }
  }
  return rows;
}

TEST(SubstitutionTable, MatchesThePublishedListingRowByRow) {
  const std::vector<SubstitutionPair> published = ParseListing(kPublishedTable);
  ASSERT_EQ(published.size(), kSubstitutionRowCount);
  for (std::size_t i = 0; i < kSubstitutionRowCount; ++i) {
    EXPECT_EQ(Hex(kSubstitutionTable[i].source), Hex(published[i].source)) << "source of row " << i + 1;
    EXPECT_EQ(Hex(kSubstitutionTable[i].target), Hex(published[i].target)) << "target of row " << i + 1;
  }
}

TEST(SubstitutionTable, EverySourceStandsInExactlyOneRow) {
  std::map<char16_t, int> seen;
  for (std::size_t i = 0; i < kSubstitutionRowCount; ++i) {
    auto [it, fresh] = seen.emplace(kSubstitutionTable[i].source, static_cast<int>(i + 1));
    EXPECT_TRUE(fresh) << Hex(kSubstitutionTable[i].source) << " is the source of rows " << it->second
                       << " and " << i + 1;
  }
  EXPECT_EQ(seen.size(), 714u);
}

TEST(SubstitutionTable, NoRowMapsACharacterToItself) {
  for (std::size_t i = 0; i < kSubstitutionRowCount; ++i)
    EXPECT_NE(kSubstitutionTable[i].source, kSubstitutionTable[i].target) << "row " << i + 1;
}

TEST(SubstitutionTable, SourcesAndTargetsAreDisjoint) {
  std::set<char16_t> sources;
  for (const SubstitutionPair& row : kSubstitutionTable) sources.insert(row.source);
  for (std::size_t i = 0; i < kSubstitutionRowCount; ++i)
    EXPECT_FALSE(sources.contains(kSubstitutionTable[i].target))
        << "the target " << Hex(kSubstitutionTable[i].target) << " of row " << i + 1 << " is also a source";
}

// Groups the rows by target, in row order.
std::map<char16_t, std::vector<int>> RowsByTarget() {
  std::map<char16_t, std::vector<int>> rows;
  for (std::size_t i = 0; i < kSubstitutionRowCount; ++i)
    rows[kSubstitutionTable[i].target].push_back(static_cast<int>(i + 1));
  return rows;
}

TEST(SubstitutionTable, Has684TargetsOfWhich27AreShared) {
  const auto rows = RowsByTarget();
  EXPECT_EQ(rows.size(), 684u);
  std::map<std::size_t, int> groups_of_size;
  for (const auto& [target, group] : rows) ++groups_of_size[group.size()];
  EXPECT_EQ(groups_of_size, (std::map<std::size_t, int>{{1, 657}, {2, 24}, {3, 3}}));
}

TEST(SubstitutionTable, SharedTargetsAreExactlyTheKnownGroups) {
  std::map<char16_t, std::vector<int>> shared;
  for (const auto& [target, group] : RowsByTarget())
    if (group.size() > 1) shared.emplace(target, group);
  std::map<char16_t, std::vector<int>> expected;
  for (const SharedTarget& group : kSharedTargets) expected.emplace(group.target, group.rows);
  ASSERT_EQ(expected.size(), 27u);
  EXPECT_EQ(shared, expected);
}

TEST(SubstitutionTable, EveryCharacterIsOneBmpUnitInRange) {
  for (std::size_t i = 0; i < kSubstitutionRowCount; ++i) {
    for (char16_t unit : {kSubstitutionTable[i].source, kSubstitutionTable[i].target}) {
      EXPECT_GE(unit, 0x2460) << "row " << i + 1;
      EXPECT_LE(unit, 0x9F99) << "row " << i + 1;
      EXPECT_FALSE(unit >= 0xD800 && unit <= 0xDFFF) << "row " << i + 1;
    }
    const char16_t source = kSubstitutionTable[i].source;
    EXPECT_TRUE(source >= 0x4E00 && source <= 0x9FFF) << "source of row " << i + 1 << " is not a CJK ideograph";
  }
}

TEST(SubstitutionTable, ExactlyTheEightSymbolRowsHaveNonIdeographTargets) {
  std::map<int, SubstitutionPair> expected;
  for (const RowCase& row : kSymbolRows) expected.emplace(row.row, SubstitutionPair{row.source, row.target});
  ASSERT_EQ(expected.size(), 8u);
  for (std::size_t i = 0; i < kSubstitutionRowCount; ++i) {
    const SubstitutionPair& pair = kSubstitutionTable[i];
    const bool ideograph = pair.target >= 0x4E00 && pair.target <= 0x9FFF;
    const auto it = expected.find(static_cast<int>(i + 1));
    if (it == expected.end()) {
      EXPECT_TRUE(ideograph) << "row " << i + 1 << " has the non-ideograph target " << Hex(pair.target);
    } else {
      EXPECT_FALSE(ideograph) << "row " << i + 1;
      EXPECT_EQ(Hex(pair.source), Hex(it->second.source)) << "row " << i + 1;
      EXPECT_EQ(Hex(pair.target), Hex(it->second.target)) << "row " << i + 1;
    }
  }
}

// The rows where source and target are different code points for nearly the
// same glyph: easy to get wrong by typing the source twice.
TEST(SubstitutionTable, LookAlikeRowsHoldTheirExactCodePoints) {
  for (const RowCase& row : kLookAlikeRows) {
    const SubstitutionPair& pair = kSubstitutionTable[row.row - 1];
    EXPECT_EQ(Hex(pair.source), Hex(row.source)) << "row " << row.row;
    EXPECT_EQ(Hex(pair.target), Hex(row.target)) << "row " << row.row;
  }
}

}  // namespace
}  // namespace glimvane
