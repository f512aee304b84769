// The rectangle hit tests every screen's click handler uses.
#pragma once

#include <SDL.h>

#include "core/records.h"

// A point is inside when x <= px <= x + w and y <= py <= y + h: both edges count.
bool event_in_rect(const PointerState& pointer, const SDL_Rect& rect);
bool event_in_frect(const PointerState& pointer, const SDL_FRect& rect);
bool pointer_in_rect(const PointerState& pointer, const SDL_Rect& rect);
bool pointer_in_frect(const PointerState& pointer, const SDL_FRect& rect);
