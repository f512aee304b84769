// The hit-power training's two delays, median and 99th percentile:
//  - wire to screen: from the last byte of a hit written to the virtual hub's terminal to the
//    frame of the whole program (real 16 ms pacing, dummy video) in which screen 6 recorded it;
//  - screen to disk: from the queued insert to its commit by the store's thread, over a file
//    of 100 000 stored hits (the commit is seen as the insert turning into its read-all).
#include <SDL.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/lock_hold.h"
#include "app/program.h"
#include "app/screen_table.h"
#include "store/synthetic_hits.h"
#include "tools/virtual_hub.h"

namespace {

constexpr int32_t HITS = 200;
constexpr int32_t STORED_HITS = 100000;

double now_ms() {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec * 1e3 + (double)t.tv_nsec / 1e6;
}

double percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  size_t i = (size_t)(p * (double)(v.size() - 1) + 0.5);
  return v[std::min(i, v.size() - 1)];
}

void report(const char* what, const std::vector<double>& ms, const char* goal) {
  printf("%s over %zu hits: median %.1f ms, p99 %.1f ms, max %.1f ms (goal: %s)\n", what,
         ms.size(), percentile(ms, 0.5), percentile(ms, 0.99), percentile(ms, 1.0), goal);
}

std::string temp_dir() {
  std::string templ = (std::filesystem::temp_directory_path() / "hxm-bench-XXXXXX").string();
  return mkdtemp(templ.data()) ? templ : std::string();
}

// The frame in which screen 6 first shows a recorded hit, stamped just before it is presented.
struct Watch {
  double recorded_at = 0.0;
};
void stamp_recorded(Program& p, void* ctx) {
  Watch& w = *(Watch*)ctx;
  if (w.recorded_at == 0.0 && p.screens.power_training.animating == 1) w.recorded_at = now_ms();
}

// Also collects the duration of every frame run while waiting, for telling the link's share
// from the frames'.
std::vector<double> wire_to_screen(std::vector<double>& frames) {
  std::vector<double> ms;
  std::string dir = temp_dir();
  std::error_code ec;
  for (const char* part : {"font", "sound"})
    std::filesystem::create_directory_symlink(std::string(HXM_RUN_DIR) + "/" + part,
                                              dir + "/" + part, ec);
  if (dir.empty() || chdir(dir.c_str()) != 0) return ms;
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  VirtualHub* hub = new VirtualHub;  // kept: the link thread may outlive this function
  if (!hub_plug(*hub)) return ms;
  Program* p = new Program;
  if (start_up(*p, virtual_hub_port(*hub)) != 0) return ms;
  while (hub_opens(*hub) == 0) usleep(1000);
  hub_connect(*hub, 0, "A1B2C3D4E5F6");
  p->app.screen = SCREEN_POWER_TRAINING;
  Watch watch;
  LoopSeams seams = real_loop_seams();
  seams.before_present = stamp_recorded;
  seams.ctx = &watch;
  PowerTrainingState& s = p->screens.power_training;
  while (s.pad.selected_pad != 1) run_frame(*p, seams);

  for (int32_t i = 0; i < HITS; ++i) {
    // Straight to measuring: the start key, then the countdown's three seconds in one tick.
    FrameClock jump = p->clock;
    jump.dt = 3.0f;
    ScreenContext c = screen_context(*p, power_training_screen);
    power_training_key(s, c, KEY_SPACE);
    power_training_tick(s, jump, p->display, p->layout);
    watch.recorded_at = 0.0;
    hub_hit(*hub, 0, (uint8_t)(1 + i % 255), 80);
    double written = now_ms();
    while (watch.recorded_at == 0.0) {
      double start = now_ms();
      run_frame(*p, seams);
      frames.push_back(now_ms() - start);
    }
    ms.push_back(watch.recorded_at - written);
    jump.dt = 2.0f;  // the climb over at once
    power_training_tick(s, jump, p->display, p->layout);
  }
  shut_down(*p);
  delete p;
  std::filesystem::remove_all(dir, ec);
  return ms;
}

// 0 while the head insert waits or runs; 1 once it has committed (it is then the read-all
// that follows it); 2 once the queue is empty again.
int insert_stage(RecordStore& store) {
  Hold hold(store.mutex);
  if (store.request_count == 0) return 2;
  return store.requests[0].code == STORE_READ_ALL ? 1 : 0;
}

std::vector<double> screen_to_disk() {
  std::vector<double> ms;
  std::string dir = temp_dir();
  if (dir.empty() || !fill_synthetic_hits((dir + "/hxm.db").c_str(), STORED_HITS, 365, 42))
    return ms;
  AppState app;  // the store lets go of it when stopped
  RecordStore* store = start_record_store(&app, dir.c_str());
  while (insert_stage(*store) != 2) usleep(1000);  // the first read-all
  for (int32_t i = 0; i < HITS; ++i) {
    // Records and ordinary hits alternate, so both the ranking chain and the plain insert run.
    int32_t value = i % 2 ? 255 : 17;
    double queued = now_ms();
    store_queue_result(*store, value, 1.5f, "A4C1380F12AB", local_date_time());
    int stage = 0;
    while ((stage = insert_stage(*store)) == 0) usleep(50);
    ms.push_back(now_ms() - queued);
    while (insert_stage(*store) != 2) usleep(1000);
  }
  stop_record_store(store);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return ms;
}

}  // namespace

int main() {
  std::vector<double> disk = screen_to_disk();
  if (disk.empty()) {
    fprintf(stderr, "power_training_latency: no store to measure\n");
    return 1;
  }
  report("screen to disk (100 000 rows stored)", disk, "p99 <= 30 ms");
  std::vector<double> frames;
  std::vector<double> wire = wire_to_screen(frames);
  if (wire.empty()) {
    fprintf(stderr, "power_training_latency: the program did not start: %s\n", SDL_GetError());
    return 1;
  }
  report("wire to screen", wire, "p99 <= 35 ms");
  printf("frames meanwhile (pacing included, 16 ms when idle): median %.1f ms, p99 %.1f ms\n",
         percentile(frames, 0.5), percentile(frames, 0.99));
  return 0;
}
