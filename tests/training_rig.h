// A training screen's surroundings with no renderer: a link with pad 1 connected, the
// records its functions take, the frame's dt, and a fake clock for the link and the frames.
#pragma once

#include <SDL_mixer.h>

#include "core/records.h"
#include "assets/sound_bank.h"
#include "link/sensor_link.h"
#include "tests/support.h"

struct TrainingRig {
  SensorLink link;
  SoundBank sounds;  // empty unless a test opens the mixer: every effect is skipped
  AppState app;
  FrameClock clock;
  PointerState pointer;
  LayoutTable layout = layout_at(1366, 768);
  double now_ms = 1000.0;  // the link's clock, moved by the tests
  Display display{nullptr, 1366, 768, 19};
  Palette palette;
  TextureCatalog textures;  // empty: rules tests draw nothing
  FontSet fonts;

  // What the screen's row functions get; Back leads to the training menu.
  ScreenContext context() {
    return ScreenContext{clock, display, palette, sounds, textures, layout,
                         fonts, app,     pointer, &link,  nullptr,  SCREEN_TRAINING_MENU};
  }

  TrainingRig() {
    app.screen = SCREEN_REACTION_TRAINING;
    clock.dt = 0.016f;
    link.port.now_ms = [](void* ctx) { return *(double*)ctx; };
    link.port.ctx = &now_ms;
    link.pads[0].connected = 1;
    const char* mac = "A1B2C3D4E5F6";
    for (int i = 0; i < MAC_LENGTH; ++i) link.pads[0].mac[i] = mac[i];
  }
  TrainingRig(const TrainingRig&) = delete;  // the link's clock points into the rig
  // A hit waiting in pad 1's slot, as the link leaves it, that came at_ms.
  void hit_at(double at_ms, uint8_t power = 120) {
    link.pads[0].hit[0] = 1;
    link.pads[0].hit[3] = power;
    link.pads[0].hit_ms = at_ms;
  }
  // One that came half a frame after now: between two frames.
  void hit(uint8_t power = 120) { hit_at(now_ms + clock.dt * 500.0, power); }
  bool hit_waiting() const { return link.pads[0].hit[3] != 0; }
  // A left click at the centre of a rectangle.
  template <typename Rect>
  const PointerState& at(const Rect& r) {
    pointer.event_x = (int32_t)((float)r.x + (float)r.w / 2.0f);
    pointer.event_y = (int32_t)((float)r.y + (float)r.h / 2.0f);
    return pointer;
  }
};

// The mixer on the dummy driver, with an effect of ten silent seconds: every play of it holds
// one channel for the whole test, so Mix_Playing counts the plays.
struct CountedEffect {
  Mix_Chunk* chunk = nullptr;
  Uint8* samples = nullptr;
  bool open() {
    if (!start_sdl_dummy() || Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 2048) != 0) return false;
    const Uint32 bytes = 44100 * 4 * 10;
    samples = (Uint8*)SDL_calloc(bytes, 1);
    chunk = Mix_QuickLoad_RAW(samples, bytes);
    return chunk != nullptr;
  }
  ~CountedEffect() {
    Mix_HaltChannel(-1);
    if (chunk) Mix_FreeChunk(chunk);
    SDL_free(samples);
    while (Mix_QuerySpec(nullptr, nullptr, nullptr)) Mix_CloseAudio();
    SDL_Quit();
  }
};
