#include "overlay/system_shortcuts.h"

namespace tavrine {

const std::vector<SystemShortcuts::Group>& SystemShortcuts::groups() {
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

}  // namespace tavrine
