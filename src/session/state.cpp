// The session's process-wide state that the engine reads.
#include "session/session.h"

int gShowKeyHelp = 0;
