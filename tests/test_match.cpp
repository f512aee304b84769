// The two-player match every game runs: pad assignment over frames, hit intake, the start
// countdown, buttons and keys, the medals, the music and the heads-up layer. Driven through a
// recording game.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "games/games.h"
#include "link/sensor_link.h"
#include "tests/game_support.h"

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
    [](void* r) -> MatchState& { return rec(r).match; },
    [](void* r, ScreenContext&) {
      match_reset(rec(r).match);
      rec(r).log += "reset ";
    },
    [](void* r, Side side, int32_t power, ScreenContext&) {
      rec(r).log += (side == SIDE_LEFT ? "L" : "R") + std::to_string(power) + " ";
    },
    [](void*, ScreenContext&) {},
    [](const void*, ScreenContext&) {},
    nullptr,
    nullptr,
};

class Match : public ::testing::Test, public GameRig {
 protected:
  void poll() { match_poll(recording_def, &game, game.match, context); }
  void frame(float dt = 0.016f) { GameRig::frame(recording_def, &game, dt); }
  void click(const SDL_FRect& r) {
    pointer.event_x = (int)(r.x + r.w / 2);
    pointer.event_y = (int)(r.y + r.h / 2);
    match_click(recording_def, &game, game.match, context);
  }
  void click(const SDL_Rect& r) { click(SDL_FRect{(float)r.x, (float)r.y, (float)r.w, (float)r.h}); }
  void key(int32_t scancode) { match_key(recording_def, &game, game.match, context, scancode); }

  RecordingGame game;
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
      {"1100", 1, 2},
      {"0110", 0, 2},  // the left pad goes while pad 3 is free: chosen only the next frame
      {"0110", 3, 2},
      {"0100", 0, 2},
      {"1100", 1, 2},
      {"1000", 1, 0},
      {"0100", 0, 2},  // the left pad goes with nobody on the right: the right player takes pad 2
      {"0100", 0, 2},  // and keeps it; the left player has none
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
  EXPECT_EQ(game.match.countdown.counting_down, 1);
  EXPECT_STREQ(game.match.right_label, "PAD2");
  EXPECT_EQ(link.pads[1].hit[3], 0) << "consumed";
  EXPECT_EQ(game.log, "");

  for (int digit_frames = 0; game.match.playing == 0; ++digit_frames) {
    hit(1, 200);
    frame();
    ASSERT_LT(digit_frames, 400);
  }
  EXPECT_EQ(game.log, "") << "no hit of the countdown counts";
  EXPECT_EQ(game.match.countdown.counting_down, 0);
  EXPECT_EQ(game.match.countdown.countdown_digit, 0);

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
  key(KEY_DELETE);
  EXPECT_EQ(game.match.playing, 0);
  hit(1, 50);
  frame();
  EXPECT_EQ(game.match.countdown.counting_down, 1) << "after the restart a hit starts the next game";
}

// A hit nobody took within its time neither starts a game nor scores: the left player's old
// strike while the right pad was away stays unscored when the pad comes back.
TEST_F(Match, AStaleHitNeitherStartsNorScores) {
  connect("1100");
  link.pads[0].hit[3] = 90;
  link.pads[0].hit_ms = port_clock_ms() - STALE_HIT_MS - 50.0;
  frame();
  EXPECT_EQ(game.match.countdown.counting_down, 0) << "an old hit does not start the countdown";
  EXPECT_EQ(link.pads[0].hit[3], 0) << "it is gone all the same";

  start_playing(recording_def, &game);
  connect("1000");  // the right pad goes away...
  frame();
  link.pads[0].hit[3] = 200;
  link.pads[0].hit_ms = port_clock_ms();
  usleep((useconds_t)((STALE_HIT_MS + 30.0) * 1000.0));
  connect("1100");  // ...and comes back after the left player's hit grew old
  frame();
  frame();
  EXPECT_EQ(game.log, "");
  hit(1, 120);
  frame();
  EXPECT_EQ(game.log, "L120 ") << "a fresh hit scores";
}

TEST_F(Match, OnePadAloneCannotStartOrScore) {
  connect("0100");
  hit(2, 100);
  frame();
  EXPECT_EQ(game.match.countdown.counting_down, 0);
  EXPECT_EQ(game.match.left_pad, 2);
  EXPECT_EQ(game.match.right_pad, 0);
  EXPECT_EQ(link.pads[1].hit[3], 100) << "not read without two players";
  key(KEY_SPACE);  // the game can still be started by hand, but no hit counts
  for (int i = 0; i < 200; ++i) frame();
  ASSERT_EQ(game.match.playing, 1);
  frame();
  EXPECT_EQ(game.log, "");
}

