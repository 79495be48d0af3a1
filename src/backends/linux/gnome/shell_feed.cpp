// SPDX-License-Identifier: MIT
#include "backends/linux/gnome/shell_feed.h"

#include <systemd/sd-bus.h>

#include <string_view>
#include <utility>

#include "backends/linux/dbus/bus_connection.h"

namespace tavrine::gnome {

modifier::Flags flagsOfShellModifiers(std::uint32_t held) {
  modifier::Flags flags = 0;
  if (held & 1U) flags |= modifier::kShift;
  if (held & 2U) flags |= modifier::kCapsLock;
  if (held & 4U) flags |= modifier::kPrimary;
  if (held & 8U) flags |= modifier::kAlt;
  if (held & 16U) flags |= modifier::kControl;
  return flags;
}

ShellFeed::ShellFeed(dbus::SessionBus& bus, std::uint64_t subscribeTimeoutUsec)
    : bus_(bus), subscribeTimeoutUsec_(subscribeTimeoutUsec) {}

ShellFeed::~ShellFeed() {
  bus_.forget(this);
}

bool ShellFeed::start(keys::KeyHandlers handlers) {
  if (started_) return true;
  if (!watch(bus_.connection())) return false;
  handlers_ = std::move(handlers);
  started_ = true;
  // A new connection holds Tavrine's name again before this hears of it (the name's guard
  // watched the bus first): only then may it subscribe.
  bus_.watchConnections(this, [this](sd_bus* connection) {
    subscription_.reset();
    signals_.reset();
    shell_.stop();
    forget();
    setExtension(Extension::unknown);
    if (connection != nullptr) watch(connection);
  });
  return true;
}

bool ShellFeed::watch(sd_bus* bus) {
  if (bus == nullptr) return false;
  // Every signal of the interface, whoever sends it: the extension addresses its own to us, and
  // its Ready goes to everyone. The sender is checked on each.
  sd_bus_slot* slot = nullptr;
  if (sd_bus_match_signal_async(bus, &slot, nullptr, kPath, kInterface, nullptr,
                                &ShellFeed::onSignal, &dbus::keepConnectionOnMatchInstall,
                                this) < 0) {
    return false;
  }
  signals_.reset(slot);
  if (!shell_.follow(bus, kShellName, [this](const std::string& owner) { shellChanged(owner); })) {
    signals_.reset();
    return false;
  }
  return true;
}

int ShellFeed::fileDescriptor() const {
  return started_ && bus_.isOpen() ? bus_.fileDescriptor() : -1;
}

void ShellFeed::dispatchPending() {
  bus_.processPending();
  if (started_ && !bus_.isOpen()) {
    // The session bus went away, and the shell's reports with it.
    forget();
    setExtension(Extension::unknown);
  }
}

void ShellFeed::shellChanged(const std::string& owner) {
  forget();
  subscription_.reset();
  if (owner.empty()) {
    setExtension(Extension::unknown);
  } else {
    subscribe();
  }
}

// Addressed to the shell's unique name: the answer, and every signal after it, come from there.
void ShellFeed::subscribe() {
  sd_bus_message* raw = nullptr;
  sd_bus_message_new_method_call(bus_.connection(), &raw, shell_.owner().c_str(), kPath, kInterface,
                                 "Subscribe");
  const dbus::MessagePtr call(raw);
  sd_bus_slot* slot = nullptr;
  if (call && sd_bus_call_async(bus_.connection(), &slot, raw, &ShellFeed::onSubscribed, this,
                                subscribeTimeoutUsec_) >= 0) {
    subscription_.reset(slot);
  }
}

int ShellFeed::onSubscribed(sd_bus_message* m, void* userdata, sd_bus_error* /*error*/) {
  auto& self = *static_cast<ShellFeed*>(userdata);
  self.subscription_.reset();
  if (!sd_bus_message_is_method_error(m, nullptr)) {
    self.setExtension(Extension::present);
  } else if (sd_bus_message_is_method_error(m, "org.freedesktop.DBus.Error.UnknownMethod") ||
             sd_bus_message_is_method_error(m, "org.freedesktop.DBus.Error.UnknownObject") ||
             sd_bus_message_is_method_error(m, "org.freedesktop.DBus.Error.UnknownInterface")) {
    // The shell runs without the object: no extension. Any other error says nothing of it.
    self.setExtension(Extension::absent);
  } else if (sd_bus_message_is_method_error(m, "org.freedesktop.DBus.Error.NoReply")) {
    self.subscribe();  // at most once per timeout
  }
  return 0;
}

int ShellFeed::onSignal(sd_bus_message* m, void* userdata, sd_bus_error* /*error*/) {
  auto& self = *static_cast<ShellFeed*>(userdata);
  if (!self.shell_.sent(m)) return 0;
  const char* name = sd_bus_message_get_member(m);
  const std::string_view member = name != nullptr ? name : "";
  if (member == "Ready") {
    // The extension (re)started: whatever subscribed before is unknown to it.
    self.subscribe();
    return 0;
  }
  if (member == "Stopped") {
    self.forget();
    self.setExtension(Extension::absent);
    return 0;
  }
  if (member == "Modifiers") {
    std::uint32_t held = 0;
    if (sd_bus_message_read(m, "u", &held) > 0) self.setFlags(flagsOfShellModifiers(held));
  } else if (member == "Key") {
    if (self.handlers_.keyDown) self.handlers_.keyDown(self.flags_);
  } else if (member == "Focus") {
    std::uint32_t pid = 0;
    const char* wmClass = nullptr;
    const char* appName = nullptr;
    if (sd_bus_message_read(m, "uss", &pid, &wmClass, &appName) > 0) {
      const FocusedWindow now{pid <= INT32_MAX ? static_cast<std::int32_t>(pid) : 0, wmClass,
                              appName};
      const bool changed = !self.focus_ || self.focus_->pid != now.pid;
      self.focus_ = now;
      if (changed && self.handlers_.frontChanged) self.handlers_.frontChanged();
    }
  }
  return 0;
}

void ShellFeed::setExtension(Extension extension) {
  if (extension == extension_) return;
  extension_ = extension;
  if (extensionChanged_) extensionChanged_(extension);
}

void ShellFeed::forget() {
  focus_.reset();
  // Keys held now are released where nobody reports them.
  setFlags(0);
}

void ShellFeed::setFlags(modifier::Flags flags) {
  if (flags == flags_) return;
  flags_ = flags;
  if (handlers_.flagsChanged) handlers_.flagsChanged(flags);
}

}  // namespace tavrine::gnome
