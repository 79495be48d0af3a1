// SPDX-License-Identifier: MIT
#include "sources/sheets/sheet_source.h"

#include <map>

#include "sources/accel_map/accel_map.h"
#include "sources/accelerators/accelerator_chord.h"

namespace tavrine::sources::sheets {

SheetSource::SheetSource(std::vector<std::filesystem::path> shipped, std::filesystem::path user,
                         std::filesystem::path configHome, std::filesystem::path home,
                         Report report)
    : library_(std::move(shipped), std::move(user),
               [](std::string_view keys) { return chordOfAccelerator(keys).has_value(); }),
      configHome_(std::move(configHome)),
      home_(std::move(home)),
      report_(std::move(report)) {}

std::vector<std::string> SheetSource::namesOf(const FrontApplication& app) {
  return {app.desktopEntryId, std::filesystem::path(app.executable).filename().string()};
}

std::vector<SourcedShortcut> SheetSource::shortcuts(const FrontApplication& app) const {
  const auto sheet = library_.find(namesOf(app));
  if (report_)
    for (const auto& message : library_.newErrors())
      report_(message);
  if (!sheet) return {};
  // The application's own record of its bindings, the user's changes included, wins.
  std::map<std::string, std::string> bound;
  const auto program = std::filesystem::path(app.executable).filename().string();
  if (const auto map = accel_map::readAccelMap(
          accel_map::mapCandidates(program, configHome_.c_str(), home_.c_str())))
    for (const auto& entry : *map)
      bound[entry.path] = entry.accelerator;
  std::vector<SourcedShortcut> out;
  for (const auto& group : sheet->groups)
    for (const auto& s : group.shortcuts) {
      std::vector<std::string> keys = s.keys;
      if (const auto it = bound.find(s.action); !s.action.empty() && it != bound.end())
        keys = it->second.empty() ? std::vector<std::string>{} : std::vector{it->second};
      for (const auto& k : keys)
        if (auto chord = chordOfAccelerator(k))
          out.push_back(
              {group.heading, s.title, std::move(*chord), kName, group.headingZh, s.titleZh});
    }
  return out;
}

}  // namespace tavrine::sources::sheets
