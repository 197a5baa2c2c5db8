#pragma once
// Hands memory the allocator keeps free back to the system. After a large
// structure is freed (the data viewer's rows of a long readout) the C heap
// keeps its pages for reuse; a desktop program that idles for hours should
// not. One implementation per platform (free_heap_posix.cpp, free_heap_win32.cpp).

namespace free_heap {

// Returns the free pages of the C heap to the system where the allocator
// allows it; does nothing otherwise.
void ReturnToSystem();

}  // namespace free_heap
