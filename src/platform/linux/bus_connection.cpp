// SPDX-License-Identifier: MIT
#include "platform/linux/bus_connection.h"

#include <systemd/sd-bus.h>

namespace tavrine::atspi {

void BusCloser::operator()(sd_bus* bus) const {
  sd_bus_close_unref(bus);
}

bool isSafeBusAddress(std::string_view address) {
  return (address.starts_with("unix:path=") || address.starts_with("unix:abstract=")) &&
         address.find(';') == std::string_view::npos;
}

BusPtr connectToAddress(const std::string& address, bool busClient) {
  if (!isSafeBusAddress(address)) return {};
  sd_bus* raw = nullptr;
  if (sd_bus_new(&raw) < 0) return {};
  BusPtr bus(raw);
  if (sd_bus_set_address(raw, address.c_str()) < 0 || sd_bus_set_bus_client(raw, busClient) < 0 ||
      sd_bus_start(raw) < 0) {
    return {};
  }
  return bus;
}

}  // namespace tavrine::atspi
