// SPDX-License-Identifier: MIT
// A file that another program controls: a process's maps, the libraries it maps, its gettext
// catalogues, the accelerator maps and sheets applications and users write. Such a path may name a
// FIFO (an open that never returns), a device (a read that never ends), a symbolic link somewhere
// else, or a file replaced between a look and an open. So it is opened once, without blocking,
// and everything (kind, size, identity, bytes) is taken from that descriptor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <tuple>

namespace tavrine::sources {

enum class Links {
  refuse,  // a symbolic link as the last component is not opened
  follow,  // the user's own files, which may well be links into a dotfiles folder
};

class ForeignFile {
 public:
  // Device, inode, size and modification time (ns): what a file's content is remembered by.
  using Identity = std::tuple<std::uint64_t, std::uint64_t, std::int64_t, std::int64_t>;

  // Opened only when `path` is a regular file of at most `maxBytes` bytes.
  ForeignFile(const std::filesystem::path& path, std::uint64_t maxBytes,
              Links links = Links::refuse);
  ~ForeignFile();
  ForeignFile(const ForeignFile&) = delete;
  ForeignFile& operator=(const ForeignFile&) = delete;

  bool ok() const { return fd_ >= 0; }
  std::uint64_t size() const { return size_; }
  const Identity& identity() const { return identity_; }

  // Exactly `out.size()` bytes at `offset`, or false.
  bool read(std::uint64_t offset, std::span<std::byte> out) const;
  // The whole file, read until its end (the files in /proc say they are empty); none when it
  // holds more than `maxBytes`.
  std::optional<std::string> readAll() const;

 private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
  std::uint64_t maxBytes_ = 0;
  Identity identity_{};
};

// The text of a regular file of at most `maxBytes` bytes; none for anything else.
std::optional<std::string> readForeignFile(const std::filesystem::path& path,
                                           std::uint64_t maxBytes, Links links = Links::refuse);

}  // namespace tavrine::sources
