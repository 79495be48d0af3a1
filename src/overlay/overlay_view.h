// SPDX-License-Identifier: MIT
// The overlay's view model: the decisions of one render (order of the groups, number of columns,
// the text of every label, heading and row in the current language), apart from any drawing.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "harvest/menu_bar_state.h"
#include "i18n/translation_helper.h"
#include "overlay/grouped_shortcuts.h"
#include "overlay/shortcut_row.h"
#include "ports/image.h"

namespace tavrine {

// How the program shows shortcuts, chosen once at start-up; the default is macOS's.
struct OverlayStyle {
  KeyCapStyle capStyle = KeyCapStyle::glyphs;
};

// What the user of a pinned overlay can do; the application delegate carries it out. Main
// thread only.
class OverlayActions {
 public:
  virtual ~OverlayActions() = default;
  // A Ctrl-click (Command-click) on the overlay: it stays after the release and takes the
  // keyboard. Nothing when no overlay is shown or it is pinned already.
  virtual void pinOverlay() = 0;
  virtual bool isOverlayPinned() const = 0;
  // Esc: the overlay closes and the keyboard goes back to the window that had it.
  virtual void closePinnedOverlay() = 0;
  // The keyboard left the overlay (a click outside): it closes, and a window that took the
  // keyboard keeps it; the keyboard goes back only when no window has it.
  virtual void pinnedOverlayLostKeyboard() = 0;
  // Enter or a click on a row: closes the overlay, gives the keyboard back and runs the row's
  // command in the application. False, with the overlay left as it is, when the row cannot be
  // run from here (`item` null: a row of the system catalogue).
  virtual bool runShortcut(const ShortcutItem* item) = 0;
  // The overlay's menu: the application it shows is never shown over again (remembered in the
  // user's settings), and the overlay closes.
  virtual void neverShowOverShownApplication() = 0;
};

// Why an application has no rows, said in one line: the reason, then where its sheet would go.
std::string emptyReasonText(const EmptyReason& reason, bool isZH);

// Every text is picked when asked for, from the language of that moment, so a render that reads
// the view again after a language change shows the new language throughout. Headings and row
// titles are made one at a time, so a render pays only for the rows it shows.
class OverlayView {
 public:
  using Group = GroupedShortcuts::value_type;  // menu name and its rows in harvest order

  // One item of the header's language switch.
  struct LanguageItem {
    std::string_view title;
    bool isZH;
  };

  // Ends a subscription when destroyed. Move-only.
  class Subscription {
   public:
    Subscription() = default;
    Subscription(Subscription&& other) noexcept;
    Subscription& operator=(Subscription&& other) noexcept;
    ~Subscription();
    void reset();

   private:
    friend class OverlayView;
    Subscription(TranslationHelper* t, TranslationHelper::ObserverId id) : t_(t), id_(id) {}
    TranslationHelper* t_ = nullptr;
    TranslationHelper::ObserverId id_ = 0;
  };

  static constexpr int kMaxAppColumns = 4;
  static constexpr int kSystemColumns = 4;

  // `t` must outlive the view (it is TranslationHelper::shared() outside tests). The system
  // section shows `systemShortcuts` grouped by heading, in their order. The header names the
  // application `appNameZH` in Chinese where that is given, beside `icon` (none when null), the
  // one the application had when it was read.
  OverlayView(std::string appName, GroupedShortcuts groupedShortcuts, TranslationHelper& t,
              OverlayStyle style = {}, const std::vector<ShortcutItem>& systemShortcuts = {},
              std::string appNameZH = {}, ImageRef icon = nullptr);

  // The application's name in the current language.
  const std::string& appName() const;
  const ImageRef& icon() const { return icon_; }
  const GroupedShortcuts& groupedShortcuts() const { return groupedShortcuts_; }
  const TranslationHelper& t() const { return *t_; }
  const OverlayStyle& style() const { return style_; }

  // Fixed texts of the header and the separator row, in the current language.
  std::string_view headerLabel() const;
  std::string_view languageLabel() const;
  std::string_view separatorLabel() const;

  // "English" then "中文". Choosing one assigns its language even when it is already current,
  // which notifies the observers as every assignment does. An action on the shared language, so
  // only a holder of a mutable view can choose.
  static const std::array<LanguageItem, 2>& languageItems();
  void choose(const LanguageItem& item);
  // The overlay menu's item that excludes the application: "Never show over Writer".
  std::string neverShowOverLabel() const;

  // The groups ascending by their untranslated names (Unicode scalar order of canonical forms,
  // no case folding), whatever the language.
  std::vector<const Group*> sortedGroups() const;
  // Rows over all groups (a command with several keys is one row).
  std::size_t recordCount() const;
  // n / 8 rounded up, kept within 1..kMaxAppColumns.
  static int columnCount(std::size_t records);
  int appGridColumns() const { return columnCount(recordCount()); }

  // The heading of an application group (its translated name, upper-cased) and one of its rows
  // (translated title, shortcuts as harvested, caps in the view's style).
  std::string appHeading(std::string_view menuName) const;
  ShortcutRow appRow(const ShortcutEntry& entry) const;

  // The system section: the catalogue carries both languages itself and is never translated.
  const std::vector<ShortcutGroup>& systemGroups() const { return systemGroups_; }
  std::string systemHeading(const ShortcutGroup& group) const;
  ShortcutRow systemRow(const ShortcutItem& item) const;
  // A row's shortcuts read out in the current language: "Ctrl+G or F3", and what takes them
  // where something does: "Ctrl+Q, taken by the desktop: Quit".
  std::string spokenShortcuts(const ShortcutRow& row) const;
  // Who carries out the pinned overlay's actions; null when nobody does (previews, tests).
  std::shared_ptr<OverlayActions> actions() const { return actions_.lock(); }
  void setActions(std::weak_ptr<OverlayActions> actions) { actions_ = std::move(actions); }
  // Shown under the header of an application with no rows; none by default.
  void setEmptyReason(std::optional<EmptyReason> reason) { emptyReason_ = std::move(reason); }
  // The reason's line in the current language; empty when there is none.
  std::string emptyReasonLine() const;
  // The same view showing only these rows (a search's result); language, name, style, the
  // reason and the one who carries out its actions stay, and so do the desktop bindings that take
  // rows.
  OverlayView narrowed(GroupedShortcuts groupedShortcuts,
                       const std::vector<ShortcutItem>& systemShortcuts) const;

  // Calls `willChange` before every assignment of the language, while the old value is still in
  // place: the callback must only schedule a new render, never render itself.
  [[nodiscard]] Subscription subscribeWillChange(std::function<void()> willChange) const;

 private:
  std::string appName_;
  std::string appNameZH_;
  ImageRef icon_;
  GroupedShortcuts groupedShortcuts_;
  TranslationHelper* t_;
  OverlayStyle style_;
  std::vector<ShortcutGroup> systemGroups_;
  std::shared_ptr<const DesktopBindings> desktopBindings_;
  std::weak_ptr<OverlayActions> actions_;
  std::optional<EmptyReason> emptyReason_;
};

}  // namespace tavrine
