#include "ui/draw_list.h"

void draw_items(const FrameClock& clock, const TextureCatalog& textures, const LayoutTable& layout,
                const DrawItem* items, int count) {
  for (int i = 0; i < count; ++i) {
    const DrawItem& item = items[i];
    SDL_Texture* t = textures.*item.texture;
    if (item.image_rect) SDL_RenderCopyF(clock.renderer, t, nullptr, &(layout.*item.image_rect));
    else SDL_RenderCopy(clock.renderer, t, nullptr, &(layout.*item.text_rect));
  }
}

namespace {

SDL_Texture* text_texture(const FrameClock& clock, TTF_Font* font, const char* text,
                          SDL_Color colour, int& w, int& h) {
  if (!font || !text || !text[0] || TTF_SizeUTF8(font, text, &w, &h) != 0) return nullptr;
  SDL_Surface* surface = TTF_RenderUTF8_Blended(font, text, colour);
  if (!surface) return nullptr;
  SDL_Texture* texture = SDL_CreateTextureFromSurface(clock.renderer, surface);
  SDL_FreeSurface(surface);
  return texture;
}

// Centred vertically on y; x is the left edge less `across` of the width.
void draw_anchored(const FrameClock& clock, TTF_Font* font, const char* text, SDL_Color colour,
                   float x, float across, float y) {
  int w = 0, h = 0;
  SDL_Texture* texture = text_texture(clock, font, text, colour, w, h);
  if (!texture) return;
  SDL_Rect r{(int32_t)(x - (float)w * across), (int32_t)(y - h / 2.0f), w, h};
  SDL_RenderCopy(clock.renderer, texture, nullptr, &r);
  SDL_DestroyTexture(texture);
}

}  // namespace

void draw_runtime_text(const FrameClock& clock, TTF_Font* font, const char* text, SDL_Color colour,
                       int32_t x, int32_t y) {
  int w = 0, h = 0;
  SDL_Texture* texture = text_texture(clock, font, text, colour, w, h);
  if (!texture) return;
  SDL_Rect r{x, y, w, h};
  SDL_RenderCopy(clock.renderer, texture, nullptr, &r);
  SDL_DestroyTexture(texture);
}

void draw_runtime_text_centred(const FrameClock& clock, TTF_Font* font, const char* text,
                               SDL_Color colour, float x, float y) {
  draw_anchored(clock, font, text, colour, x, 0.5f, y);
}

void draw_runtime_text_in(const FrameClock& clock, TTF_Font* font, const char* text, SDL_Color colour,
                          const SDL_FRect& rect) {
  draw_runtime_text_centred(clock, font, text, colour, rect.x + rect.w / 2.0f, rect.y + rect.h / 2.0f);
}

void draw_runtime_text_left_centred(const FrameClock& clock, TTF_Font* font, const char* text,
                                    SDL_Color colour, float x, float y) {
  draw_anchored(clock, font, text, colour, x, 0.0f, y);
}

void fill_rect(const FrameClock& clock, SDL_Color colour, const SDL_FRect& rect) {
  int w = 0, h = 0;
  if (clock.shade && colour.r == 0 && colour.g == 0 && colour.b == 0 && rect.w >= 1.0f &&
      rect.h >= 1.0f && SDL_QueryTexture(clock.shade, nullptr, nullptr, &w, &h) == 0 &&
      rect.w <= (float)w && rect.h <= (float)h) {
    const SDL_Rect part{0, 0, (int)rect.w, (int)rect.h};
    SDL_SetTextureAlphaMod(clock.shade, colour.a);
    SDL_RenderCopyF(clock.renderer, clock.shade, &part, &rect);
    return;
  }
  SDL_SetRenderDrawColor(clock.renderer, colour.r, colour.g, colour.b, colour.a);
  SDL_RenderFillRectF(clock.renderer, &rect);
}

void fill_screen(const FrameClock& clock, SDL_Color colour, const LayoutTable& layout) {
  fill_rect(clock, colour, layout.fullScreenRect);
}

SDL_FRect unsaved_sign_rect(const LayoutTable& layout) {
  const SDL_FRect& cross = layout.closeButtonRect;
  return {cross.x - 1.25f * cross.h, cross.y, cross.h, cross.h};
}

void draw_unsaved_sign(const FrameClock& clock, const TextureCatalog& textures,
                       const LayoutTable& layout, int32_t unsaved) {
  if (unsaved <= 0) return;
  SDL_FRect sign = unsaved_sign_rect(layout);
  SDL_RenderCopyF(clock.renderer, textures.warningSign, nullptr, &sign);
}

namespace {

void draw_picture(const FrameClock& clock, SDL_Texture* texture, const SDL_FRect& rect) {
  SDL_RenderCopyF(clock.renderer, texture, nullptr, &rect);
}

}  // namespace

void draw_backdrop(const FrameClock& clock, const TextureCatalog& textures, const LayoutTable& layout) {
  draw_picture(clock, textures.background, layout.backgroundRect);
  draw_picture(clock, textures.barShadow, layout.bottomBarRect);
}

void draw_intro(const FrameClock& clock, const TextureCatalog& textures, const LayoutTable& layout) {
  draw_picture(clock, textures.targetRings, layout.introRingsRect);
  draw_picture(clock, textures.logo, layout.introLogoRect);
}
