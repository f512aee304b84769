#include "screens/power_training.h"

#include <cstdio>

#include "ui/draw_list.h"
#include "store/record_store.h"
#include "link/sensor_link.h"

namespace {

using T = TextureCatalog;
using L = LayoutTable;

SDL_Texture* T::*const badges[BAND_COUNT] = {
    &T::rankTitle1, &T::rankTitle2, &T::rankTitle3, &T::rankTitle4, &T::rankTitle5,
    &T::rankTitle6, &T::rankTitle7, &T::rankTitle8, &T::rankTitle9,
};

bool idle(const PowerTrainingState& s) {
  return s.countdown.counting_down == 0 && s.measuring == 0 && s.animating == 0;
}

void set_text(char (&out)[4], int32_t value) { snprintf(out, sizeof out, "%d", value); }

void show_value(PowerTrainingState& s, int32_t value) {
  s.shown_value = value;
  set_text(s.shown_value_text, value);
}

void show_best(PowerTrainingState& s) {
  for (int k = 0; k < 3; ++k) {
    s.shown_best[k].value = s.best[k];
    set_text(s.shown_best[k].text, s.best[k]);
  }
}

// The meter at a power (256 = the full picture): its top edge climbs while its bottom edge
// stays at the middle of the screen plus half the meter, and the picture is revealed from its
// bottom. The last frame of a climb may pass 256; the meter stops at its full picture.
void set_meter(float power, const Display& d, LayoutTable& l) {
  if (power > METER_DIVISOR) power = METER_DIVISOR;
  float U = d.unit;
  float fill = METER_UNITS * U * power / METER_DIVISOR;
  l.powerScaleRect.h = fill;
  l.powerScaleRect.y = (float)d.height * 0.5f + METER_UNITS / 2 * U - fill;
  int32_t full = l.powerScaleSize.h;
  int32_t shown = (int32_t)((float)full * power / METER_DIVISOR);
  l.powerScaleSourceRect.h = shown;
  l.powerScaleSourceRect.y = full - shown;
}

void start_attempt(PowerTrainingState& s, const SoundBank& sounds, const Display& d,
                   LayoutTable& l) {
  countdown_start(s.countdown, sounds.timer);
  show_value(s, 0);
  set_meter(METER_DIVISOR, d, l);
}

// One measured hit: the pads are cleared, the result queued, the visit's best updated, and
// the meter starts climbing.
void record_hit(PowerTrainingState& s, int32_t v, SensorLink* link, const SoundBank& sounds,
                RecordStore* store) {
  s.value = v;
  clear_all_hits(link);
  s.measuring = 0;
  DateTime now = local_date_time();
  // The run's counter and best three take the hit once the store has it in the file.
  if (store) store_queue_result(*store, v, s.elapsed, s.pad.pad_mac, now);
  s.elapsed = 0.0f;
  s.animating = 1;
  s.progress = 0.0f;
  if (s.sound_played == 0) {
    play_effect(sounds.hit_power_increase);
    s.sound_played = 1;
  }
  int place = top_three_place(v, s.best);
  if (place < 3) {
    for (int k = 2; k > place; --k) s.best[k] = s.best[k - 1];
    s.best[place] = v;
  }
}

void climb(PowerTrainingState& s, float dt, const Display& d, LayoutTable& l) {
  if (s.progress == 0.0f) s.progress = 0.001f;
  else s.progress += dt;
  set_meter((float)s.value * s.progress, d, l);
  if (s.progress <= 1.0f) return;
  show_value(s, s.value);
  s.animating = 0;
  s.progress = 0.0f;
  s.sound_played = 0;
  show_best(s);
}

void press(TrainingControl control, PowerTrainingState& s, ScreenContext& c) {
  // Quit, back and reset also wait while the meter climbs; the pad may change then, never
  // while a hit is awaited.
  if (s.animating == 1 && control != CONTROL_START && control != CONTROL_PAD) return;
  TrainingPress wanted = training_press(control, s.countdown, idle(s), s.measuring == 0, c);
  if (wanted.reset) power_training_reset(s, c.display, c.layout);
  if (wanted.start) start_attempt(s, c.sounds, c.display, c.layout);
  if (wanted.next_pad) next_active_pad(s.pad);
}

}  // namespace

