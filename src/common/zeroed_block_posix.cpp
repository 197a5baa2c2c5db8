#include <sys/mman.h>

#include "common/zeroed_block.h"

namespace zeroed_block {

void* Reserve(size_t bytes) {
  // Anonymous pages read as zero and cost nothing until they are written.
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  return p == MAP_FAILED ? nullptr : p;
}

void Release(void* block, size_t bytes) {
  if (block != nullptr) munmap(block, bytes);
}

void Discard(void* block, size_t bytes) {
  if (block != nullptr && bytes > 0) madvise(block, bytes, MADV_DONTNEED);
}

}  // namespace zeroed_block
