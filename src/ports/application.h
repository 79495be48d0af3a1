// SPDX-License-Identifier: MIT
// The application port: the process's standing with the desktop, its about panel and its end.
#pragma once

namespace tavrine {

enum class ActivationPolicy {
  regular = 0,
  accessory = 1,  // no Dock icon or menu bar of its own; reached through the status item only
  prohibited = 2,
};

class ApplicationPort {
 public:
  virtual ~ApplicationPort() = default;

  virtual void setActivationPolicy(ActivationPolicy policy) = 0;
  // The platform's standard about panel, every field taken from the application's own bundle
  // information (no options). It may activate the application so that the panel comes in front
  // of the application the user was in; no other call of any port may activate it.
  virtual void orderFrontStandardAboutPanel() = 0;
  // Ends the process at once, without confirmation; the main loop returns 0.
  virtual void terminate() = 0;
};

}  // namespace tavrine
