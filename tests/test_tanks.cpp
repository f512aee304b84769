// The tank duel: one shell per hit, shells landing row by row, logs breaking, blasts, the win
// rule and the restart, on state alone; one drawn sequence; one whole game against the
// virtual hub.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "games/tanks.h"
#include "tests/game_support.h"

namespace {

int32_t fired(const TankSide& s) {
  int32_t n = 0;
  for (const TankShell& shell : s.shells) n += shell.fired;
  return n;
}

class Tanks : public ::testing::Test, public GameRig {
 protected:
  void SetUp() override { reset(); }
  void reset() { tanks_game.reset(&g, context); }
  void frame(float dt = 0.016f) { GameRig::frame(tanks_game, &g, dt); }
  void play() { start_playing(tanks_game, &g); }
  // Side's shells 0 to n - 1 already down, and shell n in the air just short of its row's
  // centre (it lands in the next frame of at least `short_by` / speed seconds).
  void about_to_land(TankSide& s, SDL_FRect* rects, float centre, int32_t n, float short_by) {
    for (int32_t i = 0; i < n; ++i) s.shells[i] = {1, 1};
    s.landed = n;
    s.shells[n].fired = 1;
    rects[n].y = centre + short_by;
  }
  TanksGame g;
};

TEST_F(Tanks, EveryHitFiresOneShellWhateverItsPowerAndShellsRiseTenUnitsASecond) {
  play();
  const struct {
    uint8_t left, right;  // powers arriving in one frame; 0 = none
    int32_t left_fired, right_fired;
  } frames[] = {{1, 0, 1, 0}, {255, 0, 2, 0}, {0, 255, 2, 1}, {128, 7, 3, 2}};
  for (const auto& f : frames) {
    if (f.left) hit(1, f.left);
    if (f.right) hit(2, f.right);
    frame(0.1f);
    EXPECT_EQ(fired(g.left), f.left_fired);
    EXPECT_EQ(fired(g.right), f.right_fired);
  }
  // Shell 2 of the left flew one frame of 0.1 s; shell 0 four.
  const float tank_y = layout.tankYellowRect.y;
  EXPECT_NEAR(layout.leftShellRects[2].y, tank_y - 0.1f * 10 * 27, 0.01f);
  EXPECT_NEAR(layout.leftShellRects[0].y, tank_y - 4 * 0.1f * 10 * 27, 0.01f);
  EXPECT_EQ(layout.leftShellRects[3].y, tank_y) << "unfired shells wait at the tank";
}

TEST_F(Tanks, LogsCrackSplitAndShatterByTheLandedCount) {
  const struct {
    int32_t row, landed, state;
  } rows[] = {
      {0, 0, 0},  {0, 4, 0},  {0, 5, 1},  {0, 9, 1},  {0, 10, 2}, {0, 14, 2}, {0, 15, 3}, {0, 75, 3},
      {1, 0, 0},  {1, 15, 0}, {1, 22, 0}, {1, 23, 1}, {1, 30, 1}, {1, 31, 2}, {1, 38, 2}, {1, 39, 3},
      {2, 38, 0}, {2, 50, 0}, {2, 51, 1}, {2, 62, 1}, {2, 63, 2}, {2, 74, 2}, {2, 75, 3},
  };
  for (const auto& r : rows)
    EXPECT_EQ(tank_log_state(r.row, r.landed), r.state) << "row " << r.row << " after " << r.landed;
}

TEST_F(Tanks, ShellsLandInFiringOrderEachOnItsPlayersCurrentLog) {
  play();
  // One hit per frame until all 75 are out, then frames until all are down; each shell's
  // landing height is noted in its landing frame.
  float landed_at[TANK_SHELLS] = {};
  int32_t landed_before = 0;
  for (int32_t f = 0; g.left.landed < TANK_SHELLS; ++f) {
    ASSERT_LT(f, 2000);
    if (fired(g.left) < TANK_SHELLS) hit(1, 200);
    frame(0.016f);
    for (int32_t i = landed_before; i < g.left.landed; ++i) {
      ASSERT_EQ(g.left.shells[i].landed, 1) << "shell " << i << " lands in turn";
      landed_at[i] = layout.leftShellRects[i].y;
    }
    if (g.left.landed < TANK_SHELLS) {
      EXPECT_EQ(g.left.shells[g.left.landed].landed, 0);
    }
    landed_before = g.left.landed;
  }
  const float step = 0.016f * 10 * 27;
  for (int32_t i = 0; i < TANK_SHELLS; ++i) {
    const int32_t row = i < 15 ? 0 : i < 39 ? 1 : 2;
    const float centre = layout.logRowCentreY[row];
    EXPECT_LT(landed_at[i], centre) << i;
    EXPECT_GE(landed_at[i], centre - step) << i << ": in the frame it passed the centre";
    EXPECT_EQ(layout.logRowCentreY[3 + row], centre) << "the right rows stand as high";
  }
  EXPECT_EQ(g.match.game_over, 1);
  EXPECT_EQ(fired(g.right), 0);
}

TEST_F(Tanks, HitsWithAllShellsFiredDoNothing) {
  play();
  for (TankShell& s : g.left.shells) s.fired = 1;
  const TankSide before = g.left;
  hit(1, 255);
  hit(2, 255);
  frame(0.0f);
  EXPECT_EQ(memcmp(&before, &g.left, sizeof before), 0);
  EXPECT_EQ(fired(g.right), 1) << "the other player still fires";
}

TEST_F(Tanks, TheFirstSeventyFifthShellDownWinsAndASimultaneousFinishGoesRight) {
  const struct {
    float left_short, right_short;  // how far short of the row centre the last shell is
    int32_t over;
    Side winner;
  } rows[] = {
      {1.0f, 100.0f, 1, SIDE_LEFT},
      {100.0f, 1.0f, 1, SIDE_RIGHT},
      {1.0f, 1.0f, 1, SIDE_RIGHT},  // both in one frame: the right player wins
      {100.0f, 100.0f, 0, SIDE_LEFT},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::to_string(r.left_short) + " / " + std::to_string(r.right_short));
    reset();
    g.match.playing = 1;
    layout.medalGoldRect.x = layout.medalSilverRect.x = 0.0f;
    about_to_land(g.left, layout.leftShellRects, layout.logRowCentreY[2], 74, r.left_short);
    about_to_land(g.right, layout.rightShellRects, layout.logRowCentreY[5], 74, r.right_short);
    frame(0.016f);  // a step of 4.32 pixels
    EXPECT_EQ(g.match.game_over, r.over);
    if (!r.over) {
      EXPECT_EQ(layout.medalGoldRect.x + layout.medalSilverRect.x, 0.0f);
      continue;
    }
    EXPECT_EQ(layout.medalGoldRect.x < layout.medalSilverRect.x, r.winner == SIDE_LEFT);
    // The loser's last shell flies on and lands; the result stands.
    const float gold = layout.medalGoldRect.x;
    for (int i = 0; i < 30; ++i) frame(0.1f);
    EXPECT_EQ(g.left.landed + g.right.landed, 2 * TANK_SHELLS);
    EXPECT_EQ(layout.medalGoldRect.x, gold);
  }
}

