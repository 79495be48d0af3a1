// SPDX-License-Identifier: MIT
// The text-measuring port: the shell answers with real font metrics, tests with simple fakes.
#pragma once

#include <string_view>

#include "ports/geometry.h"

namespace tavrine {

enum class FontWeight { regular, medium, semibold, bold };
enum class FontDesign { standard, monospaced };

// The system user-interface font at a size in points.
struct Font {
  double size = 13;
  FontWeight weight = FontWeight::regular;
  FontDesign design = FontDesign::standard;
  friend bool operator==(const Font&, const Font&) = default;
};

// Symbol images: the header's ("globe", "chevron.down") and the key glyphs a cap shows, drawn at
// one size and weight whatever fonts are installed.
enum class Symbol {
  globe,
  chevronDown,
  control,         // ⌃
  option,          // ⌥
  shift,           // ⇧
  command,         // ⌘
  deleteBackward,  // ⌫
  deleteForward,   // ⌦
  escape,          // ⎋
  returnKey,       // ↩
  enter,           // ⌤
  tab,             // ⇥
  backTab,         // ⇤
  upArrow,         // ↑
  downArrow,       // ↓
  leftArrow,       // ←
  rightArrow,      // →
  pageUp,          // ⇞
  pageDown,        // ⇟
  home,            // ↖
  end,             // ↘
};

class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;

  // The natural size of `text` set on one line in `font`. The height is the font's line height,
  // the same for every text in that font (the empty text included): rows of one font line up.
  virtual Size measure(std::string_view text, const Font& font) const = 0;
  // The size of a symbol image drawn at a font size.
  virtual Size measure(Symbol symbol, double pointSize) const = 0;
};

}  // namespace tavrine
