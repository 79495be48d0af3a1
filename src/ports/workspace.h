// SPDX-License-Identifier: MIT
// The workspace port: which application is in front, and the live modifier state.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "ports/image.h"

namespace tavrine {

struct RunningApplication {
  std::int32_t processIdentifier = 0;
  std::optional<std::string> localizedName;
  ImageRef icon;  // null when the application has none
  // What sources of shortcuts recognise an application by, when the backend knows them: the
  // absolute path of its program and the id of its desktop entry ("org.gnome.TextEditor").
  std::optional<std::string> executable;
  std::optional<std::string> desktopEntryId;
  // Its name in Chinese where it gives one (a desktop entry's Name[zh_CN]), for the overlay's
  // header in Chinese.
  std::optional<std::string> localizedNameZH;
  // The class part of its window's WM_CLASS ("Gimp"), on X11.
  std::optional<std::string> windowClass;
};

class WorkspacePort {
 public:
  virtual ~WorkspacePort() = default;

  // The application that receives key events now, if any.
  virtual std::optional<RunningApplication> frontmostApplication() const = 0;
  // The modifier keys held at this moment, system-wide, as a modifier word (Command 0x100000).
  virtual std::uint64_t modifierFlags() const = 0;
};

}  // namespace tavrine
