#include "screens/menus.h"

#include "ui/draw_list.h"
#include "ui/pointer_rect.h"

void draw_menu(const FrameClock& clock, const TextureCatalog& textures, const LayoutTable& layout,
               int32_t screen) {
  const MenuRows rows = menu_rows(screen);
  for (int32_t i = 0; i < rows.count; ++i) {
    const ScreenRect& r = rows.first[i];
    SDL_FRect rect;
    layout_rect(layout, r.field, r.index, rect);
    SDL_Texture* t = r.image != NO_ART ? image_texture(textures, (ImageId)r.image)
                                       : text_texture(textures, (TextId)r.text);
    SDL_RenderCopyF(clock.renderer, t, nullptr, &rect);
  }
}

void click_menu(ScreenContext& c, int32_t screen) {
  const MenuRows rows = menu_rows(screen);
  for (int32_t i = 0; i < rows.count; ++i) {
    const ScreenRect& r = rows.first[i];
    if (r.target == TARGET_NONE) continue;
    SDL_FRect rect;
    layout_rect(c.layout, r.field, r.index, rect);
    if (!event_in_frect(c.pointer, rect)) continue;
    if (r.target == TARGET_CLOSE) c.app.running = 0;
    else if (r.target == TARGET_BACK) go_back(c);
    else c.app.screen = r.target;
    return;
  }
}

namespace {

void intro_update(IntroState& s, ScreenContext& c) {
  s.clock += c.clock.dt;
  if (s.clock >= INTRO_SECONDS) c.app.screen = SCREEN_MAIN_MENU;
}
void intro_draw(const IntroState&, ScreenContext& c) { draw_intro(c.clock, c.textures, c.layout); }

// The menus hold no state: their rows are all they are.
template <int32_t SCREEN>
void menu_draw(const void*, ScreenContext& c) {
  draw_menu(c.clock, c.textures, c.layout, SCREEN);
}
template <int32_t SCREEN>
void menu_click(void*, ScreenContext& c) {
  click_menu(c, SCREEN);
}

}  // namespace

const ScreenDef intro_screen = {
    .screen = SCREEN_INTRO,
    .backdrop = false,
    .update = row<IntroState, intro_update>,
    .draw = row_draw<IntroState, intro_draw>,
};

const ScreenDef main_menu_screen = {
    .screen = SCREEN_MAIN_MENU,
    .draw = menu_draw<SCREEN_MAIN_MENU>,
    .click = menu_click<SCREEN_MAIN_MENU>,
};

const ScreenDef training_menu_screen = {
    .screen = SCREEN_TRAINING_MENU,
    .back = SCREEN_MAIN_MENU,
    .draw = menu_draw<SCREEN_TRAINING_MENU>,
    .key = escape_goes_back,
    .click = menu_click<SCREEN_TRAINING_MENU>,
};

const ScreenDef competition_menu_screen = {
    .screen = SCREEN_COMPETITION_MENU,
    .back = SCREEN_MAIN_MENU,
    .draw = menu_draw<SCREEN_COMPETITION_MENU>,
    .key = escape_goes_back,
    .click = menu_click<SCREEN_COMPETITION_MENU>,
};
