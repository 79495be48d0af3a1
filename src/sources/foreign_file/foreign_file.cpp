// SPDX-License-Identifier: MIT
#include "sources/foreign_file/foreign_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tavrine::sources {

ForeignFile::ForeignFile(const std::filesystem::path& path, std::uint64_t maxBytes, Links links)
    : maxBytes_(maxBytes) {
  // O_NONBLOCK: opening a FIFO with no writer returns at once instead of waiting for one.
  const int flags =
      O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (links == Links::refuse ? O_NOFOLLOW : 0);
  const int fd = ::open(path.c_str(), flags);
  if (fd < 0) return;
  struct stat st = {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
      static_cast<std::uint64_t>(st.st_size) > maxBytes) {
    ::close(fd);
    return;
  }
  fd_ = fd;
  size_ = static_cast<std::uint64_t>(st.st_size);
  identity_ = {st.st_dev, st.st_ino, st.st_size,
               static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
}

ForeignFile::~ForeignFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool ForeignFile::read(std::uint64_t offset, std::span<std::byte> out) const {
  if (fd_ < 0) return false;
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t n =
        ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::optional<std::string> ForeignFile::readAll() const {
  if (fd_ < 0) return std::nullopt;
  std::string text;
  char piece[65536];
  for (;;) {
    const ssize_t n = ::read(fd_, piece, sizeof piece);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) return text;
    if (static_cast<std::uint64_t>(n) > maxBytes_ - text.size()) return std::nullopt;
    text.append(piece, static_cast<std::size_t>(n));
  }
}

std::optional<std::string> readForeignFile(const std::filesystem::path& path,
                                           std::uint64_t maxBytes, Links links) {
  return ForeignFile(path, maxBytes, links).readAll();
}

}  // namespace tavrine::sources
