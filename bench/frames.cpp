// Frame work of every screen on the software renderer, at 1920x1080 and 1366x768:
// median and 99th percentile of 300 frames of the screen's own per-frame sequence.
#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/program.h"
#include "app/screen_table.h"
#include "app/window.h"
#include "assets/loader.h"

int main() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  if (chdir(HXM_RUN_DIR) != 0) return 1;
  SDL_Init(SDL_INIT_VIDEO);
  IMG_Init(IMG_INIT_PNG);
  TTF_Init();
  const int sizes[2][2] = {{1920, 1080}, {1366, 768}};
  printf("%-8s %-11s %10s %10s\n", "screen", "size", "median ms", "p99 ms");
  for (const auto& size : sizes) {
    // In the layout of the window the program draws to (the dummy driver's and a 24-bit X
    // server's): the blitters, and so the frame times, depend on it.
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, size[0], size[1], 32,
                                                          SDL_PIXELFORMAT_RGB888);
    Program* p = new Program;
    p->clock.renderer = SDL_CreateSoftwareRenderer(surface);
    SDL_SetRenderDrawBlendMode(p->clock.renderer, SDL_BLENDMODE_BLEND);
    p->display.width = size[0];
    p->display.height = size[1];
    p->display.unit = display_unit(size[1]);
    if (load_assets(p->clock, p->display, p->textures, p->layout, p->palette, p->fonts) != 0) {
      fprintf(stderr, "frames: %s\n", SDL_GetError());
      return 1;
    }
    for (int32_t screen = SCREEN_INTRO; screen < SCREEN_COUNT; ++screen) {
      const ScreenFunctions& f = screen_functions(screen);
      if (!f.frame) continue;
      std::vector<double> ms;
      for (int i = 0; i < 300; ++i) {
        p->app.screen = screen;
        p->intro_clock = 0;
        p->clock.dt = 0.016f;
        auto t0 = std::chrono::steady_clock::now();
        f.frame(*p);
        auto t1 = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
      }
      std::sort(ms.begin(), ms.end());
      printf("%-8d %4dx%-6d %10.2f %10.2f\n", screen, size[0], size[1], ms[ms.size() / 2],
             ms[ms.size() * 99 / 100]);
    }
    release_assets(p->textures, p->fonts);
    SDL_DestroyRenderer(p->clock.renderer);
    SDL_FreeSurface(surface);
    delete p;
  }
  return 0;
}
