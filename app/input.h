// Input dispatch and the inclusive rectangle hit test.
#pragma once

#include "app/program.h"

#include "app/screen_table.h"

// Drains the event queue, routing key presses and left clicks to the current screen.
void dispatch_input(Program& program);
// The same with another binding of screens to functions (tests bind their own).
void dispatch_input_with(Program& program, const ScreenFunctions& (*lookup)(int32_t screen));

// A point is inside when x <= px <= x + w and y <= py <= y + h: both edges count.
bool event_in_rect(const PointerState& pointer, const SDL_Rect& rect);
bool event_in_frect(const PointerState& pointer, const SDL_FRect& rect);
bool pointer_in_rect(const PointerState& pointer, const SDL_Rect& rect);
bool pointer_in_frect(const PointerState& pointer, const SDL_FRect& rect);
