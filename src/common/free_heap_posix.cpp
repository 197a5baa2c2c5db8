#include "common/free_heap.h"

// Any C library header tells which C library this is; without one,
// __GLIBC__ is not defined yet and the trim below would never be built in.
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace free_heap {

void ReturnToSystem() {
#if defined(__GLIBC__)
  // glibc returns only the top of the main heap by itself; trimming also
  // releases the free pages inside every arena.
  malloc_trim(0);
#endif
}

void MapLargeBlocksApart() {
#if defined(__GLIBC__)
  // Fixing the threshold also fixes the trim threshold (no dynamic growth).
  mallopt(M_MMAP_THRESHOLD, 256 * 1024);
#endif
}

}  // namespace free_heap
