// The Linux saver host: an SDL2 event source that delivers the Windows-numbered events of the saver window
// to the class procedure (frame timer, keys as virtual-key codes, buttons, moves in the picture's
// coordinates, close), and shows the frames the software display device draws, at the window's size or
// scaled to it with the aspect kept. Full screen, in a window, or inside another program's X window
// (XScreenSaver). Called by the Linux entry; the saver's behaviour stays in the session and the host input
// rules.
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
static SDL_Renderer *sRenderer = nullptr; // only to scale on a GPU; otherwise frames go to the window surface
static SDL_Texture *sTexture = nullptr;   // the renderer's copy of the picture, 32 bpp, streamed every frame
static SDL_Rect sPictureRect = {0, 0, 0, 0}; // where the picture lands in the window, window pixels
static int sLayoutW = 0, sLayoutH = 0;       // the window size sPictureRect was laid out for, pixels
static bool sWindowAlive = false;            // cleared when the default handling destroys the window
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
// The window's own surface (X shared memory underneath) takes each frame with one copy of what it changed.
// A renderer only scales a picture whose size is not the window's, and only where a GPU runs it: a software
// GL costs most of a core and a hundred megabytes to scale what a nearest-pixel stretch does in a few
// milliseconds.
static bool SoftwareGl(SDL_Renderer *renderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0 || !(info.flags & SDL_RENDERER_ACCELERATED)) return true;
    if (strncmp(info.name, "opengl", 6) != 0) return false;
    using GetString = const unsigned char *(*)(unsigned);
    const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned char *name = getString ? getString(0x1F01) : nullptr; // GL_RENDERER
    if (!name) return true;
    char lower[128];
    size_t n = 0;
    for (; name[n] && n + 1 < sizeof lower; ++n)
        lower[n] = static_cast<char>(name[n] >= 'A' && name[n] <= 'Z' ? name[n] + 32 : name[n]);
    lower[n] = '\0';
    return strstr(lower, "llvmpipe") || strstr(lower, "softpipe") || strstr(lower, "swrast") ||
           strstr(lower, "software");
}

