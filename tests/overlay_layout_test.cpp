// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "i18n/translation_helper.h"
#include "overlay/overlay_layout.h"
#include "overlay/overlay_window_controller.h"
#include "support/fake_platform.h"
#include "support/fake_text_measurer.h"

namespace tavrine {
namespace {

using doubles::FakeTextMeasurer;

constexpr Font kBold18{18, FontWeight::bold, FontDesign::standard};
constexpr Font kRegular13{13, FontWeight::regular, FontDesign::standard};
constexpr Font kMedium11{11, FontWeight::medium, FontDesign::standard};
constexpr Font kSemibold11{11, FontWeight::semibold, FontDesign::standard};
constexpr Font kMono12{12, FontWeight::regular, FontDesign::monospaced};

constexpr auto textWidth = &FakeTextMeasurer::width;
constexpr auto lineHeight = &FakeTextMeasurer::lineHeight;

void expectFrame(const Rect& r, double x, double y, double w, double h) {
  EXPECT_NEAR(r.minX(), x, 1e-9);
  EXPECT_NEAR(r.minY(), y, 1e-9);
  EXPECT_NEAR(r.width(), w, 1e-9);
  EXPECT_NEAR(r.height(), h, 1e-9);
}

template <class T>
std::vector<T> ofKind(const std::vector<Primitive>& primitives) {
  std::vector<T> out;
  for (const Primitive& p : primitives) {
    if (const T* v = std::get_if<T>(&p)) out.push_back(*v);
  }
  return out;
}

// The index of the first text primitive showing `text`.
std::size_t indexOf(const std::vector<Primitive>& primitives, const std::string& text) {
  for (std::size_t i = 0; i < primitives.size(); ++i) {
    const auto* t = std::get_if<TextPrimitive>(&primitives[i]);
    if (t != nullptr && t->text == text) return i;
  }
  ADD_FAILURE() << "no text " << text;
  return 0;
}

// The text primitive showing `text`, checked for its position, font and opacity.
TextPrimitive expectText(const std::vector<Primitive>& primitives, const std::string& text,
                         double x, double y, double w, Font font, double opacity) {
  const auto* t = std::get_if<TextPrimitive>(&primitives[indexOf(primitives, text)]);
  if (t == nullptr) return {};
  SCOPED_TRACE(text);
  expectFrame(t->frame, x, y, w, lineHeight(font.size));
  EXPECT_EQ(t->font, font);
  EXPECT_EQ(t->opacity, opacity);
  return *t;
}

struct Fixture {
  TranslationHelper t;
  FakeTextMeasurer measurer;

