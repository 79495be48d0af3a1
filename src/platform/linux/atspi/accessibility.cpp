// SPDX-License-Identifier: MIT
#include "platform/linux/atspi/accessibility.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace tavrine::atspi {
namespace {

// An application that was asked and did not answer in time.
class Unanswered final : public ax::Element {
 public:
  ax::AttributeResult copyAttributeValue(std::string_view /*attribute*/) const override {
    return {ax::Error::cannotComplete, {}};
  }
};

}  // namespace

ax::ElementRef AtspiAccessibility::applicationElement(std::int32_t pid) const {
  const ReadResult read = reader_.read(pid);
  if (!read.found) return nullptr;
  const bool menuRead = !read.replies.children.empty() || !read.replies.matches.empty();
  if (read.stats.deadlineHit && !menuRead) return std::make_shared<Unanswered>();
  // Items press through this port's reader, which outlives every snapshot it hands out.
  ItemPress press = [reader = &reader_, application = read.application](const std::string& path) {
    return reader->press(application, path);
  };
  return buildMenuSnapshot(read.replies, parseKeyBinding, limits_, std::move(press));
}

}  // namespace tavrine::atspi
