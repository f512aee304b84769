// Whole games of the duck hunt and the prospectors. Once each through the virtual hub and the
// whole program to the medals, on a fake clock that stands still while the link reads and then
// runs minutes of play in seconds; and a soak of random hits across both games.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>

#include "core/lock_hold.h"
#include "app/program.h"
#include "tests/game_support.h"
#include "tests/support.h"
#include "tools/virtual_hub.h"

namespace {

// Frames of a second where nothing has to meet anything, a tenth while ducks are awaited.
constexpr uint32_t LONG_FRAME_MS = 1000;
constexpr uint32_t SHORT_FRAME_MS = 100;

class GameThroughHub : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(chdir(scratch.path.c_str()), 0);
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // The detached link thread may reach the hub after shut_down: it lives as long as the
    // process, held where leak checks see it is kept on purpose.
    static VirtualHub* kept_hub = nullptr;
    if (!kept_hub) kept_hub = new VirtualHub;
    hub = kept_hub;
    hub->gap_ms = HUB_PACED_GAP_MS;  // one message a read: this run is not about framing
    ASSERT_TRUE(hub_plug(*hub));
    const int32_t opened = hub_opens(*hub);
    ASSERT_EQ(start_up(p, virtual_hub_port(*hub)), 0);
    seams = fake_ticks_seams(ticks);
    for (int i = 0; i < 500 && hub_opens(*hub) == opened; ++i) SDL_Delay(10);
    ASSERT_GT(hub_opens(*hub), opened) << "this program's link opened the hub";
    // What comes between the link's open and its setting up of the line may be flushed:
    // the pads announce themselves again until the link has them.
    for (int tries = 0; tries < 5 && !both_connected(); ++tries) {
      hub_connect(*hub, 0, "A1B2C3D4E5F6");
      hub_connect(*hub, 1, "0C1D2E3F4A5B");
      for (int i = 0; i < 100 && !both_connected(); ++i) SDL_Delay(10);
    }
    ASSERT_TRUE(both_connected());
  }
  void TearDown() override {
    hub_unplug(*hub);
    shut_down(p);
  }
  bool both_connected() {
    Hold hold(p.link->mutex);
    return p.link->pads[0].connected == 1 && p.link->pads[1].connected == 1;
  }
  // A hit sent by the hub and waited for until the link holds it: the next frame takes it.
  void strike(int32_t pad, uint8_t power) {
    hub_hit(*hub, pad - 1, power, 90);
    for (int i = 0; i < 300; ++i) {
      {
        Hold hold(p.link->mutex);
        if (p.link->pads[pad - 1].hit[3] == power) return;
      }
      SDL_Delay(5);
    }
    FAIL() << "the hub's hit did not arrive";
  }
  void frame() { run_frame(p, seams); }
  // Into the game, both pads assigned, and through the countdown a hit starts.
  void start_game(int32_t screen, const MatchState& match) {
    p.app.screen = screen;
    frame();
    ASSERT_EQ(match.left_pad, 1);
    ASSERT_EQ(match.right_pad, 2);
    strike(2, 40);
    frame();
    ASSERT_EQ(match.countdown.counting_down, 1);
    frames_until([&] { return match.playing == 1; }, LONG_FRAME_MS);
    ASSERT_EQ(match.playing, 1);
  }
  // Frames of a given length until the condition holds (at most 10 000 of them).
  template <typename Until>
  void frames_until(Until until, uint32_t ms) {
    ticks.work_ms = ms;
    for (int i = 0; i < 10000 && !until(); ++i) frame();
    ticks.work_ms = 0;
  }
  void play_out(const MatchState& match) {
    frames_until([&] { return match.game_over == 1; }, LONG_FRAME_MS);
    ASSERT_EQ(match.game_over, 1);
  }
  void expect_gold_on(Side winner) {
    const float W = (float)p.display.width, U = p.display.unit;
    EXPECT_FLOAT_EQ(p.layout.medalGoldRect.x, winner == SIDE_LEFT ? W / 2 - 30 * U : W / 2 + 15 * U);
  }

  ScratchRunDir scratch;
  VirtualHub* hub = nullptr;
  Program p;
  FakeTicks ticks;
  LoopSeams seams;
};

// The power that sends the left hunter's shot to where a duck will be: the crossing of the
// shot's line with the duck's, reached by both at once. 0 when this duck cannot be met now.
int32_t aim_at(const Duck& d, const Program& p) {
  const LayoutTable& l = p.layout;
  const float W = (float)p.display.width, B = l.bottomBarRect.h;
  const double shot_h = p.display.unit, shot_w = shot_h * image_info[IMG_shell].width / image_info[IMG_shell].height;
  const double x0 = l.hunterBlueRect.x + l.hunterBlueRect.w + shot_w / 2;
  const double y0 = l.hunterBlueRect.y + shot_h / 2;
  const double c = 0.798635510047, s = 0.601815023152;
  const double k = d.start_y - (double)(p.display.height / 2);
  // Along the shot: (x0 + t c, y0 - t s); the duck's box centre: (x, start_y - k 2x/W - B/2).
  const double along = (d.start_y - B / 2.0 - 2 * k * x0 / W - y0) / (2 * k * c / W - s);
  const double meet_x = x0 + along * c;
  const double duck_time = (d.heading == 0 ? meet_x - d.x : d.x - meet_x) / d.speed;
  if (along <= 0 || duck_time < 0.3 || duck_time > 1.5) return 0;
  const int32_t power = (int32_t)std::lround(along / (4.0 * duck_time));
  return power >= 20 && power <= 255 ? power : 0;
}

