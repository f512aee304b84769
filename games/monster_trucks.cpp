#include "games/monster_trucks.h"

#include <cstdlib>

#include "ui/draw_list.h"

namespace {

constexpr int32_t POINTS_PER_POWER = 4;
constexpr int32_t WIN_MARGIN = 19200;      // points ahead that win at once
constexpr float SHIFT_AT_MARGIN = 9.0f;    // units the scene slides at the win margin
constexpr float GAME_SECONDS = 180.0f;
constexpr float SHAKE_FLIP = 0.03f, SHAKE_SECONDS = 0.5f;
constexpr float SPLASH_STEP = 0.08f, SPLASH_SECONDS = 0.5f;

MonsterTrucksGame& game_of(void* record) { return *(MonsterTrucksGame*)record; }
const MonsterTrucksGame& game_of(const void* record) { return *(const MonsterTrucksGame*)record; }

void reset(void* record, ScreenContext&) {
  MonsterTrucksGame& g = game_of(record);
  match_reset(g.match);
  g.time_left = GAME_SECONDS;
  g.shown = clock_reading(GAME_SECONDS);
  g.left_score = 0;
  g.right_score = 0;
  g.left = TruckAnimation{};
  g.right = TruckAnimation{};
}

void hit(void* record, Side side, int32_t power, ScreenContext& c) {
  MonsterTrucksGame& g = game_of(record);
  (side == SIDE_LEFT ? g.left_score : g.right_score) += POINTS_PER_POWER * power;
  TruckAnimation& truck = side == SIDE_LEFT ? g.left : g.right;
  truck.shake = 1;
  truck.shake_time = 0.0f;
  truck.shake_tick = 0.0f;
  truck.shake_phase = 0;
  truck.splash = 1;
  truck.splash_tick = 0.0f;
  truck.splash_time = 0.0f;
  truck.splash_a = 1;
  truck.splash_b = 0;
  truck.splash_c = 0;
  truck.splash_d = 1;
  play_effect(c.sounds.monsters_jeep);
}

// Trucks, chain, wheels and mud slide together: right of centre while the right player leads.
void place_scene(LayoutTable& L, const Display& d, float offset) {
  const float m = (float)d.width * 0.5f, U = d.unit;
  L.truckBlueRect.x = m - L.truckBlueRect.w / 2 - 16 * U + offset;
  L.truckOrangeRect.x = m - L.truckOrangeRect.w / 2 + 16 * U + offset;
  L.chainRect.x = m - L.chainRect.w / 2 + offset;
  const float wheel = L.wheelGreenRect[0].w;
  const float a = m - wheel / 2 - 9.5f * U, b = m - L.wheelGreenRect[2].w / 2 - 22 * U;
  const float c = m - wheel / 2 + 9.5f * U, e = m - wheel / 2 + 22 * U;
  // The near wheels (2, 4) stand a unit inward of the far ones (1, 3) on the middle axles.
  const float left_x[4] = {a, a - U, b, b}, right_x[4] = {c, c + U, e, e};
  for (int32_t i = 0; i < 4; ++i) {
    const float w = L.wheelGreenRect[i].w;
    L.wheelGreenRect[i].x = left_x[i] + offset;
    L.dustRect[i].x = left_x[i] + 0.75f * w + offset;
    L.wheelYellowRect[i].x = right_x[i] + offset;
    L.dustRect[4 + i].x = right_x[i] + 0.25f * w - L.dustRect[4 + i].w + offset;
  }
}

void shake(TruckAnimation& t, float dt) {
  if (t.shake != 1) return;
  t.shake_tick += dt;
  t.shake_time += dt;
  if (t.shake_tick > SHAKE_FLIP) {
    t.shake_tick = 0.0f;
    t.shake_phase = 1 - t.shake_phase;
  }
  if (t.shake_time > SHAKE_SECONDS) {
    t.shake = 0;
    t.shake_tick = 0.0f;
    t.shake_time = 0.0f;
    t.shake_phase = 0;
  }
}

int32_t next_of_three(int32_t frame) { return frame == 0 ? 1 : frame == 1 ? 2 : 0; }

void splash(TruckAnimation& t, float dt) {
  if (t.splash != 1) return;
  t.splash_tick += dt;
  t.splash_time += dt;
  if (t.splash_tick > SPLASH_STEP) {
    t.splash_tick = 0.0f;
    t.splash_a = next_of_three(t.splash_a);
    t.splash_b = next_of_three(t.splash_b);
    t.splash_c = t.splash_c == 0 ? 1 : 0;
    t.splash_d = t.splash_d == 0 ? 1 : 0;
  }
  if (t.splash_time > SPLASH_SECONDS) {
    const TruckAnimation rest;
    t.splash = 0;
    t.splash_tick = 0.0f;
    t.splash_time = 0.0f;
    t.splash_a = rest.splash_a;
    t.splash_b = rest.splash_b;
    t.splash_c = rest.splash_c;
    t.splash_d = rest.splash_d;
  }
}

void end_rule(MonsterTrucksGame& g, ScreenContext& c) {
  const int32_t d = std::abs(g.left_score - g.right_score);
  if (g.time_left < 0.0f) {
    if (d == 0) {
      g.time_left = EXTRA_PERIOD_SECONDS;
      g.shown = clock_reading(EXTRA_PERIOD_SECONDS);
      return;
    }
  } else if (d <= WIN_MARGIN) {
    return;
  }
  match_end(g.match, c, g.left_score > g.right_score ? SIDE_LEFT : SIDE_RIGHT);
}

void update(void* record, ScreenContext& c) {
  MonsterTrucksGame& g = game_of(record);
  const float dt = c.clock.dt;
  if (g.match.playing == 1 && g.match.game_over == 0) g.time_left -= dt;
  g.shown = clock_reading(g.time_left);
  const float offset =
      (float)(g.right_score - g.left_score) * SHIFT_AT_MARGIN * c.display.unit / (float)WIN_MARGIN;
  place_scene(c.layout, c.display, offset);
  shake(g.left, dt);
  shake(g.right, dt);
  splash(g.left, dt);
  splash(g.right, dt);
  if (g.match.game_over == 0) end_rule(g, c);
}

// One truck's look: its body, wheel and mud pictures and where they go.
struct TruckLook {
  SDL_Texture* body;
  const SDL_FRect& body_rect;
  SDL_Texture* wheels[6];  // front picture A not shaking, phase 0, phase 1; then picture B
  SDL_Texture* mud[3];
  const SDL_FRect* wheel_rects;  // 4
  const SDL_FRect* mud_rects;    // 4
};

// Back to front: far mud and wheels, the body, then near mud and wheels. Mud shows only while
// the truck splashes.
enum TruckPart { MUD_A, MUD_B, MUD_C, MUD_D, WHEEL_A, WHEEL_B, BODY };
const struct {
  TruckPart part;
  int32_t spot;  // wheel and mud rectangle
} truck_steps[] = {
    {MUD_A, 1}, {WHEEL_A, 1}, {MUD_C, 3}, {WHEEL_B, 3}, {BODY, 0},
    {MUD_B, 0}, {WHEEL_A, 0}, {MUD_D, 2}, {WHEEL_B, 2},
};

void draw_truck(SDL_Renderer* r, const TruckAnimation& t, const TruckLook& look) {
  const int32_t wheel = t.shake == 1 ? 1 + t.shake_phase : 0;
  for (const auto& step : truck_steps) {
    int32_t mud = -1;
    switch (step.part) {
      case BODY: SDL_RenderCopyF(r, look.body, nullptr, &look.body_rect); continue;
      case WHEEL_A: SDL_RenderCopyF(r, look.wheels[wheel], nullptr, &look.wheel_rects[step.spot]); continue;
      case WHEEL_B: SDL_RenderCopyF(r, look.wheels[3 + wheel], nullptr, &look.wheel_rects[step.spot]); continue;
      case MUD_A: mud = t.splash_a; break;
      case MUD_B: mud = t.splash_b; break;
      case MUD_C: mud = t.splash_c; break;
      case MUD_D: mud = t.splash_d; break;
    }
    if (t.splash == 1 && mud >= 0 && mud <= 2)
      SDL_RenderCopyF(r, look.mud[mud], nullptr, &look.mud_rects[step.spot]);
  }
}

// The game clock over its tray: minutes, the blinking colon, seconds.
void draw_clock(const MonsterTrucksGame& g, const ScreenContext& c) {
  const TextureCatalog& t = c.textures;
  const LayoutTable& l = c.layout;
  const float W = (float)c.display.width, U = c.display.unit;
  SDL_RenderCopyF(c.clock.renderer, t.tray, nullptr, &l.trayRect);
  draw_minutes_seconds(c.clock, c.fonts.fontLarge, c.palette.red, g.shown, 0.5f * W - 2 * U,
                       0.5f * W + 2 * U, 8.8f * U, t.titleColonRed, l.titleColonRedRect);
}

const DrawItem arena[] = {
    image(&TextureCatalog::arenaBackground, &LayoutTable::arenaBackgroundRect),
    image(&TextureCatalog::logoCaption, &LayoutTable::logoCaptionRect),
};

void draw(const void* record, ScreenContext& c) {
  const MonsterTrucksGame& g = game_of(record);
  const TextureCatalog& t = c.textures;
  const LayoutTable& l = c.layout;
  SDL_Renderer* r = c.clock.renderer;
  draw_items(c.clock, t, l, arena);
  if (g.match.game_over == 0) draw_clock(g, c);
  SDL_RenderCopyF(r, t.chain, nullptr, &l.chainRect);
  const TruckLook blue{t.truckBlue,
                       l.truckBlueRect,
                       {t.wheelGreen1, t.wheelGreen2, t.wheelGreen3, t.wheelGreen4, t.wheelGreen5, t.wheelGreen6},
                       {t.dust1, t.dust2, t.dust3},
                       l.wheelGreenRect,
                       &l.dustRect[0]};
  const TruckLook orange{t.truckOrange,
                         l.truckOrangeRect,
                         {t.wheelYellow1, t.wheelYellow2, t.wheelYellow3, t.wheelYellow4, t.wheelYellow5,
                          t.wheelYellow6},
                         {t.dust4, t.dust5, t.dust6},
                         l.wheelYellowRect,
                         &l.dustRect[4]};
  draw_truck(r, g.left, blue);
  draw_truck(r, g.right, orange);
}

Standing standing(const void* record) {
  const auto& g = game_of(record);
  return {g.left_score, g.right_score};
}

}  // namespace

const GameDef monster_trucks_game = {
    .screen = SCREEN_MONSTER_TRUCKS,
    .music = &SoundBank::monsters_background,
    .music_volume = 60,
    .countdown_volume = 10,
    .match = [](void* record) -> MatchState& { return game_of(record).match; },
    .reset = reset,
    .hit = hit,
    .update = update,
    .draw = draw,
    .standing = standing,
    .standing_plates = &LayoutTable::truckStandingRect,
};