  OverlayLayout layout(GroupedShortcuts groups, Size panel, ImageRef icon = nullptr,
                       std::string appName = "Mail") {
    return OverlayLayout(
        std::make_shared<const OverlayView>(appName, std::move(groups), t, OverlayStyle{},
                                            SystemShortcuts::catalogue(Desktop::macOS)),
        measurer, panel, std::move(icon));
  }
};

std::vector<Primitive> everything(const OverlayLayout& layout) {
  return layout.primitivesIn({{0, 0}, {layout.panelSize().width, layout.contentHeight()}});
}

TEST(OverlayLayoutTest, HeaderFollowsItsConstants) {
  Fixture f;
  struct TestImage final : Image {};
  const auto icon = std::make_shared<const TestImage>();
  const OverlayLayout withIcon = f.layout({}, {800, 600}, icon);
  const std::vector<Primitive>& p = withIcon.fixedPrimitives();
  EXPECT_EQ(std::get<RoundedRectPrimitive>(p.front()),
            (RoundedRectPrimitive{{{0, 0}, {800, 600}}, 16, FillKind::backdrop, 1}));

  // The icon sets the header's height: 28 between paddings of 16; everything centres on y 30.
  EXPECT_EQ(ofKind<IconPrimitive>(p), (std::vector{IconPrimitive{icon, {{24, 16}, {28, 28}}, 6}}));
  const TextPrimitive name =
      expectText(p, "Mail", 62, 30 - lineHeight(18) / 2, textWidth("Mail", 18), kBold18, 1);
  expectText(p, "Keyboard Shortcuts", name.frame.maxX() + 10, 30 - lineHeight(13) / 2,
             textWidth("Keyboard Shortcuts", 13), kRegular13, 0.5);

  // The language switch at the trailing padding: globe, "EN", chevron, 4 apart, inside paddings
  // of 10 and 4, on a rounded background.
  const double switchWidth = 11 + 4 + textWidth("EN", 11) + 4 + 8 + 20;
  const double switchHeight = lineHeight(11) + 8;
  const Rect button = withIcon.languageSwitchFrame();
  expectFrame(button, 800 - 24 - switchWidth, 30 - switchHeight / 2, switchWidth, switchHeight);
  EXPECT_EQ(ofKind<RoundedRectPrimitive>(p).at(1),
            (RoundedRectPrimitive{button, 6, FillKind::white, 0.1}));
  const TextPrimitive language = expectText(p, "EN", button.minX() + 25, 30 - lineHeight(11) / 2,
                                            textWidth("EN", 11), kMedium11, 0.7);
  const auto symbols = ofKind<SymbolPrimitive>(p);
  ASSERT_EQ(symbols.size(), 2u);
  EXPECT_EQ(symbols[0],
            (SymbolPrimitive{Symbol::globe, {{button.minX() + 10, 24.5}, {11, 11}}, 11, 0.7}));
  EXPECT_EQ(
      symbols[1],
      (SymbolPrimitive{Symbol::chevronDown, {{language.frame.maxX() + 4, 26}, {8, 8}}, 8, 0.7}));

  EXPECT_EQ(ofKind<LinePrimitive>(p), (std::vector{LinePrimitive{{{0, 60}, {800, 1}}, 0.15}}));
  expectFrame(withIcon.scrollFrame(), 0, 61, 800, 539);

  // Without an icon the name starts at the leading padding and the text sets the height.
  const OverlayLayout plain = f.layout({}, {800, 600});
  EXPECT_TRUE(ofKind<IconPrimitive>(plain.fixedPrimitives()).empty());
  EXPECT_EQ(ofKind<TextPrimitive>(plain.fixedPrimitives()).at(0).frame.minX(), 24);
  expectFrame(plain.scrollFrame(), 0, lineHeight(18) + 33, 800, 600 - lineHeight(18) - 33);

  // Narrow: name and label give way (the label first) before the switch does, each cut to its
  // frame and ending in "…".
  const OverlayLayout narrow = f.layout({}, {260, 400}, nullptr, "A Rather Long Application");
  const auto texts = ofKind<TextPrimitive>(narrow.fixedPrimitives());
  EXPECT_EQ(texts[0].text, "A Rat…");
  EXPECT_LE(textWidth(texts[0].text, 18), texts[0].frame.width());
  EXPECT_EQ(texts[1].frame.minX(), texts[0].frame.maxX() + 10);
  EXPECT_NEAR(texts[1].frame.maxX(), narrow.languageSwitchFrame().minX() - 16, 1e-9);
  EXPECT_EQ(texts[1].text, "Keyboard…");  // no space before the "…"
}

TEST(OverlayLayoutTest, GridsFollowTheirConstants) {
  Fixture f;
  GroupedShortcuts groups;
  groups["Edit"] = {doubles::record("Edit", "Redo", "z", 1), ShortcutItem("Edit", "No Caps", {})};
  for (int i = 2; i < 9; ++i)
    groups["Edit"].push_back(doubles::record("Edit", "Item " + std::to_string(i), "k"));
  groups["Edit"].back().chords.push_back(doubles::record("Edit", "Redo", "z", 1).chord());
  groups["File"];  // a menu whose list is empty
  const OverlayLayout layout = f.layout(std::move(groups), {1000, 700});
  const std::vector<Primitive> p = everything(layout);

  // Heading: padding top 8 of the grid, 10 of the heading; spans the grid's width.
  expectText(p, "EDIT", 24, 18, 952, kSemibold11, 0.45);

  // Nine records give two columns of (952 - 20) / 2; rows are 20.4 caps + 2 tall, lines 6 apart.
  // Glyph caps hold a 12-point symbol; a letter's cap is as wide as theirs, wider than tall.
  const double rowsTop = 18 + lineHeight(11) + 2 + 6;
  const double pitch = 6 + (lineHeight(12) + 6 + 2);
  const double capHeight = lineHeight(12) + 6;
  const double capsWidth = 3 * 24 + 2 * 3;
  const double titleY = rowsTop + 1 + (20.4 - lineHeight(13)) / 2;
  const double redoWidth = 466 - capsWidth - 16;
  expectText(p, "Redo", 24, titleY, redoWidth, kRegular13, 0.85);
  const double capsX = 24 + 466 - capsWidth;
  const auto boxes = ofKind<RoundedRectPrimitive>(
      layout.primitivesIn(layout.rowFrame(OverlayLayout::Section::application, 0, 0)));
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0], (RoundedRectPrimitive{
                          {{capsX, rowsTop + 1}, {24, capHeight}}, 5, FillKind::white, 0.12}));
  EXPECT_NEAR(boxes[2].frame.minX(), capsX + 54, 1e-9);
  EXPECT_NEAR(boxes[2].frame.width(), 24, 1e-9);
  EXPECT_EQ(
      ofKind<SymbolPrimitive>(p).at(0),
      (SymbolPrimitive{
          Symbol::shift, {{capsX + 6, rowsTop + 1 + capHeight / 2 - 6}, {12, 12}}, 12, 0.95}));
  // The letter is centred in its square cap.
  expectText(p, "Z", boxes[2].frame.midX() - textWidth("Z", 12) / 2, rowsTop + 4,
             textWidth("Z", 12), kMono12, 0.95);

