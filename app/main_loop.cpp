#include <SDL_ttf.h>
#include <cstdio>

#include "app/data_dir.h"
#include "app/input.h"
#include "app/program.h"
#include "app/screen_table.h"
#include "app/window.h"
#include "assets/loader.h"

namespace {

uint32_t sdl_ticks(void*) { return SDL_GetTicks(); }
void sdl_delay(void*, uint32_t ms) { SDL_Delay(ms); }

// A start-up failure: one line naming the cause, then the exit code.
int fail(int code, const char* what) {
  if (what) fprintf(stderr, "hxm: %s: %s\n", what, SDL_GetError());
  else fprintf(stderr, "hxm: %s\n", SDL_GetError());
  return code;
}

// Hands over the pictures made since the last frame; with `wait`, all of them first. A
// picture that cannot be made ends the run as a failed start would.
void continue_loading(Program& p, bool wait) {
  if (!p.loading) return;
  if (continue_assets(p.clock, p.textures, p.palette, p.fonts, *p.loading, wait) != 0) {
    p.exit_code = fail(7, nullptr);
    p.app.running = 0;
  }
  if (p.exit_code != 0 || assets_ready(*p.loading)) {
    delete p.loading;
    p.loading = nullptr;
  }
}

void background_music(Program& p) {
  if (p.app.music_started != 0) return;
  p.app.music_clock += p.clock.dt;
  if (p.app.music_clock > BACKGROUND_MUSIC_AFTER) {
    p.app.music_started = 1;
    set_music_volume(p.sounds, BACKGROUND_MUSIC_VOLUME);
    play_music(p.sounds.app_background, -1);
  }
}

// The one place the worker records are let go of: each thread frees its own record once it
// sees the stop, so the pointers are cleared at the same moment.
void stop_workers(Program& p) {
  stop_record_store(p.store);
  p.store = nullptr;
  stop_sensor_link(p.link);
  p.link = nullptr;
}

}  // namespace

LoopSeams real_loop_seams() {
  LoopSeams seams;
  seams.ticks = sdl_ticks;
  seams.delay = sdl_delay;
  return seams;
}

uint32_t pacing_delay(uint32_t last_tick, uint32_t now) {
  uint32_t left = last_tick - now + (FRAME_MS - 1);
  return left <= FRAME_MS - 1 ? left + 1 : 0;
}

int start_up(Program& p, const SerialPortLayer& port) {
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) != 0) return fail(2, "cannot start SDL");
  if (TTF_Init() != 0) return fail(3, "cannot start the font library");
  std::string data_dir = find_data_dir(program_dir(), started_by_launcher());
  load_sound_bank(p.sounds, data_dir.c_str());
  p.app = AppState{};
  p.store = start_record_store(&p.app, nullptr);  // its first read-all runs meanwhile
  create_window(p.display);
  if (!p.display.window) return fail(5, "cannot create the window");
  create_renderer(p.clock, p.display);
  if (!p.clock.renderer) return fail(6, "cannot create the renderer");
  p.pointer.left_down = 0;
  p.pointer.right_down = 0;
  SDL_GetMouseState(&p.pointer.x, &p.pointer.y);
  p.palette = Palette{};
  // Only the first frame's pictures are made now; the rest while the intro shows.
  p.loading = new PictureLoad;
  if (start_assets(p.clock, p.display, p.textures, p.layout, p.palette, p.fonts, *p.loading,
                   data_dir.c_str()) != 0) {
    delete p.loading;
    p.loading = nullptr;
    return fail(7, nullptr);
  }
  reset_screens(p);
  set_music_volume(p.sounds, INTRO_MUSIC_VOLUME);
  play_music(p.sounds.app_intro, 0);
  p.link = start_sensor_link(p.app, port);
  return 0;
}

void run_frame(Program& p, const LoopSeams& seams) {
  if (seams.before_frame) seams.before_frame(p, seams.ctx);
  dispatch_input(p);

  if (p.first_frame) {
    p.clock.last_tick = seams.ticks(seams.ctx);
    p.first_frame = false;
  }
  uint32_t wait = pacing_delay(p.clock.last_tick, seams.ticks(seams.ctx));
  if (wait) seams.delay(seams.ctx, wait);
  p.clock.dt = (float)(seams.ticks(seams.ctx) - p.clock.last_tick) / 1000.0f;
  p.clock.last_tick = seams.ticks(seams.ctx);

  SDL_Renderer* r = p.clock.renderer;
  SDL_SetRenderDrawColor(r, p.palette.black.r, p.palette.black.g, p.palette.black.b,
                         p.palette.black.a);
  SDL_RenderClear(r);
  background_music(p);
  // Every screen but the intro shows every picture: none is drawn before it is made.
  if (p.app.screen != SCREEN_INTRO) continue_loading(p, true);
  if (p.exit_code != 0) return;
  // A hit made on another screen must not act on this one.
  if (p.app.screen != p.framed_screen) clear_all_hits(p.link);
  p.framed_screen = p.app.screen;
  run_screen(p);

  if (seams.before_present) seams.before_present(p, seams.ctx);
  SDL_RenderPresent(r);
  // On the clock hits are stamped with, so a screen can time a hit against what it showed.
  p.clock.present_ms = p.link ? link_now_ms(*p.link) : port_clock_ms();
  continue_loading(p, false);
}

void shut_down(Program& p) {
  stop_all_sounds();
  free_sound_bank(p.sounds);
  if (p.loading) abandon_pictures(*p.loading);
  delete p.loading;
  p.loading = nullptr;
  release_assets(p.textures, p.fonts);
  destroy_renderer(p.clock);
  destroy_window(p.display);
  Mix_Quit();
  SDL_Quit();
  stop_workers(p);
}

int hxm_main(const LoopSeams& seams, const SerialPortLayer& port) {
  Program program;
  int code = start_up(program, port);
  if (code != 0) return code;
  while (program.app.running == 1) run_frame(program, seams);
  shut_down(program);
  return program.exit_code;
}
