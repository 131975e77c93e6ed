// The Linux saver host: an SDL2 event source that delivers the Windows-numbered events of the saver window
// to the class procedure (frame timer, keys as virtual-key codes, buttons, moves in the picture's
// coordinates, close), and shows the frames the software display device draws, scaled to the window with
// the aspect kept. Full screen, in a window, or inside another program's X window (XScreenSaver).
// Called by the Linux entry; the saver's behaviour stays in the session and the host input rules.
#include <SDL.h>
#include <SDL_syswm.h>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#if TAVO_HAVE_X11
#include <X11/Xlib.h>
#endif

#include "display/display.h"
#include "host/host.h"
#include "host/saver_sdl.h"
#include "patterns/patterns.h"
#include "platform/clock.h"
#include "platform/ddevice.h"
#include "platform/softdevice.h"
#include "platform/window.h"
#include "platform/winsys.h"
#include "session/session.h"

// ---------------------------------------------------------------------------------------------------------------
// Host state
// ---------------------------------------------------------------------------------------------------------------
constexpr uint32_t PUMP_INTERVAL_PEEKS = 64; // message peeks between two pumps of SDL's event queue
constexpr uint32_t IDLE_WAIT_MS = 5;         // longest sleep of the loop with nothing to do (signals, ticks)

static SDL_Window *sWindow = nullptr;
static SDL_Renderer *sRenderer = nullptr;
static SDL_Texture *sTexture = nullptr;       // the picture, 32 bpp, streamed every frame
static uint32_t sTextureW = 0, sTextureH = 0; // pixels
static uint32_t *sConverted = nullptr;        // a frame in 32 bpp on its way to the texture
static bool sWindowAlive = false;             // cleared when the default handling destroys the window
static WindowHandle const kSaverWindow = reinterpret_cast<WindowHandle>(static_cast<uintptr_t>(1));

struct PostedMessage {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};
static std::deque<PostedMessage> sPosted; // messages posted to the saver window, dispatched in order

static uint8_t sKeys[KEYBOARD_STATE_SIZE]; // the host's own key-down table, from the events it has seen
static ScreenPoint sCursor = {0, 0};       // last pointer position, picture pixels
static bool sCursorKnown = false;
static bool sPointerMoved = false; // a move by the user has been delivered

static SDL_TimerID sFrameTimer = 0;
static Uint32 sTickEvent = 0;                 // SDL user event type that wakes the loop for a tick
static std::atomic<bool> sTickPending{false}; // a tick is owed; the timer queues nothing more until it runs
static uint32_t sPeeks = 0;
static bool sHadFocus = false;

static volatile sig_atomic_t sQuitSignal = 0;
#if TAVO_HAVE_X11
static volatile bool sForeignWindowGone = false;
static unsigned long sForeignWindow = 0; // the X window we draw into for its owner, 0 when ours
#endif

// ---------------------------------------------------------------------------------------------------------------
// Virtual-key codes
// ---------------------------------------------------------------------------------------------------------------
static uint32_t VirtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return VKEY_A + static_cast<uint32_t>(key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return VKEY_0 + static_cast<uint32_t>(key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return VKEY_F1 + static_cast<uint32_t>(key - SDLK_F1);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9)
        return VKEY_NUMPAD0 + 1 + static_cast<uint32_t>(key - SDLK_KP_1);
    switch (key) {
        case SDLK_LCTRL:
        case SDLK_RCTRL: return VKEY_CONTROL;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT: return VKEY_SHIFT;
        case SDLK_LALT:
        case SDLK_RALT: return VKEY_MENU;
        case SDLK_LGUI:
        case SDLK_RGUI: return VKEY_LWIN;
        case SDLK_PAUSE: return VKEY_PAUSE;
        case SDLK_ESCAPE: return VKEY_ESCAPE;
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return VKEY_RETURN;
        case SDLK_SPACE: return VKEY_SPACE;
        case SDLK_TAB: return VKEY_TAB;
        case SDLK_BACKSPACE: return VKEY_BACK;
        case SDLK_CAPSLOCK: return VKEY_CAPITAL;
        case SDLK_NUMLOCKCLEAR: return VKEY_NUMLOCK;
        case SDLK_SCROLLLOCK: return VKEY_SCROLL;
        case SDLK_PAGEUP: return VKEY_PRIOR;
        case SDLK_PAGEDOWN: return VKEY_NEXT;
        case SDLK_END: return VKEY_END;
        case SDLK_HOME: return VKEY_HOME;
        case SDLK_LEFT: return VKEY_LEFT;
        case SDLK_UP: return VKEY_UP;
        case SDLK_RIGHT: return VKEY_RIGHT;
        case SDLK_DOWN: return VKEY_DOWN;
        case SDLK_INSERT: return VKEY_INSERT;
        case SDLK_DELETE: return VKEY_DELETE;
        case SDLK_KP_0: return VKEY_NUMPAD0;
        default: return VKEY_OEM_1; // any other key is still a key: it ends the saver like any unknown one
    }
}

