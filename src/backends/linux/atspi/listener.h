// SPDX-License-Identifier: MIT
// Other applications' keys and their active frame, read from the accessibility bus: a keystroke
// listener registered with the registry, and the window:activate / window:deactivate events.
// Works wherever toolkits forward keys to the registry, a Wayland session included.
//
// The registry waits up to 3 s for a listener's answer and GTK waits up to 0.5 s for the
// registry, on every key the user types: the listener therefore has a D-Bus connection and a
// thread of its own, answers each key at once and only queues it for the main thread, whatever
// the main thread is doing.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "backends/linux/key_source.h"

namespace tavrine::atspi {

class AtspiListener final : public keys::KeySource {
 public:
  // The object the registry calls (org.a11y.atspi.DeviceEventListener).
  static constexpr const char* kListenerPath = "/io/github/tavrine/Tavrine/Keystrokes";

  struct ActiveApplication {
    std::string busName;
    std::optional<std::int32_t> pid;  // none until the bus has answered
    std::string name;                 // the application's accessible name; may be empty
    bool operator==(const ActiveApplication&) const = default;
  };

  // `busAddress` empty: $AT_SPI_BUS_ADDRESS, else the address org.a11y.Bus gives on the session
  // bus.
  explicit AtspiListener(std::string busAddress = {});
  // Stops the thread.
  ~AtspiListener() override;
  AtspiListener(const AtspiListener&) = delete;
  AtspiListener& operator=(const AtspiListener&) = delete;

  // Starts the thread, which connects (and connects again whenever the bus or the registry
  // comes back) by itself; false only when no thread could be started.
  bool start(keys::KeyHandlers handlers) override;
  bool isStarted() const override;
  int fileDescriptor() const override;
  // Feeds the keys queued since the last call through the keystroke tracker to the handlers.
  void dispatchPending() override;
  modifier::Flags flags() const override;

  // The application whose frame is active; none when no accessible frame is. Any thread.
  std::optional<ActiveApplication> activeApplication() const;
  // The listener's unique name on the accessibility bus, empty while not connected. Any thread.
  std::string uniqueName() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tavrine::atspi
