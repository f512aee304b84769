// Frame work of every screen on the software renderer, at 1920x1080 and 1366x768:
// median and 99th percentile of 300 frames of the screen's own per-frame sequence, in wall
// time and in CPU time. Then the games at their busiest: the trucks shaking and splashing, all
// the tanks' shells in the air, and the duck hunt and the prospectors at the moment a whole
// game with both players hitting hard and often found busiest, with the peak length of each of
// their lists.
#include <SDL.h>
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

double thread_cpu_ms() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Median and 99th percentile of 300 frames of a screen, each from the state `prepare` sets:
// on the clock, and in the drawing thread's own processor time, which other work on a busy
// machine does not inflate.
template <typename Prepare>
void time_screen(Program& p, int32_t screen, const char* label, Prepare prepare) {
  std::vector<double> ms, cpu;
  for (int i = 0; i < 300; ++i) {
    prepare();
    p.app.screen = screen;
    p.screens.intro.clock = 0;
    p.clock.dt = 0.016f;
    auto t0 = std::chrono::steady_clock::now();
    double c0 = thread_cpu_ms();
    run_screen(p);
    cpu.push_back(thread_cpu_ms() - c0);
    auto t1 = std::chrono::steady_clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  std::sort(ms.begin(), ms.end());
  std::sort(cpu.begin(), cpu.end());
  printf("%-8s %4dx%-6d %10.2f %10.2f %10.2f %10.2f\n", label, p.display.width, p.display.height,
         ms[ms.size() / 2], ms[ms.size() * 99 / 100], cpu[cpu.size() / 2], cpu[cpu.size() * 99 / 100]);
}

// A whole game at state level and 3 s after its end, both players hitting every `every`
// frames with random power; returns the record as it was in the frame `load` found busiest.
template <typename Game, typename Load>
Game play_busiest(Program& p, const GameDef& def, Game& game, int every, Load load) {
  ScreenContext c = screen_context(p, game_screen);
  def.reset(&game, c);
  game.match.playing = 1;
  Game busiest = game;
  size_t most = 0;
  int after_end = 0;
  for (int frame = 0; after_end < 190 && frame < 40000; ++frame) {
    p.clock.dt = 0.016f;
    after_end += game.match.game_over;
    if (frame % every == 0 && game.match.game_over == 0) {
      def.hit(&game, SIDE_LEFT, 1 + rand() % 255, c);
      def.hit(&game, SIDE_RIGHT, 1 + rand() % 255, c);
    }
    def.update(&game, c);
    if (def.after_draw) def.after_draw(&game, c);
    if (load(game) > most) {
      most = load(game);
      busiest = game;
    }
  }
  return busiest;
}

void time_busiest_games(Program& p) {
  size_t ducks = 0, shots = 0, feathers = 0, stones = 0;
  // Each hunter fires ten shots a second.
  DuckHuntGame& hunt = p.games.duck_hunt;
  const DuckHuntGame sky = play_busiest(p, duck_hunt_game, hunt, 6, [&](const DuckHuntGame& g) {
    ducks = std::max(ducks, g.ducks.size());
    shots = std::max(shots, g.shots.size());
    feathers = std::max(feathers, g.feathers.size());
    return g.ducks.size() + g.shots.size() + g.feathers.size();
  });
  time_screen(p, SCREEN_DUCK_HUNT, "12 most", [&] { hunt = sky; });
  // Each prospector strikes again as soon as his stroke allows.
  ProspectorsGame& mine = p.games.prospectors;
  const ProspectorsGame cave = play_busiest(p, prospectors_game, mine, 1, [&](const ProspectorsGame& g) {
    stones = std::max(stones, g.gems.size());
    return (size_t)std::count_if(g.gems.begin(), g.gems.end(),
                                 [](const Gem& m) { return m.age > 0.14f; });  // in the air
  });
  time_screen(p, SCREEN_PROSPECTORS, "13 most", [&] { mine = cave; });
  printf("peak lists: %zu ducks, %zu shots, %zu feather bursts; %zu stones (%zu at the busiest, %s)\n",
         ducks, shots, feathers, stones, cave.gems.size(), cave.match.game_over ? "after the burst" : "before the burst");
  ScreenContext c = screen_context(p, game_screen);
  duck_hunt_game.reset(&hunt, c);
  prospectors_game.reset(&mine, c);
}

}  // namespace

int main() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  // Pictures are scaled as the program scales them (smoothly): it sets this before its renderer.
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
  if (chdir(HXM_RUN_DIR) != 0) return 1;
  SDL_Init(SDL_INIT_VIDEO);
  TTF_Init();
  const int sizes[2][2] = {{1920, 1080}, {1366, 768}};
  printf("%-8s %-11s %10s %10s %10s %10s\n", "screen", "size", "median ms", "p99 ms", "cpu median",
         "cpu p99");
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
    reset_screens(*p);
    for (int32_t screen = SCREEN_INTRO; screen < SCREEN_COUNT; ++screen) {
      if (!screen_binding(*p, screen).def) continue;
      char label[8];
      snprintf(label, sizeof label, "%d", screen);
      time_screen(*p, screen, label, [] {});
    }
    for (const Busiest& b : busiest) time_screen(*p, b.screen, b.name, [&] { b.prepare(*p); });
    time_busiest_games(*p);
    release_assets(p->textures, p->fonts);
    SDL_DestroyRenderer(p->clock.renderer);
    SDL_FreeSurface(surface);
    delete p;
  }
  return 0;
}