TEST_F(Match, TheCountdownShowsThreeTwoOneAndPlayBeginsAtThreeSeconds) {
  key(KEY_SPACE);
  ASSERT_EQ(game.match.countdown.counting_down, 1);
  // Quarter seconds add up exactly: the frame that reaches 3 s starts the play.
  const int32_t digits[] = {3, 3, 3, 2, 2, 2, 2, 1, 1, 1, 1};
  for (int32_t digit : digits) {
    frame(0.25f);
    EXPECT_EQ(game.match.countdown.countdown_digit, digit) << game.match.countdown.countdown_time;
    EXPECT_EQ(game.match.playing, 0);
  }
  frame(0.25f);
  EXPECT_EQ(game.match.playing, 1);
  EXPECT_EQ(game.match.countdown.counting_down + game.match.countdown.countdown_digit, 0);
  EXPECT_EQ(game.match.countdown.countdown_time, 0.0f);
}

TEST_F(Match, TheLabelClickStepsThePadChoice) {
  const struct {
    const char* flags;
    int32_t left, right;  // before the click on the left label
    int32_t left_after;
  } steps[] = {
      {"1111", 1, 3, 2}, {"1111", 1, 2, 3},  // the next pad is the right player's: the one after
      {"0101", 2, 4, 1},  // ... taken even though pad 1 is not connected
      {"1100", 0, 0, 2},  {"1000", 0, 0, 0}, {"0001", 0, 4, 1}, {"1011", 4, 3, 1},
      {"1011", 1, 3, 4}, {"0110", 3, 2, 3},  // no other connected pad: it stays
      {"0011", 4, 3, 4},  // the one after the right player's pad is this one: nothing changes
  };
  for (const auto& s : steps) {
    for (int k = 0; k < 4; ++k) game.match.pad_connected[k] = s.flags[k] == '1';
    game.match.left_pad = s.left;
    game.match.right_pad = s.right;
    click(layout.playerLabelLeftRect);
    EXPECT_EQ(game.match.left_pad, s.left_after) << s.flags << " from " << s.left;
    EXPECT_EQ(game.match.right_pad, s.right);
  }
  // The right label steps the right player the same way.
  for (int k = 0; k < 4; ++k) game.match.pad_connected[k] = 1;
  game.match.left_pad = 4;
  game.match.right_pad = 3;
  click(layout.playerLabelRightRect);
  EXPECT_EQ(game.match.right_pad, 1);
  EXPECT_EQ(game.match.left_pad, 4);
  // While playing the labels do not step.
  game.match.playing = 1;
  click(layout.playerLabelRightRect);
  click(layout.playerLabelLeftRect);
  EXPECT_EQ(game.match.right_pad, 1);
  EXPECT_EQ(game.match.left_pad, 4);
}

