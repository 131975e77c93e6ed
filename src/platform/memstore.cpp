// The store in memory, for tests and fuzzing: the registry's rules without a registry, and a fault switch
// that makes any chosen operation fail, so every failure path of the settings can be exercised.
#include "platform/store_tree.h"

static StoreTree sTree;
static uint32_t sFaultOps = 0; // operations that may fail (StoreOp bits)
static int sFaultSkip = 0;     // matching calls still to succeed first
static int sFaultCount = 0;    // matching calls still to fail
static int32_t sFaultCode = STORE_SUCCESS;

void ResetMemoryStore() {
    sTree = StoreTree();
    sFaultOps = 0;
    sFaultSkip = sFaultCount = 0;
}

void SetMemoryStoreFaults(uint32_t opMask, int skip, int count, int32_t code) {
    sFaultOps = opMask;
    sFaultSkip = skip;
    sFaultCount = count;
    sFaultCode = code;
}

int LoadMemoryStoreFromRegText(const char *text, size_t bytes) {
    return RegTextParse(text, bytes, &sTree).badLines;
}

static bool Fails(StoreOp op) {
    if (!(sFaultOps & op) || sFaultCount <= 0) return false;
    if (sFaultSkip > 0) {
        --sFaultSkip;
        return false;
    }
    --sFaultCount;
    return true;
}

static int32_t MemOpenKey(const char *path, StoreAccess access, StoreKey *out) {
    return Fails(STORE_OP_OPEN) ? sFaultCode : TreeOpenKey(sTree, path, access, out);
}
static int32_t MemCreateKey(const char *path, StoreKey *out) {
    bool changed;
    return Fails(STORE_OP_CREATE) ? sFaultCode : TreeCreateKey(sTree, path, out, &changed);
}
static int32_t MemReadValue(StoreKey key, const char *name, uint32_t *type, void *data, uint32_t *size) {
    return Fails(STORE_OP_READ) ? sFaultCode : TreeReadValue(sTree, key, name, type, data, size);
}
static int32_t MemWriteValue(StoreKey key, const char *name, uint32_t type, const void *data, uint32_t size) {
    return Fails(STORE_OP_WRITE) ? sFaultCode : TreeWriteValue(sTree, key, name, type, data, size);
}
static int32_t MemEnumKey(StoreKey key, uint32_t index, char *name, uint32_t *size) {
    return Fails(STORE_OP_ENUM) ? sFaultCode : TreeEnumKey(sTree, key, index, name, size);
}
static int32_t MemDeleteKey(StoreKey key, const char *subkey) {
    return Fails(STORE_OP_DELETE) ? sFaultCode : TreeDeleteKey(sTree, key, subkey);
}
static int32_t MemCloseKey(StoreKey key) {
    // a failed close still lets the handle go, as the registry does; only the result says otherwise
    const int32_t result = TreeCloseKey(key);
    return Fails(STORE_OP_CLOSE) ? sFaultCode : result;
}

static const StoreBackend kMemoryStore = {MemOpenKey, MemCreateKey, MemReadValue, MemWriteValue,
                                          MemEnumKey, MemDeleteKey, MemCloseKey,  nullptr};

const StoreBackend *MemoryStoreBackend() {
    return &kMemoryStore;
}
