// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "sources/accel_map/accel_map.h"
#include "support.h"
#include "support/golden_cases.h"

namespace tavrine::sources::accel_map {
namespace {

TEST(AccelMap, ReadsDefaultsAndTheUsersChangesAndSkipsTheRest) {
  // Thunar's map, as the user changed it: New Tab moved, Close Tab's keys taken away (on a line
  // ending in CR LF, and one indented), then entries that are no map's.
  const auto entries =
      parseAccelMap(testing::readFile(TAVRINE_FIXTURES "/home/config/thunar/accels.scm"));
  const std::vector<AccelEntry> expected{
      {"<Actions>/ThunarWindow/open-location", "<Primary>l", false},
      {"<Actions>/ThunarWindow/new-tab", "<Primary><Shift>t", true},
      {"<Actions>/ThunarWindow/close-tab", "", true},
      {"<Actions>/Odd/quo\"te", "<Alt>\\", true},
  };
  EXPECT_EQ(entries, expected);
  EXPECT_EQ(actionName("<Actions>/ThunarWindow/new-tab"), "new-tab");
  EXPECT_TRUE(parseAccelMap(std::string(kMaxMapBytes + 1, ' ')).empty());
}

TEST(AccelMap, FindsTheMapWhereGtk2And3ApplicationsKeepIt) {
  const auto cases = doubles::caseRows(TAVRINE_FIXTURES "/accel_map_candidates.tsv");
  ASSERT_EQ(cases.size(), 6u);
  const auto set = [](const std::string& v) { return v == "-" ? nullptr : v.c_str(); };
  for (const auto& c : cases) {
    ASSERT_EQ(c.size(), 4u);
    std::string tried;
    for (const auto& file : mapCandidates(c[0], set(c[1]), set(c[2])))
      tried += (tried.empty() ? "" : " ") + file.string();
    EXPECT_EQ(tried, c[3]) << c[0];
  }
}

}  // namespace
}  // namespace tavrine::sources::accel_map
