// SPDX-License-Identifier: MIT
// Client connections to buses whose addresses other processes hand us: the accessibility bus
// (from its launcher) and each application's own socket.
#pragma once

#include <memory>
#include <string>
#include <string_view>

struct sd_bus;

namespace tavrine::atspi {

struct BusCloser {
  void operator()(sd_bus* bus) const;
};
using BusPtr = std::unique_ptr<sd_bus, BusCloser>;

// Only plain Unix sockets, one address: sd-bus would try a list in turn, and "unixexec:" would
// start a program.
bool isSafeBusAddress(std::string_view address);

// A client connection to `address`, started without waiting for the handshake (the first call's
// wait completes it under that call's timeout); null for an unsafe address or a failure.
// `busClient` is false for an application's own socket, which is a peer and not a bus.
BusPtr connectToAddress(const std::string& address, bool busClient);

}  // namespace tavrine::atspi
