#include "platform/posix/MemoryRelease.h"

#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tessaly {

void limitAllocatorPools()
{
#if defined(__GLIBC__)
    // The allocator's own environment setting, when given, stays as it is.
    if (!std::getenv("MALLOC_ARENA_MAX"))
        mallopt(M_ARENA_MAX, 2);
#endif
}

void releaseFreeMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace tessaly
