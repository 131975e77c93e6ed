// The store as the Windows registry under HKEY_CURRENT_USER: the thinnest adapter over the registry calls.
// Tests may move its root below a key of their own so they never touch the saver's real settings.
#include <windows.h>

#include <cstdio>

#include "platform/store.h"

static char sRoot[256]; // empty: paths are taken at HKEY_CURRENT_USER itself

void SetRegistryStoreRoot(const char *prefix) {
    sRoot[0] = '\0';
    if (prefix) snprintf(sRoot, sizeof sRoot, "%s", prefix);
}

// The path below the root; false when it would not fit (the registry refuses such paths anyway).
static bool RootedPath(const char *path, char *out, size_t size) {
    int n;
    if (!sRoot[0])
        n = snprintf(out, size, "%s", path);
    else if (!path[0])
        n = snprintf(out, size, "%s", sRoot);
    else
        n = snprintf(out, size, "%s\\%s", sRoot, path);
    return n >= 0 && static_cast<size_t>(n) < size;
}

static int32_t RegistryOpenKey(const char *path, StoreAccess access, StoreKey *out) {
    char full[1024];
    if (!path || !RootedPath(path, full, sizeof full)) return STORE_INVALID;
    const REGSAM sam =
        access == STORE_ALL_ACCESS ? KEY_ALL_ACCESS : (KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS);
    HKEY key = nullptr;
    const LONG result = RegOpenKeyExA(HKEY_CURRENT_USER, full, 0, sam, &key);
    if (result == ERROR_SUCCESS) *out = key;
    return result;
}

static int32_t RegistryCreateKey(const char *path, StoreKey *out) {
    char full[1024];
    if (!path || !RootedPath(path, full, sizeof full)) return STORE_INVALID;
    char emptyClass[] = "";
    HKEY key = nullptr;
    const LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, full, 0, emptyClass, REG_OPTION_NON_VOLATILE,
                                        KEY_WRITE, nullptr, &key, nullptr);
    if (result == ERROR_SUCCESS) *out = key;
    return result;
}

static int32_t RegistryReadValue(StoreKey key, const char *name, uint32_t *type, void *data, uint32_t *size) {
    DWORD storedType = 0, bytes = size ? *size : 0;
    const LONG result = RegQueryValueExA(static_cast<HKEY>(key), name, nullptr, &storedType,
                                         static_cast<BYTE *>(data), size ? &bytes : nullptr);
    if (type) *type = storedType;
    if (size) *size = bytes;
    return result;
}

static int32_t RegistryWriteValue(StoreKey key, const char *name, uint32_t type, const void *data,
                                  uint32_t size) {
    return RegSetValueExA(static_cast<HKEY>(key), name, 0, type, static_cast<const BYTE *>(data), size);
}

static int32_t RegistryEnumKey(StoreKey key, uint32_t index, char *name, uint32_t *size) {
    DWORD length = *size;
    const LONG result =
        RegEnumKeyExA(static_cast<HKEY>(key), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    *size = length;
    return result;
}

static int32_t RegistryDeleteKey(StoreKey key, const char *subkey) {
    return RegDeleteKeyA(static_cast<HKEY>(key), subkey);
}

static int32_t RegistryCloseKey(StoreKey key) {
    return RegCloseKey(static_cast<HKEY>(key));
}

static const StoreBackend kRegistryStore = {
    RegistryOpenKey, RegistryCreateKey, RegistryReadValue, RegistryWriteValue,
    RegistryEnumKey, RegistryDeleteKey, RegistryCloseKey,  nullptr};

const StoreBackend *SystemStoreBackend() {
    return &kRegistryStore;
}
