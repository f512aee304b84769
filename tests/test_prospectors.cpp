// The prospectors' rules on their state: gems by power, the stroke that locks its player,
// the stones' flight, the dynamite clock with its extra periods and the burst; and, on pixels,
// the stones flying over the game-over shade and drawn turned as SDL would turn them.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <vector>

#include "games/prospectors.h"
#include "ui/draw_list.h"
#include "tests/game_support.h"
#include "tests/support.h"

namespace {

class Prospectors : public ::testing::Test {
 protected:
  void SetUp() override {
    prospectors_game.reset(&game, rig.context);
    rig.connect_two_pads();
  }
  void frame(float dt = 0.016f) { rig.frame(prospectors_game, &game, dt); }
  int32_t count_of(int32_t kind, size_t from = 0) const {
    int32_t n = 0;
    for (size_t i = from; i < game.gems.size(); ++i) n += game.gems[i].kind == kind;
    return n;
  }

  GameRig rig;
  ProspectorsGame game;
};

TEST_F(Prospectors, TheHitsPowerChoosesTheGemItsPointsAndItsCount) {
  const struct {
    int32_t pad;
    uint8_t power;
    GemKind kind;
    int32_t points;
  } cases[] = {
      {1, 1, GEM_EMERALD, 5},   {1, 129, GEM_EMERALD, 5}, {2, 130, GEM_DIAMOND, 10},
      {2, 169, GEM_DIAMOND, 10}, {1, 170, GEM_NUGGET, 15}, {2, 255, GEM_NUGGET, 15},
  };
  rig.start(prospectors_game, &game);
  for (const auto& c : cases) {
    game.left_swing = game.right_swing = 0.0f;
    const size_t before = game.gems.size();
    const ProspectorsGame was = game;
    rig.hit(c.pad, c.power);
    frame();
    ASSERT_EQ(game.gems.size(), before + 21) << (int)c.power;
    EXPECT_EQ(count_of(GEM_PEBBLE, before), 20);
    EXPECT_EQ(game.gems.back().kind, c.kind) << (int)c.power;
    const bool left = c.pad == 1;
    EXPECT_EQ(game.left_score - was.left_score, left ? c.points : 0);
    EXPECT_EQ(game.right_score - was.right_score, left ? 0 : c.points);
    const int32_t gained[3] = {
        (left ? game.left_emeralds - was.left_emeralds : game.right_emeralds - was.right_emeralds),
        (left ? game.left_diamonds - was.left_diamonds : game.right_diamonds - was.right_diamonds),
        (left ? game.left_nuggets - was.left_nuggets : game.right_nuggets - was.right_nuggets)};
    for (int32_t kind = GEM_EMERALD; kind <= GEM_NUGGET; ++kind)
      EXPECT_EQ(gained[kind - 1], kind == c.kind ? 1 : 0) << (int)c.power << " kind " << kind;
  }
}

// A stroke takes about 0.14 s; a second hit of the same player within it is lost, the other
// player's counts. The stones wait on the rock until the stroke lands, then fly and fall.
TEST_F(Prospectors, AStrokeLocksItsPlayerAndItsStonesLeaveWhenItLands) {
  rig.start(prospectors_game, &game);
  const float U = rig.display.unit, W = (float)rig.display.width;
  rig.hit(1, 100);
  frame();
  ASSERT_EQ(game.gems.size(), 21u);
  EXPECT_GT(game.left_swing, 0.0f);
  for (const Gem& m : game.gems) {
    EXPECT_FLOAT_EQ(m.start_x, W / 2 - 11.2f * U);
    EXPECT_FLOAT_EQ(m.start_y, 21.7f * U);
  }
  EXPECT_FLOAT_EQ(game.gems.back().width, 2.5f * U);
  for (int i = 0; i < 20; ++i) {
    EXPECT_GE(game.gems[i].width, 1.0f * U);
    EXPECT_LE(game.gems[i].width, 2.0f * U);
  }
  const std::vector<Gem> made = game.gems;

  rig.hit(1, 200);
  rig.hit(2, 200);
  frame();
  EXPECT_EQ(game.left_score, 5) << "the left player is still swinging";
  EXPECT_EQ(game.right_score, 15);
  EXPECT_EQ(game.gems.size(), 42u);

  int32_t stroke_frames = 0;
  for (int32_t frames = 3; frames <= 16; ++frames) {
    frame();
    if (game.left_swing == 0.0f && stroke_frames == 0) stroke_frames = frames;
    for (size_t i = 0; i < made.size(); ++i) {
      const Gem& m = game.gems[i];
      EXPECT_EQ(m.x != made[i].x, m.age > 0.14f) << "frame " << frames << " stone " << i;
      EXPECT_EQ(m.y != made[i].y, m.age > 0.14f) << "frame " << frames << " stone " << i;
    }
  }
  EXPECT_NEAR(stroke_frames * 0.016f, 0.14f, 0.02f);
  rig.hit(1, 100);
  frame();
  EXPECT_EQ(game.left_score, 10) << "ready again once the stroke is over";

  // Every stone falls below the screen and is gone; none is removed before.
  for (int32_t frames = 0; !game.gems.empty() && frames < 2000; ++frames) {
    frame();
    for (const Gem& m : game.gems) ASSERT_LE(m.y, (float)rig.display.height);
  }
  EXPECT_TRUE(game.gems.empty());
}

TEST_F(Prospectors, TheClockShowsThreeMinutesUntilPlayAndThenRunsDown) {
  frame();
  EXPECT_EQ(game.shown.minutes, 3);
  EXPECT_EQ(game.shown.seconds, 0);
  rig.start(prospectors_game, &game);
  for (int i = 0; i < 100; ++i) frame();  // 1.6 s
  EXPECT_EQ(game.shown.minutes, 2);
  EXPECT_EQ(game.shown.seconds, 58);
  EXPECT_NEAR(game.shown.millis, 400, 3);
}

// At time-out equal points give 30 more seconds with the pillar standing; otherwise the rock
// bursts from the dynamite's middle, for nobody, and the richer player wins.
TEST_F(Prospectors, TimeOutGivesAnExtraPeriodOnEqualPointsElseTheRockBursts) {
  const struct {
    int32_t left, right;
    bool burst;
    float gold_x_in_units;  // from the screen's middle
  } cases[] = {{10, 10, false, 0}, {0, 0, false, 0}, {25, 20, true, -30}, {5, 15, true, 15}};
  const float U = rig.display.unit, W = (float)rig.display.width;
  const SDL_FRect& dynamite = rig.layout.dynamiteRect;
  for (const auto& c : cases) {
    prospectors_game.reset(&game, rig.context);
    rig.start(prospectors_game, &game);
    game.left_score = c.left;
    game.right_score = c.right;
    game.left_nuggets = 1;
    game.time_left = 0.01f;
    frame();
    const ProspectorsGame after = game;
    EXPECT_EQ(game.match.game_over, c.burst ? 1 : 0);
    EXPECT_EQ(game.left_score, c.left);
    EXPECT_EQ(game.right_score, c.right);
    EXPECT_EQ(game.left_nuggets, 1);
    EXPECT_EQ(game.left_emeralds + game.left_diamonds + game.right_emeralds + game.right_diamonds +
                  game.right_nuggets,
              0);
    if (!c.burst) {
      EXPECT_TRUE(game.gems.empty());
      EXPECT_FLOAT_EQ(game.time_left, 30.0f);
      EXPECT_EQ(game.shown.minutes, 0);
      EXPECT_EQ(game.shown.seconds, 30);
      frame();
      EXPECT_LT(game.time_left, 30.0f) << "the extra period runs";
      continue;
    }
    ASSERT_EQ(game.gems.size(), 80u);
    for (int32_t kind = GEM_PEBBLE; kind <= GEM_NUGGET; ++kind) EXPECT_EQ(count_of(kind), 20);
    for (const Gem& m : game.gems) {
      EXPECT_FLOAT_EQ(m.start_x, W / 2);
      EXPECT_FLOAT_EQ(m.start_y, dynamite.y + dynamite.h / 2) << "from the dynamite's middle";
      EXPECT_GE(m.width, 2 * U);
      EXPECT_LE(m.width, 4 * U);
    }
    EXPECT_FLOAT_EQ(rig.layout.medalGoldRect.x, W / 2 + c.gold_x_in_units * U);
    // Over: the clock stops and hits change nothing; the burst falls away.
    rig.hit(1, 200);
    for (int i = 0; i < 600; ++i) frame();
    EXPECT_EQ(game.time_left, after.time_left);
    EXPECT_EQ(game.left_score, c.left);
    EXPECT_TRUE(game.gems.empty());
  }
}

// On pixels: stones fly over the game-over shade, and the pillar has gone.
// The game's records over a loaded offscreen renderer.
struct DrawnCave {
  OffscreenAssets a;
  SoundBank sounds;
  AppState app;
  PointerState pointer;
  ScreenContext c = offscreen_context(a, app, pointer, sounds, nullptr, nullptr, SCREEN_COMPETITION_MENU);
  ~DrawnCave() { end_offscreen(a); }
};

TEST(ProspectorsDrawn, StonesFlyOverTheShadeOnceTheGameIsOver) {
  ASSERT_EQ(chdir(HXM_RUN_DIR), 0);
  DrawnCave cave;
  OffscreenAssets& a = cave.a;
  ScreenContext& c = cave.c;
  ASSERT_TRUE(begin_offscreen(a, 1366, 768));
  ASSERT_EQ(load_offscreen(a), 0);
  ProspectorsGame game;
  prospectors_game.reset(&game, c);
  Gem m;
  m.kind = GEM_EMERALD;
  m.x = 150.0f;
  m.y = 150.0f;
  m.width = m.height = 60.0f;
  m.age = 1.0f;
  game.gems.push_back(m);
  const SDL_FRect& pillar = a.layout.rockPillarRect;
  const int px = (int)(pillar.x + pillar.w / 2), py = (int)(pillar.y + pillar.h / 3);

  auto draw = [&](int32_t over) {
    game.match.game_over = over;
    prospectors_game.draw(&game, c);
    draw_match_hud(prospectors_game, &game, game.match, c);
  };
  draw(0);
  const SDL_Color stone = offscreen_pixel(a.screen, 180, 180);
  const SDL_Color with_pillar = offscreen_pixel(a.screen, px, py);
  draw(1);
  const SDL_Color stone_over = offscreen_pixel(a.screen, 180, 180);
  EXPECT_EQ(stone.r, stone_over.r);
  EXPECT_EQ(stone.g, stone_over.g);
  EXPECT_EQ(stone.b, stone_over.b);
  // The same spot with the background alone, shaded.
  SDL_RenderCopyF(a.clock.renderer, a.textures.caveBackground, nullptr, &a.layout.caveBackgroundRect);
  fill_screen(a.clock, a.palette.shade, a.layout);
  const SDL_Color cave_shaded = offscreen_pixel(a.screen, px, py);
  draw(1);
  const SDL_Color gone = offscreen_pixel(a.screen, px, py);
  EXPECT_EQ(gone.r, cave_shaded.r);
  EXPECT_EQ(gone.g, cave_shaded.g);
  EXPECT_EQ(gone.b, cave_shaded.b);
  EXPECT_FALSE(with_pillar.r == gone.r && with_pillar.g == gone.g && with_pillar.b == gone.b);
}

// The mean difference of a square's channels from one drawing to the next, in levels.
double mean_difference(const std::vector<SDL_Color>& a, const std::vector<SDL_Color>& b) {
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i)
    sum += std::abs(a[i].r - b[i].r) + std::abs(a[i].g - b[i].g) + std::abs(a[i].b - b[i].b);
  return sum / (3.0 * (double)a.size());
}

