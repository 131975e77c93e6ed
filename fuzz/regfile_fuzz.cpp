// The .reg reader over arbitrary bytes: it must never crash, and what it writes out of whatever it read must
// read back whole and write out the same again.
#include <cstdlib>

#include "platform/store_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    StoreTree tree;
    RegTextParse(reinterpret_cast<const char *>(data), size, &tree);
    const std::string written = RegTextWrite(tree);
    StoreTree again;
    const RegParseResult result = RegTextParse(written.data(), written.size(), &again);
    if (result.badLines != 0 || result.truncatedUtf16) abort();
    if (RegTextWrite(again) != written) abort();
    return 0;
}
