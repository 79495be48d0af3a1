// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "keys/accelerator_chord.h"
#include "keys/key_binding.h"
#include "model/key_chord.h"

namespace tavrine::keys {
namespace {

using Parse = std::optional<KeyChord> (*)(std::string_view);

std::string shown(Parse parse, std::string_view binding) {
  const std::optional<KeyChord> key = parse(binding);
  return key ? shortcutText(*key) : "-";
}

// tests/golden/keys.txt: bindings as AT-SPI reports them (GTK's and Qt's forms) and as sheets
// write them, each with the shortcut the overlay shows.
TEST(KeyBindingTest, BindingsShowAsTheirToolkitsReadThem) {
  const std::map<std::string, Parse> readers{
      {"gtk", parseKeyBinding}, {"qt", parseKeyBinding}, {"accelerator", chordOfAccelerator}};
  std::ifstream in(std::filesystem::path(TAVRINE_GOLDEN_DIR) / "keys.txt");
  Parse parse = nullptr;
  int cases = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '@') {
      parse = readers.at(line.substr(2));
      continue;
    }
    const std::size_t end = line.rfind("] -> ");
    ASSERT_TRUE(parse && line[0] == '[' && end != line.npos) << line;
    EXPECT_EQ(shown(parse, line.substr(1, end - 1)), line.substr(end + 5)) << line;
    ++cases;
  }
  EXPECT_EQ(cases, 64) << "cases read";
}

// What is no binding at all, however well formed: empty, too long, cut, or with a control.
TEST(KeyBindingTest, WhatIsNoBindingShowsNone) {
  std::string tooLong;
  while (tooLong.size() <= kMaxKeyBindingBytes)
    tooLong += "Ctrl+";
  for (const std::string& binding : {tooLong + "N", std::string(), std::string("Ctrl+N\n"),
                                     std::string("Ctrl+\0N", 7), std::string("Ctrl+\xC3")})
    EXPECT_EQ(shown(parseKeyBinding, binding), "-") << binding;
  EXPECT_EQ(shown(chordOfAccelerator, ""), "-");
}

}  // namespace
}  // namespace tavrine::keys
