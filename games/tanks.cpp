#include "games/tanks.h"

#include "games/games.h"

namespace {

TanksGame& game_of(void* record) { return *(TanksGame*)record; }

void reset(void* record, GameContext&) { match_reset(game_of(record).match); }
void hit(void*, Side, int32_t, GameContext&) {}
void update(void*, GameContext&) {}
void draw(const void*, GameContext&) {}

}  // namespace

const GameDef tanks_game = {
    SCREEN_TANKS,
    &SoundBank::tanks_background,
    80, 20,
    [](GameRecords& games) -> void* { return &games.tanks; },
    [](void* record) -> MatchState& { return game_of(record).match; },
    reset, hit, update, draw, nullptr, nullptr,
};
