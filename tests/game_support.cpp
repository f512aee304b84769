#include "tests/game_support.h"

#include <gtest/gtest.h>

#include "app/window.h"
#include "tests/support.h"

GameRig::GameRig(int width, int height)
    : display{nullptr, width, height, display_unit(height)}, layout(layout_at(width, height)) {}

void GameRig::connect_two_pads() {
  for (int32_t k = 0; k < PAD_COUNT; ++k) {
    link.pads[k].connected = k < 2 ? 1 : 0;
    for (int32_t i = 0; i < 12; ++i) link.pads[k].mac[i] = "00000000PAD"[i < 11 ? i : 10];
    link.pads[k].mac[11] = (char)('1' + k);
  }
}

void GameRig::hit(int32_t pad, uint8_t power) { link.pads[pad - 1].hit[3] = power; }

void GameRig::frame(const GameDef& game, void* record, float dt) {
  clock.dt = dt;
  MatchState& match = game.match(record);
  match_poll(game, record, match, context);
  match_start_music(game, match, sounds);
  game.update(record, context);
  match_countdown(game, match, dt, sounds);
  if (game.after_draw) game.after_draw(record, context);
}

void GameRig::start(const GameDef& game, void* record) {
  MatchState& match = game.match(record);
  match.countdown_active = 1;
  for (int32_t i = 0; i < 400 && match.playing == 0; ++i) frame(game, record);
  ASSERT_EQ(match.playing, 1);
}
