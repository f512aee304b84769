// Screen 13: the prospectors. Two prospectors strike a rock pillar full of gems; every hit of a
// player's pad is one pickaxe stroke that knocks out pebbles and one gem whose value grows with
// the hit's power. When the dynamite's clock runs out the rock bursts and the richer one wins.
#pragma once

#include <cstdint>
#include <vector>

#include "games/match.h"
#include "ui/clock_fields.h"

enum GemKind : int32_t { GEM_PEBBLE = 0, GEM_EMERALD = 1, GEM_DIAMOND = 2, GEM_NUGGET = 3 };

struct Gem {
  int32_t kind = GEM_PEBBLE;
  int32_t heading = 0;  // 1 flies right, 0 left
  float start_x = 0.0f, start_y = 0.0f;  // centre when made
  float vx = 0.0f, vy = 0.0f;            // layout units per second
  float angle = 0.0f;                    // degrees
  float spin = 0.0f;                     // degrees per second
  float x = 0.0f, y = 0.0f, width = 0.0f, height = 0.0f;  // where it is drawn
  float age = 0.0f;                                       // seconds since it was made
};

constexpr float DYNAMITE_SECONDS = 180.0f;

struct ProspectorsGame {
  MatchState match;
  int32_t left_score = 0, right_score = 0;
  int32_t left_emeralds = 0, left_diamonds = 0, left_nuggets = 0;
  int32_t right_emeralds = 0, right_diamonds = 0, right_nuggets = 0;
  float left_swing = 0.0f;  // seconds into the prospector's stroke; 0 at rest
  float right_swing = 0.0f;
  std::vector<Gem> gems;    // stones and gems in flight, in the order they were made
  float time_left = DYNAMITE_SECONDS;  // on the dynamite's clock
  ClockReading shown{3, 0, 0};  // time_left as shown
};

extern const GameDef prospectors_game;
