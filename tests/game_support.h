// What the games' tests share: a game run on state alone, and the whole program playing a
// game against a virtual hub.
#pragma once

#include <cstdint>
#include <functional>

#include "games/games.h"
#include "link/sensor_link.h"
#include "tests/support.h"
#include "tools/virtual_hub.h"

// A game's records and context at 1920x1080 with the real layout, no renderer and no sound:
// the rules run exactly as in the program's frame, without the draw.
struct GameRig {
  explicit GameRig(int width = 1920, int height = 1080);
  GameRig(const GameRig&) = delete;
  GameRig& operator=(const GameRig&) = delete;

  SensorLink link;
  FrameClock clock;
  Display display;
  Palette palette;
  SoundBank sounds;
  TextureCatalog textures;
  LayoutTable layout;
  FontSet fonts;
  AppState app;
  PointerState pointer;
  ScreenContext context{clock, display, palette, sounds, textures, layout, fonts, app, pointer, &link, nullptr, SCREEN_COMPETITION_MENU};

  // Connected flags of pads 1-4 as '0'/'1'; pad k's MAC ends in "PADk".
  void connect(const char* flags);
  // A hit that has just come.
  void hit(int32_t pad, uint8_t power) {
    link.pads[pad - 1].hit[3] = power;
    link.pads[pad - 1].hit_ms = port_clock_ms();
  }
  // One frame's state work in the program's order: poll, music, the game's rules, the
  // countdown, then what the draw sequence advances.
  void frame(const GameDef& game, void* record, float dt = 0.016f);
  // Pads 1 and 2 connected, a hit to start, and the countdown run out: playing.
  void start_playing(const GameDef& game, void* record);
  // Pads 1 and 2 connected: the left player gets pad 1, the right one pad 2.
  void connect_two_pads() { connect("1100"); }
  // The countdown started and run out in frames: the game plays.
  void start(const GameDef& game, void* record);
};

// A game's scene drawn on the software renderer at 1920x1080 with the real pictures.
struct GameCanvas {
  OffscreenAssets a;
  SoundBank sounds;
  AppState app;
  PointerState pointer;
  ScreenContext context{a.clock, a.display, a.palette, sounds, a.textures, a.layout, a.fonts,
                      app,     pointer,   nullptr,   nullptr,   SCREEN_COMPETITION_MENU};

  // Loads the pictures and fonts from the run directory; false on failure.
  bool open();
  ~GameCanvas();
  // The game's update then its scene (no heads-up layer) over black, as one frame.
  void frame(const GameDef& game, void* record, float dt = 0.016f);
  // A copy of the picture now, freed by the caller.
  SDL_Surface* snapshot() const { return SDL_DuplicateSurface(a.screen.surface); }
  int differing(const SDL_Surface* before, const SDL_FRect& r) const {
    return offscreen_differing(a.screen, before, r);
  }
};

// The whole program on a fake clock, its link reading a virtual hub; the clock only moves as
// frames run, by ticks.work_ms per frame (at least 16 ms).
struct HubProgram {
  ScratchRunDir scratch;
  VirtualHub* hub = nullptr;
  Program program;
  FakeTicks ticks;
  LoopSeams seams;
  bool started = false;

  // Starts the program in a scratch run directory with pads 1 and 2 announced; false if not.
  bool start();
  ~HubProgram();
  // start(), then on a game's screen: both players assigned, a hit of pad `starter` begins
  // the countdown, run out in tenths of a second. False if any step does not come.
  bool start_game(int32_t screen, int32_t starter);
  // Runs frames until the condition holds; false after the real-time limit.
  bool run_until(const std::function<bool()>& done, uint32_t real_ms = 20000);
  // A hit on pad 1-4 sent by the hub, then frames until the game has taken it.
  bool strike(int32_t pad, uint8_t power, const std::function<bool()>& taken);
};