static void TrackModifiers(Uint16 mod) {
    sKeys[VKEY_CONTROL] = (mod & KMOD_CTRL) ? KEY_DOWN_BIT : 0;
    sKeys[VKEY_SHIFT] = (mod & KMOD_SHIFT) ? KEY_DOWN_BIT : 0;
    sKeys[VKEY_MENU] = (mod & KMOD_ALT) ? KEY_DOWN_BIT : 0;
}

// ---------------------------------------------------------------------------------------------------------------
// The window-system seams as SDL provides them
// ---------------------------------------------------------------------------------------------------------------
static void SdlPost(WindowHandle, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    sPosted.push_back({message, wParam, lParam});
}
static void SdlKeys(uint8_t state[KEYBOARD_STATE_SIZE]) {
    memcpy(state, sKeys, KEYBOARD_STATE_SIZE);
}
static bool SdlCursor(ScreenPoint *out) {
    *out = sCursor;
    return sCursorKnown;
}
static void SdlShowCursor(WindowHandle, bool visible) {
    SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

static Uint32 QueueTick(Uint32 interval, void *) {
    // Like a window timer: at most one tick waits, however long the frame step holds the thread.
    if (!sTickPending.exchange(true)) {
        SDL_Event e{};
        e.type = sTickEvent;
        SDL_PushEvent(&e);
    }
    return interval;
}
static uint32_t SdlStartTimer(WindowHandle, uint32_t id, uint32_t periodMs) {
    if (sFrameTimer) SDL_RemoveTimer(sFrameTimer);
    sFrameTimer = SDL_AddTimer(periodMs, QueueTick, nullptr);
    return sFrameTimer ? id : 0;
}
static void SdlStopTimer(WindowHandle, uint32_t) {
    if (sFrameTimer) SDL_RemoveTimer(sFrameTimer);
    sFrameTimer = 0;
    sTickPending = false;
}
static WindowHandle SdlForeground() {
    return (sWindow && (SDL_GetWindowFlags(sWindow) & SDL_WINDOW_INPUT_FOCUS)) ? kSaverWindow : nullptr;
}
static bool SdlVersion(PlatformVersion *out) {
    *out = {0, 0, 0}; // not Windows: no old-NT close guard, no Windows 9x password duty
    return false;
}
static void SdlKeepPriority() {} // a screen-saver daemon may have lowered it on purpose
static intptr_t SdlDefault(WindowHandle, uint32_t message, uintptr_t, intptr_t) {
    if (message == EV_CLOSE) sWindowAlive = false; // the window goes; the loop ends
    return 0;
}

// Peeks at SDL's queue without taking anything; pumps it only every so often (a pump costs microseconds,
// a peek nanoseconds), so input still arrives within a fraction of a millisecond.
static bool SdlNonTimerMessageWaiting(WindowHandle) {
    if (!sPosted.empty() || sQuitSignal) return true;
#if TAVO_HAVE_X11
    if (sForeignWindowGone) return true;
#endif
    if (++sPeeks >= PUMP_INTERVAL_PEEKS) {
        sPeeks = 0;
        SDL_PumpEvents();
    }
    SDL_Event events[8];
    const int n = SDL_PeepEvents(events, 8, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
    for (int i = 0; i < n; ++i)
        if (events[i].type != sTickEvent) return true;
    return false;
}

static bool SdlWaitForMessage(WindowHandle window, uint32_t timeoutMs) {
    const Uint64 deadline = SDL_GetTicks64() + timeoutMs;
    for (;;) {
        SDL_PumpEvents();
        // A waiting tick must not wake the wait; it stays owed (sTickPending) and runs when the loop is idle.
        SDL_FlushEvent(sTickEvent);
        if (SdlNonTimerMessageWaiting(window)) return true;
        const Uint64 now = SDL_GetTicks64();
        if (now >= deadline) return false;
        SDL_WaitEventTimeout(nullptr, static_cast<int>(deadline - now));
    }
}

static uint32_t SdlRefreshRate() {
    SDL_DisplayMode mode;
    const int display = sWindow ? SDL_GetWindowDisplayIndex(sWindow) : 0;
    if (SDL_GetCurrentDisplayMode(display < 0 ? 0 : display, &mode) != 0) return 0;
    return mode.refresh_rate > 0 ? static_cast<uint32_t>(mode.refresh_rate) : 0;
}

static const WinSysBackend kSdlWinSys = {SdlPost,         SdlKeys,      SdlCursor,     SdlShowCursor,
                                         SdlStartTimer,   SdlStopTimer, SdlForeground, SdlVersion,
                                         SdlKeepPriority, SdlDefault};
static const WindowBackend kSdlWindow = {SdlNonTimerMessageWaiting, SdlWaitForMessage, SdlRefreshRate};

// ---------------------------------------------------------------------------------------------------------------
// Showing the picture
// ---------------------------------------------------------------------------------------------------------------
static void ShowLastPicture() {
    if (!sRenderer) return;
    SDL_SetRenderDrawColor(sRenderer, 0, 0, 0, 255);
    SDL_RenderClear(sRenderer);
    if (sTexture) SDL_RenderCopy(sRenderer, sTexture, nullptr, nullptr);
    SDL_RenderPresent(sRenderer);
}

static bool EnsureTexture(uint32_t width, uint32_t height) {
    if (sTexture && width == sTextureW && height == sTextureH) return true;
    if (sTexture) SDL_DestroyTexture(sTexture);
    SDL_free(sConverted);
    sTexture = SDL_CreateTexture(sRenderer, SDL_PIXELFORMAT_XRGB8888, SDL_TEXTUREACCESS_STREAMING,
                                 static_cast<int>(width), static_cast<int>(height));
    sConverted = static_cast<uint32_t *>(SDL_malloc(static_cast<size_t>(width) * height * 4));
    if (!sTexture || !sConverted) {
        if (sTexture) SDL_DestroyTexture(sTexture);
        SDL_free(sConverted);
        sTexture = nullptr;
        sConverted = nullptr;
        sTextureW = sTextureH = 0;
        return false;
    }
    sTextureW = width;
    sTextureH = height;
    SDL_RenderSetLogicalSize(sRenderer, static_cast<int>(width), static_cast<int>(height)); // letterboxed
    return true;
}

// Widens one row to 32-bpp x-8-8-8: the renderers are slow with 16 and 24 bpp textures.
static void ConvertRow(const uint8_t *src, uint32_t *dst, uint32_t width, const DDPixelFormat &format) {
    if (format.bitCount == 16 && format.redMask == 0xF800 && format.greenMask == 0x07E0) {
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t p = src[2 * x] | (static_cast<uint32_t>(src[2 * x + 1]) << 8);
            const uint32_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
            dst[x] = ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
        }
    } else if (format.bitCount == 24 && format.redMask == 0xFF0000 && format.blueMask == 0xFF) {
        for (uint32_t x = 0; x < width; ++x)
            dst[x] = src[3 * x] | (static_cast<uint32_t>(src[3 * x + 1]) << 8) |
                     (static_cast<uint32_t>(src[3 * x + 2]) << 16);
    } else {
        const uint32_t bytes = (format.bitCount + 7) / 8;
        for (uint32_t x = 0; x < width; ++x) {
            uint32_t value = 0;
            for (uint32_t i = 0; i < bytes && i < 4; ++i)
                value |= static_cast<uint32_t>(src[bytes * x + i]) << (8 * i);
            uint8_t rgb[3];
            SoftUnpackPixel(format, value, rgb);
            dst[x] = (static_cast<uint32_t>(rgb[0]) << 16) | (static_cast<uint32_t>(rgb[1]) << 8) | rgb[2];
        }
    }
}

// Called by the display just before it presents a frame, with the surface that is about to be seen (the
// back buffer, or the visible surface itself while painting): the host shows exactly that.
static void ShowSurface(DDSurface *surface) {
    if (!sRenderer || !surface) return;
    const DisplayDeviceBackend *dd = DisplayDevice();
    DDPixelFormat format{};
    DDLockDesc desc{};
    if (DDFailed(dd->getPixelFormat(surface, &format)) || DDFailed(dd->lock(surface, &desc))) return;
    if (desc.surface && desc.width > 0 && desc.height > 0 && EnsureTexture(desc.width, desc.height)) {
        if (format.bitCount == 32 && format.redMask == 0xFF0000 && format.greenMask == 0xFF00 &&
            format.blueMask == 0xFF) {
            SDL_UpdateTexture(sTexture, nullptr, desc.surface, desc.pitch);
        } else {
            for (uint32_t y = 0; y < desc.height; ++y)
                ConvertRow(desc.surface + static_cast<size_t>(y) * desc.pitch,
                           sConverted + static_cast<size_t>(y) * desc.width, desc.width, format);
            SDL_UpdateTexture(sTexture, nullptr, sConverted, static_cast<int>(desc.width * 4));
        }
    }
    dd->unlock(surface);
    ShowLastPicture();
}

// ---------------------------------------------------------------------------------------------------------------
// Events
// ---------------------------------------------------------------------------------------------------------------
static intptr_t Dispatch(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return SaverClassProc(kSaverWindow, message, wParam, lParam);
}

// Records the pointer at (x, y) in the picture's pixels (SDL maps events to the renderer's logical size,
// which is the picture's) and makes the event parameter of it.
static intptr_t PointParam(int x, int y) {
    const int cx = x < 0 ? 0 : (x > 0xFFFF ? 0xFFFF : x);
    const int cy = y < 0 ? 0 : (y > 0xFFFF ? 0xFFFF : y);
    sCursor = {cx, cy};
    sCursorKnown = true;
    return MousePositionParam(static_cast<uint32_t>(cx), static_cast<uint32_t>(cy));
}

static void HandleEvent(const SDL_Event &e) {
    switch (e.type) {
        case SDL_QUIT: PlatformPostClose(kSaverWindow); break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const uint32_t vkey = VirtualKey(e.key.keysym.sym);
            const bool down = e.type == SDL_KEYDOWN;
            // Ctrl, Shift and Alt come from the event itself: SDL's own state lags behind batched events.
            TrackModifiers(e.key.keysym.mod);
            if (vkey != VKEY_CONTROL && vkey != VKEY_SHIFT && vkey != VKEY_MENU)
                sKeys[vkey] = down ? KEY_DOWN_BIT : 0;
            const bool system = (e.key.keysym.mod & KMOD_ALT) || vkey == VKEY_MENU || vkey == VKEY_F10;
            const uint32_t message =
                down ? (system ? EV_SYSKEYDOWN : EV_KEYDOWN) : (system ? EV_SYSKEYUP : EV_KEYUP);
            Dispatch(message, vkey, down ? 1 : static_cast<intptr_t>(0xC0000001u));
            break;
        }
        case SDL_MOUSEMOTION:
            // SDL reports the pointer where it already is when the window appears: not a move by the user.
            // It is where the movement rule starts from, unless the user has moved already.
            if (e.motion.xrel == 0 && e.motion.yrel == 0) {
                PointParam(e.motion.x, e.motion.y);
                if (!sPointerMoved) gCursorRef = sCursor;
                break;
            }
            sPointerMoved = true;
            Dispatch(EV_MOUSEMOVE, 0, PointParam(e.motion.x, e.motion.y));
            break;
        case SDL_MOUSEBUTTONDOWN: {
            uint32_t message = 0;
            if (e.button.button == SDL_BUTTON_LEFT) message = EV_LBUTTONDOWN;
            if (e.button.button == SDL_BUTTON_RIGHT) message = EV_RBUTTONDOWN;
            if (e.button.button == SDL_BUTTON_MIDDLE) message = EV_MBUTTONDOWN;
            if (message) Dispatch(message, 0, PointParam(e.button.x, e.button.y));
            break;
        }
        case SDL_WINDOWEVENT:
            switch (e.window.event) {
                case SDL_WINDOWEVENT_CLOSE: PlatformPostClose(kSaverWindow); break;
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    sHadFocus = true;
                    Dispatch(EV_ACTIVATEAPP, 1, 0);
                    break;
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    if (sHadFocus) Dispatch(EV_ACTIVATEAPP, 0, 0); // leaving the saver ends it, as on Windows
                    break;
                case SDL_WINDOWEVENT_EXPOSED:
                case SDL_WINDOWEVENT_SIZE_CHANGED: ShowLastPicture(); break; // never a non-client paint
                default: break;
            }
            break;
#if TAVO_HAVE_X11
        case SDL_SYSWMEVENT:
            // The owner destroyed its window: end before drawing into it fails.
            if (e.syswm.msg && e.syswm.msg->subsystem == SDL_SYSWM_X11 &&
                e.syswm.msg->msg.x11.event.type == DestroyNotify &&
                e.syswm.msg->msg.x11.event.xdestroywindow.window == sForeignWindow)
                sForeignWindowGone = true;
            break;
#endif
        default: break;
    }
}

