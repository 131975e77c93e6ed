// The in-memory form of a registry-shaped store, shared by the memory and the `.reg` file backends: keys by
// full path ("HKEY_CURRENT_USER\..."), kept in the registry's order, each with its values; handles that name
// a key by path, so a key deleted under an open handle is noticed instead of followed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/store.h"

struct StoreValueRec {
    std::string name; // "" is the key's default value
    uint32_t type;
    std::string data; // the bytes as stored
};

struct StoreKeyRec {
    std::string path; // full path, root first
    std::vector<StoreValueRec> values;
};

struct StoreTree {
    std::vector<StoreKeyRec> keys; // ordered by StoreCompareNames on the path; every key's parent is present
};

extern const char *const STORE_USER_ROOT; // "HKEY_CURRENT_USER"

StoreKeyRec *TreeFindKey(StoreTree &tree, const std::string &path);
StoreKeyRec *TreeAddKey(StoreTree &tree, const std::string &path); // with any missing parents
void TreeDeleteSubtree(StoreTree &tree, const std::string &path);  // the key and all below it
bool TreeHasSubkeys(const StoreTree &tree, const std::string &path);
StoreValueRec *TreeFindValue(StoreKeyRec &key, const char *name);
void TreeSetValue(StoreKeyRec &key, const char *name, uint32_t type, std::string data);
bool TreeDeleteValue(StoreKeyRec &key, const char *name);

// The seam's operations over one tree. `changed` tells the caller that the tree was modified.
int32_t TreeOpenKey(StoreTree &tree, const char *path, StoreAccess access, StoreKey *out);
int32_t TreeCreateKey(StoreTree &tree, const char *path, StoreKey *out, bool *changed);
int32_t TreeReadValue(StoreTree &tree, StoreKey key, const char *name, uint32_t *type, void *data,
                      uint32_t *size);
int32_t TreeWriteValue(StoreTree &tree, StoreKey key, const char *name, uint32_t type, const void *data,
                       uint32_t size);
int32_t TreeEnumKey(StoreTree &tree, StoreKey key, uint32_t index, char *name, uint32_t *size);
int32_t TreeDeleteKey(StoreTree &tree, StoreKey key, const char *subkey);
int32_t TreeCloseKey(StoreKey key);

// The `.reg` text: parse into a tree (merging into what it holds) and write a tree out.
struct RegParseResult {
    int badLines;        // lines skipped because they could not be read
    int firstBadLine;    // 1-based number of the first of them, 0 when none
    bool truncatedUtf16; // a UTF-16 file of odd length: its last byte was dropped
};
RegParseResult RegTextParse(const char *bytes, size_t size, StoreTree *tree);
std::string RegTextWrite(const StoreTree &tree); // 8-bit text, CR LF line ends, regedit's 5.00 header
