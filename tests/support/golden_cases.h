// SPDX-License-Identifier: MIT
// What tests keep as text: tables of examples, one case a line (blank lines and lines that begin
// with '#' skipped), some split at tabs, and dumps under tests/golden compared whole.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "model/modifier_flags.h"
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

// The lines of `path` that hold a case; none when it cannot be read, which the count read catches.
inline std::vector<std::string> caseLines(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> cases;
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] != '#') cases.push_back(line);
  return cases;
}

// The cases of tests/golden/`file`.
inline std::vector<std::string> goldenCases(const std::string& file) {
  return caseLines(std::filesystem::path(TAVRINE_GOLDEN_DIR) / file);
}

// The cases of a table kept as data, each split at its tabs, empty fields kept.
inline std::vector<std::vector<std::string>> caseRows(const std::filesystem::path& path) {
  std::vector<std::vector<std::string>> rows;
  for (const std::string& line : caseLines(path)) {
    std::vector<std::string>& fields = rows.emplace_back(1);
    for (const char c : line)
      c == '\t' ? void(fields.emplace_back()) : fields.back().push_back(c);
  }
  return rows;
}

// A modifier word written as names joined by "+" ("primary+shift"); "-" is none.
inline modifier::Flags flagsNamed(const std::string& names) {
  modifier::Flags flags = 0;
  for (const auto& [name, flag] : {std::pair{"primary", modifier::kPrimary},
                                   {"shift", modifier::kShift},
                                   {"alt", modifier::kAlt},
                                   {"control", modifier::kControl},
                                   {"caps", modifier::kCapsLock}})
    if (("+" + names + "+").find("+" + std::string(name) + "+") != std::string::npos) flags |= flag;
  return flags;
}

// Compares `dump` with tests/golden/`file` line by line, so that a failure names the first line
// that moved; TAVRINE_UPDATE_GOLDEN=1 rewrites the file instead.
inline void expectGolden(const std::string& file, const std::string& dump) {
  const std::filesystem::path path = std::filesystem::path(TAVRINE_GOLDEN_DIR) / file;
  if (const char* update = std::getenv("TAVRINE_UPDATE_GOLDEN"); update && *update == '1') {
    std::ofstream(path, std::ios::binary) << dump;
    GTEST_SKIP() << "rewrote " << path;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << "no " << path << ": run with TAVRINE_UPDATE_GOLDEN=1";
  std::istringstream want(std::string{std::istreambuf_iterator<char>(in), {}}), got(dump);
  std::string a, b;
  for (int n = 1;
       static_cast<bool>(std::getline(want, a)) | static_cast<bool>(std::getline(got, b));
       ++n, a.clear(), b.clear())
    ASSERT_EQ(b, a) << file << " line " << n << " (TAVRINE_UPDATE_GOLDEN=1 rewrites it)";
}

}  // namespace tavrine::doubles
