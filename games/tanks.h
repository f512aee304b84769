// Screen 11: the tank duel. Every hit fires one shell, whatever its power; the shells crack,
// split and shatter three logs in turn (15, 24 and 36 shells), and the first player whose
// 75th shell lands wins.
#pragma once

#include <cstdint>

#include "games/match.h"

enum : int32_t { TANK_SHELLS = 75 };

struct TankShell {
  int32_t fired = 0;   // 1 once shot
  int32_t landed = 0;  // 1 once it reached its log
};

struct TankBlast {
  int32_t frame = 0;  // picture 0-6 while shown; 7 once over
  int32_t active = 0;
  float tick = 0.0f;  // seconds since the last step
};

// One player's shells in firing order and the blast each makes where it lands.
struct TankSide {
  int32_t landed = 0;
  TankShell shells[TANK_SHELLS];
  TankBlast blasts[TANK_SHELLS];
};

struct TanksGame {
  MatchState match;
  float shell_speed = 0.0f;  // pixels per second: ten units
  TankSide left;   // the yellow tank
  TankSide right;  // the grey tank
};

// The picture one row of logs shows once a player's `landed` shells are down: 0 whole,
// 1 cracked, 2 splitting, 3 shattered. Row 0 lies nearest the tanks.
int32_t tank_log_state(int32_t row, int32_t landed);

extern const GameDef tanks_game;
