/* Test helper for the embedding and closing tests, the two things xdotool cannot do on a bare Xvfb.
   x11_window host W H: a window owned by another program, for the saver to draw into. Creates a mapped
     window of the given size at (0, 0), prints its id, then reads commands from standard input: "resize W H"
     resizes it, "destroy" (or the end of input) destroys it and exits.
   x11_window delete WINDOW-ID: asks a window to close the way a window manager's close button does, by
     sending it WM_PROTOCOLS / WM_DELETE_WINDOW. */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int Host(Display *display, unsigned width, unsigned height) {
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
    return 0;
}

static int Delete(Display *display, Window window) {
    XEvent event = {0};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    return XSendEvent(display, window, False, NoEventMask, &event) ? 0 : 1;
}

int main(int argc, char **argv) {
    const int host = argc == 4 && strcmp(argv[1], "host") == 0;
    const int delete = argc == 3 && strcmp(argv[1], "delete") == 0;
    if (!host && !delete) {
        fprintf(stderr, "usage: %s host WIDTH HEIGHT | delete WINDOW-ID\n", argv[0]);
        return 2;
    }
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "%s: cannot open the display\n", argv[0]);
        return 1;
    }
    const int code = host ? Host(display, (unsigned)atoi(argv[2]), (unsigned)atoi(argv[3]))
                          : Delete(display, (Window)strtoul(argv[2], NULL, 0));
    XSync(display, False);
    XCloseDisplay(display);
    return code;
}
