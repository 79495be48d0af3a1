// SPDX-License-Identifier: MIT
// A file the user's desktop rewrites (kglobalshortcutsrc), watched for changes on the GLib main
// context it was made on: written in place, replaced by a rename, created or removed.
#pragma once

#include <filesystem>
#include <functional>

using GFileMonitor = struct _GFileMonitor;

namespace tavrine::xdg {

class FileWatch {
 public:
  FileWatch(const std::filesystem::path& path, std::function<void()> changed);
  ~FileWatch();
  FileWatch(const FileWatch&) = delete;
  FileWatch& operator=(const FileWatch&) = delete;

 private:
  std::function<void()> changed_;
  GFileMonitor* monitor_ = nullptr;
};

}  // namespace tavrine::xdg
