// SPDX-License-Identifier: MIT
// The UI language flag and the translation of other applications' menu names and command titles,
// English to Chinese in Chinese mode and Chinese back to English in English mode.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "text/unicode.h"

namespace tavrine {

// Not synchronised: the flag, the observers and the lazily built reverse maps belong to the main
// thread. Only the construction behind shared() is safe from any thread.
class TranslationHelper {
 public:
  // Keys compare under canonical equivalence, so a decomposed text finds its composed key.
  using Map =
      std::unordered_map<std::string, std::string, text::CanonicalHash, text::CanonicalEqual>;
  using ObserverId = std::uint64_t;

  // The process-wide instance, made on first use and never destroyed.
  static TranslationHelper& shared();

  TranslationHelper();
  TranslationHelper(const TranslationHelper&) = delete;
  TranslationHelper& operator=(const TranslationHelper&) = delete;

  // False (English) after construction; never saved or taken from the system's settings.
  bool isZH() const { return isZH_; }
  // Every assignment, even of the current value, first notifies all observers (which still read
  // the old value), then stores the new one.
  void setIsZH(bool value);

  // willChange runs before each assignment of the flag. An observer may subscribe or unsubscribe
  // (itself or others) while being notified; one unsubscribed during a notification is not
  // called later in it, and one subscribed during it is first called at the next assignment.
  ObserverId subscribe(std::function<void()> willChange);
  void unsubscribe(ObserverId id);

  // Chinese text to English key, built on first use. Where several keys share a Chinese value,
  // the key of the last such row in table order is kept, the same at every launch.
  const Map& reverseMenus() const;
  const Map& reverseCommands() const;
  const Map& reverseWords() const;

  // Display text of a top-level menu name: a whole-name lookup, else the name unchanged.
  std::string translateMenu(std::string_view name) const;
  // Display text of a command title: whole-title lookups (as is, with "…" written "...", without
  // any ellipsis and trimmed), then the word-by-word fallback, else the title unchanged.
  std::string translateCommand(std::string_view title) const;
  // The same into a language given rather than the current one: Chinese when `toZH`, else back
  // to English (a search matches both).
  std::string translateMenu(std::string_view name, bool toZH) const;
  std::string translateCommand(std::string_view title, bool toZH) const;

 private:
  using Set = std::unordered_set<std::string, text::CanonicalHash, text::CanonicalEqual>;
  struct Observer {
    std::function<void()> willChange;
    bool subscribed = true;
  };
  struct WordTable {
    Map map;
    Set values;  // all values of map, for counting pieces already in the target language
  };

  std::string translateByWords(std::string_view text, bool toZH) const;
  const WordTable& reverseWordTable() const;

  bool isZH_ = false;
  Map menus_;
  Map commands_;
  WordTable words_;
  // Caches, made on first use: translating changes nothing anyone can see.
  mutable std::optional<Map> reverseMenus_;
  mutable std::optional<Map> reverseCommands_;
  mutable std::optional<WordTable> reverseWords_;

  ObserverId nextObserverId_ = 1;
  std::vector<std::pair<ObserverId, std::shared_ptr<Observer>>> observers_;
};

}  // namespace tavrine
