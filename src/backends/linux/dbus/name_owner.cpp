// SPDX-License-Identifier: MIT
#include "backends/linux/dbus/name_owner.h"

#include <systemd/sd-bus.h>

#include <cstdint>
#include <utility>

#include "backends/linux/dbus/bus_connection.h"

namespace tavrine::dbus {
namespace {

constexpr const char* kDBus = "org.freedesktop.DBus";
constexpr const char* kDBusPath = "/org/freedesktop/DBus";
constexpr std::uint64_t kQueryTimeoutUsec = 60'000'000;

}  // namespace

bool isSentBy(sd_bus_message* m, std::string_view uniqueName) {
  const char* sender = m != nullptr ? sd_bus_message_get_sender(m) : nullptr;
  return sender != nullptr && !uniqueName.empty() && sender == uniqueName;
}

bool isSentByBus(sd_bus_message* m) {
  return isSentBy(m, kDBus);
}

void NameOwner::stop() {
  match_.reset();
  query_.reset();
  owner_.clear();
}

bool NameOwner::follow(sd_bus* bus, std::string name, Changed changed) {
  stop();
  name_ = std::move(name);
  changed_ = std::move(changed);
  if (bus == nullptr) return false;
  // The match goes out before the query: whatever the bus says after the answer is newer.
  const std::string rule =
      "type='signal',sender='org.freedesktop.DBus',path='/org/freedesktop/"
      "DBus',interface='org.freedesktop.DBus',member='NameOwnerChanged',"
      "arg0='" +
      name_ + "'";
  sd_bus_slot* match = nullptr;
  if (sd_bus_add_match_async(bus, &match, rule.c_str(), &NameOwner::onOwnerChanged,
                             &keepConnectionOnMatchInstall, this) < 0) {
    return false;
  }
  match_.reset(match);
  sd_bus_message* raw = nullptr;
  sd_bus_message_new_method_call(bus, &raw, kDBus, kDBusPath, kDBus, "GetNameOwner");
  const MessagePtr call(raw);
  sd_bus_slot* query = nullptr;
  // The bus answers at once, but a busy main loop may read the answer late: the connection's
  // short call timeout would turn it into "no owner" (for good, as no change follows).
  if (!call || sd_bus_message_append(raw, "s", name_.c_str()) < 0 ||
      sd_bus_call_async(bus, &query, raw, &NameOwner::onOwner, this, kQueryTimeoutUsec) < 0) {
    return false;
  }
  query_.reset(query);
  return true;
}

int NameOwner::onOwnerChanged(sd_bus_message* m, void* userdata, sd_bus_error* /*error*/) {
  auto& self = *static_cast<NameOwner*>(userdata);
  const char* name = nullptr;
  const char* from = nullptr;
  const char* to = nullptr;
  if (!isSentByBus(m) || sd_bus_message_read(m, "sss", &name, &from, &to) < 0 || name == nullptr ||
      to == nullptr || self.name_ != name) {
    return 0;
  }
  self.query_.reset();  // an answer still on its way is older
  self.set(to);
  return 0;
}

int NameOwner::onOwner(sd_bus_message* m, void* userdata, sd_bus_error* /*error*/) {
  auto& self = *static_cast<NameOwner*>(userdata);
  self.query_.reset();
  const char* owner = nullptr;
  // An error is the bus saying the name has no owner.
  if (sd_bus_message_is_method_error(m, nullptr) || sd_bus_message_read(m, "s", &owner) < 0 ||
      owner == nullptr) {
    owner = "";
  }
  self.set(owner);
  return 0;
}

void NameOwner::set(std::string owner) {
  if (owner == owner_) return;
  owner_ = std::move(owner);
  if (changed_) changed_(owner_);
}

}  // namespace tavrine::dbus
