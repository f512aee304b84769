// The sensor link: a worker thread that reads the hub's messages and keeps four pad slots
// current. The screens read the slots under the record's mutex and consume hits by zeroing
// the four hit bytes; a slot holds an unconsumed hit while hit[3] is non-zero.
#pragma once

#include <pthread.h>

#include <cstdint>

#include "app/app_state.h"
#include "link/serial_port.h"

constexpr int32_t PAD_COUNT = 4;
constexpr int32_t MAC_LENGTH = 12;
constexpr int32_t NO_MAC = '-';

struct PadSlot {
  int32_t mac[MAC_LENGTH] = {NO_MAC, NO_MAC, NO_MAC, NO_MAC, NO_MAC, NO_MAC,
                             NO_MAC, NO_MAC, NO_MAC, NO_MAC, NO_MAC, NO_MAC};
  int32_t connected = 0;  // 1 from a connect or hit message until a disconnect or link loss
  uint8_t index = 0;      // the slot's own number
  uint8_t hit[4] = {};    // bytes 1-4 of the last hit message; hit[3] is the power
  uint8_t level = 0;      // battery charge in percent from the last hit message
};

struct SensorLink {
  AppState* app = nullptr;  // cleared with link_running at shutdown: the thread may outlive main
  pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;  // guards every field below but rx and port
  int32_t port_number = 0;  // 0 while no adapter is open
  char port_name[PORT_NAME_SIZE] = {};
  char device_path[DEVICE_PATH_SIZE] = {};
  uint8_t rx[READ_MAX + 1] = {};  // the thread's own read buffer
  PadSlot pads[PAD_COUNT];
  SerialPortLayer port;  // set before the thread starts, never changed
};

// Applies one read of count bytes to the slots. Only bytes actually read count: a read too
// short for the message it would be is ignored, as is a pad index outside 0-3.
void decode_read(SensorLink& link, const uint8_t* bytes, int32_t count);

// The thread's whole life: discover, open, configure, read until the link is lost, again,
// until link_running is cleared. Returns 0.
int sensor_link_run(SensorLink& link);

// Allocates a link for app on the given port layer and starts its detached thread, which
// frees the record when it ends. Null if the thread could not start.
SensorLink* start_sensor_link(AppState& app, const SerialPortLayer& port);
// Clears link_running under the mutex and lets go of app; link must not be used afterwards.
void stop_sensor_link(SensorLink* link);

// For the screens, each called under a hold on link.mutex that the caller takes.
// The four connected flags, as 0 or 1.
void copy_connected_locked(const SensorLink& link, int32_t connected[PAD_COUNT]);
// Consumes the hit of pad 1-4 whether or not the caller uses it, and returns its power
// (0 = no hit). Writes the MAC's last four characters into suffix (5 bytes) and, when mac
// is not null, all twelve into mac (13 bytes), each NUL-terminated.
int32_t take_hit_locked(SensorLink& link, int32_t pad, char* suffix, char* mac);
// Every pad's four hit bytes set to 0.
void clear_all_hits_locked(SensorLink& link);
