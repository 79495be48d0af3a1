// SPDX-License-Identifier: MIT
// The accessibility port: other applications' interfaces as trees of elements whose named
// attributes answer with an error code and a dynamically typed value.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/key_chord.h"

namespace tavrine::ax {

// Error codes of an attribute read; only zero means success.
enum class Error : std::int32_t {
  success = 0,
  failure = -25200,
  illegalArgument = -25201,
  invalidElement = -25202,
  cannotComplete = -25204,
  attributeUnsupported = -25205,
  notImplemented = -25208,
  noValue = -25212,
};

class Element;
using ElementRef = std::shared_ptr<const Element>;

// A value of a kind the walk has no use for (a non-integral number, a point, a URL...).
struct Other {
  std::string kind;
};

// An entry of an array value; arrays from other processes may hold things that are not elements.
using ArrayEntry = std::variant<ElementRef, Other>;

struct Absent {};

// A backend that reads a key equivalent as keys (a toolkit's accelerator) answers the
// command-character read with the chord itself, with no command character in between.
using Value = std::variant<Absent, std::string, std::int64_t, std::vector<ArrayEntry>, ElementRef,
                           Other, KeyChord>;

struct AttributeResult {
  Error error = Error::noValue;
  Value value;  // meaningful only when error is success, but every reader checks it anyway
};

class Element {
 public:
  virtual ~Element() = default;

  // Reads one attribute, blocking until the owning application answers or the platform gives up.
  virtual AttributeResult copyAttributeValue(std::string_view attribute) const = 0;

  // Whether both handles stand for the same interface element (two reads of the same menu give
  // different handles on some platforms).
  virtual bool isSameElement(const Element& other) const { return this == &other; }
  // Asks the owning application to perform `action` (kPress: choose a menu item, as a click
  // would). The request is sent, not awaited: a command that opens a dialog must not hold the
  // caller. notImplemented where the platform offers no actions for this element.
  virtual Error performAction(std::string_view /*action*/) const { return Error::notImplemented; }
};

// How long a read may wait for its application: a hold's read is bounded tightly; a read ahead of
// any hold may wait longer for an application that builds its menus only when first asked.
enum class Patience { hold, ahead };

class AccessibilityPort {
 public:
  virtual ~AccessibilityPort() = default;

  // The top-level element of the application with this process id; null when there is none.
  virtual ElementRef applicationElement(std::int32_t pid, Patience patience) const = 0;
  ElementRef applicationElement(std::int32_t pid) const {
    return applicationElement(pid, Patience::hold);
  }
};

// Attribute names read from other applications.
inline constexpr std::string_view kMenuBar = "AXMenuBar";
inline constexpr std::string_view kChildren = "AXChildren";
inline constexpr std::string_view kTitle = "AXTitle";
inline constexpr std::string_view kMenuItemCmdChar = "AXMenuItemCmdChar";
inline constexpr std::string_view kMenuItemCmdModifiers = "AXMenuItemCmdModifiers";
// Actions performed on other applications' elements.
inline constexpr std::string_view kPress = "AXPress";

}  // namespace tavrine::ax
