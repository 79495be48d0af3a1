// SPDX-License-Identifier: MIT
#include "backends/macos/ax_accessibility.h"

#include <ApplicationServices/ApplicationServices.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "backends/macos/cf_ref.h"
#include "backends/macos/menu_key_glyphs.h"
#include "text/unicode.h"

namespace tavrine::macos {
namespace {

using Clock = std::chrono::steady_clock;

// What is left of one harvest's time; every element of one application tree shares it.
class ReadBudget {
 public:
  ReadBudget(Clock::time_point deadline, std::chrono::milliseconds callTimeout)
      : deadline_(deadline), callTimeout_(callTimeout) {}

  // Seconds the next read may wait; zero once the harvest is out of time. (A timeout of zero
  // would mean the system's default, so the last moments count as spent.)
  float nextTimeout() const {
    const Clock::duration left = deadline_ - Clock::now();
    if (left < std::chrono::milliseconds(1)) return 0;
    return std::chrono::duration<float>(std::min<Clock::duration>(left, callTimeout_)).count();
  }

 private:
  Clock::time_point deadline_;
  std::chrono::milliseconds callTimeout_;
};

// The platform's error numbers in the port's words.
ax::Error toPortError(AXError error) {
  switch (error) {
    case kAXErrorSuccess:
      return ax::Error::success;
    case kAXErrorAPIDisabled:
      return ax::Error::notTrusted;
    case kAXErrorIllegalArgument:
      return ax::Error::invalidRequest;
    case kAXErrorInvalidUIElement:
      return ax::Error::gone;
    case kAXErrorCannotComplete:
      return ax::Error::cannotComplete;
    case kAXErrorAttributeUnsupported:
    case kAXErrorActionUnsupported:
      return ax::Error::unsupported;
    case kAXErrorNotImplemented:
      return ax::Error::notImplemented;
    case kAXErrorNoValue:
      return ax::Error::noValue;
    default:
      return ax::Error::failure;
  }
}

// The platform's name of each attribute the walk reads.
std::string_view attributeName(ax::Attribute attribute) {
  switch (attribute) {
    case ax::Attribute::menuBar:
      return "AXMenuBar";
    case ax::Attribute::children:
      return "AXChildren";
    case ax::Attribute::title:
      return "AXTitle";
    case ax::Attribute::keyCharacter:
      return "AXMenuItemCmdChar";
    case ax::Attribute::keyModifiers:
      return "AXMenuItemCmdModifiers";
  }
  return {};
}

// What one request reads of an element whose title is asked for: a menu bar item's or a menu
// item's attributes, which the walk then asks for one by one. The virtual key and the glyph
// only stand in for a missing character.
constexpr std::array<std::string_view, 6> kItemAttributes = {"AXTitle",
                                                             "AXMenuItemCmdChar",
                                                             "AXMenuItemCmdModifiers",
                                                             "AXMenuItemCmdVirtualKey",
                                                             "AXMenuItemCmdGlyph",
                                                             "AXChildren"};
constexpr std::size_t kCmdCharIndex = 1;
constexpr std::size_t kVirtualKeyIndex = 3;
constexpr std::size_t kGlyphIndex = 4;

std::optional<std::size_t> itemAttributeIndex(ax::Attribute attribute) {
  const auto* found =
      std::find(kItemAttributes.begin(), kItemAttributes.end(), attributeName(attribute));
  if (found == kItemAttributes.end()) return std::nullopt;
  return static_cast<std::size_t>(found - kItemAttributes.begin());
}

// The names above as the request takes them; made once, kept for the process.
CFArrayRef itemAttributeNames() {
  static const CFRef<CFArrayRef> names = [] {
    std::array<CFRef<CFStringRef>, kItemAttributes.size()> strings;
    std::array<const void*, kItemAttributes.size()> values{};
    for (std::size_t i = 0; i < kItemAttributes.size(); ++i) {
      strings[i] = cfString(kItemAttributes[i]);
      values[i] = strings[i].get();
    }
    return CFRef<CFArrayRef>(CFArrayCreate(kCFAllocatorDefault, values.data(),
                                           static_cast<CFIndex>(values.size()),
                                           &kCFTypeArrayCallBacks));
  }();
  return names.get();
}

// The UTF-8 text of a string; a UTF-16 unit that cannot be converted (a lone surrogate) becomes
// "?" rather than ending the text.
std::string utf8Of(CFStringRef string) {
  const CFIndex length = CFStringGetLength(string);
  const CFIndex capacity = CFStringGetMaximumSizeForEncoding(length, kCFStringEncodingUTF8);
  if (capacity <= 0) return {};  // empty, or kCFNotFound (-1) for a length past LONG_MAX
  std::string text(static_cast<std::size_t>(capacity), '\0');
  CFIndex written = 0;
  CFStringGetBytes(string, CFRangeMake(0, length), kCFStringEncodingUTF8, '?', false,
                   reinterpret_cast<UInt8*>(text.data()), capacity, &written);
  text.resize(static_cast<std::size_t>(std::clamp<CFIndex>(written, 0, capacity)));
  return text;
}

class AxElement final : public ax::Element {
 public:
  static constexpr float kActionTimeout = 0.25f;  // seconds

