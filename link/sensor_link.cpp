#include "core/lock_hold.h"
#include "core/worker_thread.h"
#include "link/sensor_link.h"

#include <cstring>

namespace {

// The hub's three messages, by byte offset from the first byte of a read.
constexpr uint8_t CONTROL = 0xFF;  // byte 0 of connect and disconnect
constexpr int32_t KIND_AT = 7;
constexpr uint8_t CONNECT = 'c';
constexpr uint8_t DISCONNECT = 'd';
constexpr int32_t CONNECT_PAD_AT = 17;  // pad index as an ASCII digit
constexpr int32_t MAC_AT = 19;
constexpr int32_t CONNECT_LENGTH = MAC_AT + MAC_LENGTH;
constexpr int32_t DISCONNECT_PAD_AT = 18;
constexpr int32_t DISCONNECT_LENGTH = DISCONNECT_PAD_AT + 1;
constexpr int32_t HIT_LENGTH = 6;  // pad index as a number, hit bytes 1-4, charge
constexpr int32_t LEVEL_AT = 5;
constexpr uint8_t MOST_CHARGE = 100;  // percent
static_assert(HIT_LENGTH == SHORTEST_MESSAGE);

bool slot_index_ok(int32_t pad) { return pad >= 0 && pad < PAD_COUNT; }

PadSlot* slot_at(SensorLink& link, int32_t pad) {
  return slot_index_ok(pad) ? &link.pads[pad] : nullptr;
}

void empty_slot(PadSlot& slot) {
  uint8_t index = slot.index;
  slot = PadSlot{};
  slot.index = index;
}

bool still_running(SensorLink& link) {
  Hold hold(link.mutex);
  return link.app && link.app->link_running != 0;
}

// Discovery passes, each followed by the pause, until the adapter turns up (its port number)
// or the link is stopped (0).
int32_t discover(SensorLink& link) {
  const SerialPortLayer& io = link.port;
  while (still_running(link)) {
    int32_t found = io.find_adapter(io.ctx);
    if (found > 0) {
      Hold hold(link.mutex);
      link.port_number = found;
    }
    io.pause(io.ctx, DISCOVERY_PAUSE_MS);
    if (found > 0) return found;
  }
  return 0;
}

// A port that could not be opened or set up: back to discovery, the slots keep what they had.
void give_up_port(SensorLink& link, PortHandle port) {
  if (port != NO_PORT) link.port.close_port(link.port.ctx, port);
  Hold hold(link.mutex);
  link.port_number = 0;
}

// The adapter is gone: every pad disappears with it.
void lose_link(SensorLink& link, PortHandle port) {
  {
    Hold hold(link.mutex);
    link.port_number = 0;
    for (PadSlot& slot : link.pads) empty_slot(slot);
  }
  link.port.close_port(link.port.ctx, port);
}

// A quiet line drops every hit nobody took.
void clear_hits(SensorLink& link) {
  Hold hold(link.mutex);
  clear_all_hits_locked(link);
}

void read_until_lost(SensorLink& link, PortHandle port) {
  const SerialPortLayer& io = link.port;
  link.lengths = MessageLengths{};  // another hub may send other lengths
  for (;;) {
    if (!still_running(link)) {
      io.close_port(io.ctx, port);
      return;
    }
    double first_byte_ms = 0.0;
    int32_t got = io.probe(io.ctx, port)
                      ? io.read_message(io.ctx, port, link.rx, READ_MAX, &first_byte_ms)
                      : -1;
    if (got < 0) {
      lose_link(link, port);
      return;
    }
    if (got == 0)
      clear_hits(link);
    else
      apply_read(link, link.rx, got, first_byte_ms);
  }
}

// A read of one message alone: its length counts towards learning its kind's.
void learn_length(MessageLengths& lengths, MessageKind kind, int32_t count) {
  if (lengths.learned[kind] != 0) return;
  if (lengths.candidate[kind] == count) {
    lengths.agreeing[kind]++;
  } else {
    lengths.candidate[kind] = count;
    lengths.agreeing[kind] = 1;
  }
  if (lengths.agreeing[kind] >= AGREEING_READS) lengths.learned[kind] = count;
}

// Cuts a read into whole messages of learned lengths; false, with pieces undefined, when its
// bytes are anything else.
bool cut_whole_messages(const MessageLengths& lengths, const uint8_t* bytes, int32_t count,
                        ReadPieces& pieces) {
  pieces.count = 0;
  int32_t at = 0;
  while (at < count) {
    MessageKind kind = message_kind(bytes + at, count - at);
    int32_t length = kind == KIND_NONE ? 0 : lengths.learned[kind];
    if (length == 0 || length > count - at || message_kind(bytes + at, length) != kind)
      return false;
    if (kind == KIND_HIT && bytes[at + LEVEL_AT] > MOST_CHARGE) return false;
    pieces.length[pieces.count++] = length;
    at += length;
  }
  return true;
}

void* link_thread(void* arg) {
  SensorLink* link = (SensorLink*)arg;
  sensor_link_run(*link);
  // Main let go of the record when it cleared link_running; this thread is its last user.
  pthread_mutex_destroy(&link->mutex);
  delete link;
  return nullptr;
}

}  // namespace

