// What the start-up benchmark reads of a process: the time since it started, its CPU time and
// its peak resident memory. Header only: the bare SDL program uses it without our library.
#pragma once

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

inline double now_ms() {
  timespec t;
  clock_gettime(CLOCK_BOOTTIME, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

// CPU time of the whole process (every thread), to see how many cores a step kept busy.
inline double process_cpu_ms() {
  rusage u;
  getrusage(RUSAGE_SELF, &u);
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 +
         (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

// Milliseconds since this process started, from the kernel's record of its start.
inline double since_process_start_ms() {
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
inline long status_kb(const char* field) {
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

// One line for the benchmark: ms since the start, CPU ms, peak resident kB.
inline void print_start_figures() {
  printf("%.1f %.1f %ld\n", since_process_start_ms(), process_cpu_ms(), status_kb("VmHWM"));
  fflush(stdout);
}
