#include "app/screen_table.h"

#include "screens/menus.h"

namespace {

void intro_frame(Program& p) {
  p.intro_clock += p.clock.dt;
  if (p.intro_clock >= INTRO_SECONDS) p.app.screen = SCREEN_MAIN_MENU;
  draw_intro(p.clock, p.textures, p.layout);
}

void backdrop_frame(Program& p) { draw_backdrop(p.clock, p.textures, p.layout); }

void main_menu_frame(Program& p) {
  draw_backdrop(p.clock, p.textures, p.layout);
  draw_main_menu(p.clock, p.textures, p.layout);
}
void training_menu_frame(Program& p) {
  draw_backdrop(p.clock, p.textures, p.layout);
  draw_training_menu(p.clock, p.textures, p.layout);
}
void competition_menu_frame(Program& p) {
  draw_backdrop(p.clock, p.textures, p.layout);
  draw_competition_menu(p.clock, p.textures, p.layout);
}
void main_menu_click(Program& p) { click_main_menu(p.pointer, p.app, p.layout); }
void training_menu_click(Program& p) { click_training_menu(p.pointer, p.app, p.layout); }
void competition_menu_click(Program& p) { click_competition_menu(p.pointer, p.app, p.layout); }

// Escape returns to the main menu from the two sub-menus.
void escape_to_main_menu(Program& p, int32_t scancode) {
  if (scancode == KEY_ESCAPE) p.app.screen = SCREEN_MAIN_MENU;
}

// Escape leaves the settings screen unless one of its dialogs is open.
void device_screen_key(Program& p, int32_t scancode) {
  if (scancode == KEY_ESCAPE && !device_screen_busy(p.device_screen)) p.app.screen = SCREEN_MAIN_MENU;
}

const ScreenFunctions table[SCREEN_COUNT] = {
    /* 0: no screen */ {},
    /* SCREEN_INTRO */ {intro_frame, nullptr, nullptr, nullptr},
    /* SCREEN_MAIN_MENU */ {main_menu_frame, nullptr, nullptr, main_menu_click},
    /* SCREEN_TRAINING_MENU */ {training_menu_frame, nullptr, escape_to_main_menu, training_menu_click},
    /* SCREEN_COMPETITION_MENU */ {competition_menu_frame, nullptr, escape_to_main_menu, competition_menu_click},
    /* SCREEN_STATISTICS */ {backdrop_frame, nullptr, nullptr, nullptr},
    /* SCREEN_POWER_TRAINING */ {backdrop_frame, nullptr, nullptr, nullptr},
    /* SCREEN_REACTION_TRAINING */ {backdrop_frame, nullptr, nullptr, nullptr},
    /* SCREEN_HIT_COUNT_TRAINING */ {backdrop_frame, nullptr, nullptr, nullptr},
    /* SCREEN_DEVICE */ {backdrop_frame, nullptr, device_screen_key, nullptr},
    /* SCREEN_MONSTER_TRUCKS */ {},
    /* SCREEN_TANKS */ {},
    /* SCREEN_DUCK_HUNT */ {},
    /* SCREEN_PROSPECTORS */ {},
};

const ScreenFunctions no_screen{};

}  // namespace

const ScreenFunctions& screen_functions(int32_t screen) {
  if (screen < SCREEN_INTRO || screen >= SCREEN_COUNT) return no_screen;
  return table[screen];
}
