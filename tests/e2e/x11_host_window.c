/* Test helper: a window owned by another program, for the saver to draw into. Creates a mapped window of the
   given size at (0, 0), prints its id, then reads commands from standard input: "resize W H" resizes it,
   "destroy" destroys it; end of input destroys it and exits. Usage: x11_host_window W H */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s WIDTH HEIGHT\n", argv[0]);
        return 2;
    }
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "%s: cannot open the display\n", argv[0]);
        return 1;
    }
    const unsigned width = (unsigned)atoi(argv[1]), height = (unsigned)atoi(argv[2]);
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, width, height, 0, 0,
                                        BlackPixel(display, DefaultScreen(display)));
    XStoreName(display, window, "host window");
    XMapWindow(display, window);
    XSync(display, False);
    printf("0x%lx\n", (unsigned long)window);
    fflush(stdout);

    char line[128];
    while (fgets(line, sizeof line, stdin)) {
        unsigned w, h;
        if (sscanf(line, "resize %u %u", &w, &h) == 2) {
            XResizeWindow(display, window, w, h);
        } else if (strncmp(line, "destroy", 7) == 0) {
            break;
        }
        XSync(display, False);
        printf("ok\n");
        fflush(stdout);
    }
    XDestroyWindow(display, window);
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
