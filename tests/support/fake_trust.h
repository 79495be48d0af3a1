// Accessibility trust that a test grants or withdraws, counting the prompts shown.
#pragma once

#include <cstddef>

#include "platform/trust.h"

namespace tavrine::doubles {

class FakeTrust final : public TrustPort {
 public:
  bool isProcessTrusted() const override { return trusted_; }
  bool isProcessTrustedWithPrompt() override {
    ++prompts_;
    return trusted_;
  }

  void setTrusted(bool trusted) { trusted_ = trusted; }
  std::size_t prompts() const { return prompts_; }

 private:
  bool trusted_ = false;
  std::size_t prompts_ = 0;
};

}  // namespace tavrine::doubles
