// The registry-shaped tree behind the memory and file stores, and the seam's operations over it, with the
// registry's rules: names compare without regard to case, subkeys enumerate in order, a key with subkeys
// cannot be deleted, writes need a key opened for writing. Never touches a file.
#include "platform/store_tree.h"

#include <cstring>
#include <new>

const char *const STORE_USER_ROOT = "HKEY_CURRENT_USER";

// A key opened for query reads and enumerates; one created for writing only writes, as in the registry.
struct TreeHandle {
    std::string path; // full path of the key
    bool canRead;
    bool canWrite;
};

static int ComparePaths(const std::string &a, const std::string &b) {
    return StoreCompareNames(a.c_str(), b.c_str());
}

StoreKeyRec *TreeFindKey(StoreTree &tree, const std::string &path) {
    for (StoreKeyRec &key : tree.keys)
        if (ComparePaths(key.path, path) == 0) return &key;
    return nullptr;
}

StoreKeyRec *TreeAddKey(StoreTree &tree, const std::string &path) {
    if (StoreKeyRec *found = TreeFindKey(tree, path)) return found;
    const size_t cut = path.rfind('\\');
    if (cut != std::string::npos) TreeAddKey(tree, path.substr(0, cut));
    size_t at = 0;
    while (at < tree.keys.size() && ComparePaths(tree.keys[at].path, path) < 0)
        ++at;
    tree.keys.insert(tree.keys.begin() + static_cast<ptrdiff_t>(at), StoreKeyRec{path, {}});
    return &tree.keys[at];
}

// `path` is below `parent` when it starts with the parent's path and a backslash.
static bool IsBelow(const std::string &path, const std::string &parent) {
    if (path.size() <= parent.size() + 1 || path[parent.size()] != '\\') return false;
    return ComparePaths(path.substr(0, parent.size()), parent) == 0;
}

void TreeDeleteSubtree(StoreTree &tree, const std::string &path) {
    std::vector<StoreKeyRec> kept;
    kept.reserve(tree.keys.size());
    for (StoreKeyRec &key : tree.keys)
        if (ComparePaths(key.path, path) != 0 && !IsBelow(key.path, path)) kept.push_back(std::move(key));
    tree.keys.swap(kept);
}

bool TreeHasSubkeys(const StoreTree &tree, const std::string &path) {
    for (const StoreKeyRec &key : tree.keys)
        if (IsBelow(key.path, path)) return true;
    return false;
}

StoreValueRec *TreeFindValue(StoreKeyRec &key, const char *name) {
    for (StoreValueRec &value : key.values)
        if (StoreCompareNames(value.name.c_str(), name) == 0) return &value;
    return nullptr;
}

void TreeSetValue(StoreKeyRec &key, const char *name, uint32_t type, std::string data) {
    if (StoreValueRec *value = TreeFindValue(key, name)) {
        value->type = type; // the first spelling of the name stays, as in the registry
        value->data = std::move(data);
        return;
    }
    key.values.push_back(StoreValueRec{name, type, std::move(data)});
}

bool TreeDeleteValue(StoreKeyRec &key, const char *name) {
    for (size_t i = 0; i < key.values.size(); ++i) {
        if (StoreCompareNames(key.values[i].name.c_str(), name) == 0) {
            key.values.erase(key.values.begin() + static_cast<ptrdiff_t>(i));
            return true;
        }
    }
    return false;
}

static std::string FullPath(const char *path) {
    std::string full = STORE_USER_ROOT;
    if (path && path[0]) {
        full += '\\';
        full += path;
    }
    return full;
}

// A path the registry would refuse: empty elements (a doubled, leading or trailing backslash).
static bool ValidPath(const char *path) {
    if (!path) return false;
    if (!path[0]) return true;
    const size_t len = strlen(path);
    if (path[0] == '\\' || path[len - 1] == '\\' || strstr(path, "\\\\")) return false;
    return true;
}

static int32_t NewHandle(const std::string &path, bool canRead, bool canWrite, StoreKey *out) {
    TreeHandle *handle = new (std::nothrow) TreeHandle{path, canRead, canWrite};
    if (!handle) return STORE_CANT_WRITE;
    *out = handle;
    return STORE_SUCCESS;
}

