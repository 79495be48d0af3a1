// SPDX-License-Identifier: MIT
#include "sources/system/system_shortcuts.h"

#include <initializer_list>
#include <string_view>

namespace tavrine {
namespace {

// Modifiers by meaning: C control (Super on Linux), A alt (Option), S shift, P primary (Command
// on macOS, Ctrl on Linux).
constexpr unsigned none = 0, C = KeyChord::kControl, A = KeyChord::kAlt, S = KeyChord::kShift,
                   P = KeyChord::kPrimary;

KeyChord chord(unsigned modifiers, KeyChord::Key key) {
  return KeyChord::make(modifiers, std::move(key));
}

KeyChord::Key F(int number) {
  return *functionKey(number);
}

struct Row {
  std::string_view en;
  std::string_view zh;
  KeyChord chord;
};

using Heading = HeadingText;
constexpr Heading kGeneral{"General", "通用"};
constexpr Heading kWindow{"Window", "窗口"};
constexpr Heading kSystem{"System", "系统"};
constexpr Heading kText{"Text", "文本"};

using Rows = std::initializer_list<Row>;

void append(std::vector<ShortcutItem>& out, Heading heading, Rows rows) {
  for (const Row& row : rows) {
    out.emplace_back(
        std::string(heading.en), std::string(row.en), row.chord,
        ShortcutOrigin{SystemShortcuts::kName, std::string(heading.zh), std::string(row.zh)});
  }
}

// The editing keys every desktop shares; only the Chinese for Copy differs.
void appendGeneral(std::vector<ShortcutItem>& out, std::string_view copyZH) {
  append(out, kGeneral,
         {{"Copy", copyZH, chord(P, "C")},
          {"Paste", "粘贴", chord(P, "V")},
          {"Cut", "剪切", chord(P, "X")},
          {"Undo", "撤销", chord(P, "Z")},
          {"Redo", "重做", chord(S | P, "Z")},
          {"Select All", "全选", chord(P, "A")},
          {"Find", "查找", chord(P, "F")},
          {"Save", "保存", chord(P, "S")}});
}

// The catalogue always names Tab in letters, as the key reads; a menu shows it as "⇥".
const std::string kTab = "Tab";

std::vector<ShortcutItem> macOS() {
  std::vector<ShortcutItem> out;
  appendGeneral(out, "拷贝");  // as macOS says it
  append(out, kWindow,
         {{"Close Window", "关闭窗口", chord(P, "W")},
          {"Minimize", "最小化", chord(P, "M")},
          {"Hide App", "隐藏应用", chord(P, "H")},
          {"Hide Others", "隐藏其他", chord(A | P, "H")},
          {"Full Screen", "全屏", chord(C | P, "F")},
          {"Quit App", "退出应用", chord(P, "Q")}});
  append(out, kSystem,
         {{"Switch App", "切换应用", chord(P, kTab)},
          {"Spotlight", "聚焦搜索", chord(P, NamedKey::space)},
          {"Screenshot", "截屏", chord(S | P, "3")},
          {"Screenshot Area", "区域截屏", chord(S | P, "4")},
          {"Screenshot Tool", "截屏工具", chord(S | P, "5")},
          {"Force Quit", "强制退出", chord(A | P, NamedKey::escape)},
          {"Lock Screen", "锁定屏幕", chord(C | P, "Q")}});
  append(out, kText,
         {{"Bold", "加粗", chord(P, "B")},
          {"Italic", "斜体", chord(P, "I")},
          {"Jump to Start", "跳到开头", chord(P, NamedKey::upArrow)},
          {"Jump to End", "跳到结尾", chord(P, NamedKey::downArrow)},
          {"Delete Word", "删除整词", chord(A, NamedKey::backspace)},
          {"Delete Line", "删除整行", chord(P, NamedKey::backspace)}});
  return out;
}

// Keys that several Linux desktops' window managers and sessions share. Applications on all of
// them (GTK, Qt and KDE alike) share the editing keys.
const Row kCloseWindow{"Close Window", "关闭窗口", chord(A, F(4))};
const Row kWindowMenu{"Window Menu", "窗口菜单", chord(A, NamedKey::space)};
const Row kRunCommand{"Run Command", "运行命令", chord(A, F(2))};
const Row kSwitchWindow{"Switch Window", "切换窗口", chord(A, kTab)};
const Row kOpenTerminal{"Open Terminal", "打开终端", chord(A | P, "T")};
const Row kScreenshot{"Screenshot", "截图", chord(none, NamedKey::printScreen)};
const Row kLockScreen{"Lock Screen", "锁定屏幕", chord(A | P, "L")};
const Row kSuperLock{"Lock Screen", "锁定屏幕", chord(C, "L")};
const Row kLogOut{"Log Out", "注销", chord(A | P, NamedKey::forwardDelete)};
const Row kTileLeft{"Tile Left", "窗口靠左", chord(C, NamedKey::leftArrow)};
const Row kTileRight{"Tile Right", "窗口靠右", chord(C, NamedKey::rightArrow)};

std::vector<ShortcutItem> linux(Rows window, Rows system) {
  std::vector<ShortcutItem> out;
  appendGeneral(out, "复制");
  append(out, kWindow, window);
  append(out, kSystem, system);
  append(out, kText,
         {{"Previous Word", "上一个词", chord(P, NamedKey::leftArrow)},
          {"Next Word", "下一个词", chord(P, NamedKey::rightArrow)},
          {"Jump to Start", "跳到开头", chord(P, NamedKey::home)},
          {"Jump to End", "跳到结尾", chord(P, NamedKey::end)},
          {"Delete Previous Word", "删除前一个词", chord(P, NamedKey::backspace)},
          {"Delete Next Word", "删除后一个词", chord(P, NamedKey::forwardDelete)},
          {"Bold", "加粗", chord(P, "B")},
          {"Italic", "斜体", chord(P, "I")}});
  return out;
}

// GNOME 43: mutter's and GNOME Shell's default key bindings, as GNOME Help lists them.
std::vector<ShortcutItem> gnome() {
  return linux({kCloseWindow,
                {"Maximize", "最大化", chord(C, NamedKey::upArrow)},
                {"Restore", "还原窗口", chord(C, NamedKey::downArrow)},
                {"Minimize", "最小化", chord(C, "H")},
                kTileLeft,
                kTileRight,
                kWindowMenu},
               {{"Activities Overview", "活动概览", chord(C, {})},
                {"Show Applications", "显示应用", chord(C, "A")},
                {"Switch App", "切换应用", chord(C, kTab)},
                {"Switch App Windows", "切换应用内窗口", chord(C, "`")},
                kRunCommand,
                {"Notifications", "通知列表", chord(C, "V")},
                {"Screenshot Tool", "截图工具", chord(none, NamedKey::printScreen)},
                kSuperLock,
                kLogOut});
}

// KDE Plasma 5.27: KWin's, KRunner's, Spectacle's and the session's default shortcuts.
std::vector<ShortcutItem> kde() {
  return linux({kCloseWindow,
                {"Maximize", "最大化", chord(C, NamedKey::pageUp)},
                {"Minimize", "最小化", chord(C, NamedKey::pageDown)},
                kTileLeft,
                kTileRight,
                {"Window Menu", "窗口菜单", chord(A, F(3))},
                {"Kill Window", "强制关闭窗口", chord(A | P, NamedKey::escape)}},
               {{"Application Launcher", "应用启动器", chord(C, {})},
                {"Search and Run", "搜索并运行", chord(A, NamedKey::space)},
                kSwitchWindow,
                {"Overview", "概览", chord(C, "W")},
                {"Show Desktop", "显示桌面", chord(C, "D")},
                kScreenshot,
                {"Screenshot Area", "区域截图", chord(C | S, NamedKey::printScreen)},
                kSuperLock,
                kLogOut});
}

// Xfce 4.18: xfwm4's and xfce4-keyboard-shortcuts' defaults.
std::vector<ShortcutItem> xfce() {
  return linux({kCloseWindow,
                {"Maximize", "最大化", chord(A, F(10))},
                {"Minimize", "最小化", chord(A, F(9))},
                {"Full Screen", "全屏", chord(A, F(11))},
                {"Move Window", "移动窗口", chord(A, F(7))},
                {"Resize Window", "调整窗口大小", chord(A, F(8))},
                kWindowMenu},
               {{"Applications Menu", "应用程序菜单", chord(A, F(1))},
                {"Run Program", "运行程序", chord(A, F(2))},
                kSwitchWindow,
                {"Show Desktop", "显示桌面", chord(A | P, "D")},
                kOpenTerminal,
                kScreenshot,
                kLockScreen,
                kLogOut});
}

// What Cinnamon, MATE, LXQt and most other Linux desktops share.
std::vector<ShortcutItem> otherLinux() {
  return linux({kCloseWindow,
                kWindowMenu,
                {"Full Screen", "全屏", chord(none, F(11))},
                {"Close Tab", "关闭标签页", chord(P, "W")},
                {"Quit App", "退出应用", chord(P, "Q")}},
               {kSwitchWindow,
                kRunCommand,
                kOpenTerminal,
                {"Next Workspace", "下一个工作区", chord(A | P, NamedKey::rightArrow)},
                {"Previous Workspace", "上一个工作区", chord(A | P, NamedKey::leftArrow)},
                kScreenshot,
                kLockScreen,
                kLogOut});
}

}  // namespace

HeadingText headingText(SystemHeading heading) {
  constexpr Heading kHeadings[] = {kGeneral, kWindow, kSystem, kText};
  return kHeadings[static_cast<int>(heading)];
}

const std::vector<ShortcutItem>& SystemShortcuts::catalogue(Desktop desktop) {
  static const std::vector<ShortcutItem> catalogues[] = {macOS(), gnome(), kde(), xfce(),
                                                         otherLinux()};
  return catalogues[static_cast<int>(desktop)];
}

std::vector<ShortcutItem> SystemShortcuts::shortcuts(const FrontApplication& /*app*/) const {
  return catalogue(desktop_);
}

}  // namespace tavrine
