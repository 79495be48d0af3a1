// SPDX-License-Identifier: MIT
// Ownership of sd-bus objects: every reference this program holds is one of these, released
// with its scope.
#pragma once

#include <systemd/sd-bus.h>

#include <memory>

namespace tavrine::dbus {

template <auto Release>
struct Releaser {
  template <typename T>
  void operator()(T* object) const {
    Release(object);
  }
};

// Closed as well as released: a connection we opened is ours alone.
using BusPtr = std::unique_ptr<sd_bus, Releaser<&sd_bus_close_unref>>;
using MessagePtr = std::unique_ptr<sd_bus_message, Releaser<&sd_bus_message_unref>>;
// Dropping a slot forgets its call or match.
using SlotPtr = std::unique_ptr<sd_bus_slot, Releaser<&sd_bus_slot_unref>>;

}  // namespace tavrine::dbus
