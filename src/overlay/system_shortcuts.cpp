// SPDX-License-Identifier: MIT
#include "overlay/system_shortcuts.h"

namespace tavrine {
namespace {

using Group = SystemShortcuts::Group;

const std::vector<Group>& macOS() {
  static const std::vector<Group> catalogue = {
      {"General",
       "通用",
       {{"Copy", "拷贝", "⌘C"},
        {"Paste", "粘贴", "⌘V"},
        {"Cut", "剪切", "⌘X"},
        {"Undo", "撤销", "⌘Z"},
        {"Redo", "重做", "⇧⌘Z"},
        {"Select All", "全选", "⌘A"},
        {"Find", "查找", "⌘F"},
        {"Save", "保存", "⌘S"}}},
      {"Window",
       "窗口",
       {{"Close Window", "关闭窗口", "⌘W"},
        {"Minimize", "最小化", "⌘M"},
        {"Hide App", "隐藏应用", "⌘H"},
        {"Hide Others", "隐藏其他", "⌥⌘H"},
        {"Full Screen", "全屏", "⌃⌘F"},
        {"Quit App", "退出应用", "⌘Q"}}},
      {"System",
       "系统",
       {{"Switch App", "切换应用", "⌘Tab"},
        {"Spotlight", "聚焦搜索", "⌘Space"},
        {"Screenshot", "截屏", "⇧⌘3"},
        {"Screenshot Area", "区域截屏", "⇧⌘4"},
        {"Screenshot Tool", "截屏工具", "⇧⌘5"},
        {"Force Quit", "强制退出", "⌥⌘Esc"},
        {"Lock Screen", "锁定屏幕", "⌃⌘Q"}}},
      {"Text",
       "文本",
       {{"Bold", "加粗", "⌘B"},
        {"Italic", "斜体", "⌘I"},
        {"Jump to Start", "跳到开头", "⌘↑"},
        {"Jump to End", "跳到结尾", "⌘↓"},
        {"Delete Word", "删除整词", "⌥⌫"},
        {"Delete Line", "删除整行", "⌘⌫"}}},
  };
  return catalogue;
}

// Linux texts below: ⌘ is Ctrl, ⌥ Alt, ⇧ Shift, ⌃ Super. Applications on every Linux desktop
// (GTK, Qt and KDE alike) share these editing keys.
Group linuxGeneral() {
  return {"General",
          "通用",
          {{"Copy", "复制", "⌘C"},
           {"Paste", "粘贴", "⌘V"},
           {"Cut", "剪切", "⌘X"},
           {"Undo", "撤销", "⌘Z"},
           {"Redo", "重做", "⇧⌘Z"},
           {"Select All", "全选", "⌘A"},
           {"Find", "查找", "⌘F"},
           {"Save", "保存", "⌘S"}}};
}

Group linuxText() {
  return {"Text",
          "文本",
          {{"Previous Word", "上一个词", "⌘←"},
           {"Next Word", "下一个词", "⌘→"},
           {"Jump to Start", "跳到开头", "⌘↖"},
           {"Jump to End", "跳到结尾", "⌘↘"},
           {"Delete Previous Word", "删除前一个词", "⌘⌫"},
           {"Delete Next Word", "删除后一个词", "⌘⌦"},
           {"Bold", "加粗", "⌘B"},
           {"Italic", "斜体", "⌘I"}}};
}

// GNOME 43: mutter's and GNOME Shell's default key bindings, as GNOME Help lists them.
const std::vector<Group>& gnome() {
  static const std::vector<Group> catalogue = {
      linuxGeneral(),
      {"Window",
       "窗口",
       {{"Close Window", "关闭窗口", "⌥F4"},
        {"Maximize", "最大化", "⌃↑"},
        {"Restore", "还原窗口", "⌃↓"},
        {"Minimize", "最小化", "⌃H"},
        {"Tile Left", "窗口靠左", "⌃←"},
        {"Tile Right", "窗口靠右", "⌃→"},
        {"Window Menu", "窗口菜单", "⌥Space"}}},
      {"System",
       "系统",
       {{"Activities Overview", "活动概览", "⌃"},
        {"Show Applications", "显示应用", "⌃A"},
        {"Switch App", "切换应用", "⌃Tab"},
        {"Switch App Windows", "切换应用内窗口", "⌃`"},
        {"Run Command", "运行命令", "⌥F2"},
        {"Notifications", "通知列表", "⌃V"},
        {"Screenshot Tool", "截图工具", "PrtSc"},
        {"Lock Screen", "锁定屏幕", "⌃L"},
        {"Log Out", "注销", "⌥⌘⌦"}}},
      linuxText(),
  };
  return catalogue;
}

// KDE Plasma 5.27: KWin's, KRunner's, Spectacle's and the session's default shortcuts.
const std::vector<Group>& kde() {
  static const std::vector<Group> catalogue = {
      linuxGeneral(),
      {"Window",
       "窗口",
       {{"Close Window", "关闭窗口", "⌥F4"},
        {"Maximize", "最大化", "⌃⇞"},
        {"Minimize", "最小化", "⌃⇟"},
        {"Tile Left", "窗口靠左", "⌃←"},
        {"Tile Right", "窗口靠右", "⌃→"},
        {"Window Menu", "窗口菜单", "⌥F3"},
        {"Kill Window", "强制关闭窗口", "⌥⌘Esc"}}},
      {"System",
       "系统",
       {{"Application Launcher", "应用启动器", "⌃"},
        {"Search and Run", "搜索并运行", "⌥Space"},
        {"Switch Window", "切换窗口", "⌥Tab"},
        {"Overview", "概览", "⌃W"},
        {"Show Desktop", "显示桌面", "⌃D"},
        {"Screenshot", "截图", "PrtSc"},
        {"Screenshot Area", "区域截图", "⌃⇧PrtSc"},
        {"Lock Screen", "锁定屏幕", "⌃L"},
        {"Log Out", "注销", "⌥⌘⌦"}}},
      linuxText(),
  };
  return catalogue;
}

// Xfce 4.18: xfwm4's and xfce4-keyboard-shortcuts' defaults.
const std::vector<Group>& xfce() {
  static const std::vector<Group> catalogue = {
      linuxGeneral(),
      {"Window",
       "窗口",
       {{"Close Window", "关闭窗口", "⌥F4"},
        {"Maximize", "最大化", "⌥F10"},
        {"Minimize", "最小化", "⌥F9"},
        {"Full Screen", "全屏", "⌥F11"},
        {"Move Window", "移动窗口", "⌥F7"},
        {"Resize Window", "调整窗口大小", "⌥F8"},
        {"Window Menu", "窗口菜单", "⌥Space"}}},
      {"System",
       "系统",
       {{"Applications Menu", "应用程序菜单", "⌥F1"},
        {"Run Program", "运行程序", "⌥F2"},
        {"Switch Window", "切换窗口", "⌥Tab"},
        {"Show Desktop", "显示桌面", "⌥⌘D"},
        {"Open Terminal", "打开终端", "⌥⌘T"},
        {"Screenshot", "截图", "PrtSc"},
        {"Lock Screen", "锁定屏幕", "⌥⌘L"},
        {"Log Out", "注销", "⌥⌘⌦"}}},
      linuxText(),
  };
  return catalogue;
}

// What Cinnamon, MATE, LXQt and most other Linux desktops share.
const std::vector<Group>& otherLinux() {
  static const std::vector<Group> catalogue = {
      linuxGeneral(),
      {"Window",
       "窗口",
       {{"Close Window", "关闭窗口", "⌥F4"},
        {"Window Menu", "窗口菜单", "⌥Space"},
        {"Full Screen", "全屏", "F11"},
        {"Close Tab", "关闭标签页", "⌘W"},
        {"Quit App", "退出应用", "⌘Q"}}},
      {"System",
       "系统",
       {{"Switch Window", "切换窗口", "⌥Tab"},
        {"Run Command", "运行命令", "⌥F2"},
        {"Open Terminal", "打开终端", "⌥⌘T"},
        {"Next Workspace", "下一个工作区", "⌥⌘→"},
        {"Previous Workspace", "上一个工作区", "⌥⌘←"},
        {"Screenshot", "截图", "PrtSc"},
        {"Lock Screen", "锁定屏幕", "⌥⌘L"},
        {"Log Out", "注销", "⌥⌘⌦"}}},
      linuxText(),
  };
  return catalogue;
}

}  // namespace

const std::vector<SystemShortcuts::Group>& SystemShortcuts::groups(Desktop desktop) {
  switch (desktop) {
    case Desktop::gnome:
      return gnome();
    case Desktop::kde:
      return kde();
    case Desktop::xfce:
      return xfce();
    case Desktop::otherLinux:
      return otherLinux();
    case Desktop::macOS:
      break;
  }
  return macOS();
}

}  // namespace tavrine
