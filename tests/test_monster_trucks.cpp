// The monster-truck tug of war: scores, the sliding scene, the clock and its extra periods,
// the win rule and the two animations, on state alone; one drawn frame; one whole game
// against the virtual hub.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "games/monster_trucks.h"
#include "tests/game_support.h"

namespace {

class Trucks : public ::testing::Test, public GameRig {
 protected:
  void SetUp() override { reset(); }
  void reset() { monster_trucks_game.reset(&g, context); }
  void frame(float dt = 0.016f) { GameRig::frame(monster_trucks_game, &g, dt); }
  void play() { start_playing(monster_trucks_game, &g); }
  // Every rectangle that slides with the scene.
  std::vector<SDL_FRect*> scene() {
    std::vector<SDL_FRect*> r = {&layout.truckBlueRect, &layout.truckOrangeRect, &layout.chainRect};
    for (SDL_FRect& w : layout.wheelGreenRect) r.push_back(&w);
    for (SDL_FRect& w : layout.wheelYellowRect) r.push_back(&w);
    for (SDL_FRect& d : layout.dustRect) r.push_back(&d);
    return r;
  }
  MonsterTrucksGame g;
};

TEST_F(Trucks, HitsAddFourTimesThePowerAndRestartTheirOwnTrucksAnimations) {
  play();
  const struct {
    uint8_t left, right;  // powers arriving in one frame; 0 = none
    int32_t left_score, right_score;
  } frames[] = {
      {255, 0, 1020, 0}, {0, 1, 1020, 4}, {100, 50, 1420, 204},  // both in one frame count
      {1, 255, 1424, 1224},
  };
  for (const auto& f : frames) {
    for (TruckAnimation* t : {&g.left, &g.right}) {  // both halfway through older animations
      t->shake = t->splash = 1;
      t->shake_time = t->splash_time = 0.3f;
      t->splash_tick = 0.0f;
      t->splash_a = 2;
    }
    if (f.left) hit(1, f.left);
    if (f.right) hit(2, f.right);
    frame(0.016f);
    EXPECT_EQ(g.left_score, f.left_score);
    EXPECT_EQ(g.right_score, f.right_score);
    for (const auto& [truck, struck] : {std::pair{&g.left, f.left != 0}, {&g.right, f.right != 0}}) {
      EXPECT_NEAR(truck->shake_time, struck ? 0.016f : 0.316f, 1e-5f);
      EXPECT_EQ(truck->splash, 1);
      EXPECT_EQ(truck->splash_a, struck ? 1 : 2);
    }
  }
}

TEST_F(Trucks, ALeadOfMoreThanTheMarginWinsAtOnceAndATieAtTimeOutPlaysOn) {
  const struct {
    int32_t left, right;
    float time_left;  // before a frame of 0.016 s
    int32_t over;     // after it
    Side winner;
    int32_t minutes, seconds;
  } rows[] = {
      {0, 19200, 100.0f, 0, SIDE_LEFT, 1, 39},     // exactly the margin: on
      {0, 19204, 100.0f, 1, SIDE_RIGHT, 1, 39},    // one step more: over in that frame
      {19204, 0, 100.0f, 1, SIDE_LEFT, 1, 39},
      {19200, 0, 0.01f, 1, SIDE_LEFT, 0, 0},       // time out with any lead ends it
      {0, 4, 0.01f, 1, SIDE_RIGHT, 0, 0},
      {800, 800, 0.01f, 0, SIDE_LEFT, 0, 30},      // a tie: 30 s more, "00:30"
      {0, 0, 0.01f, 0, SIDE_LEFT, 0, 30},
      {20000, 20000, 100.0f, 0, SIDE_LEFT, 1, 39},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::to_string(r.left) + ":" + std::to_string(r.right) + " at " +
                 std::to_string(r.time_left));
    reset();
    layout.medalGoldRect.x = layout.medalSilverRect.x = 0.0f;
    g.match.playing = 1;
    g.left_score = r.left;
    g.right_score = r.right;
    g.time_left = r.time_left;
    frame();
    EXPECT_EQ(g.match.game_over, r.over);
    EXPECT_EQ(g.shown.minutes, r.minutes);
    EXPECT_EQ(g.shown.seconds, r.seconds);
    if (r.over) {
      EXPECT_EQ(layout.medalGoldRect.x < layout.medalSilverRect.x, r.winner == SIDE_LEFT);
      continue;
    }
    EXPECT_EQ(layout.medalGoldRect.x + layout.medalSilverRect.x, 0.0f) << "no medals yet";
    if (r.time_left < 0.016f) {
      EXPECT_EQ(g.time_left, 30.0f);
      EXPECT_EQ(g.shown.millis, 0);
    }
  }
}

