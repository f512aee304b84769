// The one window and renderer.
#pragma once

#include "core/records.h"

// Layout unit of an output height: height / 40 in integers, held as a float.
float display_unit(int32_t height);

// Fills Display.window; the event filters are set even when creation failed.
void create_window(Display& display);
// Fills FrameClock.renderer and measures the output into Display.
void create_renderer(FrameClock& clock, Display& display);
void destroy_renderer(FrameClock& clock);
void destroy_window(Display& display);
