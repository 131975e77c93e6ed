// Reads back what the system and the user see of a tavo.scr file without running it: string 1 (the name in
// the screen-saver list), the product version of its version resource and its embedded manifest.
// Usage: resource_probe FILE
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char **argv) {
    if (argc != 2) return 2;
    const HMODULE file = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!file) {
        fprintf(stderr, "resource_probe: cannot open %s\n", argv[1]);
        return 1;
    }
    char text[256] = "";
    LoadStringA(file, 1, text, sizeof text);
    printf("string 1: %s\n", text);

    const HRSRC manifest = FindResourceA(file, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)); // RT_MANIFEST
    const HGLOBAL data = manifest ? LoadResource(file, manifest) : nullptr;
    std::string xml =
        data ? std::string(static_cast<const char *>(LockResource(data)), SizeofResource(file, manifest))
             : "";
    for (char &c : xml)
        if (c == '\r' || c == '\n') c = ' ';
    printf("manifest: %s\n", xml.c_str());
    FreeLibrary(file);

    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(argv[1], &handle);
    std::string block(size, '\0');
    char *version = nullptr;
    UINT length = 0;
    if (size && GetFileVersionInfoA(argv[1], 0, size, block.data()) &&
        VerQueryValueA(block.data(), "\\StringFileInfo\\080904E4\\ProductVersion",
                       reinterpret_cast<void **>(&version), &length))
        printf("product version: %s\n", version);
    return 0;
}
