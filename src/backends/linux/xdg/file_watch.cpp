// SPDX-License-Identifier: MIT
#include "backends/linux/xdg/file_watch.h"

#include <gio/gio.h>

namespace tavrine::xdg {
namespace {

void onEvent(GFileMonitor* /*monitor*/, GFile* /*file*/, GFile* /*other*/, GFileMonitorEvent event,
             gpointer self) {
  // A write in place is told as its pieces and then as done: only the end counts.
  if (event == G_FILE_MONITOR_EVENT_CHANGED || event == G_FILE_MONITOR_EVENT_ATTRIBUTE_CHANGED ||
      event == G_FILE_MONITOR_EVENT_PRE_UNMOUNT || event == G_FILE_MONITOR_EVENT_UNMOUNTED)
    return;
  const auto& changed = *static_cast<std::function<void()>*>(self);
  if (changed) changed();
}

}  // namespace

FileWatch::FileWatch(const std::filesystem::path& path, std::function<void()> changed)
    : changed_(std::move(changed)) {
  GFile* file = g_file_new_for_path(path.c_str());
  // Moves told as such: an editor's or KConfig's save renames a new file over the old one.
  monitor_ = g_file_monitor_file(file, G_FILE_MONITOR_WATCH_MOVES, nullptr, nullptr);
  g_object_unref(file);
  if (monitor_ != nullptr) g_signal_connect(monitor_, "changed", G_CALLBACK(&onEvent), &changed_);
}

FileWatch::~FileWatch() {
  if (monitor_ == nullptr) return;
  g_signal_handlers_disconnect_by_data(monitor_, &changed_);
  g_file_monitor_cancel(monitor_);
  g_object_unref(monitor_);
}

}  // namespace tavrine::xdg
