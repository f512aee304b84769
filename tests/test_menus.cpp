// The three menus: what each button leads to, and what is drawn.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>

#include "ui/draw_list.h"
#include "ui/pointer_rect.h"
#include "app/input.h"
#include "assets/loader.h"
#include "screens/menus.h"
#include "tests/support.h"

namespace {

// The whole program on the dummy drivers, clicked through its own dispatcher.
class Menus : public ::testing::Test {
 protected:
  void SetUp() override {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(chdir(scratch.path.c_str()), 0);
    ASSERT_EQ(start_up(p), 0);
  }
  void TearDown() override { shut_down(p); }

  // A left click (press and release) at a point, through the dispatcher.
  void click_at(int x, int y, Uint8 button = SDL_BUTTON_LEFT) {
    SDL_WarpMouseInWindow(p.display.window, x, y);
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = button;
    SDL_PushEvent(&e);
    e.type = SDL_MOUSEBUTTONUP;
    SDL_PushEvent(&e);
    dispatch_input(p);
  }
  void click_centre(const SDL_FRect& r) { click_at((int)(r.x + r.w / 2), (int)(r.y + r.h / 2)); }

  ScratchRunDir scratch;
  Program p;
};

struct Target {
  SDL_FRect LayoutTable::*rect;
  int32_t screen;
};

TEST_F(Menus, EveryButtonLeadsToItsScreen) {
  const struct {
    int32_t menu;
    Target targets[6];
  } menus[] = {
      {SCREEN_MAIN_MENU,
       {{&LayoutTable::trainingButtonRect, SCREEN_TRAINING_MENU},
        {&LayoutTable::competitionButtonRect, SCREEN_COMPETITION_MENU},
        {&LayoutTable::statisticsButtonRect, SCREEN_STATISTICS},
        {&LayoutTable::settingsButtonRect, SCREEN_DEVICE}}},
      {SCREEN_TRAINING_MENU,
       {{&LayoutTable::backButtonRect, SCREEN_MAIN_MENU},
        {&LayoutTable::hitPowerButtonRect, SCREEN_POWER_TRAINING},
        {&LayoutTable::reactionButtonRect, SCREEN_REACTION_TRAINING},
        {&LayoutTable::hitCountButtonRect, SCREEN_HIT_COUNT_TRAINING}}},
      {SCREEN_COMPETITION_MENU,
       {{&LayoutTable::backButtonRect, SCREEN_MAIN_MENU},
        {&LayoutTable::monsterTrucksButtonRect, SCREEN_MONSTER_TRUCKS},
        {&LayoutTable::tanksButtonRect, SCREEN_TANKS},
        {&LayoutTable::duckHuntButtonRect, SCREEN_DUCK_HUNT},
        {&LayoutTable::prospectorsButtonRect, SCREEN_PROSPECTORS}}},
  };
  for (const auto& m : menus) {
    for (const Target& t : m.targets) {
      if (!t.rect) break;
      p.app.screen = m.menu;
      click_centre(p.layout.*t.rect);
      EXPECT_EQ(p.app.screen, t.screen) << "menu " << m.menu << " to " << t.screen;
      EXPECT_EQ(p.app.running, 1);
    }
  }
}

TEST_F(Menus, TheCloseCrossEndsTheProgramFromEachMenu) {
  for (int32_t menu : {SCREEN_MAIN_MENU, SCREEN_TRAINING_MENU, SCREEN_COMPETITION_MENU}) {
    p.app.running = 1;
    p.app.screen = menu;
    click_centre(p.layout.closeButtonRect);
    EXPECT_EQ(p.app.running, 0) << "menu " << menu;
    EXPECT_EQ(p.app.screen, menu);
  }
}

TEST_F(Menus, ButtonEdgesCountAndTheirOutsideDoesNot) {
  const SDL_FRect& r = p.layout.trainingButtonRect;  // whole numbers at this size
  ASSERT_EQ(r.x + r.w, std::floor(r.x + r.w));
  const int right = (int)(r.x + r.w), bottom = (int)(r.y + r.h), mid_y = (int)(r.y + r.h / 2);
  p.app.screen = SCREEN_MAIN_MENU;
  click_at(right, mid_y);
  EXPECT_EQ(p.app.screen, SCREEN_TRAINING_MENU) << "the right edge";
  p.app.screen = SCREEN_MAIN_MENU;
  click_at((int)(r.x + r.w / 2), bottom);
  EXPECT_EQ(p.app.screen, SCREEN_TRAINING_MENU) << "the bottom edge";
  p.app.screen = SCREEN_MAIN_MENU;
  click_at(right + 1, (int)r.y);
  EXPECT_EQ(p.app.screen, SCREEN_MAIN_MENU) << "one pixel past the corner";
  click_at(p.display.width / 2, 2);
  click_at(2, p.display.height / 2);
  EXPECT_EQ(p.app.screen, SCREEN_MAIN_MENU) << "empty places";
  EXPECT_EQ(p.app.running, 1);
}

TEST_F(Menus, MainMenuLabelsAreTargetsOfTheirOwn) {
  const SDL_Rect& label = p.layout.statisticsLabelRect;
  ASSERT_FALSE(event_in_frect(PointerState{0, 0, 0, 0, label.x + label.w / 2, label.y + label.h / 2},
                              p.layout.statisticsButtonRect))
      << "the label lies below its ring";
  p.app.screen = SCREEN_MAIN_MENU;
  click_at(label.x + label.w / 2, label.y + label.h / 2);
  EXPECT_EQ(p.app.screen, SCREEN_STATISTICS);

  // On the training menu a label inside its ring is no target of its own: the ring is.
  p.app.screen = SCREEN_TRAINING_MENU;
  const SDL_Rect& inside = p.layout.hitPowerLabelRect;
  click_at(inside.x + inside.w / 2, inside.y + inside.h / 2);
  EXPECT_EQ(p.app.screen, SCREEN_POWER_TRAINING);
}

TEST_F(Menus, ARightClickDoesNothing) {
  for (int32_t menu : {SCREEN_MAIN_MENU, SCREEN_TRAINING_MENU, SCREEN_COMPETITION_MENU}) {
    p.app.screen = menu;
    for (const SDL_FRect* r : {&p.layout.closeButtonRect, &p.layout.backButtonRect,
                               &p.layout.trainingButtonRect, &p.layout.tanksButtonRect}) {
      click_at((int)(r->x + r->w / 2), (int)(r->y + r->h / 2), SDL_BUTTON_RIGHT);
      EXPECT_EQ(p.app.screen, menu);
      EXPECT_EQ(p.app.running, 1);
    }
  }
}

// Each menu draws its buttons: inside every button the frame differs from the bare backdrop.
TEST(MenuDrawing, EveryButtonIsDrawn) {
  ScratchRunDir scratch;
  ASSERT_EQ(chdir(scratch.path.c_str()), 0);
  OffscreenAssets a;
  ASSERT_TRUE(begin_offscreen(a, 1366, 768)) << SDL_GetError();
  ASSERT_EQ(load_offscreen(a), 0) << SDL_GetError();
  OffscreenRenderer& screen = a.screen;
  FrameClock& clock = a.clock;
  TextureCatalog& textures = a.textures;
  LayoutTable& layout = a.layout;

  auto changed_share = [&](int32_t menu, const SDL_FRect& r) {
    SDL_Surface* before = SDL_DuplicateSurface(screen.surface);
    draw_backdrop(clock, textures, layout);
    SDL_BlitSurface(screen.surface, nullptr, before, nullptr);
    draw_menu(clock, textures, layout, menu);
    int changed = 0, total = 0;
    for (int y = (int)r.y; y < (int)(r.y + r.h); y += 3)
      for (int x = (int)r.x; x < (int)(r.x + r.w); x += 3) {
        Uint32 a = ((Uint32*)before->pixels)[y * before->pitch / 4 + x];
        Uint32 b = ((Uint32*)screen.surface->pixels)[y * screen.surface->pitch / 4 + x];
        changed += a != b;
        ++total;
      }
    SDL_FreeSurface(before);
    return total ? (float)changed / (float)total : 0.0f;
  };
  EXPECT_GT(changed_share(SCREEN_MAIN_MENU, layout.trainingButtonRect), 0.5f);
  EXPECT_GT(changed_share(SCREEN_MAIN_MENU, layout.statisticsButtonRect), 0.5f);
  EXPECT_GT(changed_share(SCREEN_MAIN_MENU, layout.closeButtonRect), 0.2f);
  EXPECT_GT(changed_share(SCREEN_TRAINING_MENU, layout.reactionButtonRect), 0.5f);
  EXPECT_GT(changed_share(SCREEN_TRAINING_MENU, layout.trainingEmblemRect), 0.2f);
  EXPECT_GT(changed_share(SCREEN_COMPETITION_MENU, layout.prospectorsButtonRect), 0.5f);
  EXPECT_GT(changed_share(SCREEN_COMPETITION_MENU, layout.backButtonRect), 0.5f);
  end_offscreen(a);
}

}  // namespace

namespace {

// A menu is drawn and clicked from one run of rows: a row for it alone outside that run would
// be described to the tools but never drawn or clicked.
TEST(MenuRowsTable, EachMenuIsOneRunOfItsOwnRows) {
  for (int32_t menu : {SCREEN_MAIN_MENU, SCREEN_TRAINING_MENU, SCREEN_COMPETITION_MENU}) {
    int32_t own = 0;
    for (int32_t e = 0; e < SCREEN_RECT_COUNT; ++e) own += screen_rects[e].screens == screen_bit(menu);
    EXPECT_GT(own, 0) << menu;
    EXPECT_EQ(menu_rows(menu).count, own) << menu;
  }
}

}  // namespace
