// SPDX-License-Identifier: MIT
// Accessibility trust on Linux: the desktop's accessibility bus is reachable and switched on
// (org.a11y.Status.IsEnabled). Asking for it switches it on; there is no prompt to show.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "backends/linux/dbus/name_owner.h"
#include "backends/linux/dbus/sd_bus_ptr.h"
#include "backends/linux/dbus/session_bus.h"
#include "ports/trust.h"

namespace tavrine::dbus {

class A11yBusTrust final : public TrustPort {
 public:
  // A background read waits this long; the main loop may be busy meanwhile.
  static constexpr std::uint64_t kRefreshTimeoutMicroseconds = 5'000'000;

  // Where X11 applications look for the accessibility bus: the root window's AT_SPI_BUS
  // property, which Qt 5 applications need before they join the bus.
  struct AddressPublisher {
    std::function<bool()> isPublished;
    std::function<void(const std::string& address)> publish;
  };

  // `bus` must outlive this.
  explicit A11yBusTrust(SessionBus& bus, AddressPublisher publisher = {});
  ~A11yBusTrust() override;
  A11yBusTrust(const A11yBusTrust&) = delete;
  A11yBusTrust& operator=(const A11yBusTrust&) = delete;

  // The first answer waits at most the bus's call timeout; later ones never wait: the switch is
  // followed through the launcher's change signals and a read in the background at each call,
  // whose answer the next call sees. False without a session bus or accessibility bus.
  bool isProcessTrusted() const override;
  // Switches IsEnabled on when it is off and publishes the bus address when nobody has; returns
  // the trust before.
  bool isProcessTrustedWithPrompt() override;

  // What the background reads and the launcher's signals report.
  void learn(std::optional<bool> enabled) const;
  std::optional<bool> lastKnown() const { return known_; }

 private:
  static int onChanged(sd_bus_message* m, void* userdata, sd_bus_error* error);
  // A bounded read on `bus` (null: none).
  std::optional<bool> readIsEnabled(sd_bus* bus) const;
  // Follows the switch on `bus`'s current connection; false without one.
  bool follow(sd_bus* bus) const;

  SessionBus& bus_;
  AddressPublisher publisher_;
  mutable std::optional<bool> known_;
  mutable SlotPtr changed_;
  mutable NameOwner launcher_;  // who owns org.a11y.Bus
  mutable SlotPtr refresh_;
};

}  // namespace tavrine::dbus
