// SPDX-License-Identifier: MIT
#include "platform/linux/dbus/a11y_bus_trust.h"

#include <systemd/sd-bus.h>

#include <utility>

#include "platform/linux/dbus/bus_connection.h"

namespace tavrine::dbus {
namespace {

// The accessibility bus launcher (at-spi2-core's at-spi-bus-launcher) on the session bus.
constexpr const char* kLauncher = "org.a11y.Bus";
constexpr const char* kLauncherPath = "/org/a11y/bus";
constexpr const char* kStatusInterface = "org.a11y.Status";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";

}  // namespace

A11yBusTrust::A11yBusTrust(SessionBus& bus, AddressPublisher publisher)
    : bus_(bus), publisher_(std::move(publisher)) {}

std::optional<bool> A11yBusTrust::readIsEnabled() const {
  sd_bus* bus = bus_.connection();
  if (bus == nullptr) return std::nullopt;
  sd_bus_message* raw = nullptr;
  const int called = sd_bus_call_method(bus, kLauncher, kLauncherPath, kProperties, "Get", nullptr,
                                        &raw, "ss", kStatusInterface, "IsEnabled");
  const MessagePtr reply(raw);
  int enabled = 0;
  const bool read = called >= 0 && sd_bus_message_read(raw, "v", "b", &enabled) >= 0;
  bus_.processPending();
  if (!read) return std::nullopt;
  return enabled != 0;
}

bool A11yBusTrust::isProcessTrusted() const {
  return readIsEnabled().value_or(false);
}

bool A11yBusTrust::isProcessTrustedWithPrompt() {
  const std::optional<bool> enabled = readIsEnabled();
  // No accessibility bus: nothing here can switch one on.
  if (!enabled) return false;
  sd_bus* bus = bus_.connection();
  if (bus == nullptr) return false;
  if (!*enabled) {
    sd_bus_call_method(bus, kLauncher, kLauncherPath, kProperties, "Set", nullptr, nullptr, "ssv",
                       kStatusInterface, "IsEnabled", "b", 1);
  }
  if (publisher_.isPublished && publisher_.publish && !publisher_.isPublished()) {
    const std::string address = launcherBusAddress(bus, SessionBus::kCallTimeoutMicroseconds);
    if (!address.empty()) publisher_.publish(address);
  }
  bus_.processPending();
  return *enabled;
}

}  // namespace tavrine::dbus
