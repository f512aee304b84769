// The duck hunt's rules on its state: spawning, the owner pattern, shots, the hit test, the
// score going to the duck's colour, and sudden death on equal scores. No renderer.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "games/duck_hunt.h"
#include "tests/game_support.h"
#include "tests/support.h"

namespace {

class DuckHunt : public ::testing::Test {
 protected:
  void SetUp() override { duck_hunt_game.reset(&game, rig.context); }
  void frame(float dt = 0.016f) { rig.frame(duck_hunt_game, &game, dt); }
  void update(float dt = 0.016f) {
    rig.clock.dt = dt;
    duck_hunt_game.update(&game, rig.context);
  }
  // Playing, with no duck due for a while.
  void play() {
    game.match.playing = 1;
    game.spawn_clock = -100.0f;
  }
  // A duck crossing the middle of the screen on a level line, as wide as asked.
  Duck& duck_at(float x, float width, int32_t owner) {
    Duck d;
    d.heading = 0;
    d.owner = owner;
    d.start_y = d.y = (float)(rig.display.height / 2);
    d.x = x;
    d.width = width;
    d.height = width * 1.5f;
    d.speed = 400.0f;
    game.ducks.push_back(d);
    return game.ducks.back();
  }
  // A still shot whose point lies where the duck's box has its centre.
  Shot& shot_at(const Duck& d, int32_t shooter) {
    Shot s;
    s.shooter = shooter;
    s.width = 13.0f;
    s.height = 27.0f;
    s.x = d.x - s.width / 2.0f;
    s.y = d.y - rig.layout.bottomBarRect.h / 2.0f - s.height / 2.0f;
    game.shots.push_back(s);
    return game.shots.back();
  }

