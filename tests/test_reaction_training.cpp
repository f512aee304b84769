// The reaction-time training's rules on state, frame by frame, with no renderer.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "screens/reaction_training.h"
#include "tests/training_rig.h"

namespace {

struct Reaction : TrainingRig {
  ReactionTrainingState s;
  Reaction() { reaction_reset(s); }

  // One frame without the drawing: intake, countdown, texts, then the signal and the advance;
  // its present returns 3 ms after it began.
  void frame() {
    now_ms += clock.dt * 1000.0;
    reaction_update(s, &link, sounds, clock);
    reaction_tick(s, clock);
    reaction_make_texts(s);
    reaction_after_draw(s, clock, sounds);
    clock.present_ms = now_ms + 3.0;
  }
  void key(int32_t code) {
    ScreenContext c = context();
    reaction_key(s, c, code);
  }
  template <typename Rect>
  void click(const Rect& r) {
    at(r);
    ScreenContext c = context();
    reaction_click(s, c);
  }
  // Space, then frames until measuring begins.
  void start_measuring() {
    key(KEY_SPACE);
    ASSERT_EQ(s.countdown.counting_down, 1);
    for (int i = 0; i < 400 && s.measuring != 1; ++i) frame();
    ASSERT_EQ(s.measuring, 1);
  }
  // Frames until the signal has been shown, with the bang's flag cleared.
  void until_signal() {
    for (int i = 0; i < 1000 && s.signal_pending == 1; ++i) frame();
    ASSERT_EQ(s.signal_pending, 0);
  }
  // Frames until the stopwatch, as the next frame will read it, has passed `seconds`.
  void until_stopwatch(float seconds) {
    for (int i = 0; i < 1000 && s.stopwatch < seconds; ++i) frame();
  }
};

std::string seconds_text(float r) {
  char text[12];
  snprintf(text, sizeof text, "%.3f", r);
  return text;
}

TEST(ReactionTraining, AnEarlyHitIsIgnoredAndTheSignalStillComesAtTheDelay) {
  Reaction t;
  t.start_measuring();
  t.s.delay = 3.5f;
  t.until_stopwatch(1.0f);
  t.hit();
  t.frame();
  EXPECT_FALSE(t.hit_waiting()) << "the early hit is taken off the pad";
  EXPECT_EQ(t.s.measuring, 1) << "no penalty: the attempt goes on";
  EXPECT_EQ(t.s.best[0].seconds, 0.0f);

  float before = 0.0f;
  while (t.s.signal_pending == 1 && t.s.stopwatch < 10.0f) {
    before = t.s.stopwatch;
    t.frame();
    if (t.s.signal_pending == 1) {
      ASSERT_LT(before, 3.5f);
      ASSERT_STREQ(t.s.stopwatch_text, "0.000") << "nothing counts before the signal";
    }
  }
  EXPECT_GE(before, 3.5f) << "the signal frame reads the stopwatch at the delay or past it";
  EXPECT_LT(before, 3.5f + t.clock.dt);
  EXPECT_EQ(t.s.stopwatch_text, seconds_text(before - 3.5f));
}

TEST(ReactionTraining, TheReactionIsTheHitsArrivalMinusTheSignalsPresent) {
  Reaction t;
  t.start_measuring();
  t.s.delay = 2.0f;
  t.until_signal();
  const double signal = t.clock.present_ms;  // the frame that drew the signal, presented
  for (int i = 0; i < 17; ++i) t.frame();
  EXPECT_EQ(t.s.signal_ms, signal);

  // A hit that came before the signal was on the screen is early, even when taken later.
  t.hit_at(signal - 0.5);
  t.frame();
  EXPECT_EQ(t.s.measuring, 1);
  EXPECT_FALSE(t.hit_waiting());

  // Taken frames later, timed by its stamp: not by the frames, which ran past it.
  t.frame();
  t.hit_at(signal + 237.4);
  t.frame();
  EXPECT_EQ(t.s.measuring, 0);
  EXPECT_FLOAT_EQ(t.s.best[0].seconds, 0.2374f);
  EXPECT_STREQ(t.s.stopwatch_text, "0.237");
  EXPECT_STREQ(t.s.best[0].text, "0.237");
  EXPECT_GT(t.now_ms - signal, 280.0) << "the frame-based stopwatch would have shown more";

  // The frozen time and the signal stay until the next start.
  for (int i = 0; i < 100; ++i) t.frame();
  EXPECT_STREQ(t.s.stopwatch_text, "0.237");
  EXPECT_TRUE(reaction_signal_shown(t.s));
}

TEST(ReactionTraining, TheBangPlaysOncePerAttempt) {
  CountedEffect bang;
  ASSERT_TRUE(bang.open()) << SDL_GetError();
  Reaction t;
  t.sounds.bang = bang.chunk;
  // Second attempt: the hit lands in the frame right after the stopwatch passed the delay,
  // before the signal was presented: it is early, and the bang still plays, once.
  for (bool hit_before_drawn : {false, true}) {
    SCOPED_TRACE(hit_before_drawn ? "hit before the signal was drawn" : "hit after the signal");
    int before = Mix_Playing(-1);
    t.start_measuring();
    t.s.delay = 2.0f;
    t.until_stopwatch(2.0f);
    EXPECT_EQ(Mix_Playing(-1), before);
    if (hit_before_drawn) {
      ASSERT_EQ(t.s.signal_pending, 1);
      t.hit();
    }
    t.frame();
    EXPECT_EQ(Mix_Playing(-1), before + 1) << "in the frame that shows the signal";
    if (hit_before_drawn) {
      t.frame();
      EXPECT_EQ(t.s.measuring, 1) << "the early hit does not end the attempt";
    }
    for (int i = 0; i < 10; ++i) t.frame();
    t.hit();
    for (int i = 0; i < 30; ++i) t.frame();
    EXPECT_EQ(t.s.measuring, 0);
    EXPECT_EQ(t.s.countdown.counting_down, 0);
    EXPECT_EQ(Mix_Playing(-1), before + 1) << "the reaction and the frames after it play nothing";
  }
}

TEST(ReactionTraining, BestTimesAreTheThreeShortestAndEqualTimesEnterOnce) {
  const struct {
    std::vector<float> reactions;
    float best[3];
  } rows[] = {
      {{0.3f, 0.2f, 0.25f}, {0.2f, 0.25f, 0.3f}},
      {{0.5f, 0.4f, 0.3f, 0.2f}, {0.2f, 0.3f, 0.4f}},
      {{0.2f, 0.4f, 0.6f, 0.7f}, {0.2f, 0.4f, 0.6f}},
      {{0.2f, 0.4f, 0.6f, 0.5f}, {0.2f, 0.4f, 0.5f}},
      {{0.3f, 0.3f}, {0.3f, 0, 0}},
      {{0.3f, 0.2f, 0.3f}, {0.2f, 0.3f, 0}},
      {{0.2f, 0.4f, 0.6f, 0.6f, 0.4f}, {0.2f, 0.4f, 0.6f}},
  };
  for (const auto& row : rows) {
    Reaction t;
    std::string trace;
    for (float r : row.reactions) {
      trace += seconds_text(r) + " ";
      t.s.measuring = 1;
      t.s.delay = 1.0f;
      t.s.stopwatch = 1.0f + r;
      t.s.signal_ms = t.now_ms;
      t.hit_at(t.now_ms + r * 1000.0);
      t.frame();
    }
    SCOPED_TRACE(trace);
    for (int i = 0; i < 3; ++i) {
      EXPECT_FLOAT_EQ(t.s.best[i].seconds, row.best[i]) << "place " << i + 1;
      EXPECT_EQ(t.s.best[i].text, seconds_text(row.best[i]));
    }
  }
}

TEST(ReactionTraining, SpaceAndTheStartButtonStartTheSameAfterAFinishedAttempt) {
  Reaction by_key, by_button;
  for (Reaction* t : {&by_key, &by_button}) {
    t->start_measuring();
    t->s.delay = 2.0f;
    t->until_signal();
    t->hit();
    t->frame();
    ASSERT_EQ(t->s.measuring, 0);
  }
  by_key.key(KEY_SPACE);
  by_button.click(by_button.layout.playButtonRect);
  for (Reaction* t : {&by_key, &by_button}) {
    EXPECT_EQ(t->s.countdown.counting_down, 1);
    EXPECT_EQ(t->s.stopwatch, 0.0f);
    EXPECT_GE(t->s.delay, SIGNAL_DELAY_MIN);
    EXPECT_LE(t->s.delay, SIGNAL_DELAY_MAX);
    t->start_measuring();  // a second Space does nothing while counting down
    EXPECT_EQ(t->s.measuring, 1);
    EXPECT_STREQ(t->s.stopwatch_text, "0.000") << "until the new signal";
    EXPECT_FALSE(reaction_signal_shown(t->s));
    EXPECT_NE(t->s.best[0].seconds, 0.0f) << "the best times are kept";
  }
  EXPECT_EQ(by_key.s.countdown.countdown_time, by_button.s.countdown.countdown_time);
  EXPECT_EQ(by_key.s.stopwatch, by_button.s.stopwatch);
}

TEST(ReactionTraining, WithNoPadAnAttemptStartsAndOnlyEscapeBackOrResetEndIt) {
  enum Ender { ESCAPE, BACK_BUTTON, RESET_BUTTON, DELETE_KEY };
  for (Ender ender : {ESCAPE, BACK_BUTTON, RESET_BUTTON, DELETE_KEY}) {
    SCOPED_TRACE(ender);
    Reaction t;
    t.link.pads[0].connected = 0;
    t.start_measuring();
    t.s.delay = 2.0f;
    t.until_stopwatch(4.0f);
    t.hit();  // a pad that is not connected is not read
    t.key(KEY_SPACE);
    t.click(t.layout.playButtonRect);
    t.click(t.layout.playerLabelRightRect);
    for (int i = 0; i < 600; ++i) t.frame();
    EXPECT_EQ(t.s.measuring, 1) << "nothing but the enders ends the wait";
    EXPECT_TRUE(t.hit_waiting());
    EXPECT_EQ(t.s.pad.selected_pad, 0);

    if (ender == ESCAPE) t.key(KEY_ESCAPE);
    if (ender == BACK_BUTTON) t.click(t.layout.backButtonRect);
    if (ender == RESET_BUTTON) t.click(t.layout.repeatButtonRect);
    if (ender == DELETE_KEY) t.key(KEY_DELETE);
    EXPECT_EQ(t.s.measuring, 0);
    EXPECT_EQ(t.s.stopwatch, 0.0f);
    bool leaves = ender == ESCAPE || ender == BACK_BUTTON;
    EXPECT_EQ(t.app.screen, leaves ? SCREEN_TRAINING_MENU : SCREEN_REACTION_TRAINING);
  }
}

TEST(ReactionTraining, TheCountdownBlocksEveryButtonAndKey) {
  Reaction t;
  t.start_measuring();
  t.s.delay = 2.0f;
  t.until_signal();
  t.hit();
  t.frame();
  ASSERT_NE(t.s.best[0].seconds, 0.0f);
  t.link.pads[2].connected = 1;
  t.key(KEY_SPACE);
  for (int i = 0; i < 20; ++i) t.frame();
  ASSERT_EQ(t.s.countdown.counting_down, 1);

  const ReactionTrainingState before = t.s;
  for (int32_t key : {KEY_ESCAPE, KEY_DELETE, KEY_SPACE}) t.key(key);
  for (const SDL_FRect* r : {&t.layout.closeButtonRect, &t.layout.backButtonRect,
                             &t.layout.repeatButtonRect, &t.layout.playButtonRect})
    t.click(*r);
  t.click(t.layout.playerLabelRightRect);
  EXPECT_EQ(t.app.running, 1);
  EXPECT_EQ(t.app.screen, SCREEN_REACTION_TRAINING);
  EXPECT_EQ(t.s.countdown.countdown_time, before.countdown.countdown_time);
  EXPECT_EQ(t.s.best[0].seconds, before.best[0].seconds) << "no reset";
  EXPECT_EQ(t.s.delay, before.delay) << "no new start";
  EXPECT_EQ(t.s.pad.selected_pad, 1) << "no pad change";

  // Once measuring, the pad button still waits; the quit button works.
  for (int i = 0; i < 400 && t.s.measuring != 1; ++i) t.frame();
  t.click(t.layout.playerLabelRightRect);
  EXPECT_EQ(t.s.pad.selected_pad, 1);
  t.click(t.layout.closeButtonRect);
  EXPECT_EQ(t.app.running, 0);
}

}  // namespace
