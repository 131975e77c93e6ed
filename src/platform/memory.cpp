// Heap blocks with fault injection for tests.
#include "platform/memory.h"

#include <cstdlib>

static int sSkipBeforeFault = 0; // allocations still allowed to succeed before the faults start
static int sFaultsLeft = 0;      // allocations still to fail

static bool FaultNow() {
    if (sFaultsLeft <= 0) return false;
    if (sSkipBeforeFault > 0) {
        --sSkipBeforeFault;
        return false;
    }
    --sFaultsLeft;
    return true;
}

void SetAllocationFaults(int skip, int fail) {
    sSkipBeforeFault = skip;
    sFaultsLeft = fail;
}

void *HeapAllocate(size_t bytes) {
    return FaultNow() ? nullptr : malloc(bytes ? bytes : 1);
}
void *HeapAllocateZeroed(size_t bytes) {
    return FaultNow() ? nullptr : calloc(1, bytes ? bytes : 1);
}
void *HeapReallocate(void *block, size_t bytes) {
    return FaultNow() ? nullptr : realloc(block, bytes ? bytes : 1);
}
void HeapRelease(void *block) {
    free(block);
}
