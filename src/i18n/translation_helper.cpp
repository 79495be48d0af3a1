// SPDX-License-Identifier: MIT
#include "i18n/translation_helper.h"

#include <algorithm>
#include <span>

#include "i18n/translation_tables.h"

namespace tavrine {
namespace {

constexpr std::string_view kEllipsis = "\u2026";
constexpr std::string_view kThreeDots = "...";

using Map = TranslationHelper::Map;

Map forwardMap(std::span<const TranslationPair> table) {
  Map map;
  map.reserve(table.size());
  for (const TranslationPair& row : table)
    map.emplace(row.en, row.zh);
  return map;
}

// Walks the rows in table order, a later row overwriting an earlier one, so the last row that
// carries a shared Chinese value wins ("标签页" goes back to "Tabs", not "Tab").
Map reverseMap(std::span<const TranslationPair> table) {
  Map map;
  map.reserve(table.size());
  for (const TranslationPair& row : table)
    map.insert_or_assign(std::string(row.zh), std::string(row.en));
  return map;
}

template <typename Set>
Set valuesOf(const Map& map) {
  Set values;
  values.reserve(map.size());
  for (const auto& entry : map)
    values.insert(entry.second);
  return values;
}

const std::string* find(const Map& map, std::string_view key) {
  const auto it = map.find(key);
  return it == map.end() ? nullptr : &it->second;
}

std::string withoutEllipses(std::string_view s) {
  return text::replaceAll(text::replaceAll(s, kEllipsis, ""), kThreeDots, "");
}

bool endsWithEllipsis(std::string_view s) {
  return s.ends_with(kEllipsis) || s.ends_with(kThreeDots);
}

}  // namespace

TranslationHelper& TranslationHelper::shared() {
  // Deliberately never destroyed, so that code running at exit still finds it.
  static TranslationHelper* const instance = new TranslationHelper();
  return *instance;
}

TranslationHelper::TranslationHelper()
    : menus_(forwardMap(menusTable())),
      commands_(forwardMap(commandsTable())),
      words_{forwardMap(wordsTable()), {}} {
  words_.values = valuesOf<Set>(words_.map);
}

void TranslationHelper::setIsZH(bool value) {
  // A snapshot, so that observers may subscribe or unsubscribe while being notified; the shared
  // ownership keeps a callback alive while it unsubscribes itself.
  std::vector<std::shared_ptr<Observer>> snapshot;
  snapshot.reserve(observers_.size());
  for (const auto& entry : observers_)
    snapshot.push_back(entry.second);
  for (const auto& observer : snapshot) {
    if (observer->subscribed) observer->willChange();
  }
  isZH_ = value;
}

TranslationHelper::ObserverId TranslationHelper::subscribe(std::function<void()> willChange) {
  const ObserverId id = nextObserverId_++;
  if (willChange) {
    observers_.emplace_back(id, std::make_shared<Observer>(Observer{std::move(willChange)}));
  }
  return id;
}

void TranslationHelper::unsubscribe(ObserverId id) {
  const auto it = std::find_if(observers_.begin(), observers_.end(),
                               [id](const auto& entry) { return entry.first == id; });
  if (it == observers_.end()) return;
  it->second->subscribed = false;
  observers_.erase(it);
}

const Map& TranslationHelper::reverseMenus() const {
  if (!reverseMenus_) {
    Map map = reverseMap(menusTable());
    // Names that applications running in Chinese use for menus the table words differently.
    map.insert_or_assign("收藏夹", "Favorites");
    map.insert_or_assign("查看", "View");
    map.insert_or_assign("播放控制", "Playback");
    reverseMenus_ = std::move(map);
  }
  return *reverseMenus_;
}

const Map& TranslationHelper::reverseCommands() const {
  if (!reverseCommands_) reverseCommands_ = reverseMap(commandsTable());
  return *reverseCommands_;
}

const Map& TranslationHelper::reverseWords() const {
  return reverseWordTable().map;
}

const TranslationHelper::WordTable& TranslationHelper::reverseWordTable() const {
  if (!reverseWords_) {
    WordTable table{reverseMap(wordsTable()), {}};
    table.values = valuesOf<Set>(table.map);
    reverseWords_ = std::move(table);
  }
  return *reverseWords_;
}

std::string TranslationHelper::translateMenu(std::string_view name) const {
  return translateMenu(name, isZH_);
}

std::string TranslationHelper::translateMenu(std::string_view name, bool toZH) const {
  const Map& table = toZH ? menus_ : reverseMenus();
  const std::string* hit = find(table, name);
  return hit != nullptr ? *hit : std::string(name);
}

std::string TranslationHelper::translateCommand(std::string_view title) const {
  return translateCommand(title, isZH_);
}

std::string TranslationHelper::translateCommand(std::string_view title, bool toZH) const {
  const Map& table = toZH ? commands_ : reverseCommands();

  if (const std::string* hit = find(table, title)) return *hit;

  // A title written with "…" finds a key written with "...".
  if (title.find(kEllipsis) != std::string_view::npos) {
    if (const std::string* hit = find(table, text::replaceAll(title, kEllipsis, kThreeDots))) {
      return *hit;
    }
  }

  // Without any ellipsis and surrounding blanks: the hit's value is returned as stored, so the
  // title loses its ellipsis ("Close Tab…" gives "关闭标签页").
  const std::string bare = withoutEllipses(title);
  if (const std::string* hit = find(table, text::trimSpacesAndTabs(bare))) return *hit;

  return translateByWords(title, toZH);
}

// Translates piece by piece, the pieces being cut at every U+0020 (empty ones included). The
// result is used only when at least one piece, and at least half of them (rounded down), end up
// in the target language; otherwise the text comes back unchanged.
std::string TranslationHelper::translateByWords(std::string_view text, bool toZH) const {
  const WordTable& table = toZH ? words_ : reverseWordTable();

  std::vector<std::string_view> output;
  std::vector<std::string_view> kept;  // pieces that stayed as they were
  bool unmatched = false;
  bool lastPieceKept = false;
  std::size_t start = 0;
  while (true) {
    const std::size_t space = text.find(' ', start);
    const std::string_view piece = text.substr(
        start, space == std::string_view::npos ? std::string_view::npos : space - start);
    const std::string clean = withoutEllipses(piece);
    if (const std::string* hit = find(table.map, clean)) {
      output.emplace_back(*hit);
      lastPieceKept = false;
    } else {
      // Kept as it stands, ellipsis included. An empty piece or a bare ellipsis is neutral.
      output.push_back(piece);
      kept.push_back(piece);
      lastPieceKept = true;
      if (!clean.empty()) unmatched = true;
    }
    if (space == std::string_view::npos) break;
    start = space + 1;
  }

  // With every piece found or neutral, all count as translated. Otherwise a kept piece still
  // counts when it already stands in the target language (equals some value of the table); the
  // entries taken from the table are its values, so only the kept ones need checking.
  const std::size_t n = output.size();
  const std::size_t untranslated =
      unmatched ? static_cast<std::size_t>(std::count_if(
                      kept.begin(), kept.end(),
                      [&](std::string_view piece) { return !table.values.contains(piece); }))
                : 0;
  const std::size_t translated = n - untranslated;
  if (translated < 1 || translated < n / 2) return std::string(text);

  std::string result;
  for (std::size_t i = 0; i < n; ++i) {
    // Chinese needs no spaces, but two Latin words that both stayed would run together
    // ("关闭Other Things", not "关闭OtherThings").
    if (i > 0 && (!toZH || (text::endsWithLatinLetterOrDigit(output[i - 1]) &&
                            text::beginsWithLatinLetterOrDigit(output[i])))) {
      result.append(" ");
    }
    result.append(output[i]);
  }
  // Carry a trailing ellipsis over in the target language's form, unless the last piece was kept
  // and so still shows its own ("Export as PDF…" gives "导出为PDF…", not a doubled ellipsis).
  if (endsWithEllipsis(text) && !lastPieceKept) result.append(toZH ? kEllipsis : kThreeDots);
  return result;
}

}  // namespace tavrine
