// SPDX-License-Identifier: MIT
// Accessibility trust on macOS: whether the user has allowed this process to control the
// computer (System Settings, Privacy & Security, Accessibility), and the system's prompt for it.
#pragma once

#include "ports/trust.h"

namespace tavrine::macos {

class AxTrust final : public TrustPort {
 public:
  bool isProcessTrusted() const override;
  // Shows the system's prompt when the process is not trusted; the answer comes later and is
  // noticed by polling.
  bool isProcessTrustedWithPrompt() override;
};

}  // namespace tavrine::macos
