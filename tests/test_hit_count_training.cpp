// The hit-count training's rules on state, frame by frame, with no renderer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "screens/hit_count_training.h"
#include "tests/training_rig.h"

namespace {

struct HitCount : TrainingRig {
  HitCountTrainingState s;
  HitCount() {
    app.screen = SCREEN_HIT_COUNT_TRAINING;
    hit_count_reset(s);
  }

  // One frame without the drawing: intake, clock, texts.
  void frame() {
    hit_count_update(s, &link, sounds);
    hit_count_tick(s, clock, sounds);
    hit_count_make_texts(s);
  }
  void key(int32_t code) {
    ScreenContext c = context();
    hit_count_key(s, c, code);
  }
  template <typename Rect>
  void click(const Rect& r) {
    at(r);
    ScreenContext c = context();
    hit_count_click(s, c);
  }
  bool ready() const { return s.time_left == HIT_COUNT_SECONDS && s.running == 0; }
  // Space, then frames until the count runs.
  void start_running() {
    key(KEY_SPACE);
    ASSERT_EQ(s.countdown.counting_down, 1);
    for (int i = 0; i < 400 && s.running != 1; ++i) frame();
    ASSERT_EQ(s.running, 1);
  }
  // A whole attempt of `hits` hits, one a frame, from a ready screen to its end.
  void attempt(int32_t hits) {
    start_running();
    for (int32_t i = 0; i < hits; ++i) {
      hit();
      frame();
    }
    for (int i = 0; i < 2000 && s.running == 1; ++i) frame();
    ASSERT_EQ(s.running, 0);
  }
  void until_ready() {
    for (int i = 0; i < 2000 && !ready(); ++i) frame();
    ASSERT_TRUE(ready());
  }
  std::string clock_text() const {
    return std::string(s.clock_text[CLOCK_MINUTES]) + ":" + s.clock_text[CLOCK_SECONDS] + ":" +
           s.clock_text[CLOCK_MILLIS];
  }
};

TEST(HitCountTraining, BestCountsAreTheThreeHighestAndEqualOrZeroCountsNeverEnter) {
  const struct {
    std::vector<int32_t> counts;
    int32_t best[3];
  } rows[] = {
      {{12, 15, 12}, {15, 12, 0}},  {{0}, {0, 0, 0}},         {{0, 5, 0}, {5, 0, 0}},
      {{3, 7, 5, 9}, {9, 7, 5}},    {{5, 5, 5}, {5, 0, 0}},   {{9, 7, 7, 8}, {9, 8, 7}},
      {{9, 8, 7, 7, 1}, {9, 8, 7}},
  };
  for (const auto& row : rows) {
    HitCount t;
    t.clock.dt = 0.05f;
    std::string trace;
    for (int32_t n : row.counts) {
      trace += std::to_string(n) + " ";
      t.until_ready();
      t.attempt(n);
      EXPECT_EQ(t.s.count, n);
      EXPECT_EQ(t.s.count_text, std::to_string(n));
    }
    SCOPED_TRACE(trace);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(t.s.best[i].count, row.best[i]) << "place " << i + 1;
      EXPECT_EQ(t.s.best[i].text, std::to_string(row.best[i]));
    }
  }
}

// A hit counts only while fresh: one that came more than STALE_HIT_MS before the frame that
// reads it neither starts an attempt nor adds to the count.
TEST(HitCountTraining, AStaleHitIsNotCounted) {
  HitCount t;
  t.hit_at(t.now_ms - STALE_HIT_MS - 1.0);
  t.frame();
  EXPECT_EQ(t.s.countdown.counting_down, 0) << "an old hit starts nothing";
  EXPECT_FALSE(t.hit_waiting());
  t.start_running();
  t.hit_at(t.now_ms - STALE_HIT_MS - 1.0);
  t.frame();
  EXPECT_EQ(t.s.count, 0);
  t.hit_at(t.now_ms - STALE_HIT_MS);
  t.frame();
  EXPECT_EQ(t.s.count, 1) << "at the limit it still counts";
}

TEST(HitCountTraining, AHitReadInTheFrameTheTimeRunsOutCounts) {
  HitCount t;
  t.start_running();
  t.hit();
  t.frame();
  while (t.s.time_left > 0.0f) t.frame();
  ASSERT_EQ(t.s.running, 1) << "the tick that takes the time below zero only shows 00:00:000";
  EXPECT_EQ(t.clock_text(), "00:00:000");
  EXPECT_EQ(t.s.shown.minutes + t.s.shown.seconds + t.s.shown.millis, 0) << "the display never goes below zero";
  t.hit();
  t.frame();
  EXPECT_EQ(t.s.running, 0);
  EXPECT_EQ(t.s.count, 2);
  EXPECT_EQ(t.s.best[0].count, 2);
  t.hit();
  t.frame();
  EXPECT_EQ(t.s.count, 2) << "hits while the clock refills are thrown away";
  EXPECT_FALSE(t.hit_waiting());
  EXPECT_EQ(t.s.countdown.counting_down, 0);
}

