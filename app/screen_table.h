// The one place that binds screen ids to their rows and records.
#pragma once

#include "app/program.h"

// A screen's row and the record its functions are handed.
struct ScreenBinding {
  const ScreenDef* def = nullptr;  // null for ids outside 1-13
  void* record = nullptr;
};
ScreenBinding screen_binding(Program& program, int32_t screen);

// What a row's functions are handed, gathered from the program's records; `back` is the row's.
ScreenContext screen_context(Program& program, const ScreenDef& def);

// Start-up: every row's reset, each once.
void reset_screens(Program& program);
// The frame of the current screen: the backdrop, update, tick, draw and after-draw.
void run_screen(Program& program);
