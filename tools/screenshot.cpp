// Runs the real program on a virtual clock, feeds it scripted input and saves chosen frames.
//
//   hxm-screenshot OUT_DIR STEP...
//   STEP is FRAME:shot:NAME | FRAME:key:SCANCODE | FRAME:click:X,Y | FRAME:quit
//           | FRAME:screen:ID (jumps straight to a screen, as its button would)
//           | FRAME:tap:RECT[,INDEX] (a left click at the centre of a layout rectangle)
//           | FRAME:where:RECT[,INDEX] (prints "RECT[,INDEX] X Y", that centre, for clicks
//             made from outside the program)
//           | FRAME:hub:connect,PAD,MAC | FRAME:hub:hit,PAD,POWER,CHARGE | FRAME:hub:disconnect,PAD
//             (a virtual hub takes the adapter's place; pads count from 1)
//           | FRAME:wait:MS (real time, for the link thread to read what the hub sent; after a
//             hit, only until the link holds it, so the next frame takes it while fresh)
//           | FRAME:pace:MS (after this frame each frame is MS of virtual time, 16 or more)
//           | FRAME:stage:NAME (sets up a moment of a game that a script cannot aim for:
//             duck_down, a shot where the duck nearest the centre is, which the next frame's
//             rules bring down; ducks_flown, the last duck has come and every one has gone;
//             fuse, the dynamite's clock at its last 0.3 s)
//           | FRAME:hover:RECT[,INDEX] (the pointer moved to a layout rectangle's centre, no click)
//           | FRAME:store:hit,POWER,SECONDS_AGO (a result stored as the hit-power training
//             stores it: the insert request and the run's best three)
//
// Every frame is 16 ms of virtual time unless paced otherwise, so frame 300 is 4.8 s after
// start. The program ends after the last step.
#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "core/lock_hold.h"
#include "app/program.h"
#include "tools/png_file.h"
#include "tools/virtual_hub.h"

