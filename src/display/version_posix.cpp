// The product version outside Windows: the build's own version text.
#include <cstdio>

#include "display/display.h"

void GetProductVersion(const char *, char *version, size_t versionSize) {
    if (version && versionSize) snprintf(version, versionSize, "%s", TAVO_VERSION_TEXT);
}
