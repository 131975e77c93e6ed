// The in-memory form of a registry-shaped store, shared by the memory and the `.reg` file backends: keys by
// full path ("HKEY_CURRENT_USER\..."), kept in the registry's order, each with its values; handles that name
// a key by path, so a key deleted under an open handle is noticed instead of followed.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
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
    // folded name -> place in `values`, built once a key holds many values; empty means "not built"
    std::unordered_map<std::string, uint32_t> valueIndex;
};

struct StoreTree {
    std::vector<StoreKeyRec> keys; // ordered by StoreCompareNames on the path; every key's parent is present
    // where the last enumeration stopped, so walking a key's subkeys in order is linear, not quadratic
    uint64_t version = 0; // bumped whenever a key is added or removed
    uint64_t enumVersion = ~uint64_t(0);
    std::string enumParent;
    uint32_t enumIndex = 0;
    size_t enumAt = 0;
};

extern const char *const STORE_USER_ROOT; // "HKEY_CURRENT_USER"

// Names read from a Unicode file may hold characters the 8-bit code page lacks. The tree keeps each such
// UTF-16 unit as STORE_WIDE and four lower-case hex digits (a DEL of the code page is kept so too), so two
// names that differ only there stay two names and are written back intact. Callers of the seam see the
// code page's form: '?' for each such character, as the registry shows it to 8-bit programs.
constexpr char STORE_WIDE = 0x7F;
std::string TreeWideUnit(uint32_t unit);                       // STORE_WIDE and the unit's four digits
std::string TreeNameIn(const char *name);                      // a caller's name in the tree's form
std::string TreeNameOut(const std::string &name, bool *lossy); // the tree's form for a caller

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
    // lines a save would not write back as they are: those skipped, comments, and texts holding characters
    // outside the code page
    std::vector<int> lostLines;
};
RegParseResult RegTextParse(const char *bytes, size_t size, StoreTree *tree);
// Regedit's 5.00 header and CR LF line ends; 8-bit text, or UTF-16LE with its byte-order mark when a name
// holds a character outside the code page.
std::string RegTextWrite(const StoreTree &tree);
