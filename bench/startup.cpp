// Start-up time: process start to the first presented frame with the peak memory at that
// moment, the binary's size, and the steps of loading on their own (picture decoding, texture
// upload, fonts and texts). Medians of 10 runs on the dummy video driver, whose window is
// served by the software renderer.
//
//   startup            prints the figures
#include <SDL.h>
#include <SDL_image.h>
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
  printf("%.1f %ld\n", ms, status_kb("VmHWM"));
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

// The loader's steps one by one on the window the program itself would have.
struct Steps {
  double decode = 0, decode_cpu = 0, upload = 0, texts = 0;
};

Steps measure_steps(Display& display, FrameClock& clock) {
  Steps s;
  TextureCatalog textures;
  SDL_Surface* surfaces[IMAGE_COUNT] = {};
  double t0 = now_ms(), c0 = process_cpu_ms();
  bool decoded = decode_images(surfaces);
  double t1 = now_ms(), c1 = process_cpu_ms();
  for (int32_t i = 0; i < IMAGE_COUNT && decoded; ++i) {
    image_texture(textures, (ImageId)i) = SDL_CreateTextureFromSurface(clock.renderer, surfaces[i]);
    SDL_FreeSurface(surfaces[i]);
  }
  double t2 = now_ms();
  FontSet fonts;
  PixelSize sizes[TEXT_COUNT];
  Palette palette;
  if (open_fonts(fonts, display.unit)) {
    measure_texts(fonts, sizes);
    for (int32_t i = 0; i < TEXT_COUNT; ++i) {
      const TextInfo& t = text_info[i];
      SDL_Surface* surface = TTF_RenderUTF8_Blended(fonts.*t.font, t.text, palette.*t.colour);
      text_texture(textures, (TextId)i) = SDL_CreateTextureFromSurface(clock.renderer, surface);
      SDL_FreeSurface(surface);
    }
  }
  double t3 = now_ms();
  release_assets(textures, fonts);
  s.decode = t1 - t0;
  s.decode_cpu = c1 - c0;
  s.upload = t2 - t1;
  s.texts = t3 - t2;
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  if (chdir(HXM_RUN_DIR) != 0) return 1;
  if (argc > 1 && strcmp(argv[1], "--child") == 0) return child();

  char self[4096] = {};
  if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return 1;
  std::string command = std::string(self) + " --child 2>/dev/null";
  std::vector<double> first, peak;
  for (int run = 0; run < RUNS; ++run) {
    FILE* out = popen(command.c_str(), "r");
    double ms = -1, kb = -1;
    if (!out || fscanf(out, "%lf %lf", &ms, &kb) != 2) ms = kb = -1;
    if (out) pclose(out);
    first.push_back(ms);
    peak.push_back(kb / 1024);
  }

  SDL_Init(SDL_INIT_VIDEO);
  IMG_Init(IMG_INIT_PNG);
  TTF_Init();
  Display display;
  FrameClock clock;
  create_window(display);
  create_renderer(clock, display);
  if (!clock.renderer) {
    fprintf(stderr, "startup: %s\n", SDL_GetError());
    return 1;
  }
  std::vector<double> decode, decode_cpu, upload, texts, both;
  for (int run = 0; run < RUNS; ++run) {
    Steps s = measure_steps(display, clock);
    decode.push_back(s.decode);
    decode_cpu.push_back(s.decode_cpu);
    upload.push_back(s.upload);
    texts.push_back(s.texts);
    both.push_back(s.decode + s.upload);
  }
  destroy_renderer(clock);
  destroy_window(display);

  struct stat binary {};
  stat(HXM_RUN_DIR "/hxm", &binary);
  print_row("process start to first presented frame", first, "ms");
  print_row("peak resident memory at the first frame", peak, "MB");
  print_row("135 pictures decoded", decode, "ms");
  print_row("  CPU time of all threads while decoding", decode_cpu, "ms");
  print_row("135 pictures uploaded", upload, "ms");
  print_row("decoded and uploaded", both, "ms");
  print_row("fonts opened, 78 texts drawn and uploaded", texts, "ms");
  printf("%-42s %.1f MB\n", "binary size", binary.st_size / 1e6);
  return 0;
}
