#include "screens/hit_count_training.h"

#include <cstdio>
#include <initializer_list>

#include "ui/draw_list.h"
#include "link/sensor_link.h"

namespace {

const DrawItem title[] = {
    text(&TextureCatalog::titleHitCount1, &LayoutTable::titleHitCount1Rect),
    text(&TextureCatalog::titleHitCount2, &LayoutTable::titleHitCount2Rect),
};

bool ready(const HitCountTrainingState& s) {
  return s.countdown.counting_down != 1 && s.running != 1 && s.time_left == HIT_COUNT_SECONDS;
}

bool refilling(const HitCountTrainingState& s) {
  return s.running != 1 && s.time_left >= 0.0f && s.time_left < HIT_COUNT_SECONDS;
}

void start(HitCountTrainingState& s, const SoundBank& sounds) {
  s.count = 0;
  countdown_start(s.countdown, sounds.timer);
}

// The time left as shown, read as zero once it has run out.
void set_display_fields(HitCountTrainingState& s) {
  s.shown = clock_reading(s.time_left > 0.0f ? s.time_left : 0.0f);
}

// Higher is better; a count already listed is not listed twice, and 0 never enters.
void enter_best(BestCount (&best)[3], int32_t count) {
  if (count > best[0].count) {
    best[2] = best[1];
    best[1] = best[0];
    best[0].count = count;
  } else if (count == best[0].count) {
    return;
  } else if (count > best[1].count) {
    best[2] = best[1];
    best[1].count = count;
  } else if (count == best[1].count) {
    return;
  } else if (count > best[2].count) {
    best[2].count = count;
  }
}

void press(TrainingControl control, HitCountTrainingState& s, ScreenContext& c) {
  TrainingPress wanted = training_press(control, s.countdown, ready(s), s.running != 1, c);
  if (wanted.reset) hit_count_reset(s);
  if (wanted.start) start(s, c.sounds);
  if (wanted.next_pad) next_active_pad(s.pad);
}

// The three numbers in red on the stopwatch's window: minutes ending at the colon, seconds
// starting after it, the thousandths smaller and on the same baseline after a thin gap.
void draw_clock_digits(const FrameClock& clock, const HitCountTrainingState& s,
                       const Palette& palette, const Display& d, const LayoutTable& l,
                       const FontSet& fonts) {
  const SDL_Rect& colon = l.labelColonRedRect;
  int minutes_w = 0, seconds_w = 0, h = 0;
  TTF_SizeUTF8(fonts.fontMedium, s.clock_text[CLOCK_MINUTES], &minutes_w, &h);
  TTF_SizeUTF8(fonts.fontMedium, s.clock_text[CLOCK_SECONDS], &seconds_w, &h);
  draw_runtime_text(clock, fonts.fontMedium, s.clock_text[CLOCK_MINUTES], palette.red,
                    colon.x - minutes_w, colon.y);
  draw_runtime_text(clock, fonts.fontMedium, s.clock_text[CLOCK_SECONDS], palette.red,
                    colon.x + colon.w, colon.y);
  int32_t baseline = colon.y + TTF_FontAscent(fonts.fontMedium);
  draw_runtime_text(clock, fonts.fontSmall, s.clock_text[CLOCK_MILLIS], palette.red,
                    colon.x + colon.w + seconds_w + (int32_t)(0.2f * d.unit),
                    baseline - TTF_FontAscent(fonts.fontSmall));
}

// White on the lime bar reads poorly: the caption gets a thin dark outline first.
void draw_outlined_caption(const FrameClock& clock, SDL_Texture* caption, const SDL_Rect& at,
                           SDL_Color outline, const Display& d) {
  const int32_t o = d.unit >= 21.0f ? 2 : 1;  // two pixels from about 900 lines up
  SDL_SetTextureColorMod(caption, outline.r, outline.g, outline.b);
  for (const SDL_Point step : {SDL_Point{-o, -o}, SDL_Point{o, -o}, SDL_Point{-o, o}, SDL_Point{o, o}}) {
    SDL_Rect r{at.x + step.x, at.y + step.y, at.w, at.h};
    SDL_RenderCopy(clock.renderer, caption, nullptr, &r);
  }
  SDL_SetTextureColorMod(caption, 255, 255, 255);
  SDL_RenderCopy(clock.renderer, caption, nullptr, &at);
}

}  // namespace

HitCountClock hit_count_clock(const HitCountTrainingState& s) {
  HitCountClock c;
  bool lit = blink_lit(s.shown);
  c.refilling = refilling(s);
  c.digits = c.refilling ? lit : true;
  c.colon = lit;
  c.fill = c.refilling ? s.time_left / HIT_COUNT_SECONDS : 0.0f;
  return c;
}

void hit_count_reset(HitCountTrainingState& s) {
  s.count = 0;
  for (BestCount& b : s.best) b.count = 0;
  s.running = 0;
  s.time_left = HIT_COUNT_SECONDS;
  set_display_fields(s);
  for (int32_t& c : s.pad.pad_connected) c = 0;
  s.pad.selected_pad = 0;
}

