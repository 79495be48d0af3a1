// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <tuple>

#include "sources/accel_map/accel_map.h"
#include "support.h"

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
  // The files tried, in order.
  const std::tuple<const char*, const char*, const char*, std::string> cases[] = {
      {"thunar", "/cfg", "/home/u",
       "/cfg/Thunar/accels.scm /cfg/thunar/accels.scm /cfg/Thunar/accels /cfg/thunar/accels "
       "/home/u/.gnome2/accels/thunar"},
      {"Thunar", nullptr, "/home/u",
       "/home/u/.config/Thunar/accels.scm /home/u/.config/Thunar/accels "
       "/home/u/.gnome2/accels/Thunar"},
      {"pluma", "/cfg", nullptr,
       "/cfg/Pluma/accels.scm /cfg/pluma/accels.scm /cfg/Pluma/accels /cfg/pluma/accels"},
      {"gedit", "rel", "rel", ""},
      {"../x", "/cfg", "/home/u", ""},
      {"", "/cfg", "/home/u", ""}};
  for (const auto& [program, configHome, home, expected] : cases) {
    std::string tried;
    for (const auto& file : mapCandidates(program, configHome, home))
      tried += (tried.empty() ? "" : " ") + file.string();
    EXPECT_EQ(tried, expected) << program;
  }
}

}  // namespace
}  // namespace tavrine::sources::accel_map
