// SPDX-License-Identifier: MIT
// Every port the application delegate works through, bundled for its constructor. The
// references must outlive the delegate.
#pragma once

#include "platform/accessibility.h"
#include "platform/application.h"
#include "platform/event_monitor.h"
#include "platform/focus.h"
#include "platform/key_sender.h"
#include "platform/panel.h"
#include "platform/run_loop.h"
#include "platform/screen.h"
#include "platform/status_bar.h"
#include "platform/trust.h"
#include "platform/workspace.h"

namespace tavrine {

struct Platform {
  ApplicationPort& application;
  RunLoopPort& runLoop;
  EventMonitorPort& events;
  WorkspacePort& workspace;
  TrustPort& trust;
  ax::AccessibilityPort& accessibility;
  StatusBarPort& statusBar;
  ScreenPort& screens;
  PanelPort& panels;
  // Where the window system tells who has the keyboard; without it a pinned overlay cannot give
  // the keyboard back explicitly and leaves that to the window system.
  FocusPort* focus = nullptr;
  // Types a row's chord into the application once the keyboard is back; without it (or without
  // the focus port) only rows of the live menu bar can be run.
  KeySenderPort* keys = nullptr;
};

}  // namespace tavrine
