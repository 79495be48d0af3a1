// SPDX-License-Identifier: MIT
// Ownership of Core Foundation objects (CF, CG and AX types) for the backend's Objective-C++
// files: a wrapper holds the one reference that a Create or Copy function hands over, or one it
// took itself for a value it was lent (the Get rule), and releases it when it goes.
#pragma once

#include <CoreFoundation/CoreFoundation.h>

#include <string_view>
#include <utility>

namespace tavrine::macos {

template <typename T>
class CFRef {
 public:
  CFRef() = default;
  // Takes over a reference the caller owns (Create and Copy functions); null is allowed.
  explicit CFRef(T owned) : ref_(owned) {}
  // Takes a reference of its own to a value it was only lent (Get functions).
  static CFRef retain(T borrowed) {
    if (borrowed != nullptr) CFRetain(borrowed);
    return CFRef(borrowed);
  }

  ~CFRef() { reset(); }
  CFRef(const CFRef&) = delete;
  CFRef& operator=(const CFRef&) = delete;
  CFRef(CFRef&& other) noexcept : ref_(std::exchange(other.ref_, nullptr)) {}
  CFRef& operator=(CFRef&& other) noexcept {
    if (this != &other) {
      reset();
      ref_ = std::exchange(other.ref_, nullptr);
    }
    return *this;
  }

  T get() const { return ref_; }
  explicit operator bool() const { return ref_ != nullptr; }
  void reset() {
    if (ref_ != nullptr) CFRelease(ref_);
    ref_ = nullptr;
  }

 private:
  T ref_ = nullptr;
};

// A CFString of UTF-8 text; null when the text is not valid UTF-8.
inline CFRef<CFStringRef> cfString(std::string_view utf8) {
  return CFRef<CFStringRef>(
      CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(utf8.data()),
                              static_cast<CFIndex>(utf8.size()), kCFStringEncodingUTF8, false));
}

}  // namespace tavrine::macos
