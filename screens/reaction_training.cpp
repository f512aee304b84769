#include "screens/reaction_training.h"

#include <cstdio>

#include "core/random.h"
#include "core/date_time.h"
#include "ui/draw_list.h"
#include "link/sensor_link.h"

namespace {

const DrawItem title[] = {
    text(&TextureCatalog::titleReactionTime1, &LayoutTable::titleReactionTime1Rect),
    text(&TextureCatalog::titleReactionTime2, &LayoutTable::titleReactionTime2Rect),
};

bool idle(const ReactionTrainingState& s) {
  return s.countdown.counting_down != 1 && s.measuring != 1;
}

void start(ReactionTrainingState& s, const SoundBank& sounds) {
  s.stopwatch = 0.0f;
  s.signal_drawn = 0;
  s.signal_ms = -1.0;
  s.delay = random_between(SIGNAL_DELAY_MIN, SIGNAL_DELAY_MAX);
  countdown_start(s.countdown, sounds.timer);
}

// Shorter is better and an empty place holds 0; a time already listed is not listed twice.
void enter_best(ReactionBest (&best)[3], float r) {
  if (best[0].seconds == 0.0f || r <= best[0].seconds) {
    if (r == best[0].seconds) return;
    best[2] = best[1];
    best[1] = best[0];
    best[0].seconds = r;
  } else if (best[1].seconds == 0.0f || r <= best[1].seconds) {
    if (r == best[1].seconds) return;
    best[2] = best[1];
    best[1].seconds = r;
  } else if ((best[2].seconds == 0.0f || r <= best[2].seconds) && r != best[2].seconds) {
    best[2].seconds = r;
  }
}

void press(TrainingControl control, ReactionTrainingState& s, ScreenContext& c) {
  TrainingPress wanted = training_press(control, s.countdown, idle(s), idle(s), c);
  if (wanted.reset) reaction_reset(s);
  if (wanted.start) start(s, c.sounds);
  if (wanted.next_pad) next_active_pad(s.pad);
}

}  // namespace

void reaction_reset(ReactionTrainingState& s) {
  s.stopwatch = 0.0f;
  for (ReactionBest& b : s.best) b.seconds = 0.0f;
  s.measuring = 0;
  s.signal_pending = 0;
  s.signal_drawn = 0;
  s.signal_ms = -1.0;
  for (int32_t& c : s.pad.pad_connected) c = 0;
  s.pad.selected_pad = 0;
  s.delay = random_between(SIGNAL_DELAY_MIN, SIGNAL_DELAY_MAX);
}

bool reaction_signal_shown(const ReactionTrainingState& s) { return s.stopwatch >= s.delay; }

void reaction_update(ReactionTrainingState& s, SensorLink* link, const SoundBank& sounds,
                     const FrameClock& clock) {
  if (s.signal_drawn == 1) {
    s.signal_ms = clock.present_ms;
    s.signal_drawn = 0;
  }
  if (!active_pad_update(link, s.pad)) return;
  int32_t power = take_active_hit(link, s.pad, false);
  if (power == 0 || s.countdown.counting_down == 1) return;
  if (s.measuring != 1) {
    start(s, sounds);
    return;
  }
  // Too early, before the signal was on the screen: no penalty, the wait goes on.
  if (s.signal_ms < 0.0 || s.pad.hit_ms < s.signal_ms) return;
  clear_all_hits(link);
  s.measuring = 0;
  float reaction = (float)((s.pad.hit_ms - s.signal_ms) / 1000.0);
  s.stopwatch = s.delay + reaction;  // the stopwatch stops at the true time
  enter_best(s.best, reaction);
}

void reaction_tick(ReactionTrainingState& s, const FrameClock& clock) {
  if (s.countdown.counting_down != 1 || s.measuring == 1) return;
  if (!countdown_tick(s.countdown, clock.dt)) return;
  s.measuring = 1;
  s.signal_pending = 1;
}

void reaction_make_texts(ReactionTrainingState& s) {
  float shown = reaction_signal_shown(s) ? s.stopwatch - s.delay : 0.0f;
  snprintf(s.stopwatch_text, sizeof s.stopwatch_text, "%.3f", shown);
  for (ReactionBest& b : s.best) snprintf(b.text, sizeof b.text, "%.3f", b.seconds);
}

void reaction_draw(const FrameClock& clock, const ReactionTrainingState& s, const Palette& palette,
                   const Display& d, const TextureCatalog& t, const LayoutTable& l,
                   const FontSet& fonts) {
  draw_items(clock, t, l, title);
  const char* const best[3] = {s.best[0].text, s.best[1].text, s.best[2].text};
  draw_training_results(clock, s.countdown, s.stopwatch_text, best, palette, d, t, l, fonts);
  if (reaction_signal_shown(s)) SDL_RenderCopyF(clock.renderer, t.goBadge, nullptr, &l.goBadgeRect);
  draw_training_controls(clock, s.pad, s.countdown, palette, t, l, fonts);
}

void reaction_after_draw(ReactionTrainingState& s, const FrameClock& clock, const SoundBank& sounds) {
  if (reaction_signal_shown(s) && s.signal_pending == 1) {
    play_effect(sounds.bang);
    s.signal_pending = 0;
    s.signal_drawn = 1;
  }
  if (s.measuring == 1) s.stopwatch += clock.dt;
}

void reaction_click(ReactionTrainingState& s, ScreenContext& c) {
  press(training_control_at(c.pointer, c.layout), s, c);
}

void reaction_key(ReactionTrainingState& s, ScreenContext& c, int32_t scancode) {
  press(training_control_of_key(scancode), s, c);
}

namespace {

void reset(ReactionTrainingState& s, ScreenContext&) { reaction_reset(s); }
void update(ReactionTrainingState& s, ScreenContext& c) { reaction_update(s, c.link, c.sounds, c.clock); }
void tick(ReactionTrainingState& s, ScreenContext& c) {
  reaction_tick(s, c.clock);
  reaction_make_texts(s);
}
void draw(const ReactionTrainingState& s, ScreenContext& c) {
  reaction_draw(c.clock, s, c.palette, c.display, c.textures, c.layout, c.fonts);
}
void after_draw(ReactionTrainingState& s, ScreenContext& c) { reaction_after_draw(s, c.clock, c.sounds); }

}  // namespace

const ScreenDef reaction_training_screen = {
    .screen = SCREEN_REACTION_TRAINING,
    .back = SCREEN_TRAINING_MENU,
    .reset = row<ReactionTrainingState, reset>,
    .update = row<ReactionTrainingState, update>,
    .tick = row<ReactionTrainingState, tick>,
    .draw = row_draw<ReactionTrainingState, draw>,
    .after_draw = row<ReactionTrainingState, after_draw>,
    .key = row_key<ReactionTrainingState, reaction_key>,
    .click = row<ReactionTrainingState, reaction_click>,
};
