// The saver session: the saver window's event handling (start, frame timer, keys, pause, close, restart).
#pragma once

extern int gShowKeyHelp; // F1 toggle: the frame shows the two key-help text slots