TEST_F(Trucks, TheClockRunsOnlyWhilePlayingAndTheColonShowsInTheFirstHalfOfEachSecond) {
  frame();
  EXPECT_EQ(g.shown.minutes, 3) << "before the first start: 03:00";
  EXPECT_EQ(g.shown.seconds, 0);
  for (int i = 0; i < 50; ++i) frame();
  EXPECT_EQ(g.time_left, 180.0f) << "still while idle";

  const struct {
    float time_left;
    int32_t minutes, seconds, millis;
  } rows[] = {
      {179.75f, 2, 59, 750}, {61.5f, 1, 1, 500}, {60.25f, 1, 0, 250}, {59.875f, 0, 59, 875},
      {0.125f, 0, 0, 125},
  };
  g.match.playing = 1;
  for (const auto& r : rows) {
    g.time_left = r.time_left + 0.25f;
    frame(0.25f);
    EXPECT_EQ(g.shown.minutes, r.minutes) << r.time_left;
    EXPECT_EQ(g.shown.seconds, r.seconds) << r.time_left;
    EXPECT_EQ(g.shown.millis, r.millis) << r.time_left;
  }
  g.match.game_over = 1;
  g.time_left = 50.0f;
  frame();
  EXPECT_EQ(g.time_left, 50.0f) << "stopped once the game is over";
}

TEST_F(Trucks, TheSceneIsAMirrorImageAtEqualScoresAndSlidesTowardTheLeader) {
  frame();
  const float centre = 960.0f, U = 27.0f;
  auto middle = [](const SDL_FRect* r) { return r->x + r->w / 2; };
  std::vector<SDL_FRect*> s = scene();
  EXPECT_NEAR(middle(&layout.chainRect), centre, 0.01f);
  // Blue truck against orange, each green wheel and mud spot against its yellow twin.
  const std::pair<SDL_FRect*, SDL_FRect*> twins[] = {
      {&layout.truckBlueRect, &layout.truckOrangeRect},
      {&layout.wheelGreenRect[0], &layout.wheelYellowRect[0]},
      {&layout.wheelGreenRect[1], &layout.wheelYellowRect[1]},
      {&layout.wheelGreenRect[2], &layout.wheelYellowRect[2]},
      {&layout.wheelGreenRect[3], &layout.wheelYellowRect[3]},
      {&layout.dustRect[0], &layout.dustRect[4]}, {&layout.dustRect[1], &layout.dustRect[5]},
      {&layout.dustRect[2], &layout.dustRect[6]}, {&layout.dustRect[3], &layout.dustRect[7]},
  };
  for (const auto& [l, r] : twins) EXPECT_NEAR(centre - middle(l), middle(r) - centre, 0.01f);

  std::vector<float> even;
  for (SDL_FRect* r : s) even.push_back(r->x);
  const struct {
    int32_t left, right;
    float shift;  // in units
  } rows[] = {{0, 9600, 4.5f}, {9600, 0, -4.5f}, {0, 19200, 9.0f}, {19200, 0, -9.0f}, {400, 400, 0.0f},
              {1000, 5800, 2.25f}};
  for (const auto& r : rows) {
    g.left_score = r.left;
    g.right_score = r.right;
    frame();
    for (size_t i = 0; i < s.size(); ++i)
      EXPECT_NEAR(s[i]->x - even[i], r.shift * U, 0.01f) << r.left << ":" << r.right << " rect " << i;
  }
}

TEST_F(Trucks, WheelsShakeAndMudFliesForHalfASecondAfterAHit) {
  play();
  hit(1, 10);
  frame(0.035f);  // takes the hit; its animations then run a first step
  // Frames after the hit frame, at 0.035 s each: the shake flips every frame, the mud steps
  // every third, and both end once more than 0.5 s have passed (the 15th frame).
  const struct {
    int32_t frame;
    int32_t shake, phase, splash, a, b, c, d;
  } rows[] = {
      {1, 1, 0, 1, 1, 0, 0, 1},  {2, 1, 1, 1, 2, 1, 1, 0},  {3, 1, 0, 1, 2, 1, 1, 0},
      {5, 1, 0, 1, 0, 2, 0, 1},  {8, 1, 1, 1, 1, 0, 1, 0},  {11, 1, 0, 1, 2, 1, 0, 1},
      {13, 1, 0, 1, 2, 1, 0, 1}, {14, 0, 0, 0, 1, 0, 0, 1}, {20, 0, 0, 0, 1, 0, 0, 1},
  };
  int32_t at = 0;
  for (const auto& r : rows) {
    while (at < r.frame) {
      frame(0.035f);
      ++at;
    }
    const TruckAnimation& t = g.left;
    EXPECT_EQ(t.shake, r.shake) << r.frame;
    EXPECT_EQ(t.shake_phase, r.phase) << r.frame;
    EXPECT_EQ(t.splash, r.splash) << r.frame;
    EXPECT_EQ(t.splash_a * 1000 + t.splash_b * 100 + t.splash_c * 10 + t.splash_d,
              r.a * 1000 + r.b * 100 + r.c * 10 + r.d)
        << r.frame;
    EXPECT_EQ(g.right.shake + g.right.splash, 0) << "the other truck stays still";
  }
}

