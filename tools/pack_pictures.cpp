// Packs the rasterised pictures for compiling in: each PNG's pixels, in the order the
// renderers take them, as one zstd frame with its size and checksum. Decoding that is several
// times faster than inflating and unfiltering the PNG, and the frames are smaller.
// The output depends only on the input and the level (one frame per picture, one thread each).
//
//   hxm-pack-pictures LEVEL OUT_DIR PICTURE.png...   writes OUT_DIR/PICTURE.zst for each
#include <zstd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "assets/catalog.h"
#include "tools/png_file.h"

namespace {

std::string base_name(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

// A picture's pixels in the pack's layout, rows unpadded as the loader writes them; empty
// with why set when the PNG cannot be read.
std::vector<unsigned char> read_pixels(const std::string& png, std::string& why) {
  std::vector<unsigned char> rgba, raw;
  int w = 0, h = 0;
  if (!read_png_rgba(png, rgba, w, h, why)) return raw;
  static_assert(PICTURE_PACK_FORMAT == SDL_PIXELFORMAT_ARGB8888);
  raw.resize(rgba.size());
  for (size_t i = 0; i < rgba.size(); i += 4) {
    const uint32_t argb = (uint32_t)rgba[i + 3] << 24 | (uint32_t)rgba[i] << 16 |
                          (uint32_t)rgba[i + 1] << 8 | rgba[i + 2];
    memcpy(&raw[i], &argb, 4);
  }
  return raw;
}

// Empty on success, else why the picture could not be packed.
std::string pack_one(const std::vector<unsigned char>& raw, const std::string& png,
                     const std::string& out_dir, int level) {
  ZSTD_CCtx* ctx = ZSTD_createCCtx();
  ZSTD_CCtx_setParameter(ctx, ZSTD_c_compressionLevel, level);
  ZSTD_CCtx_setParameter(ctx, ZSTD_c_checksumFlag, 1);
  ZSTD_CCtx_setParameter(ctx, ZSTD_c_contentSizeFlag, 1);
  std::vector<unsigned char> frame(ZSTD_compressBound(raw.size()));
  size_t n = ZSTD_compress2(ctx, frame.data(), frame.size(), raw.data(), raw.size());
  ZSTD_freeCCtx(ctx);
  if (ZSTD_isError(n)) return ZSTD_getErrorName(n);

  std::string path = out_dir + "/" + base_name(png) + ".zst";
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return "cannot write " + path;
  bool written = fwrite(frame.data(), 1, n, f) == n;
  if (fclose(f) != 0 || !written) return "cannot write " + path;
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: hxm-pack-pictures LEVEL OUT_DIR PICTURE.png...\n");
    return 2;
  }
  int level = atoi(argv[1]);
  std::string out_dir = argv[2];
  std::vector<std::string> pngs(argv + 3, argv + argc);
  std::vector<std::string> errors(pngs.size());
  // Read on this thread, then pack on every core: the packing is where the time goes.
  std::vector<std::vector<unsigned char>> pixels(pngs.size());
  for (size_t i = 0; i < pngs.size(); ++i) pixels[i] = read_pixels(pngs[i], errors[i]);
  std::atomic<size_t> next{0};
  auto work = [&]() {
    for (size_t i = next++; i < pngs.size(); i = next++) {
      if (errors[i].empty()) errors[i] = pack_one(pixels[i], pngs[i], out_dir, level);
      std::vector<unsigned char>().swap(pixels[i]);
    }
  };
  unsigned cores = std::thread::hardware_concurrency();
  std::vector<std::thread> helpers;
  for (unsigned t = 1; t < cores; ++t) helpers.emplace_back(work);
  work();
  for (std::thread& t : helpers) t.join();
  int failed = 0;
  for (size_t i = 0; i < pngs.size(); ++i) {
    if (errors[i].empty()) continue;
    fprintf(stderr, "hxm-pack-pictures: %s: %s\n", pngs[i].c_str(), errors[i].c_str());
    failed = 1;
  }
  return failed;
}
