// The statistics screen's frame work (update and draw, without the backdrop) on the software
// renderer at 1920x1080, with 0, 1 000, 100 000 and 1 000 000 stored hits over up to two years
// (all after 2024, so the window may step), in
// the all-time window: the batched bars on a still frame, the batched bars laid again every frame
// (a held arrow), and the plain per-row rule (one calendar_time and one fill per row per frame).
// Also the store's read-all at each size. Times are the main thread's CPU time, so other work
// on the machine does not count; median and 99th percentile.
//
//   statistics_frames [MOST_HITS]   stops after the sizes up to MOST_HITS
#include <SDL.h>
#include <SDL_ttf.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/screen_table.h"
#include "app/window.h"
#include "assets/loader.h"
#include "store/synthetic_hits.h"

namespace {

double cpu_ms() {
  struct timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return (double)t.tv_sec * 1000.0 + (double)t.tv_nsec / 1e6;
}

struct Figures {
  double median = 0, p99 = 0;
};
Figures figures(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 99 / 100)]};
}

void serve_all(RecordStore& store) {
  while (store_serve_next(store)) {
  }
}

enum Kind { STILL, MOVING, PER_ROW };

// One frame of the screen's own work; the renderer's queue is flushed so the drawing is done.
void frame(Program& p, Kind kind, int i) {
  if (kind == MOVING) statistics_move_window(p.screens.statistics, p.store, i % 2 ? STEP_EARLIER : STEP_LATER);
  if (kind == PER_ROW) {
    statistics_read_store(p.screens.statistics, p.store);
    statistics_draw_per_row(p.clock, p.screens.statistics, p.textures, p.layout, p.display, p.palette, p.fonts);
  } else {
    ScreenContext c = screen_context(p, statistics_screen);
    statistics_update(p.screens.statistics, c);
    statistics_draw(p.screens.statistics, c);
  }
  SDL_RenderFlush(p.clock.renderer);
}

Figures measure(Program& p, Kind kind, int frames) {
  // The window starts as the whole stored period each time, so every kind draws every row.
  p.screens.statistics.mode = kind == MOVING ? MODE_CUSTOM : MODE_ALL_TIME;
  p.screens.statistics.custom_from = p.screens.statistics.view.data_first;
  p.screens.statistics.custom_to = p.screens.statistics.view.data_last;
  frame(p, kind, 0);  // rows copied and bars laid once, as on entering the screen
  std::vector<double> ms;
  for (int i = 1; i <= frames; ++i) {
    double t0 = cpu_ms();
    frame(p, kind, i);
    ms.push_back(cpu_ms() - t0);
  }
  return figures(ms);
}

}  // namespace

// Days back from today to 2 January 2025, at most two years: windows starting before 2025
// do not step.
int32_t days_of_data() {
  time_t now = time(nullptr);
  int64_t since = date_time_seconds(local_date_time_at((int64_t)now)) -
                  date_time_seconds(DateTime{2025, 1, 2, 0, 0, 0});
  int64_t days = since / 86400;
  return (int32_t)std::max<int64_t>(1, std::min<int64_t>(730, days));
}

int main(int argc, char** argv) {
  const long most = argc > 1 ? strtol(argv[1], nullptr, 10) : 1000000;
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  if (chdir(HXM_RUN_DIR) != 0) return 1;
  SDL_Init(SDL_INIT_VIDEO);
  TTF_Init();
  // A window surface's format: blended fills on RGBA32 take SDL's slow generic path.
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 1920, 1080, 32, SDL_PIXELFORMAT_ARGB8888);
  Program* p = new Program;
  p->clock.renderer = SDL_CreateSoftwareRenderer(surface);
  SDL_SetRenderDrawBlendMode(p->clock.renderer, SDL_BLENDMODE_BLEND);
  p->display.width = 1920;
  p->display.height = 1080;
  p->display.unit = display_unit(1080);
  if (load_assets(p->clock, p->display, p->textures, p->layout, p->palette, p->fonts) != 0) {
    fprintf(stderr, "statistics_frames: %s\n", SDL_GetError());
    return 1;
  }

  const int32_t sizes[] = {0, 1000, 100000, 1000000};
  const int32_t days = days_of_data();
  printf("hits spread over %d days; ms of CPU per frame\n", days);
  printf("%9s %12s | %16s | %16s | %16s | %7s\n", "hits", "read-all ms", "still med/p99", "moving med/p99",
         "per-row med/p99", "ratio");
  for (int32_t hits : sizes) {
    if (hits > most) break;
    std::string templ = (std::filesystem::temp_directory_path() / "hxm-stats-XXXXXX").string();
    if (!mkdtemp(templ.data())) return 1;
    if (!fill_synthetic_hits((templ + "/hxm.db").c_str(), hits, days, 42)) return 1;
    RecordStore* store = new_record_store(nullptr, templ.c_str());
    store_begin(*store);
    serve_all(*store);
    StoreRequest read_all;
    read_all.code = STORE_READ_ALL;
    store_queue(*store, read_all);
    double t0 = cpu_ms();
    serve_all(*store);
    double read_ms = cpu_ms() - t0;

    p->store = store;
    p->screens.statistics = StatisticsState{};
    statistics_init(p->screens.statistics);
    statistics_read_store(p->screens.statistics, store);
    const int per_row_frames = hits >= 1000000 ? 3 : hits >= 100000 ? 20 : 100;
    Figures still = measure(*p, STILL, 300);
    Figures moving = measure(*p, MOVING, hits >= 1000000 ? 30 : 300);
    Figures plain = measure(*p, PER_ROW, per_row_frames);
    printf("%9d %12.1f | %7.2f %7.2f  | %7.2f %7.2f  | %7.2f %7.2f  | %6.1fx\n", hits, read_ms, still.median,
           still.p99, moving.median, moving.p99, plain.median, plain.p99, plain.median / still.median);
    fflush(stdout);
    p->store = nullptr;
    free_record_store(store);
    std::filesystem::remove_all(templ);
  }

  // What every frame costs whatever is stored: the chart's shaded area alone.
  std::vector<double> shade;
  for (int i = 0; i < 100; ++i) {
    double t0 = cpu_ms();
    SDL_SetRenderDrawColor(p->clock.renderer, 0, 0, 0, 150);
    SDL_RenderFillRectF(p->clock.renderer, &p->layout.chartRect);
    SDL_RenderFlush(p->clock.renderer);
    shade.push_back(cpu_ms() - t0);
  }
  Figures f = figures(shade);
  printf("chart shade fill alone: median %.2f ms, p99 %.2f ms\n", f.median, f.p99);

  release_assets(p->textures, p->fonts);
  SDL_DestroyRenderer(p->clock.renderer);
  SDL_FreeSurface(surface);
  delete p;
  return 0;
}
