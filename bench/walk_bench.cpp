// SPDX-License-Identifier: MIT
// The menu-bar walk over an in-memory tree shaped like a large application's menu bar.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "backends/memory/memory_accessibility.h"
#include "harvest/accessibility_helper.h"

namespace {

using tavrine::ax::MemoryElement;
using tavrine::ax::MemoryTree;

// 5,000 items: 10 menus of 250 items each, every tenth item opening a submenu of 24; two thirds of
// the items carry a key equivalent.
std::unique_ptr<MemoryTree> makeTree(std::size_t items) {
  auto tree = std::make_unique<MemoryTree>();
  std::size_t made = 0;
  for (int m = 0; made < items; ++m) {
    MemoryElement& menu = tree->addMenu("Menu " + std::to_string(m));
    for (int i = 0; i < 250 && made < items; ++i) {
      const std::string title = "Command " + std::to_string(made);
      MemoryElement& item = made % 3 == 2
                                ? tree->addItem(menu, title)
                                : tree->addItem(menu, title, std::string(1, char('a' + made % 26)),
                                                static_cast<std::int64_t>(made % 8));
      ++made;
      if (i % 10 == 0) {
        for (int s = 0; s < 24 && made < items; ++s, ++made) {
          tree->addItem(tree->submenu(item), "Sub " + std::to_string(made), "x", 1);
        }
      }
    }
  }
  return tree;
}

void BM_WalkMenuBar(benchmark::State& state) {
  const auto tree = makeTree(static_cast<std::size_t>(state.range(0)));
  std::size_t records = 0;
  for (auto _ : state) {
    auto result = tavrine::AccessibilityHelper::getShortcuts(tree->application());
    records = result.size();
    benchmark::DoNotOptimize(result);
  }
  state.counters["records"] = static_cast<double>(records);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WalkMenuBar)->Arg(5000)->Unit(benchmark::kMicrosecond);

// Baseline: the same attribute reads in a bare recursion that keeps nothing, so the ratio shows
// what formatting, records and the walk's safeguards add on top of reading the tree.
std::size_t readAll(const tavrine::ax::Element& e) {
  namespace ax = tavrine::ax;
  std::size_t n = e.copyAttributeValue(ax::Attribute::title).value.index() +
                  e.copyAttributeValue(ax::Attribute::keyCharacter).value.index() +
                  e.copyAttributeValue(ax::Attribute::keyModifiers).value.index();
  const ax::AttributeResult children = e.copyAttributeValue(ax::Attribute::children);
  if (const auto* entries = std::get_if<std::vector<ax::ArrayEntry>>(&children.value)) {
    for (const auto& entry : *entries)
      n += readAll(*std::get<ax::ElementRef>(entry));
  }
  return n;
}

void BM_ReadTreeBaseline(benchmark::State& state) {
  const auto tree = makeTree(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(readAll(tree->menuBar()));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadTreeBaseline)->Arg(5000)->Unit(benchmark::kMicrosecond);

}  // namespace
