#include "app/screen_table.h"

#include "screens/device_screen.h"
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

void device_frame(Program& p) {
  draw_backdrop(p.clock, p.textures, p.layout);
  draw_device_screen(p.clock, p.device_screen, p.palette, p.app, p.display, p.link, p.textures,
                     p.layout, p.fonts);
}
void device_click(Program& p) { click_device_screen(p.pointer, p.device_screen, p.app, p.layout); }

// Escape leaves the settings screen unless one of its dialogs is open.
void device_screen_key(Program& p, int32_t scancode) {
  if (scancode == KEY_ESCAPE && !device_screen_busy(p.device_screen)) p.app.screen = SCREEN_MAIN_MENU;
}

// --- Screens not built yet -------------------------------------------------------------
// The statistics screen, the three trainings and the four games can be entered and show the
// bare backdrop; Escape leaves them. Each entry is replaced when its screen is written.
void unbuilt_training_key(Program& p, int32_t scancode) {
  if (scancode == KEY_ESCAPE) p.app.screen = SCREEN_MAIN_MENU;
}
void unbuilt_game_frame(Program& p) {
  p.app.music_started = 1;  // a game owns the music while it runs
  draw_backdrop(p.clock, p.textures, p.layout);
}
void unbuilt_game_key(Program& p, int32_t scancode) {
  if (scancode != KEY_ESCAPE) return;
  p.app.screen = SCREEN_COMPETITION_MENU;  // where the games return, with the app's music
  set_music_volume(p.sounds, BACKGROUND_MUSIC_VOLUME);
  play_music(p.sounds.app_background, -1);
}
const ScreenFunctions unbuilt_training{backdrop_frame, nullptr, unbuilt_training_key, nullptr};
const ScreenFunctions unbuilt_game{unbuilt_game_frame, nullptr, unbuilt_game_key, nullptr};
// -------------------------------------------------------------------------------------------

const ScreenFunctions table[SCREEN_COUNT] = {
    /* 0: no screen */ {},
    /* SCREEN_INTRO */ {intro_frame, nullptr, nullptr, nullptr},
    /* SCREEN_MAIN_MENU */ {main_menu_frame, nullptr, nullptr, main_menu_click},
    /* SCREEN_TRAINING_MENU */ {training_menu_frame, nullptr, escape_to_main_menu, training_menu_click},
    /* SCREEN_COMPETITION_MENU */ {competition_menu_frame, nullptr, escape_to_main_menu, competition_menu_click},
    /* SCREEN_STATISTICS */ unbuilt_training,
    /* SCREEN_POWER_TRAINING */ unbuilt_training,
    /* SCREEN_REACTION_TRAINING */ unbuilt_training,
    /* SCREEN_HIT_COUNT_TRAINING */ unbuilt_training,
    /* SCREEN_DEVICE */ {device_frame, nullptr, device_screen_key, device_click},
    /* SCREEN_MONSTER_TRUCKS */ unbuilt_game,
    /* SCREEN_TANKS */ unbuilt_game,
    /* SCREEN_DUCK_HUNT */ unbuilt_game,
    /* SCREEN_PROSPECTORS */ unbuilt_game,
};

const ScreenFunctions no_screen{};

}  // namespace

const ScreenFunctions& screen_functions(int32_t screen) {
  if (screen < SCREEN_INTRO || screen >= SCREEN_COUNT) return no_screen;
  return table[screen];
}