// An X server without direct rendering (Xvfb, VNC, remote desktops) has only a software GL: known without
// loading a GL driver into the process.
static bool NoDirectRendering() {
#if TAVO_HAVE_X11
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(sWindow, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    int opcode = 0, event = 0, error = 0;
    return !XQueryExtension(info.info.x11.display, "DRI3", &opcode, &event, &error) &&
           !XQueryExtension(info.info.x11.display, "DRI2", &opcode, &event, &error);
#else
    return false;
#endif
}

static void ChoosePresenter() {
    int w = 0, h = 0;
    SDL_GetWindowSize(sWindow, &w, &h);
    if (static_cast<uint32_t>(w) == gDisplay.width && static_cast<uint32_t>(h) == gDisplay.height) return;
    if (NoDirectRendering()) return;
    sRenderer = SDL_CreateRenderer(sWindow, -1, SDL_RENDERER_ACCELERATED);
    if (sRenderer && SoftwareGl(sRenderer)) {
        SDL_DestroyRenderer(sRenderer);
        sRenderer = nullptr;
    }
    if (sRenderer)
        sTexture = SDL_CreateTexture(sRenderer, SDL_PIXELFORMAT_XRGB8888, SDL_TEXTUREACCESS_STREAMING,
                                     static_cast<int>(gDisplay.width), static_cast<int>(gDisplay.height));
    if (sRenderer && !sTexture) {
        SDL_DestroyRenderer(sRenderer);
        sRenderer = nullptr;
    }
}

// Where a picture of the display's size lands in a window of w x h: as large as fits, aspect kept, centred.
static void LayOut(int w, int h) {
    const int64_t pw = gDisplay.width ? gDisplay.width : 1, ph = gDisplay.height ? gDisplay.height : 1;
    int dw = w, dh = h;
    if (pw != w || ph != h) {
        if (w * ph <= h * pw)
            dh = static_cast<int>(w * ph / pw);
        else
            dw = static_cast<int>(h * pw / ph);
    }
    sPictureRect = {(w - dw) / 2, (h - dh) / 2, dw, dh};
    sLayoutW = w;
    sLayoutH = h;
}

// Shows a frame of the display's pixels; `whole`: the window is redrawn in full (borders included).
static void ShowPixels(const DDLockDesc &desc, const DDPixelFormat &format, bool whole) {
    SDL_Surface *picture = SDL_CreateRGBSurfaceFrom(
        desc.surface, static_cast<int>(desc.width), static_cast<int>(desc.height),
        static_cast<int>(format.bitCount), desc.pitch, format.redMask, format.greenMask, format.blueMask, 0);
    if (!picture) return;
    SDL_SetSurfaceBlendMode(picture, SDL_BLENDMODE_NONE);
    if (sRenderer) {
        int w = 0, h = 0;
        SDL_GetRendererOutputSize(sRenderer, &w, &h);
        if (w != sLayoutW || h != sLayoutH) LayOut(w, h);
        SDL_Surface *texture = nullptr;
        if (SDL_LockTextureToSurface(sTexture, nullptr, &texture) == 0) {
            SDL_BlitSurface(picture, nullptr, texture, nullptr);
            SDL_UnlockTexture(sTexture);
        }
        SDL_SetRenderDrawColor(sRenderer, 0, 0, 0, 255);
        SDL_RenderClear(sRenderer);
        SDL_RenderCopy(sRenderer, sTexture, nullptr, &sPictureRect);
        SDL_RenderPresent(sRenderer);
    } else if (SDL_Surface *screen = SDL_GetWindowSurface(sWindow)) {
        if (screen->w != sLayoutW || screen->h != sLayoutH) {
            LayOut(screen->w, screen->h);
            whole = true;
        }
        SDL_Rect area = {0, 0, picture->w, picture->h};
        if (sPictureRect.w == picture->w && sPictureRect.h == picture->h) {
            DDRect changed;
            if (!whole && DDGetChangedRect(&changed)) {
                area = {changed.left, changed.top, changed.right - changed.left,
                        changed.bottom - changed.top};
                SDL_IntersectRect(&area, &sPictureRect, &area);
            }
            if (whole && (sPictureRect.w != screen->w || sPictureRect.h != screen->h))
                SDL_FillRect(screen, nullptr, 0);
            SDL_Rect to = {sPictureRect.x + area.x, sPictureRect.y + area.y, area.w, area.h};
            if (area.w > 0 && area.h > 0) SDL_BlitSurface(picture, &area, screen, &to);
            area = to;
        } else {
            if (whole) SDL_FillRect(screen, nullptr, 0);
            SDL_Rect to = sPictureRect;
            SDL_BlitScaled(picture, nullptr, screen, &to);
            area = sPictureRect;
        }
        if (whole)
            SDL_UpdateWindowSurface(sWindow);
        else if (area.w > 0 && area.h > 0)
            SDL_UpdateWindowSurfaceRects(sWindow, &area, 1);
    }
    SDL_FreeSurface(picture);
}

// The window needs its picture again (first shown, resized, uncovered): the frame last presented, which the
// visible surface holds outside the preview, or black until the next frame.
static void ShowLastPicture() {
    DDLockDesc desc{};
    DDPixelFormat format{};
    if (sWindowAlive && !gPreviewMode && SoftDeviceFrontBuffer(&desc, &format)) {
        ShowPixels(desc, format, true);
    } else if (sRenderer) {
        SDL_SetRenderDrawColor(sRenderer, 0, 0, 0, 255);
        SDL_RenderClear(sRenderer);
        SDL_RenderPresent(sRenderer);
    } else if (SDL_Surface *screen = SDL_GetWindowSurface(sWindow)) {
        SDL_FillRect(screen, nullptr, 0);
        SDL_UpdateWindowSurface(sWindow);
    }
}

// Called by the display just before it presents a frame, with the surface that is about to be seen (the
// back buffer, or the visible surface itself while painting): the host shows exactly that.
static void ShowSurface(DDSurface *surface) {
    if (!surface) return;
    const DisplayDeviceBackend *dd = DisplayDevice();
    DDPixelFormat format{};
    DDLockDesc desc{};
    if (DDFailed(dd->getPixelFormat(surface, &format)) || DDFailed(dd->lock(surface, &desc))) return;
    if (desc.surface && desc.width > 0 && desc.height > 0) ShowPixels(desc, format, false);
    dd->unlock(surface);
}

// ---------------------------------------------------------------------------------------------------------------
// Events
// ---------------------------------------------------------------------------------------------------------------
static intptr_t Dispatch(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return SaverClassProc(kSaverWindow, message, wParam, lParam);
}

// Records the pointer at window position (x, y) in the picture's pixels and makes the event parameter of it.
static intptr_t PointParam(int x, int y) {
    if (sPictureRect.w > 0 && sPictureRect.h > 0) {
        x = static_cast<int>(static_cast<int64_t>(x - sPictureRect.x) * gDisplay.width / sPictureRect.w);
        y = static_cast<int>(static_cast<int64_t>(y - sPictureRect.y) * gDisplay.height / sPictureRect.h);
    }
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
    // The window surface straight through X shared memory: no renderer behind it, no GL driver loaded.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
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
    SDL_StopTextInput();

    SetWinSysBackend(&kSdlWinSys);
    SetWindowBackend(&kSdlWindow);
    DDSetPresentProbe(ShowSurface);
    // The picture is scaled to the screen, so the desktop mode the saver compares with is the screen's.
    SDL_DisplayMode screen;
    if (SDL_GetDesktopDisplayMode(0, &screen) == 0)
        SoftDeviceSetDesktop(static_cast<uint32_t>(screen.w), static_cast<uint32_t>(screen.h), 32);
    memset(sKeys, 0, sizeof sKeys);
    // Without a stored "Resolution" the picture is drawn at the window's own size, so no scaling is needed.
    int windowW = 0, windowH = 0;
    SDL_GetWindowSize(sWindow, &windowW, &windowH);
    gNativeScreenWidth = windowW > 0 ? static_cast<uint32_t>(windowW) : 0;
    gNativeScreenHeight = windowH > 0 ? static_cast<uint32_t>(windowH) : 0;

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
        ChoosePresenter();
        if (!sRenderer && !SDL_GetWindowSurface(sWindow)) {
            fprintf(stderr, "tavo: cannot draw into the saver window: %s\n", SDL_GetError());
            exitCode = 1;
            sWindowAlive = false;
        }
        ShowLastPicture();
        // The movement rule measures in the picture's pixels, whose size the session has just chosen: take
        // the reference point again where the pointer is in the picture. SDL's own idea of the pointer is
        // empty until its first event: ask the display server.
        int mx = 0, my = 0, wx = 0, wy = 0;
        SDL_GetGlobalMouseState(&mx, &my);
        SDL_GetWindowPosition(sWindow, &wx, &wy);
        PointParam(mx - wx, my - wy);
        gCursorRef = sCursor;
        if (options.mode == SAVER_FULL_SCREEN) SDL_RaiseWindow(sWindow);
        RunLoop();
        Dispatch(EV_DESTROY, 0, 0);
    }

    SdlStopTimer(kSaverWindow, FRAME_TIMER_ID);
    DDSetPresentProbe(nullptr);
    SetWindowBackend(nullptr);
    SetWinSysBackend(nullptr);
    if (sTexture) SDL_DestroyTexture(sTexture);
    sTexture = nullptr;
    gNativeScreenWidth = gNativeScreenHeight = 0;
#if TAVO_HAVE_X11
    // The owner's window is gone: tearing SDL down would only send it more requests, whose errors the
    // library's default handler turns into an exit with 1. The process ends now anyway.
    if (sForeignWindowGone) return exitCode;
#endif
    if (sRenderer) SDL_DestroyRenderer(sRenderer);
    sRenderer = nullptr;
    sLayoutW = sLayoutH = 0;
    // A foreign window stays its owner's; SDL only lets go of it.
    SDL_DestroyWindow(sWindow);
    sWindow = nullptr;
    SDL_Quit();
    return exitCode;
}
