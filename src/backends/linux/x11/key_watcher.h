// SPDX-License-Identifier: MIT
// Every key going down or up anywhere on the X display, without grabbing anything: XInput 2 raw
// key and button events selected on the root window for the master devices (synthetic XTEST
// events included), turned into modifier changes and key presses. A button press or wheel step
// is a key press, and so is a modifier change while a button is held (Ctrl+click, Ctrl+wheel,
// Ctrl pressed during a drag).
#pragma once

#include <memory>
#include <string>

#include "backends/linux/key_source.h"

namespace tavrine::x11 {

class X11KeyWatcher final : public keys::KeySource {
 public:
  using Handlers = keys::KeyHandlers;

  // Connects to `displayName` (empty: $DISPLAY), but only when started.
  explicit X11KeyWatcher(std::string displayName = {});
  ~X11KeyWatcher() override;
  X11KeyWatcher(const X11KeyWatcher&) = delete;
  X11KeyWatcher& operator=(const X11KeyWatcher&) = delete;

  // Opens a connection of its own and starts watching; false when there is no X server or it
  // lacks XInput 2.1. A started watcher ignores further calls (and keeps its handlers).
  bool start(Handlers handlers) override;
  bool isStarted() const override;

  // The connection's descriptor, readable when events may be waiting; -1 until started. Call
  // dispatchPending whenever it is readable.
  int fileDescriptor() const override;
  // Handles every event that has arrived and calls the handlers; never waits.
  void dispatchPending() override;

  // The modifier word as the keys seen so far leave it.
  modifier::Flags flags() const override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tavrine::x11
