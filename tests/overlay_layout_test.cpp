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

double textWidth(std::string_view text, double size) {
  return FakeTextMeasurer::width(text, size);
}
double lineHeight(double size) {
  return FakeTextMeasurer::lineHeight(size);
}

struct TestImage final : Image {};

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

// The first text primitive showing `text`, and its index in `primitives`.
std::pair<TextPrimitive, std::size_t> findText(const std::vector<Primitive>& primitives,
                                               const std::string& text) {
  for (std::size_t i = 0; i < primitives.size(); ++i) {
    const auto* t = std::get_if<TextPrimitive>(&primitives[i]);
    if (t != nullptr && t->text == text) return {*t, i};
  }
  ADD_FAILURE() << "no text " << text;
  return {TextPrimitive{}, primitives.size()};
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
  const auto icon = std::make_shared<const TestImage>();
  const OverlayLayout withIcon = f.layout({}, {800, 600}, icon);
  const std::vector<Primitive>& p = withIcon.fixedPrimitives();

  const auto backdrop = std::get<RoundedRectPrimitive>(p.front());
  EXPECT_EQ(backdrop.fill, FillKind::backdrop);
  EXPECT_EQ(backdrop.cornerRadius, 16);
  expectFrame(backdrop.frame, 0, 0, 800, 600);

  // The icon sets the header's height: 28 between paddings of 16; everything centres on y 30.
  const auto icons = ofKind<IconPrimitive>(p);
  ASSERT_EQ(icons.size(), 1u);
  EXPECT_EQ(icons[0].image, icon);
  EXPECT_EQ(icons[0].cornerRadius, 6);
  expectFrame(icons[0].frame, 24, 16, 28, 28);

  const TextPrimitive name = findText(p, "Mail").first;
  expectFrame(name.frame, 62, 30 - lineHeight(18) / 2, textWidth("Mail", 18), lineHeight(18));
  EXPECT_EQ(name.font, (Font{18, FontWeight::bold, FontDesign::standard}));
  EXPECT_EQ(name.opacity, 1);
  EXPECT_EQ(name.elisionWidth, kInf);
  const TextPrimitive label = findText(p, "Keyboard Shortcuts").first;
  expectFrame(label.frame, name.frame.maxX() + 10, 30 - lineHeight(13) / 2,
              textWidth("Keyboard Shortcuts", 13), lineHeight(13));
  EXPECT_EQ(label.font, (Font{13, FontWeight::regular, FontDesign::standard}));
  EXPECT_EQ(label.opacity, 0.5);

  // The language switch: globe, "EN", chevron, 4 apart, inside paddings of 10 and 4, at the
  // trailing padding.
  const double switchWidth = 11 + 4 + textWidth("EN", 11) + 4 + 8 + 20;
  const double switchHeight = lineHeight(11) + 8;
  const Rect button = withIcon.languageSwitchFrame();
  expectFrame(button, 800 - 24 - switchWidth, 30 - switchHeight / 2, switchWidth, switchHeight);
  const auto backgrounds = ofKind<RoundedRectPrimitive>(p);
  ASSERT_EQ(backgrounds.size(), 2u);
  EXPECT_EQ(backgrounds[1], (RoundedRectPrimitive{button, 6, FillKind::white, 0.1}));
  const auto symbols = ofKind<SymbolPrimitive>(p);
  ASSERT_EQ(symbols.size(), 2u);
  EXPECT_EQ(symbols[0].symbol, Symbol::globe);
  EXPECT_EQ(symbolName(symbols[1].symbol), "chevron.down");
  expectFrame(symbols[0].frame, button.minX() + 10, 30 - 5.5, 11, 11);
  const TextPrimitive language = findText(p, "EN").first;
  expectFrame(language.frame, button.minX() + 25, 30 - lineHeight(11) / 2, textWidth("EN", 11),
              lineHeight(11));
  EXPECT_EQ(language.font, (Font{11, FontWeight::medium, FontDesign::standard}));
  expectFrame(symbols[1].frame, language.frame.maxX() + 4, 26, 8, 8);
  for (double opacity : {symbols[0].opacity, symbols[1].opacity, language.opacity}) {
    EXPECT_EQ(opacity, 0.7);
  }

  const auto dividers = ofKind<LinePrimitive>(p);
  ASSERT_EQ(dividers.size(), 1u);
  EXPECT_EQ(dividers[0].opacity, 0.15);
  expectFrame(dividers[0].frame, 0, 60, 800, 1);
  expectFrame(withIcon.scrollFrame(), 0, 61, 800, 539);

  // Without an icon the name starts at the leading padding and the text sets the height.
  const OverlayLayout plain = f.layout({}, {800, 600});
  EXPECT_TRUE(ofKind<IconPrimitive>(plain.fixedPrimitives()).empty());
  const double content = lineHeight(18);
  EXPECT_EQ(findText(plain.fixedPrimitives(), "Mail").first.frame.minX(), 24);
  expectFrame(plain.scrollFrame(), 0, content + 32 + 1, 800, 600 - content - 33);
}

