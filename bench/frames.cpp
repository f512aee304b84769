// Frame work of every screen on the software renderer, at 1920x1080 and 1366x768:
// median and 99th percentile of 300 frames of the screen's own per-frame sequence, in wall
// time and in CPU time; then the games at their busiest.
#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <vector>

#include "app/program.h"
#include "app/screen_table.h"
#include "app/window.h"
#include "assets/loader.h"

namespace {

// Both trucks shaking and splashing, the scene shifted, the clock running.
void busiest_trucks(Program& p) {
  MonsterTrucksGame& g = p.games.monster_trucks;
  g.match.playing = 1;
  g.left_score = 4000;
  g.right_score = 9000;
  for (TruckAnimation* t : {&g.left, &g.right}) {
    t->shake = t->splash = 1;
    t->shake_time = t->splash_time = 0.0f;
  }
}

// All 150 shells in the air, spread along the first stretch of their flight.
void busiest_tanks(Program& p) {
  TanksGame& g = p.games.tanks;
  g.match.playing = 1;
  for (int32_t i = 0; i < TANK_SHELLS; ++i) {
    g.left.shells[i] = g.right.shells[i] = TankShell{1, 0};
    p.layout.leftShellRects[i].y = p.layout.tankYellowRect.y - (float)(i % 10) * 10.0f;
    p.layout.rightShellRects[i].y = p.layout.tankGreyRect.y - (float)(i % 10) * 10.0f;
  }
}

struct Busiest {
  const char* name;
  int32_t screen;
  void (*prepare)(Program& p);  // before every timed frame
};
const Busiest busiest[] = {
    {"trucks", SCREEN_MONSTER_TRUCKS, busiest_trucks},
    {"tanks", SCREEN_TANKS, busiest_tanks},
};

double cpu_ms() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Wall time and this thread's CPU time per frame: on a busy machine the second shows the
// frame's own work without the waits for a core.
template <typename Prepare>
void time_frames(Program& p, const char* name, int32_t screen, Prepare prepare) {
  const ScreenFunctions& f = screen_functions(screen);
  std::vector<double> wall, cpu;
  for (int i = 0; i < 300; ++i) {
    p.app.screen = screen;
    p.intro_clock = 0;
    p.clock.dt = 0.016f;
    prepare(p);
    double c0 = cpu_ms();
    auto t0 = std::chrono::steady_clock::now();
    f.frame(p);
    auto t1 = std::chrono::steady_clock::now();
    cpu.push_back(cpu_ms() - c0);
    wall.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  std::sort(wall.begin(), wall.end());
  std::sort(cpu.begin(), cpu.end());
  auto median = [](const std::vector<double>& v) { return v[v.size() / 2]; };
  auto p99 = [](const std::vector<double>& v) { return v[v.size() * 99 / 100]; };
  printf("%-8s %4dx%-6d %10.2f %10.2f %10.2f %10.2f\n", name, p.display.width, p.display.height,
         median(wall), p99(wall), median(cpu), p99(cpu));
  fflush(stdout);
}

}  // namespace

int main() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  if (chdir(HXM_RUN_DIR) != 0) return 1;
  SDL_Init(SDL_INIT_VIDEO);
  IMG_Init(IMG_INIT_PNG);
  TTF_Init();
  const int sizes[2][2] = {{1920, 1080}, {1366, 768}};
  printf("%-8s %-11s %10s %10s %10s %10s\n", "screen", "size", "median ms", "p99 ms", "cpu median",
         "cpu p99");
  for (const auto& size : sizes) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, size[0], size[1], 32,
                                                          SDL_PIXELFORMAT_RGBA32);
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
    GameContext games = game_context(*p);
    init_games(p->games, games);
    for (int32_t screen = SCREEN_INTRO; screen < SCREEN_COUNT; ++screen) {
      if (!screen_functions(screen).frame) continue;
      char name[8];
      snprintf(name, sizeof name, "%d", screen);
      time_frames(*p, name, screen, [](Program&) {});
    }
    for (const Busiest& b : busiest) time_frames(*p, b.name, b.screen, b.prepare);
    release_assets(p->textures, p->fonts);
    SDL_DestroyRenderer(p->clock.renderer);
    SDL_FreeSurface(surface);
    delete p;
  }
  return 0;
}
