// SPDX-License-Identifier: MIT
// Stand-in for ApplicationServices, for the Objective-C++ syntax check only: Core Foundation,
// Core Graphics and the accessibility API (HIServices) that the macOS backend calls, each
// declaration as Apple documents it on the page named beside it
// (developer.apple.com/documentation/applicationservices/...).
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <CoreGraphics/CoreGraphics.h>
#include <sys/types.h>

#ifdef __cplusplus
extern "C" {
#endif

// axerror, with the codes of axerror/kaxerrorsuccess and the pages beside it
typedef int32_t AXError;
enum {
  kAXErrorSuccess = 0,
  kAXErrorFailure = -25200,
  kAXErrorIllegalArgument = -25201,
  kAXErrorInvalidUIElement = -25202,
  kAXErrorInvalidUIElementObserver = -25203,
  kAXErrorCannotComplete = -25204,
  kAXErrorAttributeUnsupported = -25205,
  kAXErrorActionUnsupported = -25206,
  kAXErrorNotificationUnsupported = -25207,
  kAXErrorNotImplemented = -25208,
  kAXErrorNotificationAlreadyRegistered = -25209,
  kAXErrorNotificationNotRegistered = -25210,
  kAXErrorAPIDisabled = -25211,
  kAXErrorNoValue = -25212,
  kAXErrorParameterizedAttributeUnsupported = -25213,
  kAXErrorNotEnoughPrecision = -25214,
};

typedef const struct __AXUIElement* AXUIElementRef;  // axuielement
typedef const struct __AXValue* AXValueRef;          // axvalue

// axvaluetype, and axvaluetype/axerror (kAXValueTypeAXError)
typedef uint32_t AXValueType;
enum {
  kAXValueTypeCGPoint = 1,
  kAXValueTypeCGSize = 2,
  kAXValueTypeCGRect = 3,
  kAXValueTypeCFRange = 4,
  kAXValueTypeAXError = 5,
  kAXValueTypeIllegal = 0,
};

// axcopymultipleattributeoptions, axcopymultipleattributeoptions/stoponerror
typedef uint32_t AXCopyMultipleAttributeOptions;
enum { kAXCopyMultipleAttributeOptionStopOnError = 0x1 };

extern const CFStringRef kAXTrustedCheckOptionPrompt;  // kaxtrustedcheckoptionprompt

Boolean AXIsProcessTrusted(void);  // 1460720-axisprocesstrusted
Boolean AXIsProcessTrustedWithOptions(
    CFDictionaryRef options);                            // 1459186-axisprocesstrustedwithoptions
CFTypeID AXUIElementGetTypeID(void);                     // 1459885-axuielementgettypeid
AXUIElementRef AXUIElementCreateApplication(pid_t pid);  // 1459374-axuielementcreateapplication
// 1459048-axuielementsetmessagingtimeout
AXError AXUIElementSetMessagingTimeout(AXUIElementRef element, float timeoutInSeconds);
// 1462085-axuielementcopyattributevalue
AXError AXUIElementCopyAttributeValue(AXUIElementRef element, CFStringRef attribute,
                                      CFTypeRef* value);
// 1462040-axuielementcopymultipleattributevalues
AXError AXUIElementCopyMultipleAttributeValues(AXUIElementRef element, CFArrayRef attributes,
                                               AXCopyMultipleAttributeOptions options,
                                               CFArrayRef* values);
CFTypeID AXValueGetTypeID(void);               // 1459115-axvaluegettypeid
AXValueType AXValueGetType(AXValueRef value);  // 1462086-axvaluegettype
// 1462067-axvaluegetvalue
Boolean AXValueGetValue(AXValueRef value, AXValueType theType, void* valuePtr);

#ifdef __cplusplus
}
#endif
