#include "ui/controls.h"

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
