// The few rules every rectangle of the layout is made from, shared by the three layout files.
#pragma once

#include <span>

#include "assets/layout.h"

// The output in floats, with the measured inputs.
struct LayoutFrame {
  const LayoutInput& in;
  float W, H, U;
};

inline float aspect(const LayoutInput& in, ImageId id) {
  return (float)in.image[id].w / (float)in.image[id].h;
}

// A picture at a given height, as wide as its proportions make it.
inline SDL_FRect image_rect(float x, float y, float h, float a) { return {x, y, h * a, h}; }
// A picture at a given width, as high as its proportions make it.
inline SDL_FRect image_by_width(float x, float y, float w, float a) { return {x, y, w, w / a}; }
// A picture of height h centred horizontally on the screen.
inline SDL_FRect image_centred(const LayoutFrame& f, float y, float h, float a) {
  return image_rect(f.W / 2 - h * a / 2, y, h, a);
}

enum CoverAlign { COVER_BOTTOM, COVER_CENTRE };
// Fills the screen keeping the picture's proportions: a wider picture loses its sides, a
// narrower one its top (bottom aligned) or top and bottom evenly (centred).
SDL_FRect cover_fit(const LayoutFrame& f, float a, CoverAlign align);

// A text's rectangle: its measured size at a position truncated to whole pixels.
inline SDL_Rect text_rect(float x, float y, PixelSize m) { return {(int)x, (int)y, m.w, m.h}; }
inline SDL_Rect text_centred(float centre_x, float y, PixelSize m) {
  return text_rect(centre_x - m.w / 2.0f, y, m);
}
// A label inside a round button, centred on it across; `line` is the label's top relative to
// the button's middle, in text heights (-0.5 for one line).
inline SDL_Rect label_in_button(const SDL_FRect& button, PixelSize m, float line) {
  return text_centred(button.x + button.w / 2, button.y + button.h / 2 + line * m.h, m);
}
// A label one unit under a button, centred on it.
inline SDL_Rect label_under_button(const SDL_FRect& button, PixelSize m, float unit) {
  return text_centred(button.x + button.w / 2, button.y + button.h + unit, m);
}
// The three placements of label lines inside a ring, by the number of lines.
constexpr float ONE_LINE[] = {-0.5f};
constexpr float TWO_LINES[] = {-1.2f, 0.1f};
constexpr float THREE_LINES[] = {-1.8f, -0.5f, 0.8f};

// One word of a row of texts: its rectangle and its text (NO_ART: a value the screen sizes).
struct Word {
  SDL_Rect* rect;
  int32_t text;
};
// Sum of the words' widths and the gaps between them.
float row_width(const LayoutInput& in, std::span<const Word> words, float gap);
enum RowRounding {
  FROM_START,  // each word at trunc(start + the widths and gaps before it)
  CHAINED,     // each word at trunc(the previous word's whole-pixel x + its width + gap)
};
// Words left to right on one line, the first at `start`.
void text_row(const LayoutInput& in, std::span<const Word> words, float start, float gap, float y,
              RowRounding rounding);

// The groups, in the order they depend on each other.
void layout_shared_screens(LayoutTable& L, const LayoutFrame& f);  // shared, intro, menus
void layout_player_labels(LayoutTable& L, const LayoutFrame& f);
void layout_device_screen(LayoutTable& L, const LayoutFrame& f);
void layout_statistics(LayoutTable& L, const LayoutFrame& f);
void layout_trainings(LayoutTable& L, const LayoutFrame& f);
void layout_games(LayoutTable& L, const LayoutFrame& f);
