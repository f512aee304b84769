// hxm-demo: the whole program with a virtual hub in place of the USB adapter. Four pads are
// announced with their charges; the digit keys 1-4 strike pads 1-4 with a random power, 5-8
// disconnect or reconnect them. The keys reach the hub through an SDL event watch, so the
// program's own input handling stays as it is.
#include <SDL.h>

#include <cmath>
#include <cstdio>

#include "core/random.h"
#include "core/lock_hold.h"
#include "app/program.h"
#include "tools/virtual_hub.h"

namespace {

constexpr const char* DEMO_MACS[PAD_COUNT] = {"A1B2C3D4E5F6", "0C1D2E3F4A5B", "F0E1D2C3B4A5",
                                              "5A6B7C8D9E0F"};
constexpr uint8_t DEMO_CHARGES[PAD_COUNT] = {90, 60, 30, 10};
constexpr int32_t QUEUE_SIZE = 64;
constexpr uint32_t WAIT_FOR_LINK_MS = 20;

struct Demo {
  VirtualHub hub;
  pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;  // guards the queue and stopping
  pthread_cond_t wake = PTHREAD_COND_INITIALIZER;
  int32_t queue[QUEUE_SIZE] = {};  // key numbers 0-7 waiting for the hub
  int32_t queued = 0;
  bool stopping = false;
  bool watching = false;  // main thread only
  bool connected[PAD_COUNT] = {};  // hub thread only
};

bool stopping(Demo& demo) {
  Hold hold(demo.mutex);
  return demo.stopping;
}

// A pad joins: its address, then a report of its charge (a hit message of power 0 carries
// the charge without leaving a hit to take).
void announce(Demo& demo, int32_t pad) {
  hub_connect(demo.hub, pad, DEMO_MACS[pad]);
  hub_hit(demo.hub, pad, 0, DEMO_CHARGES[pad]);
  demo.connected[pad] = true;
}

void press(Demo& demo, int32_t key) {
  int32_t pad = key % PAD_COUNT;
  if (key < PAD_COUNT) {
    uint8_t power = (uint8_t)lroundf(random_between(1.0f, 255.0f));
    hub_hit(demo.hub, pad, power, DEMO_CHARGES[pad]);
  } else if (demo.connected[pad]) {
    hub_disconnect(demo.hub, pad);
    demo.connected[pad] = false;
  } else {
    announce(demo, pad);
  }
}

void* hub_thread(void* arg) {
  Demo& demo = *(Demo*)arg;
  // Messages sent before the program opens the terminal would arrive as one read.
  while (hub_opens(demo.hub) == 0) {
    if (stopping(demo)) return nullptr;
    posix_pause(nullptr, WAIT_FOR_LINK_MS);
  }
  for (int32_t pad = 0; pad < PAD_COUNT; ++pad) announce(demo, pad);
  for (;;) {
    int32_t key = 0;
    {
      Hold hold(demo.mutex);
      while (demo.queued == 0 && !demo.stopping) pthread_cond_wait(&demo.wake, &hold.mutex);
      if (demo.stopping) return nullptr;
      key = demo.queue[0];
      demo.queued--;
      for (int32_t i = 0; i < demo.queued; ++i) demo.queue[i] = demo.queue[i + 1];
    }
    press(demo, key);
  }
}

// Runs on the main thread as SDL queues each event; takes the top-row keys 1-8.
int watch_keys(void* ctx, SDL_Event* e) {
  if (e->type != SDL_KEYDOWN || e->key.repeat) return 0;
  int32_t key = (int32_t)e->key.keysym.scancode - SDL_SCANCODE_1;
  if (key < 0 || key >= 2 * PAD_COUNT) return 0;
  Demo& demo = *(Demo*)ctx;
  {
    Hold hold(demo.mutex);
    if (demo.queued < QUEUE_SIZE) demo.queue[demo.queued++] = key;
    pthread_cond_signal(&demo.wake);
  }
  return 0;
}

// SDL is up by the first frame: that is where the watch goes in.
void add_watch_once(Program&, void* ctx) {
  Demo& demo = *(Demo*)ctx;
  if (demo.watching) return;
  SDL_AddEventWatch(watch_keys, &demo);
  demo.watching = true;
}

}  // namespace

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  // Never freed: the link thread may still reach the hub while the process ends.
  Demo* demo = new Demo;
  if (!hub_plug(demo->hub)) {
    fprintf(stderr, "hxm-demo: cannot open a pseudo-terminal\n");
    return 1;
  }
  pthread_t thread;
  if (pthread_create(&thread, nullptr, hub_thread, demo) != 0) return 1;
  LoopSeams seams = real_loop_seams();
  seams.before_frame = add_watch_once;
  seams.ctx = demo;
  int code = hxm_main(seams, virtual_hub_port(demo->hub));
  {
    Hold hold(demo->mutex);
    demo->stopping = true;
    pthread_cond_signal(&demo->wake);
  }
  pthread_join(thread, nullptr);
  return code;
}