static void OnSignal(int) {
    sQuitSignal = 1;
}

static void InstallSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    // A background job keeps SIGINT ignored, as its shell meant.
    struct sigaction previous {};
    sigaction(SIGINT, nullptr, &previous);
    if (previous.sa_handler != SIG_IGN) sigaction(SIGINT, &action, nullptr);
}

// The message loop: posted messages first, then SDL's events, then an owed tick when nothing else waits
// (a window timer's message is the lowest of all).
static void RunLoop() {
    bool quitPosted = false;
    while (sWindowAlive) {
        if ((sQuitSignal
#if TAVO_HAVE_X11
             || sForeignWindowGone
#endif
             ) &&
            !quitPosted) {
            quitPosted = true;
            gCloseAllowed = 1; // a signal or the owner's end is not input: nothing may refuse it
            PlatformPostClose(kSaverWindow);
        }
        if (!sPosted.empty()) {
            const PostedMessage m = sPosted.front();
            sPosted.pop_front();
            Dispatch(m.message, m.wParam, m.lParam);
            continue;
        }
        SDL_Event e;
        if (SDL_PollEvent(&e)) {
            if (e.type != sTickEvent) HandleEvent(e);
            continue;
        }
        if (sTickPending.exchange(false)) {
            Dispatch(EV_TIMER, FRAME_TIMER_ID, 0);
            continue;
        }
        if (SDL_WaitEventTimeout(&e, IDLE_WAIT_MS) && e.type != sTickEvent) HandleEvent(e);
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Windows for each mode
// ---------------------------------------------------------------------------------------------------------------
#if TAVO_HAVE_X11

static int OnXError(Display *, XErrorEvent *) {
    // Drawing into another program's window fails when the owner takes it away while we draw: the normal
    // end inside a screen-saver daemon. Whatever the failed request, end as if closed.
    sForeignWindowGone = true;
    return 0;
}

static bool sCheckFailed = false;
static int OnCheckError(Display *, XErrorEvent *) {
    sCheckFailed = true;
    return 0;
}

// Asked on a connection of our own, with our own handler: SDL's first request on a window that does not
// exist would end the process inside Xlib with the library's raw report.
static bool ForeignWindowExists(unsigned long xid) {
    Display *display = XOpenDisplay(nullptr);
    if (!display) return true; // SDL reports a display it cannot open itself
    XSync(display, False);
    sCheckFailed = false;
    int (*previous)(Display *, XErrorEvent *) = XSetErrorHandler(OnCheckError);
    XWindowAttributes attributes;
    const bool found = XGetWindowAttributes(display, xid, &attributes) != 0;
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return found && !sCheckFailed;
}

static unsigned long RootWindowId() {
    Display *display = XOpenDisplay(nullptr);
    if (!display) return 0;
    const unsigned long root = DefaultRootWindow(display);
    XCloseDisplay(display);
    return root;
}
#endif

static bool CreateForeignWindow(unsigned long xid) {
#if TAVO_HAVE_X11
    sWindow = SDL_CreateWindowFrom(reinterpret_cast<void *>(static_cast<uintptr_t>(xid)));
    if (!sWindow) return false;
    // SDL asks for no structure events on a window it did not create: without them it misses resizes.
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(sWindow, &info) && info.subsystem == SDL_SYSWM_X11)
        XSelectInput(info.info.x11.display, xid, StructureNotifyMask | ExposureMask);
    sForeignWindow = xid;
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE); // to see the window's DestroyNotify
    return true;
#else
    (void)xid;
    return false;
#endif
}

