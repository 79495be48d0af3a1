// SPDX-License-Identifier: MIT
#include "backends/linux/dbus/appearance_portal.h"

#include <systemd/sd-bus.h>

#include <cstring>
#include <string>
#include <utility>

#include "backends/linux/dbus/bus_connection.h"

namespace tavrine::dbus {
namespace {

constexpr const char* kNamespace = "org.freedesktop.appearance";
constexpr const char* kKey = "color-scheme";

// The scheme in a value that Read wraps in one variant more than ReadOne and the signal do.
std::optional<ColorScheme> readScheme(sd_bus_message* m) {
  // A variant of a variant at most: a deeper one is no answer of a portal.
  for (int depth = 0; depth < 3; ++depth) {
    char type = 0;
    const char* contents = nullptr;
    if (sd_bus_message_peek_type(m, &type, &contents) <= 0) return std::nullopt;
    if (type == SD_BUS_TYPE_UINT32) {
      std::uint32_t value = 0;
      if (sd_bus_message_read_basic(m, SD_BUS_TYPE_UINT32, &value) <= 0) return std::nullopt;
      // A value the portal may add later says no more than "no preference".
      return value <= 2 ? static_cast<ColorScheme>(value) : ColorScheme::noPreference;
    }
    if (type != SD_BUS_TYPE_VARIANT || sd_bus_message_enter_container(m, type, contents) <= 0)
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

AppearancePortal::AppearancePortal(SessionBus& bus) : bus_(bus) {}

AppearancePortal::~AppearancePortal() {
  bus_.forget(this);
}

bool AppearancePortal::start(Changed changed) {
  changed_ = std::move(changed);
  if (!watch(bus_.connection())) return false;
  bus_.watchConnections(this, [this](sd_bus* connection) {
    call_.reset();
    match_.reset();
    portal_.stop();
    set(std::nullopt);
    if (connection != nullptr) watch(connection);
  });
  return true;
}

bool AppearancePortal::watch(sd_bus* bus) {
  if (bus == nullptr) return false;
  sd_bus_slot* slot = nullptr;
  if (sd_bus_match_signal_async(bus, &slot, nullptr, kPath, kInterface, "SettingChanged",
                                &AppearancePortal::onSignal, &keepConnectionOnMatchInstall,
                                this) < 0) {
    return false;
  }
  match_.reset(slot);
  // Read again whenever the portal (re)starts; without one, nothing is known.
  if (!portal_.follow(bus, kService, [this](const std::string& owner) {
        call_.reset();
        if (owner.empty()) {
          set(std::nullopt);
        } else {
          read(readOne_ ? "ReadOne" : "Read");
        }
      })) {
    match_.reset();
    return false;
  }
  // Asked at once as well: the call starts a portal that the bus starts on demand.
  read("ReadOne");
  return true;
}

void AppearancePortal::read(const char* method) {
  sd_bus* bus = bus_.connection();
  if (bus == nullptr) return;
  sd_bus_message* raw = nullptr;
  if (sd_bus_message_new_method_call(bus, &raw, kService, kPath, kInterface, method) < 0) return;
  const MessagePtr call(raw);
  sd_bus_slot* slot = nullptr;
  if (sd_bus_message_append(raw, "ss", kNamespace, kKey) >= 0 &&
      sd_bus_call_async(bus, &slot, raw, &AppearancePortal::onReply, this,
                        kReadTimeoutMicroseconds) >= 0) {
    call_.reset(slot);
  }
}

int AppearancePortal::onReply(sd_bus_message* m, void* userdata, sd_bus_error* /*error*/) {
  auto& self = *static_cast<AppearancePortal*>(userdata);
  self.call_.reset();
  if (sd_bus_message_is_method_error(m, "org.freedesktop.DBus.Error.UnknownMethod") &&
      self.readOne_) {
    self.readOne_ = false;  // a portal older than ReadOne
    self.read("Read");
    return 0;
  }
  // An error (the setting unknown to it, no answer in time) leaves the preference unknown.
  self.set(sd_bus_message_is_method_error(m, nullptr) ? std::nullopt : readScheme(m));
  return 0;
}

int AppearancePortal::onSignal(sd_bus_message* m, void* userdata, sd_bus_error* /*error*/) {
  auto& self = *static_cast<AppearancePortal*>(userdata);
  if (!self.portal_.sent(m)) return 0;
  const char* space = nullptr;
  const char* key = nullptr;
  if (sd_bus_message_read(m, "ss", &space, &key) <= 0 || space == nullptr || key == nullptr ||
      std::strcmp(space, kNamespace) != 0 || std::strcmp(key, kKey) != 0) {
    return 0;
  }
  if (const std::optional<ColorScheme> scheme = readScheme(m)) self.set(scheme);
  return 0;
}

void AppearancePortal::set(std::optional<ColorScheme> scheme) {
  if (scheme == scheme_) return;
  scheme_ = scheme;
  if (changed_) changed_(scheme_);
}

}  // namespace tavrine::dbus
