// A clock's shown fields: the whole minutes, seconds and thousandths of a time in seconds,
// and the blink of its colon (and of a refilling clock's digits), read from the thousandths.
#pragma once

#include <cstdint>

#include "core/records.h"
#include "assets/catalog.h"

constexpr int32_t BLINK_LIT_MILLIS = 500;  // the blinking parts show below this many thousandths

struct ClockReading {
  int32_t minutes = 0;
  int32_t seconds = 0;
  int32_t millis = 0;
};

// Truncated, not rounded, each from the time itself (a negative time reads as it is).
ClockReading clock_reading(float seconds);
// Whether the blinking parts show: the first half of every second.
bool blink_lit(const ClockReading& reading);

// Minutes and seconds as two digits each, centred on (minutes_x, y) and (seconds_x, y), with
// the colon picture between them while it is lit.
void draw_minutes_seconds(const FrameClock& clock, TTF_Font* font, SDL_Color colour,
                          const ClockReading& reading, float minutes_x, float seconds_x, float y,
                          SDL_Texture* colon, const SDL_Rect& colon_rect);
