#include "screens/training_common.h"

#include "app/lock_hold.h"
#include "app/sound_bank.h"
#include "link/sensor_link.h"
#include "screens/draw_list.h"

int32_t countdown_digit_at(float seconds) {
  if (seconds < 1.0f) return 3;
  if (seconds < 2.0f) return 2;
  if (seconds < COUNTDOWN_SECONDS) return 1;
  return COUNTDOWN_OVER;
}

bool active_pad_update(SensorLink* link, ActivePad& pad) {
  if (link) {
    Hold hold(link->mutex);
    copy_connected_locked(*link, pad.pad_connected);
  } else {
    for (int32_t& c : pad.pad_connected) c = 0;
  }
  int32_t lowest = 0;
  for (int32_t k = 4; k >= 1; --k)
    if (pad.pad_connected[k - 1] == 1) lowest = k;
  if (lowest == 0) {
    pad.selected_pad = 0;
    return false;
  }
  if (pad.selected_pad != 0 && pad.pad_connected[pad.selected_pad - 1] != 1) {
    pad.selected_pad = 0;
    return false;
  }
  if (pad.selected_pad == 0) pad.selected_pad = lowest;
  return true;
}

int32_t take_active_hit(SensorLink* link, ActivePad& pad, bool with_mac) {
  if (!link || pad.selected_pad < 1 || pad.selected_pad > 4) return 0;
  Hold hold(link->mutex);
  return take_hit_locked(*link, pad.selected_pad, pad.pad_suffix, with_mac ? pad.pad_mac : nullptr);
}

void clear_all_hits(SensorLink* link) {
  if (!link) return;
  Hold hold(link->mutex);
  clear_all_hits_locked(*link);
}

void next_active_pad(ActivePad& pad) {
  if (pad.selected_pad < 1 || pad.selected_pad > 4) return;
  for (int32_t step = 1; step < 4; ++step) {
    int32_t candidate = (pad.selected_pad - 1 + step) % 4 + 1;
    if (pad.pad_connected[candidate - 1] == 1) {
      pad.selected_pad = candidate;
      return;
    }
  }
}

void countdown_start(StartCountdown& c, Mix_Chunk* timer) {
  c.counting_down = 1;
  play_effect(timer);
}

bool countdown_tick(StartCountdown& c, float dt) {
  c.countdown_time += dt;
  c.countdown_digit = countdown_digit_at(c.countdown_time);
  if (c.countdown_digit != COUNTDOWN_OVER) return false;
  c = StartCountdown{};
  return true;
}

void draw_pad_button(const FrameClock& clock, const ActivePad& pad, const Palette& palette,
                     const TextureCatalog& t, const LayoutTable& l, const FontSet& fonts) {
  if (pad.selected_pad == 0) {
    SDL_RenderCopy(clock.renderer, t.labelPlayerGrey, nullptr, &l.playerLabelRightRect);
    return;
  }
  SDL_RenderCopy(clock.renderer, t.labelPlayerGreen, nullptr, &l.playerLabelRightRect);
  draw_runtime_text(clock, fonts.fontMedium, pad.pad_suffix, palette.lime, l.playerDigitRightRect.x,
                    l.playerDigitRightRect.y);
}

void draw_countdown(const FrameClock& clock, int32_t digit, const Palette& palette,
                    const TextureCatalog& t, const LayoutTable& l) {
  fill_screen(clock, palette.shade, l);
  SDL_Texture* ring = digit == 3 ? t.ringDigit3 : digit == 2 ? t.ringDigit2 : digit == 1 ? t.ringDigit1 : nullptr;
  if (ring) SDL_RenderCopyF(clock.renderer, ring, nullptr, &l.countdownRect);
}
