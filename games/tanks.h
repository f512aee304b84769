// Screen 11: the tank duel.
#pragma once

#include "games/match.h"

struct TanksGame {
  MatchState match;
};

extern const struct GameDef tanks_game;
