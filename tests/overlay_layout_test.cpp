// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "i18n/translation_helper.h"
#include "overlay/overlay_layout.h"
#include "support/fake_text_measurer.h"

namespace tavrine {
namespace {

using doubles::FakeTextMeasurer;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr Font kBold18{18, FontWeight::bold, FontDesign::standard};
constexpr Font kRegular13{13, FontWeight::regular, FontDesign::standard};
constexpr Font kMedium11{11, FontWeight::medium, FontDesign::standard};
constexpr Font kSemibold11{11, FontWeight::semibold, FontDesign::standard};
constexpr Font kMono12{12, FontWeight::regular, FontDesign::monospaced};

double textWidth(std::string_view text, double size) {
  return FakeTextMeasurer::width(text, size);
}
double lineHeight(double size) {
  return FakeTextMeasurer::lineHeight(size);
}

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

// The text primitive showing `text`, checked for its position, font, opacity and elision.
TextPrimitive expectText(const std::vector<Primitive>& primitives, const std::string& text,
                         double x, double y, double w, Font font, double opacity,
                         double elision = kInf) {
  const auto* t = std::get_if<TextPrimitive>(&primitives[indexOf(primitives, text)]);
  if (t == nullptr) return {};
  SCOPED_TRACE(text);
  expectFrame(t->frame, x, y, w, lineHeight(font.size));
  EXPECT_EQ(t->font, font);
  EXPECT_EQ(t->opacity, opacity);
  EXPECT_EQ(t->elisionWidth, elision);
  return *t;
}

struct Fixture {
  TranslationHelper t;
  FakeTextMeasurer measurer;

  OverlayLayout layout(GroupedShortcuts groups, Size panel, ImageRef icon = nullptr,
                       std::string appName = "Mail") {
    return OverlayLayout(std::make_shared<const OverlayView>(appName, std::move(groups), t),
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

  // Narrow: name and label give way (the label first) before the switch does.
  const OverlayLayout narrow = f.layout({}, {260, 400}, nullptr, "A Rather Long Application");
  const auto texts = ofKind<TextPrimitive>(narrow.fixedPrimitives());
  EXPECT_LT(texts[0].elisionWidth, textWidth(texts[0].text, 18));
  EXPECT_EQ(texts[0].frame.width(), texts[0].elisionWidth);
  EXPECT_EQ(texts[1].frame.minX(), texts[0].frame.maxX() + 10);
  EXPECT_NEAR(texts[1].frame.maxX(), narrow.languageSwitchFrame().minX() - 16, 1e-9);
  EXPECT_EQ(texts[1].elisionWidth, texts[1].frame.width());
}

TEST(OverlayLayoutTest, GridsFollowTheirConstants) {
  Fixture f;
  GroupedShortcuts groups;
  groups["Edit"] = {{"Edit", "Redo", "⇧⌘Z"}, {"Edit", "No Caps", ""}};
  for (int i = 2; i < 9; ++i)
    groups["Edit"].emplace_back("Edit", "Item " + std::to_string(i), "⌘K");
  groups["File"];  // a menu whose list is empty
  const OverlayLayout layout = f.layout(std::move(groups), {1000, 700});
  const std::vector<Primitive> p = everything(layout);

  // Heading: padding top 8 of the grid, 10 of the heading; spans the grid's width.
  expectText(p, "EDIT", 24, 18, 952, kSemibold11, 0.45, 952);

  // Nine records give two columns of (952 - 8) / 2; rows are 20.4 caps + 2 tall, lines 6 apart.
  const double rowsTop = 18 + lineHeight(11) + 2 + 6;
  const double pitch = 6 + (lineHeight(12) + 6 + 2);
  const double capBox = textWidth("⌘", 12) + 12;
  const double capsWidth = 3 * capBox + 2 * 3;
  const double titleY = rowsTop + 1 + (20.4 - lineHeight(13)) / 2;
  const double redoWidth = 472 - capsWidth - 16;
  expectText(p, "Redo", 24, titleY, redoWidth, kRegular13, 0.85, redoWidth);
  const std::size_t shiftAt = indexOf(p, "⇧");
  EXPECT_EQ(
      std::get<RoundedRectPrimitive>(p[shiftAt - 1]),
      (RoundedRectPrimitive{{{24 + 472 - capsWidth, rowsTop + 1}, {capBox, lineHeight(12) + 6}},
                            5,
                            FillKind::white,
                            0.12}));
  const TextPrimitive shift =
      expectText(p, "⇧", 24 + 472 - capsWidth + 6, rowsTop + 4, capBox - 12, kMono12, 0.95);
  const TextPrimitive z = std::get<TextPrimitive>(p[shiftAt + 4]);
  EXPECT_EQ(z.text, "Z");
  EXPECT_NEAR(z.frame.minX(), shift.frame.minX() + 2 * (capBox + 3), 1e-9);

  // Second cell: no caps, so the title may take all but the gaps around the flexible space.
  expectText(p, "No Caps", 24 + 472 + 8, titleY, 472 - 16, kRegular13, 0.85, 472 - 16);
  EXPECT_EQ(indexOf(p, "Item 2"), indexOf(p, "No Caps") + 1);
  EXPECT_NEAR(std::get<TextPrimitive>(p[indexOf(p, "Item 8")]).frame.minY(), titleY + 4 * pitch,
              1e-9);

  // The empty menu shows its heading and no rows: the separator comes next.
  const double fileTop = rowsTop + 5 * pitch;
  expectText(p, "FILE", 24, fileTop + 10, 952, kSemibold11, 0.45, 952);
  EXPECT_TRUE(std::holds_alternative<LinePrimitive>(p.at(indexOf(p, "FILE") + 1)));

  // The system grid follows the separator row (16 + label + 16) with no top padding, 4 columns.
  const double systemTop = fileTop + lineHeight(11) + 12 + 16 + lineHeight(11) + 16;
  expectText(p, "GENERAL", 24, systemTop + 10, 952, kSemibold11, 0.45, 952);
  const double firstRow = systemTop + lineHeight(11) + 12 + 6 + 1 + (20.4 - lineHeight(13)) / 2;
  const double column = (952 - 3 * 8) / 4.0 + 8;
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
      groups[menu].emplace_back(menu, std::string(menu).append(" ").append(std::to_string(i)),
                                i % 3 == 0 ? "⌥⌘Esc" : "⌘K");
    }
  }
  return groups;
}

TEST(OverlayLayoutTest, AVisibleQueryReturnsExactlyTheIntersectingPrimitives) {
  Fixture f;
  const OverlayLayout layout = f.layout(unevenGroups(), {900, 600});
  const std::vector<Primitive> all = everything(layout);
  // Headings 5 + 4, titles 51 + 27, the separator label, caps 121 + 62.
  EXPECT_EQ(ofKind<TextPrimitive>(all).size(), 9u + 78 + 1 + 121 + 62);
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

}  // namespace
}  // namespace tavrine