TEST_F(Match, ButtonsAndKeysAreRefusedDuringTheCountdown) {
  game.match.countdown.counting_down = 1;
  game.match.pad_connected[0] = game.match.pad_connected[1] = game.match.pad_connected[2] = 1;
  game.match.left_pad = 1;
  game.match.right_pad = 2;
  for (const SDL_FRect& r : {layout.closeButtonRect, layout.backButtonRect, layout.repeatButtonRect,
                             layout.playButtonRect})
    click(r);
  click(layout.playerLabelLeftRect);
  click(layout.playerLabelRightRect);
  for (int32_t k : {KEY_ESCAPE, KEY_DELETE, KEY_SPACE}) key(k);
  EXPECT_EQ(app.running, 1);
  EXPECT_EQ(app.screen, SCREEN_INTRO);
  EXPECT_EQ(game.log, "");
  EXPECT_EQ(game.match.left_pad, 1);
  EXPECT_EQ(game.match.right_pad, 2);
  EXPECT_EQ(game.match.countdown.counting_down, 1);

  game.match.countdown.counting_down = 0;
  game.match.playing = 1;
  key(KEY_SPACE);
  click(layout.playButtonRect);
  EXPECT_EQ(game.match.countdown.counting_down, 0) << "no second start while playing";
  key(KEY_DELETE);
  EXPECT_EQ(game.log, "reset ");
  EXPECT_EQ(game.match.playing, 0);
  key(KEY_SPACE);
  EXPECT_EQ(game.match.countdown.counting_down, 1);
  game.match.countdown.counting_down = 0;
  click(layout.repeatButtonRect);
  EXPECT_EQ(game.log, "reset reset ");

  app.music_started = 0;
  click(layout.backButtonRect);
  EXPECT_EQ(app.screen, SCREEN_COMPETITION_MENU);
  EXPECT_EQ(app.music_started, 1);
  EXPECT_EQ(game.log, "reset reset reset ");
  app.screen = SCREEN_TANKS;
  key(KEY_ESCAPE);
  EXPECT_EQ(app.screen, SCREEN_COMPETITION_MENU);
  EXPECT_EQ(game.log, "reset reset reset reset ");
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

TEST_F(Match, EveryGameScreenHasOneRowWithItsStandingAndStartsIdle) {
  GameRecords games;
  for (int32_t s = SCREEN_INTRO; s < SCREEN_COUNT; ++s) {
    bool is_game = s >= SCREEN_MONSTER_TRUCKS;
    ASSERT_EQ(game_for_screen(s) != nullptr, is_game) << s;
  }
  game_screen.reset(&games, context);
  for (int32_t i = 0; i < GAME_COUNT; ++i) {
    const MatchState& m = game_entries[i].def->match(game_entries[i].record(games));
    EXPECT_EQ(m.playing + m.countdown.counting_down + m.game_over + m.left_pad + m.right_pad, 0);
    EXPECT_TRUE(game_entries[i].def->standing && game_entries[i].def->standing_plates) << i;
  }
}

// The same match with an open (silent) audio device and the game's real music.
class MatchMusic : public Match {
 protected:
  void SetUp() override {
    ASSERT_TRUE(start_sdl_dummy());
    ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 2048), 0) << Mix_GetError();
    sounds.ready = 1;
    sounds.tanks_background = Mix_LoadMUS(HXM_RUN_DIR "/sound/mp3/tanksBackground.mp3");
    sounds.app_background = Mix_LoadMUS(HXM_RUN_DIR "/sound/mp3/appBackground.mp3");
    ASSERT_NE(sounds.tanks_background, nullptr) << Mix_GetError();
    ASSERT_NE(sounds.app_background, nullptr) << Mix_GetError();
  }
  void TearDown() override {
    stop_all_sounds();
    free_sound_bank(sounds);
    while (Mix_QuerySpec(nullptr, nullptr, nullptr)) Mix_CloseAudio();
    SDL_Quit();
  }
};

TEST_F(MatchMusic, TheCountdownLowersTheMusicAndARestartPlaysItFromItsBeginning) {
  frame();
  EXPECT_EQ(Mix_PlayingMusic(), 1);
  EXPECT_EQ(Mix_VolumeMusic(-1), 80);
  key(KEY_SPACE);
  for (int i = 0; i < 4; ++i) {
    Mix_VolumeMusic(128);
    frame(0.7f);
    EXPECT_EQ(Mix_VolumeMusic(-1), 20) << "every frame of the countdown";
  }
  frame(0.7f);
  EXPECT_EQ(game.match.playing, 1);
  EXPECT_EQ(Mix_VolumeMusic(-1), 80) << "back up as the play begins";
  Mix_VolumeMusic(128);
  frame();
  EXPECT_EQ(Mix_VolumeMusic(-1), 128) << "left alone while playing";

  game.match.game_over = 1;
  ASSERT_EQ(Mix_SetMusicPosition(20.0), 0) << Mix_GetError();
  EXPECT_GT(Mix_GetMusicPosition(sounds.tanks_background), 19.0);
  key(KEY_DELETE);
  EXPECT_EQ(Mix_PlayingMusic(), 0) << "the reset stops all sound";
  frame();
  EXPECT_EQ(Mix_PlayingMusic(), 1);
  EXPECT_LT(Mix_GetMusicPosition(sounds.tanks_background), 1.0) << "from its beginning";
  EXPECT_EQ(Mix_VolumeMusic(-1), 80);

  key(KEY_ESCAPE);
  EXPECT_EQ(Mix_PlayingMusic(), 1);
  EXPECT_EQ(Mix_VolumeMusic(-1), BACKGROUND_MUSIC_VOLUME);
  EXPECT_NEAR(Mix_MusicDuration(nullptr), Mix_MusicDuration(sounds.app_background), 0.05)
      << "the application's music is back";
}

