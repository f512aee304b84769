#include "assets/loader.h"

#include <SDL_image.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

// True when no pixel lets anything show through.
bool opaque(const SDL_Surface* s) {
  const Uint32 alpha = s->format->Amask;
  if (alpha == 0) return true;
  if (s->format->BytesPerPixel != 4) return false;
  for (int y = 0; y < s->h; ++y) {
    const Uint32* row = (const Uint32*)((const Uint8*)s->pixels + y * s->pitch);
    for (int x = 0; x < s->w; ++x)
      if ((row[x] & alpha) != alpha) return false;
  }
  return true;
}

SDL_Surface* decode_image(const ImageInfo& info) {
  SDL_RWops* stream = SDL_RWFromConstMem(info.png, (int)info.png_size);
  if (!stream) return nullptr;
  SDL_Surface* surface = IMG_LoadPNG_RW(stream);
  SDL_RWclose(stream);
  // Its texture inherits the mode: an opaque picture is copied without blending, which looks
  // the same and spares the software renderer its slow blended scaling (the full-screen
  // backgrounds cost many times more blended).
  if (surface && opaque(surface)) SDL_SetSurfaceBlendMode(surface, SDL_BLENDMODE_NONE);
  return surface;
}

}  // namespace

bool decode_images(SDL_Surface* surfaces[IMAGE_COUNT]) {
  // PNG decoding is most of start-up: spread it over the cores; textures come later, here.
  std::atomic<int32_t> next{0};
  auto work = [&]() {
    for (int32_t i = next++; i < IMAGE_COUNT; i = next++) surfaces[i] = decode_image(image_info[i]);
  };
  unsigned cores = std::thread::hardware_concurrency();
  unsigned helpers = cores > 1 ? (cores > 4 ? 3 : cores - 1) : 0;
  std::thread threads[3];
  for (unsigned t = 0; t < helpers; ++t) threads[t] = std::thread(work);
  work();
  for (unsigned t = 0; t < helpers; ++t) threads[t].join();
  for (int32_t i = 0; i < IMAGE_COUNT; ++i) {
    if (!surfaces[i]) {
      SDL_SetError("cannot decode the picture %s: %s", image_info[i].name, IMG_GetError());
      return false;
    }
  }
  return true;
}

bool open_fonts(FontSet& fonts, float unit, const char* data_dir) {
  std::string path = std::string(data_dir) + FONT_PATH;
  int sizes[5];
  font_point_sizes(unit, sizes);
  TTF_Font** slots[5] = {&fonts.fontSmall, &fonts.fontMedium, &fonts.fontLarge, &fonts.fontHuge,
                         &fonts.fontGiant};
  for (int i = 0; i < 5; ++i) {
    *slots[i] = TTF_OpenFont(path.c_str(), sizes[i]);
    if (!*slots[i]) {
      SDL_SetError("cannot open %s: %s", path.c_str(), TTF_GetError());
      return false;
    }
  }
  return true;
}

void measure_texts(const FontSet& fonts, PixelSize sizes[TEXT_COUNT]) {
  for (int32_t i = 0; i < TEXT_COUNT; ++i) {
    sizes[i] = PixelSize{};
    TTF_SizeUTF8(fonts.*text_info[i].font, text_info[i].text, &sizes[i].w, &sizes[i].h);
  }
}

int load_assets(FrameClock& clock, Display& display, TextureCatalog& textures, LayoutTable& layout,
                Palette& palette, FontSet& fonts, const char* data_dir) {
  LayoutInput in;
  in.width = display.width;
  in.height = display.height;
  in.unit = display.unit;

  SDL_Surface* surfaces[IMAGE_COUNT] = {};
  bool decoded = decode_images(surfaces);
  for (int32_t i = 0; i < IMAGE_COUNT && decoded; ++i) {
    image_texture(textures, (ImageId)i) = SDL_CreateTextureFromSurface(clock.renderer, surfaces[i]);
    in.image[i] = PixelSize{surfaces[i]->w, surfaces[i]->h};
  }
  for (SDL_Surface* s : surfaces) SDL_FreeSurface(s);
  if (!decoded) return 1;

  if (!open_fonts(fonts, display.unit, data_dir)) return 1;
  measure_texts(fonts, in.text);
  for (int32_t i = 0; i < TEXT_COUNT; ++i) {
    const TextInfo& t = text_info[i];
    SDL_Surface* s = TTF_RenderUTF8_Blended(fonts.*t.font, t.text, palette.*t.colour);
    text_texture(textures, (TextId)i) = SDL_CreateTextureFromSurface(clock.renderer, s);
    SDL_FreeSurface(s);
  }
  compute_layout(layout, in);
  return 0;
}

void release_assets(TextureCatalog& textures, FontSet& fonts) {
  for (int32_t i = 0; i < TEXTURE_SLOT_COUNT; ++i) {
    SDL_Texture*& slot = catalog_slot(textures, i);
    if (slot) SDL_DestroyTexture(slot);
    slot = nullptr;
  }
  TTF_Font** all[5] = {&fonts.fontSmall, &fonts.fontMedium, &fonts.fontLarge, &fonts.fontHuge,
                       &fonts.fontGiant};
  for (TTF_Font** f : all) {
    if (*f) TTF_CloseFont(*f);
    *f = nullptr;
  }
}
