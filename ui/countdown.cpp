#include "ui/countdown.h"

#include "ui/draw_list.h"

int32_t countdown_digit_at(float seconds) {
  if (seconds < 1.0f) return 3;
  if (seconds < 2.0f) return 2;
  if (seconds < COUNTDOWN_SECONDS) return 1;
  return COUNTDOWN_OVER;
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

void draw_countdown(const FrameClock& clock, const StartCountdown& c, const Palette& palette,
                    const TextureCatalog& t, const LayoutTable& l) {
  if (c.counting_down != 1) return;
  fill_screen(clock, palette.shade, l);
  const int32_t digit = c.countdown_digit;
  SDL_Texture* ring = digit == 3 ? t.ringDigit3 : digit == 2 ? t.ringDigit2 : digit == 1 ? t.ringDigit1 : nullptr;
  if (ring) SDL_RenderCopyF(clock.renderer, ring, nullptr, &l.countdownRect);
}
