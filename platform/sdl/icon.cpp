// platform/sdl/icon.cpp - the window icon, from the program's icon design.
#include <cstdint>
#include "platform/common/icon_design.h"
#include "platform/platform.h"
#include "platform/sdl/sdl.h"

namespace {
uint32_t IconPixels[IconSize * IconSize];
}  // namespace

void SdlSetWindowIcon(SDL_Window* window) {
    for (int y = 0; y < IconSize; y++)
        for (int x = 0; x < IconSize; x++) IconPixels[y * IconSize + x] = IconPixel(x, y);
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(IconPixels, IconSize, IconSize, PlatBitsPerPixel,
                                                           IconSize * PlatBytesPerPixel, SDL_PIXELFORMAT_ARGB8888);
    if (!icon) return;   // the window works without its icon
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
}
