// SPDX-License-Identifier: MIT
#include "backends/macos/ns_application.h"

#import <AppKit/AppKit.h>

namespace tavrine::macos {

static_assert(NSApplicationActivationPolicyRegular ==
              static_cast<NSApplicationActivationPolicy>(ActivationPolicy::regular));
static_assert(NSApplicationActivationPolicyAccessory ==
              static_cast<NSApplicationActivationPolicy>(ActivationPolicy::accessory));
static_assert(NSApplicationActivationPolicyProhibited ==
              static_cast<NSApplicationActivationPolicy>(ActivationPolicy::prohibited));

void setActivationPolicy(ActivationPolicy policy) {
  [NSApplication.sharedApplication
      setActivationPolicy:static_cast<NSApplicationActivationPolicy>(policy)];
}

void NsApplication::setActivationPolicy(ActivationPolicy policy) {
  portable_.setActivationPolicy(policy);
}

void NsApplication::orderFrontStandardAboutPanel() {
  // An inactive application's normal-level window cannot come in front of the key window of the
  // application in front: the user asked for this panel, so this application comes forward.
  [NSApplication.sharedApplication activate];
  [NSApplication.sharedApplication orderFrontStandardAboutPanelWithOptions:@{}];
}

void NsApplication::terminate() {
  [NSApplication.sharedApplication terminate:nil];
}

}  // namespace tavrine::macos
