// Screen 6, "Силомер": start, a 3-2-1 countdown, one measured hit on the active pad, then the
// meter climbs to the hit's power, the number and a rating badge appear. Every measured hit is
// queued for the record store; the screen keeps the visit's best three itself.
#pragma once

#include <cstdint>

#include "core/records.h"
#include "assets/sound_bank.h"
#include "assets/catalog.h"
#include "assets/layout.h"
#include "ui/screen.h"
#include "screens/training_common.h"

struct RecordStore;
struct SensorLink;

// A best value as shown beside its cup, with its text.
struct ShownBest {
  int32_t value = 0;
  char text[4] = {};
};

// The phases follow from three flags, at most one of them 1: none is idle, then countdown
// (countdown.counting_down), measuring and animating.
struct PowerTrainingState {
  float elapsed = 0.0f;  // seconds measuring in this attempt: stored with the hit
  int32_t value = 0;     // power of the last recorded hit
  int32_t best[3] = {};  // this visit's best three, best first; 0 = empty
  int32_t animating = 0;
  float progress = 0.0f;  // of the meter's climb; 0 when idle
  int32_t shown_value = 0;  // the large number and the badge
  char shown_value_text[4] = {};
  ShownBest shown_best[3];  // copied from best when a climb ends
  int32_t sound_played = 0;  // the climb's sound has been started
  int32_t measuring = 0;
  StartCountdown countdown;
  ActivePad pad;
  int32_t unsaved = 0;  // results the store could not write yet: the warning sign shows
};

// The meter's full height in units, and the divisor of its fill: a hit of 255 reaches 255/256.
constexpr float METER_UNITS = 25.0f;
constexpr float METER_DIVISOR = 256.0f;
// Powers per rating band; the ninth band takes the rest up to 255.
constexpr int32_t BAND_WIDTH = 28;
constexpr int32_t BAND_COUNT = 9;

// The rating band of a shown power: 1-9, or 0 for none (power 0).
int32_t rating_band(int32_t shown_value);

// Start-up, reset button, Delete and leaving: everything cleared but the countdown, and the
// full meter shown.
void power_training_reset(PowerTrainingState& state, const Display& display, LayoutTable& layout);
// Every frame: the active pad, then its hit, which starts an attempt when idle or is recorded
// while measuring (queued for the store, the run's best and the visit's best updated).
void power_training_update(SensorLink* link, PowerTrainingState& state, const SoundBank& sounds,
                           const Display& display, LayoutTable& layout, RecordStore* store);
// Every frame after the update: the measuring clock, the meter's climb, the countdown.
void power_training_tick(PowerTrainingState& state, const FrameClock& clock,
                         const Display& display, LayoutTable& layout);
void power_training_draw(const FrameClock& clock, const PowerTrainingState& state,
                         const Palette& palette, const Display& display,
                         const TextureCatalog& textures, const LayoutTable& layout,
                         const FontSet& fonts);
// Left button: quit, back, reset, start, pad button; the first rectangle holding the point
// decides, even when the phase refuses its action.
void power_training_click(PowerTrainingState& state, ScreenContext& c);
// Space starts, Delete resets, Escape leads back.
void power_training_key(PowerTrainingState& state, ScreenContext& c, int32_t scancode);

extern const ScreenDef power_training_screen;
