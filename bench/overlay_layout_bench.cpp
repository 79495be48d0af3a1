// SPDX-License-Identifier: MIT
// One render of the overlay at 1200 × 800: the layout, then the primitives of one screenful of
// the scroll area. The baseline is the catalogue alone (no application shortcuts); with 2,000
// records the cost should stay within a small factor of it, at the top and in the middle of the
// list alike, because only the visible lines are built.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "i18n/translation_helper.h"
#include "i18n/translation_tables.h"
#include "overlay/grouped_shortcuts.h"
#include "overlay/overlay_layout.h"
#include "sources/system/system_shortcuts.h"
#include "support/fake_text_measurer.h"

namespace {

using namespace tavrine;

constexpr Size kPanel{1200, 800};

// `count` records spread over 20 menus, with titles from the command table and shortcuts of one
// to four modifiers.
std::vector<ShortcutEntry> records(std::size_t count) {
  constexpr unsigned C = KeyChord::kControl, A = KeyChord::kAlt, S = KeyChord::kShift,
                     P = KeyChord::kPrimary;
  static const KeyChord kShortcuts[] = {KeyChord::make(P, "C"),
                                        KeyChord::make(S | P, "Z"),
                                        KeyChord::make(A | P, NamedKey::escape),
                                        KeyChord::make(C | A | S | P, "K"),
                                        KeyChord::make(P, NamedKey::tab),
                                        KeyChord::make(P, NamedKey::upArrow)};
  const auto commands = commandsTable();
  std::vector<ShortcutEntry> items;
  items.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    items.emplace_back(ShortcutItem("Menu " + std::to_string(i % 20),
                                    std::string(commands[i % commands.size()].en),
                                    kShortcuts[i % 6]));
  }
  return items;
}

// state.range(0): records; state.range(1): scroll offset as a percentage of the scroll range;
// state.range(2): 1 for Chinese.
void BM_OverlayRender(benchmark::State& state) {
  TranslationHelper t;
  t.setIsZH(state.range(2) != 0);
  const auto view = std::make_shared<const OverlayView>(
      "Bench", groupByMenu(records(static_cast<std::size_t>(state.range(0)))), t, OverlayStyle{},
      SystemShortcuts::catalogue(Desktop::macOS));
  const doubles::FakeTextMeasurer measurer;
  std::size_t primitives = 0;
  for (auto _ : state) {
    const OverlayLayout layout(view, measurer, kPanel, nullptr);
    const double viewport = layout.scrollFrame().height();
    const double range = std::max(0.0, layout.contentHeight() - viewport);
    const double offset = range * static_cast<double>(state.range(1)) / 100;
    const std::vector<Primitive> shown =
        layout.primitivesIn({{0, offset}, {kPanel.width, viewport}});
    primitives = shown.size() + layout.fixedPrimitives().size();
    benchmark::DoNotOptimize(shown.data());
  }
  state.counters["primitives"] = static_cast<double>(primitives);
}

BENCHMARK(BM_OverlayRender)
    ->ArgNames({"records", "scrollPct", "zh"})
    ->Args({0, 0, 0})  // baseline: the catalogue alone
    ->Args({2000, 0, 0})
    ->Args({2000, 50, 0})
    ->Args({2000, 100, 0})
    ->Args({20000, 50, 0})  // ten times the records, same screenful
    ->Args({0, 0, 1})
    ->Args({2000, 50, 1})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
