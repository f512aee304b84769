#include "tests/support.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <SDL_ttf.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "app/window.h"
#include "tools/virtual_hub.h"

bool start_sdl_dummy() {
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  return SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) == 0;
}

OffscreenRenderer make_offscreen_renderer(int w, int h) {
  OffscreenRenderer o;
  o.surface = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
  if (o.surface) o.renderer = SDL_CreateSoftwareRenderer(o.surface);
  if (o.renderer) SDL_SetRenderDrawBlendMode(o.renderer, SDL_BLENDMODE_BLEND);
  return o;
}

void free_offscreen_renderer(OffscreenRenderer& o) {
  if (o.renderer) SDL_DestroyRenderer(o.renderer);
  if (o.surface) SDL_FreeSurface(o.surface);
  o = OffscreenRenderer{};
}

SDL_Color offscreen_pixel(const OffscreenRenderer& o, int x, int y) {
  SDL_Color c{0, 0, 0, 0};
  if (!o.surface || x < 0 || y < 0 || x >= o.surface->w || y >= o.surface->h) return c;
  const Uint8* row = (const Uint8*)o.surface->pixels + y * o.surface->pitch;
  Uint32 px;
  memcpy(&px, row + x * 4, 4);
  SDL_GetRGBA(px, o.surface->format, &c.r, &c.g, &c.b, &c.a);
  return c;
}

int offscreen_differing(const OffscreenRenderer& o, const SDL_Surface* before, const SDL_FRect& r) {
  int n = 0;
  const SDL_Surface* now = o.surface;
  for (int y = (int)r.y; y < (int)(r.y + r.h); ++y)
    for (int x = (int)r.x; x < (int)(r.x + r.w); ++x) {
      if (x < 0 || y < 0 || x >= now->w || y >= now->h) continue;
      const Uint8* a = (const Uint8*)before->pixels + y * before->pitch + x * 4;
      const Uint8* b = (const Uint8*)now->pixels + y * now->pitch + x * 4;
      n += memcmp(a, b, 4) != 0;
    }
  return n;
}

bool begin_offscreen(OffscreenAssets& a, int w, int h) {
  if (!start_sdl_dummy() || TTF_Init() != 0) return false;
  a.screen = make_offscreen_renderer(w, h);
  a.clock.renderer = a.screen.renderer;
  a.display.width = w;
  a.display.height = h;
  a.display.unit = (float)(h / 40);
  return a.screen.renderer != nullptr;
}

int load_offscreen(OffscreenAssets& a) {
  return load_assets(a.clock, a.display, a.textures, a.layout, a.palette, a.fonts);
}

void end_offscreen(OffscreenAssets& a) {
  release_assets(a.textures, a.fonts);
  free_offscreen_renderer(a.screen);
  TTF_Quit();
  SDL_Quit();
}

std::string read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string make_temp_dir() {
  std::string templ = (std::filesystem::temp_directory_path() / "hxm-test-XXXXXX").string();
  char* made = mkdtemp(templ.data());
  return made ? std::string(made) : std::string();
}

void remove_tree(const std::string& path) {
  std::error_code ec;
  if (!path.empty()) std::filesystem::remove_all(path, ec);
}

ScratchRunDir::ScratchRunDir() : path(make_temp_dir()) {
  std::error_code ec;
  found = std::filesystem::current_path(ec).string();
  for (const char* part : {"font", "sound"})
    std::filesystem::create_directory_symlink(std::string(HXM_RUN_DIR) + "/" + part,
                                              path + "/" + part, ec);
}

ScratchRunDir::~ScratchRunDir() {
  if (!found.empty() && chdir(found.c_str()) != 0) ADD_FAILURE() << "cannot return to " << found;
  remove_tree(path);
}

VirtualHub* start_with_hub(Program& program, const std::string& run_dir) {
  if (chdir(run_dir.c_str()) != 0) return nullptr;
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  // The link thread may still read the hub after shut-down: every hub stays reachable to the
  // very end (a vector that is never destroyed, so the leak checker at exit still sees it).
  static std::vector<VirtualHub*>* kept = new std::vector<VirtualHub*>;
  VirtualHub* hub = new VirtualHub;
  hub->gap_ms = HUB_PACED_GAP_MS;  // one message a read: these runs are not about framing
  kept->push_back(hub);
  if (!hub_plug(*hub) || start_up(program, virtual_hub_port(*hub)) != 0) return nullptr;
  for (int i = 0; i < 300 && hub_opens(*hub) == 0; ++i) SDL_Delay(10);
  return hub_opens(*hub) > 0 ? hub : nullptr;
}

namespace {
uint32_t fake_now(void* ctx) { return ((FakeTicks*)ctx)->now; }
void fake_delay(void* ctx, uint32_t ms) {
  FakeTicks* t = (FakeTicks*)ctx;
  t->now += ms;
  t->waited += ms;
  t->last_delay = ms;
}
void fake_work(Program&, void* ctx) {
  FakeTicks* t = (FakeTicks*)ctx;
  t->now += t->work_ms;
  t->last_delay = 0;
}
}  // namespace

LoopSeams fake_ticks_seams(FakeTicks& ticks) {
  LoopSeams s;
  s.ticks = fake_now;
  s.delay = fake_delay;
  s.before_frame = fake_work;
  s.ctx = &ticks;
  return s;
}

LayoutInput layout_input_at(int width, int height) {
  LayoutInput in;
  in.width = width;
  in.height = height;
  in.unit = display_unit(height);
  for (int32_t i = 0; i < IMAGE_COUNT; ++i) in.image[i] = {image_info[i].width, image_info[i].height};
  if (!TTF_WasInit()) {
    EXPECT_EQ(TTF_Init(), 0);
  }
  char here[4096];
  EXPECT_NE(getcwd(here, sizeof here), nullptr);
  EXPECT_EQ(chdir(HXM_RUN_DIR), 0);
  FontSet fonts;
  EXPECT_TRUE(open_fonts(fonts, in.unit)) << SDL_GetError();
  measure_texts(fonts, in.text);
  TextureCatalog none;
  release_assets(none, fonts);
  EXPECT_EQ(chdir(here), 0);
  return in;
}

LayoutTable layout_at(int width, int height) {
  LayoutTable layout;
  compute_layout(layout, layout_input_at(width, height));
  return layout;
}

ScreenContext rules_context(AppState& app, const PointerState& pointer, LayoutTable& layout,
                            const Display& display, SensorLink* link, RecordStore* store,
                            int32_t back) {
  static FrameClock clock;
  static Palette palette;
  static SoundBank sounds;
  static TextureCatalog textures;
  static FontSet fonts;
  return ScreenContext{clock, display, palette, sounds, textures, layout,
                       fonts, app,     pointer, link,   store,    back};
}

ScreenContext offscreen_context(OffscreenAssets& a, AppState& app, const PointerState& pointer,
                                SoundBank& sounds, SensorLink* link, RecordStore* store,
                                int32_t back) {
  return ScreenContext{a.clock, a.display, a.palette, sounds, a.textures, a.layout,
                       a.fonts, app,       pointer,   link,   store,      back};
}
