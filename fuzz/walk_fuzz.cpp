// SPDX-License-Identifier: MIT
// The menu-bar walk over a tree decoded from the input: any shape, loops, wrong types, failed
// reads and entries that are not elements.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "backends/memory/memory_accessibility.h"
#include "harvest/accessibility_helper.h"

namespace {

namespace ax = tavrine::ax;

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool done() const { return pos_ >= size_; }
  std::uint8_t byte() { return done() ? 0 : data_[pos_++]; }
  std::string text() {
    std::string out;
    for (std::size_t n = byte() % 8; n > 0 && !done(); --n)
      out.push_back(static_cast<char>(byte()));
    return out;
  }
  std::int64_t number() {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
      v = (v << 8) | byte();
    return static_cast<std::int64_t>(v);
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

constexpr ax::Attribute kAttributes[] = {ax::Attribute::menuBar, ax::Attribute::children,
                                         ax::Attribute::title, ax::Attribute::keyCharacter,
                                         ax::Attribute::keyModifiers};
constexpr ax::Error kErrors[] = {ax::Error::failure,        ax::Error::notTrusted,
                                 ax::Error::invalidRequest, ax::Error::gone,
                                 ax::Error::cannotComplete, ax::Error::unsupported,
                                 ax::Error::notImplemented, ax::Error::noValue};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader in(data, size);
  ax::MemoryTree tree;
  std::vector<ax::MemoryElement*> elements = {&tree.application(), &tree.menuBar()};
  for (std::size_t n = in.byte() % 48; n > 0; --n)
    elements.push_back(&tree.newElement());
  auto pick = [&] { return elements[in.byte() % elements.size()]; };

  while (!in.done()) {
    ax::MemoryElement& target = *pick();
    const ax::Attribute attribute = kAttributes[in.byte() % std::size(kAttributes)];
    const std::uint8_t code = in.byte();
    const ax::Error error = code < 200 ? ax::Error::success : kErrors[code % std::size(kErrors)];
    ax::Value value;
    switch (in.byte() % 6) {
      case 0:
        break;
      case 1:
        value = in.text();
        break;
      case 2:
        value = in.number();
        break;
      case 3:
        value = tree.ref(*pick());
        break;
      case 4:
        value = ax::Other{"point"};
        break;
      default: {
        std::vector<ax::ArrayEntry> entries;
        for (std::size_t k = in.byte() % 6; k > 0; --k) {
          if (in.byte() % 8 == 0) {
            entries.emplace_back(ax::Other{"value"});
          } else {
            entries.emplace_back(tree.ref(*pick()));
          }
        }
        value = std::move(entries);
      }
    }
    target.set(attribute, {error, std::move(value)});
  }

  const auto records = tavrine::AccessibilityHelper::getShortcuts(tree.application());
  if (records.size() > tavrine::AccessibilityHelper::kMaxRecords) __builtin_trap();
  for (const auto& r : records) {
    if (r.title().empty() || r.shortcut().empty()) __builtin_trap();
  }
  return 0;
}
