// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <tuple>

#include "sources/accel_map/accel_map.h"

namespace tavrine::sources::accel_map {
namespace {

TEST(AccelMap, ReadsDefaultsAndTheUsersChangesAndSkipsTheRest) {
  const auto entries = parseAccelMap(
      "; thunar GtkAccelMap rc-file         -*- scheme -*-\n"
      "; this file is an automated accelerator map dump\n"
      ";\n"
      "; (gtk_accel_path \"<Actions>/ThunarWindow/new-tab\" \"<Primary>t\")\n"
      "(gtk_accel_path \"<Actions>/ThunarWindow/close-tab\" \"<Primary><Shift>w\")\r\n"
      "  (gtk_accel_path \"<Actions>/ThunarStandardView/rename\" \"\")\n"
      "(gtk_accel_path \"<Actions>/Odd/quo\\\"te\" \"<Alt>\\\\\")\n"
      "(gtk_accel_path \"<Actions>/Cut/off\" \"<Primary>x\"\n"
      "(gtk_accel_path \"<Actions>/Unclosed \"<Primary>x\")\n"
      ";;;;\n"
      "(gtk_accel_path \"\" \"<Primary>q\")");
  const std::vector<AccelEntry> expected{
      {"<Actions>/ThunarWindow/new-tab", "<Primary>t", false},
      {"<Actions>/ThunarWindow/close-tab", "<Primary><Shift>w", true},
      {"<Actions>/ThunarStandardView/rename", "", true},
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
