// Screen 10: the monster-truck tug of war. Every hit adds four times its power to the
// player's score; the whole scene slides with the score difference, and a lead of more than
// 19200 wins at once, else the better score when the 180-second clock runs out.
#pragma once

#include <cstdint>

#include "games/match.h"
#include "ui/clock_fields.h"

// One truck's two animations after a hit: shaking wheels and flying mud.
struct TruckAnimation {
  int32_t shake = 0;        // 1 while the wheels shake
  float shake_tick = 0.0f;  // seconds since the last flip
  float shake_time = 0.0f;  // seconds since the shake began
  int32_t shake_phase = 0;  // 0 or 1: which wheel pictures show while shaking
  int32_t splash = 0;       // 1 while mud flies
  float splash_tick = 0.0f;  // seconds since the last step
  float splash_time = 0.0f;  // seconds since the splash began
  int32_t splash_a = 1;  // frames 0-2 of two of the mud spots
  int32_t splash_b = 0;
  int32_t splash_c = 0;  // frames 0-1 of the other two
  int32_t splash_d = 1;
};

struct MonsterTrucksGame {
  MatchState match;
  float time_left = 180.0f;  // on the game clock
  ClockReading shown{3, 0, 0};  // time_left as shown
  int32_t left_score = 0;
  int32_t right_score = 0;
  TruckAnimation left;  // the blue truck
  TruckAnimation right;  // the orange truck
};

extern const GameDef monster_trucks_game;