MessageKind message_kind(const uint8_t* bytes, int32_t count) {
  bool control = count > KIND_AT && bytes[0] == CONTROL;
  if (control && bytes[KIND_AT] == CONNECT)
    return count >= CONNECT_LENGTH && slot_index_ok(bytes[CONNECT_PAD_AT] - '0') ? KIND_CONNECT
                                                                                 : KIND_NONE;
  if (control && bytes[KIND_AT] == DISCONNECT)
    return count >= DISCONNECT_LENGTH && slot_index_ok(bytes[DISCONNECT_PAD_AT] - '0')
               ? KIND_DISCONNECT
               : KIND_NONE;
  return count >= HIT_LENGTH && slot_index_ok(bytes[0]) ? KIND_HIT : KIND_NONE;
}

ReadPieces split_read(MessageLengths& lengths, const uint8_t* bytes, int32_t count) {
  ReadPieces pieces;
  MessageKind kind = message_kind(bytes, count);
  int32_t known = kind == KIND_NONE ? 0 : lengths.learned[kind];
  if (count > known && known > 0 && cut_whole_messages(lengths, bytes, count, pieces))
    return pieces;
  if (kind != KIND_NONE) learn_length(lengths, kind, count);
  pieces.count = 1;
  pieces.length[0] = count;
  pieces.unaccounted = known > 0 && count > known;
  return pieces;
}

void apply_read(SensorLink& link, const uint8_t* bytes, int32_t count, double first_byte_ms) {
  ReadPieces pieces = split_read(link.lengths, bytes, count);
  if (pieces.unaccounted) {
    Hold hold(link.mutex);
    link.unsplit_reads++;
  }
  int32_t at = 0;
  for (int32_t i = 0; i < pieces.count; ++i) {
    decode_read(link, bytes + at, pieces.length[i], first_byte_ms + at * BYTE_MS);
    at += pieces.length[i];
  }
}

double link_now_ms(const SensorLink& link) {
  return link.port.now_ms ? link.port.now_ms(link.port.ctx) : port_clock_ms();
}

void decode_read(SensorLink& link, const uint8_t* bytes, int32_t count, double first_byte_ms) {
  MessageKind kind = message_kind(bytes, count);
  if (kind == KIND_NONE) return;
  Hold hold(link.mutex);
  if (kind == KIND_CONNECT) {
    PadSlot& slot = link.pads[bytes[CONNECT_PAD_AT] - '0'];
    slot.connected = 1;
    for (int32_t j = 0; j < MAC_LENGTH; ++j) slot.mac[j] = bytes[MAC_AT + j];
    memset(slot.hit, 0, sizeof slot.hit);
    slot.level = 0;
  } else if (kind == KIND_DISCONNECT) {
    empty_slot(link.pads[bytes[DISCONNECT_PAD_AT] - '0']);
  } else {
    PadSlot& slot = link.pads[bytes[0]];
    slot.connected = 1;
    memcpy(slot.hit, bytes + 1, sizeof slot.hit);
    slot.level = bytes[LEVEL_AT];
    slot.hit_ms = first_byte_ms;
  }
}

