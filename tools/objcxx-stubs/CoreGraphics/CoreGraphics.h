// SPDX-License-Identifier: MIT
// Stand-in for Core Graphics, for the Objective-C++ syntax check only: what the macOS backend
// calls, each declaration as Apple documents it on the page named beside it
// (developer.apple.com/documentation/coregraphics/...). The opaque types repeat GNUstep's
// AppKit typedefs, which C++ allows.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

// GNUstep Base 1.31 declares the geometry types itself, as Apple does.
#if __has_include(<CoreFoundation/CFCGTypes.h>)
#include <CoreFoundation/CFCGTypes.h>
#else
#if defined(__LP64__) && __LP64__
typedef double CGFloat;  // corefoundation/cgfloat
#else
typedef float CGFloat;
#endif
typedef struct CGPoint {
  CGFloat x;
  CGFloat y;
} CGPoint;  // corefoundation/cgpoint
typedef struct CGSize {
  CGFloat width;
  CGFloat height;
} CGSize;  // corefoundation/cgsize
typedef struct CGRect {
  CGPoint origin;
  CGSize size;
} CGRect;  // corefoundation/cgrect
#endif
// coregraphics/1455245-cgrectmake
static inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
  CGRect rect = {{x, y}, {width, height}};
  return rect;
}

typedef struct CGImage* CGImageRef;            // coregraphics/cgimage
typedef struct CGContext* CGContextRef;        // coregraphics/cgcontext
typedef struct CGColorSpace* CGColorSpaceRef;  // coregraphics/cgcolorspace

typedef uint32_t CGBitmapInfo;  // coregraphics/cgbitmapinfo
// coregraphics/cgimagealphainfo/premultipliedfirst
typedef uint32_t CGImageAlphaInfo;
enum { kCGImageAlphaPremultipliedFirst = 2 };
// coregraphics/cgbitmapinfo/byteorder32little (the host order on every Mac)
enum {
  kCGBitmapByteOrder32Little = 2 << 12,
  kCGBitmapByteOrder32Host = kCGBitmapByteOrder32Little
};

extern const CFStringRef kCGColorSpaceSRGB;  // coregraphics/kcgcolorspacesrgb
// coregraphics/cgcolorspace/1408921-init (CGColorSpaceCreateWithName)
CGColorSpaceRef CGColorSpaceCreateWithName(CFStringRef name);
// coregraphics/cgcontext/1455939-init (CGBitmapContextCreate)
CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef space, uint32_t bitmapInfo);
// coregraphics/cgcontext/1454845-draw (CGContextDrawImage)
void CGContextDrawImage(CGContextRef c, CGRect rect, CGImageRef image);

#ifdef __cplusplus
}
#endif