  // Second cell: no caps, so the title may take all but the gaps around the flexible space.
  expectText(p, "No Caps", 24 + 466 + 20, titleY, 466 - 16, kRegular13, 0.85);
  EXPECT_EQ(indexOf(p, "Item 2"), indexOf(p, "No Caps") + 1);
  // A row of two shortcuts: ⌘K, a plain "/" 3 + 2 from the caps either side, then ⇧⌘Z.
  const double slash = textWidth("/", 12);
  const double twoWidth = (2 * 24 + 3) + 3 + (slash + 4) + 3 + capsWidth;
  expectText(p, "Item 8", 24, titleY + 4 * pitch, 466 - twoWidth - 16, kRegular13, 0.85);
  const Rect item8 = layout.rowFrame(OverlayLayout::Section::application, 0, 8);
  const auto item8Boxes = ofKind<RoundedRectPrimitive>(layout.primitivesIn(item8));
  ASSERT_EQ(item8Boxes.size(), 5u);
  EXPECT_NEAR(item8Boxes[0].frame.minX(), 490 - twoWidth, 1e-9);
  expectText(p, "/", 490 - capsWidth - 3 - 2 - slash, item8.minY() + 4, slash, kMono12, 0.5);

  // The empty menu shows its heading and no rows: the separator comes next.
  const double fileTop = rowsTop + 5 * pitch;
  expectText(p, "FILE", 24, fileTop + 10, 952, kSemibold11, 0.45);
  EXPECT_TRUE(std::holds_alternative<LinePrimitive>(p.at(indexOf(p, "FILE") + 1)));

  // The system grid follows the separator row (16 + label + 16) with no top padding, 4 columns.
  const double systemTop = fileTop + lineHeight(11) + 12 + 16 + lineHeight(11) + 16;
  expectText(p, "GENERAL", 24, systemTop + 10, 952, kSemibold11, 0.45);
  const double firstRow = systemTop + lineHeight(11) + 12 + 6 + 1 + (20.4 - lineHeight(13)) / 2;
  const double column = (952 - 3 * 20) / 4.0 + 20;
  // Titles only the catalogue has: second and fourth on its first line, second on the next.
  const auto at = [&](const std::string& title) {
    return std::get<TextPrimitive>(p[indexOf(p, title)]).frame.origin;
  };
  EXPECT_NEAR(at("Paste").x, 24 + column, 1e-9);
  EXPECT_NEAR(at("Paste").y, firstRow, 1e-9);
  EXPECT_NEAR(at("Undo").x, 24 + 3 * column, 1e-9);
  EXPECT_NEAR(at("Select All").x, 24 + column, 1e-9);
  EXPECT_NEAR(at("Select All").y, firstRow + pitch, 1e-9);
  // Four sections of two lines each, then the bottom padding.
  const double section = lineHeight(11) + 12 + 2 * pitch;
  EXPECT_NEAR(layout.contentHeight(), systemTop + 4 * section + 3 * 6 + 20, 1e-9);
}

