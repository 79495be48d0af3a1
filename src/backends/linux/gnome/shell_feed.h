// SPDX-License-Identifier: MIT
// Keys and the focused window as GNOME Shell sees them, through Tavrine's shell extension
// (packaging/gnome-shell). On GNOME's Wayland session this is the one source that hears every
// application, GTK 4 ones included, which forward nothing to the accessibility bus.
//
// The feed subscribes to the extension's object on GNOME Shell's own connection, from the
// connection that holds Tavrine's bus name: the extension serves that one alone and addresses its
// signals to it. Only signals whose sender owns org.gnome.Shell are believed. Without the extension
// (or the shell) the feed stays silent and the other feeds go on as before.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "backends/linux/dbus/name_owner.h"
#include "backends/linux/dbus/session_bus.h"
#include "backends/linux/key_source.h"

namespace tavrine::gnome {

inline constexpr const char* kExtensionUuid = "tavrine@tavrine.github.io";

class ShellFeed final : public keys::KeySource {
 public:
  static constexpr const char* kShellName = "org.gnome.Shell";
  static constexpr const char* kPath = "/io/github/tavrine/Tavrine/Shell";
  static constexpr const char* kInterface = "io.github.tavrine.Tavrine.Shell1";

  // The window with the keyboard focus as the extension reports it.
  struct FocusedWindow {
    std::int32_t pid = 0;  // 0: none known
    std::string wmClass;   // the Wayland app id or the X11 class
    std::string appName;   // the shell's name for the application; may be empty
    bool operator==(const FocusedWindow&) const = default;
  };

  enum class Extension {
    unknown,  // no GNOME Shell on the bus, or not asked yet
    present,
    absent,  // GNOME Shell runs without it (not installed, not enabled, or switched off)
  };

  // A shell still busy starting gets a few seconds to answer Subscribe; one that does not is
  // asked again.
  static constexpr std::uint64_t kSubscribeTimeoutUsec = 5'000'000;

  // `bus` (which must outlive this) is the connection that holds Tavrine's name: the extension
  // refuses any other. Its messages are handled wherever it is processed.
  explicit ShellFeed(dbus::SessionBus& bus,
                     std::uint64_t subscribeTimeoutUsec = kSubscribeTimeoutUsec);
  ~ShellFeed() override;
  ShellFeed(const ShellFeed&) = delete;
  ShellFeed& operator=(const ShellFeed&) = delete;

  // Connects and follows GNOME Shell; false without a session bus.
  bool start(keys::KeyHandlers handlers) override;
  bool isStarted() const override { return started_; }
  // -1 once the session bus has gone (it would stay readable).
  int fileDescriptor() const override;
  void dispatchPending() override;
  modifier::Flags flags() const override { return flags_; }

  // None while the extension does not report (absent, switched off, shell gone).
  const std::optional<FocusedWindow>& focusedWindow() const { return focus_; }
  Extension extension() const { return extension_; }
  // Runs whenever extension() changes, inside dispatchPending, and at once with what is known
  // already: the shell's answer may have been read before the caller came to ask.
  void onExtensionChanged(std::function<void(Extension)> changed) {
    extensionChanged_ = std::move(changed);
    if (extension_ != Extension::unknown && extensionChanged_) extensionChanged_(extension_);
  }

 private:
  static int onSignal(sd_bus_message* m, void* userdata, sd_bus_error* error);
  static int onSubscribed(sd_bus_message* m, void* userdata, sd_bus_error* error);
  // Follows the shell on `bus`; false when the bus refused.
  bool watch(sd_bus* bus);
  void shellChanged(const std::string& owner);
  void subscribe();
  void setExtension(Extension extension);
  // The extension stopped reporting: what it said last no longer holds.
  void forget();
  void setFlags(modifier::Flags flags);

  dbus::SessionBus& bus_;
  std::uint64_t subscribeTimeoutUsec_;
  bool started_ = false;
  keys::KeyHandlers handlers_;
  dbus::NameOwner shell_;
  dbus::SlotPtr signals_;
  dbus::SlotPtr subscription_;
  modifier::Flags flags_ = 0;
  std::optional<FocusedWindow> focus_;
  Extension extension_ = Extension::unknown;
  std::function<void(Extension)> extensionChanged_;
};

// The extension's modifier bits (Shift 1, Caps Lock 2, Ctrl 4, Alt 8, Super 16) as the modifier
// word: Ctrl is Command, Alt Option, Super Control, as everywhere on Linux.
modifier::Flags flagsOfShellModifiers(std::uint32_t held);

}  // namespace tavrine::gnome
