// The shell's records: one instance of each, owned by main for the whole run.
#pragma once

#include <SDL.h>
#include <cstdint>

#include "core/app_state.h"

// Scancodes the program reacts to.
enum Key : int32_t {
  KEY_ESCAPE = 41,
  KEY_SPACE = 44,
  KEY_DELETE = 76,
  KEY_RIGHT = 79,
  KEY_LEFT = 80,
  KEY_DOWN = 81,
  KEY_UP = 82,
  KEY_KEYPAD_MINUS = 86,
  KEY_KEYPAD_PLUS = 87,
};

struct FrameClock {
  uint32_t last_tick = 0;  // ms at the start of the current frame
  float dt = 0.0f;         // seconds since the previous frame's start
  double present_ms = 0.0;  // when the previous frame's present returned, on the link's clock
  SDL_Renderer* renderer = nullptr;
  // Opaque black at the output's size, made once by the loader: a translucent black fill
  // drawn as this texture at the fill's alpha takes the software renderer's fast blit.
  SDL_Texture* shade = nullptr;
};

struct Palette {
  SDL_Color black{0, 0, 0, 255};  // clears every frame
  SDL_Color shade{0, 0, 0, 150};
  SDL_Color red{255, 0, 0, 255};
  SDL_Color white{255, 255, 255, 255};
  SDL_Color lime{203, 212, 43, 255};
  SDL_Color amber{227, 200, 50, 255};
  SDL_Color dark_grey{56, 56, 56, 255};
  SDL_Color ink{7, 8, 8, 255};
  SDL_Color green{101, 176, 34, 255};
  SDL_Color gold{255, 215, 0, 255};
  SDL_Color silver{192, 192, 192, 255};
  SDL_Color tan{210, 180, 140, 255};
  SDL_Color slate{141, 168, 170, 255};
  SDL_Color brown{111, 68, 53, 255};
  // The two players' colours in the games' standings: light enough to read on a dark plate.
  SDL_Color player_blue{70, 155, 255, 255};
  SDL_Color player_red{255, 70, 60, 255};
  // Under the standings: dark enough that stones flying beneath do not show through the digits.
  SDL_Color plate{0, 0, 0, 215};
};

struct Display {
  SDL_Window* window = nullptr;
  int32_t width = 800;
  int32_t height = 600;
  float unit = 0.0f;  // height / 40 in integers: every size on screen derives from it
};

struct PointerState {
  int32_t left_down = 0;
  int32_t right_down = 0;
  int32_t x = 0;  // read at the start of each dispatch
  int32_t y = 0;
  int32_t event_x = 0;  // read right after each event is taken from the queue
  int32_t event_y = 0;
  SDL_Event event{};
};
