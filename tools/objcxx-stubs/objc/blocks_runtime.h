// SPDX-License-Identifier: MIT
// Stand-in for libobjc2's <objc/blocks_runtime.h>, which GNUstep's headers include when the
// compiler has blocks; Debian's GNUstep is built on GCC's runtime, which has no such header.
#pragma once
#ifdef __cplusplus
extern "C" {
#endif
void* _Block_copy(const void* block);
void _Block_release(const void* block);
#ifdef __cplusplus
}
#endif
#define Block_copy(x) ((__typeof(x))_Block_copy((const void*)(x)))
#define Block_release(x) _Block_release((const void*)(x))
