// SPDX-License-Identifier: MIT
#include "backends/linux/xdg/desktop_entry.h"
#include "backends/linux/xdg/desktop_environment.h"
#include "backends/linux/xdg/desktop_workspace.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "support/fake_platform.h"
#include "support/golden_cases.h"

namespace tavrine::xdg {
namespace {

namespace fs = std::filesystem;

// A user's and a system's applications folders (fixtures/applications), the user's first.
class DesktopEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(TAVRINE_ATSPI_FIXTURES "/applications", root_, fs::copy_options::recursive);
    write("user/applications/junk.desktop", std::string("\0\xff[[=\n=\n[", 9));
    fs::create_directories(root_ / "user/applications/odd.desktop");
    folders_ = {root_ / "user/applications", root_ / "system/applications"};
  }
  void TearDown() override { fs::remove_all(root_); }

  void write(const fs::path& file, const std::string& text) {
    fs::create_directories((root_ / file).parent_path());
    std::ofstream(root_ / file, std::ios::binary) << text;
  }

  fs::path root_ = fs::temp_directory_path() / ("tavrine-desktop-" + std::to_string(getpid()));
  std::vector<fs::path> folders_;
};

TEST_F(DesktopEntryTest, TheEntryThatStartsTheProgramElseTheNamedOneGivesTheIcon) {
  const std::vector<DesktopEntry> entries = readApplications(folders_);
  const auto cases = doubles::caseRows(TAVRINE_ATSPI_FIXTURES "/desktop_lookups.tsv");
  ASSERT_EQ(cases.size(), 12u);
  for (const auto& c : cases) {
    ASSERT_EQ(c.size(), 3u);
    const DesktopEntry* entry = findApplication(entries, c[0], c[1]);
    EXPECT_EQ(entry != nullptr ? entry->icon : "", c[2]) << c[0] << " " << c[1];
  }
}

// The folders are read once, in the background, and again when an entry changes; looking up an
// application reads nothing.
TEST_F(DesktopEntryTest, IconsComeFromTheProcessThroughAnIndexKeptCurrent) {
  using namespace std::chrono_literals;
  write("proc/7/cmdline", std::string("/usr/bin/mousepad\0--new\0", 24));
  auto index = std::make_shared<DesktopEntryIndex>(folders_);
  ASSERT_TRUE(index->waitForReadingAfter(0, 10s));
  DesktopIcons icons(index, root_ / "proc");
  EXPECT_EQ(icons.iconOf(7, "Text Editor"), "org.xfce.mousepad");  // argv[0] without exe
  // The localised name and the gettext domain come with it.
  const auto entry = icons.entryOf(7, "Text Editor");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->name, "Mousepad");
  EXPECT_EQ(entry->nameZH, "Mousepad 编辑器");
  EXPECT_EQ(entry->gettextDomain, "mousepad-x");
  EXPECT_EQ(icons.entryOf(8, "fooapp").value().nameZH, "")
      << "an untranslated Name= is no Chinese one";
  EXPECT_FALSE(icons.entryOf(8, "nothing"));
  EXPECT_EQ(icons.iconOf(8, "mousepad"), "mousepad");  // no such process
  // An interpreter is known by the script it runs; without one, by itself.
  write("proc/11/cmdline", std::string("/usr/bin/python3.11\0-E\0/usr/bin/idle-python3.11\0", 48));
  EXPECT_EQ(icons.iconOf(11, "Idle"), "idle");
  write("proc/12/cmdline", std::string("python3\0-i\0", 11));
  EXPECT_EQ(processExecutable(12, root_ / "proc"), "python3");
  EXPECT_EQ(icons.iconOf(8, "/etc/passwd"), "") << "a path another process names is no icon";

  write("system/applications/org.xfce.mousepad.desktop",
        "[Desktop Entry]\nExec=mousepad %U\nIcon=mousepad-new\n");
  ASSERT_TRUE(index->waitForReadingAfter(1, 10s)) << "an edited entry is read again by itself";
  EXPECT_EQ(icons.iconOf(7, "Text Editor"), "mousepad-new");
  const std::uint64_t before = index->readings();
  fs::remove_all(root_ / "system");
  EXPECT_EQ(icons.iconOf(9, "kde-kate"), "kate") << "answered from memory, not from the folders";
  ASSERT_TRUE(index->waitForReadingAfter(before, 10s));
  EXPECT_EQ(icons.iconOf(7, "Text Editor"), "Text Editor");
  EXPECT_EQ(processExecutable(getpid()), "tavrine_linux_tests");
}

// The workspace names the application by its entry, in Chinese too; until the entries are read
// (the same folder thousands of times) it answers at once with the window's own name.
TEST_F(DesktopEntryTest, TheWorkspaceNamesTheApplicationByItsEntryWithoutWaiting) {
  doubles::FakeWorkspace window;
  window.frontmost = RunningApplication{7, "Text Editor", nullptr, {}, {}, {}, {}};
  write("proc/7/cmdline", "/usr/bin/mousepad");
  const DesktopWorkspace workspace(
      window, std::make_shared<const DesktopEntryIndex>(std::vector(2000, folders_[1])), {},
      root_ / "proc");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(workspace.frontmostApplication()->localizedName, "Text Editor");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
  EXPECT_FALSE(workspace.awaitEntries({}));
  ASSERT_TRUE(workspace.awaitEntries(std::chrono::seconds(60)));
  const auto after = workspace.frontmostApplication();
  EXPECT_TRUE(after->localizedName == "Mousepad" && after->localizedNameZH == "Mousepad 编辑器");
}

TEST(DesktopEntryFoldersTest, DataHomeFirstThenEachDataDirOnceForTheDesktopNamedFirst) {
  using Folders = std::vector<fs::path>;
  EXPECT_EQ(applicationFolders(nullptr, "", "/home/u"),
            (Folders{"/home/u/.local/share/applications", "/usr/local/share/applications",
                     "/usr/share/applications"}));
  EXPECT_EQ(applicationFolders("/d", "rel:/usr/share:/usr/share/:", nullptr),
            (Folders{"/d/applications", "/usr/share/applications"}));
  // The session's folders are read once for every holder: one thread, one copy of the entries.
  const auto entries = sessionDesktopEntries();
  EXPECT_EQ(sessionDesktopEntries(), entries);

  // The desktop: the first name in XDG_CURRENT_DESKTOP's list known here.
  const auto cases = doubles::caseRows(TAVRINE_ATSPI_FIXTURES "/current_desktops.tsv");
  ASSERT_EQ(cases.size(), 10u);
  for (const auto& c : cases) {
    ASSERT_EQ(c.size(), 2u);
    const Desktop expected = c[1] == "gnome"  ? Desktop::gnome
                             : c[1] == "kde"  ? Desktop::kde
                             : c[1] == "xfce" ? Desktop::xfce
                                              : Desktop::otherLinux;
    EXPECT_EQ(desktopFromCurrentDesktop(c[0]), expected) << c[0];
  }
}

}  // namespace
}  // namespace tavrine::xdg
