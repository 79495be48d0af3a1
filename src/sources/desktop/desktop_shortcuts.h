// SPDX-License-Identifier: MIT
// The desktop's own shortcuts, read live from the desktop (GNOME's GSettings, KDE's
// kglobalshortcutsrc, Xfce's xfconf) and shown in the system section under the catalogue's
// headings. The readers run on the main thread and hand over whole sets; the delegate's worker
// reads the latest set. Until a reader has found a bound key, the desktop's catalogue stands in.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "model/desktop.h"
#include "sources/shortcut_source.h"
#include "sources/system/system_shortcuts.h"

namespace tavrine {

// One bound key of the desktop's. A key bound to several chords shows its first: a system row
// carries one chord.
struct DesktopBinding {
  SystemHeading heading = SystemHeading::general;
  std::string title;
  std::string titleZH;  // empty when the desktop has no Chinese for it
  KeyChord chord;
};

// Sets larger than this are cut: a real desktop binds a few hundred keys.
inline constexpr std::size_t kMaxDesktopBindings = 1000;

class DesktopShortcuts final : public ShortcutSource {
 public:
  // The source name of every row read from the desktop.
  static constexpr const char* kName = kDesktopBindingSource;

  explicit DesktopShortcuts(Desktop desktop) : desktop_(desktop) {}

  // Replaces the set; safe from any thread while the worker reads.
  void update(const std::vector<DesktopBinding>& bindings);
  // Whether the last set held a bound key.
  bool live() const;

  Placement placement() const override { return Placement::system; }
  // The rows grouped by heading in the catalogue's order, each heading's in the order read.
  std::vector<ShortcutItem> shortcuts(const FrontApplication& app) const override;

 private:
  Desktop desktop_;
  mutable std::mutex mutex_;
  std::shared_ptr<const std::vector<ShortcutItem>> rows_;
};

// The heading of GNOME key `key` of schema `schema` (org.gnome.desktop.wm.keybindings, ...): what
// acts on the focused window is Window, the rest of the window manager's, the shell's and the
// media keys' System; custom bindings and anything else General.
SystemHeading gnomeHeading(std::string_view schema, std::string_view key);

}  // namespace tavrine