int32_t rating_band(int32_t v) {
  if (v <= 0) return 0;
  int32_t band = (v - 1) / BAND_WIDTH + 1;
  return band < BAND_COUNT ? band : BAND_COUNT;
}

void power_training_reset(PowerTrainingState& s, const Display& d, LayoutTable& l) {
  s.elapsed = 0.0f;
  s.value = 0;
  for (int32_t& b : s.best) b = 0;
  s.animating = 0;
  s.progress = 0.0f;
  show_value(s, 0);
  show_best(s);
  s.sound_played = 0;
  s.measuring = 0;
  for (int32_t& c : s.pad.pad_connected) c = 0;
  s.pad.selected_pad = 0;
  set_meter(METER_DIVISOR, d, l);
}

void power_training_update(SensorLink* link, PowerTrainingState& s, const SoundBank& sounds,
                           const Display& d, LayoutTable& l, RecordStore* store) {
  s.unsaved = store ? store_unsaved(*store) : 0;
  if (!active_pad_update(link, s.pad)) return;
  int32_t v = take_active_hit(link, s.pad, true);
  if (v == 0 || s.countdown.counting_down == 1 || s.animating == 1) return;
  if (s.measuring == 1) record_hit(s, v, link, sounds, store);
  else start_attempt(s, sounds, d, l);
}

void power_training_tick(PowerTrainingState& s, const FrameClock& clock, const Display& d,
                         LayoutTable& l) {
  bool was_measuring = s.measuring == 1;
  if (was_measuring) s.elapsed += clock.dt;
  if (s.animating == 1) climb(s, clock.dt, d, l);
  if (s.countdown.counting_down == 1 && !was_measuring && countdown_tick(s.countdown, clock.dt))
    s.measuring = 1;
}

void power_training_draw(const FrameClock& c, const PowerTrainingState& s, const Palette& palette,
                         const Display& d, const TextureCatalog& t, const LayoutTable& l,
                         const FontSet& fonts) {
  SDL_RenderCopy(c.renderer, t.titleHitPower, nullptr, &l.titleHitPowerRect);
  SDL_RenderCopyF(c.renderer, t.powerScale, &l.powerScaleSourceRect, &l.powerScaleRect);
  const char* const best[3] = {s.shown_best[0].text, s.shown_best[1].text, s.shown_best[2].text};
  draw_training_results(c, s.countdown, s.shown_value_text, best, palette, d, t, l, fonts);
  int32_t band = rating_band(s.shown_value);
  if (band > 0)
    SDL_RenderCopyF(c.renderer, t.*badges[band - 1], nullptr, &l.rankTitleRect[band - 1]);
  draw_unsaved_sign(c, t, l, s.unsaved);
  draw_training_controls(c, s.pad, s.countdown, palette, t, l, fonts);
}

void power_training_click(PowerTrainingState& s, ScreenContext& c) {
  press(training_control_at(c.pointer, c.layout), s, c);
}

void power_training_key(PowerTrainingState& s, ScreenContext& c, int32_t scancode) {
  press(training_control_of_key(scancode), s, c);
}

namespace {

void reset(PowerTrainingState& s, ScreenContext& c) { power_training_reset(s, c.display, c.layout); }
void update(PowerTrainingState& s, ScreenContext& c) {
  power_training_update(c.link, s, c.sounds, c.display, c.layout, c.store);
}
void tick(PowerTrainingState& s, ScreenContext& c) { power_training_tick(s, c.clock, c.display, c.layout); }
void draw(const PowerTrainingState& s, ScreenContext& c) {
  power_training_draw(c.clock, s, c.palette, c.display, c.textures, c.layout, c.fonts);
}

}  // namespace

const ScreenDef power_training_screen = {
    .screen = SCREEN_POWER_TRAINING,
    .back = SCREEN_TRAINING_MENU,
    .reset = row<PowerTrainingState, reset>,
    .update = row<PowerTrainingState, update>,
    .tick = row<PowerTrainingState, tick>,
    .draw = row_draw<PowerTrainingState, draw>,
    .key = row_key<PowerTrainingState, power_training_key>,
    .click = row<PowerTrainingState, power_training_click>,
};
