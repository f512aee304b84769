// Start-up loading of every picture, font and fixed text, and their release.
#pragma once

#include <atomic>
#include <thread>

#include "core/records.h"
#include "assets/catalog.h"
#include "assets/layout.h"

// 0 on success; 1 on the first failure, with the cause in SDL_GetError() and everything it
// had made released. The font is read under data_dir: "" for the working directory, else a
// path ending in '/'.
int load_assets(FrameClock& clock, Display& display, TextureCatalog& textures, LayoutTable& layout,
                Palette& palette, FontSet& fonts, const char* data_dir = "");
// Destroys every texture that is not null and closes the fonts; everything is null after.
void release_assets(TextureCatalog& textures, FontSet& fonts);

// The pictures' way from the pack to their textures. Each is made at the size it is drawn at
// on this display (one size for most; see picture_sizes), averaged down from its packed pixels
// by the decoding threads, and handed to its texture on the main thread. The pictures of the
// first frame come first; the rest, and the turned pictures' sheets, are made while the intro
// shows. Everything is indexed by picture id, then by IMAGE_COUNT + position in TURNED_PICTURES.
constexpr int32_t LOAD_COUNT = IMAGE_COUNT + TURNED_COUNT;
struct PictureLoad {
  Uint32 format = SDL_PIXELFORMAT_UNKNOWN;
  PixelSize size[LOAD_COUNT] = {};  // made at
  int32_t turned_cell = 0;          // a sheet's cell side
  int32_t order[LOAD_COUNT] = {};   // the first frame's pictures, then the costliest first
  void* pixels[LOAD_COUNT] = {};    // rows of size.w pixels in `format`
  const char* cause[LOAD_COUNT] = {};  // why a picture could not be made
  bool opaque[LOAD_COUNT] = {};        // nothing shows through: copied without blending
  std::atomic<bool> made[LOAD_COUNT] = {};  // pixels (or cause) ready for the main thread
  bool handed[LOAD_COUNT] = {};             // main thread: its texture holds it
  int32_t handed_count = 0;
  bool texts_made = false;
  bool failed = false;
  std::atomic<int32_t> next{0};  // next position along `order` to make
  std::thread helpers[3];
};

// The intro's two pictures, which the first frame shows.
constexpr ImageId FIRST_FRAME_PICTURES[] = {IMG_targetRings, IMG_logo};

// The size each picture is made at for a layout: the one it is drawn at, truncated as the
// software renderer truncates; its own size when it is drawn larger or at many sizes.
void picture_sizes(const LayoutTable& layout, float unit, PixelSize sizes[IMAGE_COUNT]);

// The format pictures are kept in: the renderer's first with alpha, as SDL itself would pick.
Uint32 picture_texture_format(SDL_Renderer* renderer);
// Orders the pictures and sheets and starts the making threads (one fewer than the cores, at
// most three); a sheet's cells are `turned_cell` pixels square.
void start_picture_making(PictureLoad& load, Uint32 format, const PixelSize sizes[IMAGE_COUNT],
                          int32_t turned_cell);
// Makes pictures on this thread too while any is left to take; with `all` false only up to
// the first frame's. Then waits until those (or all) are made; all: joins the threads too.
void make_pictures_here(PictureLoad& load, bool all);
// Hands every made picture to its texture; false, with the cause in SDL_GetError(), on the
// first that could not be made or whose texture failed.
bool hand_made_pictures(SDL_Renderer* renderer, TextureCatalog& textures, PictureLoad& load);
// Makes one picture's pack entry at a size no larger than its own, averaging the pixels each
// new pixel covers (their colours weighted by their alpha), into pixels of a format and pitch;
// null on success, else why the entry is damaged.
const char* make_picture(const ImageInfo& info, PixelSize size, Uint32 format, void* pixels,
                         int pitch);
// The same at the picture's own size.
const char* decode_picture(const ImageInfo& info, Uint32 format, void* pixels, int pitch);

// Makes a square picture's sheet (see turned_copy) of `cell`-pixel cells into pixels of a
// format and pitch; null on success, else why it could not.
const char* make_turned(const ImageInfo& info, int32_t cell, Uint32 format, void* pixels,
                        int pitch);

// Start-up in two steps. The first opens the fonts, lays out every rectangle, and makes the
// first frame's pictures (0, or 1 on failure); the loading goes on in `load`. The second is
// called once per frame: it makes the fixed texts and hands over the pictures made meanwhile;
// with `wait` it finishes everything first. It returns 1 on a failure (everything released),
// else 0; `assets_ready` tells when all is done.
int start_assets(FrameClock& clock, Display& display, TextureCatalog& textures,
                 LayoutTable& layout, Palette& palette, FontSet& fonts, PictureLoad& load,
                 const char* data_dir = "");
int continue_assets(FrameClock& clock, TextureCatalog& textures, Palette& palette, FontSet& fonts,
                    PictureLoad& load, bool wait);
bool assets_ready(const PictureLoad& load);
// Stops the making threads and frees what they made but nobody took; for an early exit.
void abandon_pictures(PictureLoad& load);

// Opens the five fonts for a layout unit; false if any fails (those opened stay open).
bool open_fonts(FontSet& fonts, float unit, const char* data_dir = "");
// Measures every fixed text in its own font with TTF_SizeUTF8.
void measure_texts(const FontSet& fonts, PixelSize sizes[TEXT_COUNT]);
// Draws every fixed text in its font and colour into its texture slot.
void create_text_textures(SDL_Renderer* renderer, const FontSet& fonts, const Palette& palette,
                          TextureCatalog& textures);
