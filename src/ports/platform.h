// SPDX-License-Identifier: MIT
// Every port the application delegate works through, bundled for its constructor. The
// references must outlive the delegate.
#pragma once

#include "ports/accessibility.h"
#include "ports/application.h"
#include "ports/event_monitor.h"
#include "ports/focus.h"
#include "ports/key_sender.h"
#include "ports/panel.h"
#include "ports/run_loop.h"
#include "ports/screen.h"
#include "ports/status_bar.h"
#include "ports/trust.h"
#include "ports/workspace.h"

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
