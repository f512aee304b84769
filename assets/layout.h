// Every on-screen rectangle, computed once at start-up.
#pragma once

#include "app/records.h"
#include "assets/catalog.h"

struct LayoutInput {
  int32_t width = 0, height = 0;  // output size in pixels
  float unit = 0.0f;
  PixelSize image[IMAGE_COUNT];  // pixel size of each decoded picture
  PixelSize text[TEXT_COUNT];    // measured size of each fixed text in its own font
};

struct LayoutTable {
  SDL_FRect fullScreenRect{};
  SDL_FRect backgroundRect{};
  SDL_FRect bottomBarRect{};
  SDL_FRect introRingsRect{};
  SDL_FRect introLogoRect{};
};

void compute_layout(LayoutTable& layout, const LayoutInput& in);
void draw_backdrop(const FrameClock& clock, const TextureCatalog& textures, const LayoutTable& layout);
void draw_intro(const FrameClock& clock, const TextureCatalog& textures, const LayoutTable& layout);
