// The reaction-time and hit-count trainings end to end: the whole program, a virtual hub's
// hits through the real link, keys through the real dispatch. The frames run on a virtual
// clock (16 ms a frame, longer where only time has to pass); the hub and the link run in
// real time.
#include <gtest/gtest.h>
#include <unistd.h>

#include "core/lock_hold.h"
#include "app/program.h"
#include "tests/support.h"
#include "tools/virtual_hub.h"

namespace {

class TrainingWithHub : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(chdir(scratch.path.c_str()), 0);
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // The detached link thread may still reach the hub after shut_down, so it lives until
    // the process ends.
    static VirtualHub* kept_hub = nullptr;
    if (!kept_hub) kept_hub = new VirtualHub;
    hub = kept_hub;
    ASSERT_TRUE(hub_plug(*hub));
    ASSERT_EQ(start_up(p, virtual_hub_port(*hub)), 0);
    for (int i = 0; i < 300 && hub_opens(*hub) == 0; ++i) SDL_Delay(10);
    ASSERT_GT(hub_opens(*hub), 0);
    ASSERT_TRUE(hub_connect(*hub, 0, "A1B2C3D4E5F6"));
    for (int i = 0; i < 300 && !pad_connected(); ++i) SDL_Delay(10);
    ASSERT_TRUE(pad_connected());
    seams = fake_ticks_seams(ticks);
  }
  void TearDown() override {
    shut_down(p);
    hub_unplug(*hub);
  }

  bool pad_connected() {
    Hold hold(p.link->mutex);
    return p.link->pads[0].connected == 1;
  }
  void press_space() {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.scancode = SDL_SCANCODE_SPACE;
    SDL_PushEvent(&e);
    run_frame(p, seams);
  }
  // Frames, each after a little real time for the link, until done() or about two seconds.
  template <typename Done>
  int frames_until(Done done) {
    int frames = 0;
    for (uint64_t end = monotonic_ms() + 2000; !done() && monotonic_ms() < end; ++frames) {
      SDL_Delay(2);
      run_frame(p, seams);
    }
    return frames;
  }

  ScratchRunDir scratch;
  VirtualHub* hub = nullptr;
  Program p;
  FakeTicks ticks;
  LoopSeams seams;
};

TEST_F(TrainingWithHub, ASignalThenAHitShowsTheReactionTime) {
  p.app.screen = SCREEN_REACTION_TRAINING;
  run_frame(p, seams);
  EXPECT_EQ(p.screens.reaction.pad.selected_pad, 1);
  press_space();
  ASSERT_EQ(p.screens.reaction.countdown.counting_down, 1);
  ticks.work_ms = 100;  // long frames through the countdown and the wait
  auto signalled = [&] { return p.screens.reaction.measuring == 1 && p.screens.reaction.signal_pending == 0; };
  for (int i = 0; i < 1000 && !signalled(); ++i) run_frame(p, seams);
  ASSERT_TRUE(signalled());
  const double presented = port_clock_ms();  // that frame's present has returned
  ticks.work_ms = 0;

  SDL_Delay(120);
  ASSERT_TRUE(hub_hit(*hub, 0, 150, 80));
  const double written = port_clock_ms();
  frames_until([&] { return p.screens.reaction.measuring == 0; });
  ASSERT_EQ(p.screens.reaction.measuring, 0);
  float shown = p.screens.reaction.best[0].seconds;
  // The hit's arrival minus the signal's present, whatever the frames took meanwhile.
  EXPECT_NEAR(shown * 1000.0, written - presented, 2.0);
  EXPECT_STREQ(p.screens.reaction.stopwatch_text, p.screens.reaction.best[0].text);
}

TEST_F(TrainingWithHub, TenHitsInARunGiveACountOfTen) {
  p.app.screen = SCREEN_HIT_COUNT_TRAINING;
  press_space();
  ticks.work_ms = 100;
  for (int i = 0; i < 300 && p.screens.hit_count.running != 1; ++i) run_frame(p, seams);
  ticks.work_ms = 0;
  ASSERT_EQ(p.screens.hit_count.running, 1);
  for (int32_t n = 1; n <= 10; ++n) {
    ASSERT_TRUE(hub_hit(*hub, 0, (uint8_t)(20 * n), 80));
    frames_until([&] { return p.screens.hit_count.count == n; });
    ASSERT_EQ(p.screens.hit_count.count, n);
  }
  ASSERT_EQ(p.screens.hit_count.running, 1) << "all ten within the 20 seconds";
  ticks.work_ms = 500;
  for (int i = 0; i < 100 && p.screens.hit_count.running == 1; ++i) run_frame(p, seams);
  EXPECT_EQ(p.screens.hit_count.running, 0);
  EXPECT_EQ(p.screens.hit_count.best[0].count, 10);
  EXPECT_STREQ(p.screens.hit_count.count_text, "10");
  EXPECT_STREQ(p.screens.hit_count.best[0].text, "10");
}

}  // namespace
