#include <windows.h>

#include "common/zeroed_block.h"

namespace zeroed_block {

void* Reserve(size_t bytes) {
  // Committed pages are zero-filled on first touch and use no physical memory
  // before that.
  return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void Release(void* block, size_t) {
  if (block != nullptr) VirtualFree(block, 0, MEM_RELEASE);
}

void Discard(void* block, size_t bytes) {
  if (block == nullptr || bytes == 0) return;
  // Decommitting drops the pages; committing again gives fresh zero pages.
  VirtualFree(block, bytes, MEM_DECOMMIT);
  VirtualAlloc(block, bytes, MEM_COMMIT, PAGE_READWRITE);
}

}  // namespace zeroed_block
