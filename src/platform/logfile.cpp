// The log path override shared by both platforms' log openers.
#include "platform/logfile.h"

#include <cstring>

static char sOverride[1024]; // empty: no override

void SetLogPathOverride(const char *path) {
    sOverride[0] = '\0';
    if (path) snprintf(sOverride, sizeof sOverride, "%s", path);
}

const char *LogPathOverride() {
    return sOverride[0] ? sOverride : nullptr;
}
