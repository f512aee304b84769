#include "screens/menus.h"

#include "ui/pointer_rect.h"
#include "ui/draw_list.h"

namespace {

using T = TextureCatalog;
using L = LayoutTable;

const DrawItem main_menu[] = {
    image(&T::closeCross, &L::closeButtonRect),
    image(&T::logo, &L::logoRect),
    image(&T::ringFist, &L::trainingButtonRect),
    text(&T::labelTraining, &L::trainingLabelRect),
    image(&T::ringRecords, &L::competitionButtonRect),
    text(&T::labelCompetition, &L::competitionLabelRect),
    image(&T::ringStatistics, &L::statisticsButtonRect),
    text(&T::labelStatistics, &L::statisticsLabelRect),
    image(&T::ringGear, &L::settingsButtonRect),
};

const DrawItem training_menu[] = {
    image(&T::closeCross, &L::closeButtonRect),
    image(&T::ringBack, &L::backButtonRect),
    text(&T::titleTraining, &L::trainingTitleRect),
    image(&T::logo, &L::logoRect),
    image(&T::fighterSingle, &L::trainingEmblemRect),
    image(&T::ringEmpty, &L::hitPowerButtonRect),
    text(&T::labelHitPower, &L::hitPowerLabelRect),
    image(&T::ringEmpty, &L::reactionButtonRect),
    text(&T::labelReactionTime1, &L::reactionLabel1Rect),
    text(&T::labelReactionTime2, &L::reactionLabel2Rect),
    image(&T::ringEmpty, &L::hitCountButtonRect),
    text(&T::labelHitCount1, &L::hitCountLabel1Rect),
    text(&T::labelHitCount2, &L::hitCountLabel2Rect),
};

const DrawItem competition_menu[] = {
    image(&T::closeCross, &L::closeButtonRect),
    image(&T::ringBack, &L::backButtonRect),
    text(&T::titleCompetition, &L::competitionTitleRect),
    image(&T::logo, &L::logoRect),
    image(&T::fightersPair, &L::competitionEmblemRect),
    image(&T::ringEmpty, &L::monsterTrucksButtonRect),
    text(&T::labelMonsterTrucks1, &L::monsterTrucksLabel1Rect),
    text(&T::labelMonsterTrucks2, &L::monsterTrucksLabel2Rect),
    text(&T::labelMonsterTrucks3, &L::monsterTrucksLabel3Rect),
    image(&T::ringEmpty, &L::tanksButtonRect),
    text(&T::labelTanks, &L::tanksLabelRect),
    image(&T::ringEmpty, &L::duckHuntButtonRect),
    text(&T::labelDuckHunt1, &L::duckHuntLabel1Rect),
    text(&T::labelDuckHunt2, &L::duckHuntLabel2Rect),
    image(&T::ringEmpty, &L::prospectorsButtonRect),
    text(&T::labelProspectors, &L::prospectorsLabelRect),
};

// A button and what it leads to; a main-menu label is a target of its own.
constexpr int32_t CLOSE_PROGRAM = 0;
struct Button {
  SDL_FRect LayoutTable::*ring;
  SDL_Rect LayoutTable::*label;
  int32_t screen;  // CLOSE_PROGRAM ends the program
};

const Button main_buttons[] = {
    {&L::closeButtonRect, nullptr, CLOSE_PROGRAM},
    {&L::trainingButtonRect, &L::trainingLabelRect, SCREEN_TRAINING_MENU},
    {&L::competitionButtonRect, &L::competitionLabelRect, SCREEN_COMPETITION_MENU},
    {&L::statisticsButtonRect, &L::statisticsLabelRect, SCREEN_STATISTICS},
    {&L::settingsButtonRect, nullptr, SCREEN_DEVICE},
};

const Button training_buttons[] = {
    {&L::closeButtonRect, nullptr, CLOSE_PROGRAM},
    {&L::backButtonRect, nullptr, SCREEN_MAIN_MENU},
    {&L::hitPowerButtonRect, nullptr, SCREEN_POWER_TRAINING},
    {&L::reactionButtonRect, nullptr, SCREEN_REACTION_TRAINING},
    {&L::hitCountButtonRect, nullptr, SCREEN_HIT_COUNT_TRAINING},
};

const Button competition_buttons[] = {
    {&L::closeButtonRect, nullptr, CLOSE_PROGRAM},
    {&L::backButtonRect, nullptr, SCREEN_MAIN_MENU},
    {&L::monsterTrucksButtonRect, nullptr, SCREEN_MONSTER_TRUCKS},
    {&L::tanksButtonRect, nullptr, SCREEN_TANKS},
    {&L::duckHuntButtonRect, nullptr, SCREEN_DUCK_HUNT},
    {&L::prospectorsButtonRect, nullptr, SCREEN_PROSPECTORS},
};

template <int N>
void click_buttons(const PointerState& pointer, AppState& app, const LayoutTable& layout,
                   const Button (&buttons)[N]) {
  for (const Button& b : buttons) {
    bool hit = event_in_frect(pointer, layout.*b.ring) ||
               (b.label && event_in_rect(pointer, layout.*b.label));
    if (!hit) continue;
    if (b.screen == CLOSE_PROGRAM) app.running = 0;
    else app.screen = b.screen;
    return;
  }
}

}  // namespace

void draw_main_menu(const FrameClock& c, const TextureCatalog& t, const LayoutTable& l) {
  draw_items(c, t, l, main_menu);
}
void draw_training_menu(const FrameClock& c, const TextureCatalog& t, const LayoutTable& l) {
  draw_items(c, t, l, training_menu);
}
void draw_competition_menu(const FrameClock& c, const TextureCatalog& t, const LayoutTable& l) {
  draw_items(c, t, l, competition_menu);
}

void click_main_menu(const PointerState& p, AppState& app, const LayoutTable& l) {
  click_buttons(p, app, l, main_buttons);
}
void click_training_menu(const PointerState& p, AppState& app, const LayoutTable& l) {
  click_buttons(p, app, l, training_buttons);
}
void click_competition_menu(const PointerState& p, AppState& app, const LayoutTable& l) {
  click_buttons(p, app, l, competition_buttons);
}
