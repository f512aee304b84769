// The one place that binds screen ids to their functions.
#pragma once

#include "app/program.h"

struct ScreenFunctions {
  void (*frame)(Program& program) = nullptr;                // the per-frame sequence after clearing
  void (*poll)(Program& program) = nullptr;                 // before the events are drained
  void (*key)(Program& program, int32_t scancode) = nullptr;
  void (*click)(Program& program) = nullptr;                // left button pressed
};

// The functions of a screen id; ids outside 1-13 have none.
const ScreenFunctions& screen_functions(int32_t screen);

// What a game's functions are handed, gathered from the program's records.
GameContext game_context(Program& program);
