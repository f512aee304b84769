#include "assets/loader.h"

#include <zstd.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

// What making a picture or a sheet costs, roughly in pixels read: a picture's own pixels, a
// sheet's samples of its picture at twice the cell.
int64_t making_cost(const PictureLoad& load, int32_t i) {
  if (i >= IMAGE_COUNT) return (int64_t)TURN_STEPS * 16 * load.turned_cell * load.turned_cell;
  return (int64_t)image_info[i].width * image_info[i].height;
}

// The picture a load index makes, itself or turned.
const ImageInfo& picture_of(int32_t i) {
  return image_info[i < IMAGE_COUNT ? i : TURNED_PICTURES[i - IMAGE_COUNT]];
}

// SDL_SetError must not format its own message into itself: the cause is copied first.
bool picture_failure(const char* what, int32_t i) {
  char cause[256];
  SDL_strlcpy(cause, SDL_GetError(), sizeof cause);
  SDL_SetError("cannot %s the picture %s: %s", what, picture_of(i).name, cause);
  return false;
}

// True when no pixel lets anything show through.
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

int32_t first_frame_count() { return (int32_t)(sizeof FIRST_FRAME_PICTURES / sizeof(ImageId)); }

// Takes the next position along the order if it is before `until`.
bool take_picture(PictureLoad& load, int32_t until, int32_t& k) {
  k = load.next.load();
  while (k < until && !load.next.compare_exchange_weak(k, k + 1)) {
  }
  return k < until;
}

void make_taken_pictures(PictureLoad& load, int32_t until) {
  for (int32_t k = 0; take_picture(load, until, k);) {
    const int32_t i = load.order[k];
    const PixelSize size = load.size[i];
    const int pitch = size.w * 4;
    load.pixels[i] = malloc((size_t)pitch * (size_t)size.h);
    if (!load.pixels[i]) load.cause[i] = "out of memory";
    else if (i < IMAGE_COUNT) load.cause[i] = make_picture(picture_of(i), size, load.format, load.pixels[i], pitch);
    else load.cause[i] = make_turned(picture_of(i), load.turned_cell, load.format, load.pixels[i], pitch);
    load.opaque[i] = !load.cause[i] && opaque_pixels(load.format, load.pixels[i], pitch, size.w, size.h);
    load.made[i].store(true, std::memory_order_release);
    load.made[i].notify_all();
  }
}

void make_all_taken(PictureLoad& load) { make_taken_pictures(load, LOAD_COUNT); }

// The packed rows of one picture, read one at a time from its zstd frame.
struct PackRows {
  ZSTD_DCtx* ctx = ZSTD_createDCtx();
  ZSTD_inBuffer in;
  size_t last = 1;  // ZSTD_decompressStream's last answer: 0 once the frame and its checksum are done
  explicit PackRows(const ImageInfo& info) : in{info.pack, info.pack_size, 0} {}
  ~PackRows() { ZSTD_freeDCtx(ctx); }
  // Fills `row` with the next `bytes`; null on success, else why the frame is damaged.
  const char* next(void* row, size_t bytes) {
    if (!ctx) return "out of memory";
    ZSTD_outBuffer out{row, bytes, 0};
    while (out.pos < out.size) {
      size_t before_in = in.pos, before_out = out.pos;
      last = ZSTD_decompressStream(ctx, &out, &in);
      if (ZSTD_isError(last)) return ZSTD_getErrorName(last);
      if (out.pos < out.size && in.pos == before_in && out.pos == before_out) return "its frame is short";
    }
    return nullptr;
  }
  // After the last row: the frame must end here, checksum checked, with nothing after it.
  const char* end() {
    if (last != 0) {
      unsigned char spare;
      ZSTD_outBuffer out{&spare, 1, 0};
      last = ZSTD_decompressStream(ctx, &out, &in);
      if (ZSTD_isError(last)) return ZSTD_getErrorName(last);
      if (out.pos != 0 || last != 0) return "its frame holds more than its catalog size";
    }
    return in.pos == in.size ? nullptr : "its frame is followed by other bytes";
  }
};

