// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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
  using Paths = std::vector<std::filesystem::path>;
  const struct {
    const char* program;
    const char* configHome;
    const char* home;
    Paths expected;
  } cases[] = {
      {"thunar",
       "/cfg",
       "/home/u",
       {"/cfg/Thunar/accels.scm", "/cfg/thunar/accels.scm", "/cfg/Thunar/accels",
        "/cfg/thunar/accels", "/home/u/.gnome2/accels/thunar"}},
      {"Thunar",
       nullptr,
       "/home/u",
       {"/home/u/.config/Thunar/accels.scm", "/home/u/.config/Thunar/accels",
        "/home/u/.gnome2/accels/Thunar"}},
      {"pluma",
       "/cfg",
       nullptr,
       {"/cfg/Pluma/accels.scm", "/cfg/pluma/accels.scm", "/cfg/Pluma/accels",
        "/cfg/pluma/accels"}},
      {"gedit", "rel", "rel", {}},
      {"../x", "/cfg", "/home/u", {}},
      {"", "/cfg", "/home/u", {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(mapCandidates(c.program, c.configHome, c.home), c.expected) << c.program;

  const auto dir =
      std::filesystem::temp_directory_path() / ("tavrine-accels-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir / "thunar");
  std::ofstream(dir / "thunar/accels.scm")
      << "(gtk_accel_path \"<Actions>/W/new-tab\" \"<Primary>t\")\n";
  const auto map = readAccelMap(mapCandidates("thunar", dir.c_str(), nullptr));
  ASSERT_TRUE(map);
  EXPECT_EQ(map->size(), 1u);
  EXPECT_FALSE(readAccelMap(mapCandidates("mousepad", dir.c_str(), nullptr)));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tavrine::sources::accel_map
