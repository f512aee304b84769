// The floor of any SDL2 program's start: SDL with video and audio, the window as the program
// asks for it, its renderer, the mixer, one cleared frame. It prints, just before presenting,
// the milliseconds since its process started, its CPU time and its peak resident memory in kB,
// as `startup --child` does, and is timed by `startup` in turns with the program.
#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>

#include "bench/start_clock.h"

int main() {
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) != 0) return 1;
  SDL_DisplayMode desktop;
  int w = 800, h = 600;
  if (SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
    w = desktop.w;
    h = desktop.h;
  }
  SDL_Window* window = SDL_CreateWindow("floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w,
                                        h, SDL_WINDOW_FULLSCREEN_DESKTOP);
  // The window surface shown as the program shows it (see create_renderer).
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, 0) : nullptr;
  if (!renderer) return 1;
  Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 2048);  // as the sound bank opens it
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
  SDL_RenderClear(renderer);
  print_start_figures();
  SDL_RenderPresent(renderer);
  Mix_CloseAudio();
  SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
