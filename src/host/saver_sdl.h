// The Linux saver host over SDL2 (saver_sdl.cpp). Built only where SDL2 is found.
#pragma once
#include <cstdint>

#include "host/saver_options.h"

// Runs the saver until its window goes; the process's exit code.
int RunSdlSaver(const SaverOptions &options);