static const char kNoDisplay[] =
    "tavo: there is no display to show the saver on (DISPLAY is not set).\n"
    "Run it inside an X session, or render frames to PNG files without a display: tavo --snapshot DIR\n";

// Without a display SDL still starts, with a driver that shows nothing.
static bool DrawsNowhere() {
    const char *driver = SDL_GetCurrentVideoDriver();
    return !driver || strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0;
}

int RunSdlSaver(const SaverOptions &options) {
    const char *x = getenv("DISPLAY"), *wayland = getenv("WAYLAND_DISPLAY"),
               *driver = getenv("SDL_VIDEODRIVER");
    if ((!x || !*x) && (!wayland || !*wayland) && (!driver || !*driver)) {
        fputs(kNoDisplay, stderr);
        return 1;
    }
    // With an X display named, use it or say why not; never fall back to drawing nowhere.
    if (x && *x && (!wayland || !*wayland) && (!driver || !*driver)) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
        fprintf(stderr, "tavo: cannot open the display %s: %s\n", x && *x ? x : "", SDL_GetError());
        return 1;
    }
    if (DrawsNowhere()) {
        fputs(kNoDisplay, stderr);
        SDL_Quit();
        return 1;
    }
    sTickEvent = SDL_RegisterEvents(1);
    InstallSignalHandlers();

    gInputEndsSaver = options.mode == SAVER_FULL_SCREEN ? 1 : 0;
    if (options.mode == SAVER_FULL_SCREEN) {
        SDL_DisplayMode desktop;
        if (SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
            // At (0, 0) with the desktop's size: right with and without a window manager.
            sWindow = SDL_CreateWindow("Screen Saver", 0, 0, desktop.w, desktop.h,
                                       SDL_WINDOW_BORDERLESS | SDL_WINDOW_FULLSCREEN_DESKTOP);
        }
    } else if (options.mode == SAVER_WINDOW) {
        sWindow = SDL_CreateWindow("Tavo", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   static_cast<int>(options.width), static_cast<int>(options.height),
                                   SDL_WINDOW_RESIZABLE);
    } else {
        unsigned long xid = options.windowId;
#if TAVO_HAVE_X11
        if (options.mode == SAVER_ROOT && xid == 0) xid = RootWindowId();
        if (xid != 0 && !ForeignWindowExists(xid)) {
            fprintf(stderr, "tavo: there is no window 0x%lx on the display %s\n", xid, x && *x ? x : "");
            SDL_Quit();
            return 1;
        }
#endif
        if (xid == 0 || !CreateForeignWindow(xid)) {
            fprintf(stderr, "tavo: cannot draw into window 0x%lx: %s\n", xid, SDL_GetError());
            SDL_Quit();
            return 1;
        }
        int w = 0, h = 0;
        SDL_GetWindowSize(sWindow, &w, &h);
        // The daemon's small preview window gets what a preview gets: 640 x 480, double size, no painting.
        gPreviewMode = (w < 640 || h < 480) ? 1 : 0;
    }
    if (!sWindow) {
        fprintf(stderr, "tavo: cannot create the saver window: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    sRenderer = SDL_CreateRenderer(sWindow, -1, 0);
    if (!sRenderer) sRenderer = SDL_CreateRenderer(sWindow, -1, SDL_RENDERER_SOFTWARE);
    if (!sRenderer) {
        fprintf(stderr, "tavo: cannot draw into the saver window: %s\n", SDL_GetError());
        SDL_DestroyWindow(sWindow);
        SDL_Quit();
        return 1;
    }
    SDL_StopTextInput();
    ShowLastPicture();

    SetWinSysBackend(&kSdlWinSys);
    SetWindowBackend(&kSdlWindow);
    DDSetPresentProbe(ShowSurface);
    // The picture is scaled to the screen, so the desktop mode the saver compares with is the screen's.
    SDL_DisplayMode screen;
    if (SDL_GetDesktopDisplayMode(0, &screen) == 0)
        SoftDeviceSetDesktop(static_cast<uint32_t>(screen.w), static_cast<uint32_t>(screen.h), 32);
    memset(sKeys, 0, sizeof sKeys);

#if TAVO_HAVE_X11
    // Installed last: SDL sets its own handlers while it creates windows and renderers.
    if (options.mode == SAVER_WINDOW_ID || options.mode == SAVER_ROOT) XSetErrorHandler(OnXError);
#endif
    sWindowAlive = true;
    int exitCode = 0;
    if (Dispatch(EV_CREATE, 0, 0) == -1) {
        exitCode = 1; // the display could not be set up; the user has been told why
        sWindowAlive = false;
    } else {
        // The movement rule measures in the picture's pixels, whose size the session has just chosen: take
        // the reference point again where the pointer is in the picture.
        if (EnsureTexture(gDisplay.width, gDisplay.height)) {
            // SDL's own idea of the pointer is empty until its first event: ask the display server.
            int mx = 0, my = 0, wx = 0, wy = 0;
            SDL_GetGlobalMouseState(&mx, &my);
            SDL_GetWindowPosition(sWindow, &wx, &wy);
            mx -= wx;
            my -= wy;
            float lx = 0.0f, ly = 0.0f;
            SDL_RenderWindowToLogical(sRenderer, mx, my, &lx, &ly);
            PointParam(static_cast<int>(lx), static_cast<int>(ly));
            gCursorRef = sCursor;
        }
        if (options.mode == SAVER_FULL_SCREEN) SDL_RaiseWindow(sWindow);
        RunLoop();
        Dispatch(EV_DESTROY, 0, 0);
    }

    SdlStopTimer(kSaverWindow, FRAME_TIMER_ID);
    DDSetPresentProbe(nullptr);
    SetWindowBackend(nullptr);
    SetWinSysBackend(nullptr);
    if (sTexture) SDL_DestroyTexture(sTexture);
    SDL_free(sConverted);
    sTexture = nullptr;
    sConverted = nullptr;
#if TAVO_HAVE_X11
    // The owner's window is gone: tearing SDL down would only send it more requests, whose errors the
    // library's default handler turns into an exit with 1. The process ends now anyway.
    if (sForeignWindowGone) return exitCode;
#endif
    SDL_DestroyRenderer(sRenderer);
    sRenderer = nullptr;
    // A foreign window stays its owner's; SDL only lets go of it.
    SDL_DestroyWindow(sWindow);
    sWindow = nullptr;
    SDL_Quit();
    return exitCode;
}

bool RunSaverCommand(int argc, const char *const *argv, int *exitCode) {
    SaverOptions options;
    char error[200] = "";
    switch (ParseSaverOptions(argc, argv, getenv("XSCREENSAVER_WINDOW"), &options, error, sizeof error)) {
        case SAVER_PARSE_UNKNOWN: return false;
        case SAVER_PARSE_HELP:
            fputs(SAVER_HELP_TEXT, stdout);
            *exitCode = 0;
            return true;
        case SAVER_PARSE_ERROR:
            fprintf(stderr, "tavo: %s (tavo --help lists the options)\n", error);
            *exitCode = 2;
            return true;
        case SAVER_PARSE_RUN: break;
    }
    *exitCode = RunSdlSaver(options);
    return true;
}
