// Heap blocks of the system's records (particles, rotation tables, the pattern array), with fault injection
// so that every allocation failure path can be tested.
#pragma once
#include <cstddef>

void *HeapAllocate(size_t bytes);                // uninitialised; nullptr on failure
void *HeapAllocateZeroed(size_t bytes);          // zero-filled; nullptr on failure
void *HeapReallocate(void *block, size_t bytes); // grows or shrinks; nullptr on failure, block kept
void HeapRelease(void *block);                   // nullptr is fine

// Tests: let the next `skip` allocations succeed, then fail the following `fail` ones. (0, 0) turns it off.
void SetAllocationFaults(int skip, int fail);
