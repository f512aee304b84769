#include "games/prospectors.h"

#include <cstdio>

#include "core/random.h"
#include "ui/draw_list.h"

namespace {

ProspectorsGame& game_of(void* record) { return *(ProspectorsGame*)record; }
const ProspectorsGame& game_of(const void* record) { return *(const ProspectorsGame*)record; }

// A stroke shows the raised pickaxe for half of it and the blow for the other half; the
// stones leave the rock when it lands.
constexpr float STROKE_SECONDS = 0.14f;
constexpr float STROKE_HALF_SECONDS = 0.07f;
constexpr int32_t PEBBLES_PER_STROKE = 20;
constexpr int32_t BURST_STONES = 80;  // as many of each kind
constexpr int32_t KINDS = 4;

// How a stone is thrown: ranges of its speeds, and of its size in layout units.
struct Throw {
  float vx_min, vx_max, vy_min, vy_max;
  float size_min, size_max;  // equal: no size is drawn
};
constexpr Throw pebble_throw{10, 30, 10, 40, 1, 2};
constexpr Throw gem_throw{10, 30, 10, 40, 2.5f, 2.5f};
constexpr Throw burst_throw{20, 60, 20, 80, 2, STONE_FLYING_UNITS};

// The gem a stroke knocks out, by the hit's power.
struct GemValue {
  int32_t max_power;
  GemKind kind;
  int32_t points;
};
constexpr GemValue gem_values[] = {
    {129, GEM_EMERALD, 5},
    {169, GEM_DIAMOND, 10},
    {255, GEM_NUGGET, 15},
};

// By gem kind; each flies turned, drawn from its sheet turned in advance.
constexpr ImageId gem_pictures[KINDS] = {IMG_pebble, IMG_emerald, IMG_diamond, IMG_goldNugget};

// Each player's prospector, sack and gem counters.
struct Player {
  float ProspectorsGame::*swing;
  float strike_offset;  // of the strike point from the screen centre, in layout units
  SDL_Texture* TextureCatalog::*poses[3];
  SDL_FRect LayoutTable::*miner;
  int32_t ProspectorsGame::*score;
  SDL_FRect LayoutTable::*sack;
  float sack_text_x;  // of the score, as a share of the sack's width
  int32_t ProspectorsGame::*counts[KINDS];  // by gem kind; none for pebbles
  SDL_FRect LayoutTable::*icons[KINDS];
};
const Player players[2] = {
    {&ProspectorsGame::left_swing,
     -11.2f,
     {&TextureCatalog::minerBlue1, &TextureCatalog::minerBlue2, &TextureCatalog::minerBlue3},
     &LayoutTable::minerBlueRect,
     &ProspectorsGame::left_score,
     &LayoutTable::sackBlueRect,
     0.52f,
     {nullptr, &ProspectorsGame::left_emeralds, &ProspectorsGame::left_diamonds,
      &ProspectorsGame::left_nuggets},
     {nullptr, &LayoutTable::emeraldRect1, &LayoutTable::diamondRect1,
      &LayoutTable::goldNuggetRect1}},
    {&ProspectorsGame::right_swing,
     11.2f,
     {&TextureCatalog::minerRed1, &TextureCatalog::minerRed2, &TextureCatalog::minerRed3},
     &LayoutTable::minerRedRect,
     &ProspectorsGame::right_score,
     &LayoutTable::sackRedRect,
     0.48f,
     {nullptr, &ProspectorsGame::right_emeralds, &ProspectorsGame::right_diamonds,
      &ProspectorsGame::right_nuggets},
     {nullptr, &LayoutTable::emeraldRect2, &LayoutTable::diamondRect2,
      &LayoutTable::goldNuggetRect2}},
};

const DrawItem rock[] = {
    image(&TextureCatalog::rockPillar, &LayoutTable::rockPillarRect),
    image(&TextureCatalog::dynamite, &LayoutTable::dynamiteRect),
};
const DrawItem panel[] = {
    image(&TextureCatalog::sackBlue, &LayoutTable::sackBlueRect),
    image(&TextureCatalog::sackRed, &LayoutTable::sackRedRect),
    image(&TextureCatalog::emerald, &LayoutTable::emeraldRect1),
    image(&TextureCatalog::diamond, &LayoutTable::diamondRect1),
    image(&TextureCatalog::goldNugget, &LayoutTable::goldNuggetRect1),
    image(&TextureCatalog::emerald, &LayoutTable::emeraldRect2),
    image(&TextureCatalog::diamond, &LayoutTable::diamondRect2),
    image(&TextureCatalog::goldNugget, &LayoutTable::goldNuggetRect2),
};

// One stone thrown from a centre point: its direction, speeds and spin at random, then its size.
void throw_stone(ProspectorsGame& g, int32_t kind, float cx, float cy, const Throw& how, float U) {
  Gem m;
  m.kind = kind;
  m.heading = random_between(0.0f, 1.0f) < 0.5f ? 0 : 1;
  m.vx = random_between(how.vx_min, how.vx_max);
  m.vy = random_between(how.vy_min, how.vy_max);
  m.spin = random_between(50.0f, 720.0f);
  const float size =
      (how.size_min == how.size_max ? how.size_min : random_between(how.size_min, how.size_max)) *
      U;
  m.start_x = cx;
  m.start_y = cy;
  m.width = m.height = size;
  m.x = cx - size / 2.0f;
  m.y = cy - size / 2.0f;
  g.gems.push_back(m);
}

const GemValue& gem_for_power(int32_t power) {
  for (const GemValue& v : gem_values)
    if (power <= v.max_power) return v;
  return gem_values[sizeof gem_values / sizeof gem_values[0] - 1];
}

void set_clock(ProspectorsGame& g, float seconds_left) {
  g.time_left = seconds_left;
  g.shown = clock_reading(seconds_left);
}

void reset(void* record, ScreenContext&) {
  ProspectorsGame& g = game_of(record);
  match_reset(g.match);
  g.left_score = g.right_score = 0;
  g.left_emeralds = g.left_diamonds = g.left_nuggets = 0;
  g.right_emeralds = g.right_diamonds = g.right_nuggets = 0;
  g.left_swing = g.right_swing = 0.0f;
  g.gems = std::vector<Gem>();  // a fresh vector: the old storage goes with it
  set_clock(g, DYNAMITE_SECONDS);
}

// A hit is a stroke unless the prospector is still swinging: pebbles and one gem by power,
// whose points and count go to the player.
void hit(void* record, Side side, int32_t power, ScreenContext& c) {
  ProspectorsGame& g = game_of(record);
  const Player& p = players[side];
  float& swing = g.*p.swing;
  if (swing != 0.0f) return;
  swing += c.clock.dt;
  const float U = c.display.unit;
  const float cx = (float)c.display.width / 2.0f + p.strike_offset * U, cy = 21.7f * U;
  for (int32_t i = 0; i < PEBBLES_PER_STROKE; ++i) throw_stone(g, GEM_PEBBLE, cx, cy, pebble_throw, U);
  const GemValue& value = gem_for_power(power);
  throw_stone(g, value.kind, cx, cy, gem_throw, U);
  g.*p.score += value.points;
  g.*p.counts[value.kind] += 1;
}

// The rock bursts from the dynamite's middle: stones and gems of every kind for nobody; the
// richer player wins.
void blow_up(ProspectorsGame& g, ScreenContext& c) {
  const float U = c.display.unit;
  const SDL_FRect& dynamite = c.layout.dynamiteRect;
  const float cx = (float)c.display.width / 2.0f, cy = dynamite.y + dynamite.h / 2.0f;
  for (int32_t j = 0; j < BURST_STONES; ++j) throw_stone(g, j % KINDS, cx, cy, burst_throw, U);
  match_end(g.match, c, g.right_score < g.left_score ? SIDE_LEFT : SIDE_RIGHT);
}

// What the drawing shows flying, advanced right before it: each stone waits for the stroke to
// land, then spins, drifts and falls; one below the screen is gone.
void fly_stones(ProspectorsGame& g, const ScreenContext& c) {
  const float U = c.display.unit, dt = c.clock.dt, H = (float)c.display.height;
  size_t kept = 0;
  for (Gem& m : g.gems) {
    m.age += dt;
    if (m.age > STROKE_SECONDS) {
      m.angle += m.spin * dt;
      m.x += m.heading == 1 ? m.vx * U * dt : -m.vx * U * dt;
      m.vy -= 2.0f * U * dt;
      m.y -= m.vy * U * dt;
      if (m.y > H) continue;
    }
    g.gems[kept++] = m;
  }
  g.gems.resize(kept);
}

void update(void* record, ScreenContext& c) {
  ProspectorsGame& g = game_of(record);
  const bool running = g.match.playing == 1 && g.match.game_over == 0;
  set_clock(g, running ? g.time_left - c.clock.dt : g.time_left);
  if (g.match.game_over == 0 && g.time_left < 0.0f) {
    if (g.left_score == g.right_score) set_clock(g, EXTRA_PERIOD_SECONDS);
    else blow_up(g, c);
  }
  fly_stones(g, c);
}

// A panel text in white, its halves in whole pixels: its left edge at x (or its middle, when
// centred) and its middle at y.
void draw_panel_text(const ScreenContext& c, TTF_Font* font, const char* text, float x, float y,
                     bool centred) {
  int w = 0, h = 0;
  if (TTF_SizeUTF8(font, text, &w, &h) != 0) return;
  draw_runtime_text(c.clock, font, text, c.palette.white, (int32_t)(x - (float)(centred ? w / 2 : 0)),
                    (int32_t)(y - (float)(h / 2)));
}

void draw_clock(const ProspectorsGame& g, ScreenContext& c) {
  const float W = (float)c.display.width, U = c.display.unit;
  draw_minutes_seconds(c.clock, c.fonts.fontLarge, c.palette.red, g.shown, 0.5f * W - 2.4f * U,
                       0.5f * W + 1.6f * U, 31.5f * U, c.textures.titleColonRed2,
                       c.layout.titleColonRed2Rect);
}

// The picture of a stroke: at rest, pickaxe raised, blow.
int32_t pose(float swing) {
  if (swing == 0.0f || swing >= STROKE_SECONDS) return 0;
  return swing < STROKE_HALF_SECONDS ? 1 : 2;
}

// Each at its angle to the nearest step: a plain copy of that step's cell, which the software
// renderer makes far faster than turning the picture anew.
void draw_stones(const ProspectorsGame& g, ScreenContext& c) {
  for (const Gem& m : g.gems) {
    if (m.age <= STROKE_SECONDS) continue;
    const SDL_FRect rect{m.x, m.y, m.width, m.height};
    SDL_Rect cell;
    SDL_Texture* sheet =
        turned_copy(c.textures, gem_pictures[m.kind], m.heading == 1 ? m.angle : -m.angle, cell);
    if (sheet) SDL_RenderCopyF(c.clock.renderer, sheet, &cell, &rect);
  }
}

void draw(const void* record, ScreenContext& c) {
  const ProspectorsGame& g = game_of(record);
  const TextureCatalog& t = c.textures;
  const LayoutTable& l = c.layout;
  SDL_RenderCopyF(c.clock.renderer, t.caveBackground, nullptr, &l.caveBackgroundRect);
  if (g.match.game_over == 0) {
    draw_items(c.clock, t, l, rock);
    draw_clock(g, c);
  }
  for (const Player& p : players)
    SDL_RenderCopyF(c.clock.renderer, t.*p.poses[pose(g.*p.swing)], nullptr, &(l.*p.miner));
  draw_items(c.clock, t, l, panel);
  char text[16];
  for (const Player& p : players) {
    const SDL_FRect& sack = l.*p.sack;
    snprintf(text, sizeof text, "%d", g.*p.score);
    draw_panel_text(c, c.fonts.fontSmall, text, sack.x + p.sack_text_x * sack.w,
                    sack.y + 0.6f * sack.h, true);
  }
  for (const Player& p : players)
    for (int32_t kind = GEM_EMERALD; kind < KINDS; ++kind) {
      const SDL_FRect& icon = l.*p.icons[kind];
      snprintf(text, sizeof text, "  %d", g.*p.counts[kind]);
      draw_panel_text(c, c.fonts.fontMedium, text, icon.x + icon.w, icon.y + icon.h / 2.0f, false);
    }
  // Once the game is over the stones fly over the shade, under the medals.
  if (g.match.game_over == 0) draw_stones(g, c);
}

void draw_over(const void* record, ScreenContext& c) { draw_stones(game_of(record), c); }

// A stroke moves on while the drawing shows it; when it has run its length the pickaxe hits
// the rock and the prospector is ready again.
void after_draw(void* record, ScreenContext& c) {
  ProspectorsGame& g = game_of(record);
  for (const Player& p : players) {
    float& swing = g.*p.swing;
    if (swing == 0.0f) continue;
    if (swing < STROKE_SECONDS) {
      swing += c.clock.dt;
    } else {
      play_effect(c.sounds.craft);
      swing = 0.0f;
    }
  }
}

Standing standing(const void* record) {
  const auto& g = game_of(record);
  return {g.left_score, g.right_score};
}

}  // namespace

const GameDef prospectors_game = {
    .screen = SCREEN_PROSPECTORS,
    .music = &SoundBank::crafters_background,
    .music_volume = 78,
    .countdown_volume = 20,
    .match = [](void* record) -> MatchState& { return game_of(record).match; },
    .reset = reset,
    .hit = hit,
    .update = update,
    .draw = draw,
    .after_draw = after_draw,
    .draw_over = draw_over,
    .standing = standing,
    .standing_plates = &LayoutTable::sackStandingRect,
};
