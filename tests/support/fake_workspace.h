// A workspace whose frontmost application and live modifier state a test sets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/workspace.h"

namespace tavrine::doubles {

class FakeWorkspace final : public WorkspacePort {
 public:
  std::optional<RunningApplication> frontmostApplication() const override {
    ++frontmostQueries_;
    return frontmost_;
  }
  std::uint64_t modifierFlags() const override { return flags_; }

  void setFrontmost(std::optional<RunningApplication> app) { frontmost_ = std::move(app); }
  void setFrontmost(std::int32_t pid, std::optional<std::string> name) {
    frontmost_ = RunningApplication{pid, std::move(name), nullptr};
  }
  void setModifierFlags(std::uint64_t flags) { flags_ = flags; }
  std::size_t frontmostQueries() const { return frontmostQueries_; }

 private:
  std::optional<RunningApplication> frontmost_;
  std::uint64_t flags_ = 0;
  mutable std::size_t frontmostQueries_ = 0;
};

}  // namespace tavrine::doubles
