// SPDX-License-Identifier: MIT
// The GTK shortcuts-window reader: ELF section tables, GResource bundles, builder files and
// gettext catalogues, each on bytes the tests make, then the whole reader on this very process,
// which links a bundle in as an application does.
#include <elf.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <tuple>

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

void put(Bytes& out, std::size_t at, std::uint64_t value, int width, bool bigEndian) {
  for (int i = 0; i < width; ++i) {
    const int shift = 8 * (bigEndian ? width - 1 - i : i);
    out[at + static_cast<std::size_t>(i)] = static_cast<std::byte>((value >> shift) & 0xff);
  }
}

// A field as a file of the given byte order holds it.
template <typename T>
T ordered(T value, bool bigEndian) {
  if (bigEndian == (std::endian::native == std::endian::big)) return value;
  auto bytes = std::bit_cast<std::array<std::byte, sizeof(T)>>(value);
  std::reverse(bytes.begin(), bytes.end());
  return std::bit_cast<T>(bytes);
}

struct Section {
  std::string name;
  Bytes data;
  std::uint32_t type = SHT_PROGBITS;
};

// An ELF file as a linker lays one out: the header, each section's bytes, then the section table
// (a null section, `sections`, the name table). `edit` may change the header and the table, in
// the host's byte order, before they are written.
template <typename Ehdr, typename Shdr>
Bytes elf(bool bigEndian, std::vector<Section> sections,
          const std::function<void(Ehdr&, std::vector<Shdr>&)>& edit = {}) {
  sections.push_back({".shstrtab", {}, SHT_STRTAB});
  std::vector<Shdr> table(sections.size() + 1);  // the null section first
  Ehdr header{};
  std::string names(1, '\0');
  Bytes out(sizeof header);
  for (std::size_t i = 0; i < sections.size(); ++i) {
    table[i + 1].sh_name = names.size();
    names += sections[i].name + '\0';
    if (i + 1 == sections.size()) sections[i].data = bytesOf(names);
    table[i + 1].sh_type = sections[i].type;
    table[i + 1].sh_offset = out.size();
    table[i + 1].sh_size = sections[i].data.size();
    out.insert(out.end(), sections[i].data.begin(), sections[i].data.end());
  }
  std::memcpy(header.e_ident, ELFMAG, SELFMAG);
  header.e_ident[EI_CLASS] = sizeof header == sizeof(Elf64_Ehdr) ? ELFCLASS64 : ELFCLASS32;
  header.e_ident[EI_DATA] = bigEndian ? ELFDATA2MSB : ELFDATA2LSB;
  header.e_shoff = out.size();
  header.e_shentsize = sizeof(Shdr);
  header.e_shnum = table.size();
  header.e_shstrndx = table.size() - 1;
  if (edit) edit(header, table);
  const auto order = [bigEndian](auto&... fields) { ((fields = ordered(fields, bigEndian)), ...); };
  order(header.e_shoff, header.e_shentsize, header.e_shnum, header.e_shstrndx);
  std::memcpy(out.data(), &header, sizeof header);
  for (Shdr& s : table) {
    order(s.sh_name, s.sh_type, s.sh_offset, s.sh_size, s.sh_link);
    const auto b = std::as_bytes(std::span(&s, 1));
    out.insert(out.end(), b.begin(), b.end());
  }
  return out;
}

Bytes elf64(std::vector<Section> sections,
            const std::function<void(Elf64_Ehdr&, std::vector<Elf64_Shdr>&)>& edit = {}) {
  return elf<Elf64_Ehdr, Elf64_Shdr>(false, std::move(sections), edit);
}