  GameRig rig;
  DuckHuntGame game;
};

int32_t blue_in_block(const int32_t* entries) {
  int32_t blue = 0;
  for (int32_t i = 0; i < OWNER_BLOCK; ++i) blue += entries[i];
  return blue;
}

TEST_F(DuckHunt, EveryResetDrawsAPatternOfFiveBlueInEachTen) {
  std::vector<int32_t> first(game.owner_pattern, game.owner_pattern + OWNER_PATTERN_SIZE);
  duck_hunt_game.reset(&game, rig.context);
  std::vector<int32_t> second(game.owner_pattern, game.owner_pattern + OWNER_PATTERN_SIZE);
  EXPECT_NE(first, second) << "drawn anew";
  for (const std::vector<int32_t>& pattern : {first, second})
    for (int32_t block = 0; block < OWNER_PATTERN_SIZE; block += OWNER_BLOCK)
      ASSERT_EQ(blue_in_block(pattern.data() + block), OWNER_BLOCK / 2) << "block at " << block;
}

// Ducks come ever more often until the interval's floor: 170 of them, five of each colour in
// every ten, each as fast as 400 plus 10 for every duck already in the air; the count of
// ducks to come falls by one with each.
TEST_F(DuckHunt, AFullGameSpawns170DucksFiveOfEachColourInEveryTen) {
  rig.start(duck_hunt_game, &game);
  EXPECT_EQ(ducks_to_come(game), 170);
  std::vector<int32_t> owners;
  float seconds = 0.0f, first_duck_at = 0.0f;
  while (game.spawning_over == 0 && seconds < 400.0f) {
    const size_t in_the_air = game.ducks.size();
    const int32_t index = game.pattern_index;
    frame();
    seconds += 0.016f;
    if (game.pattern_index == index) continue;
    const Duck& d = game.ducks.back();
    if (owners.empty()) first_duck_at = seconds;
    owners.push_back(d.owner);
    EXPECT_EQ(ducks_to_come(game), 170 - (int32_t)owners.size());
    EXPECT_FLOAT_EQ(d.speed, 400.0f + 10.0f * (float)in_the_air) << "duck " << owners.size();
    // From its edge at a height inside the sky, one frame on its way.
    const float U = rig.display.unit;
    EXPECT_FLOAT_EQ(d.width, 4 * U * 0.016f);
    EXPECT_NEAR(d.x, d.heading == 1 ? rig.display.width - d.speed * 0.016f : d.speed * 0.016f, 1e-3);
    EXPECT_GE(d.start_y, 5 * U);
    EXPECT_LE(d.start_y, rig.display.height - 5 * U);
  }
  EXPECT_EQ(owners.size(), 170u);
  EXPECT_EQ(ducks_to_come(game), 0);
  EXPECT_NEAR(first_duck_at, 2.0f, 0.02f);
  // Waits of 2.0, 1.99, ..., 0.30 s (the last finds the floor), each up to a frame longer.
  EXPECT_GT(seconds, 196.6f);
  EXPECT_LT(seconds, 196.7f + 171 * 0.016f);
  for (size_t block = 0; block + OWNER_BLOCK <= owners.size(); block += OWNER_BLOCK)
    EXPECT_EQ(blue_in_block(owners.data() + block), OWNER_BLOCK / 2) << "ducks from " << block;
}

TEST_F(DuckHunt, AHitFiresAShotUpAndAcrossAtItsHuntersAngle) {
  const struct {
    int32_t pad;
    uint8_t power;
    double degrees;   // above the horizontal
    float direction;  // +1 to the right
  } cases[] = {{2, 1, 38.5, -1.0f}, {1, 100, 37.0, 1.0f}, {2, 100, 38.5, -1.0f}, {1, 255, 37.0, 1.0f}};
  rig.connect_two_pads();
  rig.start(duck_hunt_game, &game);
  for (const auto& c : cases) {
    game.shots.clear();
    const SDL_FRect& hunter = c.pad == 1 ? rig.layout.hunterBlueRect : rig.layout.hunterRedRect;
    const float x0 = c.pad == 1 ? hunter.x + hunter.w : hunter.x;
    rig.hit(c.pad, c.power);
    frame();
    ASSERT_EQ(game.shots.size(), 1u);
    const Shot& s = game.shots[0];
    EXPECT_EQ(s.shooter, c.pad - 1);
    EXPECT_NEAR(std::hypot(s.vx, s.vy), 4.0 * c.power, 1e-3 * c.power);
    EXPECT_NEAR(std::atan2(s.vy, s.vx) * 180.0 / M_PI, c.degrees, 1e-4);
    EXPECT_NEAR(s.x, x0 + c.direction * s.vx * 0.016f, 1e-3);
    EXPECT_NEAR(s.y, hunter.y - s.vy * 0.016f, 1e-3);
    EXPECT_FLOAT_EQ(s.height, rig.display.unit);
    EXPECT_NE(c.pad == 1 ? game.left_recoil : game.right_recoil, 0.0f) << "the hunter recoils";
  }
  // A shot flies until it has left the top, and the hunter comes back to rest.
  const Shot last = game.shots[0];
  const int32_t expected_frames = (int32_t)std::ceil((last.y + last.height) / (last.vy * 0.016f));
  int32_t frames = 0;
  for (; !game.shots.empty() && frames < 1000; ++frames) frame();
  EXPECT_NEAR(frames, expected_frames, 1);
  EXPECT_EQ(game.left_recoil, 0.0f);
}

// A duck's box is two thirds of its width around its centre, lifted by half the bottom bar;
// the shot is one point. Whoever fires, the point goes to the duck's colour.
TEST_F(DuckHunt, AHitDuckScoresForItsOwnColourAndBurstsIntoFeathers) {
  const struct {
    float width;
    int32_t owner, shooter;
    float shift;  // of the shot's point from the box centre, in widths
    int32_t left, right;
  } cases[] = {
      {200, 1, 0, 0.0f, 1, 0},  {200, 1, 1, 0.0f, 1, 0},  {200, 0, 0, 0.0f, 0, 1},
      {200, 0, 1, 0.0f, 0, 1},  {200, 1, 0, 0.33f, 1, 0}, {200, 1, 0, 0.34f, 0, 0},
      {0, 1, 0, 0.0f, 0, 0},  // just entered: nothing to hit yet
      {3, 0, 1, 0.0f, 0, 1},
  };
  const float U = rig.display.unit;
  for (const auto& c : cases) {
    duck_hunt_game.reset(&game, rig.context);
    play();
    Duck& d = duck_at(900.0f, c.width, c.owner);
    const float x = d.x, y = d.y;
    shot_at(d, c.shooter).x += c.shift * c.width;
    update();
    const bool hit = c.left + c.right == 1;
    EXPECT_EQ(game.left_score, c.left) << c.width << " " << c.shift;
    EXPECT_EQ(game.right_score, c.right);
    EXPECT_EQ(game.ducks.size(), hit ? 0u : 1u);
    ASSERT_EQ(game.feathers.size(), hit ? 1u : 0u);
    if (!hit) continue;
    EXPECT_FLOAT_EQ(game.feathers[0].x, x - 5 * U);
    EXPECT_FLOAT_EQ(game.feathers[0].y, y - 5 * U);
    EXPECT_FLOAT_EQ(game.feathers[0].width, 10 * U);
    ASSERT_EQ(game.shots.size(), 1u);
    EXPECT_LT(game.shots[0].y + game.shots[0].height, 0.0f) << "the shot is spent";
    update();
    EXPECT_TRUE(game.shots.empty());
  }
}

TEST_F(DuckHunt, OneShotBringsDownOneDuckAndOneDuckTakesOneShot) {
  play();
  shot_at(duck_at(900.0f, 200.0f, 1), 0);
  duck_at(900.0f, 200.0f, 0);
  update();
  EXPECT_EQ(game.left_score + game.right_score, 1);
  EXPECT_EQ(game.left_score, 1) << "the first duck in the list is hit";
  EXPECT_EQ(game.ducks.size(), 1u);

  duck_hunt_game.reset(&game, rig.context);
  play();
  Duck& d = duck_at(900.0f, 200.0f, 0);
  shot_at(d, 0);
  shot_at(d, 1);
  update();
  EXPECT_EQ(game.right_score, 1);
  ASSERT_EQ(game.shots.size(), 2u);
  EXPECT_LT(game.shots[0].y, 0.0f) << "the first shot is spent";
  EXPECT_GT(game.shots[1].y, 0.0f) << "the second flies on";
}

// The wing beat lasts one spawn interval in three pictures; the duck is left out of the frame
// in which a beat ends. Feathers show four pictures over 0.4 s and then go.
TEST_F(DuckHunt, WingBeatsFollowTheSpawnIntervalAndFeathersFade) {
  play();
  game.spawn_interval = 0.33f;  // thirds of 0.11 s
  duck_at(100.0f, 50.0f, 1);
  game.feathers.push_back(FeatherBurst{0, 0, 10, 10, 0});
  std::vector<int32_t> wings;
  for (int i = 0; i < 10; ++i) {
    update(0.05f);
    wings.push_back(game.ducks[0].wing);
  }
  EXPECT_EQ(wings, (std::vector<int32_t>{1, 1, 2, 2, 3, 3, 0, 1, 1, 2}));
  EXPECT_TRUE(game.feathers.empty()) << "gone once older than 0.4 s";
}

// Bangs reach the mixer on the dummy driver as a long silent effect; each one is counted and
// halted after the frame.
class DuckHuntEnd : public DuckHunt {
 protected:
  void SetUp() override {
    DuckHunt::SetUp();
    ASSERT_TRUE(start_sdl_dummy());
    ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 2048), 0);
    silence.assign(44100 * 4 * 2, 0);
    rig.sounds.bang = Mix_QuickLoad_RAW(silence.data(), (Uint32)silence.size());
    ASSERT_NE(rig.sounds.bang, nullptr);
  }
  void TearDown() override {
    Mix_HaltChannel(-1);
    Mix_FreeChunk(rig.sounds.bang);
    Mix_CloseAudio();
  }
  void counted_frame() {
    update();
    if (Mix_Playing(-1) > 0) ++bangs;
    Mix_HaltChannel(-1);
  }
  std::vector<Uint8> silence;
  int32_t bangs = 0;
};