void hit_count_update(HitCountTrainingState& s, SensorLink* link, const SoundBank& sounds) {
  if (!active_pad_update(link, s.pad)) return;
  if (take_active_hit(link, s.pad, false) == 0 || s.countdown.counting_down == 1) return;
  if (s.running == 1) {
    s.count += 1;
    clear_all_hits(link);
  } else if (ready(s)) {
    start(s, sounds);
  }  // while the clock refills the hit is thrown away
}

void hit_count_tick(HitCountTrainingState& s, const FrameClock& clock, const SoundBank& sounds) {
  if (s.time_left > 0.0f) {
    if (s.time_left > HIT_COUNT_SECONDS) s.time_left = HIT_COUNT_SECONDS;
    if (s.running == 1) {
      s.time_left -= clock.dt;
      set_display_fields(s);
      return;
    }
  }
  if (s.time_left <= 0.0f) {
    // The first tick that finds the time run out ends the attempt: hits taken by this
    // frame's update have counted.
    s.time_left = 0.0f;
    if (s.running == 1) {
      play_effect(sounds.bang);
      s.running = 0;
      enter_best(s.best, s.count);
    }
  }
  // The next tick clamps the refill to exactly the full time once it passes it.
  if (refilling(s)) s.time_left += clock.dt;
  set_display_fields(s);
  if (s.countdown.counting_down == 1 && countdown_tick(s.countdown, clock.dt)) s.running = 1;
}

void hit_count_make_texts(HitCountTrainingState& s) {
  bool zeros = refilling(s);
  snprintf(s.clock_text[CLOCK_MINUTES], sizeof s.clock_text[0], "%02d", zeros ? 0 : s.shown.minutes);
  snprintf(s.clock_text[CLOCK_SECONDS], sizeof s.clock_text[0], "%02d", zeros ? 0 : s.shown.seconds);
  snprintf(s.clock_text[CLOCK_MILLIS], sizeof s.clock_text[0], "%03d", zeros ? 0 : s.shown.millis);
  snprintf(s.count_text, sizeof s.count_text, "%d", s.count);
  for (BestCount& b : s.best) snprintf(b.text, sizeof b.text, "%d", b.count);
}

void hit_count_draw(const FrameClock& clock, const HitCountTrainingState& s, const Palette& palette,
                    const Display& d, const TextureCatalog& t, const LayoutTable& l,
                    const FontSet& fonts) {
  draw_items(clock, t, l, title);
  const char* const best[3] = {s.best[0].text, s.best[1].text, s.best[2].text};
  draw_training_results(clock, s.countdown, s.count_text, best, palette, d, t, l, fonts);
  SDL_RenderCopyF(clock.renderer, t.stopwatch, nullptr, &l.stopwatchRect);

  HitCountClock view = hit_count_clock(s);
  if (view.digits) draw_clock_digits(clock, s, palette, d, l, fonts);
  if (view.colon) SDL_RenderCopy(clock.renderer, t.labelColonRed, nullptr, &l.labelColonRedRect);
  if (view.refilling) {
    SDL_RenderCopyF(clock.renderer, t.frameGreen, nullptr, &l.frameGreenRect);
    SDL_FRect bar = l.progressFillRect;
    bar.w = (l.frameGreenRect.w - 1.1f * d.unit) * view.fill;
    SDL_SetRenderDrawColor(clock.renderer, palette.lime.r, palette.lime.g, palette.lime.b,
                           palette.lime.a);
    SDL_RenderFillRectF(clock.renderer, &bar);
    draw_outlined_caption(clock, t.captionWaiting, l.captionWaitingRect, palette.ink, d);
  }
  draw_training_controls(clock, s.pad, s.countdown, palette, t, l, fonts);
}

void hit_count_click(HitCountTrainingState& s, ScreenContext& c) {
  press(training_control_at(c.pointer, c.layout), s, c);
}

void hit_count_key(HitCountTrainingState& s, ScreenContext& c, int32_t scancode) {
  press(training_control_of_key(scancode), s, c);
}

namespace {

void reset(HitCountTrainingState& s, ScreenContext&) { hit_count_reset(s); }
void update(HitCountTrainingState& s, ScreenContext& c) { hit_count_update(s, c.link, c.sounds); }
void tick(HitCountTrainingState& s, ScreenContext& c) {
  hit_count_tick(s, c.clock, c.sounds);
  hit_count_make_texts(s);
}
void draw(const HitCountTrainingState& s, ScreenContext& c) {
  hit_count_draw(c.clock, s, c.palette, c.display, c.textures, c.layout, c.fonts);
}

}  // namespace

const ScreenDef hit_count_training_screen = {
    .screen = SCREEN_HIT_COUNT_TRAINING,
    .back = SCREEN_TRAINING_MENU,
    .reset = row<HitCountTrainingState, reset>,
    .update = row<HitCountTrainingState, update>,
    .tick = row<HitCountTrainingState, tick>,
    .draw = row_draw<HitCountTrainingState, draw>,
    .key = row_key<HitCountTrainingState, hit_count_key>,
    .click = row<HitCountTrainingState, hit_count_click>,
};
