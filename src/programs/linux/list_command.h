// SPDX-License-Identifier: MIT
// `tavrine --list [PID | --delay S] [--json] [--zh]`: what Tavrine would show for an application,
// each row with its source, and where nothing is found, why. It runs beside a running Tavrine.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "model/key_chord.h"

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

// A row's shortcuts as the list writes them: "Ctrl+G / F3".
std::string listedKeys(const std::vector<KeyChord>& chords);

// `text` as a JSON string literal.
std::string jsonString(const std::string& text);

// `text` for a terminal: well-formed, with control characters shown as escapes ("\n", "\u001b").
std::string terminalText(const std::string& text);

}  // namespace tavrine::program