TEST_F(Tanks, ABlastBeginsInItsLandingFrameAndStepsAfterMoreThanThreeHundredths) {
  g.match.playing = 1;
  about_to_land(g.right, layout.rightShellRects, layout.logRowCentreY[3], 0, 1.0f);
  frame(0.02f);
  ASSERT_EQ(g.right.shells[0].landed, 1);
  const TankBlast& b = g.right.blasts[0];
  EXPECT_EQ(b.active, 1);
  EXPECT_EQ(b.frame, 0) << "blast1 in the landing frame";
  // Frames of 0.02 s: every second one gathers more than 0.03 s.
  for (int32_t k = 1; k <= 16; ++k) {
    frame(0.02f);
    EXPECT_EQ(b.frame, k < 14 ? k / 2 : 7) << "after " << k << " frames";
    EXPECT_EQ(b.active, 1);
  }
  EXPECT_EQ(g.right.blasts[1].active + g.left.blasts[0].active, 0);
}

TEST_F(Tanks, RestartPutsEveryShellBackAndTheLogsWhole) {
  play();
  for (int i = 0; i < 20; ++i) {
    hit(1, 50);
    hit(2, 60);
    frame(0.05f);
  }
  for (int i = 0; i < 40; ++i) frame(0.05f);
  ASSERT_EQ(g.left.landed, 20);
  match_key(tanks_game, &g, g.match, context, KEY_DELETE);
  for (const TankSide* s : {&g.left, &g.right}) {
    EXPECT_EQ(s->landed, 0);
    EXPECT_EQ(fired(*s), 0);
    for (const TankBlast& b : s->blasts) EXPECT_EQ(b.active + b.frame, 0);
  }
  for (int32_t i = 0; i < TANK_SHELLS; ++i) {
    EXPECT_EQ(layout.leftShellRects[i].y, layout.tankYellowRect.y);
    EXPECT_EQ(layout.rightShellRects[i].y, layout.tankGreyRect.y);
  }
  EXPECT_EQ(g.match.playing, 0);
}

