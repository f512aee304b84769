// A game driven at state level: the match's records, a real layout and a sensor link whose
// slots a test fills, with no renderer.
#pragma once

#include <cstdint>

#include "games/games.h"
#include "link/sensor_link.h"

struct GameRig {
  explicit GameRig(int width = 1920, int height = 1080);
  GameRig(const GameRig&) = delete;
  GameRig& operator=(const GameRig&) = delete;

  // Pads 1 and 2 connected, so the left player gets pad 1 and the right one pad 2.
  void connect_two_pads();
  // A hit of a pad (1-4) waiting in its slot for the next poll.
  void hit(int32_t pad, uint8_t power);
  // One frame as the screen runs it, all but the drawing: poll, music, update, countdown and
  // the state the drawing advances.
  void frame(const GameDef& game, void* record, float dt = 0.016f);
  // Frames until the countdown is over and the game plays.
  void start(const GameDef& game, void* record);

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
  GameContext context{clock, display, palette, sounds, textures, layout, fonts, app, pointer, &link};
};
