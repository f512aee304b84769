// Draws every screen's layout: its static pictures and texts in their rectangles, then every
// rectangle of the screen outlined and labelled with its name, one PNG per screen and size.
//
//   hxm-layout-overlay OUT_DIR      (run from the run directory: it loads font/hxm_font.ttf)
//
// Outline colours: buttons cyan, pictures green, pictures shown only at times yellow, texts
// magenta, moving sprites orange, rectangles the screen fills while it runs red, backdrops grey.
// Identical neighbours (the 75 shells of a tank) get one label with their count.
#include <SDL.h>
#include <SDL_ttf.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/window.h"
#include "assets/layout.h"
#include "assets/loader.h"
#include "tools/png_file.h"

namespace {

const char* const SCREEN_NAMES[SCREEN_COUNT] = {
    "",           "01-intro",   "02-main-menu",     "03-training-menu", "04-competition-menu",
    "05-statistics", "06-power-training", "07-reaction-training", "08-hit-count-training",
    "09-device",  "10-monster-trucks", "11-tanks", "12-duck-hunt", "13-prospectors"};

const SDL_Color ROLE_COLOURS[] = {
    {150, 150, 150, 255},  // ROLE_BACKDROP
    {0, 230, 255, 255},    // ROLE_BUTTON
    {60, 255, 60, 255},    // ROLE_PICTURE
    {255, 230, 0, 255},    // ROLE_SOMETIMES
    {255, 60, 255, 255},   // ROLE_TEXT
    {255, 150, 0, 255},    // ROLE_SPRITE
    {255, 40, 40, 255},    // ROLE_RUNTIME
};

struct Overlay {
  SDL_Renderer* renderer = nullptr;
  TextureCatalog textures;
  LayoutTable layout;
  TTF_Font* label_font = nullptr;
  int width = 0, height = 0;
};

int first_element(const ScreenRect& entry) { return entry.index == EVERY_ELEMENT ? 0 : entry.index; }
int end_element(const ScreenRect& entry) {
  return entry.index == EVERY_ELEMENT ? layout_fields[entry.field].count : entry.index + 1;
}

bool drawn_in_overlay(const ScreenRect& entry) {
  return entry.role == ROLE_BACKDROP || entry.role == ROLE_BUTTON || entry.role == ROLE_PICTURE ||
         entry.role == ROLE_TEXT || entry.role == ROLE_SPRITE;
}

// The picture or text of one element, as the screen would draw it.
void draw_art(Overlay& o, const ScreenRect& entry, int i) {
  SDL_FRect r;
  if (!layout_rect(o.layout, entry.field, i, r)) return;
  const int step = entry.cycle > 0 ? i % entry.cycle : 0;
  if (entry.image != NO_ART) {
    SDL_RenderCopyF(o.renderer, image_texture(o.textures, (ImageId)(entry.image + step)), nullptr, &r);
  } else if (entry.text != NO_ART) {
    SDL_Rect dst{(int)r.x, (int)r.y, (int)r.w, (int)r.h};
    SDL_RenderCopy(o.renderer, text_texture(o.textures, (TextId)(entry.text + step)), nullptr, &dst);
  }
}

void draw_label(Overlay& o, const char* text, float x, float y, SDL_Color colour) {
  SDL_Surface* s = TTF_RenderUTF8_Blended(o.label_font, text, colour);
  if (!s) return;
  SDL_Texture* t = SDL_CreateTextureFromSurface(o.renderer, s);
  // Kept on the screen, on a dark patch so it reads over any picture.
  SDL_Rect dst{(int)std::clamp(x, 0.0f, (float)(o.width - s->w)), (int)std::clamp(y, 0.0f, (float)(o.height - s->h)),
               s->w, s->h};
  SDL_SetRenderDrawBlendMode(o.renderer, SDL_BLENDMODE_BLEND);
  SDL_SetRenderDrawColor(o.renderer, 0, 0, 0, 170);
  SDL_RenderFillRect(o.renderer, &dst);
  SDL_RenderCopy(o.renderer, t, nullptr, &dst);
  SDL_DestroyTexture(t);
  SDL_FreeSurface(s);
}

void outline(Overlay& o, const ScreenRect& entry) {
  const SDL_Color c = ROLE_COLOURS[entry.role];
  for (int i = first_element(entry); i < end_element(entry);) {
    SDL_FRect r;
    if (!layout_rect(o.layout, entry.field, i, r)) return;
    int same = 1;  // identical rectangles that follow share the label
    for (SDL_FRect next; i + same < end_element(entry) && layout_rect(o.layout, entry.field, i + same, next) &&
                         memcmp(&next, &r, sizeof r) == 0;)
      ++same;
    char name[80];
    layout_element_name(entry.field, i, name, sizeof name);
    if (same > 1) snprintf(name + strlen(name), sizeof name - strlen(name), " x%d", same);
    SDL_SetRenderDrawColor(o.renderer, c.r, c.g, c.b, 255);
    if (r.w > 0 && r.h > 0) {
      SDL_RenderDrawRectF(o.renderer, &r);
      draw_label(o, name, r.x + 2, r.y + 2, c);
    } else if (r.x != 0 || r.y != 0) {  // only its position is known before the screen runs
      SDL_RenderDrawLineF(o.renderer, r.x - 6, r.y, r.x + 6, r.y);
      SDL_RenderDrawLineF(o.renderer, r.x, r.y - 6, r.x, r.y + 6);
      draw_label(o, name, r.x + 4, r.y + 4, c);
    }
    i += same;
  }
}

bool save_screen(Overlay& o, int screen, const std::string& out_dir, SDL_Surface* target) {
  SDL_SetRenderDrawColor(o.renderer, 0, 0, 0, 255);
  SDL_RenderClear(o.renderer);
  const uint16_t bit = screen_bit(screen);
  // Backdrops first, then the rest in table order, then every outline over them.
  for (int pass = 0; pass < 2; ++pass)
    for (int32_t e = 0; e < SCREEN_RECT_COUNT; ++e) {
      const ScreenRect& entry = screen_rects[e];
      if (!(entry.screens & bit) || !drawn_in_overlay(entry) || (entry.role == ROLE_BACKDROP) != (pass == 0))
        continue;
      for (int i = first_element(entry); i < end_element(entry); ++i) draw_art(o, entry, i);
    }
  for (int32_t e = 0; e < SCREEN_RECT_COUNT; ++e)
    if (screen_rects[e].screens & bit) outline(o, screen_rects[e]);
  SDL_RenderPresent(o.renderer);
  char path[512];
  snprintf(path, sizeof path, "%s/%s-%dx%d.png", out_dir.c_str(), SCREEN_NAMES[screen], o.width, o.height);
  std::string why;
  if (!write_png_rgba(path, (const unsigned char*)target->pixels, target->w, target->h,
                      target->pitch, why)) {
    fprintf(stderr, "hxm-layout-overlay: %s\n", why.c_str());
    return false;
  }
  printf("%s\n", path);
  return true;
}

bool overlay_size(int width, int height, const std::string& out_dir) {
  SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32);
  Overlay o;
  o.width = width;
  o.height = height;
  o.renderer = target ? SDL_CreateSoftwareRenderer(target) : nullptr;
  FrameClock clock;
  clock.renderer = o.renderer;
  Display display;
  display.width = width;
  display.height = height;
  display.unit = display_unit(height);
  Palette palette;
  FontSet fonts;
  bool ok = o.renderer && load_assets(clock, display, o.textures, o.layout, palette, fonts) == 0;
  if (ok) o.label_font = TTF_OpenFont(FONT_PATH, std::max(11, height / 80));
  ok = ok && o.label_font;
  if (!ok) fprintf(stderr, "hxm-layout-overlay: cannot prepare %dx%d: %s\n", width, height, SDL_GetError());
  for (int screen = SCREEN_INTRO; ok && screen < SCREEN_COUNT; ++screen)
    ok = save_screen(o, screen, out_dir, target);
  if (o.label_font) TTF_CloseFont(o.label_font);
  release_assets(o.textures, fonts);
  if (o.renderer) SDL_DestroyRenderer(o.renderer);
  SDL_FreeSurface(target);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: hxm-layout-overlay OUT_DIR\n");
    return 2;
  }
  const std::string out_dir = argv[1];
  mkdir(out_dir.c_str(), 0755);
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
  if (SDL_Init(SDL_INIT_VIDEO) != 0 || TTF_Init() != 0) {
    fprintf(stderr, "hxm-layout-overlay: cannot start SDL: %s\n", SDL_GetError());
    return 1;
  }
  bool ok = overlay_size(1920, 1080, out_dir) && overlay_size(1366, 768, out_dir);
  TTF_Quit();
  SDL_Quit();
  return ok ? 0 : 1;
}
