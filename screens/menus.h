// Screens 1 to 4: the intro and the main, training and competition menus. A menu is its rows
// in the layout's screen table: they draw it, take its clicks and describe it to the tools.
#pragma once

#include "ui/screen.h"

// The intro gives way to the main menu after this time; every picture is made before.
constexpr float INTRO_SECONDS = 4.3f;

struct IntroState {
  float clock = 0.0f;  // seconds on the intro, never reset
};

extern const ScreenDef intro_screen;
extern const ScreenDef main_menu_screen;
extern const ScreenDef training_menu_screen;
extern const ScreenDef competition_menu_screen;

// The menu's rows, in order.
void draw_menu(const FrameClock& clock, const TextureCatalog& textures, const LayoutTable& layout,
               int32_t screen);
// Left button pressed: the first row with a target under the pointer decides.
void click_menu(ScreenContext& c, int32_t screen);
