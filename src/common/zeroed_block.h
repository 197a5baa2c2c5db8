#pragma once
// A large block of memory that reads as zero and takes physical memory only
// where it has been written. One implementation per platform
// (zeroed_block_posix.cpp, zeroed_block_win32.cpp).
#include <cstddef>

namespace zeroed_block {

// Reserves `bytes` bytes; nullptr when the address space is not there.
void* Reserve(size_t bytes);
// Gives the block back.
void Release(void* block, size_t bytes);
// Makes the first `bytes` bytes of the block read as zero again and returns
// their memory to the system.
void Discard(void* block, size_t bytes);

}  // namespace zeroed_block
