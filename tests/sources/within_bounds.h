// SPDX-License-Identifier: MIT
// Runs a parse of a crafted input in a child process and fails unless the child finishes in time,
// normally, below a peak resident size. Without AddressSanitizer (which reserves terabytes of
// address space) the child's address space is capped too, so that a fault that would eat the
// machine's memory shows as a failed allocation instead.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>

namespace tavrine::testing {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
inline constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
inline constexpr bool kAddressSanitizer = false;
#endif

inline void withinBounds(const std::function<void()>& work, unsigned seconds, long maxMiB) {
  std::size_t pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (!kAddressSanitizer) {
      const rlim_t cap = pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) +
                         (static_cast<rlim_t>(maxMiB) << 20);
      const rlimit limit{cap, cap};
      ::setrlimit(RLIMIT_AS, &limit);
    }
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
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "the child failed, died or ran past " << seconds << " s (status " << status << ")";
  EXPECT_LT(usage.ru_maxrss / 1024, maxMiB) << "peak resident size in MiB";
}

}  // namespace tavrine::testing
