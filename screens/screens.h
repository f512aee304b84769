// The screens other than the games as data: one row each, bound by the roof with its record.
// A new screen is one file pair, one record here and one row.
#pragma once

#include "screens/device_screen.h"
#include "screens/hit_count_training.h"
#include "screens/menus.h"
#include "screens/power_training.h"
#include "screens/reaction_training.h"
#include "screens/statistics.h"

// The screens' records main owns for the run.
struct ScreenRecords {
  IntroState intro;
  DeviceScreenState device;
  PowerTrainingState power_training;
  ReactionTrainingState reaction;
  HitCountTrainingState hit_count;
  StatisticsState statistics;
};

struct ScreenEntry {
  const ScreenDef* def;
  void* (*record)(ScreenRecords& screens);  // null for a screen without state
};

extern const ScreenEntry screen_entries[];
extern const int32_t SCREEN_ENTRY_COUNT;

// The entry of a screen id; null for the games and for ids outside the table.
const ScreenEntry* screen_entry(int32_t screen);
