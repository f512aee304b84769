// The compiled-in pictures, the fixed texts, the fonts and the texture catalog.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstddef>
#include <cstdint>

#include "core/records.h"

// Every slot of the catalog in order, from one table.
#define HXM_IGNORE_IMAGE(name, w, h)
#define HXM_IGNORE_TEXT(name, text, font, colour)
#define HXM_IGNORE_SLOT(name)

enum ImageId : int32_t {
#define IMAGE(name, w, h) IMG_##name,
#define TEXT HXM_IGNORE_TEXT
#define SLOT HXM_IGNORE_SLOT
#include "assets/catalog.def"
#undef IMAGE
#undef TEXT
#undef SLOT
  IMAGE_COUNT
};

enum TextId : int32_t {
#define IMAGE HXM_IGNORE_IMAGE
#define TEXT(name, text, font, colour) TXT_##name,
#define SLOT HXM_IGNORE_SLOT
#include "assets/catalog.def"
#undef IMAGE
#undef TEXT
#undef SLOT
  TEXT_COUNT
};

// The pictures that fly turned by any angle (the prospectors' stones and gems): each is also
// made turned in advance into a sheet of its own, held beside the catalog's slots.
constexpr ImageId TURNED_PICTURES[] = {IMG_pebble, IMG_emerald, IMG_diamond, IMG_goldNugget};
constexpr int32_t TURNED_COUNT = 4;
static_assert(sizeof TURNED_PICTURES / sizeof TURNED_PICTURES[0] == TURNED_COUNT);

// 252 texture handles (the 250 of the catalog's first lines keep their places, two of the duck
// hunt's texts follow), each null until filled, and the turned pictures' sheets.
struct TextureCatalog {
#define IMAGE(name, w, h) SDL_Texture* name = nullptr;
#define TEXT(name, text, font, colour) SDL_Texture* name = nullptr;
#define SLOT(name) SDL_Texture* name = nullptr;
#include "assets/catalog.def"
#undef IMAGE
#undef TEXT
#undef SLOT
  SDL_Texture* turned[TURNED_COUNT] = {};  // by position in TURNED_PICTURES
};

enum : int32_t { TEXTURE_SLOT_COUNT = 252 };
static_assert(sizeof(TextureCatalog) == (TEXTURE_SLOT_COUNT + TURNED_COUNT) * sizeof(SDL_Texture*));
static_assert(IMAGE_COUNT == 135 && TEXT_COUNT == 80);

// The catalog's slots by position, for loops over all of them.
SDL_Texture*& catalog_slot(TextureCatalog& catalog, int32_t index);
SDL_Texture*& image_texture(TextureCatalog& catalog, ImageId id);
SDL_Texture*& text_texture(TextureCatalog& catalog, TextId id);
SDL_Texture* image_texture(const TextureCatalog& catalog, ImageId id);
SDL_Texture* text_texture(const TextureCatalog& catalog, TextId id);

struct FontSet {
  TTF_Font* fontSmall = nullptr;   // U
  TTF_Font* fontMedium = nullptr;  // 1.5 U
  TTF_Font* fontLarge = nullptr;   // 2.5 U
  TTF_Font* fontHuge = nullptr;    // 3.5 U
  TTF_Font* fontGiant = nullptr;   // 6 U
};

constexpr const char* FONT_PATH = "font/hxm_font.ttf";
// Point sizes of the five fonts for a layout unit, in FontSet order.
void font_point_sizes(float unit, int sizes[5]);

// The compiled-in pictures hold their pixels in this layout, rows unpadded, each picture one
// zstd frame with its content size and checksum: the layout every renderer lists first.
constexpr Uint32 PICTURE_PACK_FORMAT = SDL_PIXELFORMAT_ARGB8888;

// What the catalog table says of each picture and text.
struct ImageInfo {
  const char* name;
  int32_t width, height;  // exact pixel size of the picture
  const unsigned char* pack;  // its compiled-in zstd frame
  size_t pack_size;
};
struct TextInfo {
  const char* name;
  const char* text;  // UTF-8
  TTF_Font* FontSet::*font;
  SDL_Color Palette::*colour;
};
extern const ImageInfo image_info[IMAGE_COUNT];
extern const TextInfo text_info[TEXT_COUNT];
extern const char* const slot_names[TEXTURE_SLOT_COUNT];

struct PixelSize {
  int32_t w = 0, h = 0;
};

// The largest a stone or gem flies at, in layout units.
constexpr float STONE_FLYING_UNITS = 4.0f;
// A turned picture's sheet: the picture turned clockwise by every whole step, step k in cell
// k, cells in rows of TURN_COLUMNS, each a square of the largest flying size. A picture that
// fits in the circle within its square (the stones do) keeps all of itself at every angle.
constexpr int32_t TURN_STEPS = 36;
constexpr double TURN_STEP_DEGREES = 360.0 / TURN_STEPS;
constexpr int32_t TURN_COLUMNS = 6;
// The cell side for a layout unit, and a sheet's size for it.
int32_t turned_cell(float unit);
PixelSize turned_sheet_size(int32_t cell);
// The sheet of a turned picture and, in `cell`, its copy at the step nearest `degrees`
// (clockwise); null when the picture has no sheet yet.
SDL_Texture* turned_copy(const TextureCatalog& textures, ImageId picture, double degrees,
                         SDL_Rect& cell);
