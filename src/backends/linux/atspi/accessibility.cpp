// SPDX-License-Identifier: MIT
#include "backends/linux/atspi/accessibility.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace tavrine::atspi {
namespace {

// An application that was asked and did not answer in time.
class Unanswered final : public ax::Element {
 public:
  ax::AttributeResult copyAttributeValue(ax::Attribute /*attribute*/) const override {
    return {ax::Error::cannotComplete, {}};
  }
};

}  // namespace

ax::ElementRef AtspiAccessibility::applicationElement(std::int32_t pid,
                                                      ax::Patience patience) const {
  const ReadResult read =
      reader_.read(pid, patience == ax::Patience::ahead ? reader_.options().aheadDeadline
                                                        : reader_.options().deadline);
  if (!read.found) return nullptr;
  // Cut short before any key binding came: an application still building its menus (or hung),
  // not one without shortcuts. A read ahead of the holds is no use cut short: nobody shows it,
  // and it is made again.
  const bool keysRead =
      std::any_of(read.replies.keyBindings.begin(), read.replies.keyBindings.end(),
                  [](const auto& binding) { return !binding.second.empty(); });
  if (read.stats.deadlineHit && (!keysRead || patience == ax::Patience::ahead))
    return std::make_shared<Unanswered>();
  // Items press through this port's reader, which outlives every snapshot it hands out.
  ItemPress press = [reader = &reader_, application = read.application](const std::string& path) {
    return reader->press(application, path);
  };
  return buildMenuSnapshot(read.replies, keys::parseKeyBinding, limits_, std::move(press));
}

}  // namespace tavrine::atspi
