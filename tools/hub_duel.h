// Two players striking at once, through the real sensor link and a virtual hub: each pad hits
// at random about three times a second, the two often within a few milliseconds of each other,
// some pairs back to back in one write, some messages in USB-sized pieces. A consumer takes
// hits as the screens do, once a frame; every hit sent must be taken, once and in order.
#pragma once

#include <cstdint>

struct DuelConfig {
  int32_t hits = 200;              // in all, over both pads
  uint32_t seed = 1;
  uint32_t max_chunk_pause_us = 3000;  // between the pieces of a chunked message
};

struct DuelResult {
  int32_t sent = 0;
  int32_t taken = 0;
  int32_t out_of_order = 0;  // a hit taken that was not the next one its pad sent
  int32_t back_to_back = 0;  // writes holding both pads' hits
  int32_t chunked = 0;       // messages written in pieces
  int32_t close_pairs = 0;   // hits of the two pads less than MESSAGE_GAP_MS apart
  int64_t unsplit_reads = 0;
  // Hits this machine's scheduler lost before the link could see them whole: messages whose
  // pieces it held apart for the message gap or more, and hits of consumer rounds that came
  // later than a hit may wait.
  int32_t broken_messages = 0;
  int32_t late_rounds = 0;
  double seconds = 0.0;
};

// Runs one duel on a fresh terminal; false when the hub or the link could not start.
bool run_duel(const DuelConfig& config, DuelResult& result);
