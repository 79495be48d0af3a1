// SPDX-License-Identifier: MIT
// Font metrics a test can work out by hand: every user-perceived character is 7 points wide at
// size 13 (in proportion at other sizes), a line is 1.2 × the size tall, and a symbol image is a
// square of its size.
#pragma once

#include <string_view>

#include "ports/text_measurer.h"
#include "text/unicode.h"

namespace tavrine::doubles {

class FakeTextMeasurer final : public TextMeasurer {
 public:
  static double width(std::string_view text, double size) {
    return 7 * static_cast<double>(text::graphemes(text).size()) * size / 13;
  }
  static double lineHeight(double size) { return 1.2 * size; }

  Size measure(std::string_view text, const Font& font) const override {
    return {width(text, font.size), lineHeight(font.size)};
  }
  Size measure(Symbol, double pointSize) const override { return {pointSize, pointSize}; }
};

}  // namespace tavrine::doubles
