// The screen-saver host: the program's entry, its command-line modes, the saver window class and the rules
// by which input ends the saver. This header is its portable face.
#pragma once

extern int gPreviewMode; // the saver draws into a preview window (640 x 480, double size, never painted)
