// The four games as data: the registry binds each game's row to its record, and one screen row
// runs them all through the match. A new game is one file pair, one record here and one row.
#pragma once

#include <cstdint>

#include "games/duck_hunt.h"
#include "games/match.h"
#include "games/monster_trucks.h"
#include "games/prospectors.h"
#include "games/tanks.h"

// The game records main owns for the run.
struct GameRecords {
  MonsterTrucksGame monster_trucks;
  TanksGame tanks;
  DuckHuntGame duck_hunt;
  ProspectorsGame prospectors;
};

struct GameEntry {
  const GameDef* def;
  void* (*record)(GameRecords& games);
};

// One row per game, in screen order.
extern const GameEntry game_entries[];
extern const int32_t GAME_COUNT;

// The entry of a game screen id; null for any other screen.
const GameEntry* game_entry(int32_t screen);
// The row of a game screen id; null for any other screen.
const GameDef* game_for_screen(int32_t screen);

// The screen row every game shares; its record is the GameRecords, and the game is the one
// the current screen id names. Its reset is every game's, with the countdown fields cleared.
extern const ScreenDef game_screen;