TEST(OverlayLayoutTest, TheSeparatorLabelKeepsItsWidthAndTheLinesGiveWay) {
  Fixture f;
  const std::string label = "System Shortcuts";
  const double labelWidth = textWidth(label, 11);
  // No groups: the application grid is only its top padding.
  const std::vector<Primitive> p = everything(f.layout({}, {400, 500}));
  const double lineWidth = (400 - 48 - labelWidth - 16) / 2;
  const TextPrimitive text =
      expectText(p, label, 24 + lineWidth + 8, 8 + 16, labelWidth, kMedium11, 0.4);
  const double centre = text.frame.midY() - 0.5;
  EXPECT_EQ(
      ofKind<LinePrimitive>(std::vector(p.begin(), p.begin() + 3)),
      (std::vector<LinePrimitive>{{{{24, centre}, {lineWidth, 1}}, 0.15},
                                  {{{text.frame.maxX() + 8, centre}, {lineWidth, 1}}, 0.15}}));

  const std::vector<Primitive> narrow = everything(f.layout({}, {100, 500}));
  expectText(narrow, label, 24 + 8, 8 + 16, labelWidth, kMedium11, 0.4);
  EXPECT_TRUE(ofKind<LinePrimitive>(narrow).empty());
}

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

TEST(OverlayLayoutTest, AVisibleQueryReturnsExactlyTheIntersectingPrimitives) {
  Fixture f;
  const OverlayLayout layout = f.layout(unevenGroups(), {900, 600});
  const std::vector<Primitive> all = everything(layout);
  // Headings 5 + 4, titles 51 + 27, the separator label, caps 121 + 62 (texts or key glyphs).
  EXPECT_EQ(ofKind<TextPrimitive>(all).size() + ofKind<SymbolPrimitive>(all).size(),
            9u + 78 + 1 + 121 + 62);
  const auto expectExact = [&](const Rect& visible) {
    std::vector<Primitive> expected;
    for (const Primitive& p : all)
      if (frameOf(p).intersects(visible)) expected.push_back(p);
    EXPECT_EQ(layout.primitivesIn(visible), expected)
        << visible.minX() << "," << visible.minY() << " " << visible.width() << "x"
        << visible.height();
  };
  for (double y = -40; y < layout.contentHeight() + 40; y += 9.7) {
    for (double height : {1.0, 23.3, 310.0}) {
      expectExact({{0, y}, {900, height}});
      expectExact({{300, y}, {200, height}});  // part of the columns only
    }
  }
  // Rectangles that begin exactly where a primitive ends, or end exactly where it begins.
  for (const Primitive& p : all) {
    expectExact({{0, frameOf(p).maxY()}, {900, 5}});
    expectExact({{0, frameOf(p).minY() - 5}, {900, 5}});
  }
  EXPECT_TRUE(layout.primitivesIn({{0, 100}, {900, 0}}).empty());

  // Heading and row frames hold exactly what is drawn there. "Window" is the fifth sorted group
  // (after Archive, Edit, File, View); row 17 of 30.
  using Section = OverlayLayout::Section;
  const Rect cell = layout.rowFrame(Section::application, 4, 17);
  const std::vector<Primitive> drawn = layout.primitivesIn(cell);
  EXPECT_EQ(ofKind<TextPrimitive>(drawn).at(0).text, "Window 17");
  for (const Primitive& p : drawn) {
    const Rect& r = frameOf(p);
    EXPECT_TRUE(r.minX() >= cell.minX() && r.maxX() <= cell.maxX() && r.minY() >= cell.minY() &&
                r.maxY() <= cell.maxY());
  }
  const Rect heading = layout.headingFrame(Section::system, 2);
  EXPECT_EQ(ofKind<TextPrimitive>(layout.primitivesIn(heading)).at(0).frame, heading);
  EXPECT_EQ(layout.rowFrame(Section::application, 0, 0), Rect{});  // "Archive" has no rows
  EXPECT_EQ(layout.rowFrame(Section::system, 4, 0), Rect{});
  EXPECT_EQ(layout.headingFrame(Section::application, 5), Rect{});
}

// Every row's title and whole caps inside its cell, and a title that did not fit cut to at least
// its first character and "…", with no space before it.
void expectRowsInsideTheirCells(const OverlayLayout& layout, const OverlayView& view) {
  using Section = OverlayLayout::Section;
  for (const Section grid : {Section::application, Section::system}) {
    const std::size_t sections =
        grid == Section::application ? view.groupedShortcuts().size() : view.systemGroups().size();
    for (std::size_t section = 0; section < sections; ++section) {
      for (std::size_t row = 0;; ++row) {
        const Rect cell = layout.rowFrame(grid, section, row);
        if (cell == Rect{}) break;
        const std::vector<Primitive> drawn = layout.primitivesIn(cell);
        EXPECT_FALSE(ofKind<RoundedRectPrimitive>(drawn).empty()) << "a row without caps";
        for (const Primitive& p : drawn) {
          const Rect& r = frameOf(p);
          EXPECT_TRUE(r.minX() >= cell.minX() - 1e-9 && r.maxX() <= cell.maxX() + 1e-9)
              << section << "/" << row << " at " << r.minX() << "+" << r.width();
        }
        const std::vector<TextPrimitive> texts = ofKind<TextPrimitive>(drawn);
        const TextPrimitive& title = texts.at(0);
        EXPECT_LE(textWidth(title.text, 13), title.frame.width() + 1e-9);
        EXPECT_FALSE(title.text.ends_with(" …") || title.text == "…") << title.text;
        // The columns leave room for the caps: no key is cut.
        EXPECT_TRUE(texts.size() == 1 || !texts.back().text.ends_with("…")) << texts.back().text;
      }
    }
  }
}

