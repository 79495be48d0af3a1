// SPDX-License-Identifier: MIT
#include "overlay/overlay_layout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>

#include "text/unicode.h"

namespace tavrine {
namespace {

// Header.
constexpr double kHeaderPaddingH = 24;
constexpr double kHeaderPaddingV = 16;
constexpr double kNameStackGap = 10;
constexpr double kIconSide = 28;
constexpr double kIconCornerRadius = 6;
constexpr Font kNameFont{18, FontWeight::bold, FontDesign::standard};
constexpr double kNameOpacity = 1;
constexpr Font kHeaderLabelFont{13, FontWeight::regular, FontDesign::standard};
constexpr double kHeaderLabelOpacity = 0.5;

// Language switch.
constexpr double kGlobeSize = 11;
constexpr double kChevronSize = 8;
constexpr Font kLanguageFont{11, FontWeight::medium, FontDesign::standard};
constexpr double kSwitchGap = 4;
constexpr double kSwitchPaddingH = 10;
constexpr double kSwitchPaddingV = 4;
constexpr double kSwitchContentOpacity = 0.7;
constexpr double kSwitchCornerRadius = 6;
constexpr double kSwitchFillOpacity = 0.1;

// Dividers.
constexpr double kDividerThickness = 1;
constexpr double kDividerOpacity = 0.15;

// Scroll content.
constexpr double kContentPaddingBottom = 20;
constexpr double kGridPaddingH = 24;
constexpr double kAppGridPaddingTop = 8;
constexpr double kGridLineGap = 6;
constexpr double kMinColumnWidth = 10;
constexpr Font kHeadingFont{11, FontWeight::semibold, FontDesign::standard};
constexpr double kHeadingOpacity = 0.45;
constexpr double kHeadingPaddingTop = 10;
constexpr double kHeadingPaddingBottom = 2;

// Separator row.
constexpr double kSeparatorPaddingH = 24;
constexpr double kSeparatorPaddingV = 16;
constexpr Font kSeparatorFont{11, FontWeight::medium, FontDesign::standard};
constexpr double kSeparatorOpacity = 0.4;

// Shortcut rows.
constexpr double kRowGap = 8;
constexpr double kRowPaddingV = 1;
constexpr Font kTitleFont{13, FontWeight::regular, FontDesign::standard};
constexpr double kTitleOpacity = 0.85;
constexpr Font kCapFont{12, FontWeight::regular, FontDesign::monospaced};
constexpr double kCapTextOpacity = 0.95;
constexpr double kCapPaddingH = 6;
constexpr double kCapPaddingV = 3;
constexpr double kCapCornerRadius = 5;
constexpr double kCapFillOpacity = 0.12;
constexpr double kCapGap = 3;
constexpr double kConflictMarkSide = 14;
constexpr double kConflictMarkGap = 6;  // from the caps
constexpr double kConflictMarkOpacity = 0.85;
// Between the chords of a row that has several: a plain "/", not a cap, with room either side.
constexpr std::string_view kChordSeparator = "/";
constexpr double kChordSeparatorPaddingH = 2;
constexpr double kChordSeparatorOpacity = 0.5;

constexpr std::string_view kEllipsis = "…";

// The key glyphs a cap draws as a symbol, so that they share one size and weight.
std::optional<Symbol> keySymbol(std::string_view cap) {
  struct Glyph {
    std::string_view text;
    Symbol symbol;
  };
  static constexpr std::array<Glyph, 19> kGlyphs = {{
      {"⌃", Symbol::control},   {"⌥", Symbol::option},         {"⇧", Symbol::shift},
      {"⌘", Symbol::command},   {"⌫", Symbol::deleteBackward}, {"⌦", Symbol::deleteForward},
      {"⎋", Symbol::escape},    {"↩", Symbol::returnKey},      {"⌤", Symbol::enter},
      {"⇥", Symbol::tab},       {"⇤", Symbol::backTab},        {"↑", Symbol::upArrow},
      {"↓", Symbol::downArrow}, {"←", Symbol::leftArrow},      {"→", Symbol::rightArrow},
      {"⇞", Symbol::pageUp},    {"⇟", Symbol::pageDown},       {"↖", Symbol::home},
      {"↘", Symbol::end},
  }};
  for (const Glyph& g : kGlyphs) {
    if (g.text == cap) return g.symbol;
  }
  return std::nullopt;
}

// Whether a text is one user-perceived character. ASCII needs no grapheme rules (caps are mostly
// ASCII, and this runs for every cap shown).
bool isOneCharacter(std::string_view s) {
  if (std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return s.size() == 1;
  return text::singleCodePoint(s) || text::graphemes(s).size() == 1;
}

void appendIfVisible(Primitive p, const Rect& visible, std::vector<Primitive>& out) {
  if (frameOf(p).intersects(visible)) out.push_back(std::move(p));
}

// Lines of height `h`, `pitch` apart from `top`: [first, end) covers every line that overlaps
// the band [minY, maxY), widened by one line on each side so that rounding never drops one; the
// callers' rectangle tests settle the borders exactly.
std::pair<std::size_t, std::size_t> linesOverlapping(double minY, double maxY, double top, double h,
                                                     double pitch, std::size_t count) {
  const auto clampIndex = [count](double raw) -> std::size_t {
    if (!(raw > 0)) return 0;  // NaN too
    if (raw >= static_cast<double>(count)) return count;
    return static_cast<std::size_t>(raw);
  };
  // The first line whose bottom is below minY, less one; one past the last whose top is above
  // maxY, plus one.
  return {clampIndex(std::floor((minY - top - h) / pitch)),
          clampIndex(std::ceil((maxY - top) / pitch) + 1)};
}

}  // namespace

const Rect& frameOf(const Primitive& primitive) {
  return std::visit([](const auto& p) -> const Rect& { return p.frame; }, primitive);
}

Size OverlayLayout::ScaledMeasurer::measure(std::string_view text, const Font& font) const {
  Font drawn = font;
  drawn.size *= scale_;
  const Size size = measurer_->measure(text, drawn);
  return {size.width / scale_, size.height / scale_};
}

Size OverlayLayout::ScaledMeasurer::measure(Symbol symbol, double pointSize) const {
  const Size size = measurer_->measure(symbol, pointSize * scale_);
  return {size.width / scale_, size.height / scale_};
}

Rect OverlayLayout::scaledBy(const Rect& rect, double factor) {
  return {{rect.minX() * factor, rect.minY() * factor},
          {rect.width() * factor, rect.height() * factor}};
}

Primitive OverlayLayout::scaled(Primitive primitive) const {
  if (scale_ == 1) return primitive;
  std::visit(
      [this](auto& p) {
        using T = std::decay_t<decltype(p)>;
        p.frame = scaled(p.frame);
        if constexpr (std::is_same_v<T, RoundedRectPrimitive> || std::is_same_v<T, IconPrimitive>)
          p.cornerRadius *= scale_;
        if constexpr (std::is_same_v<T, TextPrimitive>) p.font.size *= scale_;
        if constexpr (std::is_same_v<T, SymbolPrimitive>) p.pointSize *= scale_;
      },
      primitive);
  return primitive;
}

OverlayLayout::OverlayLayout(std::shared_ptr<const OverlayView> view, const TextMeasurer& measurer,
                             Size panelSize, ImageRef icon, double scale)
    : view_(std::move(view)),
      scale_(std::clamp(std::isfinite(scale) ? scale : 1.0, kMinScale, kMaxScale)),
      scaledMeasurer_(measurer, scale_),
      measurer_(scale_ == 1 ? &measurer : &scaledMeasurer_),
      shownSize_(panelSize),
      panelSize_{panelSize.width / scale_, panelSize.height / scale_} {
  // Fonts give every line of one kind the same height, so grid lines are placed arithmetically
  // and no row is measured until it is shown.
  headingLineHeight_ = measurer_->measure("", kHeadingFont).height;
  titleLineHeight_ = measurer_->measure("", kTitleFont).height;
  capLineHeight_ = measurer_->measure("", kCapFont).height;
  capHeight_ = capLineHeight_ + 2 * kCapPaddingV;
  singleCapWidth_ = std::max(
      capHeight_, measurer_->measure(Symbol::command, kCapFont.size).width + 2 * kCapPaddingH);
  rowHeight_ = std::max(titleLineHeight_, capHeight_) + 2 * kRowPaddingV;
  headingHeight_ = kHeadingPaddingTop + headingLineHeight_ + kHeadingPaddingBottom;
  // Titles are translated only when shown, so the room a title keeps is judged by the widest
  // first characters titles usually have: a wide Latin capital and an ideograph.
  for (const char* wide : {"W…", "中…"})
    shortestTitle_ = std::max(shortestTitle_, measurer_->measure(wide, kTitleFont).width);

  layOutHeader(icon);
  const double gridWidth = panelSize_.width - 2 * kGridPaddingH;

  // The widest caps of each grid. Shortcuts repeat, so each distinct one is split once; a row
  // of several adds a separator and its gaps between them, as makeCaps lays them out.
  const double separatorWidth = makeSeparator().width + 2 * kCapGap;
  std::unordered_map<KeyChord, double, KeyChordHash> capsWidths;
  const auto widestCaps = [&](double widest, const std::vector<KeyChord>& shortcuts) {
    double width = 0;
    for (const KeyChord& shortcut : shortcuts) {
      auto [at, added] = capsWidths.try_emplace(shortcut, 0.0);
      if (added) at->second = capsWidth(makeCaps({{}, {shortcut}, view_->style().capStyle, {}}));
      width += (width > 0 ? separatorWidth : 0) + at->second;
    }
    return std::max(widest, width);
  };

  appGroups_ = view_->sortedGroups();
  appGrid_.isApp = true;
  double widest = 0;
  for (const OverlayView::Group* group : appGroups_) {
    appGrid_.rowCounts.push_back(group->second.size());
    for (const ShortcutEntry& entry : group->second)
      widest = widestCaps(widest, entry.chords);
  }
  appGrid_.columns = fittingColumns(view_->appGridColumns(), gridWidth, widest);
  double appTop = kAppGridPaddingTop;
  // An application without rows says why in their place, where a first heading would stand.
  if (std::string reason = view_->emptyReasonLine(); !reason.empty()) {
    const double height = measurer_->measure(reason, kTitleFont).height;
    std::string shown = elided(reason, kTitleFont, gridWidth);
    const double width = measurer_->measure(shown, kTitleFont).width;
    emptyReason_ = TextPrimitive{std::move(shown),
                                 {{kGridPaddingH, appTop + kHeadingPaddingTop}, {width, height}},
                                 kTitleFont,
                                 kTitleOpacity};
    appTop = emptyReason_->frame.maxY();
  }
  layOutGrid(appGrid_, appTop);

  layOutSeparator(appGrid_.top + appGrid_.height);

  systemGrid_.isApp = false;
  widest = 0;
  for (const ShortcutGroup& group : view_->systemGroups()) {
    systemGrid_.rowCounts.push_back(group.items.size());
    for (const ShortcutItem& item : group.items)
      widest = widestCaps(widest, {item.chord()});
  }
  systemGrid_.columns = fittingColumns(OverlayView::kSystemColumns, gridWidth, widest);
  layOutGrid(systemGrid_, separatorFrame_.maxY());

  contentHeight_ = systemGrid_.top + systemGrid_.height + kContentPaddingBottom;

  if (scale_ == 1) return;
  for (Primitive& p : fixed_)
    p = scaled(std::move(p));
  languageSwitch_ = scaled(languageSwitch_);
  scrollFrame_ = scaled(scrollFrame_);
  contentHeight_ *= scale_;
}

void OverlayLayout::layOutHeader(const ImageRef& icon) {
  const double width = panelSize_.width;
  const OverlayView& view = *view_;

  const Size name = measurer_->measure(view.appName(), kNameFont);
  const Size label = measurer_->measure(view.headerLabel(), kHeaderLabelFont);
  const Size globe = measurer_->measure(Symbol::globe, kGlobeSize);
  const Size language = measurer_->measure(view.languageLabel(), kLanguageFont);
  const Size chevron = measurer_->measure(Symbol::chevronDown, kChevronSize);

  // The language switch keeps its natural size at the trailing edge.
  const double switchContent = std::max({globe.height, language.height, chevron.height});
  const Size switchSize{
      globe.width + kSwitchGap + language.width + kSwitchGap + chevron.width + 2 * kSwitchPaddingH,
      switchContent + 2 * kSwitchPaddingV};
  const double nameStack = std::max({icon ? kIconSide : 0.0, name.height, label.height});
  const double content = std::max(nameStack, switchSize.height);
  const double midY = kHeaderPaddingV + content / 2;
  const double headerHeight = content + 2 * kHeaderPaddingV;

  fixed_.push_back(
      RoundedRectPrimitive{{{0, 0}, panelSize_}, kPanelCornerRadius, FillKind::backdrop, 1});

  double x = kHeaderPaddingH;
  if (icon) {
    fixed_.push_back(IconPrimitive{
        icon, {{x, midY - kIconSide / 2}, {kIconSide, kIconSide}}, kIconCornerRadius});
    x += kIconSide + kNameStackGap;
  }

  // Name and label share what the switch leaves (gaps stand on both sides of the flexible space).
  // When they do not fit, the name keeps at least half of it and the label elides first.
  languageSwitch_ = {{width - kHeaderPaddingH - switchSize.width, midY - switchSize.height / 2},
                     switchSize};
  const double available =
      std::max(0.0, languageSwitch_.minX() - 2 * kDefaultSpacing - x - kNameStackGap);
  const double nameWidth = std::min(name.width, std::max(available - label.width, available / 2));
  const double labelWidth = std::min(label.width, available - nameWidth);
  fixed_.push_back(TextPrimitive{elided(view.appName(), kNameFont, nameWidth),
                                 {{x, midY - name.height / 2}, {nameWidth, name.height}},
                                 kNameFont,
                                 kNameOpacity});
  x += nameWidth + kNameStackGap;
  fixed_.push_back(
      TextPrimitive{elided(std::string(view.headerLabel()), kHeaderLabelFont, labelWidth),
                    {{x, midY - label.height / 2}, {labelWidth, label.height}},
                    kHeaderLabelFont,
                    kHeaderLabelOpacity});

  fixed_.push_back(RoundedRectPrimitive{languageSwitch_, kSwitchCornerRadius, FillKind::white,
                                        kSwitchFillOpacity});
  x = languageSwitch_.minX() + kSwitchPaddingH;
  fixed_.push_back(SymbolPrimitive{
      Symbol::globe, {{x, midY - globe.height / 2}, globe}, kGlobeSize, kSwitchContentOpacity});
  x += globe.width + kSwitchGap;
  fixed_.push_back(TextPrimitive{std::string(view.languageLabel()),
                                 {{x, midY - language.height / 2}, language},
                                 kLanguageFont,
                                 kSwitchContentOpacity});
  x += language.width + kSwitchGap;
  fixed_.push_back(SymbolPrimitive{Symbol::chevronDown,
                                   {{x, midY - chevron.height / 2}, chevron},
                                   kChevronSize,
                                   kSwitchContentOpacity});

  fixed_.push_back(LinePrimitive{{{0, headerHeight}, {width, kDividerThickness}}, kDividerOpacity});
  const double scrollTop = headerHeight + kDividerThickness;
  scrollFrame_ = {{0, scrollTop}, {width, std::max(0.0, panelSize_.height - scrollTop)}};
}

void OverlayLayout::layOutGrid(Grid& grid, double top) const {
  grid.x = kGridPaddingH;
  grid.width = panelSize_.width - 2 * kGridPaddingH;
  grid.top = top;
  const auto columns = static_cast<double>(grid.columns);
  grid.columnWidth = std::max(kMinColumnWidth, (grid.width - (columns - 1) * kColumnGap) / columns);

  double y = top;
  for (std::size_t rows : grid.rowCounts) {
    if (y > top) y += kGridLineGap;
    grid.sectionTops.push_back(y);
    y += headingHeight_;
    const std::size_t lines = (rows + static_cast<std::size_t>(grid.columns) - 1) /
                              static_cast<std::size_t>(grid.columns);
    y += static_cast<double>(lines) * (kGridLineGap + rowHeight_);
    grid.sectionBottoms.push_back(y);
  }
  grid.height = y - top;
}

void OverlayLayout::layOutSeparator(double top) {
  const std::string label(view_->separatorLabel());
  const Size size = measurer_->measure(label, kSeparatorFont);
  const double width = panelSize_.width;
  separatorFrame_ = {{0, top}, {width, size.height + 2 * kSeparatorPaddingV}};

  // The label keeps its natural size; the two lines share what is left and may vanish.
  const double lineWidth =
      std::max(0.0, (width - 2 * kSeparatorPaddingH - size.width - 2 * kDefaultSpacing) / 2);
  const double labelY = top + kSeparatorPaddingV;
  const double lineY = labelY + size.height / 2 - kDividerThickness / 2;
  double x = kSeparatorPaddingH;
  if (lineWidth > 0) {
    separator_.push_back(
        LinePrimitive{{{x, lineY}, {lineWidth, kDividerThickness}}, kDividerOpacity});
  }
  x += lineWidth + kDefaultSpacing;
  separator_.push_back(
      TextPrimitive{label, {{x, labelY}, size}, kSeparatorFont, kSeparatorOpacity});
  x += size.width + kDefaultSpacing;
  if (lineWidth > 0) {
    separator_.push_back(
        LinePrimitive{{{x, lineY}, {lineWidth, kDividerThickness}}, kDividerOpacity});
  }
}

std::vector<Primitive> OverlayLayout::primitivesIn(const Rect& shown) const {
  std::vector<Primitive> out;
  if (!(shown.width() > 0 && shown.height() > 0)) return out;
  const Rect visible = scale_ == 1 ? shown : scaledBy(shown, 1 / scale_);
  if (emptyReason_) appendIfVisible(*emptyReason_, visible, out);
  appendGrid(appGrid_, visible, out);
  if (separatorFrame_.intersects(visible)) {
    for (const Primitive& p : separator_)
      appendIfVisible(p, visible, out);
  }
  appendGrid(systemGrid_, visible, out);
  if (scale_ != 1) {
    for (Primitive& p : out)
      p = scaled(std::move(p));
  }
  return out;
}

void OverlayLayout::appendGrid(const Grid& grid, const Rect& visible,
                               std::vector<Primitive>& out) const {
  if (visible.maxY() <= grid.top || visible.minY() >= grid.top + grid.height) return;
  const auto columns = static_cast<std::size_t>(grid.columns);
  const double pitch = rowHeight_ + kGridLineGap;

  auto section = static_cast<std::size_t>(
      std::upper_bound(grid.sectionBottoms.begin(), grid.sectionBottoms.end(), visible.minY()) -
      grid.sectionBottoms.begin());
  for (; section < grid.rowCounts.size() && grid.sectionTops[section] < visible.maxY(); ++section) {
    const double top = grid.sectionTops[section];
    if (top + headingHeight_ > visible.minY()) {
      std::string heading = grid.isApp ? view_->appHeading(appGroups_[section]->first)
                                       : view_->systemHeading(view_->systemGroups()[section]);
      const Rect frame = headingFrame(grid, section);
      appendIfVisible(TextPrimitive{elided(heading, kHeadingFont, frame.width()), frame,
                                    kHeadingFont, kHeadingOpacity},
                      visible, out);
    }

    const std::size_t rows = grid.rowCounts[section];
    const std::size_t lines = (rows + columns - 1) / columns;
    const double rowsTop = top + headingHeight_ + kGridLineGap;
    const auto [first, end] =
        linesOverlapping(visible.minY(), visible.maxY(), rowsTop, rowHeight_, pitch, lines);
    for (std::size_t line = first; line < end; ++line) {
      for (std::size_t column = 0; column < columns; ++column) {
        const std::size_t index = line * columns + column;
        if (index >= rows) break;
        const Rect cell = cellFrame(grid, section, index);
        if (!cell.intersects(visible)) continue;
        const ShortcutRow row = grid.isApp
                                    ? view_->appRow(appGroups_[section]->second[index])
                                    : view_->systemRow(view_->systemGroups()[section].items[index]);
        appendRow(row, cell, visible, out);
      }
    }
  }
}

Rect OverlayLayout::headingFrame(Section which, std::size_t section) const {
  return scaled(headingFrame(which == Section::application ? appGrid_ : systemGrid_, section));
}

Rect OverlayLayout::rowFrame(Section which, std::size_t section, std::size_t row) const {
  return scaled(cellFrame(which == Section::application ? appGrid_ : systemGrid_, section, row));
}

Rect OverlayLayout::headingFrame(const Grid& grid, std::size_t section) const {
  if (section >= grid.rowCounts.size()) return {};
  return {{grid.x, grid.sectionTops[section] + kHeadingPaddingTop},
          {std::max(0.0, grid.width), headingLineHeight_}};
}

Rect OverlayLayout::cellFrame(const Grid& grid, std::size_t section, std::size_t row) const {
  if (section >= grid.rowCounts.size() || row >= grid.rowCounts[section]) return {};
  const auto columns = static_cast<std::size_t>(grid.columns);
  const double rowsTop = grid.sectionTops[section] + headingHeight_ + kGridLineGap;
  const double y = rowsTop + static_cast<double>(row / columns) * (rowHeight_ + kGridLineGap);
  const double x = grid.x + static_cast<double>(row % columns) * (grid.columnWidth + kColumnGap);
  return {{x, y}, {grid.columnWidth, rowHeight_}};
}

int OverlayLayout::columns(Section which) const {
  return (which == Section::application ? appGrid_ : systemGrid_).columns;
}

int OverlayLayout::fittingColumns(int usual, double gridWidth, double widestCaps) const {
  const double needed = widestCaps + 2 * kRowGap + shortestTitle_;
  int columns = std::max(1, usual);
  while (columns > 1 &&
         (gridWidth - (columns - 1) * kColumnGap) / static_cast<double>(columns) < needed)
    --columns;
  return columns;
}

std::string OverlayLayout::elided(const std::string& text, const Font& font, double width) const {
  if (measurer_->measure(text, font).width <= width) return text;
  const std::vector<std::string_view> chars = text::graphemes(text);
  if (chars.size() < 2) return text;
  // The first `count` characters and "…", without spaces before it.
  const auto shortened = [&](std::size_t count) {
    while (count > 1 && text::trimSpacesAndTabs(chars[count - 1]).empty())
      --count;
    const std::string_view last = chars[count - 1];
    return text.substr(0, static_cast<std::size_t>(last.data() - text.data()) + last.size())
        .append(kEllipsis);
  };
  // Widths grow with the count: the longest start that fits, found by halving.
  std::size_t fits = 1;
  std::size_t tooLong = chars.size();
  while (tooLong - fits > 1) {
    const std::size_t mid = fits + (tooLong - fits) / 2;
    if (measurer_->measure(shortened(mid), font).width <= width) {
      fits = mid;
    } else {
      tooLong = mid;
    }
  }
  std::string shown = shortened(fits);
  // Nothing rather than a text that runs into its neighbour: only where even one character
  // cannot fit, which the grid's column count rules out for titles.
  return measurer_->measure(shown, font).width <= width ? shown : std::string();
}

OverlayLayout::Cap OverlayLayout::makeCap(std::string text) const {
  Cap cap;
  cap.symbol = keySymbol(text);
  cap.inner = cap.symbol ? measurer_->measure(*cap.symbol, kCapFont.size).width
                         : measurer_->measure(text, kCapFont).width;
  cap.width = cap.inner + 2 * kCapPaddingH;
  // One character, letter or glyph, gets one width, at least the cap's height: even caps.
  if (cap.symbol || isOneCharacter(text)) cap.width = std::max(cap.width, singleCapWidth_);
  cap.text = std::move(text);
  return cap;
}

OverlayLayout::Cap OverlayLayout::makeSeparator() const {
  Cap cap;
  cap.text = kChordSeparator;
  cap.separator = true;
  cap.inner = measurer_->measure(cap.text, kCapFont).width;
  cap.width = cap.inner + 2 * kChordSeparatorPaddingH;
  return cap;
}

std::vector<OverlayLayout::Cap> OverlayLayout::makeCaps(const ShortcutRow& row) const {
  std::vector<Cap> caps;
  for (std::vector<std::string>& chord : row.keyGroups()) {
    if (!caps.empty()) caps.push_back(makeSeparator());
    for (std::string& text : chord)
      caps.push_back(makeCap(std::move(text)));
  }
  return caps;
}

double OverlayLayout::capsWidth(const std::vector<Cap>& caps) {
  double width = 0;
  for (const Cap& cap : caps)
    width += cap.width;
  if (!caps.empty()) width += static_cast<double>(caps.size() - 1) * kCapGap;
  return width;
}

void OverlayLayout::appendRow(const ShortcutRow& row, const Rect& cell, const Rect& visible,
                              std::vector<Primitive>& out) const {
  const double contentTop = cell.minY() + kRowPaddingV;
  const double contentHeight = cell.height() - 2 * kRowPaddingV;

  // The caps keep their natural size at the trailing edge and the title yields, down to its
  // first character and "…"; the column count leaves that much room. Only a key text no cell
  // could hold gives way: the key is cut short, then leading caps are left out.
  std::vector<Cap> caps = makeCaps(row);
  // A taken row's mark stands before its caps and takes its room from the title.
  const double mark = row.conflict.empty() ? 0 : kConflictMarkSide + kConflictMarkGap;
  const double titleNatural = measurer_->measure(row.title, kTitleFont).width;
  double capsRoom = cell.width() - 2 * kRowGap - mark - titleNatural;
  if (capsWidth(caps) > capsRoom && !row.title.empty()) {
    // The title must yield: it keeps its first character and "…".
    const std::string_view first = text::graphemes(row.title).front();
    capsRoom = cell.width() - 2 * kRowGap - mark -
               std::min(titleNatural,
                        measurer_->measure(std::string(first).append(kEllipsis), kTitleFont).width);
  }
  // Of several shortcuts, the last ones go first: the first stays whole as long as it can.
  for (auto last =
           std::find_if(caps.rbegin(), caps.rend(), [](const Cap& c) { return c.separator; });
       last != caps.rend() && capsWidth(caps) > capsRoom;
       last = std::find_if(caps.rbegin(), caps.rend(), [](const Cap& c) { return c.separator; }))
    caps.erase(std::prev(last.base()), caps.end());
  while (!caps.empty() && capsWidth(caps) > capsRoom) {
    const double others = capsWidth(caps) - caps.back().width;
    std::string key = elided(caps.back().text, kCapFont, capsRoom - others - 2 * kCapPaddingH);
    if (!key.empty() && key != caps.back().text) {
      caps.back() = makeCap(std::move(key));
    } else if (caps.size() > 1) {
      caps.erase(caps.begin());
    } else {
      break;
    }
  }
  const double allCaps = capsWidth(caps);

  const double titleWidth = std::max(0.0, cell.width() - allCaps - mark - 2 * kRowGap);
  if (titleWidth > 0 && !row.title.empty()) {
    appendIfVisible(
        TextPrimitive{
            titleNatural <= titleWidth ? row.title : elided(row.title, kTitleFont, titleWidth),
            {{cell.minX(), contentTop + (contentHeight - titleLineHeight_) / 2},
             {titleWidth, titleLineHeight_}},
            kTitleFont,
            kTitleOpacity},
        visible, out);
  }

  const double capY = contentTop + (contentHeight - capHeight_) / 2;
  double x = std::max(cell.minX(), cell.maxX() - allCaps);
  if (mark > 0) {
    appendIfVisible(ConflictMarkPrimitive{{{std::max(cell.minX(), x - mark),
                                            contentTop + (contentHeight - kConflictMarkSide) / 2},
                                           {kConflictMarkSide, kConflictMarkSide}},
                                          kConflictMarkOpacity},
                    visible, out);
  }
  for (Cap& cap : caps) {
    const Rect box{{x, capY}, {cap.width, capHeight_}};
    if (cap.separator) {
      appendIfVisible(TextPrimitive{std::move(cap.text),
                                    {{box.midX() - cap.inner / 2, box.minY() + kCapPaddingV},
                                     {cap.inner, capLineHeight_}},
                                    kCapFont,
                                    kChordSeparatorOpacity},
                      visible, out);
      x += cap.width + kCapGap;
      continue;
    }
    appendIfVisible(RoundedRectPrimitive{box, kCapCornerRadius, FillKind::white, kCapFillOpacity},
                    visible, out);
    // Centred in the cap, which may be wider than its text (a square cap around one character).
    const double innerX = box.midX() - cap.inner / 2;
    if (cap.symbol) {
      const Size size = measurer_->measure(*cap.symbol, kCapFont.size);
      appendIfVisible(SymbolPrimitive{*cap.symbol,
                                      {{innerX, box.midY() - size.height / 2}, size},
                                      kCapFont.size,
                                      kCapTextOpacity},
                      visible, out);
    } else {
      appendIfVisible(
          TextPrimitive{std::move(cap.text),
                        {{innerX, box.minY() + kCapPaddingV}, {cap.inner, capLineHeight_}},
                        kCapFont,
                        kCapTextOpacity},
          visible, out);
    }
    x += cap.width + kCapGap;
  }
}

}  // namespace tavrine
