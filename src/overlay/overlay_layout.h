// SPDX-License-Identifier: MIT
// The overlay's view tree laid out as positioned primitives for a painter: a fixed part (backdrop,
// header, divider) in panel coordinates and a scrolling part queried by visible rectangle.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "overlay/overlay_view.h"
#include "ports/geometry.h"
#include "ports/text_measurer.h"
#include "ports/workspace.h"

namespace tavrine {

enum class FillKind {
  white,     // white at the primitive's opacity
  backdrop,  // the dark, ultra-thin translucent material behind all content
};

// A filled rectangle whose corners are continuous: curvature rises smoothly from the straight
// edges. All shapes are drawn anti-aliased.
struct RoundedRectPrimitive {
  Rect frame;
  double cornerRadius = 0;
  FillKind fill = FillKind::white;
  double opacity = 1;
  friend bool operator==(const RoundedRectPrimitive&, const RoundedRectPrimitive&) = default;
};

// A divider: `frame` filled with white at `opacity` (one point thick).
struct LinePrimitive {
  Rect frame;
  double opacity = 1;
  friend bool operator==(const LinePrimitive&, const LinePrimitive&) = default;
};

// One line of plain text, drawn in white from the top-left of `frame` and never interpreted as
// markup: much of it comes from other applications. The frame's width is the text's natural
// width where the layout measured it, otherwise the width the text may take (headings and row
// titles). A text that did not fit arrives shortened by the layout, measured with the same
// measurer the painter draws with, and ends in "…".
struct TextPrimitive {
  std::string text;
  Rect frame;
  Font font;
  double opacity = 1;
  friend bool operator==(const TextPrimitive&, const TextPrimitive&) = default;
};

// A symbol image at a font size, in white at `opacity`: a header symbol or the glyph of a key cap.
struct SymbolPrimitive {
  Symbol symbol = Symbol::globe;
  Rect frame;
  double pointSize = 0;
  double opacity = 1;
  friend bool operator==(const SymbolPrimitive&, const SymbolPrimitive&) = default;
};

// The frontmost application's icon, stretched to `frame` and clipped to a rounded rectangle.
struct IconPrimitive {
  ImageRef image;
  Rect frame;
  double cornerRadius = 0;
  friend bool operator==(const IconPrimitive&, const IconPrimitive&) = default;
};

// The mark of a row whose shortcut something takes before the application: a round badge with
// an exclamation mark, white at `opacity`, beside the row's caps.
struct ConflictMarkPrimitive {
  Rect frame;
  double opacity = 1;
  friend bool operator==(const ConflictMarkPrimitive&, const ConflictMarkPrimitive&) = default;
};

using Primitive = std::variant<RoundedRectPrimitive, LinePrimitive, TextPrimitive, SymbolPrimitive,
                               IconPrimitive, ConflictMarkPrimitive>;

// Where a primitive is drawn.
const Rect& frameOf(const Primitive& primitive);

// One render's layout, for one panel size. Coordinates have their origin at the top left and
// grow downward. Build a new layout after each language change or resize: texts and sizes are
// fixed at construction, except headings and row titles, which are made by the visible-rectangle
// query so that a query costs in proportion to what it returns, whatever the number of rows.
class OverlayLayout {
 public:
  // The toolkit's standard gap between neighbouring elements: between the header's children and
  // around the separator label.
  static constexpr double kDefaultSpacing = 8;
  // Between grid columns: wide enough that a cell's caps never read as part of the next title.
  static constexpr double kColumnGap = 20;
  // The panel's rounded shape: the painter clips everything to it.
  static constexpr double kPanelCornerRadius = 16;

  // The smallest and largest `scale`.
  static constexpr double kMinScale = 0.5;
  static constexpr double kMaxScale = 3;

  // `icon` is the frontmost application's icon as read for this render, or null when there is
  // none. The measurer must outlive the layout. `scale` sizes everything the panel draws (fonts,
  // paddings, caps, gaps, corners) at once; the panel's size stays what it is given.
  OverlayLayout(std::shared_ptr<const OverlayView> view, const TextMeasurer& measurer,
                Size panelSize, ImageRef icon, double scale = 1);
  OverlayLayout(const OverlayLayout&) = delete;
  OverlayLayout& operator=(const OverlayLayout&) = delete;

  Size panelSize() const { return shownSize_; }
  double scale() const { return scale_; }
  // The panel's rounded shape at this scale: the painter clips everything to it.
  double panelCornerRadius() const { return kPanelCornerRadius * scale_; }
  // Backdrop, header and divider in panel coordinates, in painting order.
  const std::vector<Primitive>& fixedPrimitives() const { return fixed_; }
  // The language switch's button, in panel coordinates: where its pop-up menu opens.
  Rect languageSwitchFrame() const { return languageSwitch_; }
  // The scrolling area in panel coordinates: everything below the divider.
  Rect scrollFrame() const { return scrollFrame_; }
  // The scroll content is as wide as the panel and this tall.
  double contentHeight() const { return contentHeight_; }

