// Start-up loading of every picture, font and fixed text, and their release.
#pragma once

#include "app/records.h"
#include "assets/catalog.h"
#include "assets/layout.h"

// 0 on success; 1 on the first failure, with the cause in SDL_GetError(). The font is read
// under data_dir: "" for the working directory, else a path ending in '/'.
int load_assets(FrameClock& clock, Display& display, TextureCatalog& textures, LayoutTable& layout,
                Palette& palette, FontSet& fonts, const char* data_dir = "");
// Destroys every texture that is not null and closes the fonts; everything is null after.
void release_assets(TextureCatalog& textures, FontSet& fonts);

// Decodes every compiled-in picture (on worker threads); false on the first that fails.
bool decode_images(SDL_Surface* surfaces[IMAGE_COUNT]);
// Opens the five fonts for a layout unit; false if any fails (those opened stay open).
bool open_fonts(FontSet& fonts, float unit, const char* data_dir = "");
// Measures every fixed text in its own font with TTF_SizeUTF8.
void measure_texts(const FontSet& fonts, PixelSize sizes[TEXT_COUNT]);
