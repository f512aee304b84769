#include "ui/draw_list.h"
#include "app/screen_table.h"

#include "screens/device_screen.h"
#include "screens/hit_count_training.h"
#include "screens/menus.h"
#include "screens/power_training.h"
#include "screens/reaction_training.h"
#include "screens/statistics.h"

namespace {

void intro_frame(Program& p) {
  p.intro_clock += p.clock.dt;
  if (p.intro_clock >= INTRO_SECONDS) p.app.screen = SCREEN_MAIN_MENU;
  draw_intro(p.clock, p.textures, p.layout);
}

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
  device_screen_update(p.device_screen, p.link);
  device_screen_make_texts(p.clock, p.device_screen, p.palette, p.fonts, p.textures);
  draw_device_screen(p.clock, p.device_screen, p.palette, p.textures, p.layout);
}
void device_click(Program& p) { click_device_screen(p.pointer, p.device_screen, p.app, p.layout); }

// Escape leaves the settings screen unless one of its dialogs is open.
void device_screen_key(Program& p, int32_t scancode) {
  if (scancode == KEY_ESCAPE && !device_screen_busy(p.device_screen)) p.app.screen = SCREEN_MAIN_MENU;
}

void power_training_frame(Program& p) {
  draw_backdrop(p.clock, p.textures, p.layout);
  power_training_update(p.link, p.power_training, p.sounds, p.display, p.layout, p.store);
  power_training_tick(p.power_training, p.clock, p.display, p.layout);
  power_training_draw(p.clock, p.power_training, p.palette, p.display, p.textures, p.layout,
                      p.fonts);
}
void power_training_on_click(Program& p) {
  power_training_click(p.pointer, p.power_training, p.app, p.sounds, p.layout, p.display);
}
void power_training_on_key(Program& p, int32_t scancode) {
  power_training_key(scancode, p.display, p.app, p.power_training, p.sounds, p.layout);
}
void reaction_frame(Program& p) {
  draw_backdrop(p.clock, p.textures, p.layout);
  reaction_update(p.reaction, p.link, p.sounds, p.clock);
  reaction_tick(p.reaction, p.clock);
  reaction_make_texts(p.reaction);
  reaction_draw(p.clock, p.reaction, p.palette, p.display, p.textures, p.layout, p.fonts);
  reaction_after_draw(p.reaction, p.clock, p.sounds);
}
void reaction_on_click(Program& p) { reaction_click(p.pointer, p.reaction, p.app, p.sounds, p.layout); }
void reaction_on_key(Program& p, int32_t scancode) { reaction_key(scancode, p.app, p.reaction, p.sounds); }

void hit_count_frame(Program& p) {
  draw_backdrop(p.clock, p.textures, p.layout);
  hit_count_update(p.hit_count, p.link, p.sounds);
  hit_count_tick(p.hit_count, p.clock, p.sounds);
  hit_count_make_texts(p.hit_count);
  hit_count_draw(p.clock, p.hit_count, p.palette, p.display, p.textures, p.layout, p.fonts);
}
void hit_count_on_click(Program& p) { hit_count_click(p.pointer, p.hit_count, p.app, p.sounds, p.layout); }
void hit_count_on_key(Program& p, int32_t scancode) { hit_count_key(scancode, p.app, p.hit_count, p.sounds); }

void statistics_frame(Program& p) {
  draw_backdrop(p.clock, p.textures, p.layout);
  statistics_update(p.statistics, p.store, p.layout, p.display);
  statistics_draw(p.clock, p.statistics, p.textures, p.layout, p.display, p.palette, p.fonts);
}
void statistics_poll(Program& p) {
  statistics_pointer_poll(p.pointer, p.statistics, p.layout, p.store, p.display);
}
void statistics_screen_click(Program& p) {
  statistics_click(p.pointer, p.statistics, p.app, p.layout, p.store);
}
void statistics_screen_key(Program& p, int32_t scancode) {
  statistics_key(scancode, p.display, p.statistics, p.app, p.store);
}


// The one adapter for every game: the match runs the frame and hands the game its turns.
struct GameTurn {
  const GameDef& game;
  void* record;
  MatchState& match;
  GameContext context;
};
GameTurn game_turn(Program& p) {
  const GameDef& game = *game_for_screen(p.app.screen);
  void* record = game.record(p.games);
  return GameTurn{game, record, game.match(record), game_context(p)};
}

void game_frame(Program& p) {
  p.app.music_started = 1;  // the game owns the music while it runs
  GameTurn g = game_turn(p);
  match_rules(g.game, g.record, g.match, g.context);
  g.game.draw(g.record, g.context);
  if (g.game.after_draw) g.game.after_draw(g.record, g.context);
  draw_match_hud(g.game, g.record, g.match, g.context);
}
void game_click(Program& p) {
  GameTurn g = game_turn(p);
  match_click(g.game, g.record, g.match, g.context);
}
void game_key(Program& p, int32_t scancode) {
  GameTurn g = game_turn(p);
  match_key(g.game, g.record, g.match, g.context, scancode);
}
const ScreenFunctions game_screen{game_frame, nullptr, game_key, game_click};


const ScreenFunctions table[SCREEN_COUNT] = {
    /* 0: no screen */ {},
    /* SCREEN_INTRO */ {intro_frame, nullptr, nullptr, nullptr},
    /* SCREEN_MAIN_MENU */ {main_menu_frame, nullptr, nullptr, main_menu_click},
    /* SCREEN_TRAINING_MENU */ {training_menu_frame, nullptr, escape_to_main_menu, training_menu_click},
    /* SCREEN_COMPETITION_MENU */ {competition_menu_frame, nullptr, escape_to_main_menu, competition_menu_click},
    /* SCREEN_STATISTICS */ {statistics_frame, statistics_poll, statistics_screen_key, statistics_screen_click},
    /* SCREEN_POWER_TRAINING */ {power_training_frame, nullptr, power_training_on_key, power_training_on_click},
    /* SCREEN_REACTION_TRAINING */ {reaction_frame, nullptr, reaction_on_key, reaction_on_click},
    /* SCREEN_HIT_COUNT_TRAINING */ {hit_count_frame, nullptr, hit_count_on_key, hit_count_on_click},
    /* SCREEN_DEVICE */ {device_frame, nullptr, device_screen_key, device_click},
    /* SCREEN_MONSTER_TRUCKS */ game_screen,
    /* SCREEN_TANKS */ game_screen,
    /* SCREEN_DUCK_HUNT */ game_screen,
    /* SCREEN_PROSPECTORS */ game_screen,
};

const ScreenFunctions no_screen{};

}  // namespace

GameContext game_context(Program& p) {
  return GameContext{p.clock, p.display, p.palette, p.sounds, p.textures,
                     p.layout, p.fonts,   p.app,     p.pointer, p.link};
}

const ScreenFunctions& screen_functions(int32_t screen) {
  if (screen < SCREEN_INTRO || screen >= SCREEN_COUNT) return no_screen;
  return table[screen];
}