TEST_F(Trucks, RestartClearsScoresClockAndAnimations) {
  play();
  hit(1, 200);
  hit(2, 100);
  frame();
  for (int i = 0; i < 10; ++i) frame(1.0f);
  match_key(monster_trucks_game, &g, g.match, context, KEY_DELETE);
  frame();
  EXPECT_EQ(g.left_score + g.right_score, 0);
  EXPECT_EQ(g.time_left, 180.0f);
  EXPECT_EQ(g.shown.minutes * 100 + g.shown.seconds, 300);
  EXPECT_EQ(g.left.shake + g.left.splash + g.right.shake + g.right.splash, 0);
  EXPECT_EQ(g.match.playing, 0);
}

// Drawn frames: mud shows only while a truck splashes, the colon blinks, and the clock
// leaves with the game's end.
TEST(TrucksPicture, MudColonAndClockFollowTheState) {
  GameCanvas canvas;
  ASSERT_TRUE(canvas.open()) << SDL_GetError();
  const LayoutTable& l = canvas.a.layout;
  MonsterTrucksGame g;
  monster_trucks_game.reset(&g, canvas.context);
  canvas.frame(monster_trucks_game, &g);
  SDL_Surface* calm = canvas.snapshot();

  g.left.splash = 1;
  canvas.frame(monster_trucks_game, &g);
  for (int i = 0; i < 4; ++i) {
    EXPECT_GT(canvas.differing(calm, l.dustRect[i]), 200) << "left mud " << i;
  }
  EXPECT_EQ(canvas.differing(calm, l.trayRect), 0);

  g.left.splash = 0;
  g.time_left = 179.5f;  // 02:59 with the colon hidden
  g.match.playing = 0;
  canvas.frame(monster_trucks_game, &g);
  const SDL_Rect& colon = l.titleColonRedRect;
  const SDL_FRect colon_f{(float)colon.x, (float)colon.y, (float)colon.w, (float)colon.h};
  EXPECT_GT(canvas.differing(calm, colon_f), 10) << "the colon is off in the second half";
  const SDL_FRect beside_tray{l.trayRect.x + l.trayRect.w, l.trayRect.y, 200, l.trayRect.h};
  EXPECT_EQ(canvas.differing(calm, beside_tray), 0);

  g.match.game_over = 1;
  canvas.frame(monster_trucks_game, &g);
  EXPECT_GT(canvas.differing(calm, l.trayRect), (int)(l.trayRect.w * l.trayRect.h / 4))
      << "no clock once the game is over";
  SDL_FreeSurface(calm);
}

// A whole game through the hub: both pads take part, the clock is hurried to its end, the
// left player gets gold; the game restarts and Escape leaves it.
TEST(TrucksWithHub, AWholeGameToTheMedals) {
  HubProgram h;
  Program& p = h.program;
  MonsterTrucksGame& g = p.games.monster_trucks;
  ASSERT_TRUE(h.start_game(SCREEN_MONSTER_TRUCKS, 2));
  EXPECT_EQ(g.left_score + g.right_score, 0) << "the starting hit does not count";

  for (int32_t i = 1; i <= 4; ++i) {
    ASSERT_TRUE(h.strike(1, 255, [&] { return g.left_score == 1020 * i; }));
    ASSERT_TRUE(h.strike(2, 100, [&] { return g.right_score == 400 * i; }));
  }
  EXPECT_GT(g.time_left, 100.0f);
  EXPECT_LT(p.layout.truckBlueRect.x + p.layout.truckBlueRect.w / 2,
            p.display.width / 2.0f - 16 * p.display.unit - 0.5f)
      << "the left player leads: the scene has slid left of where it stood";

  h.ticks.work_ms = 1000;  // second-long frames to the end of the clock
  ASSERT_TRUE(h.run_until([&] { return g.match.game_over == 1; }));
  EXPECT_LT(g.time_left, 0.0f);
  EXPECT_LT(p.layout.medalGoldRect.x, p.layout.medalSilverRect.x) << "gold on the left";

  h.ticks.work_ms = 0;
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.keysym.scancode = (SDL_Scancode)KEY_DELETE;
  SDL_PushEvent(&e);
  ASSERT_TRUE(h.run_until([&] { return g.match.playing == 0; }));
  EXPECT_EQ(g.left_score, 0);
  EXPECT_EQ(g.shown.minutes, 3);
  e.key.keysym.scancode = (SDL_Scancode)KEY_ESCAPE;
  SDL_PushEvent(&e);
  ASSERT_TRUE(h.run_until([&] { return p.app.screen == SCREEN_COMPETITION_MENU; }));
}

}  // namespace
