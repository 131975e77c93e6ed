// Dispatch of the store seam to the installed backend, and the one rule by which the store compares names.
// Callers are the settings store and the pattern library; nothing here touches a file or the registry.
#include "platform/store.h"

static const StoreBackend *sStore = nullptr; // nullptr: the system store

void SetStoreBackend(const StoreBackend *backend) {
    sStore = backend;
}
const StoreBackend *CurrentStoreBackend() {
    return sStore ? sStore : SystemStoreBackend();
}

int32_t StoreOpenKey(const char *path, StoreAccess access, StoreKey *out) {
    return CurrentStoreBackend()->openKey(path, access, out);
}
int32_t StoreCreateKey(const char *path, StoreKey *out) {
    return CurrentStoreBackend()->createKey(path, out);
}
int32_t StoreReadValue(StoreKey key, const char *name, uint32_t *type, void *data, uint32_t *size) {
    return CurrentStoreBackend()->readValue(key, name, type, data, size);
}
int32_t StoreWriteValue(StoreKey key, const char *name, uint32_t type, const void *data, uint32_t size) {
    return CurrentStoreBackend()->writeValue(key, name, type, data, size);
}
int32_t StoreEnumKey(StoreKey key, uint32_t index, char *name, uint32_t *size) {
    return CurrentStoreBackend()->enumKey(key, index, name, size);
}
int32_t StoreDeleteKey(StoreKey key, const char *subkey) {
    return CurrentStoreBackend()->deleteKey(key, subkey);
}
int32_t StoreCloseKey(StoreKey key) {
    return CurrentStoreBackend()->closeKey(key);
}
bool StoreTakeProblem(char *text, size_t size) {
    const StoreBackend *store = CurrentStoreBackend();
    return store->takeProblem && size && store->takeProblem(text, size);
}

// Unicode code points of Windows-1252's 0x80..0x9F; the five unassigned bytes map to themselves.
static const uint16_t kHighControls[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                           0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t StoreCodePoint(uint8_t c) {
    return (c >= 0x80 && c < 0xA0) ? kHighControls[c - 0x80] : c;
}

uint8_t StoreFoldChar(uint8_t c) {
    if (c >= 'a' && c <= 'z') return static_cast<uint8_t>(c - 32);
    if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<uint8_t>(c - 0x10); // š œ ž
    if (c == 0xFF) return 0x9F;                                                     // ÿ
    if (c >= 0xE0 && c != 0xF7) return static_cast<uint8_t>(c - 0x20);              // à..þ except ÷
    return c;
}

// Each byte's place in the order: its folded code point; the path separator first, so a key's subkeys follow
// it directly. Made once: every lookup of a large store compares many names.
static const uint32_t *SortOrder() {
    static uint32_t order[256];
    static bool made = false;
    if (!made) {
        for (int c = 0; c < 256; ++c)
            order[c] = c == '\\' ? 0 : StoreCodePoint(StoreFoldChar(static_cast<uint8_t>(c)));
        made = true;
    }
    return order;
}

int StoreCompareNames(const char *a, const char *b) {
    const uint32_t *order = SortOrder();
    for (;; ++a, ++b) {
        const uint8_t ca = static_cast<uint8_t>(*a), cb = static_cast<uint8_t>(*b);
        if (!ca || !cb) return (ca > cb) - (ca < cb);
        if (ca != cb && order[ca] != order[cb]) return order[ca] < order[cb] ? -1 : 1;
    }
}