int sensor_link_run(SensorLink& link) {
  {
    Hold hold(link.mutex);
    link.port_number = 0;
    for (int32_t i = 0; i < PAD_COUNT; ++i) {
      link.pads[i] = PadSlot{};
      link.pads[i].index = (uint8_t)i;
    }
  }
  const SerialPortLayer& io = link.port;
  while (still_running(link)) {
    int32_t number = discover(link);
    if (number == 0) continue;  // stopped while searching
    char name[PORT_NAME_SIZE];
    char path[DEVICE_PATH_SIZE];
    port_names(number, name, path);
    {
      Hold hold(link.mutex);
      memcpy(link.port_name, name, sizeof name);
      memcpy(link.device_path, path, sizeof path);
    }
    // Opened without the mutex: an open can block, and the screens take it every frame.
    PortHandle port = io.open_port(io.ctx, path);
    if (port == NO_PORT || !io.configure(io.ctx, port)) {
      give_up_port(link, port);
      continue;
    }
    read_until_lost(link, port);
  }
  return 0;
}

int32_t adapter_number_in_name(const char* friendly_name) {
  const char* marker = strstr(friendly_name, "USB-SERIAL CH340");
  const char* open = marker ? strchr(marker, '(') : nullptr;
  if (!open) return -1;
  const char* p = open + 1;
  while (*p && *p != ')' && (*p < '0' || *p > '9')) ++p;
  if (*p < '0' || *p > '9') return -1;
  int32_t number = 0;
  for (; *p >= '0' && *p <= '9' && number < 100000; ++p) number = number * 10 + (*p - '0');
  return number;
}

SensorLink* start_sensor_link(AppState& app, const SerialPortLayer& port) {
  SensorLink* link = new SensorLink;
  link->app = &app;
  link->port = port;
  // Without a thread the record stays, never freed, and the screens see four empty slots.
  start_worker_thread(link_thread, link, "hxm-link");
  return link;
}

void stop_sensor_link(SensorLink* link) {
  if (!link) return;
  Hold hold(link->mutex);
  if (link->app) link->app->link_running = 0;
  link->app = nullptr;
}

void read_connected(SensorLink* link, int32_t connected[PAD_COUNT]) {
  for (int32_t k = 0; k < PAD_COUNT; ++k) connected[k] = 0;
  if (!link) return;
  Hold hold(link->mutex);
  for (int32_t k = 0; k < PAD_COUNT; ++k) connected[k] = link->pads[k].connected;
}

void read_pads(SensorLink* link, int32_t& port_number, PadSlot pads[PAD_COUNT]) {
  port_number = 0;
  for (int32_t k = 0; k < PAD_COUNT; ++k) pads[k] = PadSlot{};
  if (!link) return;
  Hold hold(link->mutex);
  port_number = link->port_number;
  for (int32_t k = 0; k < PAD_COUNT; ++k) pads[k] = link->pads[k];
}

int32_t take_hit(SensorLink* link, int32_t pad, char* suffix, char* mac, double* arrived_ms) {
  if (!link) return 0;
  Hold hold(link->mutex);
  return take_hit_locked(*link, pad, suffix, mac, arrived_ms);
}

void clear_all_hits(SensorLink* link) {
  if (!link) return;
  Hold hold(link->mutex);
  clear_all_hits_locked(*link);
}

bool hit_waiting(SensorLink* link) {
  if (!link) return false;
  Hold hold(link->mutex);
  for (const PadSlot& slot : link->pads)
    if (slot.hit[3] != 0) return true;
  return false;
}

int32_t take_hit_locked(SensorLink& link, int32_t pad, char* suffix, char* mac,
                        double* arrived_ms) {
  PadSlot* slot = slot_at(link, pad - 1);
  if (!slot) return 0;
  int32_t power = slot->hit[3];
  if (power != 0 && link_now_ms(link) - slot->hit_ms > STALE_HIT_MS) power = 0;
  if (arrived_ms) *arrived_ms = slot->hit_ms;
  for (int32_t i = 0; i < 4; ++i) suffix[i] = (char)slot->mac[MAC_LENGTH - 4 + i];
  suffix[4] = 0;
  if (mac) {
    for (int32_t i = 0; i < MAC_LENGTH; ++i) mac[i] = (char)slot->mac[i];
    mac[MAC_LENGTH] = 0;
  }
  memset(slot->hit, 0, sizeof slot->hit);
  return power;
}

void clear_all_hits_locked(SensorLink& link) {
  for (PadSlot& slot : link.pads) memset(slot.hit, 0, sizeof slot.hit);
}
