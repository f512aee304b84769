// A sensor hub simulated on a pseudo-terminal: it speaks the hub's wire format, and its port
// layer lets the sensor link open the terminal in place of a USB adapter.
#pragma once

#include <pthread.h>

#include <cstdint>

#include "link/serial_port.h"

// A pacing that keeps every message in a read of its own, for tests about single messages.
constexpr uint32_t HUB_PACED_GAP_MS = 4 * MESSAGE_GAP_MS;

struct VirtualHub {
  pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;  // guards the fields below
  int master = -1;       // the terminal's master side; -1 while unplugged
  char path[64] = {};    // the terminal the link opens
  int32_t opens = 0;     // times the link has opened the terminal
  uint32_t gap_ms = 0;   // least time between two writes; 0, as a real hub, sends at once
  uint64_t last_sent_ms = 0;
  // Messages sent in pieces whose pause, stretched by this machine's scheduler, reached the
  // message gap: on the wire they were two messages, which no real hub sends.
  int32_t broken_messages = 0;
};

// Opens a fresh terminal ("plugs the adapter in"); false if none could be made.
bool hub_plug(VirtualHub& hub);
// Closes the terminal: the link's reads fail as when an adapter is pulled out.
void hub_unplug(VirtualHub& hub);
bool hub_plugged(VirtualHub& hub);
int32_t hub_opens(VirtualHub& hub);

// The three messages, each written in one piece once gap_ms have passed since the last.
// pad is 0-3 (other values go out as they are); mac is twelve characters.
bool hub_connect(VirtualHub& hub, int32_t pad, const char* mac);
bool hub_disconnect(VirtualHub& hub, int32_t pad);
bool hub_hit(VirtualHub& hub, int32_t pad, uint8_t power, uint8_t charge);
// The messages themselves, as the hub puts them on the wire.
constexpr int32_t CONNECT_MESSAGE_LENGTH = 31;
constexpr int32_t DISCONNECT_MESSAGE_LENGTH = 19;
constexpr int32_t HIT_MESSAGE_LENGTH = 6;
void connect_message(int32_t pad, const char* mac, uint8_t (&out)[CONNECT_MESSAGE_LENGTH]);
void disconnect_message(int32_t pad, uint8_t (&out)[DISCONNECT_MESSAGE_LENGTH]);
void hit_message(int32_t pad, uint8_t power, uint8_t charge, uint8_t (&out)[HIT_MESSAGE_LENGTH]);
// Any bytes in one write, once gap_ms have passed since the last: several messages in one
// call go out back to back.
bool hub_send(VirtualHub& hub, const uint8_t* bytes, int32_t count);
// The same, as USB packets may bring them: in pieces of 1 byte or more, with pauses of 0 to
// max_pause_us between them, drawn from seed.
bool hub_send_in_chunks(VirtualHub& hub, const uint8_t* bytes, int32_t count, uint32_t seed,
                        uint32_t max_pause_us);

// A port layer that finds the hub while it is plugged in and opens its terminal; configure,
// probe, read and close are the real POSIX ones. hub must outlive every thread using it.
SerialPortLayer virtual_hub_port(VirtualHub& hub);

// Milliseconds of a monotonic clock.
uint64_t monotonic_ms();
