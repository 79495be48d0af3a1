// SPDX-License-Identifier: MIT
#include "sources/gtk_shortcuts/gtk_shortcuts_source.h"

#include "keys/accelerator_chord.h"

namespace tavrine::sources::gtk {

GtkShortcutsSource::GtkShortcutsSource(DomainOf domainOf, std::chrono::milliseconds budget)
    : domainOf_(std::move(domainOf)), budget_(budget) {}

std::vector<ShortcutItem> GtkShortcutsSource::shortcuts(const FrontApplication& app) const {
  const std::string domain = domainOf_ ? domainOf_(app) : std::string();
  // The Chinese comes from the application's own catalogue; read it only when it is shown.
  const auto found = windows_.read(app.pid, domain, app.isZH ? "zh_CN" : "en",
                                   std::chrono::steady_clock::now() + budget_);
  std::vector<ShortcutItem> out;
  for (const WindowShortcut& s : found)
    for (const std::string& accelerator : s.accelerators)
      if (auto chord = keys::chordOfAccelerator(accelerator))
        out.emplace_back(s.heading, s.title, std::move(*chord),
                         ShortcutOrigin{kName, s.translatedHeading, s.translatedTitle});
  return out;
}

}  // namespace tavrine::sources::gtk
