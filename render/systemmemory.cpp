#include "systemmemory.h"

// Any C library header defines __GLIBC__; without one the checks below would
// quietly compile to nothing.
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace SystemMemory {

namespace {
// Below every picture (a 320 x 240 BGRA one is 300 KB), above the many small
// blocks Qt and FFmpeg allocate all the time.
constexpr int MappedThresholdBytes = 256 * 1024;
} // namespace

void preferMappedPictures()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, MappedThresholdBytes);
#endif
}

bool returnFreeMemory()
{
#if defined(__GLIBC__)
    return malloc_trim(0) != 0;
#else
    return false;
#endif
}

} // namespace SystemMemory
