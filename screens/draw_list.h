// Static screen pieces as data: which texture goes into which rectangle, back to front.
#pragma once

#include "assets/catalog.h"
#include "assets/layout.h"

struct DrawItem {
  SDL_Texture* TextureCatalog::*texture;
  SDL_FRect LayoutTable::*image_rect;  // a picture, drawn with a float rectangle
  SDL_Rect LayoutTable::*text_rect;    // or a text, drawn with an integer rectangle
};

constexpr DrawItem image(SDL_Texture* TextureCatalog::*texture, SDL_FRect LayoutTable::*rect) {
  return {texture, rect, nullptr};
}
constexpr DrawItem text(SDL_Texture* TextureCatalog::*texture, SDL_Rect LayoutTable::*rect) {
  return {texture, nullptr, rect};
}

// Draws each item's whole texture into its rectangle, in order.
void draw_items(const FrameClock& clock, const TextureCatalog& textures, const LayoutTable& layout,
                const DrawItem* items, int count);

template <int N>
void draw_items(const FrameClock& clock, const TextureCatalog& textures, const LayoutTable& layout,
                const DrawItem (&items)[N]) {
  draw_items(clock, textures, layout, items, N);
}