TEST(OverlayLayoutTest, NarrowHeaderElidesNameAndLabelBeforeTheSwitch) {
  Fixture f;
  const OverlayLayout layout = f.layout({}, {260, 400}, nullptr, "A Rather Long Application");
  const auto& p = layout.fixedPrimitives();
  const TextPrimitive name = findText(p, "A Rather Long Application").first;
  const TextPrimitive label = findText(p, "Keyboard Shortcuts").first;
  EXPECT_LT(name.elisionWidth, textWidth(name.text, 18));
  EXPECT_EQ(name.frame.width(), name.elisionWidth);
  EXPECT_EQ(label.frame.minX(), name.frame.maxX() + 10);
  EXPECT_NEAR(label.frame.maxX(), layout.languageSwitchFrame().minX() - 16, 1e-9);
  EXPECT_EQ(label.elisionWidth, label.frame.width());
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
  const TextPrimitive edit = findText(p, "EDIT").first;
  expectFrame(edit.frame, 24, 18, 952, lineHeight(11));
  EXPECT_EQ(edit.font, (Font{11, FontWeight::semibold, FontDesign::standard}));
  EXPECT_EQ(edit.opacity, 0.45);
  EXPECT_EQ(edit.elisionWidth, 952);

  // Nine records give two columns of (952 - 8) / 2; rows are 20.4 caps + 2 tall, lines 6 apart.
  const double rowsTop = 18 + lineHeight(11) + 2 + 6;
  const double pitch = 6 + (lineHeight(12) + 6 + 2);
  const double capBox = textWidth("⌘", 12) + 12;
  const double capsWidth = 3 * capBox + 2 * 3;
  const TextPrimitive redo = findText(p, "Redo").first;
  expectFrame(redo.frame, 24, rowsTop + 1 + (20.4 - lineHeight(13)) / 2, 472 - capsWidth - 16,
              lineHeight(13));
  EXPECT_EQ(redo.elisionWidth, redo.frame.width());
  EXPECT_EQ(redo.font, (Font{13, FontWeight::regular, FontDesign::standard}));
  EXPECT_EQ(redo.opacity, 0.85);

  const auto [shift, shiftAt] = findText(p, "⇧");
  const auto capBackground = std::get<RoundedRectPrimitive>(p[shiftAt - 1]);
  EXPECT_EQ(capBackground.cornerRadius, 5);
  EXPECT_EQ(capBackground.opacity, 0.12);
  expectFrame(capBackground.frame, 24 + 472 - capsWidth, rowsTop + 1, capBox, lineHeight(12) + 6);
  expectFrame(shift.frame, capBackground.frame.minX() + 6, rowsTop + 4, capBox - 12,
              lineHeight(12));
  EXPECT_EQ(shift.font, (Font{12, FontWeight::regular, FontDesign::monospaced}));
  EXPECT_EQ(shift.opacity, 0.95);
  const TextPrimitive z = std::get<TextPrimitive>(p[shiftAt + 4]);
  EXPECT_EQ(z.text, "Z");
  EXPECT_NEAR(z.frame.minX(), shift.frame.minX() + 2 * (capBox + 3), 1e-9);

  // Second cell: no caps, so the title may take all but the gaps around the flexible space.
  const auto [noCaps, noCapsAt] = findText(p, "No Caps");
  expectFrame(noCaps.frame, 24 + 472 + 8, redo.frame.minY(), 472 - 16, lineHeight(13));
  EXPECT_EQ(findText(p, "Item 2").second, noCapsAt + 1);
  EXPECT_NEAR(findText(p, "Item 8").first.frame.minY(), redo.frame.minY() + 4 * pitch, 1e-9);

  // The empty menu shows its heading and no rows: the separator comes next.
  const auto [file, fileAt] = findText(p, "FILE");
  const double fileTop = rowsTop + 5 * pitch;
  EXPECT_NEAR(file.frame.minY(), fileTop + 10, 1e-9);
  ASSERT_LT(fileAt + 1, p.size());
  EXPECT_TRUE(std::holds_alternative<LinePrimitive>(p[fileAt + 1]));

  // The system grid follows the separator row (16 + label + 16) with no top padding, 4 columns.
  const double systemTop = fileTop + lineHeight(11) + 12 + 16 + lineHeight(11) + 16;
  EXPECT_NEAR(findText(p, "GENERAL").first.frame.minY(), systemTop + 10, 1e-9);
  const double firstRow = systemTop + lineHeight(11) + 12 + 6 + 1 + (20.4 - lineHeight(13)) / 2;
  const double column = (952 - 3 * 8) / 4.0 + 8;
  // Titles only the catalogue has: second and fourth on its first line, second on the next.
  const Rect paste = findText(p, "Paste").first.frame;
  const Rect undo = findText(p, "Undo").first.frame;
  const Rect selectAll = findText(p, "Select All").first.frame;
  EXPECT_NEAR(paste.minX(), 24 + column, 1e-9);
  EXPECT_NEAR(paste.minY(), firstRow, 1e-9);
  EXPECT_NEAR(undo.minX(), 24 + 3 * column, 1e-9);
  EXPECT_NEAR(selectAll.minX(), 24 + column, 1e-9);
  EXPECT_NEAR(selectAll.minY(), firstRow + pitch, 1e-9);
  // Four sections of two lines each, then the bottom padding.
  const double section = lineHeight(11) + 12 + 2 * pitch;
  EXPECT_NEAR(layout.contentHeight(), systemTop + 4 * section + 3 * 6 + 20, 1e-9);
}

