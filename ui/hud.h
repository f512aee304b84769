// The heads-up layer every training and game draws over its scene: the logo with the close
// cross and the back, start and reset buttons, a player's label with the pad it plays on, and
// the 3-2-1 countdown with its record and clock.
#pragma once

#include <cstdint>

#include "core/records.h"
#include "assets/sound_bank.h"
#include "assets/catalog.h"
#include "assets/layout.h"

// The logo, the close cross and the back, start and reset buttons (none of them overlap).
void draw_button_strip(const FrameClock& clock, const TextureCatalog& textures,
                       const LayoutTable& layout);

// A player's label: grey "Игрок" without a pad (0); otherwise green "Игрок" and the pad's
// last four MAC characters in lime at the digit rectangle's position.
void draw_player_label(const FrameClock& clock, int32_t pad, const char* suffix,
                       const SDL_Rect& label_rect, const SDL_Rect& digit_rect,
                       const Palette& palette, const TextureCatalog& textures,
                       const FontSet& fonts);

// The 3-2-1 countdown before a training's attempt or a game.
struct StartCountdown {
  float countdown_time = 0.0f;  // seconds since it began
  int32_t counting_down = 0;
  int32_t countdown_digit = 0;  // 3, 2 or 1 while counting down, else 0
};

enum : int32_t { COUNTDOWN_OVER = 0 };
constexpr float COUNTDOWN_SECONDS = 3.0f;

// The digit shown at a countdown's clock: 3 below 1 s, 2 below 2 s, 1 below 3 s, then
// COUNTDOWN_OVER.
int32_t countdown_digit_at(float seconds);

// Starts the countdown (the caller has checked it may) and plays the timer sound.
void countdown_start(StartCountdown& countdown, Mix_Chunk* timer);
// Adds dt and sets the digit; true in the frame the three seconds are reached, which leaves
// every field 0.
bool countdown_tick(StartCountdown& countdown, float dt);

// While it runs: the shade over the whole screen and the ring of digit 3, 2 or 1 in
// countdownRect (nothing but the shade for another digit). Nothing otherwise.
void draw_countdown(const FrameClock& clock, const StartCountdown& countdown,
                    const Palette& palette, const TextureCatalog& textures,
                    const LayoutTable& layout);