// Averages the packed rows down to `size`: each new pixel is the mean of the area it covers,
// colours weighted by alpha so that transparent pixels lend them no colour. Lengths are kept
// in whole units: a source pixel is `size.w` units wide, a new one `info.width`.
const char* shrink_rows(PackRows& rows, const ImageInfo& info, PixelSize size, Uint32* out) {
  const int32_t sw = info.width, sh = info.height, ow = size.w, oh = size.h;
  std::vector<Uint32> row((size_t)sw);
  std::vector<float> across((size_t)ow * 4), down((size_t)ow * 4 * 2, 0.0f);
  float* now = down.data();
  float* then = down.data() + (size_t)ow * 4;
  const float whole = (float)sw * (float)sh;
  int32_t oy = 0;
  for (int32_t y = 0; y < sh; ++y) {
    if (const char* cause = rows.next(row.data(), (size_t)sw * 4)) return cause;
    std::fill(across.begin(), across.end(), 0.0f);
    int32_t ox = 0;
    int64_t ends = sw;  // where new pixel ox ends
    for (int32_t x = 0; x < sw; ++x) {
      const int64_t lo = (int64_t)x * ow, hi = lo + ow;
      while (lo >= ends) {
        ++ox;
        ends += sw;
      }
      const Uint32 p = row[x];
      if ((p >> 24) == 0) continue;  // adds nothing
      const float a = (float)(p >> 24);
      const float c[4] = {a, a * (float)((p >> 16) & 255), a * (float)((p >> 8) & 255),
                          a * (float)(p & 255)};
      const float w1 = (float)(std::min(hi, ends) - lo), w2 = (float)(hi - std::min(hi, ends));
      float* to = &across[(size_t)ox * 4];
      for (int k = 0; k < 4; ++k) to[k] += w1 * c[k];
      if (w2 > 0.0f)
        for (int k = 0; k < 4; ++k) to[4 + k] += w2 * c[k];
    }
    const int64_t lo = (int64_t)y * oh, hi = lo + oh, edge = (int64_t)(oy + 1) * sh;
    const float w1 = (float)(std::min(hi, edge) - lo), w2 = (float)(hi - std::min(hi, edge));
    for (size_t k = 0; k < across.size(); ++k) {
      now[k] += w1 * across[k];
      then[k] += w2 * across[k];
    }
    if (hi < edge) continue;
    // Output row oy is complete.
    Uint32* o = out + (size_t)oy * ow;
    for (int32_t x = 0; x < ow; ++x) {
      const float* v = &now[(size_t)x * 4];
      const Uint32 alpha = (Uint32)(v[0] / whole + 0.5f);
      Uint32 rgb = 0;
      if (v[0] > 0.0f)
        for (int k = 1; k < 4; ++k) rgb = rgb << 8 | std::min<Uint32>(255, (Uint32)(v[k] / v[0] + 0.5f));
      o[x] = std::min<Uint32>(alpha, 255) << 24 | rgb;
    }
    std::swap(now, then);
    std::fill(then, then + (size_t)ow * 4, 0.0f);
    if (++oy == oh) break;
  }
  return nullptr;
}

