// The floor of what a full-screen pixel saver costs here: clear the window surface, plot 2000 pixels and
// push it through X shared memory, 60 times a second, for the given number of seconds. bench/cpu.sh runs it
// beside the saver so both are measured on the same machine in the same minute.
#include <SDL.h>

#include <cstdint>
#include <cstdlib>

int main(int argc, char **argv) {
    const double seconds = argc > 1 ? atof(argv[1]) : 12.0;
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) return 1;
    SDL_Window *window = SDL_CreateWindow("floor", 0, 0, desktop.w, desktop.h, SDL_WINDOW_BORDERLESS);
    SDL_Surface *screen = window ? SDL_GetWindowSurface(window) : nullptr;
    if (!screen) return 1;
    uint32_t seed = 1;
    const Uint64 start = SDL_GetTicks64(), frameMs = 1000 / 60;
    for (Uint64 frame = 0; SDL_GetTicks64() - start < seconds * 1000; ++frame) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
        SDL_FillRect(screen, nullptr, 0);
        SDL_LockSurface(screen);
        for (int i = 0; i < 2000; ++i) {
            seed = seed * 1103515245u + 12345u;
            const int x = static_cast<int>((seed >> 8) % static_cast<uint32_t>(screen->w));
            const int y = static_cast<int>((seed >> 4) % static_cast<uint32_t>(screen->h));
            auto *row = static_cast<uint8_t *>(screen->pixels) + static_cast<ptrdiff_t>(y) * screen->pitch;
            reinterpret_cast<uint32_t *>(row)[x] = 0xFFFFFF;
        }
        SDL_UnlockSurface(screen);
        SDL_UpdateWindowSurface(window);
        const Uint64 due = start + (frame + 1) * frameMs, now = SDL_GetTicks64();
        if (due > now) SDL_Delay(static_cast<Uint32>(due - now));
    }
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
