// SPDX-License-Identifier: MIT
// The accessibility port: other applications' interfaces as trees of elements whose named
// attributes answer with an error code and a dynamically typed value.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "model/key_chord.h"

namespace tavrine::ax {

// How a read or an action ended; only success carries a value.
enum class Error {
  success,
  failure,         // failed, for no reason more precise than these
  notTrusted,      // the platform refuses this process any reading of other applications
  invalidRequest,  // the request cannot be expressed (a name or path the platform rejects)
  gone,            // the element no longer exists
  cannotComplete,  // the application did not answer in time
  unsupported,     // the element has no such attribute or action
  notImplemented,  // the platform offers no actions for this element
  noValue,         // the attribute exists but holds nothing
};

// What the walk reads of an element.
enum class Attribute {
  menuBar,       // an application's menu bar, an element
  children,      // an array
  title,         // text
  keyCharacter,  // a menu item's key: its character, or the chord itself
  keyModifiers,  // the modifier mask beside a key character (Shift 1, Option 2, Control 4)
};

// What may be asked of an element.
enum class Action {
  press,  // choose a menu item, as a click would
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
// key-character read with the chord itself, with no character in between.
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
  virtual AttributeResult copyAttributeValue(Attribute attribute) const = 0;

  // Whether both handles stand for the same interface element (two reads of the same menu give
  // different handles on some platforms).
  virtual bool isSameElement(const Element& other) const { return this == &other; }
  // Asks the owning application to perform `action`. The request is sent, not awaited: a command
  // that opens a dialog must not hold the caller. notImplemented where the platform offers no
  // actions for this element.
  virtual Error performAction(Action /*action*/) const { return Error::notImplemented; }
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

}  // namespace tavrine::ax
