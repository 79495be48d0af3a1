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
#include <iterator>

#include "sources/gtk_shortcuts/elf_sections.h"
#include "sources/gtk_shortcuts/gtk_shortcuts_source.h"
#include "sources/gtk_shortcuts/mo_catalog.h"
#include "sources/gtk_shortcuts/resource_bundle.h"
#include "sources/gtk_shortcuts/shortcuts_ui.h"
#include "sources/gtk_shortcuts/shortcuts_windows.h"
#include "within_bounds.h"

namespace tavrine::sources::gtk {
namespace {

using Bytes = std::vector<std::byte>;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Bytes bytesOf(std::string_view s) {
  const auto b = std::as_bytes(std::span(s.data(), s.size()));
  return {b.begin(), b.end()};
}

struct Section {
  std::string name;
  Bytes data;
  std::uint32_t type = SHT_PROGBITS;
};

// A 64-bit ELF file in this machine's byte order, laid out as a linker does: the header, each
// section's bytes, then the section table (a null section, `sections`, the name table). `edit`
// may change the header and the table before they are written.
Bytes elf64(std::vector<Section> sections,
            const std::function<void(Elf64_Ehdr&, std::vector<Elf64_Shdr>&)>& edit = {}) {
  sections.push_back({".shstrtab", {}, SHT_STRTAB});
  std::vector<Elf64_Shdr> table(sections.size() + 1);
  std::string names(1, '\0');
  Bytes out(sizeof(Elf64_Ehdr));
  for (std::size_t i = 0; i < sections.size(); ++i) {
    table[i + 1].sh_name = names.size();
    names += sections[i].name + '\0';
    if (i + 1 == sections.size()) sections[i].data = bytesOf(names);
    table[i + 1].sh_type = sections[i].type;
    table[i + 1].sh_offset = out.size();
    table[i + 1].sh_size = sections[i].data.size();
    out.insert(out.end(), sections[i].data.begin(), sections[i].data.end());
  }
  Elf64_Ehdr header{};
  std::memcpy(header.e_ident, ELFMAG, SELFMAG);
  header.e_ident[EI_CLASS] = ELFCLASS64;
  header.e_ident[EI_DATA] = std::endian::native == std::endian::big ? ELFDATA2MSB : ELFDATA2LSB;
  header.e_shoff = out.size();
  header.e_shentsize = sizeof(Elf64_Shdr);
  header.e_shnum = table.size();
  header.e_shstrndx = table.size() - 1;
  if (edit) edit(header, table);
  std::memcpy(out.data(), &header, sizeof header);
  const auto entries = std::as_bytes(std::span(table));
  out.insert(out.end(), entries.begin(), entries.end());
  return out;
}

TEST(ElfSections, FindsTheBundlesInBothClassesAndByteOrders) {
  for (const char* target : {"elf64-little", "elf64-big", "elf32-little", "elf32-big"}) {
    const std::string file = readFile(std::string(TAVRINE_BUILT "/") + target + ".so");
    const auto found = gresourceSections(bytesOf(file));
    ASSERT_EQ(found.size(), 2u) << target;
    EXPECT_EQ(found[0].name, ".gresource.app");
    EXPECT_EQ(file.substr(found[0].offset, found[0].size), readFile(TAVRINE_FIXTURES "/window.ui"));
    EXPECT_EQ(found[1].name, ".gresource.more");
  }
}

TEST(ElfSections, RefusesWhatLiesOutsideTheFile) {
  const std::vector<Section> app = {{".gresource.app", bytesOf("bundle")}};
  const Bytes good = elf64(app);
  ASSERT_EQ(gresourceSections(good).size(), 1u);
  const std::vector<std::pair<std::string, Bytes>> refused = {
      {"bytes past the end", elf64(app, [](auto&, auto& table) { table[1].sh_size = 1u << 20; })},
      {"no bytes (NOBITS)", elf64({{".gresource.app", bytesOf("x"), SHT_NOBITS}})},
      {"a cut-off section table", Bytes(good.begin(), good.end() - 10)},
      {"a name table past the table", elf64(app, [](auto& h, auto&) { h.e_shstrndx = 9; })},
      {"no ELF at all", bytesOf(std::string(100, 'x'))}};
  for (const auto& [what, file] : refused)
    EXPECT_TRUE(gresourceSections(file).empty()) << what;
}

TEST(ShortcutsUi, RefusesMalformedAndDeepXml) {
  EXPECT_FALSE(parseShortcutsUi("<interface><object class=\"GtkShortcutsGroup\">"));
  EXPECT_FALSE(parseShortcutsUi("<interface></object>"));
  std::string deep;
  for (int i = 0; i < 1000; ++i)
    deep += "<a>";
  EXPECT_FALSE(parseShortcutsUi(deep));
}

TEST(MoCatalog, TranslatesWithAndWithoutContextInEitherByteOrder) {
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
}

TEST(MoCatalog, LooksInTheSystemAndTheProgramsPrefixAndRefusesPathsAsDomains) {
  const auto found = catalogCandidates("/proc/7/root", "gedit", "zh_CN", "/opt/ged/bin/gedit");
  const std::vector<std::filesystem::path> expected{
      "/proc/7/root/usr/share/locale/zh_CN/LC_MESSAGES/gedit.mo",
      "/proc/7/root/usr/share/locale/zh/LC_MESSAGES/gedit.mo",
      "/proc/7/root/opt/ged/share/locale/zh_CN/LC_MESSAGES/gedit.mo",
      "/proc/7/root/opt/ged/share/locale/zh/LC_MESSAGES/gedit.mo"};
  EXPECT_EQ(found, expected);
  EXPECT_TRUE(catalogCandidates("/", "../../etc/x", "zh_CN", "/usr/bin/x").empty());
  EXPECT_TRUE(catalogCandidates("/", "a/b", "zh_CN", "/usr/bin/x").empty());
}

TEST(BundleCandidates, TakesTheExecutableThenLibrariesAndBundlesOnce) {
  const std::string maps =
      "55d0-55d1 r--p 00000000 08:01 100 /usr/bin/gedit\n"
      "7f00-7f01 r-xp 00000000 08:01 200 /usr/lib/gedit/libgedit-44.so\n"
      "7f01-7f02 r--p 00001000 08:01 200 /usr/lib/gedit/libgedit-44.so\n"
      "7f02-7f03 r--s 00000000 08:01 300 /usr/share/app/My App.gresource\n"
      "7f03-7f04 r--p 00000000 08:01 400 /usr/share/fonts/dejavu.ttf\n"
      "7f04-7f05 r--p 00000000 08:01 500 /usr/lib/libold.so.1 (deleted)\n"
      "7f05-7f06 rw-p 00000000 00:00 0 [heap]\n";
  const std::vector<std::filesystem::path> expected{
      "/usr/bin/gedit", "/usr/lib/gedit/libgedit-44.so", "/usr/share/app/My App.gresource"};
  EXPECT_EQ(bundleCandidates(maps, "/usr/bin/gedit"), expected);
}

TEST(ShortcutsWindows, KnowsAProcessByItsStartTimeWhateverItsName) {
  std::string stat = "42 (we) ird) name) S";
  for (int field = 4; field <= 21; ++field)
    stat += " " + std::to_string(field);
  EXPECT_EQ(startTime(stat + " 98765 23 24"), 98765u);
  EXPECT_EQ(startTime(stat), 0u);
  EXPECT_EQ(startTime("42 no parenthesis"), 0u);
}

TEST(ShortcutsWindows, ReadsThisProcessAndLaterWhatADeadlineCutShort) {
  ShortcutsWindows windows;
  const auto later = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  const auto english = windows.read(::getpid(), "", "en", later);
  const std::vector<WindowShortcut> expectedEnglish{
      {"Documents", "New document", {"<control>n"}, "", ""},
      {"Documents", "Zoom In", {"<ctrl>plus", "<ctrl>equal"}, "", ""},
      {"Editing", "Undo", {"<Primary>z"}, "", ""},
  };
  EXPECT_EQ(english, expectedEnglish);
  // Past its deadline a first read finds nothing, and what it missed is read at the next call.
  ShortcutsWindows late;
  const auto past = std::chrono::steady_clock::now() - std::chrono::seconds(1);
  EXPECT_TRUE(late.read(::getpid(), "", "en", past).empty());
  EXPECT_EQ(late.read(::getpid(), "", "en", later), expectedEnglish);
}

TEST(GtkShortcutsSource, GivesAChordPerAcceleratorWithTheApplicationsChinese) {
  std::vector<std::int32_t> asked;
  const GtkShortcutsSource source([&](const FrontApplication& app) {
    asked.push_back(app.pid);
    return std::string("unused-domain");
  });
  FrontApplication app;
  app.pid = ::getpid();
  app.isZH = true;
  const auto rows = source.shortcuts(app);
  // The builder file's own domain, found under the program's prefix; the context picks the
  // right translation. The second file names no domain, and this executable has no catalogue.
  std::vector<std::string> shown;
  for (const auto& row : rows)
    shown.push_back(row.heading + "/" + row.title + " " + row.headingZH + "/" + row.titleZH + " " +
                    shortcutText(row.chord) + " " + row.source);
  const std::string gtk(GtkShortcutsSource::kName);
  const std::vector<std::string> expected{
      // Zoom In has two accelerators
      "Documents/New document 文档/新建文档 ⌘N " + gtk, "Documents/Zoom In 文档/放大 ⌘+ " + gtk,
      "Documents/Zoom In 文档/放大 ⌘= " + gtk, "Editing/Undo / ⌘Z " + gtk};
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(asked, std::vector<std::int32_t>{::getpid()});
}

// Hostile files, each made here: they must cost bounded time and memory and crash nothing.

std::size_t shortcutCount(const std::vector<UiShortcuts>& windows) {
  std::size_t n = 0;
  for (const auto& w : windows)
    n += w.shortcuts.size();
  return n;
}

// An ELF file whose `count` ".gresource.x" sections all lie over one region of `size` bytes that
// starts with `bundle`; written sparse to a temporary file.
std::filesystem::path overlappingSections(const std::string& bundle, std::size_t count,
                                          std::uint64_t size) {
  const Bytes file = elf64({{".gresource.x", bytesOf(bundle)}}, [&](Elf64_Ehdr& h, auto& table) {
    table[1].sh_size = size;
    const auto region = table[1];
    table.insert(table.begin() + 2, count - 1, region);
    h.e_shnum = table.size();
    h.e_shstrndx = table.size() - 1;
  });
  const auto path =
      std::filesystem::temp_directory_path() /
      ("tavrine-sections-" + std::to_string(::getpid()) + "-" + std::to_string(count) + ".so");
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  const std::uint64_t end = sizeof(Elf64_Ehdr) + size;  // the bundle lies right after the header
  if (end > file.size()) std::filesystem::resize_file(path, end);
  return path;
}

TEST(HostileFiles, AHugeGroupTitleIsCutOnceNotCopiedIntoEveryShortcut) {
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

TEST(HostileFiles, OverlappingCatalogueEntriesAreRefusedNotCopied) {
  // 4,000 entries over suffixes of one 1 MiB string name 4 GB of text in a 1 MiB file.
  constexpr std::uint32_t n = 4000, kText = 1u << 20;
  std::vector<std::uint32_t> mo{0x950412de, 0, n, 28, 28 + 8 * n, 0, 0};
  for (std::uint32_t i = 0; i < 2 * n; ++i)  // originals: suffixes; translations: all of it
    mo.insert(mo.end(), {i < n ? kText - i : kText, 28 + 16 * n + (i < n ? i : 0)});
  std::string file(reinterpret_cast<const char*>(mo.data()), 4 * mo.size());
  file.resize(file.size() + kText, 'm');
  testing::withinBounds([&] { EXPECT_FALSE(MoCatalog::parse(file)); }, 10, 256);
}

// Shortcuts windows are known by their content; what is left of a malformed bundle that crashes
// GLib's own reader is read.
TEST(HostileFiles, BundlesGiveTheirIntactShortcutsWindowsEvenWhereGLibWouldCrash) {
  const std::string editor = "/org/example/Fixture/ui/editor-keys.ui";
  const std::pair<std::string, std::vector<std::string>> bundles[] = {
      {TAVRINE_FIXTURE_BUNDLE, {"/org/example/Fixture/gtk/help-overlay.ui", editor}},
      {TAVRINE_FIXTURES "/malformed-table-1.gresource", {editor}},
      {TAVRINE_FIXTURES "/malformed-table-2.gresource", {editor}}};
  for (const auto& [file, expected] : bundles)
    testing::withinBounds(
        [&] {
          std::vector<std::string> paths;
          for (const auto& ui : shortcutsUiFiles(bytesOf(readFile(file))))
            paths.push_back(ui.path);
          EXPECT_EQ(paths, expected) << file;
        },
        10, 256);
}

TEST(HostileFiles, SectionsOverOneRegionAreReadAFewTimesAtMost) {
  const std::string bundle = readFile(TAVRINE_FIXTURE_BUNDLE);
  // 65,000 sections on one bundle of 3 shortcuts: 64 sections are looked at.
  const auto many = overlappingSections(bundle, 65'000, bundle.size());
  // Three sections of 40 MiB on one region: one file's bundles count to 64 MiB, so one is read.
  const auto large = overlappingSections(bundle, 3, 40u << 20);
  testing::withinBounds(
      [&] {
        EXPECT_EQ(shortcutCount(readBundleFile(many)), 64u * 3);
        EXPECT_EQ(shortcutCount(readBundleFile(large)), 3u);
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
        ShortcutsWindows windows(proc);
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
