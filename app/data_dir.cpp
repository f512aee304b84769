#include "app/data_dir.h"

#include <SDL.h>

#include <filesystem>

#include "assets/catalog.h"

namespace {

// The file's entry is enough: an installed font is a link into the font package, and when
// that is missing the error should name the installed path.
bool holds_font(const std::string& dir) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(dir + FONT_PATH, ec));
}

}  // namespace

std::string find_data_dir(const std::string& program_dir) {
  if (holds_font("") || program_dir.empty()) return "";
  if (holds_font(program_dir)) return program_dir;
  // The install rules put the data at this path from the program's directory.
  std::string installed =
      std::filesystem::path(program_dir + HXM_DATA_FROM_PROGRAM "/").lexically_normal().string();
  return holds_font(installed) ? installed : "";
}

std::string program_dir() {
  char* base = SDL_GetBasePath();  // works before SDL_Init
  std::string dir = base ? base : "";
  SDL_free(base);
  return dir;
}