  AxElement(CFRef<AXUIElementRef> element, std::shared_ptr<const ReadBudget> budget)
      : element_(std::move(element)), budget_(std::move(budget)) {}

  // A menu item's attributes come in one request, made when the walk asks for the title (it
  // asks for that first), and the walk's later reads are answered from it.
  ax::AttributeResult copyAttributeValue(ax::Attribute attribute) const override {
    const std::optional<std::size_t> index = itemAttributeIndex(attribute);
    if (index && !itemAttributes_ && attribute == ax::Attribute::title) readItemAttributes();
    if (index && itemAttributes_) return (*itemAttributes_)[*index];
    return readOne(attribute);
  }

  bool isSameElement(const ax::Element& other) const override {
    const auto* o = dynamic_cast<const AxElement*>(&other);
    return o != nullptr && CFEqual(element_.get(), o->element_.get());
  }

  // AXPress on a menu item chooses it. The application may answer only once the command is done
  // (a modal dialog): the action is already under way when the wait runs out, so a short wait.
  ax::Error performAction(ax::Action /*action*/) const override {
    const CFRef<CFStringRef> name = cfString("AXPress");  // the one action there is
    if (!name) return ax::Error::invalidRequest;
    AXUIElementSetMessagingTimeout(element_.get(), kActionTimeout);
    const AXError error = AXUIElementPerformAction(element_.get(), name.get());
    return error == kAXErrorCannotComplete ? ax::Error::success : toPortError(error);
  }

 private:
  ax::AttributeResult readOne(ax::Attribute attribute) const {
    const float timeout = budget_->nextTimeout();
    if (timeout <= 0) return {ax::Error::cannotComplete, ax::Absent{}};
    // Set before every read, on the element read: no read waits past what the harvest has left.
    AXUIElementSetMessagingTimeout(element_.get(), timeout);

    const CFRef<CFStringRef> name = cfString(attributeName(attribute));
    if (!name) return {ax::Error::invalidRequest, ax::Absent{}};
    CFTypeRef copied = nullptr;
    const AXError error = AXUIElementCopyAttributeValue(element_.get(), name.get(), &copied);
    const CFRef<CFTypeRef> value(copied);  // the Copy rule: ours to release, whatever the error
    if (error != kAXErrorSuccess) return {toPortError(error), ax::Absent{}};
    return {ax::Error::success, convert(value.get())};
  }

  // Each attribute keeps its own error code, as a read of it alone would give: the walk takes a
  // key equivalent only from a successful read, skips an item whose title fails, and tells a
  // missing value from a failed read. So a request that fails as a whole answers nothing here:
  // on a time-out the title read fails as a lone read would have; on any other failure (an
  // application that does not implement the request) the reads go one by one.
  void readItemAttributes() const {
    const float timeout = budget_->nextTimeout();
    if (timeout <= 0) return;
    AXUIElementSetMessagingTimeout(element_.get(), timeout);
    const CFArrayRef names = itemAttributeNames();
    if (names == nullptr) return;
    CFArrayRef copied = nullptr;
    // Without the stop-on-error option: an attribute's error takes its place in the values.
    const AXError error = AXUIElementCopyMultipleAttributeValues(element_.get(), names, 0, &copied);
    const CFRef<CFArrayRef> values(copied);  // the Copy rule
    std::vector<ax::AttributeResult> results(kItemAttributes.size());
    if (error == kAXErrorCannotComplete) {
      for (ax::AttributeResult& r : results)
        r.error = ax::Error::cannotComplete;
    } else if (error != kAXErrorSuccess || !values ||
               CFArrayGetCount(values.get()) != static_cast<CFIndex>(results.size())) {
      return;
    } else {
      for (std::size_t i = 0; i < results.size(); ++i) {
        results[i] = resultOf(CFArrayGetValueAtIndex(values.get(), static_cast<CFIndex>(i)));
      }
      nameKeyWithoutCharacter(results);
    }
    itemAttributes_ = std::move(results);
  }

