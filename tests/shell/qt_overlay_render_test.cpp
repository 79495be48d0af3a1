// SPDX-License-Identifier: MIT
// The overlay as painted: its shape, its caps, its glyphs and its plain text.
#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QRawFont>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "overlay/overlay_window_controller.h"
#include "overlay_test_support.h"
#include "qt_event_loop.h"
#include "shell/overlay/overlay_painter.h"
#include "shell/overlay/overlay_widget.h"
#include "shell/qt/qt_image.h"

namespace tavrine::qt {
namespace {

using namespace doubles;

// The panel of a 1440 × 900 screen.
QSize panelSize() {
  return toQRectF(OverlayWindowController::panelFrame({{0, 0}, {1440, 900}})).size().toSize();
}

// Content primitives shown now, with frames moved into widget coordinates.
std::vector<Primitive> visiblePrimitives(const OverlayWidget& w) {
  const OverlayLayout& layout = w.overlayLayout();
  std::vector<Primitive> shown = layout.primitivesIn(w.visibleContentRect());
  for (Primitive& p : shown) {
    std::visit([&](auto& v) { v.frame.origin.y += layout.scrollFrame().minY() - w.scrollOffset(); },
               p);
  }
  return shown;
}

class QtOverlayRenderTest : public ::testing::TestWithParam<bool> {};

// A rounded dark backdrop that lets the desktop show through; caps lighter than it with their key
// drawn where measured, one size; headings at 4:1 over any page; a glyph for every character of
// every text, scrolled or not, in the font it is drawn in.
TEST_P(QtOverlayRenderTest, PaintsTheBackdropCapsHeadingsAndEveryCharacter) {
  TranslationHelper t;
  t.setIsZH(GetParam());
  OverlayWidget w(makeView(editorRecords(), t));
  w.resize(panelSize());
  const QImage image = straightAlpha(w.renderImage());
  ASSERT_EQ(image.size(), panelSize());
  const int right = image.width() - 1;
  const int bottom = image.height() - 1;
  for (const QPoint corner : {QPoint(0, 0), QPoint(right, 0), QPoint(0, bottom),
                              QPoint(right, bottom), QPoint(3, 3), QPoint(right - 3, bottom - 3)})
    EXPECT_EQ(image.pixelColor(corner).alpha(), 0) << corner.x() << "," << corner.y();
  for (const QPoint inside : {QPoint(image.width() / 2, 1), QPoint(1, image.height() / 2),
                              QPoint(12, 12), QPoint(10, image.height() - 40)}) {
    const QColor c = image.pixelColor(inside);
    EXPECT_TRUE(c.alpha() > 150 && c.alpha() < 255 && c.red() < 70)
        << inside.x() << "," << inside.y();
  }

  const QColor backdrop = image.pixelColor(10, image.height() / 2);  // the grid's leading padding
  int caps = 0, glyphs = 0;
  for (const Primitive& p : visiblePrimitives(w)) {
    if (frameOf(p).maxY() > image.height()) continue;
    const QRectF frame = toQRectF(frameOf(p));
    if (const auto* cap = std::get_if<RoundedRectPrimitive>(&p);
        cap && cap->fill == FillKind::white) {
      ++caps;
      const QColor fill = image.pixelColor(static_cast<int>(frame.left() + 3),
                                           static_cast<int>(frame.center().y()));
      EXPECT_TRUE(fill.red() > backdrop.red() + 12 && fill.alpha() > 150);
      EXPECT_TRUE(inkSpan(image, frame.adjusted(2, 2, -2, -2)).has_value());
    } else if (std::holds_alternative<SymbolPrimitive>(p)) {
      ++glyphs;
      const auto ink = inkSpan(image, frame.adjusted(-4, 0, 4, 0));
      ASSERT_TRUE(ink.has_value());
      EXPECT_TRUE(ink->left >= frame.left() - 1 && ink->right <= frame.right() + 1 &&
                  ink->width() >= 0.6 * frame.width())
          << "inked " << ink->left << ".." << ink->right;
    }
  }
  EXPECT_GT(caps, 100);  // the editor's caps on the first screenful
  EXPECT_GT(glyphs, 50);

  for (const QColor page : {QColor(Qt::white), QColor(Qt::black)}) {
    const QImage shown = doubles::over(image, page);
    int headings = 0;
    for (const Primitive& p : visiblePrimitives(w)) {
      const auto* text = std::get_if<TextPrimitive>(&p);
      if (text == nullptr || text->font.weight != FontWeight::semibold ||
          text->frame.maxY() > shown.height())
        continue;
      ++headings;
      // The backdrop in the padding before the heading against its brightest (whole) stroke.
      const QRect frame = toQRectF(text->frame).toAlignedRect();
      const QColor behind = shown.pixelColor(frame.left() - 6, frame.center().y());
      QColor ink = behind;
      for (int y = frame.top(); y <= frame.bottom(); ++y)
        for (int x = frame.left(); x <= frame.right(); ++x)
          if (shown.pixelColor(x, y).lightness() > ink.lightness()) ink = shown.pixelColor(x, y);
      EXPECT_GE(doubles::contrastRatio(ink, behind), 4.0)
          << text->text << " over " << page.name().toStdString();
    }
    EXPECT_GE(headings, 4);
  }

  const OverlayLayout& layout = w.overlayLayout();
  std::vector<Primitive> all = layout.fixedPrimitives();
  for (Primitive& p :
       layout.primitivesIn({{0, 0}, {layout.panelSize().width, layout.contentHeight()}}))
    all.push_back(std::move(p));
  std::set<std::string> checked;
  for (const Primitive& p : all) {
    const auto* text = std::get_if<TextPrimitive>(&p);
    if (text == nullptr) continue;
    checked.insert(text->text);
    for (const QGlyphRun& run : glyphRuns(displayText(text->text), w.measurer().font(text->font)))
      for (const quint32 glyph : run.glyphIndexes())
        EXPECT_NE(glyph, 0u) << text->text << " has a missing glyph in "
                             << run.rawFont().familyName().toStdString();
  }
  // Not vacuous: the fixed texts of the language are among those checked.
  EXPECT_TRUE(checked.contains(GetParam() ? "系统快捷键" : "System Shortcuts"));
  EXPECT_TRUE(checked.contains("Tab"));
}

INSTANTIATE_TEST_SUITE_P(QtOverlay, QtOverlayRenderTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& p) {
                           return p.param ? "Chinese" : "English";
                         });

// A one-record overlay whose row title is `title`, painted: the title's ink width and the width
// the layout gave its text.
std::pair<int, double> paintTitle(const std::string& title, QSize size = panelSize()) {
  TranslationHelper t;
  OverlayWidget w(makeView({doubles::record("File", title, "k")}, t));
  w.resize(size);
  const QImage image = straightAlpha(w.renderImage());
  for (const Primitive& p : visiblePrimitives(w)) {
    const auto* text = std::get_if<TextPrimitive>(&p);
    // The title as shown: whole, or its start and "…".
    if (text == nullptr ||
        (text->text != title &&
         !(text->text.ends_with("…") &&
           title.starts_with(text->text.substr(0, text->text.size() - std::string("…").size())))))
      continue;
    const auto span = inkSpan(image, toQRectF(text->frame));
    if (!span) break;
    EXPECT_NEAR(span->left, text->frame.minX(), 2);
    return {span->width(), text->frame.width()};
  }
  ADD_FAILURE() << "nothing painted for " << title;
  return {};
}

TEST(QtOverlayTextTest, TitlesArePlainTextInOwnOrderCutWithinTheirCellEmojiWhole) {
  QtTextMeasurer measurer;
  const Font titleFont{13, FontWeight::regular, FontDesign::standard};
  const QFontMetricsF plain = measurer.metrics(titleFont);
  const QFontMetricsF bold = measurer.metrics({13, FontWeight::bold, FontDesign::standard});

  // Markup drawn as it reads; Qt would end a measured text at U+009C and break a drawn one at a
  // newline: both are shown as spaces, measured and painted alike, so nothing after them is lost.
  const std::string variant =
      "Save\xC2\x9C"
      "Copy Now";
  EXPECT_EQ(measurer.measure(variant, titleFont).width,
            measurer.measure("Save Copy Now", titleFont).width);
  const std::pair<std::string, const char*> titles[] = {
      {"<b>Bold</b>", "<b>Bold</b>"}, {variant, "Save Copy Now"}, {"Two\nLines", "Two Lines"}};
  for (const auto& [title, shown] : titles)
    EXPECT_NEAR(paintTitle(title).first, plain.horizontalAdvance(QString::fromUtf8(shown)), 3)
        << title;
  EXPECT_GT(paintTitle("<b>Bold</b>").first, bold.horizontalAdvance(QStringLiteral("Bold")) + 20)
      << "drawn as rich text";

  // Too long: cut, ending in "…", using the room it has.
  const auto [cutInk, cutWidth] = paintTitle(std::string(200, 'W'), {420, 300});
  EXPECT_LE(cutInk, cutWidth + 1);
  EXPECT_GT(cutInk, cutWidth * 0.8);

  // An override in another application's title would draw it reversed: titles draw in their
  // characters' own order; emoji are drawn whole from the colour emoji face.
  const auto xOf = [&](const QString& text, char16_t c) {
    for (const QGlyphRun& run : glyphRuns(text, measurer.font({}))) {
      const qsizetype at = run.glyphIndexes().indexOf(
          run.rawFont().glyphIndexesForString(QString(QChar(c))).value(0));
      if (at >= 0) return run.positions().at(at).x();
    }
    return -1.0;
  };
  EXPECT_LT(xOf(displayText("\u202Eab"), u'a'), xOf(displayText("\u202Eab"), u'b'));
  EXPECT_EQ(measurer.measure("\u202ESave", {}).width, measurer.measure("Save", {}).width);

  // Emoji: a CJK face has a monochrome 🆕; a ZWJ family, a flag and a skin tone are one glyph each.
  for (const char* emoji : {"🆕", "👨‍👩‍👧‍👦", "🇯🇵", "👍🏽"}) {
    const QList<QGlyphRun> runs = glyphRuns(QString::fromUtf8(emoji), measurer.font({}));
    ASSERT_EQ(runs.size(), 1) << emoji;
    EXPECT_TRUE(runs[0].rawFont().familyName().contains(QLatin1String("Emoji"))) << emoji;
    EXPECT_EQ(runs[0].glyphIndexes().size(), 1) << emoji;
    EXPECT_NE(runs[0].glyphIndexes().value(0), 0u) << emoji;
  }
}

TEST(QtOverlayRenderHeaderTest, ShowsTheIconTheApplicationWasReadWith) {
  TranslationHelper t;
  QImage red(64, 64, QImage::Format_ARGB32);
  red.fill(QColor(230, 20, 20));
  const auto view =
      makeView(editorRecords(), t, std::make_shared<QtImage>(QIcon(QPixmap::fromImage(red))));
  OverlayWidget w(view);
  w.resize(900, 500);
  std::optional<QRectF> frame;
  for (const Primitive& p : w.overlayLayout().fixedPrimitives())
    if (std::holds_alternative<IconPrimitive>(p)) frame = toQRectF(frameOf(p));
  ASSERT_TRUE(frame.has_value());
  const QImage image = straightAlpha(w.renderImage());
  const QColor middle = image.pixelColor(frame->center().toPoint());
  EXPECT_TRUE(middle.red() > 200 && middle.green() < 60);
  // The corner of the icon's frame lies outside its rounded shape: backdrop there.
  EXPECT_LT(image.pixelColor(frame->topLeft().toPoint()).red(), 120);
  // A search's narrowed view keeps it.
  EXPECT_EQ(view->narrowed({}, {}).icon(), view->icon());
}

TEST(QtOverlayScrollTest, ScrollsToTheEndOfTheContentAndNoFurther) {
  TranslationHelper t;
  OverlayWidget w(makeView(editorRecords(), t));
  w.resize(panelSize());
  w.show();
  const double contentHeight = w.overlayLayout().contentHeight();
  QScrollBar* bar = w.scrollBar();
  EXPECT_TRUE(bar->isVisible());
  w.scrollTo(40);

  // A wheel turn down moves the content up.
  QWheelEvent wheel(QPointF(600, 400), QPointF(600, 400), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(&w, &wheel);
  EXPECT_GT(w.scrollOffset(), 40);

  w.scrollTo(1e9);
  EXPECT_NEAR(w.visibleContentRect().maxY(), contentHeight, 1);  // the last row, whole

  // Tall enough for everything: no scrolling, no indicator.
  w.resize(1200,
           static_cast<int>(std::ceil(w.overlayLayout().scrollFrame().minY() + contentHeight)) + 2);
  EXPECT_FALSE(bar->isVisible());
  EXPECT_EQ(w.scrollOffset(), 0);
}

}  // namespace
}  // namespace tavrine::qt
