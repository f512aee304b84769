// The flying stones and gems turned in advance: each drawn angle is a plain copy of the
// nearest step's cell instead of a copy SDL turns anew in every frame.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <vector>

#include "assets/loader.h"

namespace {

// Samples per new pixel along each axis, taken from the picture made at twice the cell's
// size: with the area average before it, enough for edges without steps.
constexpr int32_t SAMPLES = 2;

// The picture's pixel at (x, y) with its colour weighted by its alpha; nothing outside it.
void add_weighted(const Uint32* pixels, int32_t side, int32_t x, int32_t y, float weight,
                  float sum[4]) {
  if (x < 0 || y < 0 || x >= side || y >= side) return;
  const Uint32 p = pixels[(size_t)y * side + x];
  const float a = weight * (float)(p >> 24);
  sum[0] += a;
  sum[1] += a * (float)((p >> 16) & 255);
  sum[2] += a * (float)((p >> 8) & 255);
  sum[3] += a * (float)(p & 255);
}

// One cell: the square picture turned clockwise by `degrees` about its middle, each new pixel
// the mean of SAMPLES x SAMPLES bilinear samples.
void turn_into(const Uint32* from, int32_t side, double degrees, Uint32* to, int32_t cell,
               int32_t pitch_pixels) {
  const double rad = degrees * std::numbers::pi / 180.0;
  const float c = (float)std::cos(rad), s = (float)std::sin(rad);
  const float scale = (float)side / (float)cell, half_cell = (float)cell / 2.0f,
              half_side = (float)side / 2.0f;
  for (int32_t y = 0; y < cell; ++y) {
    for (int32_t x = 0; x < cell; ++x) {
      float sum[4] = {0, 0, 0, 0};
      for (int32_t j = 0; j < SAMPLES; ++j) {
        for (int32_t i = 0; i < SAMPLES; ++i) {
          // Back from the turned cell to the picture: the inverse turn, then its scale.
          const float dx = (float)x + ((float)i + 0.5f) / SAMPLES - half_cell;
          const float dy = (float)y + ((float)j + 0.5f) / SAMPLES - half_cell;
          const float u = (c * dx + s * dy) * scale + half_side - 0.5f;
          const float v = (-s * dx + c * dy) * scale + half_side - 0.5f;
          const float fu = std::floor(u), fv = std::floor(v);
          const int32_t px = (int32_t)fu, py = (int32_t)fv;
          const float wx = u - fu, wy = v - fv;
          add_weighted(from, side, px, py, (1 - wx) * (1 - wy), sum);
          add_weighted(from, side, px + 1, py, wx * (1 - wy), sum);
          add_weighted(from, side, px, py + 1, (1 - wx) * wy, sum);
          add_weighted(from, side, px + 1, py + 1, wx * wy, sum);
        }
      }
      const Uint32 alpha = (Uint32)(sum[0] / (SAMPLES * SAMPLES) + 0.5f);
      Uint32 rgb = 0;
      if (sum[0] > 0.0f)
        for (int k = 1; k < 4; ++k) rgb = rgb << 8 | std::min<Uint32>(255, (Uint32)(sum[k] / sum[0] + 0.5f));
      to[(size_t)y * pitch_pixels + x] = std::min<Uint32>(alpha, 255) << 24 | rgb;
    }
  }
}

}  // namespace

PixelSize turned_sheet_size(int32_t cell) {
  return PixelSize{cell * TURN_COLUMNS, cell * ((TURN_STEPS + TURN_COLUMNS - 1) / TURN_COLUMNS)};
}

int32_t turned_cell(float unit) {
  int32_t cell = (int32_t)(STONE_FLYING_UNITS * unit);
  for (ImageId id : TURNED_PICTURES) cell = std::min(cell, image_info[id].width);
  return std::max(cell, 1);
}

const char* make_turned(const ImageInfo& info, int32_t cell, Uint32 format, void* pixels,
                        int pitch) {
  if (info.width != info.height) return "only a square picture is turned";
  const PixelSize sheet = turned_sheet_size(cell);
  const int32_t side = std::min(info.width, 2 * cell);
  std::vector<Uint32> picture((size_t)side * side), out((size_t)sheet.w * sheet.h, 0);
  if (const char* cause = make_picture(info, PixelSize{side, side}, PICTURE_PACK_FORMAT,
                                       picture.data(), side * 4))
    return cause;
  for (int32_t k = 0; k < TURN_STEPS; ++k)
    turn_into(picture.data(), side, k * TURN_STEP_DEGREES,
              out.data() + (size_t)(k / TURN_COLUMNS) * cell * sheet.w + (size_t)(k % TURN_COLUMNS) * cell,
              cell, sheet.w);
  if (SDL_ConvertPixels(sheet.w, sheet.h, PICTURE_PACK_FORMAT, out.data(), sheet.w * 4, format,
                        pixels, pitch) != 0)
    return "no conversion to the texture format";
  return nullptr;
}

SDL_Texture* turned_copy(const TextureCatalog& textures, ImageId picture, double degrees,
                         SDL_Rect& cell) {
  SDL_Texture* sheet = nullptr;
  for (int32_t t = 0; t < TURNED_COUNT; ++t)
    if (TURNED_PICTURES[t] == picture) sheet = textures.turned[t];
  int w = 0;
  if (!sheet || SDL_QueryTexture(sheet, nullptr, nullptr, &w, nullptr) != 0) return nullptr;
  const int32_t side = w / TURN_COLUMNS;
  const long step = std::lround(degrees / TURN_STEP_DEGREES) % TURN_STEPS;
  const int32_t k = (int32_t)(step < 0 ? step + TURN_STEPS : step);
  cell = SDL_Rect{(k % TURN_COLUMNS) * side, (k / TURN_COLUMNS) * side, side, side};
  return sheet;
}
