// SPDX-License-Identifier: MIT
#include "platform/linux/a11y_bus_trust.h"

#include <systemd/sd-bus.h>

#include <utility>

namespace tavrine::dbus {
namespace {

// The accessibility bus launcher (at-spi2-core's at-spi-bus-launcher) on the session bus.
constexpr const char* kLauncher = "org.a11y.Bus";
constexpr const char* kLauncherPath = "/org/a11y/bus";
constexpr const char* kBusInterface = "org.a11y.Bus";
constexpr const char* kStatusInterface = "org.a11y.Status";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";

// Frees what one call leaves behind.
struct Call {
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* reply = nullptr;
  ~Call() {
    sd_bus_error_free(&error);
    if (reply != nullptr) sd_bus_message_unref(reply);
  }
};

}  // namespace

A11yBusTrust::A11yBusTrust(SessionBus& bus, AddressPublisher publisher)
    : bus_(bus), publisher_(std::move(publisher)) {}

std::optional<bool> A11yBusTrust::readIsEnabled() const {
  sd_bus* bus = bus_.connection();
  if (bus == nullptr) return std::nullopt;
  Call call;
  int enabled = 0;
  const bool read =
      sd_bus_call_method(bus, kLauncher, kLauncherPath, kProperties, "Get", &call.error,
                         &call.reply, "ss", kStatusInterface, "IsEnabled") >= 0 &&
      sd_bus_message_read(call.reply, "v", "b", &enabled) >= 0;
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
    Call call;
    sd_bus_call_method(bus, kLauncher, kLauncherPath, kProperties, "Set", &call.error, nullptr,
                       "ssv", kStatusInterface, "IsEnabled", "b", 1);
  }
  if (publisher_.isPublished && publisher_.publish && !publisher_.isPublished()) {
    Call call;
    const char* address = nullptr;
    if (sd_bus_call_method(bus, kLauncher, kLauncherPath, kBusInterface, "GetAddress", &call.error,
                           &call.reply, "") >= 0 &&
        sd_bus_message_read(call.reply, "s", &address) >= 0 && address != nullptr &&
        *address != '\0') {
      publisher_.publish(address);
    }
  }
  bus_.processPending();
  return *enabled;
}

}  // namespace tavrine::dbus
