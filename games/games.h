// The four games as data: one row each, read by the screen table's one game adapter. A new
// game is one file pair and one row here.
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

struct GameDef {
  int32_t screen;
  Mix_Music* SoundBank::*music;
  int32_t music_volume;      // at the start and after the countdown
  int32_t countdown_volume;  // during the countdown
  void* (*record)(GameRecords& games);
  MatchState& (*match)(void* record);
  // The game's full reset (its own fields and match_reset).
  void (*reset)(void* record, GameContext& context);
  // One player's hit of power > 0 while playing.
  void (*hit)(void* record, Side side, int32_t power, GameContext& context);
  // The game's own rules, between the music start and the countdown.
  void (*update)(void* record, GameContext& context);
  // The scene under the heads-up layer; reads state only.
  void (*draw)(const void* record, GameContext& context);
  // State the drawing sequence advances (animation ages), run right after the draw; may be null.
  void (*after_draw)(void* record, GameContext& context);
  // Drawn between the game-over shade and the medals; may be null.
  void (*draw_over)(const void* record, GameContext& context);
};

// One row per game, in screen order.
extern const GameDef* const game_defs[];
extern const int32_t GAME_COUNT;

// The row of a game screen id; null for any other screen.
const GameDef* game_for_screen(int32_t screen);
// Start-up: every game's reset, then its countdown fields cleared.
void init_games(GameRecords& games, GameContext& context);