TEST(OverlayLayoutTest, SeparatorRowWithAndWithoutApplicationShortcuts) {
  Fixture f;
  const std::string label = "System Shortcuts";
  const double labelWidth = textWidth(label, 11);

  // No groups: the application grid is only its top padding.
  const OverlayLayout wide = f.layout({}, {400, 500});
  const std::vector<Primitive> p = everything(wide);
  const auto [text, textAt] = findText(p, label);
  EXPECT_EQ(textAt, 1u);
  const double lineWidth = (400 - 48 - labelWidth - 16) / 2;
  expectFrame(text.frame, 24 + lineWidth + 8, 8 + 16, labelWidth, lineHeight(11));
  EXPECT_EQ(text.font, (Font{11, FontWeight::medium, FontDesign::standard}));
  EXPECT_EQ(text.opacity, 0.4);
  const auto lines = std::vector<Primitive>(p.begin(), p.begin() + 3);
  const auto dividers = ofKind<LinePrimitive>(lines);
  ASSERT_EQ(dividers.size(), 2u);
  const double centre = text.frame.midY() - 0.5;
  expectFrame(dividers[0].frame, 24, centre, lineWidth, 1);
  expectFrame(dividers[1].frame, text.frame.maxX() + 8, centre, lineWidth, 1);
  EXPECT_EQ(dividers[1].opacity, 0.15);

  // Narrow: the label keeps its natural width and is never elided; the lines give way.
  const OverlayLayout narrow = f.layout({}, {100, 500});
  const std::vector<Primitive> q = everything(narrow);
  const TextPrimitive kept = findText(q, label).first;
  EXPECT_EQ(kept.frame.width(), labelWidth);
  EXPECT_EQ(kept.elisionWidth, kInf);
  EXPECT_EQ(kept.frame.minX(), 24 + 8);
  EXPECT_TRUE(ofKind<LinePrimitive>(q).empty());
}

