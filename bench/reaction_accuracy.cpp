// Reaction-time accuracy through a virtual hub: the whole program on its real clock, on the
// reaction-time screen, and a hub that writes the hit a random 150-450 ms after the frame that
// showed the signal was presented. For each attempt, the error is the reaction time the screen
// shows minus that true time (hub write minus the return of the signal frame's present, both
// read here, outside the program).
//
// Each attempt starts with Space as usual; only the countdown's first 2.9 s and the random
// wait are shortened (to 0.3-0.8 s), which leaves the measured path untouched.
#include <SDL.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/random.h"
#include "core/lock_hold.h"
#include "app/program.h"
#include "app/screen_table.h"
#include "tools/virtual_hub.h"

namespace {

constexpr int32_t ATTEMPTS = 100;

double now_ms() {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec * 1e3 + (double)t.tv_nsec / 1e6;
}

double percentile(std::vector<double> v, double q) {
  std::sort(v.begin(), v.end());
  size_t i = (size_t)(q * (double)(v.size() - 1) + 0.5);
  return v[std::min(i, v.size() - 1)];
}

struct Attempt {
  bool drawn = false;       // the frame being run is the first to show the signal
  double signal_ms = 0.0;   // when its present had returned
};

void note_signal(Program& p, void* ctx) {
  Attempt& a = *(Attempt*)ctx;
  if (a.signal_ms == 0.0 && p.screens.reaction.measuring == 1 && p.screens.reaction.signal_pending == 0)
    a.drawn = true;
}

void report(const char* what, const std::vector<double>& v) {
  printf("  %-52s median %6.1f  p5 %6.1f  p95 %6.1f  p99 %6.1f ms\n", what, percentile(v, 0.5),
         percentile(v, 0.05), percentile(v, 0.95), percentile(v, 0.99));
}

bool pad_connected(Program& p) {
  Hold hold(p.link->mutex);
  return p.link->pads[0].connected == 1;
}

// A scratch run directory that sees the real font and sounds, so no database is left behind.
std::string scratch_run_dir() {
  std::string templ = (std::filesystem::temp_directory_path() / "hxm-bench-XXXXXX").string();
  if (!mkdtemp(templ.data())) return std::string();
  std::error_code ec;
  for (const char* part : {"font", "sound"})
    std::filesystem::create_directory_symlink(std::string(HXM_RUN_DIR) + "/" + part,
                                              templ + "/" + part, ec);
  return templ;
}

}  // namespace

int main() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  std::string dir = scratch_run_dir();
  if (dir.empty() || chdir(dir.c_str()) != 0) return 1;
  // Never freed: the link thread may still reach the hub while the process ends.
  VirtualHub* hub = new VirtualHub;
  Program* p = new Program;
  if (!hub_plug(*hub) || start_up(*p, virtual_hub_port(*hub)) != 0) {
    fprintf(stderr, "reaction_accuracy: cannot start: %s\n", SDL_GetError());
    return 1;
  }
  while (hub_opens(*hub) == 0) SDL_Delay(5);
  hub_connect(*hub, 0, "A1B2C3D4E5F6");
  while (!pad_connected(*p)) SDL_Delay(5);
  p->app.screen = SCREEN_REACTION_TRAINING;

  Attempt attempt;
  LoopSeams seams = real_loop_seams();
  seams.before_present = note_signal;
  seams.ctx = &attempt;
  std::vector<double> error, frame_ms;
  for (int32_t i = 0; i < ATTEMPTS; ++i) {
    attempt = Attempt{};
    ScreenContext c = screen_context(*p, reaction_training_screen);
    reaction_key(p->screens.reaction, c, KEY_SPACE);
    p->screens.reaction.countdown.countdown_time = 2.9f;
    p->screens.reaction.delay = random_between(0.3f, 0.8f);
    while (!attempt.drawn) run_frame(*p, seams);
    attempt.signal_ms = now_ms();

    double written_ms = 0.0;
    double wait_ms = random_between(150.0f, 450.0f);
    std::thread hitter([&] {
      double due = attempt.signal_ms + wait_ms;
      while (now_ms() < due) usleep(200);
      hub_hit(*hub, 0, 100, 80);
      written_ms = now_ms();
    });
    while (p->screens.reaction.measuring == 1) {
      run_frame(*p, seams);
      frame_ms.push_back(p->clock.dt * 1000.0);
    }
    hitter.join();
    double shown_ms = (p->screens.reaction.stopwatch - p->screens.reaction.delay) * 1000.0;
    error.push_back(shown_ms - (written_ms - attempt.signal_ms));
  }
  shut_down(*p);
  std::filesystem::remove_all(dir);

  printf("reaction time shown minus true (hub write - signal frame present), %d attempts:\n",
         ATTEMPTS);
  report("error", error);
  report("frame period while measuring", frame_ms);
  return 0;
}