TEST(ElfSections, FindsTheBundlesInBothClassesAndByteOrders) {
  const std::vector<Section> sections = {{".text", bytesOf("code")},
                                         {".gresource.app", bytesOf("bundle-one")},
                                         {".gresource.more", bytesOf("two")},
                                         {".gresourcex", bytesOf("not one")}};
  for (const bool bigEndian : {false, true})
    for (const Bytes& file : {elf<Elf64_Ehdr, Elf64_Shdr>(bigEndian, sections),
                              elf<Elf32_Ehdr, Elf32_Shdr>(bigEndian, sections)}) {
      const auto found = gresourceSections(file);
      ASSERT_EQ(found.size(), 2u) << file.size() << bigEndian;
      EXPECT_EQ(found[0].name, ".gresource.app");
      EXPECT_EQ(
          std::string(reinterpret_cast<const char*>(file.data() + found[0].offset), found[0].size),
          "bundle-one");
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

TEST(ResourceBundle, FindsShortcutsWindowsByContentWhateverTheirNames) {
  const std::string bundle = readFile(TAVRINE_FIXTURE_BUNDLE);
  ASSERT_FALSE(bundle.empty());
  const auto files = shortcutsUiFiles(std::as_bytes(std::span(bundle.data(), bundle.size())));
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].path, "/org/example/Fixture/gtk/help-overlay.ui");
  // Stored compressed, handed back as text.
  EXPECT_EQ(files[1].path, "/org/example/Fixture/ui/editor-keys.ui");
  EXPECT_EQ(files[1].text, readFile(TAVRINE_FIXTURES "/editor-keys.ui"));
  EXPECT_TRUE(shortcutsUiFiles(bytesOf(std::string(64, 'G'))).empty());
}

TEST(ShortcutsUi, TakesAcceleratorShortcutsUnderTheirGroups) {
  const auto ui = parseShortcutsUi(readFile(TAVRINE_FIXTURES "/help-overlay.ui"));
  ASSERT_TRUE(ui);
  EXPECT_EQ(ui->domain, "tavrine-fixture");
  const UiText documents{"Documents", "shortcut window", true};
  // The gesture and the shortcut GTK fills from an action at run time are left out.
  const std::vector<UiShortcut> expected{
      {documents, {"New document", "shortcut window", true}, {"<control>n"}},
      {documents, {"Zoom In", "", true}, {"<ctrl>plus", "<ctrl>equal"}},
  };
  EXPECT_EQ(ui->shortcuts, expected);
}

TEST(ShortcutsUi, RefusesMalformedAndDeepXml) {
  EXPECT_FALSE(parseShortcutsUi("<interface><object class=\"GtkShortcutsGroup\">"));
  EXPECT_FALSE(parseShortcutsUi("<interface></object>"));
  std::string deep;
  for (int i = 0; i < 1000; ++i)
    deep += "<a>";
  EXPECT_FALSE(parseShortcutsUi(deep));
}

// A catalogue as msgfmt writes it, in either byte order.
std::string catalogBytes(const std::vector<std::pair<std::string, std::string>>& messages,
                         bool bigEndian) {
  Bytes out(28 + 16 * messages.size());
  const auto word = [&](std::size_t at, std::uint32_t v) { put(out, at, v, 4, bigEndian); };
  word(0, 0x950412de);
  word(8, static_cast<std::uint32_t>(messages.size()));
  word(12, 28);
  word(16, static_cast<std::uint32_t>(28 + 8 * messages.size()));
  for (std::size_t i = 0; i < messages.size(); ++i)
    for (int side = 0; side < 2; ++side) {
      const std::string& s = side == 0 ? messages[i].first : messages[i].second;
      const std::size_t h = 28 + 8 * (side * messages.size() + i);
      word(h, static_cast<std::uint32_t>(s.size()));
      word(h + 4, static_cast<std::uint32_t>(out.size()));
      const auto b = bytesOf(s + '\0');
      out.insert(out.end(), b.begin(), b.end());
    }
  return {reinterpret_cast<const char*>(out.data()), out.size()};
}

