#include "app/input.h"

namespace {

void handle_event(Program& p, const ScreenFunctions& (*lookup)(int32_t)) {
  const SDL_Event& e = p.pointer.event;
  switch (e.type) {
    case SDL_QUIT:
      p.app.running = 0;  // the rest of the queue is still handled
      break;
    case SDL_KEYDOWN:
      if (p.app.screen >= SCREEN_TRAINING_MENU) {
        const ScreenFunctions& s = lookup(p.app.screen);
        if (s.key) s.key(p, (int32_t)e.key.keysym.scancode);
      }
      break;
    case SDL_MOUSEBUTTONDOWN:
      if (e.button.button == SDL_BUTTON_LEFT) {
        p.pointer.left_down = 1;
        if (p.app.screen >= SCREEN_MAIN_MENU) {
          const ScreenFunctions& s = lookup(p.app.screen);
          if (s.click) s.click(p);
        }
      } else if (e.button.button == SDL_BUTTON_RIGHT) {
        p.pointer.right_down = 1;
      }
      break;
    case SDL_MOUSEBUTTONUP:
      if (e.button.button == SDL_BUTTON_LEFT) p.pointer.left_down = 0;
      if (e.button.button == SDL_BUTTON_RIGHT) p.pointer.right_down = 0;
      break;
    default:
      break;
  }
}

}  // namespace

void dispatch_input(Program& p) { dispatch_input_with(p, screen_functions); }

void dispatch_input_with(Program& p, const ScreenFunctions& (*lookup)(int32_t)) {
  SDL_GetMouseState(&p.pointer.x, &p.pointer.y);
  const ScreenFunctions& current = lookup(p.app.screen);
  if (current.poll) current.poll(p);
  while (SDL_PollEvent(&p.pointer.event)) {
    SDL_GetMouseState(&p.pointer.event_x, &p.pointer.event_y);
    handle_event(p, lookup);  // reads the screen id afresh: a handler may have changed it
  }
}
