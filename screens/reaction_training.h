// Screen 7: reaction time. After the countdown a random wait, then the signal (the Go badge
// and the bang) while a stopwatch counts up; the next hit on the active pad stops it. The time
// kept is the hit's arrival on the wire minus the moment the first frame showing the signal
// was presented, both on the link's clock; the stopwatch then shows that time.
#pragma once

#include <cstdint>

#include "core/records.h"
#include "assets/sound_bank.h"
#include "assets/catalog.h"
#include "assets/layout.h"
#include "ui/screen.h"
#include "screens/training_common.h"

struct SensorLink;

constexpr float SIGNAL_DELAY_MIN = 2.0f;  // seconds from the end of the countdown to the signal
constexpr float SIGNAL_DELAY_MAX = 7.0f;

struct ReactionBest {
  float seconds = 0.0f;  // 0 = empty
  char text[12] = {};
};

struct ReactionTrainingState {
  float stopwatch = 0.0f;  // seconds since measuring began in the current attempt
  char stopwatch_text[12] = {};
  ReactionBest best[3];  // the shortest reaction times, shortest first
  float delay = 0.0f;    // seconds from the start of measuring to the signal
  int32_t measuring = 0;       // 1 from the end of the countdown until the reaction
  int32_t signal_pending = 0;  // 1 until this attempt's bang has played
  int32_t signal_drawn = 0;    // 1 from the first frame drawing the signal until its present is read
  double signal_ms = -1.0;     // when that frame was presented; below 0 until then
  StartCountdown countdown;
  ActivePad pad;
};

// Everything but the countdown cleared, and a new delay drawn.
void reaction_reset(ReactionTrainingState& state);

// True once the signal is due: the Go badge shows and the stopwatch counts from the signal.
// It stays true after the reaction, until the next start.
bool reaction_signal_shown(const ReactionTrainingState& state);

// Every frame, in this order: the active pad and hit intake, the countdown, the texts, the
// draw, then the signal and the stopwatch's advance. A hit counts once the signal has been
// presented (clock.present_ms of the frame after the one that drew it) and came after that.
void reaction_update(ReactionTrainingState& state, SensorLink* link, const SoundBank& sounds,
                     const FrameClock& clock);
void reaction_tick(ReactionTrainingState& state, const FrameClock& clock);
void reaction_make_texts(ReactionTrainingState& state);
void reaction_draw(const FrameClock& clock, const ReactionTrainingState& state,
                   const Palette& palette, const Display& display, const TextureCatalog& textures,
                   const LayoutTable& layout, const FontSet& fonts);
// The bang the first time the signal is shown in an attempt, then the stopwatch's advance.
void reaction_after_draw(ReactionTrainingState& state, const FrameClock& clock,
                         const SoundBank& sounds);

void reaction_click(ReactionTrainingState& state, ScreenContext& c);
void reaction_key(ReactionTrainingState& state, ScreenContext& c, int32_t scancode);

extern const ScreenDef reaction_training_screen;