int32_t TreeOpenKey(StoreTree &tree, const char *path, StoreAccess access, StoreKey *out) {
    if (!out || !ValidPath(path)) return STORE_INVALID;
    StoreKeyRec *key = TreeFindKey(tree, FullPath(path));
    if (!key) return STORE_NOT_FOUND;
    return NewHandle(key->path, true, access == STORE_ALL_ACCESS, out);
}

int32_t TreeCreateKey(StoreTree &tree, const char *path, StoreKey *out, bool *changed) {
    *changed = false;
    if (!out || !ValidPath(path)) return STORE_INVALID;
    const std::string full = FullPath(path);
    StoreKeyRec *key = TreeFindKey(tree, full);
    if (!key) {
        key = TreeAddKey(tree, full);
        *changed = true;
    }
    return NewHandle(key->path, false, true, out);
}

static StoreKeyRec *KeyOf(StoreTree &tree, StoreKey key) {
    return key ? TreeFindKey(tree, static_cast<TreeHandle *>(key)->path) : nullptr;
}

int32_t TreeReadValue(StoreTree &tree, StoreKey key, const char *name, uint32_t *type, void *data,
                      uint32_t *size) {
    if (!key || !name) return STORE_INVALID;
    if (!static_cast<TreeHandle *>(key)->canRead) return STORE_ACCESS_DENIED;
    StoreKeyRec *rec = KeyOf(tree, key);
    if (!rec) return STORE_KEY_DELETED;
    const StoreValueRec *value = TreeFindValue(*rec, name);
    if (!value) return STORE_NOT_FOUND;
    if (type) *type = value->type;
    const uint32_t stored = static_cast<uint32_t>(value->data.size());
    if (!size) return data ? STORE_INVALID : STORE_SUCCESS;
    const uint32_t room = *size;
    *size = stored;
    if (!data) return STORE_SUCCESS; // asking for the size only
    if (stored > room) return STORE_MORE_DATA;
    memcpy(data, value->data.data(), stored);
    return STORE_SUCCESS;
}

int32_t TreeWriteValue(StoreTree &tree, StoreKey key, const char *name, uint32_t type, const void *data,
                       uint32_t size) {
    if (!key || !name || (size && !data)) return STORE_INVALID;
    if (!static_cast<TreeHandle *>(key)->canWrite) return STORE_ACCESS_DENIED;
    StoreKeyRec *rec = KeyOf(tree, key);
    if (!rec) return STORE_KEY_DELETED;
    TreeSetValue(*rec, name, type, std::string(static_cast<const char *>(data), size));
    return STORE_SUCCESS;
}

int32_t TreeEnumKey(StoreTree &tree, StoreKey key, uint32_t index, char *name, uint32_t *size) {
    if (!key || !name || !size) return STORE_INVALID;
    if (!static_cast<TreeHandle *>(key)->canRead) return STORE_ACCESS_DENIED;
    StoreKeyRec *rec = KeyOf(tree, key);
    if (!rec) return STORE_KEY_DELETED;
    const std::string parent = rec->path;
    uint32_t seen = 0;
    for (const StoreKeyRec &child : tree.keys) {
        if (!IsBelow(child.path, parent) || child.path.find('\\', parent.size() + 1) != std::string::npos)
            continue;
        if (seen++ != index) continue;
        const std::string leaf = child.path.substr(parent.size() + 1);
        if (leaf.size() + 1 > *size) return STORE_MORE_DATA;
        memcpy(name, leaf.c_str(), leaf.size() + 1);
        *size = static_cast<uint32_t>(leaf.size());
        return STORE_SUCCESS;
    }
    return STORE_NO_MORE_ITEMS;
}

int32_t TreeDeleteKey(StoreTree &tree, StoreKey key, const char *subkey) {
    if (!key || !subkey || !subkey[0] || !ValidPath(subkey)) return STORE_INVALID;
    StoreKeyRec *rec = KeyOf(tree, key);
    if (!rec) return STORE_KEY_DELETED;
    const std::string path = rec->path + '\\' + subkey;
    if (!TreeFindKey(tree, path)) return STORE_NOT_FOUND;
    if (TreeHasSubkeys(tree, path)) return STORE_ACCESS_DENIED;
    TreeDeleteSubtree(tree, path);
    return STORE_SUCCESS;
}

int32_t TreeCloseKey(StoreKey key) {
    if (!key) return STORE_INVALID;
    delete static_cast<TreeHandle *>(key);
    return STORE_SUCCESS;
}
