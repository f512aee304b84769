// What every training and game draws over its scene: the logo with the close cross and the
// back, start and reset buttons, and a player's label with the pad it plays on.
#pragma once

#include <cstdint>

#include "core/records.h"
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
