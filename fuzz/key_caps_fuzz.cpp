// SPDX-License-Identifier: MIT
// Key equivalents into chords, their caps, display text and spoken form, and a row's layout, on
// arbitrary bytes, including ill-formed UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <memory>

#include "harvest/key_equivalent.h"
#include "i18n/translation_helper.h"
#include "overlay/overlay_layout.h"
#include "support/fake_text_measurer.h"

namespace {

// A character that would show as nothing: a control, private-use, unassigned or surrogate code
// point, or a line or paragraph separator.
bool hasInvisible(std::string_view text) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  for (std::int32_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(p, i, length, c);
    if (c < 0) continue;  // ill-formed bytes, drawn as U+FFFD
    switch (u_charType(c)) {
      case U_CONTROL_CHAR:
      case U_PRIVATE_USE_CHAR:
      case U_UNASSIGNED:
      case U_SURROGATE:
      case U_LINE_SEPARATOR:
      case U_PARAGRAPH_SEPARATOR:
        return true;
      default:
        break;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::int64_t mask = 0;
  if (size >= 8) std::memcpy(&mask, data, 8);
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  // A key equivalent of any mask and command character: a key cap that shows, as one cap per
  // modifier and one for the key in either style, read out as something.
  const std::string_view key = size >= 8 ? input.substr(8) : input;
  const tavrine::KeyChord chord = tavrine::keyEquivalentChord(mask, key);
  if (!key.empty()) {
    const std::vector<std::string> caps = tavrine::keyCaps(chord);
    if (caps.empty() || caps.size() != tavrine::keyCaps(chord, tavrine::KeyCapStyle::words).size())
      __builtin_trap();
    for (const std::string& cap : caps) {
      if (cap.empty()) __builtin_trap();
    }
    // Every key shows: no character of the text is drawn as nothing.
    if (hasInvisible(tavrine::shortcutText(chord))) __builtin_trap();
    for (const auto style : {tavrine::KeyCapStyle::glyphs, tavrine::KeyCapStyle::words}) {
      if (tavrine::spokenChord(chord, style).empty()) __builtin_trap();
    }
  }

  // The input as the title and the shortcut of one row, in a panel 200 to 1223 points wide: what
  // is drawn for the row stays inside its cell. Longer inputs only cost time here.
  if (size > 512) return 0;
  const double width = 200 + static_cast<double>(size >= 2 ? (data[0] << 2 | data[1]) & 0x3FF : 0);
  static tavrine::TranslationHelper t;
  static const tavrine::doubles::FakeTextMeasurer measurer;
  tavrine::GroupedShortcuts groups;
  tavrine::ShortcutEntry row(tavrine::ShortcutItem("Menu", std::string(input), chord));
  // Every other input, the same keys again beside them (a row with two shortcuts).
  const tavrine::KeyChord twice = tavrine::keyEquivalentChord(mask ^ 1, key);
  if (size % 2 == 1 && !(twice == chord)) row.chords.push_back(twice);
  groups["Menu"].push_back(std::move(row));
  const tavrine::OverlayLayout layout(
      std::make_shared<const tavrine::OverlayView>("App", std::move(groups), t), measurer,
      {width, 400}, nullptr);
  const tavrine::Rect cell = layout.rowFrame(tavrine::OverlayLayout::Section::application, 0, 0);
  for (const tavrine::Primitive& p : layout.primitivesIn(cell)) {
    const tavrine::Rect& r = tavrine::frameOf(p);
    if (r.minX() < cell.minX() - 1e-6 || r.maxX() > cell.maxX() + 1e-6) __builtin_trap();
  }
  return 0;
}
