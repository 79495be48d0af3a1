// SPDX-License-Identifier: MIT
// Client connections to buses whose addresses other processes hand us: the accessibility bus
// (from its launcher) and each application's own socket.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "backends/linux/dbus/sd_bus_ptr.h"

namespace tavrine::dbus {

// Only plain Unix sockets, one address: sd-bus would try a list in turn, and "unixexec:" would
// start a program.
bool isSafeBusAddress(std::string_view address);

// A client connection to `address`, started without waiting for the handshake (callers that wait
// on it bound the wait themselves: sd-bus's own calls would wait up to 90 s for the handshake);
// null for an unsafe address or a failure. `busClient` is false for an application's own socket,
// which is a peer and not a bus. Passed file descriptors are refused.
BusPtr connectToAddress(const std::string& address, bool busClient);

// The install callback for asynchronous matches: whatever the bus answered (or a reply read after
// the call timeout), the connection stays. sd-bus closes the connection when a match without
// one fails to install, which a main loop busy for longer than the timeout would cause.
int keepConnectionOnMatchInstall(sd_bus_message* reply, void* userdata, sd_bus_error* error);

// The user's session bus address as sd-bus would find it: $DBUS_SESSION_BUS_ADDRESS, else
// $XDG_RUNTIME_DIR/bus; empty when neither is set.
std::string userBusAddress();

// A bus client connection to `address` (trusted: the user's own session bus) whose handshake
// completed within `timeoutUsec`, with that same timeout for its method calls; null when the bus
// is absent or did not answer in time. Peers that accept and never answer cost `timeoutUsec`.
BusPtr openBusWithin(const std::string& address, std::uint64_t timeoutUsec);

// The accessibility bus's address as its launcher (org.a11y.Bus on the session bus `session`,
// which starts it when needed) gives it, waiting at most `timeoutUsec` (0: sd-bus's default);
// empty when none.
std::string launcherBusAddress(sd_bus* session, std::uint64_t timeoutUsec);

// The accessibility bus's address: $AT_SPI_BUS_ADDRESS when set, else the launcher's on the
// user's session bus, connecting and asking within `timeoutUsec` each. The AT_SPI_BUS root-window
// property is only for clients without a session bus, which the program always has.
std::string accessibilityBusAddress(std::uint64_t timeoutUsec);

}  // namespace tavrine::dbus