// Equal scores: deciding ducks, one at a time from the same pattern, counted for the
// announcement, no bang, until a hit breaks the tie; then the usual end.
TEST_F(DuckHuntEnd, EqualScoresBringDecidingDucksUntilAHitBreaksTheTie) {
  play();
  game.left_score = game.right_score = 3;
  game.spawning_over = 1;
  game.pattern_index = 40;
  game.owner_pattern[40] = 1;
  game.owner_pattern[41] = 0;
  EXPECT_EQ(game.deciding_ducks, 0);
  counted_frame();
  EXPECT_EQ(game.deciding_ducks, 1);
  ASSERT_EQ(game.ducks.size(), 1u);
  EXPECT_EQ(game.ducks[0].owner, 1);
  EXPECT_FLOAT_EQ(game.ducks[0].speed, 400.0f);
  EXPECT_EQ(game.pattern_index, 41);

  // The first one flies across unhit: the next comes as it goes, never two at once.
  int32_t frames = 0;
  while (game.pattern_index == 41 && frames++ < 1000) {
    ASSERT_EQ(game.ducks.size(), 1u);
    counted_frame();
  }
  EXPECT_NEAR(frames * 0.016f, rig.display.width / 400.0f, 0.05f);
  ASSERT_EQ(game.ducks.size(), 1u);
  EXPECT_EQ(game.ducks[0].owner, 0);
  EXPECT_EQ(game.deciding_ducks, 2);
  EXPECT_EQ(game.match.game_over, 0);
  EXPECT_EQ(bangs, 0) << "no bang while the tie stands";

  // It is red: hitting it decides for the right player.
  for (int i = 0; i < 60; ++i) counted_frame();
  shot_at(game.ducks[0], 0);
  counted_frame();
  EXPECT_EQ(game.right_score, 4);
  EXPECT_EQ(game.match.game_over, 1);
  EXPECT_EQ(bangs, 1);
  EXPECT_FLOAT_EQ(rig.layout.medalGoldRect.x, rig.display.width / 2.0f + 15.0f * rig.display.unit);
  EXPECT_TRUE(game.ducks.empty());
  for (int i = 0; i < 100; ++i) counted_frame();
  EXPECT_EQ(bangs, 1);
  EXPECT_TRUE(game.ducks.empty()) << "no more ducks after the end";
}

}  // namespace