// The heads-up layer over a blank scene: labels, the countdown digit and the medals.
class MatchHud : public Match {
 protected:
  void SetUp() override {
    ASSERT_EQ(chdir(HXM_RUN_DIR), 0);
    ASSERT_TRUE(begin_offscreen(a, 1920, 1080)) << SDL_GetError();
    ASSERT_EQ(load_offscreen(a), 0) << SDL_GetError();
  }
  void TearDown() override { end_offscreen(a); }
  void draw() {
    SDL_SetRenderDrawColor(a.clock.renderer, 40, 90, 160, 255);
    SDL_RenderClear(a.clock.renderer);
    ScreenContext c = offscreen_context(a, app, pointer, sounds, &link, nullptr, SCREEN_COMPETITION_MENU);
    draw_match_hud(recording_def, &game, game.match, c);
  }
  // A picture's colour at a point of its rectangle, drawn alone over the same background.
  SDL_Color reference(SDL_Texture* t, const SDL_FRect& r, int x, int y) {
    SDL_SetRenderDrawColor(a.clock.renderer, 40, 90, 160, 255);
    SDL_RenderClear(a.clock.renderer);
    SDL_RenderCopyF(a.clock.renderer, t, nullptr, &r);
    return offscreen_pixel(a.screen, x, y);
  }
  static bool same(SDL_Color p, SDL_Color q) {
    return abs(p.r - q.r) <= 8 && abs(p.g - q.g) <= 8 && abs(p.b - q.b) <= 8;
  }
  OffscreenAssets a;
};

TEST_F(MatchHud, LabelsCountdownAndMedalsShowTheMatchState) {
  const LayoutTable& l = a.layout;
  auto to_f = [](const SDL_Rect& r) { return SDL_FRect{(float)r.x, (float)r.y, (float)r.w, (float)r.h}; };
  // A point of each label away from the pad's suffix text.
  const SDL_FRect left = to_f(l.playerLabelLeftRect), right = to_f(l.playerLabelRightRect);
  const int lx = (int)(left.x + left.w * 0.15f), ly = (int)(left.y + left.h / 2);
  const int rx = (int)(right.x + right.w * 0.15f), ry = (int)(right.y + right.h / 2);
  const SDL_Color green = reference(a.textures.labelPlayerGreen, left, lx, ly);
  const SDL_Color grey = reference(a.textures.labelPlayerGrey, left, lx, ly);
  ASSERT_FALSE(same(green, grey));
  const SDL_FRect& ring = l.countdownRect;
  const int cx = (int)(ring.x + ring.w / 2), cy = (int)(ring.y + ring.h / 2);
  const SDL_FRect& gold = l.medalGoldRect;
  const int gx = (int)(gold.x + gold.w / 2), gy = (int)(gold.y + gold.h / 2);

  game.match.left_pad = 3;
  strcpy(game.match.left_label, "E5F6");
  draw();
  EXPECT_TRUE(same(offscreen_pixel(a.screen, lx, ly), green));
  EXPECT_TRUE(same(offscreen_pixel(a.screen, rx, ry), grey)) << "no pad on the right";
  const SDL_Color idle_ring = offscreen_pixel(a.screen, cx, cy);
  const SDL_Color idle_gold = offscreen_pixel(a.screen, gx, gy);

  game.match.countdown.counting_down = 1;
  SDL_Color digit[4];
  for (int32_t d = 3; d >= 1; --d) {
    game.match.countdown.countdown_digit = d;
    draw();
    digit[d] = offscreen_pixel(a.screen, cx, cy);
    EXPECT_FALSE(same(digit[d], idle_ring)) << d;
  }
  EXPECT_FALSE(same(digit[3], digit[2]) && same(digit[2], digit[1])) << "each digit its own ring";
  EXPECT_LT(offscreen_pixel(a.screen, lx, ly).g, green.g) << "the countdown shades the labels too";

  game.match = MatchState{};
  game.match.right_pad = 2;
  game.match.game_over = 1;
  draw();
  EXPECT_TRUE(same(offscreen_pixel(a.screen, rx, ry), green)) << "the labels stay over the shade";
  EXPECT_FALSE(same(offscreen_pixel(a.screen, gx, gy), idle_gold)) << "the gold medal is drawn";
}

}  // namespace

