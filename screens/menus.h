// Screens 2, 3 and 4: the main, training and competition menus.
#pragma once

#include "core/records.h"
#include "assets/catalog.h"
#include "assets/layout.h"

void draw_main_menu(const FrameClock& clock, const TextureCatalog& textures, const LayoutTable& layout);
void draw_training_menu(const FrameClock& clock, const TextureCatalog& textures,
                        const LayoutTable& layout);
void draw_competition_menu(const FrameClock& clock, const TextureCatalog& textures,
                           const LayoutTable& layout);

// Left button pressed: the first button under the pointer decides.
void click_main_menu(const PointerState& pointer, AppState& app, const LayoutTable& layout);
void click_training_menu(const PointerState& pointer, AppState& app, const LayoutTable& layout);
void click_competition_menu(const PointerState& pointer, AppState& app, const LayoutTable& layout);
