// Screen 8: hit count. After the countdown, 20 seconds in which every hit on the active pad
// counts, on a stopwatch running down; then the clock refills for 20 seconds before the next
// attempt may start.
#pragma once

#include <cstdint>

#include "core/records.h"
#include "assets/sound_bank.h"
#include "assets/catalog.h"
#include "assets/layout.h"
#include "ui/screen.h"
#include "screens/training_common.h"
#include "ui/clock_fields.h"

struct SensorLink;

constexpr float HIT_COUNT_SECONDS = 20.0f;  // an attempt's length, and the refill's

struct BestCount {
  int32_t count = 0;  // 0 = empty
  char text[4] = {};
};

enum ClockPart : int32_t { CLOCK_MINUTES, CLOCK_SECONDS, CLOCK_MILLIS, CLOCK_PARTS };

struct HitCountTrainingState {
  float time_left = HIT_COUNT_SECONDS;  // exactly HIT_COUNT_SECONDS when ready
  ClockReading shown{0, 20, 0};          // the display fields, never below zero
  char clock_text[CLOCK_PARTS][4] = {};  // "%02d", "%02d", "%03d" as shown
  int32_t count = 0;
  char count_text[4] = {};
  BestCount best[3];  // the highest counts, highest first
  int32_t running = 0;  // 1 while hits count
  StartCountdown countdown;
  ActivePad pad;
};

// How the stopwatch reads this frame.
struct HitCountClock {
  bool refilling = false;  // the zeros, the green frame with its lime bar and "ожидание..."
  bool digits = false;     // the three numbers
  bool colon = false;
  float fill = 0.0f;  // the lime bar's share of its frame while refilling, 0-1
};
HitCountClock hit_count_clock(const HitCountTrainingState& state);

// Ready at once: no count, no best counts, the full 20 seconds; the countdown is left alone.
void hit_count_reset(HitCountTrainingState& state);

// Every frame, in this order: the active pad and hit intake, the clock (with the attempt's
// end, the refill and the countdown), the texts, the draw.
void hit_count_update(HitCountTrainingState& state, SensorLink* link, const SoundBank& sounds);
void hit_count_tick(HitCountTrainingState& state, const FrameClock& clock, const SoundBank& sounds);
void hit_count_make_texts(HitCountTrainingState& state);
void hit_count_draw(const FrameClock& clock, const HitCountTrainingState& state,
                    const Palette& palette, const Display& display, const TextureCatalog& textures,
                    const LayoutTable& layout, const FontSet& fonts);

void hit_count_click(HitCountTrainingState& state, ScreenContext& c);
void hit_count_key(HitCountTrainingState& state, ScreenContext& c, int32_t scancode);

extern const ScreenDef hit_count_training_screen;
