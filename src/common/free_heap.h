#pragma once
// Hands memory the allocator keeps free back to the system. After a large
// structure is freed (the data viewer's rows of a long readout) the C heap
// keeps its pages for reuse; a desktop program that idles for hours should
// not. One implementation per platform (free_heap_posix.cpp, free_heap_win32.cpp).

namespace free_heap {

// Returns the free pages of the C heap to the system where the allocator
// allows it; does nothing otherwise.
void ReturnToSystem();

// Large blocks (a readout's text, a viewer's rows) get pages of their own,
// which go back to the system as soon as they are freed. Without this glibc
// raises the size it maps separately each time such a block is freed, so
// the next ones come from the heap and stay resident after they are freed.
// Call once at start-up, before other threads exist.
void MapLargeBlocksApart();

}  // namespace free_heap