// In macOS's glyphs and catalogue, and in words with each Linux desktop's catalogue.
TEST(OverlayLayoutTest, NothingLeavesItsCellOnAnyScreen) {
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
          const auto view = std::make_shared<const OverlayView>(
              "App", menus, f.t, OverlayStyle{capStyle}, SystemShortcuts::catalogue(desktop));
          const Rect panel = OverlayWindowController::panelFrame({{0, 0}, screen});
          expectRowsInsideTheirCells(OverlayLayout(view, f.measurer, panel.size, nullptr), *view);
        }
      }
    }
  }
}

// Where a cell cannot hold the widest caps beside "W…", the grid takes fewer columns: here caps
// of 132 (five one-character caps of 24, gaps of 3) need cells of 132 + 16 + 14.
TEST(OverlayLayoutTest, GridsTakeFewerColumnsRatherThanLetCapsLeaveTheirCells) {
  GroupedShortcuts groups;
  for (int i = 0; i < 40; ++i)
    groups["Edit"].push_back(doubles::record("Edit", "Item", i == 7 ? "k" : "c", i == 7 ? 7 : 0));
  struct Case {
    double panelWidth;
    int columns;
  };
  Fixture f;
  for (const Case c :
       {Case{800, 4}, {756, 4}, {755, 3}, {574, 3}, {573, 2}, {392, 2}, {391, 1}, {60, 1}}) {
    const OverlayLayout layout = f.layout(groups, {c.panelWidth, 700});
    EXPECT_EQ(layout.columns(OverlayLayout::Section::application), c.columns) << c.panelWidth;
  }
  // The catalogue keeps its four columns while they hold its caps.
  EXPECT_EQ(f.layout({}, {1000, 700}).columns(OverlayLayout::Section::system), 4);
  EXPECT_LT(f.layout({}, {500, 700}).columns(OverlayLayout::Section::system), 4);
}

TEST(OverlayLayoutTest, TitlesYieldDownToTheirFirstCharacterAndKeysOnlyWhenNothingElseFits) {
  struct Case {
    double panelWidth;
    std::string key;            // the command character, with Command
    std::string title;          // as shown
    std::string cap;            // the last cap as shown
    bool twoShortcuts = false;  // with a second, ⌘E, which goes before the first is cut
  };
  // One column: the title gets the panel less 48, the caps (two of 24, a gap of 3) and 16.
  for (const Case& c : {
           Case{400, "e", "Export As PDF", "E"},
           Case{173, "e", "Export…", "E"},  // room for "Export " and "…": the space goes
           Case{130, "e", "E…", "E"},
           // A key text no cell could hold is cut, after the title has yielded.
           Case{300, std::string(60, 'x'), "E…", "XXXXXXXXXXXXXXXXXXXXXXXXXXX…"},
           Case{300, std::string(60, 'x'), "E…", "XXXXXXXXXXXXXXXXXXXXXXXXXXX…", true},
       }) {
    SCOPED_TRACE(c.panelWidth);
    Fixture f;
    ShortcutEntry row = doubles::record("File", "Export As PDF", c.key);
    if (c.twoShortcuts) row.chords.push_back(doubles::record("File", "Export", "e").chord());
    const OverlayLayout layout = f.layout({{"File", {row}}}, {c.panelWidth, 700});
    const Rect cell = layout.rowFrame(OverlayLayout::Section::application, 0, 0);
    const auto texts = ofKind<TextPrimitive>(layout.primitivesIn(cell));
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, c.title);
    EXPECT_EQ(texts[1].text, c.cap);
    EXPECT_LE(texts[1].frame.maxX(), cell.maxX());
  }
}

}  // namespace
}  // namespace tavrine
