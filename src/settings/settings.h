// SPDX-License-Identifier: MIT
// The user's settings: what the file $XDG_CONFIG_HOME/tavrine/settings.toml says, over the
// defaults. With no file, every value is its default and Tavrine behaves as it always has.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavrine::settings {

// The key whose hold alone brings the panel up.
enum class Trigger { primary, super, alt };
// Which screen the panel appears on.
enum class Placement { frontApplication, pointer, primary };
// The panel's colours: the desktop's light/dark preference, followed live, or fixed.
enum class Appearance { followDesktop, light, dark };
enum class Language { english, chinese };

struct Settings {
  static constexpr int kMinHoldDelayMs = 150;
  static constexpr int kMaxHoldDelayMs = 3000;
  static constexpr int kMinSizePercent = 80;
  static constexpr int kMaxSizePercent = 150;

  Trigger trigger = Trigger::primary;
  int holdDelayMs = 500;
  // Desktop ids ("org.gnome.gedit") or window classes ("Gimp"), compared without case and
  // without a ".desktop" ending.
  std::vector<std::string> neverShowOver;
  Placement placement = Placement::frontApplication;
  Appearance appearance = Appearance::followDesktop;
  int sizePercent = 100;
  Language language = Language::english;
  bool startAtLogin = false;

  bool operator==(const Settings&) const = default;
  // Whether `idOrClass` (a desktop id or a window class) is one never to show over.
  bool excludes(std::string_view idOrClass) const;
};

// What reading a settings file gave: the settings, and one message for each value that was
// malformed or out of range ("<file>:<line>: <key> = <value> is not …; using <default>").
struct Reading {
  Settings settings;
  std::vector<std::string> problems;
};

// Reads the text of a settings file; `fileName` names it in the messages. Never fails: a file
// that is not TOML at all gives the defaults and one message.
Reading parse(std::string_view text, std::string_view fileName);

// `text` with every key of `settings` that differs from what `text` says written in place,
// missing keys added at the end; the user's comments, order and other keys are kept. Keys at
// their default that the file does not name are not added.
std::string write(std::string_view text, const Settings& settings);

// $XDG_CONFIG_HOME/tavrine/settings.toml, else ~/.config/tavrine/settings.toml; empty when
// neither variable is set.
std::string filePath(const char* xdgConfigHome, const char* home);

}  // namespace tavrine::settings
