#include "app/data_dir.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
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

std::string find_data_dir(const std::string& program_dir, bool launched) {
  // The install rules put the data at this path from the program's directory.
  std::string installed =
      program_dir.empty() ? ""
                          : std::filesystem::path(program_dir + HXM_DATA_FROM_PROGRAM "/")
                                .lexically_normal()
                                .string();
  // The launcher starts the program in the user's data folder, whose files are the user's
  // records, not the program's: the installed data comes first.
  if (launched && !installed.empty() && holds_font(installed)) return installed;
  if (holds_font("") || program_dir.empty()) return "";
  if (holds_font(program_dir)) return program_dir;
  return holds_font(installed) ? installed : "";
}

bool started_by_launcher() {
  const char* launched = getenv("HXM_LAUNCHED");
  return launched && strcmp(launched, "1") == 0;
}

std::string program_dir() {
  char* base = SDL_GetBasePath();  // works before SDL_Init
  std::string dir = base ? base : "";
  SDL_free(base);
  return dir;
}
