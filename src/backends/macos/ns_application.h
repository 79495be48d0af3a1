// SPDX-License-Identifier: MIT
// The application port on macOS: NSApplication's activation policy, its standard about panel
// (every field from the bundle's Info.plist) and terminate:.
#pragma once

#include "ports/application.h"

namespace tavrine::macos {

// The activation policy on the shared application, for the shell's application port.
void setActivationPolicy(ActivationPolicy policy);

class NsApplication final : public ApplicationPort {
 public:
  // `portable` (the shell's, which also keeps the main loop from ending with its last window)
  // takes the activation policy; it must outlive this.
  explicit NsApplication(ApplicationPort& portable) : portable_(portable) {}

  void setActivationPolicy(ActivationPolicy policy) override;
  // Activates the application first, so that the panel opens in front: the only call of the
  // backend that activates it.
  void orderFrontStandardAboutPanel() override;
  // terminate: of the shared application, with no sender; the toolkit's application delegate
  // answers it by ending the main loop.
  void terminate() override;

 private:
  ApplicationPort& portable_;
};

}  // namespace tavrine::macos
