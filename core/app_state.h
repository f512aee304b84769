// The run's flags and screen ids, apart from SDL so the sensor link builds for any platform.
#pragma once

#include <cstdint>

// Screen ids held in AppState.screen.
enum Screen : int32_t {
  SCREEN_INTRO = 1,
  SCREEN_MAIN_MENU = 2,
  SCREEN_TRAINING_MENU = 3,
  SCREEN_COMPETITION_MENU = 4,
  SCREEN_STATISTICS = 5,
  SCREEN_POWER_TRAINING = 6,
  SCREEN_REACTION_TRAINING = 7,
  SCREEN_HIT_COUNT_TRAINING = 8,
  SCREEN_DEVICE = 9,
  SCREEN_MONSTER_TRUCKS = 10,
  SCREEN_TANKS = 11,
  SCREEN_DUCK_HUNT = 12,
  SCREEN_PROSPECTORS = 13,
  SCREEN_COUNT = 14,  // one past the last id
};

struct AppState {
  int32_t running = 1;        // the loop runs while exactly 1
  int32_t link_running = 1;   // under SensorLink.mutex
  int32_t store_running = 1;  // under RecordStore.mutex
  int32_t screen = SCREEN_INTRO;
  int32_t music_started = 0;
  float music_clock = 0.0f;
};
