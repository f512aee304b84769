#include "games/duck_hunt.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/random.h"
#include "ui/draw_list.h"

namespace {

DuckHuntGame& game_of(void* record) { return *(DuckHuntGame*)record; }
const DuckHuntGame& game_of(const void* record) { return *(const DuckHuntGame*)record; }

constexpr float FIRST_SPAWN_INTERVAL = 2.0f;
constexpr double SPAWN_STEP = 0.01;
constexpr double SPAWN_FLOOR = 0.3;  // no duck comes once the interval is not above it
constexpr float RECOIL_SECONDS = 0.1f;
constexpr float FEATHER_FRAME_SECONDS = 0.1f;
constexpr int32_t FEATHER_FRAMES = 4;

// Each hunter's shot: the cosine and sine of its angle above the horizontal (37° on the left,
// 38.5° on the right), the shell's turn as drawn, and how far the hunter has tilted back when
// his recoil ends.
struct Gun {
  double cosine, sine;
  double shell_angle;
  double recoil_degrees;
};
constexpr Gun guns[2] = {
    {0.798635510047, 0.601815023152, 47.0, -20.0},
    {0.782608156852, 0.622514636638, -50.0, 20.0},
};

SDL_Texture* TextureCatalog::* const duck_pictures[2][6] = {
    // red: flying right, then flying left
    {&TextureCatalog::duckRed1, &TextureCatalog::duckRed2, &TextureCatalog::duckRed3,
     &TextureCatalog::duckRed4, &TextureCatalog::duckRed5, &TextureCatalog::duckRed6},
    // blue
    {&TextureCatalog::duckBlue1, &TextureCatalog::duckBlue2, &TextureCatalog::duckBlue3,
     &TextureCatalog::duckBlue4, &TextureCatalog::duckBlue5, &TextureCatalog::duckBlue6},
};
SDL_Texture* TextureCatalog::* const feather_pictures[FEATHER_FRAMES] = {
    &TextureCatalog::feathers1, &TextureCatalog::feathers2, &TextureCatalog::feathers3,
    &TextureCatalog::feathers4};

const DrawItem meadow[] = {
    image(&TextureCatalog::meadowBackground, &LayoutTable::meadowBackgroundRect),
    image(&TextureCatalog::tree, &LayoutTable::treeRect),
};
const DrawItem foreground[] = {
    image(&TextureCatalog::crosshair, &LayoutTable::crosshairRect),
    image(&TextureCatalog::grass, &LayoutTable::grassRect),
};
const DrawItem ducks_to_come_caption[] = {
    text(&TextureCatalog::captionDucksToCome, &LayoutTable::ducksToComeCaptionRect),
};
const DrawItem deciding_duck[] = {
    text(&TextureCatalog::captionDecidingDuck, &LayoutTable::decidingDuckRect),
};

// Each player's hunter, recoil and score plate.
struct Player {
  SDL_FRect LayoutTable::*hunter;
  SDL_Texture* TextureCatalog::*hunter_picture;
  float DuckHuntGame::*recoil;
  SDL_FRect LayoutTable::*plate;
  SDL_Texture* TextureCatalog::*plate_picture;
  int32_t DuckHuntGame::*score;
};
constexpr Player players[2] = {
    {&LayoutTable::hunterBlueRect, &TextureCatalog::hunterBlue, &DuckHuntGame::left_recoil,
     &LayoutTable::duckHudBlueRect, &TextureCatalog::duckHudBlue, &DuckHuntGame::left_score},
    {&LayoutTable::hunterRedRect, &TextureCatalog::hunterRed, &DuckHuntGame::right_recoil,
     &LayoutTable::duckHudRedRect, &TextureCatalog::duckHudRed, &DuckHuntGame::right_score},
};

// Random colours, then each block of ten evened out to five of each by random flips.
void new_owner_pattern(int32_t (&pattern)[OWNER_PATTERN_SIZE]) {
  for (int32_t& entry : pattern) entry = rand() % 2;
  for (int32_t start = 0; start < OWNER_PATTERN_SIZE; start += OWNER_BLOCK) {
    int32_t* block = pattern + start;
    int32_t blue = (int32_t)std::count(block, block + OWNER_BLOCK, 1);
    while (blue != OWNER_BLOCK / 2) {
      int32_t j = rand() % OWNER_BLOCK;
      if (blue < OWNER_BLOCK / 2 && block[j] == 0) {
        block[j] = 1;
        ++blue;
      } else if (blue > OWNER_BLOCK / 2 && block[j] == 1) {
        block[j] = 0;
        --blue;
      }
    }
  }
}

void reset(void* record, ScreenContext&) {
  DuckHuntGame& g = game_of(record);
  match_reset(g.match);
  new_owner_pattern(g.owner_pattern);
  g.pattern_index = 0;
  g.left_score = g.right_score = 0;
  g.left_recoil = g.right_recoil = 0.0f;
  g.spawn_interval = FIRST_SPAWN_INTERVAL;
  g.spawn_clock = 0.0f;
  g.spawning_over = 0;
  g.deciding_ducks = 0;
  // Fresh vectors: the old storage goes with them.
  g.ducks = std::vector<Duck>();
  g.shots = std::vector<Shot>();
  g.feathers = std::vector<FeatherBurst>();
}

// A hit fires one shot from the player's hunter, faster the harder the hit.
void hit(void* record, Side side, int32_t power, ScreenContext& c) {
  DuckHuntGame& g = game_of(record);
  const Gun& gun = guns[side];
  const SDL_FRect& hunter = c.layout.*players[side].hunter;
  const double speed = 4.0 * power;
  const float U = c.display.unit;
  g.*players[side].recoil = 0.001f;
  Shot shot;
  shot.shooter = side;
  shot.x = side == SIDE_LEFT ? hunter.x + hunter.w : hunter.x;
  shot.y = hunter.y;
  // Half the size of a tank shell.
  shot.width = U * (float)image_info[IMG_shell].width / (float)image_info[IMG_shell].height;
  shot.height = U;
  shot.vx = (float)(gun.cosine * speed);
  shot.vy = (float)(gun.sine * speed);
  g.shots.push_back(shot);
  play_effect(c.sounds.tanks_fight);
}

// Shots fly on in every state; one past the top is gone.
void move_shots(DuckHuntGame& g, float dt) {
  for (Shot& s : g.shots) {
    s.y -= s.vy * dt;
    s.x += s.shooter == 0 ? s.vx * dt : -s.vx * dt;
  }
  std::erase_if(g.shots, [](const Shot& s) { return s.y + s.height < 0.0f; });
}

// The next duck from its edge, its colour from the pattern; the more ducks are already in the
// air, the faster it flies.
void spawn_duck(DuckHuntGame& g, const ScreenContext& c) {
  const float W = (float)c.display.width, H = (float)c.display.height, U = c.display.unit;
  const float B = c.layout.bottomBarRect.h;
  float l = random_between(0.0f, 1.0f);
  float m = random_between(0.0f, 1.0f);
  Duck d;
  d.heading = l >= 0.5f ? 1 : 0;
  float start_x = d.heading == 1 ? W : 0.0f;
  d.start_y = (H - 10.0f * U) * m + 5.0f * U;
  d.owner = g.owner_pattern[g.pattern_index] == 1 ? 1 : 0;
  // The last entry is never used: the pattern starts again before it.
  if (++g.pattern_index == OWNER_PATTERN_SIZE - 1) g.pattern_index = 0;
  d.speed = 400.0f + 10.0f * (float)g.ducks.size();
  d.x = start_x;
  d.y = d.start_y;
  d.draw_x = start_x;
  d.draw_y = d.start_y - B / 2.0f;
  g.ducks.push_back(d);
}

// The interval after one more spawn step; a duck comes with it while it stays above the floor.
float next_spawn_interval(float interval) { return (float)((double)interval - SPAWN_STEP); }

// Ducks come ever more often, until the interval reaches its floor.
void spawn_step(DuckHuntGame& g, const ScreenContext& c) {
  g.spawn_clock += c.clock.dt;
  if (g.spawn_clock <= g.spawn_interval || g.spawning_over != 0) return;
  g.spawn_clock = 0.0f;
  g.spawn_interval = next_spawn_interval(g.spawn_interval);
  if (g.spawn_interval > SPAWN_FLOOR) spawn_duck(g, c);
  else g.spawning_over = 1;
}

// The first shot whose point lies in the duck's box brings it down: feathers, the point to
// the duck's colour, the duck off the screen and the shot off the top.
void shoot_at(DuckHuntGame& g, Duck& d, ScreenContext& c) {
  const float U = c.display.unit, B = c.layout.bottomBarRect.h;
  const SDL_FRect target{d.x - d.width / 3.0f, d.y - d.width / 3.0f - B / 2.0f, d.width / 1.5f,
                         d.width / 1.5f};
  for (Shot& s : g.shots) {
    const SDL_FRect point{s.x + s.width / 2.0f, s.y + s.height / 2.0f, 1.0f, 1.0f};
    if (!SDL_HasIntersectionF(&target, &point)) continue;
    g.feathers.push_back(FeatherBurst{d.x - 5.0f * U, d.y - 5.0f * U, 10.0f * U, 10.0f * U, 0.0f});
    if (d.owner == 1) ++g.left_score;
    else ++g.right_score;
    d.x = d.heading == 1 ? -1.0f : (float)c.display.width + 1.0f;
    s.y = -1.0f - s.height;  // removed by the next frame's move
    play_effect(c.sounds.ducks_quack);
    return;
  }
}

// Each duck in turn: the shot test, then its flight along the line through the centre, growing
// on the way to the middle and shrinking after; a duck past its far edge is gone.
void fly_ducks(DuckHuntGame& g, ScreenContext& c) {
  const int32_t W = c.display.width, H = c.display.height;
  const float U = c.display.unit, B = c.layout.bottomBarRect.h, dt = c.clock.dt;
  for (size_t i = 0; i < g.ducks.size();) {
    Duck& d = g.ducks[i];
    if (!g.shots.empty()) shoot_at(g, d, c);
    d.x += d.heading == 1 ? -d.speed * dt : d.speed * dt;
    d.y = d.start_y - (d.start_y - (float)(H / 2)) * (2.0f * d.x / (float)W);
    const float middle = (float)(W / 2);
    const bool nearing = d.heading == 0 ? d.x < middle : d.x >= middle;
    d.width += (nearing ? 4.0f : -4.0f) * U * dt;
    d.height += (nearing ? 6.0f : -6.0f) * U * dt;
    d.draw_x = d.x - d.width / 2.0f;
    d.draw_y = d.y - d.height / 2.0f - B / 2.0f;
    const bool gone = d.heading == 1 ? d.x < 0.0f : d.x > (float)W;
    if (gone) g.ducks.erase(g.ducks.begin() + (ptrdiff_t)i);
    else ++i;
  }
}

// Once no more ducks come and the sky is empty: the better score wins. Equal scores go to
// sudden death: the next duck of the pattern, one at a time, until a hit breaks the tie.
void end_rule(DuckHuntGame& g, ScreenContext& c) {
  if (g.spawning_over != 1 || !g.ducks.empty()) return;
  if (g.left_score == g.right_score) {
    ++g.deciding_ducks;
    spawn_duck(g, c);
    return;
  }
  match_end(g.match, c, g.left_score > g.right_score ? SIDE_LEFT : SIDE_RIGHT);
}

// What the drawing shows moving, advanced right before it: each duck's wing beat (as long as
// the spawn interval; the duck is left out for the frame its beat ends), the feather bursts'
// ages and the hunters' recoil.
void animate(DuckHuntGame& g, float dt) {
  const float beat = g.spawn_interval;
  for (Duck& d : g.ducks) {
    d.flap_clock += dt;
    if (d.flap_clock >= beat) {
      d.flap_clock = 0.0f;
      d.wing = 0;
    } else {
      d.wing = d.flap_clock < beat / 3.0f ? 1 : d.flap_clock < 2.0f * beat / 3.0f ? 2 : 3;
    }
  }
  for (FeatherBurst& f : g.feathers) f.age += dt;
  for (const Player& side : players)
    if (g.*side.recoil != 0.0f) g.*side.recoil += dt;
}

void update(void* record, ScreenContext& c) {
  DuckHuntGame& g = game_of(record);
  move_shots(g, c.clock.dt);
  if (g.match.playing == 1 && g.match.game_over == 0) {
    spawn_step(g, c);
    fly_ducks(g, c);
    std::erase_if(g.feathers, [](const FeatherBurst& f) {
      return f.age > FEATHER_FRAME_SECONDS * FEATHER_FRAMES;
    });
  }
  if (g.match.game_over == 0) end_rule(g, c);
  animate(g, c.clock.dt);
}

// How long the game has to go: the ducks still to come beside their caption, or, once a tie
// sends deciding ducks, that announcement while they fly. Nothing once the game is decided.
void draw_ducks_to_come(const DuckHuntGame& g, const ScreenContext& c) {
  const LayoutTable& l = c.layout;
  fill_rect(c.clock, c.palette.plate, l.ducksToComeRect);
  if (g.deciding_ducks > 0) {
    draw_items(c.clock, c.textures, l, deciding_duck);
    return;
  }
  draw_items(c.clock, c.textures, l, ducks_to_come_caption);
  char count[12];
  snprintf(count, sizeof count, "%d", ducks_to_come(g));
  draw_runtime_text_in(c.clock, c.fonts.fontHuge, count, c.palette.white, l.ducksToComeCountRect);
}

void draw(const void* record, ScreenContext& c) {
  const DuckHuntGame& g = game_of(record);
  const TextureCatalog& t = c.textures;
  const LayoutTable& l = c.layout;
  SDL_Renderer* r = c.clock.renderer;
  draw_items(c.clock, t, l, meadow);
  for (const Shot& s : g.shots) {
    const SDL_FRect rect{s.x, s.y, s.width, s.height};
    SDL_RenderCopyExF(r, t.shell, nullptr, &rect, guns[s.shooter].shell_angle, nullptr,
                      SDL_FLIP_NONE);
  }
  for (const Duck& d : g.ducks) {
    if (d.wing < 1 || d.wing > 3) continue;
    const SDL_FRect rect{d.draw_x, d.draw_y, d.width, d.height};
    SDL_RenderCopyF(r, t.*duck_pictures[d.owner][3 * d.heading + d.wing - 1], nullptr, &rect);
  }
  for (const FeatherBurst& f : g.feathers) {
    const int32_t frame = (int32_t)(f.age / FEATHER_FRAME_SECONDS);
    if (frame >= FEATHER_FRAMES) continue;
    const SDL_FRect rect{f.x, f.y, f.width, f.height};
    SDL_RenderCopyF(r, t.*feather_pictures[frame], nullptr, &rect);
  }
  for (int32_t side = 0; side < 2; ++side) {
    const Player& p = players[side];
    const float recoil = g.*p.recoil;
    SDL_Texture* hunter = t.*p.hunter_picture;
    if (recoil == 0.0f) {
      SDL_RenderCopyF(r, hunter, nullptr, &(l.*p.hunter));
    } else {
      const double tilt = recoil * guns[side].recoil_degrees / RECOIL_SECONDS;
      SDL_RenderCopyExF(r, hunter, nullptr, &(l.*p.hunter), tilt, nullptr, SDL_FLIP_NONE);
    }
  }
  draw_items(c.clock, t, l, foreground);
  for (const Player& side : players) {
    const SDL_FRect& plate = l.*side.plate;
    SDL_RenderCopyF(r, t.*side.plate_picture, nullptr, &plate);
    char score[12];
    snprintf(score, sizeof score, "%d", g.*side.score);
    draw_runtime_text_in(c.clock, c.fonts.fontMedium, score, c.palette.white, plate);
  }
  if (g.match.game_over == 0) draw_ducks_to_come(g, c);
}

// A recoil ends once the drawing has shown it past its length.
void after_draw(void* record, ScreenContext&) {
  DuckHuntGame& g = game_of(record);
  for (const Player& side : players)
    if (g.*side.recoil > RECOIL_SECONDS) g.*side.recoil = 0.0f;
}

Standing standing(const void* record) {
  const auto& g = game_of(record);
  return {g.left_score, g.right_score};
}

}  // namespace

int32_t ducks_to_come(const DuckHuntGame& g) {
  if (g.spawning_over != 0) return 0;
  int32_t ducks = 0;
  for (float i = next_spawn_interval(g.spawn_interval); i > SPAWN_FLOOR; i = next_spawn_interval(i))
    ++ducks;
  return ducks;
}

const GameDef duck_hunt_game = {
    .screen = SCREEN_DUCK_HUNT,
    .music = &SoundBank::ducks_background,
    .music_volume = 98,
    .countdown_volume = 20,
    .match = [](void* record) -> MatchState& { return game_of(record).match; },
    .reset = reset,
    .hit = hit,
    .update = update,
    .draw = draw,
    .after_draw = after_draw,
    .standing = standing,
    .standing_plates = &LayoutTable::duckStandingRect,
};
