// platform/sdl/sdl.h - what the SDL backend's files share. SDL itself is seen only here.
#pragma once
#include <SDL.h>
#include <cstdint>

bool SdlVideoReady();                           // starts the video subsystem once; false without a display
int  SdlScale();                                // screen pixels per window pixel across and down, fixed once
void SdlSetWindowIcon(SDL_Window* window);
SDL_Window* SdlWindow();                        // the native window, null when there is none
void SdlTranslateEvent(const SDL_Event& ev);    // turns one SDL event into the window's messages
void SdlShowCanvasAgain();                      // the window lost its pixels: present all at the next paint
void SdlMinimised();                            // the desktop did minimise the window
void SdlFocusLost();                            // the keyboard went to another window
