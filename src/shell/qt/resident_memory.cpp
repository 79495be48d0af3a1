// SPDX-License-Identifier: MIT
#include "shell/qt/resident_memory.h"

#include <cstdlib>  // defines __GLIBC__ on glibc
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tavrine::qt {

void limitHeapRetention() {
#if defined(__GLIBC__)
  constexpr int kMapThreshold = 128 * 1024;
  // A fixed threshold also stops glibc raising it to the size of the last mapped block freed.
  mallopt(M_MMAP_THRESHOLD, kMapThreshold);
  mallopt(M_ARENA_MAX, 1);
#endif
}

void returnFreedMemory() {
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
}

}  // namespace tavrine::qt