namespace {

struct Step {
  int frame = 0;
  std::string action;
  std::string arg;
};

struct Script {
  VirtualHub hub;
  bool uses_hub = false;
  std::string out_dir;
  std::vector<Step> steps;
  int frame = 0;
  uint32_t now = 0;
  uint32_t frame_ms = FRAME_MS;
  int failures = 0;
  bool hit_sent = false;  // a hit went to the hub since the last wait
};

uint32_t virtual_ticks(void* ctx) { return ((Script*)ctx)->now; }
void virtual_delay(void* ctx, uint32_t ms) { ((Script*)ctx)->now += ms; }

void push_click(Program& p, int x, int y) {
  SDL_WarpMouseInWindow(p.display.window, x, y);
  SDL_PumpEvents();
  SDL_Event e{};
  e.type = SDL_MOUSEBUTTONDOWN;
  e.button.button = SDL_BUTTON_LEFT;
  e.button.x = x;
  e.button.y = y;
  SDL_PushEvent(&e);
  e.type = SDL_MOUSEBUTTONUP;
  SDL_PushEvent(&e);
}

// The centre of a layout rectangle named as in the table ("closeButtonRect", "padPlateRect,2").
bool find_rect(const Program& p, const std::string& arg, int& x, int& y) {
  size_t comma = arg.find(',');
  std::string name = arg.substr(0, comma);
  int32_t index = comma == std::string::npos ? 0 : atoi(arg.c_str() + comma + 1);
  for (int32_t f = 0; f < LAYOUT_FIELD_COUNT; ++f) {
    SDL_FRect r;
    if (name != layout_fields[f].name || !layout_rect(p.layout, (LayoutFieldId)f, index, r)) continue;
    x = (int)(r.x + r.w / 2);
    y = (int)(r.y + r.h / 2);
    return true;
  }
  return false;
}

void store_command(Program& p, const std::string& arg) {
  int power = 0, ago = 0;
  if (!p.store || sscanf(arg.c_str(), "hit,%d,%d", &power, &ago) != 2) {
    fprintf(stderr, "hxm-screenshot: bad store step %s\n", arg.c_str());
    return;
  }
  const char* mac = "A4C1380F12AB";
  DateTime when = local_date_time_at((int64_t)time(nullptr) - ago);
  store_queue_result(*p.store, power, 2.0f, mac, when);  // the store ranks it once stored
}

void hub_command(Script& s, const std::string& arg) {
  // Messages sent before the link opens the terminal would merge into one read.
  for (int i = 0; i < 200 && hub_opens(s.hub) == 0; ++i) SDL_Delay(10);
  int pad = 0, a = 0, b = 0;
  char mac[13] = {};
  if (sscanf(arg.c_str(), "connect,%d,%12s", &pad, mac) == 2) {
    hub_connect(s.hub, pad - 1, mac);
  } else if (sscanf(arg.c_str(), "hit,%d,%d,%d", &pad, &a, &b) == 3) {
    hub_hit(s.hub, pad - 1, (uint8_t)a, (uint8_t)b);
    s.hit_sent = a > 0;
  } else if (sscanf(arg.c_str(), "disconnect,%d", &pad) == 1) {
    hub_disconnect(s.hub, pad - 1);
  } else {
    fprintf(stderr, "hxm-screenshot: bad hub step %s\n", arg.c_str());
  }
}


// Real time for the link to read what the hub sent. A wait after a hit ends as soon as the link
// holds it: a hit not taken soon after it came is stale, and the next frame must still see it.
void wait_for_link(const Program& p, Script& s, uint32_t ms) {
  const uint64_t end = SDL_GetTicks64() + ms;
  while (SDL_GetTicks64() < end && !(s.hit_sent && hit_waiting(p.link))) SDL_Delay(1);
  s.hit_sent = false;
}

// A still shot whose point lies at the centre of the box of the duck nearest the middle.
void stage_duck_down(Program& p) {
  DuckHuntGame& g = p.games.duck_hunt;
  const Duck* target = nullptr;
  float middle = p.display.width / 2.0f, best = 1e9f;
  for (const Duck& d : g.ducks)
    if (d.width > 0.0f && std::fabs(d.x - middle) < best) {
      best = std::fabs(d.x - middle);
      target = &d;
    }
  if (!target) {
    fprintf(stderr, "hxm-screenshot: no duck to bring down\n");
    return;
  }
  Shot shot;
  shot.shooter = target->owner == 1 ? 0 : 1;
  shot.height = p.display.unit;
  shot.width = shot.height / 2.0f;
  shot.x = target->x - shot.width / 2.0f;
  shot.y = target->y - p.layout.bottomBarRect.h / 2.0f - shot.height / 2.0f;
  g.shots.push_back(shot);
}

void stage(Program& p, const std::string& name) {
  if (name == "duck_down") {
    stage_duck_down(p);
  } else if (name == "ducks_flown") {
    p.games.duck_hunt.spawning_over = 1;
    p.games.duck_hunt.ducks.clear();
  } else if (name == "fuse") {
    p.games.prospectors.time_left = 0.3f;
  } else {
    fprintf(stderr, "hxm-screenshot: no stage %s\n", name.c_str());
  }
}

void push_steps(Program& p, void* ctx) {
  Script* s = (Script*)ctx;
  // A frame paced longer than the loop's 16 ms: its work seems to have taken that long.
  if (s->frame_ms > FRAME_MS) s->now += s->frame_ms;
  for (const Step& step : s->steps) {
    if (step.frame != s->frame) continue;
    SDL_Event e{};
    if (step.action == "key") {
      e.type = SDL_KEYDOWN;
      e.key.keysym.scancode = (SDL_Scancode)atoi(step.arg.c_str());
      SDL_PushEvent(&e);
    } else if (step.action == "click") {
      int x = 0, y = 0;
      sscanf(step.arg.c_str(), "%d,%d", &x, &y);
      push_click(p, x, y);
    } else if (step.action == "tap") {
      int x = 0, y = 0;
      if (find_rect(p, step.arg, x, y)) push_click(p, x, y);
      else fprintf(stderr, "hxm-screenshot: no rectangle %s\n", step.arg.c_str());
    } else if (step.action == "where") {
      int x = 0, y = 0;
      if (find_rect(p, step.arg, x, y)) printf("%s %d %d\n", step.arg.c_str(), x, y);
      else fprintf(stderr, "hxm-screenshot: no rectangle %s\n", step.arg.c_str());
    } else if (step.action == "hover") {
      int x = 0, y = 0;
      if (find_rect(p, step.arg, x, y)) {
        SDL_WarpMouseInWindow(p.display.window, x, y);
        SDL_PumpEvents();
      } else {
        fprintf(stderr, "hxm-screenshot: no rectangle %s\n", step.arg.c_str());
      }
    } else if (step.action == "store") {
      store_command(p, step.arg);
    } else if (step.action == "hub") {
      hub_command(*s, step.arg);
    } else if (step.action == "wait") {
      wait_for_link(p, *s, (uint32_t)atoi(step.arg.c_str()));
    } else if (step.action == "pace") {
      s->frame_ms = (uint32_t)atoi(step.arg.c_str());
    } else if (step.action == "stage") {
      stage(p, step.arg);
    } else if (step.action == "screen") {
      p.app.screen = atoi(step.arg.c_str());
    } else if (step.action == "quit") {
      e.type = SDL_QUIT;
      SDL_PushEvent(&e);
    }
  }
}

void save_shots(Program& p, void* ctx) {
  Script* s = (Script*)ctx;
  for (const Step& step : s->steps) {
    if (step.frame != s->frame || step.action != "shot") continue;
    int w = p.display.width, h = p.display.height;
    SDL_Surface* shot = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
    std::string path = s->out_dir + "/" + step.arg + ".png", why;
    if (!shot ||
        SDL_RenderReadPixels(p.clock.renderer, nullptr, SDL_PIXELFORMAT_RGBA32, shot->pixels,
                             shot->pitch) != 0) {
      fprintf(stderr, "hxm-screenshot: cannot save %s: %s\n", path.c_str(), SDL_GetError());
      s->failures++;
    } else if (!write_png_rgba(path, (const unsigned char*)shot->pixels, w, h, shot->pitch, why)) {
      fprintf(stderr, "hxm-screenshot: %s\n", why.c_str());
      s->failures++;
    } else {
      printf("%s\n", path.c_str());
    }
    SDL_FreeSurface(shot);
  }
  s->frame++;
  int last = 0;
  for (const Step& step : s->steps) last = step.frame > last ? step.frame : last;
  if (s->frame > last) p.app.running = 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: hxm-screenshot OUT_DIR FRAME:shot:NAME|FRAME:key:CODE|FRAME:click:X,Y|FRAME:quit...\n");
    return 2;
  }
  // Never freed: the link thread may still reach the hub while the process ends.
  Script& script = *new Script;
  script.out_dir = argv[1];
  for (int i = 2; i < argc; ++i) {
    std::string a = argv[i];
    size_t c1 = a.find(':');
    if (c1 == std::string::npos) {
      fprintf(stderr, "hxm-screenshot: bad step %s\n", argv[i]);
      return 2;
    }
    size_t c2 = a.find(':', c1 + 1);
    Step step;
    step.frame = atoi(a.substr(0, c1).c_str());
    step.action = a.substr(c1 + 1, c2 == std::string::npos ? std::string::npos : c2 - c1 - 1);
    if (c2 != std::string::npos) step.arg = a.substr(c2 + 1);
    script.steps.push_back(step);
    if (step.action == "hub") script.uses_hub = true;
  }
  if (script.uses_hub && !hub_plug(script.hub)) {
    fprintf(stderr, "hxm-screenshot: cannot open a pseudo-terminal for the hub\n");
    return 1;
  }
  // Read-back from Mesa's GL drawable under Xvfb stays at the window's first size; the
  // software renderer draws the same picture and reads back whole.
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  LoopSeams seams;
  seams.ticks = virtual_ticks;
  seams.delay = virtual_delay;
  seams.before_frame = push_steps;
  seams.before_present = save_shots;
  seams.ctx = &script;
  int code = script.uses_hub ? hxm_main(seams, virtual_hub_port(script.hub)) : hxm_main(seams);
  return code != 0 ? code : (script.failures ? 1 : 0);
}
