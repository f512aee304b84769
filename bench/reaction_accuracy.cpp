// Reaction-time accuracy through a virtual hub: the whole program on its real clock, on the
// reaction-time screen, and a hub that writes the hit a random 150-450 ms after the frame that
// showed the signal was presented. For each attempt, the error is the reaction time the screen
// shows minus that true time (hub write minus signal present).
//
// Each attempt starts with Space as usual; only the countdown's first 2.9 s and the random
// wait are shortened (to 0.3-0.8 s), which leaves the measured path untouched.
#include <SDL.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/lock_hold.h"
#include "app/program.h"
#include "tools/virtual_hub.h"

namespace {

constexpr int32_t ATTEMPTS = 50;

double now_ms() {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec * 1e3 + (double)t.tv_nsec / 1e6;
}

struct Attempt {
  double signal_ms = 0.0;  // just before the present of the first frame showing the signal
  bool signalled = false;
};

void note_signal(Program& p, void* ctx) {
  Attempt& a = *(Attempt*)ctx;
  if (!a.signalled && p.reaction.measuring == 1 && p.reaction.signal_pending == 0) {
    a.signal_ms = now_ms();
    a.signalled = true;
  }
}

double percentile(std::vector<double> v, double q) {
  std::sort(v.begin(), v.end());
  size_t i = (size_t)(q * (double)(v.size() - 1) + 0.5);
  return v[std::min(i, v.size() - 1)];
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
    reaction_key(KEY_SPACE, p->app, p->reaction, p->sounds);
    p->reaction.countdown.countdown_time = 2.9f;
    p->reaction.delay = random_between(0.3f, 0.8f);
    while (!attempt.signalled) run_frame(*p, seams);

    double written_ms = 0.0;
    double wait_ms = random_between(150.0f, 450.0f);
    std::thread hitter([&] {
      double due = attempt.signal_ms + wait_ms;
      while (now_ms() < due) usleep(200);
      hub_hit(*hub, 0, 100, 80);
      written_ms = now_ms();
    });
    while (p->reaction.measuring == 1) {
      run_frame(*p, seams);
      frame_ms.push_back(p->clock.dt * 1000.0);
    }
    hitter.join();
    double shown_ms = (p->reaction.stopwatch - p->reaction.delay) * 1000.0;
    error.push_back(shown_ms - (written_ms - attempt.signal_ms));
  }
  shut_down(*p);
  std::filesystem::remove_all(dir);

  double mean = 0.0, square = 0.0;
  for (double e : error) mean += e / (double)error.size();
  for (double e : error) square += (e - mean) * (e - mean) / (double)error.size();
  printf("reaction time shown minus true (hub write - signal frame present), %d attempts:\n",
         ATTEMPTS);
  printf("  median %.1f ms, spread p5..p95 %.1f..%.1f ms (sd %.1f), p99 %.1f ms, min %.1f, max %.1f\n",
         percentile(error, 0.5), percentile(error, 0.05), percentile(error, 0.95), std::sqrt(square),
         percentile(error, 0.99), percentile(error, 0.0), percentile(error, 1.0));
  printf("  frame period while measuring: median %.1f ms, p99 %.1f ms\n", percentile(frame_ms, 0.5),
         percentile(frame_ms, 0.99));
  return 0;
}
