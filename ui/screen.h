// One shape for every screen: a row of named functions, as the games are rows. The roof binds
// each screen id to its row and its record, and hands every function the same context.
#pragma once

#include <cstdint>

#include "assets/catalog.h"
#include "assets/layout.h"
#include "assets/sound_bank.h"
#include "core/records.h"

struct SensorLink;
struct RecordStore;

// Everything a screen's functions may read or change, gathered by the roof for each call.
struct ScreenContext {
  const FrameClock& clock;
  const Display& display;
  const Palette& palette;
  SoundBank& sounds;
  TextureCatalog& textures;  // run-time texts are made into their catalog slots
  LayoutTable& layout;       // screens move their sprites and meters through it
  const FontSet& fonts;
  AppState& app;
  const PointerState& pointer;
  SensorLink* link;
  RecordStore* store;
  int32_t back;  // the row's `back`: where the Back button and Escape lead
};

enum : int32_t { NO_BACK = 0 };

// A frame runs, in order: the backdrop (unless the row says not), update, tick, draw and
// after_draw. Only the draw may not change the record. Any field may be null.
struct ScreenDef {
  int32_t screen = 0;
  int32_t back = NO_BACK;
  bool backdrop = true;
  void (*reset)(void* record, ScreenContext& c) = nullptr;  // at start-up
  void (*poll)(void* record, ScreenContext& c) = nullptr;   // before the frame's events
  void (*update)(void* record, ScreenContext& c) = nullptr;
  void (*tick)(void* record, ScreenContext& c) = nullptr;
  void (*draw)(const void* record, ScreenContext& c) = nullptr;
  void (*after_draw)(void* record, ScreenContext& c) = nullptr;
  void (*key)(void* record, ScreenContext& c, int32_t scancode) = nullptr;
  void (*click)(void* record, ScreenContext& c) = nullptr;  // left button pressed
};

// The screen's own typed functions as row fields: the roof holds records untyped.
template <typename S, void (*F)(S&, ScreenContext&)>
void row(void* record, ScreenContext& c) {
  F(*(S*)record, c);
}
template <typename S, void (*F)(const S&, ScreenContext&)>
void row_draw(const void* record, ScreenContext& c) {
  F(*(const S*)record, c);
}
template <typename S, void (*F)(S&, ScreenContext&, int32_t)>
void row_key(void* record, ScreenContext& c, int32_t scancode) {
  F(*(S*)record, c, scancode);
}

// Leaves for the row's `back`.
void go_back(ScreenContext& c);
// A key field for screens whose only key is Escape, which leads back.
void escape_goes_back(void* record, ScreenContext& c, int32_t scancode);
