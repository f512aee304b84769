#include "games/games.h"

const GameDef* const game_defs[] = {
    &monster_trucks_game,
    &tanks_game,
    &duck_hunt_game,
    &prospectors_game,
};
const int32_t GAME_COUNT = (int32_t)(sizeof game_defs / sizeof game_defs[0]);

const GameDef* game_for_screen(int32_t screen) {
  for (const GameDef* game : game_defs)
    if (game->screen == screen) return game;
  return nullptr;
}

void init_games(GameRecords& games, GameContext& context) {
  for (const GameDef* game : game_defs) {
    void* record = game->record(games);
    game->reset(record, context);
    match_init(game->match(record));
  }
}
