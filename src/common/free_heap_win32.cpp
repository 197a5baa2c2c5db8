#include "common/free_heap.h"

#include <windows.h>

namespace free_heap {

void ReturnToSystem() {
  // Coalesces the free blocks of the process heap and decommits what it can.
  HeapCompact(GetProcessHeap(), 0);
}

}  // namespace free_heap

namespace free_heap {

// The process heap already commits large blocks apart.
void MapLargeBlocksApart() {}

}  // namespace free_heap