TEST(MoCatalog, TranslatesWithAndWithoutContextInEitherByteOrder) {
  for (const bool bigEndian : {false, true}) {
    const auto catalog = MoCatalog::parse(catalogBytes(
        {{"", "header"}, {"Open", "打开"}, {std::string("menu\x04Open"), "打开菜单"}}, bigEndian));
    ASSERT_TRUE(catalog);
    ASSERT_TRUE(catalog->translate("", "Open"));
    EXPECT_EQ(*catalog->translate("", "Open"), "打开");
    EXPECT_EQ(*catalog->translate("menu", "Open"), "打开菜单");
    EXPECT_EQ(catalog->translate("other", "Open"), nullptr);
    EXPECT_EQ(catalog->translate("", ""), nullptr);
  }
  const std::string good = catalogBytes({{"Open", "打开"}}, false);
  EXPECT_FALSE(MoCatalog::parse(good.substr(0, good.size() - 4)));
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

TEST(ShortcutsWindows, ReadsThisProcessInEnglishAndInChinese) {
  ShortcutsWindows windows;
  const auto later = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  const auto english = windows.read(::getpid(), "", "en", later);
  const std::vector<WindowShortcut> expectedEnglish{
      {"Documents", "New document", {"<control>n"}, "", ""},
      {"Documents", "Zoom In", {"<ctrl>plus", "<ctrl>equal"}, "", ""},
      {"Editing", "Undo", {"<Primary>z"}, "", ""},
  };
  EXPECT_EQ(english, expectedEnglish);
  // The builder file's own domain, found under the program's prefix; the context picks the
  // right translation. The second file names no domain, and this executable has no catalogue.
  const auto chinese = windows.read(::getpid(), "", "zh_CN", later);
  const std::vector<WindowShortcut> expectedChinese{
      {"Documents", "New document", {"<control>n"}, "文档", "新建文档"},
      {"Documents", "Zoom In", {"<ctrl>plus", "<ctrl>equal"}, "文档", "放大"},
      {"Editing", "Undo", {"<Primary>z"}, "", ""},
  };
  EXPECT_EQ(chinese, expectedChinese);
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
  ASSERT_EQ(rows.size(), 4u);  // Zoom In has two accelerators
  constexpr unsigned P = KeyChord::kPrimary;
  EXPECT_EQ(rows[1].chord(), KeyChord::make(P, "+"));
  EXPECT_EQ(rows[2].chord(), KeyChord::make(P, "="));
  EXPECT_EQ(std::tie(rows[0].menuPath(), rows[0].title(), rows[0].menuPathZH(), rows[0].titleZH(),
                     rows[0].source()),
            std::tie("Documents", "New document", "文档", "新建文档", GtkShortcutsSource::kName));
  EXPECT_EQ(rows[3].chord(), KeyChord::make(P, "Z"));
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
  Bytes mo(28 + 16 * n);
  for (const auto& [at, v] : {std::pair{0u, 0x950412deu}, {8u, n}, {12u, 28u}, {16u, 28 + 8 * n}})
    put(mo, at, v, 4, false);
  for (std::uint32_t i = 0; i < 2 * n; ++i) {  // originals: suffixes; translations: all of it
    put(mo, 28 + 8 * i, i < n ? kText - i : kText, 4, false);
    put(mo, 32 + 8 * i, 28 + 16 * n + (i < n ? i : 0), 4, false);
  }
  mo.resize(mo.size() + kText, std::byte{'m'});
  testing::withinBounds(
      [&] {
        EXPECT_FALSE(MoCatalog::parse({reinterpret_cast<const char*>(mo.data()), mo.size()}));
      },
      10, 256);
}

TEST(HostileFiles, MalformedBundlesThatCrashGLibGiveOnlyTheirIntactFiles) {
  for (const char* name : {"malformed-table-1.gresource", "malformed-table-2.gresource"})
    testing::withinBounds(
        [&] {
          const std::string bundle = readFile(std::string(TAVRINE_FIXTURES "/") + name);
          ASSERT_FALSE(bundle.empty());
          const auto files =
              shortcutsUiFiles(std::as_bytes(std::span(bundle.data(), bundle.size())));
          ASSERT_EQ(files.size(), 1u) << name;
          EXPECT_EQ(files[0].path, "/org/example/Fixture/ui/editor-keys.ui");
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
