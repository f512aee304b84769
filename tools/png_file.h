// 8-bit RGBA PNG files for the art build, the tools and the tests. The program itself never
// reads one: its pictures are compiled in as packed pixels.
#pragma once

#include <string>
#include <vector>

// Reads an 8-bit RGB or RGBA PNG (not interlaced) as RGBA bytes, rows unpadded; false with
// why set otherwise.
bool read_png_rgba(const std::string& path, std::vector<unsigned char>& rgba, int& width,
                   int& height, std::string& why);
// Writes RGBA bytes (rows `pitch` bytes apart) as an 8-bit RGBA PNG; false with why set.
bool write_png_rgba(const std::string& path, const unsigned char* rgba, int width, int height,
                    int pitch, std::string& why);
