// The sensor link: a worker thread that reads the hub's messages and keeps four pad slots
// current. The screens read the slots under the record's mutex and consume hits by zeroing
// the four hit bytes; a slot holds an unconsumed hit while hit[3] is non-zero, stamped with
// the time its first byte came.
#pragma once

#include <pthread.h>

#include <cstdint>

#include "core/app_state.h"
#include "link/serial_port.h"

constexpr int32_t PAD_COUNT = 4;
constexpr int32_t MAC_LENGTH = 12;
constexpr int32_t NO_MAC = '-';
// A hit nobody took this long after it came is stale: nobody takes it any more.
constexpr double STALE_HIT_MS = 250.0;

struct PadSlot {
  int32_t mac[MAC_LENGTH] = {NO_MAC, NO_MAC, NO_MAC, NO_MAC, NO_MAC, NO_MAC,
                             NO_MAC, NO_MAC, NO_MAC, NO_MAC, NO_MAC, NO_MAC};
  int32_t connected = 0;  // 1 from a connect or hit message until a disconnect or link loss
  uint8_t index = 0;      // the slot's own number
  uint8_t hit[4] = {};    // bytes 1-4 of the last hit message; hit[3] is the power
  uint8_t level = 0;      // battery charge in percent from the last hit message
  double hit_ms = 0.0;    // when the pending hit's first byte came, on the link's clock
};

// The hub's three messages. Their lengths are learned from reads that held one message
// alone, so that a read holding several sent back to back can be cut into them.
enum MessageKind : int32_t { KIND_NONE = -1, KIND_HIT, KIND_CONNECT, KIND_DISCONNECT, KIND_COUNT };
constexpr int32_t AGREEING_READS = 3;  // single reads of one length that teach it
constexpr int32_t SHORTEST_MESSAGE = 6;
constexpr int32_t MOST_MESSAGES = READ_MAX / SHORTEST_MESSAGE;

struct MessageLengths {
  int32_t learned[KIND_COUNT] = {};  // 0 until learned
  int32_t candidate[KIND_COUNT] = {};
  int32_t agreeing[KIND_COUNT] = {};
};

// One read as the messages it holds, in order, each given by its length.
struct ReadPieces {
  int32_t count = 0;
  int32_t length[MOST_MESSAGES] = {};
  bool unaccounted = false;  // longer than its first message, and not whole messages
};

struct SensorLink {
  AppState* app = nullptr;  // cleared with link_running at shutdown: the thread may outlive main
  pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;  // guards every field below but rx and port
  int32_t port_number = 0;  // 0 while no adapter is open
  char port_name[PORT_NAME_SIZE] = {};
  char device_path[DEVICE_PATH_SIZE] = {};
  uint8_t rx[READ_MAX + 1] = {};  // the thread's own read buffer
  MessageLengths lengths;         // the thread's own; learned again for every port opened
  PadSlot pads[PAD_COUNT];
  int64_t unsplit_reads = 0;  // reads holding more than one message that could not be cut
  SerialPortLayer port;  // set before the thread starts, never changed
};

// Applies one message of count bytes to the slots, a hit stamped with first_byte_ms. Only
// bytes actually read count: a message too short for what it would be is ignored, as is a pad
// index outside 0-3.
void decode_read(SensorLink& link, const uint8_t* bytes, int32_t count, double first_byte_ms = 0.0);

// What one message is, judged by its first count bytes; KIND_NONE when too short for its kind
// or its pad index is outside 0-3.
MessageKind message_kind(const uint8_t* bytes, int32_t count);
// The messages in one read, learning from it: a read whose kind's length is known and that is
// exactly a sequence of whole messages of known lengths (each with a valid pad, a hit with a
// charge of at most 100 %) is cut into them. Anything else is one message, and a read longer
// than its known length is marked unaccounted.
ReadPieces split_read(MessageLengths& lengths, const uint8_t* bytes, int32_t count);
// One read through split_read and decode_read; the later messages are stamped as following the
// first on the wire.
void apply_read(SensorLink& link, const uint8_t* bytes, int32_t count, double first_byte_ms);

// The link's clock: its port layer's, in milliseconds.
double link_now_ms(const SensorLink& link);

// The thread's whole life: discover, open, configure, read until the link is lost, again,
// until link_running is cleared. Returns 0.
int sensor_link_run(SensorLink& link);

// Allocates a link for app on the given port layer and starts its detached thread, which
// frees the record when it ends. Null if the thread could not start.
SensorLink* start_sensor_link(AppState& app, const SerialPortLayer& port);
// Clears link_running under the mutex and lets go of app; link must not be used afterwards.
void stop_sensor_link(SensorLink* link);

// For the screens, games and tools: each takes the link's hold for itself, and a null link
// reads as no hub at all.
// The four connected flags, as 0 or 1.
void read_connected(SensorLink* link, int32_t connected[PAD_COUNT]);
// The hub's port number (0 = none) and a copy of the four pads' slots.
void read_pads(SensorLink* link, int32_t& port_number, PadSlot pads[PAD_COUNT]);
// Consumes the hit of pad 1-4 whether or not the caller uses it, and returns its power
// (0 = no hit, or a stale one). Writes the MAC's last four characters into suffix (5 bytes)
// and, when mac is not null, all twelve into mac (13 bytes), each NUL-terminated; when
// arrived_ms is not null, the hit's stamp.
int32_t take_hit(SensorLink* link, int32_t pad, char* suffix, char* mac,
                 double* arrived_ms = nullptr);
// Every pad's four hit bytes set to 0.
void clear_all_hits(SensorLink* link);
// True while some pad holds a hit not yet taken.
bool hit_waiting(SensorLink* link);

// The same under a hold the link itself (or a test of it) already took.
int32_t take_hit_locked(SensorLink& link, int32_t pad, char* suffix, char* mac,
                        double* arrived_ms = nullptr);
void clear_all_hits_locked(SensorLink& link);
