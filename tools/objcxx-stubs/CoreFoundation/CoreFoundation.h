// SPDX-License-Identifier: MIT
// Stand-in for Core Foundation, for the Objective-C++ syntax check only (no Mac build uses it):
// what the macOS backend calls, each declaration as Apple documents it on the page named beside
// it (developer.apple.com/documentation/corefoundation/...).
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned char UInt8;                           // .../kernel/uint8
typedef unsigned char Boolean;                         // .../kernel/boolean
typedef signed long CFIndex;                           // corefoundation/cfindex
typedef unsigned long CFTypeID;                        // corefoundation/cftypeid
typedef unsigned long CFOptionFlags;                   // corefoundation/cfoptionflags
typedef const void* CFTypeRef;                         // corefoundation/cftyperef
typedef uint32_t CFStringEncoding;                     // corefoundation/cfstringencoding
typedef const struct __CFAllocator* CFAllocatorRef;    // corefoundation/cfallocator
typedef const struct __CFString* CFStringRef;          // corefoundation/cfstring
typedef const struct __CFArray* CFArrayRef;            // corefoundation/cfarray
typedef const struct __CFDictionary* CFDictionaryRef;  // corefoundation/cfdictionary
typedef const struct __CFNumber* CFNumberRef;          // corefoundation/cfnumber
typedef const struct __CFBoolean* CFBooleanRef;        // corefoundation/cfboolean
typedef const struct __CFNull* CFNullRef;              // corefoundation/cfnull

typedef struct {
  CFIndex location;
  CFIndex length;
} CFRange;                                                     // corefoundation/cfrange
static inline CFRange CFRangeMake(CFIndex loc, CFIndex len) {  // corefoundation/1543316-cfrangemake
  CFRange range = {loc, len};
  return range;
}

enum { kCFNotFound = -1 };  // corefoundation/kcfnotfound
// corefoundation/cfstringbuiltinencodings/utf8
enum { kCFStringEncodingUTF8 = 0x08000100 };
// corefoundation/cfnumbertype/sint64type
typedef CFIndex CFNumberType;
enum { kCFNumberSInt64Type = 4 };

extern const CFAllocatorRef kCFAllocatorDefault;  // corefoundation/kcfallocatordefault
extern const CFBooleanRef kCFBooleanTrue;         // corefoundation/kcfbooleantrue
extern const CFNullRef kCFNull;                   // corefoundation/kcfnull

CFTypeRef CFRetain(CFTypeRef cf);               // corefoundation/1521269-cfretain
void CFRelease(CFTypeRef cf);                   // corefoundation/1521153-cfrelease
CFTypeID CFGetTypeID(CFTypeRef cf);             // corefoundation/1521218-cfgettypeid
Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2);  // corefoundation/1521287-cfequal

CFTypeID CFStringGetTypeID(void);   // corefoundation/1542853-cfstringgettypeid
CFTypeID CFNumberGetTypeID(void);   // corefoundation/1542607-cfnumbergettypeid
CFTypeID CFArrayGetTypeID(void);    // corefoundation/1388741-cfarraygettypeid
CFTypeID CFBooleanGetTypeID(void);  // corefoundation/1541797-cfbooleangettypeid
CFTypeID CFNullGetTypeID(void);     // corefoundation/1541459-cfnullgettypeid

// corefoundation/1543419-cfstringcreatewithbytes
CFStringRef CFStringCreateWithBytes(CFAllocatorRef alloc, const UInt8* bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean isExternalRepresentation);
CFIndex CFStringGetLength(CFStringRef theString);  // corefoundation/1542853-cfstringgetlength
// corefoundation/1542143-cfstringgetmaximumsizeforencoding
CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding);
// corefoundation/1543006-cfstringgetbytes
CFIndex CFStringGetBytes(CFStringRef theString, CFRange range, CFStringEncoding encoding,
                         UInt8 lossByte, Boolean isExternalRepresentation, UInt8* buffer,
                         CFIndex maxBufLen, CFIndex* usedBufLen);

// corefoundation/1541546-cfnumbergetvalue
Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void* valuePtr);

typedef const void* (*CFArrayRetainCallBack)(CFAllocatorRef allocator, const void* value);
typedef void (*CFArrayReleaseCallBack)(CFAllocatorRef allocator, const void* value);
typedef CFStringRef (*CFArrayCopyDescriptionCallBack)(const void* value);
typedef Boolean (*CFArrayEqualCallBack)(const void* value1, const void* value2);
typedef struct {
  CFIndex version;
  CFArrayRetainCallBack retain;
  CFArrayReleaseCallBack release;
  CFArrayCopyDescriptionCallBack copyDescription;
  CFArrayEqualCallBack equal;
} CFArrayCallBacks;                                   // corefoundation/cfarraycallbacks
extern const CFArrayCallBacks kCFTypeArrayCallBacks;  // corefoundation/kcftypearraycallbacks
// corefoundation/1388741-cfarraycreate
CFArrayRef CFArrayCreate(CFAllocatorRef allocator, const void** values, CFIndex numValues,
                         const CFArrayCallBacks* callBacks);
CFIndex CFArrayGetCount(CFArrayRef theArray);  // corefoundation/1388772-cfarraygetcount
// corefoundation/1388767-cfarraygetvalueatindex
const void* CFArrayGetValueAtIndex(CFArrayRef theArray, CFIndex idx);

typedef struct {
  CFIndex version;
  const void* retain;
  const void* release;
  const void* copyDescription;
  const void* equal;
  const void* hash;
} CFDictionaryKeyCallBacks;  // corefoundation/cfdictionarykeycallbacks (callbacks abridged)
typedef struct {
  CFIndex version;
  const void* retain;
  const void* release;
  const void* copyDescription;
  const void* equal;
} CFDictionaryValueCallBacks;  // corefoundation/cfdictionaryvaluecallbacks (callbacks abridged)
extern const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks;
extern const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks;
// corefoundation/1516782-cfdictionarycreate
CFDictionaryRef CFDictionaryCreate(CFAllocatorRef allocator, const void** keys, const void** values,
                                   CFIndex numValues, const CFDictionaryKeyCallBacks* keyCallBacks,
                                   const CFDictionaryValueCallBacks* valueCallBacks);

#ifdef __cplusplus
}
#endif

#ifdef __OBJC__
// Toll-free bridging under ARC: foundation/1587932-cfbridgingretain and
// foundation/1587926-cfbridgingrelease.
static inline CFTypeRef CFBridgingRetain(id X) {
  return (__bridge_retained CFTypeRef)X;
}
static inline id CFBridgingRelease(CFTypeRef X) {
  return (__bridge_transfer id)X;
}
#endif