// A tree of uneven groups (one empty) in four columns, so that lines end part-filled.
GroupedShortcuts unevenGroups() {
  GroupedShortcuts groups;
  groups["Archive"];
  const std::vector<std::pair<std::string, int>> sizes = {
      {"Edit", 1}, {"File", 7}, {"View", 13}, {"Window", 30}};
  for (const auto& [menu, size] : sizes) {
    auto& items = groups[menu];
    for (int i = 0; i < size; ++i) {
      items.emplace_back(menu, menu + " " + std::to_string(i), i % 3 == 0 ? "⌥⌘Esc" : "⌘K");
    }
  }
  return groups;
}

TEST(OverlayLayoutTest, VisibleQueryReturnsExactlyTheIntersectingPrimitives) {
  Fixture f;
  const OverlayLayout layout = f.layout(unevenGroups(), {900, 600});
  const std::vector<Primitive> all = everything(layout);
  // Headings 5 + 4, titles 51 + 27, the separator label, caps 121 + 62.
  EXPECT_EQ(ofKind<TextPrimitive>(all).size(), 9u + 78 + 1 + 121 + 62);

  const auto expectExact = [&](const Rect& visible) {
    std::vector<Primitive> expected;
    for (const Primitive& p : all) {
      if (std::visit([&](const auto& v) { return v.frame.intersects(visible); }, p)) {
        expected.push_back(p);
      }
    }
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
    const Rect frame = std::visit([](const auto& v) { return v.frame; }, p);
    expectExact({{0, frame.maxY()}, {900, 5}});
    expectExact({{0, frame.minY() - 5}, {900, 5}});
  }
  EXPECT_TRUE(layout.primitivesIn({{0, 100}, {900, 0}}).empty());
}

TEST(OverlayLayoutTest, HeadingAndRowFramesHoldExactlyWhatIsDrawnThere) {
  Fixture f;
  const OverlayLayout layout = f.layout(unevenGroups(), {900, 600});
  using Section = OverlayLayout::Section;
  const auto inside = [](const Rect& inner, const Rect& outer) {
    return inner.minX() >= outer.minX() && inner.maxX() <= outer.maxX() &&
           inner.minY() >= outer.minY() && inner.maxY() <= outer.maxY();
  };
  // "Window" is the fifth sorted group (after Archive, Edit, File, View); row 17 of 30.
  const Rect cell = layout.rowFrame(Section::application, 4, 17);
  const std::vector<Primitive> drawn = layout.primitivesIn(cell);
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(ofKind<TextPrimitive>(drawn).front().text, "Window 17");
  for (const Primitive& p : drawn) {
    EXPECT_TRUE(inside(std::visit([](const auto& v) { return v.frame; }, p), cell));
  }
  const Rect heading = layout.headingFrame(Section::system, 2);
  EXPECT_EQ(findText(layout.primitivesIn(heading), "SYSTEM").first.frame, heading);

  EXPECT_EQ(layout.rowFrame(Section::application, 0, 0), Rect{});  // "Archive" has no rows
  EXPECT_EQ(layout.rowFrame(Section::system, 4, 0), Rect{});
  EXPECT_EQ(layout.headingFrame(Section::application, 5), Rect{});
}

TEST(OverlayLayoutTest, QueryCostDoesNotGrowWithRowCount) {
  const auto callsFor = [](std::size_t rows, double offset) {
    TranslationHelper t;
    FakeTextMeasurer measurer;
    GroupedShortcuts groups;
    auto& items = groups["Edit"];
    for (std::size_t i = 0; i < rows; ++i)
      items.emplace_back("Edit", "Copy", "⇧⌘C");
    const OverlayLayout layout(std::make_shared<const OverlayView>("App", std::move(groups), t),
                               measurer, {1200, 800}, nullptr);
    const std::size_t shown = layout.primitivesIn({{0, offset}, {1200, 700}}).size();
    EXPECT_GT(shown, 0u);
    return std::pair{measurer.calls(), shown};
  };
  EXPECT_EQ(callsFor(100, 0), callsFor(10000, 0));
  EXPECT_EQ(callsFor(10000, 30000), callsFor(20000, 30000));
}

}  // namespace
}  // namespace tavrine
