// Screen 12: the duck hunt. Ducks cross the meadow on straight lines through the screen centre,
// growing towards it and shrinking after; every hit of a player's pad fires a shot from that
// player's hunter, and a duck that is hit scores for its own colour, whoever shot it.
#pragma once

#include <cstdint>
#include <vector>

#include "games/match.h"

struct Duck {
  int32_t heading = 0;  // 0 enters at the left edge and flies right, 1 the other way
  int32_t owner = 0;    // 1 blue (a point for the left player), 0 red (for the right one)
  float draw_x = 0.0f, draw_y = 0.0f, width = 0.0f, height = 0.0f;  // where the picture goes
  float start_y = 0.0f;
  float x = 0.0f, y = 0.0f;     // centre
  float speed = 0.0f;           // pixels per second
  float flap_clock = 0.0f;      // seconds into the current wing beat
  int32_t wing = 0;             // wing picture 1-3 shown this frame; 0 between two beats
};

struct Shot {
  int32_t shooter = 0;  // 0 the left hunter, 1 the right one
  float x = 0.0f, y = 0.0f, width = 0.0f, height = 0.0f;
  float vx = 0.0f, vy = 0.0f;  // pixels per second, both positive: up and away from the shooter
};

struct FeatherBurst {
  float x = 0.0f, y = 0.0f, width = 0.0f, height = 0.0f;
  float age = 0.0f;  // seconds
};

enum : int32_t {
  OWNER_PATTERN_SIZE = 1000,
  OWNER_BLOCK = 10,  // every block of this many ducks holds as many blue as red ones
};

struct DuckHuntGame {
  MatchState match;
  int32_t owner_pattern[OWNER_PATTERN_SIZE] = {};  // colour of successive ducks: 1 blue, 0 red
  int32_t pattern_index = 0;                       // next entry to use
  int32_t left_score = 0;                          // blue ducks hit
  int32_t right_score = 0;                         // red ducks hit
  float left_recoil = 0.0f;  // seconds into the hunter's recoil; 0 at rest
  float right_recoil = 0.0f;
  float spawn_interval = 2.0f;  // seconds between ducks, and the wing-beat period
  float spawn_clock = 0.0f;     // seconds since the last spawn step
  int32_t spawning_over = 0;    // 1 once the interval has reached its floor
  int32_t deciding_ducks = 0;   // sent one at a time on equal scores after the last duck
  std::vector<Duck> ducks;      // in spawn order
  std::vector<Shot> shots;      // in firing order
  std::vector<FeatherBurst> feathers;
};

// The ducks the spawn steps will still send, the deciding ducks of a tie not counted.
int32_t ducks_to_come(const DuckHuntGame& g);

extern const GameDef duck_hunt_game;
