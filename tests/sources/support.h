// SPDX-License-Identifier: MIT
// What the readers' tests share: a file's bytes, a source's rows as text, and a bounded run of
// a parse.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "sources/shortcut_source.h"

namespace tavrine::testing {

// "Menu/Title MenuZH/TitleZH shortcut source", one a row.
inline std::vector<std::string> shownRows(const ShortcutSource& source,
                                          const FrontApplication& app) {
  std::vector<std::string> out;
  for (const auto& row : source.shortcuts(app))
    out.push_back(row.menuPath() + "/" + row.title() + " " + row.menuPathZH() + "/" +
                  row.titleZH() + " " + shortcutText(row.chord()) + " " + row.source());
  return out;
}

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs `work` (a parse of a crafted input) in a child and fails unless it ends normally within
// `seconds` below a peak of `maxMiB` resident. Without AddressSanitizer, which reserves terabytes,
// the child's address space is capped too, so a runaway shows as a failed allocation.
inline void withinBounds(const std::function<void()>& work, unsigned seconds, long maxMiB) {
  rlim_t pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  const pid_t child = ::fork();
  if (child == 0) {
#if !defined(__SANITIZE_ADDRESS__)  // as GCC defines it; the asan preset builds with GCC
    const rlim_t cap =
        pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (rlim_t(maxMiB) << 20);
    const rlimit limit{cap, cap};
    ::setrlimit(RLIMIT_AS, &limit);
#endif
    ::alarm(seconds);
    try {
      work();
    } catch (...) {
      ::_exit(3);
    }
    ::_exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  rusage usage{};
  ASSERT_EQ(::wait4(child, &status, 0, &usage), child);
  EXPECT_EQ(status, 0) << "the child failed, died or ran past " << seconds << " s";
  EXPECT_LT(usage.ru_maxrss / 1024, maxMiB) << "peak resident MiB";
}

}  // namespace tavrine::testing
