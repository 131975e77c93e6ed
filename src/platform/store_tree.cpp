// The registry-shaped tree behind the memory and file stores, and the seam's operations over it, with the
// registry's rules: names compare without regard to case, subkeys enumerate in order, a key with subkeys
// cannot be deleted, writes need a key opened for writing. Never touches a file.
#include "platform/store_tree.h"

#include <cstring>
#include <new>

const char *const STORE_USER_ROOT = "HKEY_CURRENT_USER";

std::string TreeWideUnit(uint32_t unit) {
    static const char digits[] = "0123456789abcdef";
    std::string out(1, STORE_WIDE);
    for (int shift = 12; shift >= 0; shift -= 4)
        out += digits[(unit >> shift) & 15];
    return out;
}

std::string TreeNameIn(const char *name) {
    if (!strchr(name, STORE_WIDE)) return name;
    std::string out;
    for (; *name; ++name)
        out += *name == STORE_WIDE ? TreeWideUnit(0x7F) : std::string(1, *name);
    return out;
}

static int HexValue(char c) {
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string TreeNameOut(const std::string &name, bool *lossy) {
    if (name.find(STORE_WIDE) == std::string::npos) return name;
    std::string out;
    for (size_t at = 0; at < name.size(); ++at) {
        uint32_t unit = 0;
        bool wide = name[at] == STORE_WIDE && at + 4 < name.size();
        for (size_t k = 1; wide && k <= 4; ++k)
            wide = HexValue(name[at + k]) >= 0 &&
                   (unit = unit * 16 + static_cast<uint32_t>(HexValue(name[at + k])), true);
        if (!wide) {
            out += name[at];
            continue;
        }
        out += unit == 0x7F ? STORE_WIDE : '?';
        if (unit != 0x7F && lossy) *lossy = true;
        at += 4;
    }
    return out;
}

// A key opened for query reads and enumerates; one created for writing only writes, as in the registry.
struct TreeHandle {
    std::string path; // full path of the key
    bool canRead;
    bool canWrite;
    uint64_t version; // the tree's version when `at` was found
    size_t at;        // the key's place in the tree then
};

// Versions are unique across trees, so a tree put back from a copy never matches a place found in another.
static uint64_t sLastVersion = 0;
static void Changed(StoreTree &tree) {
    tree.version = ++sLastVersion;
}

static int ComparePaths(const std::string &a, const std::string &b) {
    return StoreCompareNames(a.c_str(), b.c_str());
}

// The first key not ordered before `path`: the key itself when present, else where it would go.
static size_t LowerBound(const StoreTree &tree, const std::string &path) {
    size_t low = 0, high = tree.keys.size();
    while (low < high) {
        const size_t mid = low + (high - low) / 2;
        if (ComparePaths(tree.keys[mid].path, path) < 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

StoreKeyRec *TreeFindKey(StoreTree &tree, const std::string &path) {
    const size_t at = LowerBound(tree, path);
    return at < tree.keys.size() && ComparePaths(tree.keys[at].path, path) == 0 ? &tree.keys[at] : nullptr;
}

StoreKeyRec *TreeAddKey(StoreTree &tree, const std::string &path) {
    if (StoreKeyRec *found = TreeFindKey(tree, path)) return found;
    const size_t cut = path.rfind('\\');
    if (cut != std::string::npos) TreeAddKey(tree, path.substr(0, cut));
    // a file lists its keys in order, so most keys go at the end
    const bool last = tree.keys.empty() || ComparePaths(tree.keys.back().path, path) < 0;
    const size_t at = last ? tree.keys.size() : LowerBound(tree, path);
    tree.keys.insert(tree.keys.begin() + static_cast<ptrdiff_t>(at), StoreKeyRec{path, {}, {}});
    Changed(tree);
    return &tree.keys[at];
}

// `path` is below `parent` when it starts with the parent's path and a backslash.
static bool IsBelow(const std::string &path, const std::string &parent) {
    if (path.size() <= parent.size() + 1 || path[parent.size()] != '\\') return false;
    for (size_t k = 0; k < parent.size(); ++k)
        if (StoreFoldChar(static_cast<uint8_t>(path[k])) != StoreFoldChar(static_cast<uint8_t>(parent[k])))
            return false;
    return true;
}

// A key's subkeys follow it directly in the order (the backslash sorts before every character), so a
// subtree is one run of the list.
void TreeDeleteSubtree(StoreTree &tree, const std::string &path) {
    const size_t from = LowerBound(tree, path);
    size_t to = from;
    if (to < tree.keys.size() && ComparePaths(tree.keys[to].path, path) == 0) ++to;
    while (to < tree.keys.size() && IsBelow(tree.keys[to].path, path))
        ++to;
    if (to == from) return;
    tree.keys.erase(tree.keys.begin() + static_cast<ptrdiff_t>(from),
                    tree.keys.begin() + static_cast<ptrdiff_t>(to));
    Changed(tree);
}

bool TreeHasSubkeys(const StoreTree &tree, const std::string &path) {
    size_t at = LowerBound(tree, path);
    if (at < tree.keys.size() && ComparePaths(tree.keys[at].path, path) == 0) ++at;
    return at < tree.keys.size() && IsBelow(tree.keys[at].path, path);
}

static std::string Folded(const char *name) {
    std::string folded(name);
    for (char &c : folded)
        c = static_cast<char>(StoreFoldChar(static_cast<uint8_t>(c)));
    return folded;
}

// Below this many values a search is cheaper than keeping an index.
static const size_t kIndexFrom = 16;

StoreValueRec *TreeFindValue(StoreKeyRec &key, const char *name) {
    if (key.values.size() < kIndexFrom) {
        for (StoreValueRec &value : key.values)
            if (StoreCompareNames(value.name.c_str(), name) == 0) return &value;
        return nullptr;
    }
    if (key.valueIndex.empty())
        for (uint32_t k = 0; k < key.values.size(); ++k)
            key.valueIndex.emplace(Folded(key.values[k].name.c_str()), k);
    const auto found = key.valueIndex.find(Folded(name));
    return found == key.valueIndex.end() ? nullptr : &key.values[found->second];
}

void TreeSetValue(StoreKeyRec &key, const char *name, uint32_t type, std::string data) {
    if (StoreValueRec *value = TreeFindValue(key, name)) {
        value->type = type; // the first spelling of the name stays, as in the registry
        value->data = std::move(data);
        return;
    }
    if (!key.valueIndex.empty())
        key.valueIndex.emplace(Folded(name), static_cast<uint32_t>(key.values.size()));
    key.values.push_back(StoreValueRec{name, type, std::move(data)});
}

bool TreeDeleteValue(StoreKeyRec &key, const char *name) {
    StoreValueRec *value = TreeFindValue(key, name);
    if (!value) return false;
    key.values.erase(key.values.begin() + (value - key.values.data()));
    key.valueIndex.clear(); // the places behind it moved; built again when next needed
    return true;
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
    TreeHandle *handle = new (std::nothrow) TreeHandle{path, canRead, canWrite, 0, 0};
    if (!handle) return STORE_CANT_WRITE;
    *out = handle;
    return STORE_SUCCESS;
}

int32_t TreeOpenKey(StoreTree &tree, const char *path, StoreAccess access, StoreKey *out) {
    if (!out || !ValidPath(path)) return STORE_INVALID;
    StoreKeyRec *key = TreeFindKey(tree, FullPath(TreeNameIn(path).c_str()));
    if (!key) return STORE_NOT_FOUND;
    return NewHandle(key->path, true, access == STORE_ALL_ACCESS, out);
}

int32_t TreeCreateKey(StoreTree &tree, const char *path, StoreKey *out, bool *changed) {
    *changed = false;
    if (!out || !ValidPath(path)) return STORE_INVALID;
    const std::string full = FullPath(TreeNameIn(path).c_str());
    StoreKeyRec *key = TreeFindKey(tree, full);
    if (!key) {
        key = TreeAddKey(tree, full);
        *changed = true;
    }
    return NewHandle(key->path, false, true, out);
}

// The open key's record, found again only when keys were added or removed since the handle last looked.
static StoreKeyRec *KeyOf(StoreTree &tree, StoreKey key) {
    if (!key) return nullptr;
    TreeHandle *handle = static_cast<TreeHandle *>(key);
    if (handle->version == tree.version && handle->version && handle->at < tree.keys.size())
        return &tree.keys[handle->at];
    StoreKeyRec *rec = TreeFindKey(tree, handle->path);
    if (rec) {
        handle->version = tree.version;
        handle->at = static_cast<size_t>(rec - tree.keys.data());
    }
    return rec;
}

int32_t TreeReadValue(StoreTree &tree, StoreKey key, const char *name, uint32_t *type, void *data,
                      uint32_t *size) {
    if (!key || !name) return STORE_INVALID;
    if (!static_cast<TreeHandle *>(key)->canRead) return STORE_ACCESS_DENIED;
    StoreKeyRec *rec = KeyOf(tree, key);
    if (!rec) return STORE_KEY_DELETED;
    const StoreValueRec *value = TreeFindValue(*rec, TreeNameIn(name).c_str());
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
    TreeSetValue(*rec, TreeNameIn(name).c_str(), type, std::string(static_cast<const char *>(data), size));
    return STORE_SUCCESS;
}

int32_t TreeEnumKey(StoreTree &tree, StoreKey key, uint32_t index, char *name, uint32_t *size) {
    if (!key || !name || !size) return STORE_INVALID;
    if (!static_cast<TreeHandle *>(key)->canRead) return STORE_ACCESS_DENIED;
    StoreKeyRec *rec = KeyOf(tree, key);
    if (!rec) return STORE_KEY_DELETED;
    const std::string parent = rec->path;
    // go on from where the last enumeration of this key stopped when nothing has changed since
    uint32_t seen = 0;
    size_t at = static_cast<size_t>(rec - tree.keys.data()) + 1;
    if (tree.enumVersion == tree.version && tree.enumIndex <= index &&
        ComparePaths(tree.enumParent, parent) == 0) {
        seen = tree.enumIndex;
        at = tree.enumAt;
    }
    for (; at < tree.keys.size() && IsBelow(tree.keys[at].path, parent); ++at) {
        const StoreKeyRec &child = tree.keys[at];
        if (child.path.find('\\', parent.size() + 1) != std::string::npos) continue;
        if (seen++ != index) continue;
        tree.enumVersion = tree.version;
        tree.enumParent = parent;
        tree.enumIndex = index;
        tree.enumAt = at;
        const std::string leaf = TreeNameOut(child.path.substr(parent.size() + 1), nullptr);
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
    const std::string path = rec->path + '\\' + TreeNameIn(subkey);
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
