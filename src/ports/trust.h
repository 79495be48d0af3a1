// SPDX-License-Identifier: MIT
// The accessibility-trust port: whether this process may read other applications' interfaces
// and observe their key events.
#pragma once

namespace tavrine {

class TrustPort {
 public:
  virtual ~TrustPort() = default;

  // The current trust; asks the user nothing.
  virtual bool isProcessTrusted() const = 0;
  // Like isProcessTrusted, but when the process is not trusted it also leads the user towards
  // granting it (the system's prompt on macOS; on Linux, switching the accessibility bus on).
  // Returns at once: the grant, if any, comes later.
  virtual bool isProcessTrustedWithPrompt() = 0;
};

}  // namespace tavrine
