// The kit trainings and games share: the countdown and a clock's fields with their blink.
// Rules on state only: no renderer.
#include <gtest/gtest.h>

#include "ui/clock_fields.h"
#include "ui/hud.h"

namespace {

TEST(StartCountdown, ShowsThreeTwoOneAndEndsAtThreeSeconds) {
  const struct {
    float at;
    int32_t digit;
  } digits[] = {{0.0f, 3}, {0.999f, 3}, {1.0f, 2}, {1.999f, 2}, {2.0f, 1}, {2.999f, 1}, {3.0f, 0}, {9.0f, 0}};
  for (const auto& d : digits) EXPECT_EQ(countdown_digit_at(d.at), d.digit) << d.at;

  StartCountdown c;
  countdown_start(c, nullptr);  // a missing sound is skipped
  EXPECT_EQ(c.counting_down, 1);
  int frames = 0;
  while (!countdown_tick(c, 0.016f)) {
    ++frames;
    ASSERT_EQ(c.counting_down, 1);
    ASSERT_GE(c.countdown_digit, 1);
  }
  EXPECT_EQ(frames, 187) << "the frame that reaches 3 s ends it";
  EXPECT_EQ(c.counting_down, 0);
  EXPECT_EQ(c.countdown_digit, 0);
  EXPECT_EQ(c.countdown_time, 0.0f);
}

TEST(ClockReading, SplitsTruncatedFieldsAndBlinksInTheFirstHalfOfEachSecond) {
  const struct {
    float seconds;
    int32_t minutes, whole_seconds, millis;
    bool lit;
  } rows[] = {
      {180.0f, 3, 0, 0, true},      {179.75f, 2, 59, 750, false}, {61.25f, 1, 1, 250, true},
      {60.0f, 1, 0, 0, true},       {59.5f, 0, 59, 500, false},   {30.0f, 0, 30, 0, true},
      {0.499f, 0, 0, 499, true},    {0.0f, 0, 0, 0, true},        {-0.25f, 0, 0, -250, true},
  };
  for (const auto& r : rows) {
    const ClockReading c = clock_reading(r.seconds);
    EXPECT_EQ(c.minutes, r.minutes) << r.seconds;
    EXPECT_EQ(c.seconds, r.whole_seconds) << r.seconds;
    EXPECT_EQ(c.millis, r.millis) << r.seconds;
    EXPECT_EQ(blink_lit(c), r.lit) << r.seconds;
  }
}

}  // namespace
