// The two-player match every game runs: pad assignment over frames, hit intake, the start
// countdown, buttons and keys, and the medals. Driven through a recording game, no renderer.
#include <gtest/gtest.h>

#include <string>

#include "games/games.h"
#include "link/sensor_link.h"
#include "tests/support.h"

namespace {

struct RecordingGame {
  MatchState match;
  std::string log;  // "L200 R15 reset "
};

RecordingGame& rec(void* r) { return *(RecordingGame*)r; }

const GameDef recording_def = {
    SCREEN_TANKS,
    &SoundBank::tanks_background,
    80,
    20,
    [](GameRecords&) -> void* { return nullptr; },
    [](void* r) -> MatchState& { return rec(r).match; },
    [](void* r, GameContext&) {
      match_reset(rec(r).match);
      rec(r).log += "reset ";
    },
    [](void* r, Side side, int32_t power, GameContext&) {
      rec(r).log += (side == SIDE_LEFT ? "L" : "R") + std::to_string(power) + " ";
    },
    [](void*, GameContext&) {},
    [](const void*, GameContext&) {},
    nullptr,
    nullptr,
};

class Match : public ::testing::Test {
 protected:
  void SetUp() override { layout = layout_at(1920, 1080); }

  void connect(const char* flags) {
    for (int k = 0; k < 4; ++k) {
      link.pads[k].connected = flags[k] == '1';
      for (int i = 0; i < 12; ++i) link.pads[k].mac[i] = "00000000PAD"[i < 11 ? i : 10];
      link.pads[k].mac[11] = '1' + k;
    }
  }
  void hit(int pad, uint8_t power) { link.pads[pad - 1].hit[3] = power; }
  void poll() { match_poll(recording_def, &game, game.match, context); }
  void frame(float dt = 0.016f) {
    poll();
    match_start_music(recording_def, game.match, sounds);
    match_countdown(recording_def, game.match, dt, sounds);
  }
  void click(const SDL_FRect& r) {
    pointer.event_x = (int)(r.x + r.w / 2);
    pointer.event_y = (int)(r.y + r.h / 2);
    match_click(recording_def, &game, game.match, context);
  }
  void click(const SDL_Rect& r) { click(SDL_FRect{(float)r.x, (float)r.y, (float)r.w, (float)r.h}); }
  void play() {
    game.match.playing = 1;
  }

