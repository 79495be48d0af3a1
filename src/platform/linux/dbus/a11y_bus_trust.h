// SPDX-License-Identifier: MIT
// Accessibility trust on Linux: the desktop's accessibility bus is reachable and switched on
// (org.a11y.Status.IsEnabled). Asking for it switches it on; there is no prompt to show.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/linux/dbus/session_bus.h"
#include "platform/trust.h"

namespace tavrine::dbus {

class A11yBusTrust final : public TrustPort {
 public:
  // Where X11 applications look for the accessibility bus: the root window's AT_SPI_BUS
  // property, which Qt 5 applications need before they join the bus.
  struct AddressPublisher {
    std::function<bool()> isPublished;
    std::function<void(const std::string& address)> publish;
  };

  // `bus` must outlive this.
  explicit A11yBusTrust(SessionBus& bus, AddressPublisher publisher = {});

  // Answers within the bus's call timeout; false without a session bus or accessibility bus.
  bool isProcessTrusted() const override;
  // Switches IsEnabled on when it is off and publishes the bus address when nobody has; returns
  // the trust before.
  bool isProcessTrustedWithPrompt() override;

 private:
  std::optional<bool> readIsEnabled() const;

  SessionBus& bus_;
  AddressPublisher publisher_;
};

}  // namespace tavrine::dbus
