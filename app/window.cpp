#include "app/window.h"

float display_unit(int32_t height) { return (float)(height / 40); }

void create_window(Display& display) {
  display.width = 800;
  display.height = 600;
  // Asked for at the desktop's size: without a window manager (a kiosk X session) the
  // full-screen request is not honoured and the window would stay at its asked size.
  SDL_DisplayMode desktop;
  int w = 800, h = 600;
  if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0) {
    w = desktop.w;
    h = desktop.h;
  }
  display.window = SDL_CreateWindow("HXM", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h,
                                    SDL_WINDOW_FULLSCREEN_DESKTOP);
  SDL_ShowCursor(SDL_ENABLE);

  // Only quit, keys and mouse buttons reach the loop; motion is read by polling.
  static const Uint32 ignored_first[] = {SDL_DISPLAYEVENT, SDL_WINDOWEVENT, SDL_TEXTEDITING,
                                         SDL_TEXTINPUT, SDL_MOUSEMOTION};
  for (Uint32 type : ignored_first) SDL_EventState(type, SDL_IGNORE);
  SDL_EventState(SDL_MOUSEBUTTONDOWN, SDL_ENABLE);
  SDL_EventState(SDL_MOUSEBUTTONUP, SDL_ENABLE);
  SDL_EventState(SDL_MOUSEWHEEL, SDL_ENABLE);
  for (Uint32 type = SDL_JOYAXISMOTION; type <= SDL_JOYDEVICEREMOVED; ++type)
    SDL_EventState(type, SDL_IGNORE);
  for (Uint32 type = SDL_CONTROLLERAXISMOTION; type <= SDL_CONTROLLERDEVICEREMAPPED; ++type)
    SDL_EventState(type, SDL_IGNORE);
}

void create_renderer(FrameClock& clock, Display& display) {
  clock.last_tick = 0;
  clock.dt = 0.0f;
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
  // SDL's software renderer draws into the window's own surface, which SDL would otherwise show
  // through a second, OpenGL or Direct3D renderer made only for it: a whole graphics stack
  // (about 90 MB and half a second of start here) to copy the same pixels to the screen.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  clock.renderer = SDL_CreateRenderer(display.window, -1, 0);
  if (!clock.renderer) return;
  SDL_GetRendererOutputSize(clock.renderer, &display.width, &display.height);
  display.unit = display_unit(display.height);
  SDL_SetRenderDrawBlendMode(clock.renderer, SDL_BLENDMODE_BLEND);
  SDL_RenderSetIntegerScale(clock.renderer, SDL_TRUE);
}

void destroy_renderer(FrameClock& clock) {
  if (clock.shade) SDL_DestroyTexture(clock.shade);
  clock.shade = nullptr;
  if (clock.renderer) SDL_DestroyRenderer(clock.renderer);
  clock.renderer = nullptr;
}

void destroy_window(Display& display) {
  if (display.window) SDL_DestroyWindow(display.window);
  display.window = nullptr;
}
