// SPDX-License-Identifier: MIT
// Example tables kept as text under tests/golden: one case a line, blank lines and lines that
// begin with '#' skipped.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "text/unicode.h"

namespace tavrine::doubles {

// \t, \r, \n, \\, \xHH (one byte) and \uXXXX in a case, as what they stand for.
inline std::string unescaped(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    const char kind = s[++i];
    const int digits = kind == 'x' ? 2 : kind == 'u' ? 4 : 0;
    const auto code = digits ? std::stoul(std::string(s.substr(i + 1, digits)), nullptr, 16) : 0;
    out += kind == 't'   ? "\t"
           : kind == 'n' ? "\n"
           : kind == 'r' ? "\r"
           : kind == 'x' ? std::string(1, static_cast<char>(code))
           : kind == 'u' ? text::toUtf8(static_cast<char32_t>(code))
                         : std::string(1, kind);
    i += static_cast<std::size_t>(digits);
  }
  return out;
}

// The cases of tests/golden/`file`; none when it cannot be read, which the count read catches.
inline std::vector<std::string> goldenCases(const std::string& file) {
  std::ifstream in(std::filesystem::path(TAVRINE_GOLDEN_DIR) / file, std::ios::binary);
  std::vector<std::string> cases;
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] != '#') cases.push_back(line);
  return cases;
}

}  // namespace tavrine::doubles
