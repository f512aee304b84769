// Shared pieces of the test suite.
#pragma once

#include <SDL.h>

#include <string>

#include "app/program.h"
#include "assets/loader.h"

// Starts SDL (video and audio) on the dummy drivers; false if it could not.
bool start_sdl_dummy();

// A software renderer drawing into an offscreen RGBA surface of w x h.
struct OffscreenRenderer {
  SDL_Surface* surface = nullptr;
  SDL_Renderer* renderer = nullptr;
};
OffscreenRenderer make_offscreen_renderer(int w, int h);
void free_offscreen_renderer(OffscreenRenderer& o);
// The colour of one pixel of the offscreen surface.
SDL_Color offscreen_pixel(const OffscreenRenderer& o, int x, int y);
// How many pixels of a rectangle differ between an earlier copy of the surface and now.
int offscreen_differing(const OffscreenRenderer& o, const SDL_Surface* before, const SDL_FRect& r);

// The loader's records over an offscreen software renderer of a chosen size.
struct OffscreenAssets {
  OffscreenRenderer screen;
  FrameClock clock;
  Display display;
  TextureCatalog textures;
  LayoutTable layout;
  Palette palette;
  FontSet fonts;
};
// Starts SDL and SDL_ttf on the dummy drivers and makes the renderer; false on failure.
bool begin_offscreen(OffscreenAssets& a, int w, int h);
// load_assets on it (the font is read from the working directory).
int load_offscreen(OffscreenAssets& a);
void end_offscreen(OffscreenAssets& a);

// A whole file's bytes; empty when it cannot be read.
std::string read_file(const std::string& path);

// A fresh empty directory under the system's temporary folder, removed by the caller.
std::string make_temp_dir();
void remove_tree(const std::string& path);

// A fresh directory that sees the run directory's font and sounds (through links), so a
// test can start the whole program without leaving a database in the real run directory.
// Going, it returns to the working directory it found before removing itself: a test that
// entered it leaves the next test of the same process a directory that still exists.
struct ScratchRunDir {
  std::string path;
  std::string found;  // the working directory when it was made
  ScratchRunDir();
  ~ScratchRunDir();
};

struct VirtualHub;
// The whole program started in a run directory (entered; a ScratchRunDir returns from it when
// it goes) on the dummy drivers, with a virtual hub in the adapter's place; returns once the
// link has opened the hub's terminal, or null when anything failed. The hub lives to the
// process's end: the detached link thread may still reach it after shut_down.
VirtualHub* start_with_hub(Program& program, const std::string& run_dir);

// A tick source for the main loop: time moves only when the loop waits or a test says so.
struct FakeTicks {
  uint32_t now = 0;
  uint32_t waited = 0;       // sum of all delays asked for
  uint32_t last_delay = 0;   // the last delay asked for (0 when none in the last frame)
  uint32_t work_ms = 0;      // added before each frame, as if the frame's work took that long
};
LoopSeams fake_ticks_seams(FakeTicks& ticks);

// What the loader would hand the layout at an output size: the pictures' listed sizes and the
// fixed texts measured in the real font (read from the run directory). No renderer needed.
LayoutInput layout_input_at(int width, int height);
// The whole layout table at an output size, as the loader computes it.
LayoutTable layout_at(int width, int height);

// A screen's context for a rules test: the records the test holds, the rest empty.
ScreenContext rules_context(AppState& app, const PointerState& pointer, LayoutTable& layout,
                            const Display& display, SensorLink* link, RecordStore* store,
                            int32_t back);
// The same over the loader's records of an offscreen renderer.
ScreenContext offscreen_context(OffscreenAssets& a, AppState& app, const PointerState& pointer,
                                SoundBank& sounds, SensorLink* link, RecordStore* store,
                                int32_t back);
