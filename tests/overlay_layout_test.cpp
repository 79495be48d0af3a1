// SPDX-License-Identifier: MIT
// The overlay's layout: every frame of a few representative overlays against one golden dump
// (TAVRINE_UPDATE_GOLDEN=1 rewrites it), and the rules any layout keeps on any screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "i18n/translation_helper.h"
#include "overlay/overlay_layout.h"
#include "overlay/overlay_window_controller.h"
#include "support/fake_platform.h"
#include "support/fake_text_measurer.h"
#include "support/golden_cases.h"

namespace tavrine {
namespace {

using doubles::FakeTextMeasurer;
using Section = OverlayLayout::Section;

constexpr auto textWidth = &FakeTextMeasurer::width;

template <class T>
std::vector<T> ofKind(const std::vector<Primitive>& primitives) {
  std::vector<T> out;
  for (const Primitive& p : primitives) {
    if (const T* v = std::get_if<T>(&p)) out.push_back(*v);
  }
  return out;
}

struct Fixture {
  TranslationHelper t;
  FakeTextMeasurer measurer;

  std::shared_ptr<const OverlayView> view(GroupedShortcuts groups, std::string appName = "Mail",
                                          OverlayStyle style = {},
                                          Desktop desktop = Desktop::macOS) {
    return std::make_shared<const OverlayView>(std::move(appName), std::move(groups), t, style,
                                               SystemShortcuts::catalogue(desktop));
  }
  OverlayLayout layout(GroupedShortcuts groups, Size panel, ImageRef icon = nullptr,
                       std::string appName = "Mail") {
    return OverlayLayout(view(std::move(groups), std::move(appName)), measurer, panel,
                         std::move(icon));
  }
};

std::vector<Primitive> everything(const OverlayLayout& layout) {
  return layout.primitivesIn({{0, 0}, {layout.panelSize().width, layout.contentHeight()}});
}

// ---- The golden dump ----

std::string num(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.2f", v);
  std::string s = buffer;
  s.erase(s.find_last_not_of('0') + 1);
  if (s.back() == '.') s.pop_back();
  return s == "-0" ? "0" : s;
}

std::string frame(const Rect& r) {
  return num(r.minX()) + "," + num(r.minY()) + " " + num(r.width()) + "x" + num(r.height());
}

constexpr const char* kWeights[] = {"regular", "medium", "semibold", "bold"};

std::string line(const Primitive& primitive) {
  struct {
    std::string operator()(const RoundedRectPrimitive& p) const {
      return "box " + frame(p.frame) + " r" + num(p.cornerRadius) +
             (p.fill == FillKind::white ? " white " : " backdrop ") + num(p.opacity);
    }
    std::string operator()(const LinePrimitive& p) const {
      return "line " + frame(p.frame) + " " + num(p.opacity);
    }
    std::string operator()(const TextPrimitive& p) const {
      return "text \"" + p.text + "\" " + frame(p.frame) + " " +
             kWeights[static_cast<int>(p.font.weight)] + num(p.font.size) +
             (p.font.design == FontDesign::monospaced ? "mono " : " ") + num(p.opacity);
    }
    std::string operator()(const SymbolPrimitive& p) const {
      return "symbol #" + std::to_string(static_cast<int>(p.symbol)) + " " + frame(p.frame) + " " +
             num(p.pointSize) + "pt " + num(p.opacity);
    }
    std::string operator()(const IconPrimitive& p) const {
      return "icon " + frame(p.frame) + " r" + num(p.cornerRadius);
    }
    std::string operator()(const ConflictMarkPrimitive& p) const {
      return "mark " + frame(p.frame) + " " + num(p.opacity);
    }
  } visitor;
  return std::visit(visitor, primitive);
}

void dumpPrimitives(std::ostream& out, const std::vector<Primitive>& primitives) {
  for (const Primitive& p : primitives)
    out << "  " << line(p) << "\n";
}

// The panel's measures, then the fixed part and the scroll content down to `contentDepth`
// (all of it when negative).
void dumpLayout(std::ostream& out, const OverlayLayout& layout, double contentDepth = -1) {
  out << "panel " << num(layout.panelSize().width) << "x" << num(layout.panelSize().height)
      << " scroll " << frame(layout.scrollFrame()) << " content " << num(layout.contentHeight())
      << " switch " << frame(layout.languageSwitchFrame()) << " columns "
      << layout.columns(Section::application) << "+" << layout.columns(Section::system) << "\n";
  out << " fixed\n";
  dumpPrimitives(out, layout.fixedPrimitives());
  out << " content\n";
  dumpPrimitives(out, contentDepth < 0 ? everything(layout)
                                       : layout.primitivesIn(
                                             {{0, 0}, {layout.panelSize().width, contentDepth}}));
}

// A menu of nine rows: one with ⇧⌘Z, one without keys, the last with two shortcuts; and an empty
// menu.
GroupedShortcuts editAndEmptyFile() {
  GroupedShortcuts groups;
  groups["Edit"] = {doubles::record("Edit", "Redo", "z", 1), ShortcutItem("Edit", "No Caps", {})};
  for (int i = 2; i < 9; ++i)
    groups["Edit"].push_back(doubles::record("Edit", "Item " + std::to_string(i), "k"));
  groups["Edit"].back().chords.push_back(doubles::record("Edit", "Redo", "z", 1).chord());
  groups["File"];
  return groups;
}

std::string goldenDump() {
  std::ostringstream out;
  struct TestImage final : Image {};
  {
    out << "# English, an icon, two application columns and the catalogue's four\n";
    Fixture f;
    dumpLayout(out, f.layout(editAndEmptyFile(), {1000, 700}, std::make_shared<const TestImage>()));
  }
  {
    out << "# Chinese, no icon, the catalogue alone\n";
    Fixture f;
    f.t.setIsZH(true);
    dumpLayout(out, f.layout({}, {1000, 700}));
  }
  {
    out << "# A long name in a narrow panel: name and label give way before the switch\n";
    Fixture f;
    dumpLayout(out, f.layout({}, {260, 400}, nullptr, "A Rather Long Application"), 60);
    out << "# The separator's label keeps its width, its lines give way\n";
    dumpLayout(out, f.layout({}, {400, 500}), 40);
    dumpLayout(out, f.layout({}, {100, 500}), 40);
  }
  {
    out << "# The editor on a small screen, first screenful, in Chinese and words (GNOME)\n";
    Fixture f;
    f.t.setIsZH(true);
    const Rect panel = OverlayWindowController::panelFrame({{0, 0}, {640, 480}});
    const OverlayLayout layout(f.view(groupByMenu(doubles::sampleShortcuts("editor.menu")),
                                      "Editor", OverlayStyle{KeyCapStyle::words}, Desktop::gnome),
                               f.measurer, panel.size, nullptr);
    dumpLayout(out, layout, layout.scrollFrame().height());
  }
  {
    out << "# Application columns by record count (one menu, wide panel)\n";
    Fixture f;
    for (const int records : {1, 8, 9, 16, 17, 24, 25, 40, 500}) {
      GroupedShortcuts groups;
      groups["Edit"].assign(static_cast<std::size_t>(records), doubles::record("Edit", "C", "c"));
      out << " " << records << ":"
          << f.layout(std::move(groups), {1400, 700}).columns(Section::application);
    }
    out << "\n# Columns by panel width, forty rows one of which holds five caps\n";
    GroupedShortcuts groups;
    for (int i = 0; i < 40; ++i)
      groups["Edit"].push_back(doubles::record("Edit", "Item", i == 7 ? "k" : "c", i == 7 ? 7 : 0));
    for (const double width : {800.0, 756.0, 755.0, 574.0, 573.0, 392.0, 391.0, 60.0}) {
      const OverlayLayout layout = f.layout(groups, {width, 700});
      out << " " << num(width) << ":" << layout.columns(Section::application) << "+"
          << layout.columns(Section::system);
    }
    out << "\n";
  }
  {
    out << "# Long titles yield to their first character, then keys are cut\n";
    Fixture f;
    for (const auto& [width, key, twoShortcuts] : {std::tuple{400.0, std::string("e"), false},
                                                   {173.0, "e", false},
                                                   {130.0, "e", false},
                                                   {300.0, std::string(60, 'x'), false},
                                                   {300.0, std::string(60, 'x'), true}}) {
      ShortcutEntry row = doubles::record("File", "Export As PDF", key);
      if (twoShortcuts) row.chords.push_back(doubles::record("File", "Export", "e").chord());
      const OverlayLayout layout = f.layout({{"File", {row}}}, {width, 700});
      out << "width " << num(width) << "\n";
      dumpPrimitives(out, layout.primitivesIn(layout.rowFrame(Section::application, 0, 0)));
    }
  }
  return out.str();
}

TEST(OverlayLayoutTest, MatchesTheGoldenDump) {
  doubles::expectGolden("layout.txt", goldenDump());
}

// ---- Rules every layout keeps ----

// Uneven groups (one empty) in four columns, so that lines end part-filled.
GroupedShortcuts unevenGroups() {
  GroupedShortcuts groups;
  groups["Archive"];
  for (const auto& [menu, size] :
       {std::pair{"Edit", 1}, {"File", 7}, {"View", 13}, {"Window", 30}}) {
    for (int i = 0; i < size; ++i) {
      groups[menu].push_back(
          doubles::record(menu, std::string(menu).append(" ").append(std::to_string(i)),
                          i % 3 == 0 ? "\x1b" : "k", i % 3 == 0 ? 2 : 0));
    }
  }
  return groups;
}

// A taken row's mark stands between its title, which yields the room, and its caps (untaken
// rows are the golden dump's).
TEST(OverlayLayoutTest, ATakenRowIsMarkedBesideItsCaps) {
  Fixture f;
  const ShortcutEntry row = doubles::record("File", std::string(40, 'w'), "h");
  const OverlayLayout layout(
      std::make_shared<const OverlayView>(
          "Mail", groupByMenu({row}), f.t, OverlayStyle{},
          std::vector{ShortcutItem("W", "Hide", row.item.chord(), {"desktop", "", ""})}),
      f.measurer, Size{400, 600}, nullptr);
  const auto taken = layout.primitivesIn(layout.rowFrame(Section::application, 0, 0));
  const auto marks = ofKind<ConflictMarkPrimitive>(taken);
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_LT(ofKind<TextPrimitive>(taken).at(0).frame.maxX(), marks[0].frame.minX());
  EXPECT_LT(marks[0].frame.maxX(), ofKind<RoundedRectPrimitive>(taken).at(0).frame.minX());
}

// Every query, also ones that begin exactly where a primitive ends or end where it begins,
// returns exactly what it intersects; a row's frame holds its row.
TEST(OverlayLayoutTest, AVisibleQueryReturnsExactlyTheIntersectingPrimitives) {
  Fixture f;
  const OverlayLayout layout = f.layout(unevenGroups(), {900, 600});
  const std::vector<Primitive> all = everything(layout);
  std::vector<Rect> queries = {{{0, 100}, {900, 0}}};
  for (double y = -40; y < layout.contentHeight() + 40; y += 9.7) {
    for (double height : {1.0, 23.3, 310.0})
      queries.insert(queries.end(), {{{0, y}, {900, height}}, {{300, y}, {200, height}}});
  }
  for (const Primitive& p : all)
    queries.insert(queries.end(),
                   {{{0, frameOf(p).maxY()}, {900, 5}}, {{0, frameOf(p).minY() - 5}, {900, 5}}});
  for (const Rect& visible : queries) {
    std::vector<Primitive> expected;
    for (const Primitive& p : all)
      if (visible.height() > 0 && frameOf(p).intersects(visible)) expected.push_back(p);
    EXPECT_EQ(layout.primitivesIn(visible), expected) << frame(visible);
  }
  // "Window" is the fifth sorted group (after Archive, Edit, File, View); "Archive" has no rows.
  const Rect cell = layout.rowFrame(Section::application, 4, 17);
  EXPECT_EQ(ofKind<TextPrimitive>(layout.primitivesIn(cell)).at(0).text, "Window 17");
  EXPECT_EQ(layout.rowFrame(Section::application, 0, 0), Rect{});
  EXPECT_EQ(layout.rowFrame(Section::system, 4, 0), Rect{});
  EXPECT_EQ(layout.headingFrame(Section::application, 5), Rect{});
}

bool inside(const Rect& r, const Rect& outer) {
  constexpr double e = 1e-9;
  return r.minX() >= outer.minX() - e && r.maxX() <= outer.maxX() + e &&
         r.minY() >= outer.minY() - e && r.maxY() <= outer.maxY() + e;
}

// Each section stays in the content below the one before, its rows below its heading; everything
// of a row stays in its cell; a title that did not fit is cut to at least its first character and
// "…", with no space before it, and no key is cut. (Where cells and caps sit is in the dump.)
void expectOrderlyGrid(const OverlayLayout& layout, Section grid, std::size_t sections) {
  const Rect content{{0, 0}, {layout.panelSize().width, layout.contentHeight()}};
  double previousBottom = 0;
  for (std::size_t section = 0; section < sections; ++section) {
    const Rect heading = layout.headingFrame(grid, section);
    EXPECT_TRUE(inside(heading, content) && heading.minY() >= previousBottom) << section;
    previousBottom = heading.maxY();
    for (std::size_t row = 0;; ++row) {
      const Rect cell = layout.rowFrame(grid, section, row);
      if (cell == Rect{}) break;
      SCOPED_TRACE(std::to_string(section) + "/" + std::to_string(row));
      EXPECT_TRUE(inside(cell, content) && cell.minY() >= heading.maxY());
      previousBottom = std::max(previousBottom, cell.maxY());
      const std::vector<Primitive> drawn = layout.primitivesIn(cell);
      for (const Primitive& p : drawn)
        EXPECT_TRUE(inside(frameOf(p), cell)) << line(p);
      const std::vector<TextPrimitive> texts = ofKind<TextPrimitive>(drawn);
      const TextPrimitive& title = texts.at(0);
      EXPECT_LE(textWidth(title.text, 13), title.frame.width() + 1e-9);
      EXPECT_FALSE(title.text.ends_with(" …") || title.text == "…" ||
                   (texts.size() > 1 && texts.back().text.ends_with("…")))
          << title.text << " " << texts.back().text;
    }
  }
}

// In macOS's glyphs and catalogue, and in words with each Linux desktop's catalogue.
TEST(OverlayLayoutTest, GridsStayOrderlyOnAnyScreen) {
  const std::pair<KeyCapStyle, Desktop> styles[] = {{KeyCapStyle::glyphs, Desktop::macOS},
                                                    {KeyCapStyle::words, Desktop::gnome},
                                                    {KeyCapStyle::words, Desktop::kde},
                                                    {KeyCapStyle::words, Desktop::xfce}};
  for (const char* file : {"editor.menu", "stress.menu"}) {
    const GroupedShortcuts menus = groupByMenu(doubles::sampleShortcuts(file));
    for (const bool zh : {false, true}) {
      for (const Size screen :
           {Size{1440, 900}, {1280, 720}, {2560, 1440}, {800, 600}, {640, 480}}) {
        for (const auto& [capStyle, desktop] : styles) {
          SCOPED_TRACE(std::string(file) + (zh ? " zh " : " en ") +
                       std::to_string(static_cast<int>(screen.width)) + " desktop " +
                       std::to_string(static_cast<int>(desktop)));
          Fixture f;
          f.t.setIsZH(zh);
          const auto view = f.view(menus, "App", OverlayStyle{capStyle}, desktop);
          const Rect panel = OverlayWindowController::panelFrame({{0, 0}, screen});
          const OverlayLayout layout(view, f.measurer, panel.size, nullptr);
          expectOrderlyGrid(layout, Section::application, view->groupedShortcuts().size());
          expectOrderlyGrid(layout, Section::system, view->systemGroups().size());
        }
      }
    }
  }
}

// Scaled by s, every frame, font, corner and symbol is s times as large, and so is the panel.
TEST(OverlayLayoutTest, ASizeScalesThePanelWhole) {
  Fixture f;
  const auto view = f.view(groupByMenu(doubles::sampleShortcuts("editor.menu")));
  const OverlayLayout plain(view, f.measurer, {900, 600}, nullptr);
  const Rect screen{{0, 0}, {3000, 2000}};
  for (const double s : {0.8, 1.5}) {
    const OverlayLayout scaled(view, f.measurer, {900 * s, 600 * s}, nullptr, s);
    const auto times = [s](Rect r) {
      return Rect{{r.minX() * s, r.minY() * s}, {r.width() * s, r.height() * s}};
    };
    std::vector<Primitive> small = plain.fixedPrimitives();
    std::vector<Primitive> large = scaled.fixedPrimitives();
    std::ranges::copy(everything(plain), std::back_inserter(small));
    std::ranges::copy(everything(scaled), std::back_inserter(large));
    ASSERT_EQ(small.size(), large.size());
    for (std::size_t i = 0; i < small.size(); ++i) {
      std::visit(
          [&](auto& p) {
            p.frame = times(p.frame);
            if constexpr (requires { p.font; }) p.font.size *= s;
            if constexpr (requires { p.cornerRadius; }) p.cornerRadius *= s;
            if constexpr (requires { p.pointSize; }) p.pointSize *= s;
          },
          small[i]);
      EXPECT_EQ(line(small[i]), line(large[i])) << s;
    }
    EXPECT_EQ(frame(scaled.rowFrame(Section::system, 1, 2)),
              frame(times(plain.rowFrame(Section::system, 1, 2))));
    EXPECT_EQ(OverlayWindowController::panelFrame(screen, s).size,
              times(OverlayWindowController::panelFrame(screen)).size);
  }
}

}  // namespace
}  // namespace tavrine
