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

TEST(AccelMap, FindsTheMapInTheProgramsConfigFolder) {
  const std::vector<std::filesystem::path> thunar{"/cfg/Thunar/accels.scm",
                                                  "/cfg/thunar/accels.scm"};
  EXPECT_EQ(mapCandidates("thunar", "/cfg", "/home/u"), thunar);
  EXPECT_EQ(mapCandidates("Thunar", nullptr, "/home/u"),
            std::vector<std::filesystem::path>{"/home/u/.config/Thunar/accels.scm"});
  EXPECT_TRUE(mapCandidates("../x", "/cfg", "/home/u").empty());
  EXPECT_TRUE(mapCandidates("", "/cfg", "/home/u").empty());

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