  // One entry of a multiple-attribute request: a value, or an AXValue holding the error.
  ax::AttributeResult resultOf(CFTypeRef entry) const {
    if (entry == nullptr || CFGetTypeID(entry) == CFNullGetTypeID()) {
      return {ax::Error::noValue, ax::Absent{}};
    }
    if (CFGetTypeID(entry) == AXValueGetTypeID() &&
        AXValueGetType(static_cast<AXValueRef>(entry)) == kAXValueTypeAXError) {
      AXError error = kAXErrorFailure;
      AXValueGetValue(static_cast<AXValueRef>(entry), kAXValueTypeAXError, &error);
      return {toPortError(error), ax::Absent{}};
    }
    return {ax::Error::success, convert(entry)};
  }

  // An item whose key equivalent has no character reports the key by glyph and virtual key
  // code only; the walk, which reads the character, gets the one that stands for that key.
  // Items with a character keep it.
  static void nameKeyWithoutCharacter(std::vector<ax::AttributeResult>& results) {
    ax::AttributeResult& cmdChar = results[kCmdCharIndex];
    const auto* character = std::get_if<std::string>(&cmdChar.value);
    if (cmdChar.error == ax::Error::success && character != nullptr && !character->empty()) return;
    const auto number = [&](std::size_t i) -> std::optional<std::int64_t> {
      const auto* n = std::get_if<std::int64_t>(&results[i].value);
      if (results[i].error != ax::Error::success || n == nullptr) return std::nullopt;
      return *n;
    };
    if (const std::optional<char32_t> key =
            keyEquivalentCharacter(number(kGlyphIndex), number(kVirtualKeyIndex))) {
      cmdChar = {ax::Error::success, text::toUtf8(*key)};
    }
  }

  // Elements found in the value are retained for as long as the walk holds them.
  ax::Value convert(CFTypeRef value) const {
    if (value == nullptr) return ax::Absent{};
    const CFTypeID type = CFGetTypeID(value);
    if (type == CFStringGetTypeID()) return utf8Of(static_cast<CFStringRef>(value));
    if (type == CFNumberGetTypeID()) {
      std::int64_t number = 0;
      // False when the number has a fraction or does not fit: no integer, then.
      if (CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberSInt64Type, &number)) {
        return number;
      }
      return ax::Other{"number"};
    }
    if (type == AXUIElementGetTypeID()) return element(static_cast<AXUIElementRef>(value));
    if (type == CFArrayGetTypeID()) {
      const auto array = static_cast<CFArrayRef>(value);
      const CFIndex count = CFArrayGetCount(array);
      std::vector<ax::ArrayEntry> entries;
      entries.reserve(static_cast<std::size_t>(std::max<CFIndex>(count, 0)));
      for (CFIndex i = 0; i < count; ++i) {
        const void* entry = CFArrayGetValueAtIndex(array, i);  // the Get rule: lent
        if (entry != nullptr && CFGetTypeID(entry) == AXUIElementGetTypeID()) {
          entries.emplace_back(element(static_cast<AXUIElementRef>(entry)));
        } else {
          entries.emplace_back(ax::Other{"not an element"});
        }
      }
      return entries;
    }
    if (type == CFBooleanGetTypeID()) return ax::Other{"boolean"};
    return ax::Other{"other"};
  }

  ax::ElementRef element(AXUIElementRef lent) const {
    return std::make_shared<const AxElement>(CFRef<AXUIElementRef>::retain(lent), budget_);
  }

  CFRef<AXUIElementRef> element_;
  std::shared_ptr<const ReadBudget> budget_;
  // The answers of the one request for an item's attributes, once made (one thread at a time).
  mutable std::optional<std::vector<ax::AttributeResult>> itemAttributes_;
};

}  // namespace

ax::ElementRef AxAccessibility::applicationElement(std::int32_t pid, ax::Patience patience) const {
  if (pid <= 0) return nullptr;
  CFRef<AXUIElementRef> application(AXUIElementCreateApplication(pid));  // the Create rule
  if (!application) return nullptr;
  const auto deadline =
      patience == ax::Patience::ahead ? options_.aheadDeadline : options_.deadline;
  auto budget = std::make_shared<const ReadBudget>(Clock::now() + deadline, options_.callTimeout);
  return std::make_shared<const AxElement>(std::move(application), std::move(budget));
}

}  // namespace tavrine::macos
