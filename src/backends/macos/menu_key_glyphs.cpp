// SPDX-License-Identifier: MIT
#include "backends/macos/menu_key_glyphs.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tavrine::macos {
namespace {

// AppKit's function-key characters (NSUpArrowFunctionKey and the ones after it).
constexpr char32_t kUp = 0xF700, kDown = 0xF701, kLeft = 0xF702, kRight = 0xF703;
constexpr char32_t kF1 = 0xF704;  // F2...F35 follow
constexpr char32_t kForwardDelete = 0xF728, kHome = 0xF729, kEnd = 0xF72B;
constexpr char32_t kPageUp = 0xF72C, kPageDown = 0xF72D, kClearLine = 0xF739, kHelp = 0xF746;
constexpr char32_t kEnter = 0x03, kBackspace = 0x08, kTab = 0x09, kReturn = 0x0D;
constexpr char32_t kBackTab = 0x19, kEscape = 0x1B, kSpace = 0x20;

using Entry = std::pair<std::int64_t, char32_t>;

// Carbon's Menus.h, kMenu...Glyph.
constexpr auto kGlyphs = std::to_array<Entry>({
    {0x02, kTab},            // kMenuTabRightGlyph
    {0x03, kBackTab},        // kMenuTabLeftGlyph
    {0x04, kEnter},          // kMenuEnterGlyph
    {0x09, kSpace},          // kMenuSpaceGlyph
    {0x0A, kForwardDelete},  // kMenuDeleteRightGlyph
    {0x0B, kReturn},         // kMenuReturnGlyph
    {0x0C, kReturn},         // kMenuReturnR2LGlyph
    {0x17, kBackspace},      // kMenuDeleteLeftGlyph
    {0x1B, kEscape},         // kMenuEscapeGlyph
    {0x1C, kClearLine},      // kMenuClearGlyph
    {0x62, kPageUp},         // kMenuPageUpGlyph
    {0x64, kLeft},           // kMenuLeftArrowGlyph
    {0x65, kRight},          // kMenuRightArrowGlyph
    {0x66, kHome},           // kMenuNorthwestArrowGlyph
    {0x67, kHelp},           // kMenuHelpGlyph
    {0x68, kUp},             // kMenuUpArrowGlyph
    {0x69, kEnd},            // kMenuSoutheastArrowGlyph
    {0x6A, kDown},           // kMenuDownArrowGlyph
    {0x6B, kPageDown},       // kMenuPageDownGlyph
    // kMenuF1Glyph...kMenuF12Glyph, kMenuF13Glyph...kMenuF15Glyph, kMenuF16Glyph...kMenuF19Glyph
    {0x6F, kF1},
    {0x70, kF1 + 1},
    {0x71, kF1 + 2},
    {0x72, kF1 + 3},
    {0x73, kF1 + 4},
    {0x74, kF1 + 5},
    {0x75, kF1 + 6},
    {0x76, kF1 + 7},
    {0x77, kF1 + 8},
    {0x78, kF1 + 9},
    {0x79, kF1 + 10},
    {0x7A, kF1 + 11},
    {0x87, kF1 + 12},
    {0x88, kF1 + 13},
    {0x89, kF1 + 14},
    {0x8F, kF1 + 15},
    {0x90, kF1 + 16},
    {0x91, kF1 + 17},
    {0x92, kF1 + 18},
});

// HIToolbox's Events.h, kVK_...: the keys whose meaning no keyboard layout changes.
constexpr auto kVirtualKeys = std::to_array<Entry>({
    {0x24, kReturn},         // kVK_Return
    {0x30, kTab},            // kVK_Tab
    {0x31, kSpace},          // kVK_Space
    {0x33, kBackspace},      // kVK_Delete
    {0x35, kEscape},         // kVK_Escape
    {0x47, kClearLine},      // kVK_ANSI_KeypadClear
    {0x4C, kEnter},          // kVK_ANSI_KeypadEnter
    {0x72, kHelp},           // kVK_Help
    {0x73, kHome},           // kVK_Home
    {0x74, kPageUp},         // kVK_PageUp
    {0x75, kForwardDelete},  // kVK_ForwardDelete
    {0x77, kEnd},            // kVK_End
    {0x79, kPageDown},       // kVK_PageDown
    {0x7B, kLeft},           // kVK_LeftArrow
    {0x7C, kRight},          // kVK_RightArrow
    {0x7D, kDown},           // kVK_DownArrow
    {0x7E, kUp},             // kVK_UpArrow
    // kVK_F1...kVK_F20
    {0x7A, kF1},
    {0x78, kF1 + 1},
    {0x63, kF1 + 2},
    {0x76, kF1 + 3},
    {0x60, kF1 + 4},
    {0x61, kF1 + 5},
    {0x62, kF1 + 6},
    {0x64, kF1 + 7},
    {0x65, kF1 + 8},
    {0x6D, kF1 + 9},
    {0x67, kF1 + 10},
    {0x6F, kF1 + 11},
    {0x69, kF1 + 12},
    {0x6B, kF1 + 13},
    {0x71, kF1 + 14},
    {0x6A, kF1 + 15},
    {0x40, kF1 + 16},
    {0x4F, kF1 + 17},
    {0x50, kF1 + 18},
    {0x5A, kF1 + 19},
});

template <std::size_t N>
std::optional<char32_t> lookUp(const std::array<Entry, N>& table,
                               std::optional<std::int64_t> code) {
  if (!code) return std::nullopt;
  const auto* found = std::find_if(table.begin(), table.end(),
                                   [&](const Entry& entry) { return entry.first == *code; });
  if (found == table.end()) return std::nullopt;
  return found->second;
}

}  // namespace

std::optional<char32_t> keyEquivalentCharacter(std::optional<std::int64_t> glyph,
                                               std::optional<std::int64_t> virtualKey) {
  if (const std::optional<char32_t> c = lookUp(kGlyphs, glyph)) return c;
  return lookUp(kVirtualKeys, virtualKey);
}

}  // namespace tavrine::macos
