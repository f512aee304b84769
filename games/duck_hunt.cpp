#include "games/duck_hunt.h"

#include "games/games.h"

namespace {

DuckHuntGame& game_of(void* record) { return *(DuckHuntGame*)record; }

void reset(void* record, GameContext&) { match_reset(game_of(record).match); }
void hit(void*, Side, int32_t, GameContext&) {}
void update(void*, GameContext&) {}
void draw(const void*, GameContext&) {}

}  // namespace

const GameDef duck_hunt_game = {
    SCREEN_DUCK_HUNT,
    &SoundBank::ducks_background,
    98, 20,
    [](GameRecords& games) -> void* { return &games.duck_hunt; },
    [](void* record) -> MatchState& { return game_of(record).match; },
    reset, hit, update, draw, nullptr, nullptr,
};