TEST_F(GameThroughHub, DuckHuntFromTheFirstHitToTheMedals) {
  const DuckHuntGame& g = p.games.duck_hunt;
  start_game(SCREEN_DUCK_HUNT, g.match);
  frames_until([&] { return !g.ducks.empty(); }, SHORT_FRAME_MS);
  // Shots the hub fires at ducks until one falls.
  int32_t shots = 0;
  for (int i = 0; i < 20000 && g.left_score + g.right_score == 0; ++i) {
    frame();
    if (!g.shots.empty()) continue;
    for (const Duck& d : g.ducks) {
      const int32_t power = aim_at(d, p);
      if (power == 0) continue;
      strike(1, (uint8_t)power);
      frame();
      ASSERT_EQ(g.shots.size(), 1u) << "the hub's hit fired";
      EXPECT_NE(g.left_recoil, 0.0f);
      ++shots;
      break;
    }
  }
  ASSERT_EQ(g.left_score + g.right_score, 1) << "after " << shots << " shots";
  ASSERT_EQ(g.feathers.size(), 1u);
  play_out(g.match);
  EXPECT_EQ(g.spawning_over, 1);
  EXPECT_TRUE(g.ducks.empty());
  expect_gold_on(g.left_score > g.right_score ? SIDE_LEFT : SIDE_RIGHT);
}

TEST_F(GameThroughHub, ProspectorsFromTheFirstHitToTheMedals) {
  const ProspectorsGame& g = p.games.prospectors;
  start_game(SCREEN_PROSPECTORS, g.match);
  strike(1, 200);
  frame();
  EXPECT_EQ(g.left_score, 15);
  EXPECT_EQ(g.left_nuggets, 1);
  EXPECT_EQ(g.gems.size(), 21u);
  strike(2, 100);
  frame();
  EXPECT_EQ(g.right_score, 5);
  EXPECT_EQ(g.right_emeralds, 1);
  frames_until([&] { return g.time_left < 1.5f; }, LONG_FRAME_MS);
  EXPECT_TRUE(g.gems.empty()) << "the strokes' stones are long gone";
  EXPECT_EQ(g.match.game_over, 0);
  frames_until([&] { return g.match.game_over == 1; }, 0);
  EXPECT_EQ(g.gems.size(), 80u) << "the burst";
  expect_gold_on(SIDE_LEFT);
  frames_until([&] { return g.gems.empty(); }, LONG_FRAME_MS);
  EXPECT_TRUE(g.gems.empty());
}

// Random hits of random power from both players, game after game, until 10 000 hits have
// been played; every game must end, and leave nothing flying once it has settled.
TEST(GameSoak, TenThousandRandomHitsAcrossBothGamesLeaveNothingFlying) {
  GameRig rig;
  rig.connect_two_pads();
  DuckHuntGame ducks;
  ProspectorsGame prospectors;
  srand(1616);
  int32_t hits = 0, games = 0;
  for (; hits < 10000; ++games) {
    const bool duck_game = games % 2 == 0;
    const GameDef& def = duck_game ? duck_hunt_game : prospectors_game;
    void* record = duck_game ? (void*)&ducks : (void*)&prospectors;
    const MatchState& match = def.match(record);
    def.reset(record, rig.context);
    rig.start(def, record);
    // Each player hits in about one frame of six, as hard as chance has it.
    for (int32_t frame = 0; match.game_over == 0 && frame < 100000; ++frame) {
      for (int32_t pad = 1; pad <= 2; ++pad)
        if (rand() % 6 == 0) {
          rig.hit(pad, (uint8_t)(1 + rand() % 255));
          ++hits;
        }
      rig.frame(def, record);
    }
    ASSERT_EQ(match.game_over, 1) << "game " << games;
    EXPECT_TRUE(ducks.ducks.empty()) << "game " << games;
    for (int32_t frame = 0; frame < 1000; ++frame) rig.frame(def, record);
    EXPECT_TRUE(prospectors.gems.empty()) << "game " << games;
    // Slow shots may climb for minutes; the next reset lets go of them with everything else.
    def.reset(record, rig.context);
    EXPECT_EQ(ducks.ducks.capacity() + ducks.shots.capacity() + ducks.feathers.capacity(), 0u);
    EXPECT_EQ(prospectors.gems.capacity(), 0u);
  }
}

}  // namespace
