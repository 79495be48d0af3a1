// SPDX-License-Identifier: MIT
// GNUstep's AppKit, for the Objective-C++ syntax check only, with the AppKit API newer than
// GNUstep that the macOS backend calls. Each declaration as Apple documents it on the page named
// beside it (developer.apple.com/documentation/appkit/...); enumerations carry Apple's values,
// which the backend checks against its ports' constants.
#pragma once
#include_next <AppKit/AppKit.h>

// nsevent/eventtypemask/keydown, .../flagschanged
static const NSEventMask NSEventMaskKeyDown = 1ULL << 10;
static const NSEventMask NSEventMaskFlagsChanged = 1ULL << 12;
// nsevent/modifierflags (capslock ... function, deviceindependentflagsmask); GNUstep GUI 0.32
// declares all but the help flag itself, with the same values.
#if GNUSTEP_GUI_MAJOR_VERSION == 0 && GNUSTEP_GUI_MINOR_VERSION < 32
static const NSEventModifierFlags NSEventModifierFlagCapsLock = 1 << 16;
static const NSEventModifierFlags NSEventModifierFlagShift = 1 << 17;
static const NSEventModifierFlags NSEventModifierFlagControl = 1 << 18;
static const NSEventModifierFlags NSEventModifierFlagOption = 1 << 19;
static const NSEventModifierFlags NSEventModifierFlagCommand = 1 << 20;
static const NSEventModifierFlags NSEventModifierFlagNumericPad = 1 << 21;
static const NSEventModifierFlags NSEventModifierFlagFunction = 1 << 23;
static const NSEventModifierFlags NSEventModifierFlagDeviceIndependentFlagsMask = 0xffff0000UL;
#endif
static const NSEventModifierFlags NSEventModifierFlagHelp = 1 << 22;

@interface NSEvent (TavrineNewerAppKit)
// nsevent/addlocalmonitorforevents(matching:handler:)
+ (id)addLocalMonitorForEventsMatchingMask:(NSEventMask)mask
                                   handler:(NSEvent* (^)(NSEvent* event))block;
// nsevent/addglobalmonitorforevents(matching:handler:)
+ (id)addGlobalMonitorForEventsMatchingMask:(NSEventMask)mask
                                    handler:(void (^)(NSEvent* event))block;
@end

@interface NSApplication (TavrineNewerAppKit)
// nsapplication/setactivationpolicy(_:)
- (BOOL)setActivationPolicy:(NSApplicationActivationPolicy)activationPolicy;
// nsapplication/activate() (macOS 14)
- (void)activate;
@end

@interface NSWindow (TavrineNewerAppKit)
// nswindow/stylemask (settable)
- (void)setStyleMask:(NSUInteger)styleMask;
@end

@interface NSPanel (TavrineNewerAppKit)
// nspanel/becomeskeyonlyifneeded (settable)
- (void)setBecomesKeyOnlyIfNeeded:(BOOL)flag;
@end

// nsimage/resizingmode-swift.enum
typedef NSInteger NSImageResizingMode;
static const NSImageResizingMode NSImageResizingModeTile = 0;
static const NSImageResizingMode NSImageResizingModeStretch = 1;

@interface NSImage (TavrineNewerAppKit)
// nsimage/init(systemsymbolname:accessibilitydescription:) (macOS 11)
+ (NSImage*)imageWithSystemSymbolName:(NSString*)name
             accessibilityDescription:(NSString*)description;
// nsimage/init(size:flipped:drawinghandler:)
+ (NSImage*)imageWithSize:(NSSize)size
                  flipped:(BOOL)drawingHandlerShouldBeCalledWithFlippedContext
           drawingHandler:(BOOL (^)(NSRect dstRect))drawingHandler;
// nsimage/capinsets, nsimage/resizingmode
@property NSEdgeInsets capInsets;
@property NSImageResizingMode resizingMode;
@end

// nsvisualeffectview/material/hudwindow
static const NSVisualEffectMaterial NSVisualEffectMaterialHUDWindow = 13;

@interface NSView (TavrineNewerAppKit)
// nsappearancecustomization/appearance, which NSView adopts
@property(strong) NSAppearance* appearance;
@end

// nsworkspace/didactivateapplicationnotification
extern NSString* const NSWorkspaceDidActivateApplicationNotification;
