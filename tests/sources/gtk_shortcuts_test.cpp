// SPDX-License-Identifier: MIT
// The GTK shortcuts-window reader: ELF section tables, GResource bundles, builder files and
// gettext catalogues, each on bytes the tests make, then the whole reader on this very process,
// which links a bundle in as an application does.
#include <elf.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <numeric>
#include <tuple>

#include "sources/gtk_shortcuts/elf_sections.h"
#include "sources/gtk_shortcuts/gtk_shortcuts_source.h"
#include "sources/gtk_shortcuts/mo_catalog.h"
#include "sources/gtk_shortcuts/resource_bundle.h"
#include "sources/gtk_shortcuts/shortcuts_ui.h"
#include "sources/gtk_shortcuts/shortcuts_windows.h"
#include "support.h"

namespace tavrine::sources::gtk {
namespace {

using Bytes = std::vector<std::byte>;

using testing::readFile;

Bytes bytesOf(std::string_view s) {
  const auto b = std::as_bytes(std::span(s.data(), s.size()));
  return {b.begin(), b.end()};
}

// This machine's ELF fixture (objcopy's, with the fixture bundle as .gresource.app), its header
// and section table changed by `edit`; the table is written anew at the end.
Bytes edited(const std::function<void(Elf64_Ehdr&, std::vector<Elf64_Shdr>&)>& edit) {
  const bool little = std::endian::native == std::endian::little;
  Bytes file =
      bytesOf(readFile(TAVRINE_BUILT "/elf64-" + std::string(little ? "little" : "big") + ".so"));
  Elf64_Ehdr header;
  std::memcpy(&header, file.data(), sizeof header);
  std::vector<Elf64_Shdr> table(header.e_shnum);
  std::memcpy(table.data(), file.data() + header.e_shoff, table.size() * sizeof table[0]);
  header.e_shoff = file.size();
  edit(header, table);
  std::memcpy(file.data(), &header, sizeof header);
  const auto entries = std::as_bytes(std::span(table));
  file.insert(file.end(), entries.begin(), entries.end());
  return file;
}

// Bundles in both classes and byte orders; nothing that lies outside the file.
TEST(ElfSections, FindsTheBundlesInEveryClassAndByteOrderAndRefusesWhatLiesOutside) {
  for (const char* target : {"elf64-little", "elf64-big", "elf32-little", "elf32-big"}) {
    const std::string file = readFile(std::string(TAVRINE_BUILT "/") + target + ".so");
    const auto found = gresourceSections(bytesOf(file));
    ASSERT_EQ(found.size(), 2u) << target;
    EXPECT_EQ(found[0].name, ".gresource.app");
    EXPECT_EQ(file.substr(found[0].offset, found[0].size), readFile(TAVRINE_FIXTURE_BUNDLE));
    EXPECT_EQ(found[1].name, ".gresource.more");
  }
  const Bytes good = edited([](auto&, auto&) {});
  const std::vector<std::tuple<std::string, Bytes, std::size_t>> cases = {
      {"rewritten", good, 2},
      {"bytes past the end", edited([](auto&, auto& table) { table[1].sh_size = 1u << 20; }), 1},
      {"no bytes (NOBITS)", edited([](auto&, auto& table) { table[1].sh_type = SHT_NOBITS; }), 1},
      {"a cut-off section table", Bytes(good.begin(), good.end() - 10), 0},
      {"a name table past the table", edited([](auto& h, auto&) { h.e_shstrndx = 99; }), 0},
      {"no ELF at all", bytesOf(std::string(100, 'x')), 0}};
  for (const auto& [what, file, left] : cases)
    EXPECT_EQ(gresourceSections(file).size(), left) << what;
}

// Overlapping entries: 4,000 over suffixes of one 1 MiB string name 4 GB of text in 1 MiB.
TEST(MoCatalog, TranslatesWithAndWithoutContextInEitherByteOrderAndRefusesOverlaps) {
  for (const char* file : {TAVRINE_CATALOG, TAVRINE_BUILT "/tavrine-fixture-big.mo"}) {
    const std::string bytes = readFile(file);
    const auto catalog = MoCatalog::parse(bytes);
    ASSERT_TRUE(catalog) << file;
    ASSERT_TRUE(catalog->translate("", "New document"));
    EXPECT_EQ(*catalog->translate("", "New document"), "不带上下文");
    EXPECT_EQ(*catalog->translate("shortcut window", "New document"), "新建文档");
    EXPECT_EQ(catalog->translate("other", "Zoom In"), nullptr);
    EXPECT_EQ(catalog->translate("", ""), nullptr);
    EXPECT_FALSE(MoCatalog::parse(bytes.substr(0, bytes.size() - 4)));
  }
  EXPECT_FALSE(MoCatalog::parse(std::string(40, '\0')));
  constexpr std::uint32_t n = 4000, kText = 1u << 20;
  std::vector<std::uint32_t> mo{0x950412de, 0, n, 28, 28 + 8 * n, 0, 0};
  for (std::uint32_t i = 0; i < 2 * n; ++i)  // originals: suffixes; translations: all of it
    mo.insert(mo.end(), {i < n ? kText - i : kText, 28 + 16 * n + (i < n ? i : 0)});
  std::string file(reinterpret_cast<const char*>(mo.data()), 4 * mo.size());
  file.resize(file.size() + kText, 'm');
  testing::withinBounds([&] { EXPECT_FALSE(MoCatalog::parse(file)); }, 10, 256);
}

// Catalogues in the system's and the program's prefix, never a path as a domain; the executable,
// then libraries and bundles once (gedit's maps: a library mapped twice, a bundle with a space in
// its name, a font, a deleted library and the heap); a process by its start time, whatever its
// name.
TEST(ShortcutsWindows, FindsAProcesssCataloguesAndBundlesAndKnowsItByItsStartTime) {
  EXPECT_EQ(catalogCandidates("/proc/7/root", "gedit", "zh_CN", "/opt/ged/bin/gedit"),
            (std::vector<std::filesystem::path>{
                "/proc/7/root/usr/share/locale/zh_CN/LC_MESSAGES/gedit.mo",
                "/proc/7/root/usr/share/locale/zh/LC_MESSAGES/gedit.mo",
                "/proc/7/root/opt/ged/share/locale/zh_CN/LC_MESSAGES/gedit.mo",
                "/proc/7/root/opt/ged/share/locale/zh/LC_MESSAGES/gedit.mo"}));
  EXPECT_TRUE(catalogCandidates("/", "../../etc/x", "zh_CN", "/usr/bin/x").empty());
  EXPECT_TRUE(catalogCandidates("/", "a/b", "zh_CN", "/usr/bin/x").empty());
  EXPECT_EQ(bundleCandidates(readFile(TAVRINE_FIXTURES "/gedit.maps"), "/usr/bin/gedit"),
            (std::vector<std::filesystem::path>{"/usr/bin/gedit", "/usr/lib/gedit/libgedit-44.so",
                                                "/usr/share/app/My App.gresource"}));
  std::string stat = "42 (we) ird) name) S";
  for (int field = 4; field <= 21; ++field)
    stat += " " + std::to_string(field);
  EXPECT_EQ(startTime(stat + " 98765 23 24"), 98765u);
  EXPECT_EQ(startTime(stat), 0u);
  EXPECT_EQ(startTime("42 no parenthesis"), 0u);
}

TEST(GtkShortcutsSource, GivesAChordPerAcceleratorWithTheApplicationsChinese) {
  std::vector<std::int32_t> asked;
  const GtkShortcutsSource source([&](const FrontApplication& app) {
    asked.push_back(app.pid);
    return std::string("unused-domain");
  });
  const auto shown = [&](bool isZH) {
    FrontApplication app;
    app.pid = ::getpid();
    app.isZH = isZH;
    return testing::shownRows(source, app);
  };
  const std::string gtk(GtkShortcutsSource::kName);
  const std::vector<std::string> english{
      // Zoom In has two accelerators
      "Documents/New document / ⌘N " + gtk, "Documents/Zoom In / ⌘+ " + gtk,
      "Documents/Zoom In / ⌘= " + gtk, "Editing/Undo / ⌘Z " + gtk};
  EXPECT_EQ(shown(false), english);
  // The builder file's own domain, found under the program's prefix; the context picks the
  // right translation. The second file names no domain, and this executable has no catalogue.
  const std::vector<std::string> chinese{
      "Documents/New document 文档/新建文档 ⌘N " + gtk, "Documents/Zoom In 文档/放大 ⌘+ " + gtk,
      "Documents/Zoom In 文档/放大 ⌘= " + gtk, "Editing/Undo / ⌘Z " + gtk};
  EXPECT_EQ(shown(true), chinese);
  EXPECT_EQ(asked, (std::vector<std::int32_t>{::getpid(), ::getpid()}));
}

// Hostile files, each made here: they must cost bounded time and memory and crash nothing.

// An ELF file whose `count` sections all lie over one region of `size` bytes that starts with
// the fixture bundle; written sparse to a temporary file.
std::filesystem::path overlappingSections(std::size_t count, std::uint64_t size) {
  std::uint64_t end = 0;
  const Bytes file = edited([&](Elf64_Ehdr& h, auto& table) {
    table[1].sh_size = size;
    end = table[1].sh_offset + size;
    const auto region = table[1];
    table.insert(table.begin() + 2, count - 1, region);
    h.e_shnum = table.size();
    h.e_shstrndx += count - 1;
  });
  const auto path =
      std::filesystem::temp_directory_path() /
      ("tavrine-sections-" + std::to_string(::getpid()) + "-" + std::to_string(count) + ".so");
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  if (end > file.size()) std::filesystem::resize_file(path, end);
  return path;
}

TEST(HostileFiles, MalformedOrDeepXmlIsRefusedAndAHugeGroupTitleIsCutOnce) {
  EXPECT_FALSE(parseShortcutsUi("<interface><object class=\"GtkShortcutsGroup\">"));
  EXPECT_FALSE(parseShortcutsUi("<interface></object>"));
  std::string deep;
  for (int i = 0; i < 1000; ++i)
    deep = "<a>" + deep + "</a>";
  EXPECT_FALSE(parseShortcutsUi(deep));
  // 1 MiB of well-formed XML: a 740 KB title over 2,000 shortcuts was 1.5 GB of headings.
  std::string ui = "<interface><object class=\"GtkShortcutsGroup\"><property name=\"title\">" +
                   std::string(740'000, 'h') + "</property>";
  for (std::size_t i = 0; i < kMaxUiShortcuts + 10; ++i)
    ui +=
        "<child><object class=\"GtkShortcutsShortcut\"><property name=\"title\">T</property>"
        "<property name=\"accelerator\">a</property></object></child>";
  ui += "</object></interface>";
  ASSERT_LE(ui.size(), kMaxUiBytes);
  testing::withinBounds(
      [&] {
        const auto parsed = parseShortcutsUi(ui);
        ASSERT_TRUE(parsed);
        ASSERT_EQ(parsed->shortcuts.size(), kMaxUiShortcuts);
        EXPECT_EQ(parsed->shortcuts.back().heading.text, std::string(512, 'h'));
      },
      10, 256);
}

// Shortcuts windows are known by their content; what is left of a malformed bundle that crashes
// GLib's own reader is read. 65,000 sections on one bundle of 3 shortcuts: 64 are looked at;
// three of 40 MiB on one region: one file's bundles count to 64 MiB, so one is read.
TEST(HostileFiles, BundlesGiveTheirIntactShortcutsWindowsAtBoundedCost) {
  const std::string editor = "/org/example/Fixture/ui/editor-keys.ui";
  const std::pair<std::string, std::vector<std::string>> bundles[] = {
      {TAVRINE_FIXTURE_BUNDLE, {"/org/example/Fixture/gtk/help-overlay.ui", editor}},
      {TAVRINE_FIXTURES "/malformed-table-1.gresource", {editor}},
      {TAVRINE_FIXTURES "/malformed-table-2.gresource", {editor}}};
  const auto many = overlappingSections(65'000, readFile(TAVRINE_FIXTURE_BUNDLE).size());
  const auto large = overlappingSections(3, 40u << 20);
  testing::withinBounds(
      [&] {
        for (const auto& [file, expected] : bundles) {
          std::vector<std::string> paths;
          for (const auto& ui : shortcutsUiFiles(bytesOf(readFile(file))))
            paths.push_back(ui.path);
          EXPECT_EQ(paths, expected) << file;
        }
        const auto count = [](const std::vector<UiShortcuts>& windows) {
          return std::accumulate(windows.begin(), windows.end(), std::size_t{0},
                                 [](auto n, const auto& w) { return n + w.shortcuts.size(); });
        };
        EXPECT_EQ(count(readBundleFile(many)), 64u * 3);
        EXPECT_EQ(count(readBundleFile(large)), 3u);
      },
      20, 512);
  std::filesystem::remove(many);
  std::filesystem::remove(large);
}

// A process as /proc shows it, in a folder of our own: its maps name the fixture bundle, and the
// catalogue its builder file asks for is a FIFO, which would block a reader that waits on it.
TEST(HostileFiles, AProcessOfAnotherUserIsNotReadAndAFifoCatalogueBlocksNothing) {
  const auto proc =
      std::filesystem::temp_directory_path() / ("tavrine-proc-" + std::to_string(::getpid()));
  const auto process = proc / "42";
  const auto messages = process / "root/usr/share/locale/zh_CN/LC_MESSAGES";
  std::filesystem::create_directories(messages);
  std::ofstream(process / "maps") << "7f00-7f01 r--p 00000000 08:01 300 " TAVRINE_FIXTURE_BUNDLE
                                     "\n";
  ASSERT_EQ(::mkfifo((messages / "tavrine-fixture.mo").c_str(), 0600), 0);
  const auto later = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  testing::withinBounds(
      [&] {
        // What a deadline cut short is read again later.
        ShortcutsWindows windows(proc);
        EXPECT_TRUE(windows.read(42, "", "zh_CN", later - std::chrono::seconds(11)).empty());
        const auto found = windows.read(42, "", "zh_CN", later);
        ASSERT_EQ(found.size(), 3u);
        EXPECT_EQ(found[0].title, "New document");
        EXPECT_EQ(found[0].translatedTitle, "");
      },
      10, 256);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(process.c_str(), 12345, 12345), 0);
    ShortcutsWindows windows(proc);
    EXPECT_TRUE(windows.read(42, "", "en", later).empty()) << "another user's process was read";
  }
  std::filesystem::remove_all(proc);
}

}  // namespace
}  // namespace tavrine::sources::gtk
