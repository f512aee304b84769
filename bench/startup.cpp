// Start-up time: process start to the first presented frame with the peak memory at that
// moment, the binary's size, and the steps of loading on their own (picture decoding, texture
// upload, fonts and texts). Medians of 10 runs, each in a fresh process, on the dummy video
// driver, whose window is served by the software renderer. CPU times are shown beside the
// wall times: on a machine shared with other work they vary much less.
//
//   startup            prints the figures
#include <SDL.h>
#include <SDL_ttf.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/window.h"
#include "assets/loader.h"

namespace {

constexpr int RUNS = 10;

double now_ms() {
  timespec t;
  clock_gettime(CLOCK_BOOTTIME, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

// CPU time of the whole process (every thread), to see how many cores a step kept busy.
double process_cpu_ms() {
  rusage u;
  getrusage(RUSAGE_SELF, &u);
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 +
         (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

// Milliseconds since this process started, from the kernel's record of its start.
double since_process_start_ms() {
  FILE* f = fopen("/proc/self/stat", "r");
  if (!f) return -1;
  char buf[1024];
  size_t n = fread(buf, 1, sizeof buf - 1, f);
  fclose(f);
  buf[n] = 0;
  char* p = strrchr(buf, ')');
  unsigned long long start = 0;
  // Field 22 is the start time in clock ticks since boot; p points at field 2's end.
  for (int field = 2; p && field < 22; ++field) p = strchr(p + 1, ' ');
  if (p) start = strtoull(p + 1, nullptr, 10);
  return now_ms() - start * 1000.0 / sysconf(_SC_CLK_TCK);
}

// A field of /proc/self/status in kB ("VmHWM" is the peak resident size so far).
long status_kb(const char* field) {
  FILE* f = fopen("/proc/self/status", "r");
  if (!f) return -1;
  char line[256];
  long kb = -1;
  size_t n = strlen(field);
  while (fgets(line, sizeof line, f))
    if (strncmp(line, field, n) == 0 && line[n] == ':') kb = strtol(line + n + 1, nullptr, 10);
  fclose(f);
  return kb;
}

void first_frame(Program& p, void*) {
  double ms = since_process_start_ms();
  printf("%.1f %.1f %ld\n", ms, process_cpu_ms(), status_kb("VmHWM"));
  fflush(stdout);
  p.app.running = 0;
}

int child() {
  LoopSeams seams = real_loop_seams();
  seams.before_present = first_frame;
  return hxm_main(seams);
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return (v[(v.size() - 1) / 2] + v[v.size() / 2]) / 2;
}

void print_row(const char* what, const std::vector<double>& v, const char* unit) {
  printf("%-42s median %7.1f %s  (runs:", what, median(v), unit);
  for (double x : v) printf(" %.0f", x);
  printf(")\n");
}

// The loader's steps one by one on the window the program itself would have: the textures
// made and handed their pixels (upload), the decoding on its own, then fonts and texts; and
// the pictures again with the decoding overlapping the making, as the program loads them.
struct Steps {
  double decode = 0, decode_cpu = 0, upload = 0, upload_cpu = 0, texts = 0, overlapped = 0;
};

Steps measure_steps(Display& display, FrameClock& clock) {
  Steps s;
  TextureCatalog textures;
  FontSet fonts;
  {
    PictureLoad load;
    double t0 = now_ms(), c0 = process_cpu_ms();
    bool made = create_picture_textures(clock.renderer, textures, load);
    double t1 = now_ms(), c1 = process_cpu_ms();
    start_picture_decoding(load);
    bool decoded = finish_picture_decoding(load);
    double t2 = now_ms(), c2 = process_cpu_ms();
    finish_picture_textures(textures, load, made && decoded);
    double t3 = now_ms(), c3 = process_cpu_ms();
    if (!decoded) fprintf(stderr, "startup: %s\n", SDL_GetError());
    PixelSize sizes[TEXT_COUNT];
    Palette palette;
    if (open_fonts(fonts, display.unit)) {
      measure_texts(fonts, sizes);
      create_text_textures(clock.renderer, fonts, palette, textures);
    }
    s.texts = now_ms() - t3;
    s.decode = t2 - t1;
    s.decode_cpu = c2 - c1;
    s.upload = (t1 - t0) + (t3 - t2);
    s.upload_cpu = (c1 - c0) + (c3 - c2);
  }
  release_assets(textures, fonts);
  {
    PictureLoad load;
    double t0 = now_ms();
    start_picture_decoding(load);
    bool made = create_picture_textures(clock.renderer, textures, load);
    bool decoded = finish_picture_decoding(load);
    finish_picture_textures(textures, load, made && decoded);
    s.overlapped = now_ms() - t0;
  }
  release_assets(textures, fonts);
  return s;
}

// One step measurement in this (fresh) process, printed for the parent.
int steps_child() {
  SDL_Init(SDL_INIT_VIDEO);
  TTF_Init();
  Display display;
  FrameClock clock;
  create_window(display);
  create_renderer(clock, display);
  if (!clock.renderer) {
    fprintf(stderr, "startup: %s\n", SDL_GetError());
    return 1;
  }
  Steps s = measure_steps(display, clock);
  printf("%.2f %.2f %.2f %.2f %.2f %.2f\n", s.decode, s.decode_cpu, s.upload, s.upload_cpu,
         s.texts, s.overlapped);
  destroy_renderer(clock);
  destroy_window(display);
  return 0;
}

// Runs this program with one argument and reads the numbers it prints; false if it failed.
bool run_child(const std::string& self, const char* mode, double* values, int count) {
  std::string command = self + " " + mode + " 2>/dev/null";
  FILE* out = popen(command.c_str(), "r");
  if (!out) return false;
  int read = 0;
  while (read < count && fscanf(out, "%lf", &values[read]) == 1) ++read;
  return pclose(out) == 0 && read == count;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  if (chdir(HXM_RUN_DIR) != 0) return 1;
  if (argc > 1 && strcmp(argv[1], "--child") == 0) return child();
  if (argc > 1 && strcmp(argv[1], "--steps") == 0) return steps_child();

  char self[4096] = {};
  if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return 1;
  // Every figure comes from a fresh process: a second load in the same one would reuse
  // memory the first already had mapped, and look faster than a real start.
  std::vector<double> first, first_cpu, peak, decode, decode_cpu, upload, upload_cpu, both,
      overlapped, texts;
  for (int run = 0; run < RUNS; ++run) {
    double start[3], steps[6];
    if (!run_child(self, "--child", start, 3) || !run_child(self, "--steps", steps, 6)) {
      fprintf(stderr, "startup: a measured start failed\n");
      return 1;
    }
    first.push_back(start[0]);
    first_cpu.push_back(start[1]);
    peak.push_back(start[2] / 1024);
    decode.push_back(steps[0]);
    decode_cpu.push_back(steps[1]);
    upload.push_back(steps[2]);
    upload_cpu.push_back(steps[3]);
    both.push_back(steps[0] + steps[2]);
    texts.push_back(steps[4]);
    overlapped.push_back(steps[5]);
  }

  struct stat binary {};
  stat(HXM_RUN_DIR "/hxm", &binary);
  print_row("process start to first presented frame", first, "ms");
  print_row("  CPU time of all threads until then", first_cpu, "ms");
  print_row("peak resident memory at the first frame", peak, "MB");
  print_row("135 pictures decoded", decode, "ms");
  print_row("  CPU time of all threads", decode_cpu, "ms");
  print_row("135 pictures uploaded", upload, "ms");
  print_row("  CPU time", upload_cpu, "ms");
  print_row("decoded and uploaded, one after the other", both, "ms");
  print_row("decoded and uploaded, overlapped", overlapped, "ms");
  print_row("fonts opened, 78 texts drawn and uploaded", texts, "ms");
  printf("%-42s %.1f MB\n", "binary size", binary.st_size / 1e6);
  return 0;
}
