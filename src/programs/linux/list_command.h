// SPDX-License-Identifier: MIT
// `tavrine --list [PID | --delay S] [--json] [--zh]`: what Tavrine would show for an application,
// each row with its source, and where nothing is found, why. It runs beside a running Tavrine.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "i18n/translation_helper.h"
#include "model/key_chord.h"
#include "sources/shortcut_source.h"

namespace tavrine::program {

struct ListOptions {
  std::int32_t pid = 0;  // 0: the application in front after `delaySeconds`
  double delaySeconds = 0;
  bool json = false;
  bool zh = false;
};

// The arguments after "--list"; a message for anything else.
std::variant<ListOptions, std::string> parseListArguments(const std::vector<std::string>& args);

// Prints the list on standard output: 0 when the application has shortcuts, 1 when it has none
// (or none is in front), 2 for bad arguments or a process that is not running.
int runListCommand(const std::vector<std::string>& args);

// One row of the list, in the language of the moment.
struct ListedRow {
  std::string heading, title, keys, source;
  std::string takenBy;  // "taken by the desktop: …" where a desktop binding takes it
};

// The application's rows of a read, each marked where a desktop binding takes it.
std::vector<ListedRow> listedApplicationRows(const MergedShortcuts& merged,
                                             const TranslationHelper& t);

// A row under its heading: "  Title\tKeys\tsource", then what takes it; and a row as a JSON
// object, with "takenBy" only where something takes it. Both escaped.
std::string listedRowText(const ListedRow& row);
std::string listedRowJson(const ListedRow& row);

// A row's shortcuts as the list writes them: "Ctrl+G / F3".
std::string listedKeys(const std::vector<KeyChord>& chords);

// `text` as a JSON string literal.
std::string jsonString(const std::string& text);

// `text` for a terminal: well-formed, with control characters shown as escapes ("\n", "\u001b").
std::string terminalText(const std::string& text);

}  // namespace tavrine::program