// Pixels in r within a few levels of the colour: the inside of a text's strokes.
static int pixels_of_colour(const OffscreenRenderer& o, const SDL_FRect& r, SDL_Color colour) {
  int n = 0;
  for (int y = (int)r.y; y < (int)(r.y + r.h); ++y)
    for (int x = (int)r.x; x < (int)(r.x + r.w); ++x) {
      const SDL_Color p = offscreen_pixel(o, x, y);
      n += abs(p.r - colour.r) <= 4 && abs(p.g - colour.g) <= 4 && abs(p.b - colour.b) <= 4;
    }
  return n;
}

// Every game draws each player's standing on its plates, blue on the left and red on the
// right, and the left one changes when the left player scores while the right one stays; once
// the game is over the same standings stand on the plates between the medals.
TEST(Standings, EachGameDrawsBothStandingsInThePlayersColoursAndALeftScoreChangesTheLeftOne) {
  GameCanvas canvas;
  ASSERT_TRUE(canvas.open()) << SDL_GetError();
  ScreenContext& c = canvas.context;
  MonsterTrucksGame trucks;
  TanksGame tanks;
  DuckHuntGame ducks;
  ProspectorsGame prospectors;
  const struct {
    const char* name;
    const GameDef& game;
    void* record;
    SDL_FRect (LayoutTable::*plates)[2];
    void (*left_scores)(void* record, ScreenContext& c);
  } cases[] = {
      {"trucks", monster_trucks_game, &trucks, &LayoutTable::truckStandingRect,
       [](void* r, ScreenContext& c) { monster_trucks_game.hit(r, SIDE_LEFT, 200, c); }},
      {"tanks", tanks_game, &tanks, &LayoutTable::tankStandingRect,
       [](void* r, ScreenContext& c) {
         tanks_game.hit(r, SIDE_LEFT, 200, c);
         for (int i = 0; i < 40 && ((TanksGame*)r)->left.landed == 0; ++i) tanks_game.update(r, c);
       }},
      // A blue duck brought down.
      {"ducks", duck_hunt_game, &ducks, &LayoutTable::duckStandingRect,
       [](void* r, ScreenContext&) { ((DuckHuntGame*)r)->left_score += 1; }},
      {"prospectors", prospectors_game, &prospectors, &LayoutTable::sackStandingRect,
       [](void* r, ScreenContext& c) { prospectors_game.hit(r, SIDE_LEFT, 200, c); }},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    const SDL_FRect(&plates)[2] = c.layout.*k.plates;
    k.game.reset(k.record, c);
    MatchState& match = k.game.match(k.record);
    const auto frame = [&] {
      canvas.frame(k.game, k.record, 0.0f);
      draw_standings(k.game, k.record, match, c);
    };
    frame();
    EXPECT_GT(pixels_of_colour(canvas.a.screen, plates[SIDE_LEFT], c.palette.player_blue), 200);
    EXPECT_GT(pixels_of_colour(canvas.a.screen, plates[SIDE_RIGHT], c.palette.player_red), 200);
    EXPECT_EQ(pixels_of_colour(canvas.a.screen, plates[SIDE_LEFT], c.palette.player_red), 0);
    SDL_Surface* before = canvas.snapshot();
    canvas.a.clock.dt = 0.05f;
    k.left_scores(k.record, c);
    frame();
    EXPECT_GT(canvas.differing(before, plates[SIDE_LEFT]), 200);
    EXPECT_EQ(canvas.differing(before, plates[SIDE_RIGHT]), 0);
    SDL_FreeSurface(before);

    match.game_over = 1;
    SDL_Surface* running = canvas.snapshot();
    draw_standings(k.game, k.record, match, c);
    const SDL_FRect(&final_plates)[2] = c.layout.finalStandingRect;
    EXPECT_GT(pixels_of_colour(canvas.a.screen, final_plates[SIDE_LEFT], c.palette.player_blue), 200);
    EXPECT_GT(pixels_of_colour(canvas.a.screen, final_plates[SIDE_RIGHT], c.palette.player_red), 200);
    EXPECT_EQ(canvas.differing(running, plates[SIDE_LEFT]), 0) << "drawn where it stood in play";
    SDL_FreeSurface(running);
  }
}
