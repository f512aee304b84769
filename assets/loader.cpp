#include "assets/loader.h"

#include <zstd.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

int64_t pixel_count(int32_t image) {
  return (int64_t)image_info[image].width * image_info[image].height;
}

// SDL_SetError must not format its own message into itself: the cause is copied first.
bool picture_failure(const char* what, int32_t image) {
  char cause[256];
  SDL_strlcpy(cause, SDL_GetError(), sizeof cause);
  SDL_SetError("cannot %s the picture %s: %s", what, image_info[image].name, cause);
  return false;
}

// Takes the next picture along the order, waiting until it is made; false when none is left
// or making them failed.
bool take_picture(PictureLoad& load, int32_t& image) {
  int32_t k = load.next++;
  if (k >= IMAGE_COUNT) return false;
  int32_t made = load.made.load(std::memory_order_acquire);
  for (; made >= 0 && made <= k; made = load.made.load(std::memory_order_acquire))
    load.made.wait(made);
  image = load.order[k];
  return made >= 0;
}

// True when no pixel lets anything show through. A picture with any transparency usually has
// it in its first row, so only the opaque ones are read through.
bool opaque_pixels(Uint32 format, const void* pixels, int pitch, int32_t width, int32_t height) {
  int bpp = 0;
  Uint32 r, g, b, alpha = 0;
  if (!SDL_PixelFormatEnumToMasks(format, &bpp, &r, &g, &b, &alpha) || bpp != 32) return false;
  if (alpha == 0) return true;
  for (int32_t y = 0; y < height; ++y) {
    const Uint32* row = (const Uint32*)((const Uint8*)pixels + (size_t)y * pitch);
    for (int32_t x = 0; x < width; ++x)
      if ((row[x] & alpha) != alpha) return false;
  }
  return true;
}

void decode_taken_pictures(PictureLoad& load) {
  for (int32_t i = 0; take_picture(load, i);) {
    const ImageInfo& info = image_info[i];
    load.cause[i] = decode_picture(info, load.format, load.pixels[i], load.pitch[i]);
    load.opaque[i] = !load.cause[i] &&
                     opaque_pixels(load.format, load.pixels[i], load.pitch[i], info.width, info.height);
  }
}

}  // namespace

Uint32 picture_texture_format(SDL_Renderer* renderer) {
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) == 0) {
    for (Uint32 i = 0; i < info.num_texture_formats; ++i) {
      Uint32 format = info.texture_formats[i];
      if (!SDL_ISPIXELFORMAT_FOURCC(format) && SDL_ISPIXELFORMAT_ALPHA(format)) return format;
    }
  }
  return PICTURE_PACK_FORMAT;
}

void start_picture_decoding(PictureLoad& load) {
  unsigned cores = std::thread::hardware_concurrency();
  unsigned helpers = cores > 1 ? (cores > 4 ? 3 : cores - 1) : 0;
  for (unsigned t = 0; t < helpers; ++t)
    load.helpers[t] = std::thread(decode_taken_pictures, std::ref(load));
}

bool create_picture_textures(SDL_Renderer* renderer, TextureCatalog& textures, PictureLoad& load) {
  // Largest first: the last picture to be decoded is a small one, so no core is left
  // decoding alone for long.
  for (int32_t i = 0; i < IMAGE_COUNT; ++i) load.order[i] = i;
  std::stable_sort(load.order, load.order + IMAGE_COUNT,
                   [](int32_t a, int32_t b) { return pixel_count(a) > pixel_count(b); });
  SDL_RendererInfo info;
  bool made = SDL_GetRendererInfo(renderer, &info) == 0;
  load.format = picture_texture_format(renderer);
  load.locked = made && (info.flags & SDL_RENDERER_SOFTWARE) != 0;
  // A streaming texture keeps a second copy of its pixels on the other renderers.
  int access = load.locked ? SDL_TEXTUREACCESS_STREAMING : SDL_TEXTUREACCESS_STATIC;
  for (int32_t k = 0; k < IMAGE_COUNT && made; ++k) {
    int32_t i = load.order[k];
    const ImageInfo& image = image_info[i];
    SDL_Texture*& texture = image_texture(textures, (ImageId)i);
    texture = SDL_CreateTexture(renderer, load.format, access, image.width, image.height);
    if (!texture) {
      made = picture_failure("create the texture of", i);
      break;
    }
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    if (load.locked) {
      if (SDL_LockTexture(texture, nullptr, &load.pixels[i], &load.pitch[i]) != 0)
        made = picture_failure("lock the texture of", i);
    } else {
      load.pitch[i] = image.width * SDL_BYTESPERPIXEL(load.format);
      load.pixels[i] = malloc((size_t)load.pitch[i] * (size_t)image.height);
      if (!load.pixels[i]) {
        SDL_OutOfMemory();
        made = picture_failure("hold the pixels of", i);
      }
    }
    if (made) {
      load.made.store(k + 1, std::memory_order_release);
      load.made.notify_all();
    }
  }
  if (!made) {
    load.made.store(-1, std::memory_order_release);
    load.made.notify_all();
  }
  return made;
}

