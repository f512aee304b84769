// Screen 13: the prospectors.
#pragma once

#include "games/match.h"

struct ProspectorsGame {
  MatchState match;
};

extern const struct GameDef prospectors_game;
