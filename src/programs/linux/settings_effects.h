// SPDX-License-Identifier: MIT
// What the user's settings change in the running program, kept live with the file: the hold's
// key and time, the language (and the language chosen in the menus written back to the file),
// the applications never shown over, and the autostart entry.
#pragma once

#include <QObject>
#include <filesystem>
#include <memory>

#include "app/app_delegate.h"
#include "model/modifier_flags.h"
#include "programs/linux/settings_file.h"

namespace tavrine::program {

// The modifier bit of the trigger key as the Linux backends report it (Super is the control bit).
modifier::Flags triggerKey(settings::Trigger trigger);

// $XDG_CONFIG_HOME/autostart/<app id>.desktop, else under ~/.config; empty when neither is set.
std::filesystem::path autostartEntryPath(const char* xdgConfigHome, const char* home);
// Writes the autostart entry (the installed desktop entry's text, else a minimal one starting
// this program) when `on` and there is none; removes it when off. `onlyOwn`: removes only an
// entry written here, not one the user or the system put there.
void followStartAtLogin(const std::filesystem::path& entry, bool on, bool onlyOwn);

// Applies `file`'s settings to `delegate`, `t` and the autostart entry at `autostart` now and at
// every change. `context` (alive as long as the three) carries the deferred write of a language
// chosen in a menu.
void applySettings(SettingsFile& file, const std::shared_ptr<AppDelegate>& delegate,
                   TranslationHelper& t, QObject& context, const std::filesystem::path& autostart);

}  // namespace tavrine::program
