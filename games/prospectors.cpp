#include "games/prospectors.h"

#include "games/games.h"

namespace {

ProspectorsGame& game_of(void* record) { return *(ProspectorsGame*)record; }

void reset(void* record, GameContext&) { match_reset(game_of(record).match); }
void hit(void*, Side, int32_t, GameContext&) {}
void update(void*, GameContext&) {}
void draw(const void*, GameContext&) {}

}  // namespace

const GameDef prospectors_game = {
    SCREEN_PROSPECTORS,
    &SoundBank::crafters_background,
    78, 20,
    [](GameRecords& games) -> void* { return &games.prospectors; },
    [](void* record) -> MatchState& { return game_of(record).match; },
    reset, hit, update, draw, nullptr, nullptr,
};
