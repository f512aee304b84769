// hxm-link-probe COM_NUMBER: the sensor link's thread on the real Windows port layer, for the
// Wine test. SetupAPI lists only ports that Plug and Play installed, so discovery is asked once
// and reported, and the thread is then given the port by number; open, configure, probe and
// read are the real ones. Every change of the pad slots is printed as one line:
//   open COM7 ok | configure ok | connect PAD MAC | hit PAD POWER CHARGE | disconnect PAD
// The probe ends with 0 once a pad has left twice (a disconnect message, then the loss of the
// port) and the port could not be opened again, with 1 after 120 s without that.
#include <windows.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "link/sensor_link.h"

namespace {

constexpr DWORD GIVE_UP_MS = 120000;
constexpr DWORD LOOK_EVERY_MS = 10;

struct Probe {
  SerialPortLayer real;
  int32_t port_number = 0;
  std::atomic<int32_t> failed_opens{0};  // counted by the link thread
};

void say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void say(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vprintf(format, args);
  va_end(args);
  printf("\n");
  fflush(stdout);  // the test reads the lines as they come
}

int32_t given_port(void* ctx) { return ((Probe*)ctx)->port_number; }

PortHandle reported_open(void* ctx, const char* device_path) {
  Probe& p = *(Probe*)ctx;
  PortHandle port = p.real.open_port(p.real.ctx, device_path);
  say("open %s %s", device_path, port == NO_PORT ? "failed" : "ok");
  if (port == NO_PORT) p.failed_opens++;
  return port;
}

bool reported_configure(void* ctx, PortHandle port) {
  Probe& p = *(Probe*)ctx;
  bool ok = p.real.configure(p.real.ctx, port);
  say("configure %s", ok ? "ok" : "failed");
  return ok;
}

// The slots as a screen sees them: copied, and a pending hit consumed, in one hold.
void take_slots(SensorLink& link, PadSlot (&slots)[PAD_COUNT]) {
  pthread_mutex_lock(&link.mutex);
  memcpy(slots, link.pads, sizeof slots);
  for (PadSlot& slot : link.pads) memset(slot.hit, 0, sizeof slot.hit);
  pthread_mutex_unlock(&link.mutex);
}

}  // namespace

int main(int argc, char** argv) {
  int number = argc == 2 ? atoi(argv[1]) : 0;
  if (number < 1 || number > 255) {
    fprintf(stderr, "usage: hxm-link-probe COM_NUMBER\n");
    return 2;
  }
  Probe probe;
  probe.real = real_serial_port();
  probe.port_number = number;
  say("setupapi %d", (int)probe.real.find_adapter(probe.real.ctx));

  SerialPortLayer layer = probe.real;
  layer.find_adapter = given_port;
  layer.open_port = reported_open;
  layer.configure = reported_configure;
  layer.ctx = &probe;
  AppState app;
  SensorLink* link = start_sensor_link(app, layer);

  PadSlot before[PAD_COUNT];
  take_slots(*link, before);
  int departures = 0;
  auto done = [&] { return departures >= 2 && probe.failed_opens > 0; };
  for (DWORD waited = 0; !done() && waited < GIVE_UP_MS; waited += LOOK_EVERY_MS) {
    Sleep(LOOK_EVERY_MS);
    PadSlot now[PAD_COUNT];
    take_slots(*link, now);
    for (int32_t pad = 0; pad < PAD_COUNT; ++pad) {
      const PadSlot& was = before[pad];
      const PadSlot& is = now[pad];
      char mac[MAC_LENGTH + 1] = {};
      for (int32_t j = 0; j < MAC_LENGTH; ++j) mac[j] = (char)is.mac[j];
      if (is.connected && memcmp(is.mac, was.mac, sizeof is.mac) != 0 && is.mac[0] != NO_MAC)
        say("connect %d %s", (int)pad, mac);
      if (is.hit[3] != 0) say("hit %d %d %d", (int)pad, (int)is.hit[3], (int)is.level);
      if (was.connected && !is.connected) {
        say("disconnect %d", (int)pad);
        departures++;
      }
    }
    memcpy(before, now, sizeof before);
  }
  stop_sensor_link(link);
  return done() ? 0 : 1;
}
