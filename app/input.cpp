#include "app/input.h"

namespace {

using Bind = ScreenBinding (*)(Program& program, int32_t screen);

void handle_event(Program& p, Bind bind) {
  const SDL_Event& e = p.pointer.event;
  switch (e.type) {
    case SDL_QUIT:
      p.app.running = 0;  // the rest of the queue is still handled
      break;
    case SDL_KEYDOWN:
      if (p.app.screen >= SCREEN_TRAINING_MENU) {
        ScreenBinding s = bind(p, p.app.screen);
        if (s.def && s.def->key) {
          ScreenContext c = screen_context(p, *s.def);
          s.def->key(s.record, c, (int32_t)e.key.keysym.scancode);
        }
      }
      break;
    case SDL_MOUSEBUTTONDOWN:
      if (e.button.button == SDL_BUTTON_LEFT) {
        p.pointer.left_down = 1;
        if (p.app.screen >= SCREEN_MAIN_MENU) {
          ScreenBinding s = bind(p, p.app.screen);
          if (s.def && s.def->click) {
            ScreenContext c = screen_context(p, *s.def);
            s.def->click(s.record, c);
          }
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

void dispatch_input(Program& p) { dispatch_input_with(p, screen_binding); }

void dispatch_input_with(Program& p, Bind bind) {
  SDL_GetMouseState(&p.pointer.x, &p.pointer.y);
  ScreenBinding current = bind(p, p.app.screen);
  if (current.def && current.def->poll) {
    ScreenContext c = screen_context(p, *current.def);
    current.def->poll(current.record, c);
  }
  while (SDL_PollEvent(&p.pointer.event)) {
    SDL_GetMouseState(&p.pointer.event_x, &p.pointer.event_y);
    handle_event(p, bind);  // reads the screen id afresh: a handler may have changed it
  }
}