TEST(HitCountTraining, StartIsRefusedWhileRefillingAndAResetMakesItReadyAtOnce) {
  enum Resetter { RESET_BUTTON, DELETE_KEY };
  for (Resetter how : {RESET_BUTTON, DELETE_KEY}) {
    SCOPED_TRACE(how);
    HitCount t;
    t.attempt(4);
    for (int i = 0; i < 100; ++i) t.frame();
    t.key(KEY_SPACE);
    t.click(t.layout.playButtonRect);
    t.hit();
    t.frame();
    EXPECT_EQ(t.s.countdown.counting_down, 0);
    EXPECT_EQ(t.s.count, 4);
    EXPECT_TRUE(hit_count_clock(t.s).refilling);

    if (how == RESET_BUTTON) t.click(t.layout.repeatButtonRect);
    else t.key(KEY_DELETE);
    EXPECT_TRUE(t.ready());
    EXPECT_EQ(t.s.best[0].count, 0);
    t.frame();
    EXPECT_EQ(t.clock_text(), "00:20:000");
    EXPECT_FALSE(hit_count_clock(t.s).refilling);
    t.key(KEY_SPACE);
    EXPECT_EQ(t.s.countdown.counting_down, 1);
    EXPECT_EQ(t.s.count, 0);
  }
}

TEST(HitCountTraining, TheRefillTakesTwentySecondsOfFrameTimeWithBlinkingZeros) {
  for (float dt : {0.016f, 0.05f}) {
    SCOPED_TRACE(dt);
    HitCount t;
    t.clock.dt = dt;
    t.attempt(1);
    int frames = 1, blinks = 0;  // the tick that ended the attempt began the refill
    bool lit = true;
    while (!t.ready() && frames < 5000) {
      HitCountClock view = hit_count_clock(t.s);
      if (view.refilling) {
        ASSERT_EQ(t.clock_text(), "00:00:000");
        ASSERT_EQ(view.digits, view.colon);
        if (lit && !view.digits) ++blinks;
        lit = view.digits;
      }
      t.frame();
      ++frames;
    }
    // Ready in the tick after the one that passes the full time; summing dt in floats may
    // take one tick more to pass it.
    EXPECT_GE(frames * dt, HIT_COUNT_SECONDS);
    EXPECT_LE(frames * dt, HIT_COUNT_SECONDS + 2.01f * dt);
    EXPECT_EQ(blinks, 20) << "the zeros go out once a second";
    EXPECT_EQ(t.clock_text(), "00:20:000");
  }
}

TEST(HitCountTraining, TheClockReadsTheTimeLeftAndBlinksByItsThousandths) {
  const struct {
    float time_left;
    int32_t running;
    float dt;
    const char* shown;
    bool refilling, digits, colon;
  } rows[] = {
      {20.0f, 0, 0.0f, "00:20:000", false, true, true},    // ready: the colon stays on
      {12.25f, 1, 0.0f, "00:12:250", false, true, true},   // counting: the colon blinks,
      {12.75f, 1, 0.0f, "00:12:750", false, true, false},  // the digits stay
      {0.5f, 1, 0.0f, "00:00:500", false, true, false},
      {0.01f, 1, 0.05f, "00:00:000", false, true, true},   // run out, not below zero
      {0.0f, 0, 0.0f, "00:00:000", true, true, true},      // refilling: zeros and colon
      {5.25f, 0, 0.0f, "00:00:000", true, true, true},     // blink together
      {5.75f, 0, 0.0f, "00:00:000", true, false, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.time_left);
    HitCount t;
    t.clock.dt = row.dt;
    t.s.time_left = row.time_left;
    t.s.running = row.running;
    hit_count_tick(t.s, t.clock, t.sounds);
    hit_count_make_texts(t.s);
    HitCountClock view = hit_count_clock(t.s);
    EXPECT_EQ(t.clock_text(), row.shown);
    EXPECT_EQ(view.refilling, row.refilling);
    EXPECT_EQ(view.digits, row.digits);
    EXPECT_EQ(view.colon, row.colon);
    EXPECT_GE(t.s.shown.minutes, 0);
    EXPECT_GE(t.s.shown.seconds, 0);
    EXPECT_GE(t.s.shown.millis, 0);
  }
}

}  // namespace