  SensorLink link;
  RecordingGame game;
  FrameClock clock;
  Display display{nullptr, 1920, 1080, 27.0f};
  Palette palette;
  SoundBank sounds;
  TextureCatalog textures;
  LayoutTable layout;
  FontSet fonts;
  AppState app;
  PointerState pointer;
  GameContext context{clock, display, palette, sounds, textures, layout, fonts, app, pointer, &link};
};

TEST_F(Match, PadsAreAssignedFrameByFrame) {
  // One row per frame: the connected flags, then the left and right pads after the poll.
  const struct {
    const char* flags;
    int32_t left, right;
  } frames[] = {
      {"0000", 0, 0},
      {"0101", 2, 4},  // pads 2 and 4: left gets 2, right 4
      {"0101", 2, 4},
      {"0001", 0, 4},  // the left pad goes: cleared this frame, right stays
      {"0001", 0, 4},  // no free pad for the left player
      {"1001", 1, 4},  // the lowest free one is chosen
      {"1000", 1, 0},  // the right pad goes
      {"1000", 1, 0},
      {"0000", 0, 0},
      {"0010", 3, 0},  // only one pad: the right player has none
      {"0011", 3, 4},
      {"1000", 0, 0},  // both gone: the left one clears the right one too
      {"1000", 1, 0},
  };
  for (const auto& f : frames) {
    connect(f.flags);
    poll();
    EXPECT_EQ(game.match.left_pad, f.left) << f.flags;
    EXPECT_EQ(game.match.right_pad, f.right) << f.flags;
  }
}

TEST_F(Match, AHitStartsTheCountdownAndHitsDuringItAreLost) {
  connect("1100");
  hit(2, 90);
  frame();
  EXPECT_EQ(game.match.countdown_active, 1);
  EXPECT_STREQ(game.match.right_label, "PAD2");
  EXPECT_EQ(link.pads[1].hit[3], 0) << "consumed";
  EXPECT_EQ(game.log, "");

  for (int digit_frames = 0; game.match.playing == 0; ++digit_frames) {
    hit(1, 200);
    frame();
    ASSERT_LT(digit_frames, 400);
  }
  EXPECT_EQ(game.log, "") << "no hit of the countdown counts";
  EXPECT_EQ(game.match.countdown_active, 0);
  EXPECT_EQ(game.match.countdown_digit, 0);

  hit(1, 200);
  hit(2, 15);
  hit(3, 7);  // not assigned: cleared once playing
  frame();
  EXPECT_EQ(game.log, "L200 R15 ");
  for (const PadSlot& s : link.pads) EXPECT_EQ(s.hit[3], 0);

  game.match.game_over = 1;
  hit(1, 50);
  frame();
  EXPECT_EQ(game.log, "L200 R15 ") << "after the game is over hits do nothing";
  EXPECT_EQ(link.pads[0].hit[3], 0);
}

TEST_F(Match, OnePadAloneCannotStartOrScore) {
  connect("0100");
  hit(2, 100);
  frame();
  EXPECT_EQ(game.match.countdown_active, 0);
  EXPECT_EQ(link.pads[1].hit[3], 100) << "not read without two players";
}

TEST_F(Match, TheLabelClickStepsThePadChoice) {
  const struct {
    const char* flags;
    int32_t left, right;  // before the click on the left label
    int32_t left_after;
  } steps[] = {
      {"1111", 1, 3, 2}, {"1111", 1, 2, 3}, {"0101", 2, 4, 1}, {"1100", 0, 0, 2},
      {"1000", 0, 0, 0}, {"1011", 4, 3, 1}, {"1011", 1, 3, 4}, {"0110", 3, 2, 3},
      {"0011", 4, 3, 4},
  };
  for (const auto& s : steps) {
    for (int k = 0; k < 4; ++k) game.match.pad_connected[k] = s.flags[k] == '1';
    game.match.left_pad = s.left;
    game.match.right_pad = s.right;
    click(layout.playerLabelLeftRect);
    EXPECT_EQ(game.match.left_pad, s.left_after) << s.flags << " from " << s.left;
    EXPECT_EQ(game.match.right_pad, s.right);
  }
}

TEST_F(Match, ButtonsAndKeysAreRefusedDuringTheCountdown) {
  game.match.countdown_active = 1;
  click(layout.closeButtonRect);
  click(layout.backButtonRect);
  click(layout.repeatButtonRect);
  for (int32_t key : {KEY_ESCAPE, KEY_DELETE, KEY_SPACE})
    match_key(recording_def, &game, game.match, context, key);
  EXPECT_EQ(app.running, 1);
  EXPECT_EQ(app.screen, SCREEN_INTRO);
  EXPECT_EQ(game.log, "");

  game.match.countdown_active = 0;
  play();
  match_key(recording_def, &game, game.match, context, KEY_SPACE);
  EXPECT_EQ(game.match.countdown_active, 0) << "no second start while playing";
  match_key(recording_def, &game, game.match, context, KEY_DELETE);
  EXPECT_EQ(game.log, "reset ");
  EXPECT_EQ(game.match.playing, 0);
  match_key(recording_def, &game, game.match, context, KEY_SPACE);
  EXPECT_EQ(game.match.countdown_active, 1);
  game.match.countdown_active = 0;

  app.music_started = 0;
  click(layout.backButtonRect);
  EXPECT_EQ(app.screen, SCREEN_COMPETITION_MENU);
  EXPECT_EQ(app.music_started, 1);
  EXPECT_EQ(game.log, "reset reset ");
  click(layout.closeButtonRect);
  EXPECT_EQ(app.running, 0);
}

TEST_F(Match, MedalsGoToTheWinnersSide) {
  place_medals(layout, display, SIDE_LEFT);
  EXPECT_FLOAT_EQ(layout.medalGoldRect.x, 960.0f - 30.0f * 27.0f);
  EXPECT_FLOAT_EQ(layout.medalSilverRect.x, 960.0f + 15.0f * 27.0f);
  place_medals(layout, display, SIDE_RIGHT);
  EXPECT_FLOAT_EQ(layout.medalSilverRect.x, 960.0f - 30.0f * 27.0f);
  EXPECT_FLOAT_EQ(layout.medalGoldRect.x, 960.0f + 15.0f * 27.0f);
}

TEST_F(Match, EveryGameScreenHasOneRowAndStartsIdle) {
  GameRecords games;
  for (int32_t s = SCREEN_INTRO; s < SCREEN_COUNT; ++s) {
    bool game = s >= SCREEN_MONSTER_TRUCKS;
    ASSERT_EQ(game_for_screen(s) != nullptr, game) << s;
  }
  init_games(games, context);
  for (int32_t i = 0; i < GAME_COUNT; ++i) {
    const MatchState& m = game_defs[i]->match(game_defs[i]->record(games));
    EXPECT_EQ(m.playing + m.countdown_active + m.game_over + m.left_pad + m.right_pad, 0);
  }
}

}  // namespace
