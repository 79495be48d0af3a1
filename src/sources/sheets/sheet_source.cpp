// SPDX-License-Identifier: MIT
#include "sources/sheets/sheet_source.h"

#include <map>

#include "keys/accelerator_chord.h"
#include "sources/accel_map/accel_map.h"
#include "sources/kxmlgui/kxmlgui.h"

namespace tavrine::sources::sheets {

SheetSource::SheetSource(std::vector<std::filesystem::path> shipped, std::filesystem::path user,
                         UserFolders folders, Report report)
    : library_(std::move(shipped), user,
               [](std::string_view text) { return keys::chordOfAccelerator(text).has_value(); }),
      user_(std::move(user)),
      folders_(std::move(folders)),
      report_(std::move(report)) {}

std::vector<std::string> SheetSource::namesOf(const FrontApplication& app) {
  return {app.desktopEntryId, std::filesystem::path(app.executable).filename().string()};
}

std::filesystem::path SheetSource::userSheetOf(const FrontApplication& app) const {
  const std::string program = std::filesystem::path(app.executable).filename().string();
  const std::string& name = app.desktopEntryId.empty() ? program : app.desktopEntryId;
  if (user_.empty() || name.empty()) return {};
  return user_ / (name + ".toml");
}

ShortcutSource::Answer SheetSource::answer(const FrontApplication& app) const {
  Answer answer;
  answer.rows = shortcuts(app);
  if (!answer.rows.empty()) return answer;
  answer.userSheet = userSheetOf(app).string();
  // Shown in one line: the home folder as people write it.
  const std::string home = folders_.home.string() + "/";
  if (home.size() > 2 && answer.userSheet.starts_with(home))
    answer.userSheet = "~/" + answer.userSheet.substr(home.size());
  return answer;
}

std::vector<ShortcutItem> SheetSource::shortcuts(const FrontApplication& app) const {
  const auto sheet = library_.find(namesOf(app));
  if (report_)
    for (const auto& message : library_.newErrors())
      report_(message);
  if (!sheet) return {};
  // The application's own record of its bindings, the user's changes included, wins: a GTK
  // accelerator map by action path, KDE's by action name. An application has one or the other.
  const auto program = std::filesystem::path(app.executable).filename().string();
  auto bound = kxmlgui::userBindings(program, folders_.dataHome, folders_.configHome);
  if (const auto map = accel_map::readAccelMap(
          accel_map::mapCandidates(program, folders_.configHome.c_str(), folders_.home.c_str())))
    for (const auto& entry : *map)
      bound[entry.path] =
          entry.accelerator.empty() ? std::vector<std::string>{} : std::vector{entry.accelerator};
  std::vector<ShortcutItem> out;
  for (const auto& group : sheet->groups)
    for (const auto& s : group.shortcuts) {
      std::vector<std::string> keys = s.keys;
      if (const auto it = bound.find(s.action); !s.action.empty() && it != bound.end())
        keys = it->second;
      for (const auto& k : keys)
        if (auto chord = keys::chordOfAccelerator(k))
          out.emplace_back(group.heading, s.title, std::move(*chord),
                           ShortcutOrigin{kName, group.headingZh, s.titleZh});
    }
  return out;
}

}  // namespace tavrine::sources::sheets
