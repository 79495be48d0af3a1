// SPDX-License-Identifier: MIT
// Who may be believed on a bus. Any client can send any message to any other, and a message
// names its sender only by unique name: a message counts as coming from a service when its
// sender is the unique name that owns the service's well-known name at the time.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "backends/linux/dbus/sd_bus_ptr.h"

namespace tavrine::dbus {

// Whether `m` was sent by `uniqueName` (never when either is missing).
bool isSentBy(sd_bus_message* m, std::string_view uniqueName);
// Whether `m` comes from the bus itself: no client can send as org.freedesktop.DBus, while a
// signal addressed to us alone reaches our matches whatever sender they name.
bool isSentByBus(sd_bus_message* m);

// The unique name owning a well-known name, followed through the bus's NameOwnerChanged (only
// as the bus itself sends it) after one GetNameOwner.
class NameOwner {
 public:
  // Runs with the new owner, empty when the name has none; inside the bus's processing.
  using Changed = std::function<void(const std::string& owner)>;

  NameOwner() = default;
  NameOwner(const NameOwner&) = delete;
  NameOwner& operator=(const NameOwner&) = delete;

  // Starts following `name` on `bus` (which must outlive this), forgetting any earlier one;
  // false when the bus refused the match or the query.
  bool follow(sd_bus* bus, std::string name, Changed changed);
  // Stops following (the bus's connection is going away): no owner is known.
  void stop();
  // Empty while the name has no owner, or before the bus has said.
  const std::string& owner() const { return owner_; }
  // Whether `m` comes from the name's owner.
  bool sent(sd_bus_message* m) const { return isSentBy(m, owner_); }

 private:
  static int onOwnerChanged(sd_bus_message* m, void* userdata, sd_bus_error* error);
  static int onOwner(sd_bus_message* m, void* userdata, sd_bus_error* error);
  void set(std::string owner);

  std::string name_;
  std::string owner_;
  Changed changed_;
  SlotPtr match_;
  SlotPtr query_;
};

}  // namespace tavrine::dbus
