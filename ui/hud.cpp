#include "ui/hud.h"

#include "ui/draw_list.h"

namespace {

const DrawItem button_strip[] = {
    image(&TextureCatalog::logo, &LayoutTable::logoRect),
    image(&TextureCatalog::closeCross, &LayoutTable::closeButtonRect),
    image(&TextureCatalog::ringBack, &LayoutTable::backButtonRect),
    image(&TextureCatalog::ringPlay, &LayoutTable::playButtonRect),
    image(&TextureCatalog::ringRepeat, &LayoutTable::repeatButtonRect),
};

}  // namespace

void draw_button_strip(const FrameClock& clock, const TextureCatalog& t, const LayoutTable& l) {
  draw_items(clock, t, l, button_strip);
}

void draw_player_label(const FrameClock& clock, int32_t pad, const char* suffix,
                       const SDL_Rect& label_rect, const SDL_Rect& digit_rect,
                       const Palette& palette, const TextureCatalog& t, const FontSet& fonts) {
  if (pad < 1 || pad > 4) {
    SDL_RenderCopy(clock.renderer, t.labelPlayerGrey, nullptr, &label_rect);
    return;
  }
  SDL_RenderCopy(clock.renderer, t.labelPlayerGreen, nullptr, &label_rect);
  draw_runtime_text(clock, fonts.fontMedium, suffix, palette.lime, digit_rect.x, digit_rect.y);
}

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