// Each stone, drawn from its sheet turned in advance, looks as the picture turned by SDL at its
// angle to the nearest step does, and clearly unlike it turned the other way.
TEST(ProspectorsDrawn, TurnedStonesLookAsSdlTurnsThem) {
  ASSERT_EQ(chdir(HXM_RUN_DIR), 0);
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");  // as the program scales
  DrawnCave cave;
  OffscreenAssets& a = cave.a;
  ASSERT_TRUE(begin_offscreen(a, 1920, 1080));
  ASSERT_EQ(load_offscreen(a), 0);
  ProspectorsGame game;
  const SDL_FRect rect{200.0f, 100.0f, 90.0f, 90.0f};
  auto square = [&] {
    std::vector<SDL_Color> pixels;
    for (int y = 90; y < 200; ++y)
      for (int x = 190; x < 300; ++x) pixels.push_back(offscreen_pixel(a.screen, x, y));
    return pixels;
  };
  auto by_sdl = [&](SDL_Texture* picture, double angle) {
    SDL_SetRenderDrawColor(a.clock.renderer, 0, 0, 0, 255);
    SDL_RenderClear(a.clock.renderer);
    SDL_RenderCopyExF(a.clock.renderer, picture, nullptr, &rect, angle, nullptr, SDL_FLIP_NONE);
    return square();
  };
  struct Case {
    int32_t kind;
    SDL_Texture* TextureCatalog::*picture;
    float angle;  // as the stone holds it
    int32_t heading;
    double drawn;  // the step SDL turns it by
  };
  const Case cases[] = {
      {GEM_PEBBLE, &TextureCatalog::pebble, 30.0f, 1, 30.0},
      {GEM_EMERALD, &TextureCatalog::emerald, 124.0f, 1, 120.0},
      {GEM_DIAMOND, &TextureCatalog::diamond, 76.0f, 0, -80.0},
      {GEM_NUGGET, &TextureCatalog::goldNugget, 1005.0f, 1, 290.0},
  };
  for (const Case& k : cases) {
    Gem m;
    m.kind = k.kind;
    m.x = rect.x;
    m.y = rect.y;
    m.width = rect.w;
    m.height = rect.h;
    m.age = 1.0f;
    m.angle = k.angle;
    m.heading = k.heading;
    game.gems = {m};
    SDL_SetRenderDrawColor(a.clock.renderer, 0, 0, 0, 255);
    SDL_RenderClear(a.clock.renderer);
    prospectors_game.draw_over(&game, cave.c);
    const std::vector<SDL_Color> ours = square();
    const double near = mean_difference(ours, by_sdl(a.textures.*k.picture, k.drawn));
    const double mirrored = mean_difference(ours, by_sdl(a.textures.*k.picture, -k.drawn));
    const double blank = mean_difference(ours, by_sdl(nullptr, 0.0));
    EXPECT_LT(near, 2.0) << k.kind;
    EXPECT_GT(mirrored, 4.0 * near) << k.kind;
    EXPECT_GT(blank, 10.0) << k.kind;
  }
}

}  // namespace
