// Screen 10: the monster-truck tug of war.
#pragma once

#include "games/match.h"

struct MonsterTrucksGame {
  MatchState match;
};

extern const struct GameDef monster_trucks_game;
