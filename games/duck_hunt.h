// Screen 12: the duck hunt.
#pragma once

#include "games/match.h"

struct DuckHuntGame {
  MatchState match;
};

extern const struct GameDef duck_hunt_game;
