#include "support/fake_text_measurer.h"

#include "text/unicode.h"

namespace tavrine::doubles {

double FakeTextMeasurer::width(std::string_view text, double size) {
  return 7 * static_cast<double>(text::graphemes(text).size()) * size / 13;
}

Size FakeTextMeasurer::measure(std::string_view text, const Font& font) const {
  ++calls_;
  return {width(text, font.size), lineHeight(font.size)};
}

Size FakeTextMeasurer::measure(Symbol, double pointSize) const {
  ++calls_;
  return {pointSize, pointSize};
}

}  // namespace tavrine::doubles
