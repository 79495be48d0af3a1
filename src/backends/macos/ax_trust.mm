// SPDX-License-Identifier: MIT
#include "backends/macos/ax_trust.h"

#include <ApplicationServices/ApplicationServices.h>

#include "backends/macos/cf_ref.h"

namespace tavrine::macos {

bool AxTrust::isProcessTrusted() const {
  return AXIsProcessTrusted();
}

bool AxTrust::isProcessTrustedWithPrompt() {
  const void* keys[] = {kAXTrustedCheckOptionPrompt};
  const void* values[] = {kCFBooleanTrue};
  const CFRef<CFDictionaryRef> options(CFDictionaryCreate(kCFAllocatorDefault, keys, values, 1,
                                                          &kCFTypeDictionaryKeyCallBacks,
                                                          &kCFTypeDictionaryValueCallBacks));
  // Without the options there is no prompt to show; the answer is the plain trust check.
  if (!options) return AXIsProcessTrusted();
  return AXIsProcessTrustedWithOptions(options.get());
}

}  // namespace tavrine::macos
