// What screens and games draw with: static pieces as data (which texture goes into which
// rectangle, back to front), run-time texts, fills, the backdrop and the intro.
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

// A text that changes while the screen runs, made, drawn with its own size at (x, y) and
// destroyed within the frame. Nothing is drawn for an empty text.
void draw_runtime_text(const FrameClock& clock, TTF_Font* font, const char* text, SDL_Color colour,
                       int32_t x, int32_t y);
// The same, centred on (x, y): both halves of the size truncated.
void draw_runtime_text_centred(const FrameClock& clock, TTF_Font* font, const char* text,
                               SDL_Color colour, float x, float y);
// The same, centred in a rectangle.
void draw_runtime_text_in(const FrameClock& clock, TTF_Font* font, const char* text, SDL_Color colour,
                          const SDL_FRect& rect);
// The same with its left edge at x and centred vertically on y (half the height truncated).
void draw_runtime_text_left_centred(const FrameClock& clock, TTF_Font* font, const char* text,
                                    SDL_Color colour, float x, float y);
// Fills a rectangle with a colour, blended by its alpha.
void fill_rect(const FrameClock& clock, SDL_Color colour, const SDL_FRect& rect);
// Fills fullScreenRect with a colour: the shade behind dialogs, countdowns and game ends.
void fill_screen(const FrameClock& clock, SDL_Color colour, const LayoutTable& layout);
// The warning sign beside the close cross while results wait unsaved (or were lost): the
// training and the statistics show it, so nobody trusts a count the file does not hold.
void draw_unsaved_sign(const FrameClock& clock, const TextureCatalog& textures,
                       const LayoutTable& layout, int32_t unsaved);
// Where that sign goes: a square as high as the close cross, left of it.
SDL_FRect unsaved_sign_rect(const LayoutTable& layout);

// `background` and then `barShadow`: the first drawing of every frame of screens 2 to 9.
void draw_backdrop(const FrameClock& clock, const TextureCatalog& textures, const LayoutTable& layout);
// `targetRings` and then `logo`: the intro's picture.
void draw_intro(const FrameClock& clock, const TextureCatalog& textures, const LayoutTable& layout);
