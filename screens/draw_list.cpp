#include "screens/draw_list.h"

void draw_items(const FrameClock& clock, const TextureCatalog& textures, const LayoutTable& layout,
                const DrawItem* items, int count) {
  for (int i = 0; i < count; ++i) {
    const DrawItem& item = items[i];
    SDL_Texture* t = textures.*item.texture;
    if (item.image_rect) SDL_RenderCopyF(clock.renderer, t, nullptr, &(layout.*item.image_rect));
    else SDL_RenderCopy(clock.renderer, t, nullptr, &(layout.*item.text_rect));
  }
}