// The black the translucent fills are drawn with, at the output's size.
void make_shade(FrameClock& clock) {
  int w = 0, h = 0;
  if (clock.shade || SDL_GetRendererOutputSize(clock.renderer, &w, &h) != 0) return;
  // Filled a band of rows at a time: a whole screen of black made apart first would cost as
  // much memory again for a moment.
  clock.shade = SDL_CreateTexture(clock.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STATIC, w, h);
  constexpr int BAND = 64;
  std::vector<Uint32> black((size_t)w * BAND, 0);
  bool filled = clock.shade != nullptr;
  for (int y = 0; filled && y < h; y += BAND) {
    const SDL_Rect band{0, y, w, std::min(BAND, h - y)};
    filled = SDL_UpdateTexture(clock.shade, &band, black.data(), w * 4) == 0;
  }
  if (filled) {
    SDL_SetTextureBlendMode(clock.shade, SDL_BLENDMODE_BLEND);
    return;
  }
  if (clock.shade) SDL_DestroyTexture(clock.shade);
  clock.shade = nullptr;  // the fills are drawn as fills
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

void start_picture_making(PictureLoad& load, Uint32 format, const PixelSize sizes[IMAGE_COUNT],
                          int32_t turned_cell) {
  load.format = format;
  load.turned_cell = turned_cell;
  // The first frame's pictures first; then largest first, so the last picture to be made is
  // a small one and no core is left working alone for long.
  for (int32_t i = 0; i < LOAD_COUNT; ++i) {
    load.order[i] = i;
    load.size[i] = i < IMAGE_COUNT ? sizes[i] : turned_sheet_size(turned_cell);
  }
  auto first = [](int32_t i) {
    return std::find(std::begin(FIRST_FRAME_PICTURES), std::end(FIRST_FRAME_PICTURES), i) !=
           std::end(FIRST_FRAME_PICTURES);
  };
  std::stable_sort(load.order, load.order + LOAD_COUNT, [&](int32_t a, int32_t b) {
    if (first(a) != first(b)) return first(a);
    return making_cost(load, a) > making_cost(load, b);
  });
  unsigned cores = std::thread::hardware_concurrency();
  unsigned helpers = cores > 1 ? (cores > 4 ? 3 : cores - 1) : 0;
  for (unsigned t = 0; t < helpers; ++t) load.helpers[t] = std::thread(make_all_taken, std::ref(load));
}

void make_pictures_here(PictureLoad& load, bool all) {
  const int32_t until = all ? LOAD_COUNT : first_frame_count();
  make_taken_pictures(load, until);
  for (int32_t k = 0; k < until; ++k) load.made[load.order[k]].wait(false, std::memory_order_acquire);
  if (!all) return;
  for (std::thread& helper : load.helpers)
    if (helper.joinable()) helper.join();
}

bool hand_made_pictures(SDL_Renderer* renderer, TextureCatalog& textures, PictureLoad& load) {
  for (int32_t i = 0; i < LOAD_COUNT && !load.failed; ++i) {
    if (load.handed[i] || !load.made[i].load(std::memory_order_acquire)) continue;
    load.handed[i] = true;
    ++load.handed_count;
    if (load.cause[i]) {
      SDL_SetError("cannot decode the picture %s: %s", picture_of(i).name, load.cause[i]);
      load.failed = true;
      break;
    }
    const PixelSize size = load.size[i];
    SDL_Texture*& texture =
        i < IMAGE_COUNT ? image_texture(textures, (ImageId)i) : textures.turned[i - IMAGE_COUNT];
    texture = SDL_CreateTexture(renderer, load.format, SDL_TEXTUREACCESS_STATIC, size.w, size.h);
    if (!texture || SDL_UpdateTexture(texture, nullptr, load.pixels[i], size.w * 4) != 0) {
      load.failed = !picture_failure("make the texture of", i);
      break;
    }
    // An opaque picture is copied without blending: it looks the same and spares the software
    // renderer its slower blended copy.
    SDL_SetTextureBlendMode(texture, load.opaque[i] ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
    free(load.pixels[i]);
    load.pixels[i] = nullptr;
  }
  return !load.failed;
}

void abandon_pictures(PictureLoad& load) {
  load.next = LOAD_COUNT;
  for (std::thread& helper : load.helpers)
    if (helper.joinable()) helper.join();
  for (void*& pixels : load.pixels) {
    free(pixels);
    pixels = nullptr;
  }
}

const char* make_picture(const ImageInfo& info, PixelSize size, Uint32 format, void* pixels,
                         int pitch) {
  if (size.w < 1 || size.h < 1 || size.w > info.width || size.h > info.height)
    return "asked for a size it cannot be made at";
  const size_t row = (size_t)info.width * 4;
  if (ZSTD_getFrameContentSize(info.pack, info.pack_size) != row * (size_t)info.height)
    return "its frame does not hold its catalog size";
  // The pack's layout is the renderers' own: a conversion is only a fallback.
  const size_t out_row = (size_t)size.w * 4;
  const bool direct = format == PICTURE_PACK_FORMAT && (size_t)pitch == out_row;
  Uint32* out = direct ? (Uint32*)pixels : (Uint32*)malloc(out_row * (size_t)size.h);
  if (!out) return "out of memory";
  PackRows rows(info);
  const char* cause = nullptr;
  if (size.w == info.width && size.h == info.height) {
    for (int32_t y = 0; y < info.height && !cause; ++y) cause = rows.next(out + (size_t)y * size.w, row);
  } else {
    cause = shrink_rows(rows, info, size, out);
  }
  if (!cause) cause = rows.end();
  if (!cause && !direct &&
      SDL_ConvertPixels(size.w, size.h, PICTURE_PACK_FORMAT, out, (int)out_row, format, pixels,
                        pitch) != 0)
    cause = "no conversion to the texture format";
  if (!direct) free(out);
  return cause;
}

const char* decode_picture(const ImageInfo& info, Uint32 format, void* pixels, int pitch) {
  return make_picture(info, PixelSize{info.width, info.height}, format, pixels, pitch);
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

int start_assets(FrameClock& clock, Display& display, TextureCatalog& textures,
                 LayoutTable& layout, Palette& palette, FontSet& fonts, PictureLoad& load,
                 const char* data_dir) {
  (void)palette;
  if (!open_fonts(fonts, display.unit, data_dir)) {
    release_assets(textures, fonts);
    return 1;
  }
  // Everything is laid out by the pictures' own sizes, whatever size they are made at.
  LayoutInput in;
  in.width = display.width;
  in.height = display.height;
  in.unit = display.unit;
  for (int32_t i = 0; i < IMAGE_COUNT; ++i)
    in.image[i] = PixelSize{image_info[i].width, image_info[i].height};
  measure_texts(fonts, in.text);
  compute_layout(layout, in);
  PixelSize sizes[IMAGE_COUNT];
  picture_sizes(layout, display.unit, sizes);
  start_picture_making(load, picture_texture_format(clock.renderer), sizes, turned_cell(display.unit));
  make_pictures_here(load, false);
  if (!hand_made_pictures(clock.renderer, textures, load)) {
    abandon_pictures(load);
    release_assets(textures, fonts);
    return 1;
  }
  return 0;
}

int continue_assets(FrameClock& clock, TextureCatalog& textures, Palette& palette, FontSet& fonts,
                    PictureLoad& load, bool wait) {
  if (!load.texts_made) {
    create_text_textures(clock.renderer, fonts, palette, textures);
    make_shade(clock);
    load.texts_made = true;
  }
  if (wait) {
    make_pictures_here(load, true);
  } else if (!load.helpers[0].joinable()) {
    make_taken_pictures(load, std::min<int32_t>(load.next.load() + 1, LOAD_COUNT));  // one core: one a frame
  }
  if (!hand_made_pictures(clock.renderer, textures, load)) {
    abandon_pictures(load);
    release_assets(textures, fonts);
    return 1;
  }
  if (assets_ready(load)) abandon_pictures(load);  // only joins the finished threads
  return 0;
}

bool assets_ready(const PictureLoad& load) {
  return load.texts_made && load.handed_count == LOAD_COUNT && !load.failed;
}

int load_assets(FrameClock& clock, Display& display, TextureCatalog& textures, LayoutTable& layout,
                Palette& palette, FontSet& fonts, const char* data_dir) {
  PictureLoad load;
  if (start_assets(clock, display, textures, layout, palette, fonts, load, data_dir) != 0) return 1;
  return continue_assets(clock, textures, palette, fonts, load, true);
}

void release_assets(TextureCatalog& textures, FontSet& fonts) {
  for (int32_t i = 0; i < TEXTURE_SLOT_COUNT; ++i) {
    SDL_Texture*& slot = catalog_slot(textures, i);
    if (slot) SDL_DestroyTexture(slot);
    slot = nullptr;
  }
  for (SDL_Texture*& sheet : textures.turned) {
    if (sheet) SDL_DestroyTexture(sheet);
    sheet = nullptr;
  }
  TTF_Font** all[5] = {&fonts.fontSmall, &fonts.fontMedium, &fonts.fontLarge, &fonts.fontHuge,
                       &fonts.fontGiant};
  for (TTF_Font** f : all) {
    if (*f) TTF_CloseFont(*f);
    *f = nullptr;
  }
}
