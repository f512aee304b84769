#include "tools/virtual_hub.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cstring>

#include "core/lock_hold.h"

namespace {

// Where the hub puts each field of its messages.
constexpr uint8_t CONTROL = 0xFF;
constexpr int32_t KIND_AT = 7;
constexpr int32_t CONNECT_PAD_AT = 17;
constexpr int32_t MAC_AT = 19;
constexpr int32_t DISCONNECT_PAD_AT = 18;

int32_t hub_find(void* ctx) { return hub_plugged(*(VirtualHub*)ctx) ? 1 : 0; }

PortHandle hub_open(void* ctx, const char*) {
  VirtualHub& hub = *(VirtualHub*)ctx;
  char path[sizeof hub.path];
  {
    Hold hold(hub.mutex);
    memcpy(path, hub.path, sizeof path);
  }
  PortHandle port = path[0] ? posix_open_port(nullptr, path) : NO_PORT;
  if (port != NO_PORT) {
    {
      Hold hold(hub.mutex);
      hub.opens++;
    }
  }
  return port;
}

}  // namespace

uint64_t monotonic_ms() {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (uint64_t)t.tv_sec * 1000u + (uint64_t)t.tv_nsec / 1000000u;
}

bool hub_plug(VirtualHub& hub) {
  int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0) return false;
  char path[sizeof hub.path];
  struct termios t;
  bool ok = grantpt(master) == 0 && unlockpt(master) == 0 &&
            ptsname_r(master, path, sizeof path) == 0 && tcgetattr(master, &t) == 0;
  if (ok) {
    cfmakeraw(&t);  // no echo or line editing before the link sets the line up itself
    ok = tcsetattr(master, TCSANOW, &t) == 0 &&
         fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK) == 0;
  }
  if (!ok) {
    close(master);
    return false;
  }
  hub_unplug(hub);
  {
    Hold hold(hub.mutex);
    hub.master = master;
    memcpy(hub.path, path, sizeof path);
  }
  return true;
}

void hub_unplug(VirtualHub& hub) {
  Hold hold(hub.mutex);
  if (hub.master >= 0) close(hub.master);
  hub.master = -1;
  hub.path[0] = 0;
}

bool hub_plugged(VirtualHub& hub) {
  Hold hold(hub.mutex);
  return hub.master >= 0;
}

int32_t hub_opens(VirtualHub& hub) {
  Hold hold(hub.mutex);
  return hub.opens;
}

namespace {

void wait_for_gap(VirtualHub& hub) {
  uint64_t due = 0;
  {
    Hold hold(hub.mutex);
    due = hub.last_sent_ms + hub.gap_ms;
  }
  uint64_t now = monotonic_ms();
  if (now < due) posix_pause(nullptr, (uint32_t)(due - now));
}

bool write_now(VirtualHub& hub, const uint8_t* bytes, int32_t count) {
  Hold hold(hub.mutex);
  bool sent = hub.master >= 0 && write(hub.master, bytes, (size_t)count) == count;
  hub.last_sent_ms = monotonic_ms();
  return sent;
}

}  // namespace

bool hub_send(VirtualHub& hub, const uint8_t* bytes, int32_t count) {
  wait_for_gap(hub);
  return write_now(hub, bytes, count);
}

bool hub_send_in_chunks(VirtualHub& hub, const uint8_t* bytes, int32_t count, uint32_t seed,
                        uint32_t max_pause_us) {
  wait_for_gap(hub);
  uint32_t state = seed | 1u;
  auto next = [&state] {  // xorshift: the same pieces for the same seed
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  };
  bool broken = false;
  double last = 0.0;
  for (int32_t at = 0; at < count;) {
    int32_t piece = 1 + (int32_t)(next() % (uint32_t)(count - at));
    if (at > 0 && port_clock_ms() - last >= MESSAGE_GAP_MS) broken = true;
    if (!write_now(hub, bytes + at, piece)) return false;
    last = port_clock_ms();
    at += piece;
    if (at < count && max_pause_us > 0) usleep(next() % (max_pause_us + 1));
  }
  if (broken) {
    Hold hold(hub.mutex);
    hub.broken_messages++;
  }
  return true;
}

void connect_message(int32_t pad, const char* mac, uint8_t (&out)[CONNECT_MESSAGE_LENGTH]) {
  memset(out, 0, sizeof out);
  out[0] = CONTROL;
  out[KIND_AT] = 'c';
  out[CONNECT_PAD_AT] = (uint8_t)('0' + pad);
  memcpy(out + MAC_AT, mac, CONNECT_MESSAGE_LENGTH - MAC_AT);
}

void disconnect_message(int32_t pad, uint8_t (&out)[DISCONNECT_MESSAGE_LENGTH]) {
  memset(out, 0, sizeof out);
  out[0] = CONTROL;
  out[KIND_AT] = 'd';
  out[DISCONNECT_PAD_AT] = (uint8_t)('0' + pad);
}

void hit_message(int32_t pad, uint8_t power, uint8_t charge, uint8_t (&out)[HIT_MESSAGE_LENGTH]) {
  uint8_t m[HIT_MESSAGE_LENGTH] = {(uint8_t)pad, 0, 0, 0, power, charge};
  memcpy(out, m, sizeof m);
}

bool hub_connect(VirtualHub& hub, int32_t pad, const char* mac) {
  uint8_t m[CONNECT_MESSAGE_LENGTH];
  connect_message(pad, mac, m);
  return hub_send(hub, m, CONNECT_MESSAGE_LENGTH);
}

bool hub_disconnect(VirtualHub& hub, int32_t pad) {
  uint8_t m[DISCONNECT_MESSAGE_LENGTH];
  disconnect_message(pad, m);
  return hub_send(hub, m, DISCONNECT_MESSAGE_LENGTH);
}

bool hub_hit(VirtualHub& hub, int32_t pad, uint8_t power, uint8_t charge) {
  uint8_t m[HIT_MESSAGE_LENGTH];
  hit_message(pad, power, charge, m);
  return hub_send(hub, m, HIT_MESSAGE_LENGTH);
}

SerialPortLayer virtual_hub_port(VirtualHub& hub) {
  SerialPortLayer io = real_serial_port();
  io.find_adapter = hub_find;
  io.open_port = hub_open;
  io.ctx = &hub;
  return io;
}