  // The scroll content's primitives that intersect `visible` (content coordinates), in painting
  // order. Pass the scroll offset and the viewport's size.
  std::vector<Primitive> primitivesIn(const Rect& visible) const;

  // The line that says why the application has no rows (content coordinates); none when it has.
  const std::optional<TextPrimitive>& emptyReason() const { return emptyReason_; }

  // Where a section's heading line and a row's cell lie, in content coordinates, without
  // building anything: for assistive technologies. Sections and rows are numbered in display
  // order within the application grid (sorted groups) or the system catalogue; out-of-range
  // numbers give an empty rectangle.
  enum class Section { application, system };
  Rect headingFrame(Section grid, std::size_t section) const;
  Rect rowFrame(Section grid, std::size_t section, std::size_t row) const;
  // The columns a grid uses: its usual count, fewer where a cell could not hold the widest caps
  // beside a title of one character and "…".
  int columns(Section grid) const;

 private:
  struct Grid {
    bool isApp = true;  // the application grid, else the system catalogue
    double x = 0;
    double width = 0;
    double top = 0;
    double height = 0;
    int columns = 1;
    double columnWidth = 0;
    std::vector<std::size_t> rowCounts;  // per section
    std::vector<double> sectionTops;     // ascending
    std::vector<double> sectionBottoms;  // ascending
  };

  void layOutHeader(const ImageRef& icon);
  void layOutGrid(Grid& grid, double top) const;
  void layOutSeparator(double top);
  void appendGrid(const Grid& grid, const Rect& visible, std::vector<Primitive>& out) const;
  Rect headingFrame(const Grid& grid, std::size_t section) const;
  Rect cellFrame(const Grid& grid, std::size_t section, std::size_t row) const;
  void appendRow(const ShortcutRow& row, const Rect& cell, const Rect& visible,
                 std::vector<Primitive>& out) const;
  // One key cap: its text, or the symbol drawn for it, and its widths. A separator between two
  // shortcuts of a row is laid out among the caps but drawn as plain text, without a cap.
  struct Cap {
    std::string text;
    std::optional<Symbol> symbol;
    bool separator = false;
    double inner = 0;  // the text or symbol
    double width = 0;  // the cap, padded; one character's at least as wide as it is tall
  };
  Cap makeCap(std::string text) const;
  Cap makeSeparator() const;
  std::vector<Cap> makeCaps(const ShortcutRow& row) const;
  static double capsWidth(const std::vector<Cap>& caps);
  // The most columns, up to `usual`, whose cells hold `widestCaps` beside a shortest title.
  int fittingColumns(int usual, double gridWidth, double widestCaps) const;
  // `text` cut to `width` in `font`: the longest start that fits with "…" after it, without the
  // spaces that would stand before the "…"; empty when not even its first character fits.
  std::string elided(const std::string& text, const Font& font, double width) const;

  // The layout is worked out at scale 1 with fonts measured at their scaled sizes (divided back
  // down), so a text that fits there fits as drawn; what leaves the layout is scaled up.
  class ScaledMeasurer final : public TextMeasurer {
   public:
    ScaledMeasurer(const TextMeasurer& measurer, double scale)
        : measurer_(&measurer), scale_(scale) {}
    Size measure(std::string_view text, const Font& font) const override;
    Size measure(Symbol symbol, double pointSize) const override;

   private:
    const TextMeasurer* measurer_;
    double scale_;
  };
  static Rect scaledBy(const Rect& rect, double factor);
  Rect scaled(const Rect& rect) const { return scale_ == 1 ? rect : scaledBy(rect, scale_); }
  Primitive scaled(Primitive primitive) const;

  std::shared_ptr<const OverlayView> view_;
  double scale_;
  ScaledMeasurer scaledMeasurer_;
  const TextMeasurer* measurer_;
  Size shownSize_;
  Size panelSize_;  // at scale 1

  std::vector<const OverlayView::Group*> appGroups_;
  double headingLineHeight_ = 0;
  double titleLineHeight_ = 0;
  double capLineHeight_ = 0;
  double rowHeight_ = 0;
  double headingHeight_ = 0;
  double capHeight_ = 0;
  double singleCapWidth_ = 0;  // of a cap holding one character or key glyph
  double shortestTitle_ = 0;   // a wide character and "…": what a title keeps before columns go

  std::vector<Primitive> fixed_;
  Rect languageSwitch_;
  Rect scrollFrame_;
  Grid appGrid_;
  Grid systemGrid_;
  std::optional<TextPrimitive> emptyReason_;
  Rect separatorFrame_;
  std::vector<Primitive> separator_;
  double contentHeight_ = 0;
};

}  // namespace tavrine
