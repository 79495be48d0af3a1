// SPDX-License-Identifier: MIT
// Client connections to buses whose addresses other processes hand us: the accessibility bus
// (from its launcher) and each application's own socket.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/linux/dbus/sd_bus_ptr.h"

namespace tavrine::dbus {

// Only plain Unix sockets, one address: sd-bus would try a list in turn, and "unixexec:" would
// start a program.
bool isSafeBusAddress(std::string_view address);

// A client connection to `address`, started without waiting for the handshake (the first call's
// wait completes it under that call's timeout); null for an unsafe address or a failure.
// `busClient` is false for an application's own socket, which is a peer and not a bus. Passed
// file descriptors are refused.
BusPtr connectToAddress(const std::string& address, bool busClient);

// The accessibility bus's address as its launcher (org.a11y.Bus on the session bus `session`,
// which starts it when needed) gives it, waiting at most `timeoutUsec` (0: sd-bus's default);
// empty when none.
std::string launcherBusAddress(sd_bus* session, std::uint64_t timeoutUsec);

// The accessibility bus's address: $AT_SPI_BUS_ADDRESS when set, else the launcher's on the
// user's session bus. The AT_SPI_BUS root-window property is only for clients without a session
// bus, which the program always has.
std::string accessibilityBusAddress(std::uint64_t timeoutUsec);

}  // namespace tavrine::dbus
