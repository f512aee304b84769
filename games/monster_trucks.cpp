#include "games/monster_trucks.h"

#include "games/games.h"

namespace {

MonsterTrucksGame& game_of(void* record) { return *(MonsterTrucksGame*)record; }

void reset(void* record, GameContext&) { match_reset(game_of(record).match); }
void hit(void*, Side, int32_t, GameContext&) {}
void update(void*, GameContext&) {}
void draw(const void*, GameContext&) {}

}  // namespace

const GameDef monster_trucks_game = {
    SCREEN_MONSTER_TRUCKS,
    &SoundBank::monsters_background,
    60, 10,
    [](GameRecords& games) -> void* { return &games.monster_trucks; },
    [](void* record) -> MatchState& { return game_of(record).match; },
    reset, hit, update, draw, nullptr, nullptr,
};
