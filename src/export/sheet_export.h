// SPDX-License-Identifier: MIT
// An overlay's shortcuts as a sheet to take away: the same sections, titles and keys as shown,
// in the language shown, as plain data for a printer and as Markdown.
#pragma once

#include <string>
#include <vector>

#include "overlay/overlay_view.h"

namespace tavrine::exported {

struct Row {
  std::string title;
  std::vector<std::vector<std::string>> keys;  // each shortcut's caps, as the overlay draws them
};

struct Section {
  std::string heading;
  std::vector<Row> rows;
};

struct Document {
  std::string appName;
  std::string headerLabel;  // "Keyboard Shortcuts" / "快捷键"
  std::vector<Section> application;
  std::string systemLabel;  // "System Shortcuts" / "系统快捷键"
  std::vector<Section> system;
  KeyCapStyle capStyle = KeyCapStyle::glyphs;
};

// What `view` shows now (a search's narrowed view shows only the rows it kept).
Document documentOf(const OverlayView& view);

// Caps joined as a shortcut is written: "Ctrl+Shift+Z" in words, "⇧⌘Z" in glyphs; several
// shortcuts as the overlay shows them, "Ctrl+G / F3".
std::string joinedCaps(const Row& row, KeyCapStyle style);

// A heading for the application, then one table per section; texts from other applications are
// escaped so that they read as written and never as Markdown.
std::string toMarkdown(const Document& sheet);

// The name a saved sheet is offered under ("Editor shortcuts.pdf"): the application's name can
// come from anywhere, so it never makes a folder ('/'), a hidden file or a name too long to
// create, and holds no control characters.
std::string pdfFileName(std::string_view appName, bool zh);

}  // namespace tavrine::exported