// Drawn frames: the blast's seven pictures over the scene in turn, then nothing; a cracked
// log in place of the whole one.
TEST(TanksPicture, BlastPicturesInTurnAndACrackedLog) {
  GameCanvas canvas;
  ASSERT_TRUE(canvas.open()) << SDL_GetError();
  const TextureCatalog& t = canvas.a.textures;
  LayoutTable& l = canvas.a.layout;
  SDL_Renderer* r = canvas.a.clock.renderer;
  TanksGame g;
  tanks_game.reset(&g, canvas.context);
  canvas.frame(tanks_game, &g, 0.0f);
  SDL_Surface* calm = canvas.snapshot();
  SDL_Texture* calm_texture = SDL_CreateTextureFromSurface(r, calm);
  // Put back exactly: the blended 1:1 copies leave the (unshown) alpha a level short of opaque.
  SDL_SetTextureBlendMode(calm_texture, SDL_BLENDMODE_NONE);
  SDL_Texture* const blasts[7] = {t.blast1, t.blast2, t.blast3, t.blast4, t.blast5, t.blast6, t.blast7};

  // Left shell 0 lands in the first frame; its blast shows over row 1 of the left column. The
  // standings beside the columns count it.
  const SDL_FRect columns{l.tankStandingRect[0].x + l.tankStandingRect[0].w, 0.0f,
                          l.tankStandingRect[1].x - l.tankStandingRect[0].x - l.tankStandingRect[0].w,
                          l.fullScreenRect.h};
  g.match.playing = 1;
  g.left.shells[0].fired = 1;
  l.leftShellRects[0].y = l.logRowCentreY[0] + 1.0f;
  for (int32_t k = 0; k <= 15; ++k) {
    canvas.frame(tanks_game, &g, k == 0 ? 0.016f : 0.02f);
    SDL_Surface* drawn = canvas.snapshot();
    SDL_RenderCopy(r, calm_texture, nullptr, nullptr);
    if (k < 14) SDL_RenderCopyF(r, blasts[k / 2], nullptr, &l.blastRect[0]);
    EXPECT_EQ(canvas.differing(drawn, columns), 0) << "frame " << k;
    SDL_FreeSurface(drawn);
  }

  g.left.landed = 5;
  canvas.frame(tanks_game, &g, 0.0f);
  EXPECT_GT(canvas.differing(calm, l.leftLogRect[1]), 1000) << "row 1 cracked";
  EXPECT_EQ(canvas.differing(calm, l.leftLogRect[4]), 0) << "row 2 whole";
  EXPECT_EQ(canvas.differing(calm, l.rightLogRect[1]), 0) << "the right column untouched";
  SDL_DestroyTexture(calm_texture);
  SDL_FreeSurface(calm);
}

// A whole duel through the hub: the left player fires all 75 shells while the right one
// lags; the clock is hurried until the last shell lands and the left player gets gold.
TEST(TanksWithHub, AWholeGameToTheMedals) {
  HubProgram h;
  Program& p = h.program;
  TanksGame& g = p.games.tanks;
  ASSERT_TRUE(h.start_game(SCREEN_TANKS, 1));
  EXPECT_EQ(fired(g.left), 0) << "the starting hit fires nothing";

  for (int32_t i = 1; i <= TANK_SHELLS; ++i) {
    ASSERT_TRUE(h.strike(1, (uint8_t)(i * 3), [&] { return fired(g.left) == i; })) << i;
    if (i % 10 == 0) {
      ASSERT_TRUE(h.strike(2, 255, [&] { return fired(g.right) == i / 10; }));
    }
  }
  h.ticks.work_ms = 100;
  ASSERT_TRUE(h.run_until([&] { return g.match.game_over == 1; }));
  EXPECT_EQ(g.left.landed, TANK_SHELLS);
  EXPECT_LT(g.right.landed, TANK_SHELLS);
  EXPECT_LT(p.layout.medalGoldRect.x, p.layout.medalSilverRect.x) << "gold on the left";
}

}  // namespace
