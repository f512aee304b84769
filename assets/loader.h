// Start-up loading of every picture, font and fixed text, and their release.
#pragma once

#include <atomic>
#include <thread>

#include "app/records.h"
#include "assets/catalog.h"
#include "assets/layout.h"

// 0 on success; 1 on the first failure, with the cause in SDL_GetError() and everything it
// had made released. The font is read under data_dir: "" for the working directory, else a
// path ending in '/'.
int load_assets(FrameClock& clock, Display& display, TextureCatalog& textures, LayoutTable& layout,
                Palette& palette, FontSet& fonts, const char* data_dir = "");
// Destroys every texture that is not null and closes the fonts; everything is null after.
void release_assets(TextureCatalog& textures, FontSet& fonts);

// The pictures' way from the pack to their textures. Textures are made on the main thread,
// largest first, each published to the decoding threads as soon as it is made. On the
// software renderer a texture is plain memory, so pictures are decoded straight into the
// locked textures; elsewhere into buffers handed over once.
struct PictureLoad {
  Uint32 format = SDL_PIXELFORMAT_UNKNOWN;
  bool locked = false;  // pixels point into locked textures, else into our own buffers
  int32_t order[IMAGE_COUNT] = {};  // picture ids, largest first
  void* pixels[IMAGE_COUNT] = {};   // by picture id
  int pitch[IMAGE_COUNT] = {};
  const char* cause[IMAGE_COUNT] = {};  // why a picture did not decode
  bool opaque[IMAGE_COUNT] = {};        // nothing shows through: copied without blending
  std::atomic<int32_t> made{0};  // targets ready, counted along `order`; -1 once making failed
  std::atomic<int32_t> next{0};  // next position along `order` to decode
  std::thread helpers[3];
};

// The format pictures are kept in: the renderer's first with alpha, as SDL itself would pick.
Uint32 picture_texture_format(SDL_Renderer* renderer);
// Starts the decoding threads (one fewer than the cores, at most three); each decodes
// pictures as they are made.
void start_picture_decoding(PictureLoad& load);
// Creates every picture's texture at its catalog size and the place its pixels are decoded
// to; false on the first failure. Whatever was made is in the catalog and the load.
bool create_picture_textures(SDL_Renderer* renderer, TextureCatalog& textures, PictureLoad& load);
// Decodes on this thread too until every picture is done, then joins the helpers; false
// naming the first damaged picture, or if making the textures failed.
bool finish_picture_decoding(PictureLoad& load);
// Hands the decoded pixels to the textures (unlock, or one update each) and frees our
// buffers; after a failure it only unlocks and frees.
void finish_picture_textures(TextureCatalog& textures, PictureLoad& load, bool decoded);
// Decodes one picture's pack entry into pixels of a format and pitch; null on success, else
// why the entry is damaged.
const char* decode_picture(const ImageInfo& info, Uint32 format, void* pixels, int pitch);

// Opens the five fonts for a layout unit; false if any fails (those opened stay open).
bool open_fonts(FontSet& fonts, float unit, const char* data_dir = "");
// Measures every fixed text in its own font with TTF_SizeUTF8.
void measure_texts(const FontSet& fonts, PixelSize sizes[TEXT_COUNT]);
// Draws every fixed text in its font and colour into its texture slot.
void create_text_textures(SDL_Renderer* renderer, const FontSet& fonts, const Palette& palette,
                          TextureCatalog& textures);
