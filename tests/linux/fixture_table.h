// SPDX-License-Identifier: MIT
// Tables of cases kept as data in fixtures/: lines of tab-separated fields, "#" comments.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "model/modifier_flags.h"

namespace tavrine::doubles {

// The rows of fixtures/`name`, empty fields kept.
inline std::vector<std::vector<std::string>> fixtureRows(const std::string& name) {
  std::ifstream file(std::string(TAVRINE_ATSPI_FIXTURES) + "/" + name);
  std::vector<std::vector<std::string>> out;
  for (std::string line; std::getline(file, line);) {
    if (line.starts_with('#')) continue;
    std::vector<std::string>& fields = out.emplace_back(1);
    for (const char c : line)
      c == '\t' ? void(fields.emplace_back()) : fields.back().push_back(c);
  }
  return out;
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

}  // namespace tavrine::doubles
