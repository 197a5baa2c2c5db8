#include "common/free_heap.h"

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

}  // namespace free_heap
