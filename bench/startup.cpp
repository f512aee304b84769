// Start-up time, against the floor of any SDL2 program: process start to the first presented
// frame (the intro), to every picture made and handed to its texture, and the peak resident
// memory by then; the same for `sdl_floor` (SDL, window, renderer, mixer, one frame), run in
// turns with the program so both see the same machine. Medians of 10 starts each, each in a
// fresh process, on the software renderer, at 1920x1080 and 1366x768 (each size on its own
// virtual X screen; on SDL's dummy driver at its 1024x768 when xvfb-run is missing). CPU times
// are shown beside the wall times: on a machine shared with other work they vary much less.
//
//   startup            prints the figures
#include <SDL.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/program.h"
#include "bench/start_clock.h"

namespace {

constexpr int RUNS = 10;

// Whether pictures are still being made after the first frame (a program that makes them all
// before it has none pending).
template <typename P>
bool pictures_pending(const P& p) {
  if constexpr (requires { p.loading; }) return p.loading != nullptr;
  return false;
}

// Before each present: the first frame's figures, then those of the first frame with every
// picture in place, and the run ends.
void watch_frames(Program& p, void* ctx) {
  bool& first = *(bool*)ctx;
  if (first) print_start_figures();
  first = false;
  if (pictures_pending(p)) return;
  print_start_figures();
  p.app.running = 0;
}

int child() {
  bool first = true;
  LoopSeams seams = real_loop_seams();
  seams.before_present = watch_frames;
  seams.ctx = &first;
  return hxm_main(seams);
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return (v[(v.size() - 1) / 2] + v[v.size() / 2]) / 2;
}

void print_row(const char* what, const std::vector<double>& v, const char* unit) {
  printf("  %-44s median %7.1f %s  (runs:", what, median(v), unit);
  for (double x : v) printf(" %.0f", x);
  printf(")\n");
}

// Runs a command and reads the numbers it prints; false if it failed.
bool run_child(const std::string& command, double* values, int count) {
  FILE* out = popen((command + " 2>/dev/null").c_str(), "r");
  if (!out) return false;
  int read = 0;
  while (read < count && fscanf(out, "%lf", &values[read]) == 1) ++read;
  return pclose(out) == 0 && read == count;
}

// The starts at the screen this process sees, alternated: the floor, then the program.
int measure(const std::string& self) {
  std::vector<double> floor, floor_cpu, floor_peak, first, first_cpu, first_peak, ready, ready_cpu,
      ready_peak, ratio;
  for (int run = 0; run < RUNS; ++run) {
    double bare[3], ours[6];
    if (!run_child(HXM_SDL_FLOOR, bare, 3) || !run_child(self + " --child", ours, 6)) {
      fprintf(stderr, "startup: a measured start failed\n");
      return 1;
    }
    floor.push_back(bare[0]);
    floor_cpu.push_back(bare[1]);
    floor_peak.push_back(bare[2] / 1024);
    first.push_back(ours[0]);
    first_cpu.push_back(ours[1]);
    first_peak.push_back(ours[2] / 1024);
    ready.push_back(ours[3]);
    ready_cpu.push_back(ours[4]);
    ready_peak.push_back(ours[5] / 1024);
    ratio.push_back(ours[0] / bare[0]);
  }
  SDL_Init(SDL_INIT_VIDEO);
  SDL_DisplayMode mode{};
  SDL_GetDesktopDisplayMode(0, &mode);
  SDL_Quit();
  printf("%dx%d, %s\n", mode.w, mode.h, getenv("DISPLAY") ? "virtual X screen" : "dummy driver");
  print_row("bare SDL2 program to its first frame", floor, "ms");
  print_row("  its CPU time", floor_cpu, "ms");
  print_row("  its peak resident memory", floor_peak, "MB");
  print_row("process start to first presented frame", first, "ms");
  print_row("  CPU time of all threads until then", first_cpu, "ms");
  print_row("  peak resident memory by then", first_peak, "MB");
  print_row("  times the bare program's (per pair of runs)", ratio, "x");
  printf("  %-44s median %7.2f x\n", "  times the bare program's (of the medians)",
         median(first) / median(floor));
  print_row("every picture in its texture", ready, "ms");
  print_row("  CPU time of all threads until then", ready_cpu, "ms");
  print_row("  peak resident memory by then", ready_peak, "MB");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  // The renderer of a PC without a working graphics driver.
  setenv("SDL_RENDER_DRIVER", "software", 1);
  if (chdir(HXM_RUN_DIR) != 0) return 1;
  if (argc > 1 && strcmp(argv[1], "--child") == 0) return child();

  char self[4096] = {};
  if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return 1;
  if (argc > 1 && strcmp(argv[1], "--here") == 0) return measure(self);
  int failed = 0;
  if (system("command -v xvfb-run >/dev/null 2>&1") == 0) {
    for (const char* size : {"1920x1080", "1366x768"}) {
      fflush(stdout);
      std::string command = std::string("SDL_VIDEODRIVER=x11 xvfb-run -a -s '-screen 0 ") + size +
                            "x24' " + self + " --here";
      failed |= system(command.c_str()) != 0;
    }
  } else {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    failed = measure(self);
  }
  struct stat binary {};
  stat(HXM_RUN_DIR "/hxm", &binary);
  printf("%-46s %.1f MB\n", "binary size", binary.st_size / 1e6);
  return failed;
}
