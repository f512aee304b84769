#include "tools/png_file.h"

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

uint32_t be32(const unsigned char* p) {
  return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

void put32(std::string& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out += (char)(v >> s);
}

void chunk(std::string& out, const char* tag, const std::string& body) {
  put32(out, (uint32_t)body.size());
  std::string tagged = std::string(tag, 4) + body;
  out += tagged;
  put32(out, (uint32_t)crc32(0, (const Bytef*)tagged.data(), (uInt)tagged.size()));
}

int paeth(int a, int b, int c) {
  int p = a + b - c, pa = abs(p - a), pb = abs(p - b), pc = abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

}  // namespace

bool read_png_rgba(const std::string& path, std::vector<unsigned char>& rgba, int& width,
                   int& height, std::string& why) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) {
    why = "cannot open " + path;
    return false;
  }
  std::string data;
  char buf[65536];
  for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) data.append(buf, n);
  fclose(f);
  const unsigned char* p = (const unsigned char*)data.data();
  if (data.size() < 33 || memcmp(p, "\x89PNG\r\n\x1a\n", 8) != 0 || memcmp(p + 12, "IHDR", 4) != 0) {
    why = "not a PNG file";
    return false;
  }
  width = (int)be32(p + 16);
  height = (int)be32(p + 20);
  const int depth = p[24], type = p[25], interlace = p[28];
  if (depth != 8 || (type != 2 && type != 6) || interlace != 0 || width <= 0 || height <= 0) {
    why = "not an 8-bit RGB or RGBA PNG without interlacing";
    return false;
  }
  std::string packed;
  for (size_t at = 8; at + 12 <= data.size();) {
    const size_t n = be32(p + at);
    if (at + 12 + n > data.size()) break;
    if (memcmp(p + at + 4, "IDAT", 4) == 0) packed.append(data, at + 8, n);
    at += 12 + n;
  }
  const int bpp = type == 6 ? 4 : 3;
  const size_t stride = (size_t)width * bpp;
  std::vector<unsigned char> raw((stride + 1) * (size_t)height);
  uLongf size = (uLongf)raw.size();
  if (uncompress(raw.data(), &size, (const Bytef*)packed.data(), (uLong)packed.size()) != Z_OK ||
      size != raw.size()) {
    why = "damaged image data";
    return false;
  }
  std::vector<unsigned char> prev(stride, 0);
  rgba.assign((size_t)width * height * 4, 255);
  for (int y = 0; y < height; ++y) {
    unsigned char* line = &raw[(stride + 1) * y + 1];
    const int filter = line[-1];
    for (size_t i = 0; i < stride; ++i) {
      const int a = i >= (size_t)bpp ? line[i - bpp] : 0, b = prev[i],
                c = i >= (size_t)bpp ? prev[i - bpp] : 0;
      const int add = filter == 1 ? a : filter == 2 ? b : filter == 3 ? (a + b) / 2
                    : filter == 4 ? paeth(a, b, c) : 0;
      line[i] = (unsigned char)(line[i] + add);
    }
    for (int x = 0; x < width; ++x)
      memcpy(&rgba[((size_t)y * width + x) * 4], line + (size_t)x * bpp, bpp);
    memcpy(prev.data(), line, stride);
  }
  return true;
}

bool write_png_rgba(const std::string& path, const unsigned char* rgba, int width, int height,
                    int pitch, std::string& why) {
  const size_t stride = (size_t)width * 4;
  std::string raw;
  raw.reserve((stride + 1) * (size_t)height);
  for (int y = 0; y < height; ++y) {
    raw += '\0';
    raw.append((const char*)rgba + (size_t)y * pitch, stride);
  }
  std::string packed(compressBound((uLong)raw.size()), '\0');
  uLongf n = (uLongf)packed.size();
  if (compress2((Bytef*)packed.data(), &n, (const Bytef*)raw.data(), (uLong)raw.size(), 6) != Z_OK) {
    why = "cannot compress";
    return false;
  }
  packed.resize(n);
  std::string png = "\x89PNG\r\n\x1a\n", header;
  put32(header, (uint32_t)width);
  put32(header, (uint32_t)height);
  header += std::string("\x08\x06\x00\x00\x00", 5);
  chunk(png, "IHDR", header);
  chunk(png, "IDAT", packed);
  chunk(png, "IEND", "");
  FILE* f = fopen(path.c_str(), "wb");
  bool written = f && fwrite(png.data(), 1, png.size(), f) == png.size();
  if (f && fclose(f) != 0) written = false;
  if (!written) why = "cannot write " + path;
  return written;
}