const char* decode_picture(const ImageInfo& info, Uint32 format, void* pixels, int pitch) {
  size_t row = (size_t)info.width * 4;
  size_t size = row * (size_t)info.height;
  if (ZSTD_getFrameContentSize(info.pack, info.pack_size) != size)
    return "its frame does not hold its catalog size";
  if (ZSTD_findFrameCompressedSize(info.pack, info.pack_size) != info.pack_size)
    return "its frame is cut short or followed by other bytes";
  // The pack's layout is the renderers' own: a conversion is only a fallback.
  bool direct = format == PICTURE_PACK_FORMAT && (size_t)pitch == row;
  void* out = direct ? pixels : malloc(size);
  if (!out) return "out of memory";
  size_t n = ZSTD_decompress(out, size, info.pack, info.pack_size);
  const char* cause = ZSTD_isError(n) ? ZSTD_getErrorName(n) : nullptr;
  if (!cause && n != size) cause = "its frame is short";
  if (!cause && !direct &&
      SDL_ConvertPixels(info.width, info.height, PICTURE_PACK_FORMAT, out, (int)row, format,
                        pixels, pitch) != 0)
    cause = "no conversion to the texture format";
  if (!direct) free(out);
  return cause;
}

bool finish_picture_decoding(PictureLoad& load) {
  decode_taken_pictures(load);
  for (std::thread& helper : load.helpers)
    if (helper.joinable()) helper.join();
  if (load.made.load() != IMAGE_COUNT) return false;
  for (int32_t i = 0; i < IMAGE_COUNT; ++i) {
    if (load.cause[i]) {
      SDL_SetError("cannot decode the picture %s: %s", image_info[i].name, load.cause[i]);
      return false;
    }
  }
  return true;
}

void finish_picture_textures(TextureCatalog& textures, PictureLoad& load, bool decoded) {
  for (int32_t i = 0; i < IMAGE_COUNT; ++i) {
    if (!load.pixels[i]) continue;
    SDL_Texture* texture = image_texture(textures, (ImageId)i);
    // An opaque picture is copied without blending: it looks the same and spares the software
    // renderer its slow blended scaling (a full-screen background costs many times more).
    if (decoded && load.opaque[i]) SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
    if (load.locked) {
      SDL_UnlockTexture(texture);
    } else {
      if (decoded) SDL_UpdateTexture(texture, nullptr, load.pixels[i], load.pitch[i]);
      free(load.pixels[i]);
    }
    load.pixels[i] = nullptr;
  }
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

void create_text_textures(SDL_Renderer* renderer, const FontSet& fonts, const Palette& palette,
                          TextureCatalog& textures) {
  for (int32_t i = 0; i < TEXT_COUNT; ++i) {
    const TextInfo& t = text_info[i];
    SDL_Surface* s = TTF_RenderUTF8_Blended(fonts.*t.font, t.text, palette.*t.colour);
    text_texture(textures, (TextId)i) = SDL_CreateTextureFromSurface(renderer, s);
    SDL_FreeSurface(s);
  }
}

int load_assets(FrameClock& clock, Display& display, TextureCatalog& textures, LayoutTable& layout,
                Palette& palette, FontSet& fonts, const char* data_dir) {
  // The fonts and texts are made while the helpers are still decoding pictures.
  PictureLoad load;
  start_picture_decoding(load);
  bool made = create_picture_textures(clock.renderer, textures, load);
  bool opened = made && open_fonts(fonts, display.unit, data_dir);
  if (opened) create_text_textures(clock.renderer, fonts, palette, textures);
  bool decoded = finish_picture_decoding(load);
  finish_picture_textures(textures, load, decoded);
  if (!decoded || !opened) {
    release_assets(textures, fonts);  // a failed start leaves nothing half made
    return 1;
  }

  LayoutInput in;
  in.width = display.width;
  in.height = display.height;
  in.unit = display.unit;
  for (int32_t i = 0; i < IMAGE_COUNT; ++i)
    in.image[i] = PixelSize{image_info[i].width, image_info[i].height};
  measure_texts(fonts, in.text);
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
