// The store seam: a registry-shaped key/value store under the current user's root, with the few operations
// the settings need. Backends: the Windows registry, the `.reg` text file, memory (tests). Result codes and
// value types carry the Windows numbers on every platform; nothing here ever throws or reports through a
// message box.
#pragma once
#include <cstddef>
#include <cstdint>

// Result codes (the Windows ERROR_* numbers).
constexpr int32_t STORE_SUCCESS = 0;         // ERROR_SUCCESS
constexpr int32_t STORE_NOT_FOUND = 2;       // ERROR_FILE_NOT_FOUND: no such key or value
constexpr int32_t STORE_ACCESS_DENIED = 5;   // ERROR_ACCESS_DENIED: wrong access, or a key with subkeys
constexpr int32_t STORE_INVALID = 87;        // ERROR_INVALID_PARAMETER
constexpr int32_t STORE_MORE_DATA = 234;     // ERROR_MORE_DATA: the buffer is too small
constexpr int32_t STORE_NO_MORE_ITEMS = 259; // ERROR_NO_MORE_ITEMS: enumeration is over
constexpr int32_t STORE_CANT_WRITE = 1013;   // ERROR_CANTWRITE: the store could not be written
constexpr int32_t STORE_KEY_DELETED = 1018;  // ERROR_KEY_DELETED: the open key has been deleted

// Value types (the Windows REG_* numbers).
constexpr uint32_t STORE_SZ = 1;     // REG_SZ: 8-bit text
constexpr uint32_t STORE_BINARY = 3; // REG_BINARY
constexpr uint32_t STORE_DWORD = 4;  // REG_DWORD: 4 bytes, little-endian

constexpr uint32_t STORE_NAME_BUFFER = 31; // enumeration's name buffer: 30 characters and the NUL

using StoreKey = void *; // an open key; valid until closed

// Access asked for when opening a key.
enum StoreAccess { STORE_READ, STORE_ALL_ACCESS };

struct StoreBackend {
    // Opens an existing key (path relative to the user's root, elements separated by one backslash).
    int32_t (*openKey)(const char *path, StoreAccess access, StoreKey *out);
    // Creates the key and any missing parents, or opens it, for writing.
    int32_t (*createKey)(const char *path, StoreKey *out);
    // *size in: the buffer's bytes; out: the bytes stored. Fails with STORE_MORE_DATA when the value is
    // larger.
    int32_t (*readValue)(StoreKey key, const char *name, uint32_t *type, void *data, uint32_t *size);
    int32_t (*writeValue)(StoreKey key, const char *name, uint32_t type, const void *data, uint32_t size);
    // *size in: the buffer's bytes (room for the NUL included); out: the name's length. STORE_MORE_DATA when
    // the name does not fit; STORE_NO_MORE_ITEMS past the last subkey.
    int32_t (*enumKey)(StoreKey key, uint32_t index, char *name, uint32_t *size);
    // Deletes a subkey that has no subkeys of its own (callers open the key with all access).
    int32_t (*deleteKey)(StoreKey key, const char *subkey);
    int32_t (*closeKey)(StoreKey key);
    // A problem the backend met that nobody asked about (a settings file with unreadable lines, a backup
    // kept): copied once into `text` and forgotten. nullptr when the backend has none to tell.
    bool (*takeProblem)(char *text, size_t size);
};

// The store of this build: the registry on Windows, the settings file elsewhere.
const StoreBackend *SystemStoreBackend();
const StoreBackend *RegFileStoreBackend();         // every build
const StoreBackend *MemoryStoreBackend();          // every build; tests and fuzzing
void SetStoreBackend(const StoreBackend *backend); // nullptr puts the system store back
const StoreBackend *CurrentStoreBackend();

int32_t StoreOpenKey(const char *path, StoreAccess access, StoreKey *out);
int32_t StoreCreateKey(const char *path, StoreKey *out);
int32_t StoreReadValue(StoreKey key, const char *name, uint32_t *type, void *data, uint32_t *size);
int32_t StoreWriteValue(StoreKey key, const char *name, uint32_t type, const void *data, uint32_t size);
int32_t StoreEnumKey(StoreKey key, uint32_t index, char *name, uint32_t *size);
int32_t StoreDeleteKey(StoreKey key, const char *subkey);
int32_t StoreCloseKey(StoreKey key);
bool StoreTakeProblem(char *text, size_t size); // false when there is nothing to tell
// What a failed call's result means, in the system's words: for the settings file, why its last save failed
// ("cannot write FILE: No space left on device"); for the registry, the system's message for the code.
void StoreErrorText(int32_t result, char *text, size_t size);

// Names of keys and values compare as the store compares them: every letter of the 8-bit code page
// (Windows-1252) folded to upper case, then ordered by Unicode code point, which is the registry's order.
uint8_t StoreFoldChar(uint8_t c);
uint32_t StoreCodePoint(uint8_t c);                  // the Windows-1252 character's Unicode code point
int StoreCompareNames(const char *a, const char *b); // <0, 0, >0; a backslash sorts before every character

// ---------------------------------------------------------------------------------------------------------------
// The `.reg` file backend
// ---------------------------------------------------------------------------------------------------------------
// The file in use: the override if set, else $XDG_CONFIG_HOME/tavo/tavo.reg (~/.config/tavo/tavo.reg); on
// Windows %LOCALAPPDATA%\Tavo\tavo.reg. nullptr path puts the default back; the next open reads the file
// anew.
void SetRegFilePath(const char *path);
const char *RegFilePath();

// Why the settings file could not be used at its last read, as "cannot read FILE: reason": 1 when it exists
// but cannot be read, or is not a regular file of at most 16 MiB; 2 when its path cannot be used at all; 0
// when it was read or does not exist. Such a file is never written over.
int RegFileReadProblem(char *text, size_t size);

// Tests: make the next saves of the settings file fail at one stage (the old file must survive every one).
enum RegFileFault {
    REGFILE_FAULT_NONE,
    REGFILE_FAULT_OPEN,   // the temporary file cannot be created
    REGFILE_FAULT_WRITE,  // writing stops half-way (a full disk)
    REGFILE_FAULT_FLUSH,  // flushing to the disk fails
    REGFILE_FAULT_RENAME, // replacing the old file fails
};
void SetRegFileFault(RegFileFault fault, int count); // the next `count` saves fail so

// ---------------------------------------------------------------------------------------------------------------
// The memory backend (tests)
// ---------------------------------------------------------------------------------------------------------------
enum StoreOp {
    STORE_OP_OPEN = 1 << 0,
    STORE_OP_CREATE = 1 << 1,
    STORE_OP_READ = 1 << 2,
    STORE_OP_WRITE = 1 << 3,
    STORE_OP_ENUM = 1 << 4,
    STORE_OP_DELETE = 1 << 5,
    STORE_OP_CLOSE = 1 << 6,
};
void ResetMemoryStore(); // empty, no faults
// After `skip` further calls among the operations in `opMask`, the following `count` fail with `code`.
void SetMemoryStoreFaults(uint32_t opMask, int skip, int count, int32_t code);
// Loads `.reg` text into the memory store (tests and fuzzing); returns the number of lines it could not read.
int LoadMemoryStoreFromRegText(const char *text, size_t bytes);

// ---------------------------------------------------------------------------------------------------------------
// The registry backend (Windows builds)
// ---------------------------------------------------------------------------------------------------------------
// Tests: every path is taken below this key of the user's root instead of at the root itself.
void SetRegistryStoreRoot(const char *prefix);
