// SPDX-License-Identifier: MIT
#include "backends/linux/dbus/a11y_bus_trust.h"

#include <systemd/sd-bus.h>

#include <cstring>
#include <utility>

#include "backends/linux/dbus/bus_connection.h"

namespace tavrine::dbus {
namespace {

// The accessibility bus launcher (at-spi2-core's at-spi-bus-launcher) on the session bus.
constexpr const char* kLauncher = "org.a11y.Bus";
constexpr const char* kLauncherPath = "/org/a11y/bus";
constexpr const char* kStatusInterface = "org.a11y.Status";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";

std::optional<bool> enabledOf(sd_bus_message* getReply) {
  int enabled = 0;
  if (sd_bus_message_read(getReply, "v", "b", &enabled) < 0) return std::nullopt;
  return enabled != 0;
}

// No launcher reads as untrusted, as a blocking read's failure does; no answer in time (read
// late by a busy main loop, or a launcher that hangs) leaves the trust as it was.
int onRefreshed(sd_bus_message* m, void* userdata, sd_bus_error*) {
  const auto* trust = static_cast<const A11yBusTrust*>(userdata);
  if (sd_bus_message_is_method_error(m, SD_BUS_ERROR_NO_REPLY)) {
    trust->learn(trust->lastKnown());
  } else {
    trust->learn(sd_bus_message_is_method_error(m, nullptr) ? false : enabledOf(m).value_or(false));
  }
  return 0;
}

}  // namespace

// PropertiesChanged (sa{sv}as) of org.a11y.Status, from the launcher: IsEnabled's new value.
int A11yBusTrust::onChanged(sd_bus_message* m, void* userdata, sd_bus_error*) {
  const auto* trust = static_cast<const A11yBusTrust*>(userdata);
  const char* interface = nullptr;
  if (!trust->launcher_.sent(m) || sd_bus_message_read(m, "s", &interface) < 0 ||
      interface == nullptr || std::strcmp(interface, kStatusInterface) != 0 ||
      sd_bus_message_enter_container(m, 'a', "{sv}") < 0) {
    return 0;
  }
  while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
    const char* name = nullptr;
    if (sd_bus_message_read(m, "s", &name) < 0 || name == nullptr) return 0;
    if (std::strcmp(name, "IsEnabled") == 0) {
      int enabled = 0;
      if (sd_bus_message_read(m, "v", "b", &enabled) < 0) return 0;
      trust->learn(enabled != 0);
    } else if (sd_bus_message_skip(m, "v") < 0) {
      return 0;
    }
    if (sd_bus_message_exit_container(m) < 0) return 0;
  }
  return 0;
}

A11yBusTrust::A11yBusTrust(SessionBus& bus, AddressPublisher publisher)
    : bus_(bus), publisher_(std::move(publisher)) {
  bus_.watchConnections(this, [this](sd_bus*) {
    // Matches and calls were the old connection's.
    refresh_.reset();
    changed_.reset();
    launcher_.stop();
    known_.reset();
  });
}

A11yBusTrust::~A11yBusTrust() {
  bus_.forget(this);
}

void A11yBusTrust::learn(std::optional<bool> enabled) const {
  known_ = enabled;
  refresh_.reset();
}

bool A11yBusTrust::follow(sd_bus* bus) const {
  if (bus == nullptr) return false;
  if (!changed_) {
    // Asynchronous: the bus applies them before it handles the read that follows.
    sd_bus_slot* raw = nullptr;
    if (sd_bus_match_signal_async(bus, &raw, kLauncher, kLauncherPath, kProperties,
                                  "PropertiesChanged", &onChanged, &keepConnectionOnMatchInstall,
                                  const_cast<A11yBusTrust*>(this)) < 0) {
      return false;
    }
    changed_.reset(raw);
    launcher_.follow(bus, kLauncher, {});
  }
  return true;
}

std::optional<bool> A11yBusTrust::readIsEnabled(sd_bus* bus) const {
  if (!follow(bus)) return std::nullopt;
  sd_bus_message* raw = nullptr;
  const int called = sd_bus_call_method(bus, kLauncher, kLauncherPath, kProperties, "Get", nullptr,
                                        &raw, "ss", kStatusInterface, "IsEnabled");
  const MessagePtr reply(raw);
  const std::optional<bool> enabled = called >= 0 ? enabledOf(raw) : std::nullopt;
  bus_.processPending();
  known_ = enabled;
  return enabled;
}

bool A11yBusTrust::isProcessTrusted() const {
  sd_bus* bus = bus_.connection();
  bus_.processPending();  // signals and a read's answer that came in meanwhile
  if (!known_) return readIsEnabled(bus).value_or(false);
  if (!refresh_ && follow(bus)) {
    sd_bus_message* raw = nullptr;
    sd_bus_message_new_method_call(bus, &raw, kLauncher, kLauncherPath, kProperties, "Get");
    const MessagePtr call(raw);
    sd_bus_slot* slot = nullptr;
    if (call && sd_bus_message_append(call.get(), "ss", kStatusInterface, "IsEnabled") >= 0 &&
        sd_bus_call_async(bus, &slot, call.get(), &onRefreshed, const_cast<A11yBusTrust*>(this),
                          kRefreshTimeoutMicroseconds) >= 0) {
      refresh_.reset(slot);
    }
  }
  return *known_;
}

bool A11yBusTrust::isProcessTrustedWithPrompt() {
  sd_bus* bus = bus_.connection();
  const std::optional<bool> enabled = readIsEnabled(bus);
  // No accessibility bus: nothing here can switch one on.
  if (!enabled) return false;
  if (!*enabled && sd_bus_call_method(bus, kLauncher, kLauncherPath, kProperties, "Set", nullptr,
                                      nullptr, "ssv", kStatusInterface, "IsEnabled", "b", 1) >= 0) {
    known_ = true;
  }
  if (publisher_.isPublished && publisher_.publish && !publisher_.isPublished()) {
    const std::string address = launcherBusAddress(bus, SessionBus::kCallTimeoutMicroseconds);
    if (!address.empty()) publisher_.publish(address);
  }
  bus_.processPending();
  return *enabled;
}

}  // namespace tavrine::dbus
