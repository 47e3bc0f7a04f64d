#pragma once

namespace tessaly {

// The C library's allocator keeps what a program frees for its own later allocations, in one
// pool per thread that ever allocated. Tessaly is idle nearly all of its life, between short
// bursts (the start, an opening of the panel), so it gives the memory back once a burst is over.

// Holds the allocator to two pools however many threads allocate. Called first thing in main,
// before any thread exists.
void limitAllocatorPools();

// Returns the free memory of every pool to the system (a few milliseconds at most).
void releaseFreeMemory();

} // namespace tessaly
