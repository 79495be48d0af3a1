// SPDX-License-Identifier: MIT
#include "backends/linux/dbus/xfconf_shortcuts.h"

#include <string_view>

#include "backends/linux/dbus/bus_connection.h"
#include "sources/desktop/xfce_shortcuts.h"

namespace tavrine::dbus {
namespace {

// Xfconf's a{sv}: strings as they are, booleans as "true" or "false", the rest left out.
bool readProperties(sd_bus_message* m, std::map<std::string, std::string>& out) {
  if (sd_bus_message_enter_container(m, 'a', "{sv}") < 0) return false;
  while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
    const char* name = nullptr;
    const char* type = nullptr;
    if (sd_bus_message_read(m, "s", &name) < 0 || name == nullptr ||
        sd_bus_message_peek_type(m, nullptr, &type) < 0 || type == nullptr)
      return false;
    const std::string_view kind = type;
    if (kind == "s") {
      const char* value = nullptr;
      if (sd_bus_message_read(m, "v", "s", &value) < 0 || value == nullptr) return false;
      out[name] = value;
    } else if (kind == "b") {
      int value = 0;
      if (sd_bus_message_read(m, "v", "b", &value) < 0) return false;
      out[name] = value ? "true" : "false";
    } else if (sd_bus_message_skip(m, "v") < 0) {
      return false;
    }
    if (sd_bus_message_exit_container(m) < 0) return false;
  }
  return sd_bus_message_exit_container(m) >= 0;
}

}  // namespace

XfconfShortcuts::XfconfShortcuts(SessionBus& bus, Handler changed)
    : bus_(bus), changed_(std::move(changed)) {
  watch(bus_.connection());
  bus_.watchConnections(this, [this](sd_bus* connection) {
    signals_.reset();
    if (connection == nullptr) return;
    watch(connection);
    // What changed while the bus was away.
    if (auto bindings = read(); bindings && changed_) changed_(*bindings);
  });
}

XfconfShortcuts::~XfconfShortcuts() {
  bus_.forget(this);
}

void XfconfShortcuts::watch(sd_bus* connection) {
  sd_bus_slot* slot = nullptr;
  if (connection != nullptr &&
      sd_bus_match_signal_async(connection, &slot, kName, kPath, kInterface, nullptr,
                                &XfconfShortcuts::onSignal, &keepConnectionOnMatchInstall,
                                this) >= 0)
    signals_.reset(slot);
}

int XfconfShortcuts::onSignal(sd_bus_message* m, void* self, sd_bus_error* /*error*/) {
  auto* me = static_cast<XfconfShortcuts*>(self);
  const char* channel = nullptr;
  const std::string_view member = sd_bus_message_get_member(m) ? sd_bus_message_get_member(m) : "";
  if ((member != "PropertyChanged" && member != "PropertyRemoved") ||
      sd_bus_message_read(m, "s", &channel) < 0 || channel == nullptr ||
      std::string_view(channel) != kXfceShortcutsChannel)
    return 0;
  if (auto bindings = me->read(); bindings && me->changed_) me->changed_(*bindings);
  return 0;
}

std::optional<std::vector<DesktopBinding>> XfconfShortcuts::read() {
  sd_bus* connection = bus_.connection();
  if (connection == nullptr) return std::nullopt;
  sd_bus_message* raw = nullptr;
  if (sd_bus_call_method(connection, kName, kPath, kInterface, "GetAllProperties", nullptr, &raw,
                         "ss", kXfceShortcutsChannel, "/") < 0)
    return std::nullopt;
  const MessagePtr reply(raw);
  std::map<std::string, std::string> properties;
  if (!readProperties(reply.get(), properties)) return std::nullopt;
  return xfceBindings(properties);
}

}  // namespace tavrine::dbus
