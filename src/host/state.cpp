// The host's process-wide state that the portable subsystems read.
#include "host/host.h"

int gPreviewMode = 0;
