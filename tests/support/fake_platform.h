// Every port's test double in one place, with the Platform bundle of references to them.
#pragma once

#include "platform/memory/memory_accessibility.h"
#include "platform/platform.h"
#include "support/fake_trust.h"
#include "support/fake_workspace.h"
#include "support/recording_application.h"
#include "support/recording_panels.h"
#include "support/recording_status_bar.h"
#include "support/scripted_events.h"
#include "support/virtual_run_loop.h"

namespace tavrine::doubles {

struct FakePlatform {
  RecordingApplication application;
  VirtualRunLoop runLoop;
  ScriptedEvents events;
  FakeWorkspace workspace;
  FakeTrust trust;
  ax::MemoryAccessibility accessibility;
  RecordingStatusBar statusBar;
  FakeScreens screens;
  RecordingPanels panels;

  Platform platform() {
    return Platform{application,   runLoop,   events,  workspace, trust,
                    accessibility, statusBar, screens, panels};
  }
};

}  // namespace tavrine::doubles
