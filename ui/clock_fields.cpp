#include "ui/clock_fields.h"

#include <cstdio>

#include "ui/draw_list.h"

ClockReading clock_reading(float seconds) {
  const int32_t whole = (int32_t)seconds;
  ClockReading r;
  r.minutes = whole / 60;
  r.seconds = (int32_t)(seconds - (float)(r.minutes * 60));
  r.millis = (int32_t)((seconds - (float)whole) * 1000.0f);
  return r;
}

bool blink_lit(const ClockReading& r) { return r.millis < BLINK_LIT_MILLIS; }

void draw_minutes_seconds(const FrameClock& clock, TTF_Font* font, SDL_Color colour,
                          const ClockReading& r, float minutes_x, float seconds_x, float y,
                          SDL_Texture* colon, const SDL_Rect& colon_rect) {
  char text[12];
  snprintf(text, sizeof text, "%02d", r.minutes);
  draw_runtime_text_centred(clock, font, text, colour, minutes_x, y);
  if (blink_lit(r)) SDL_RenderCopy(clock.renderer, colon, nullptr, &colon_rect);
  snprintf(text, sizeof text, "%02d", r.seconds);
  draw_runtime_text_centred(clock, font, text, colour, seconds_x, y);
}
