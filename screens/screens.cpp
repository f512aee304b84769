#include "screens/screens.h"

const ScreenEntry screen_entries[] = {
    {&intro_screen, [](ScreenRecords& s) -> void* { return &s.intro; }},
    {&main_menu_screen, nullptr},
    {&training_menu_screen, nullptr},
    {&competition_menu_screen, nullptr},
    {&statistics_screen, [](ScreenRecords& s) -> void* { return &s.statistics; }},
    {&power_training_screen, [](ScreenRecords& s) -> void* { return &s.power_training; }},
    {&reaction_training_screen, [](ScreenRecords& s) -> void* { return &s.reaction; }},
    {&hit_count_training_screen, [](ScreenRecords& s) -> void* { return &s.hit_count; }},
    {&device_screen, [](ScreenRecords& s) -> void* { return &s.device; }},
};
const int32_t SCREEN_ENTRY_COUNT = (int32_t)(sizeof screen_entries / sizeof screen_entries[0]);

const ScreenEntry* screen_entry(int32_t screen) {
  for (const ScreenEntry& e : screen_entries)
    if (e.def->screen == screen) return &e;
  return nullptr;
}
