// The sensor link's costs: hit latency through a virtual hub (last byte written to the slot
// update seen under the mutex), and the reader thread's CPU time on a quiet line and while
// searching for an adapter that is not there.
#include <pthread.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/lock_hold.h"
#include "link/sensor_link.h"
#include "tools/virtual_hub.h"

namespace {

constexpr int32_t HITS = 200;
constexpr uint32_t QUIET_SECONDS = 10;
constexpr uint32_t SEARCH_SECONDS = 5;

double now_ms() {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double thread_cpu_ms(pthread_t thread) {
  clockid_t clock;
  struct timespec t;
  if (pthread_getcpuclockid(thread, &clock) != 0 || clock_gettime(clock, &t) != 0) return -1;
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void* run_link(void* link) {
  sensor_link_run(*(SensorLink*)link);
  return nullptr;
}

void stop(SensorLink& link, pthread_t thread) {
  {
    Hold hold(link.mutex);
    link.app->link_running = 0;
  }
  pthread_join(thread, nullptr);
}

// CPU time the thread spends over seconds of wall time, in ms.
double cpu_over(pthread_t thread, uint32_t seconds) {
  double before = thread_cpu_ms(thread);
  sleep(seconds);
  return thread_cpu_ms(thread) - before;
}

double percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  size_t i = (size_t)(p * (double)(v.size() - 1) + 0.5);
  return v[std::min(i, v.size() - 1)];
}

}  // namespace

int main() {
  VirtualHub hub;
  if (!hub_plug(hub)) {
    fprintf(stderr, "link_latency: no pseudo-terminal\n");
    return 1;
  }
  AppState app;
  SensorLink link;
  link.app = &app;
  link.port = virtual_hub_port(hub);
  pthread_t reader;
  pthread_create(&reader, nullptr, run_link, &link);
  while (hub_opens(hub) == 0) usleep(1000);

  std::vector<double> latency;
  for (int32_t i = 0; i < HITS; ++i) {
    int32_t pad = i % PAD_COUNT;
    uint8_t power = (uint8_t)(1 + i % 255);
    hub_hit(hub, pad, power, 50);
    double written = now_ms();
    for (;;) {
      bool seen{};
      {
        Hold hold(link.mutex);
        seen = link.pads[pad].hit[3] == power;
        if (seen) memset(link.pads[pad].hit, 0, sizeof link.pads[pad].hit);
      }
      if (seen) break;
      usleep(100);
    }
    latency.push_back(now_ms() - written);
  }
  printf("hit latency over %d hits: median %.1f ms, p99 %.1f ms, max %.1f ms (bar: p99 <= 10)\n",
         HITS, percentile(latency, 0.5), percentile(latency, 0.99), percentile(latency, 1.0));

  double quiet = cpu_over(reader, QUIET_SECONDS);
  printf("reader thread on a quiet line: %.2f ms CPU in %u s (%.4f %% of a core)\n", quiet,
         QUIET_SECONDS, quiet / (QUIET_SECONDS * 10.0));
  stop(link, reader);
  hub_unplug(hub);

  // The product's own search on this machine, with no adapter plugged in.
  AppState search_app;
  SensorLink search;
  search.app = &search_app;
  search.port = real_serial_port();
  pthread_create(&reader, nullptr, run_link, &search);
  double searching = cpu_over(reader, SEARCH_SECONDS);
  printf("reader thread searching for an absent adapter: %.2f ms CPU in %u s (%.3f %% of a core)\n",
         searching, SEARCH_SECONDS, searching / (SEARCH_SECONDS * 10.0));
  stop(search, reader);
  return 0;
}
