#include "games/games.h"

const GameEntry game_entries[] = {
    {&monster_trucks_game, [](GameRecords& g) -> void* { return &g.monster_trucks; }},
    {&tanks_game, [](GameRecords& g) -> void* { return &g.tanks; }},
    {&duck_hunt_game, [](GameRecords& g) -> void* { return &g.duck_hunt; }},
    {&prospectors_game, [](GameRecords& g) -> void* { return &g.prospectors; }},
};
const int32_t GAME_COUNT = (int32_t)(sizeof game_entries / sizeof game_entries[0]);

const GameEntry* game_entry(int32_t screen) {
  for (const GameEntry& e : game_entries)
    if (e.def->screen == screen) return &e;
  return nullptr;
}

const GameDef* game_for_screen(int32_t screen) {
  const GameEntry* e = game_entry(screen);
  return e ? e->def : nullptr;
}

namespace {

// The game the current screen names, its record and its match.
struct GameTurn {
  const GameDef& game;
  void* record;
  MatchState& match;
};
GameTurn game_turn(void* games, const ScreenContext& c) {
  const GameEntry& e = *game_entry(c.app.screen);
  void* record = e.record(*(GameRecords*)games);
  return GameTurn{*e.def, record, e.def->match(record)};
}

void reset(void* games, ScreenContext& c) {
  for (const GameEntry& e : game_entries) {
    void* record = e.record(*(GameRecords*)games);
    e.def->reset(record, c);
    match_init(e.def->match(record));
  }
}
void update(void* games, ScreenContext& c) {
  c.app.music_started = 1;  // the game owns the music while it runs
  GameTurn g = game_turn(games, c);
  match_rules(g.game, g.record, g.match, c);
}
void draw(const void* games, ScreenContext& c) {
  GameTurn g = game_turn(const_cast<void*>(games), c);
  g.game.draw(g.record, c);
  draw_match_hud(g.game, g.record, g.match, c);
}
void after_draw(void* games, ScreenContext& c) {
  GameTurn g = game_turn(games, c);
  if (g.game.after_draw) g.game.after_draw(g.record, c);
}
void key(void* games, ScreenContext& c, int32_t scancode) {
  GameTurn g = game_turn(games, c);
  match_key(g.game, g.record, g.match, c, scancode);
}
void click(void* games, ScreenContext& c) {
  GameTurn g = game_turn(games, c);
  match_click(g.game, g.record, g.match, c);
}

}  // namespace

const ScreenDef game_screen = {
    .back = SCREEN_COMPETITION_MENU,
    .backdrop = false,
    .reset = reset,
    .update = update,
    .draw = draw,
    .after_draw = after_draw,
    .key = key,
    .click = click,
};
