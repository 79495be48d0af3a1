// SPDX-License-Identifier: MIT
// Where shortcuts come from. A source, told which application is in front, answers with its
// shortcuts, each under its heading (the record's menuPath) and carrying its source's name; the
// delegate asks every source and merges the answers.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "harvest/menu_bar_state.h"
#include "harvest/shortcut_item.h"

namespace tavrine {

// The application in front, as far as the sources need to know it.
struct FrontApplication {
  std::int32_t pid = 0;
  std::string executable;      // absolute path of its program; empty when unknown
  std::string desktopEntryId;  // "org.gnome.TextEditor"; empty when unknown
  bool isZH = false;           // the language the overlay shows
  // It did not answer in time before: a source that would ask the application itself answers
  // nothing at once instead of waiting for it again.
  bool unresponsive = false;
  // Asked ahead of any hold: a source may wait longer for the application.
  bool ahead = false;
};

class ShortcutSource {
 public:
  // Where a source's rows go: with the application's own shortcuts, or in the system section
  // at the end of the overlay, which keeps its own order and is never merged with the rest.
  enum class Placement { application, system };

  virtual ~ShortcutSource() = default;
  virtual Placement placement() const { return Placement::application; }
  // Never fails: whatever cannot be read is simply not there. The delegate calls its sources
  // from its worker thread alone, one call at a time, so a source need not be thread-safe; each
  // hold waits for the answer, so a source bounds what it reads.
  virtual std::vector<ShortcutItem> shortcuts(const FrontApplication& app) const = 0;

  struct Answer {
    std::vector<ShortcutItem> rows;
    bool unanswered = false;  // it asked the application, which did not answer in time
    // The menu-bar source's: what it found of the menu bar.
    MenuBarState menuBar = MenuBarState::notRead;
    // A source of files the user writes: where the user's file for this application would go.
    std::string userSheet;
  };
  // The rows, and whether the application left the source without an answer.
  virtual Answer answer(const FrontApplication& app) const {
    Answer answer;
    answer.rows = shortcuts(app);
    return answer;
  }
};
using ShortcutSourceRef = std::shared_ptr<const ShortcutSource>;

struct MergedShortcuts {
  std::vector<ShortcutEntry> application;  // grouped by heading in the overlay
  std::vector<ShortcutItem> system;        // in the order the sources gave them
  bool unanswered = false;                 // a source's application did not answer in time
  MenuBarState menuBar = MenuBarState::notRead;
  std::string userSheet;  // the first source's that names one
};

// Why the merged answer has no rows of the application's own; none when it has some.
std::optional<EmptyReason> emptyReason(const MergedShortcuts& merged);

// Asks the sources in order. The first application source's rows all stay (an application may
// list a command twice, under two menus); each later one adds only rows with a chord and title
// not seen yet, titles compared without case, surrounding spaces or a trailing ellipsis. Rows of
// one heading with such an equal title are one command: the first row stays where it is and
// takes the chords of the others, in the order seen. In Chinese, a row that carries its
// application's own Chinese shows that.
MergedShortcuts mergeShortcuts(const std::vector<ShortcutSourceRef>& sources,
                               const FrontApplication& app);

}  // namespace tavrine
