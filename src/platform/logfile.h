// Where the diagnostic log lives. Windows: "C:\Tavo.txt", or %LOCALAPPDATA%\Tavo\Tavo.txt where a standard
// user cannot write to C:\. Elsewhere: $XDG_STATE_HOME/tavo/Tavo.txt (default ~/.local/state/tavo/Tavo.txt).
#pragma once
#include <cstdio>

FILE *PlatformOpenLog();                   // opened for appending in text mode; nullptr when impossible
void SetLogPathOverride(const char *path); // tests and tools: log to this file instead; nullptr restores
const char *LogPathOverride();             // the override, or nullptr
