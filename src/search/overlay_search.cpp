// SPDX-License-Identifier: MIT
#include "search/overlay_search.h"

#include <utility>

namespace tavrine::search {
namespace {

struct Origin {
  const ShortcutEntry* item = nullptr;       // an application row
  const ShortcutItem* systemItem = nullptr;  // or a row of the system section
};

}  // namespace

OverlaySearch searchOverlay(const OverlayView& view, std::string_view query) {
  const TranslationHelper& t = view.t();
  const bool zh = t.isZH();
  std::vector<Entry> entries;
  std::vector<Origin> origins;
  // In display order, so that the rows kept keep it too.
  for (const OverlayView::Group* group : view.sortedGroups()) {
    const std::string& name = group->first;
    const std::vector<std::string> headings = {name, t.translateMenu(name, true),
                                               t.translateMenu(name, false)};
    for (const ShortcutEntry& entry : group->second) {
      const ShortcutRow row = view.appRow(entry);
      entries.push_back({row.title,
                         {entry.item.title(), t.translateCommand(entry.item.title(), !zh)},
                         headings,
                         row.keyGroups()});
      origins.push_back({&entry, nullptr});
    }
  }
  for (const ShortcutGroup& group : view.systemGroups()) {
    for (const ShortcutItem& item : group.items) {
      const ShortcutRow row = view.systemRow(item);
      entries.push_back({row.title,
                         {item.title(), item.titleZH()},
                         {group.heading, group.headingZH},
                         row.keyGroups()});
      origins.push_back({nullptr, &item});
    }
  }

  OverlaySearch out;
  out.query = Query(query);
  const std::vector<Match> matches = filter(entries, query);
  std::vector<const Match*> kept(entries.size(), nullptr);
  for (const Match& m : matches)
    kept[m.entry] = &m;

  GroupedShortcuts groups;
  std::vector<ShortcutItem> system;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (kept[i] == nullptr) continue;
    const Origin& o = origins[i];
    if (o.item != nullptr) {
      groups[o.item->item.menuPath()].push_back(*o.item);
      continue;
    }
    system.push_back(*o.systemItem);
  }
  auto narrowed =
      std::make_shared<const OverlayView>(view.narrowed(std::move(groups), std::move(system)));

  // The narrowed view shows the kept rows in the entries' order: number them as it does.
  std::size_t entry = 0;
  auto take = [&](bool isSystem, std::size_t section, std::size_t row, const ShortcutItem* item) {
    while (kept[entry] == nullptr)
      ++entry;
    if (!matches.empty() && matches.front().entry == entry) out.best = out.rows.size();
    out.rows.push_back({isSystem, section, row, item, *kept[entry]});
    ++entry;
  };
  const std::vector<const OverlayView::Group*> sorted = narrowed->sortedGroups();
  for (std::size_t s = 0; s < sorted.size(); ++s) {
    for (std::size_t r = 0; r < sorted[s]->second.size(); ++r)
      take(false, s, r, &sorted[s]->second[r].item);
  }
  const std::vector<ShortcutGroup>& catalogue = narrowed->systemGroups();
  for (std::size_t s = 0; s < catalogue.size(); ++s) {
    for (std::size_t r = 0; r < catalogue[s].items.size(); ++r)
      take(true, s, r, nullptr);
  }
  out.view = std::move(narrowed);
  return out;
}

std::string resultCountText(std::size_t count, bool isZH) {
  if (isZH) return std::to_string(count) + " 个快捷键";
  return std::to_string(count) + (count == 1 ? " shortcut" : " shortcuts");
}

std::string_view text(Text which, bool isZH) {
  switch (which) {
    case Text::noMatch:
      return isZH ? "没有匹配的快捷键" : "No shortcuts match";
    case Text::searchField:
      return isZH ? "搜索快捷键" : "Search shortcuts";
    case Text::cannotRun:
      return isZH ? "无法从这里运行" : "Can't be run from here";
    case Text::saved:
      return isZH ? "已保存为 PDF" : "Saved as PDF";
    case Text::notSaved:
      return isZH ? "无法保存 PDF" : "Could not save the PDF";
    case Text::copied:
      return isZH ? "已复制为 Markdown" : "Copied as Markdown";
  }
  return {};
}

}  // namespace tavrine::search
