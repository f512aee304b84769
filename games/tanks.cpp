#include "games/tanks.h"

#include "ui/draw_list.h"

namespace {

constexpr float SHELL_SPEED_UNITS = 10.0f;  // per second
constexpr float BLAST_STEP = 0.03f;         // seconds per blast picture, at least
enum : int32_t { BLAST_PICTURES = 7, LOG_ROWS = 3, LOG_STATES = 4 };
// Each row of logs takes the next run of shells: 15, then 24, then 36.
constexpr int32_t ROW_FIRST_SHELL[LOG_ROWS] = {0, 15, 39};
constexpr int32_t ROW_SHELLS[LOG_ROWS] = {15, 24, 36};

TanksGame& game_of(void* record) { return *(TanksGame*)record; }
const TanksGame& game_of(const void* record) { return *(const TanksGame*)record; }

TankSide& side_of(TanksGame& g, Side side) { return side == SIDE_LEFT ? g.left : g.right; }

// Where one player's pieces stand in the layout.
struct SideLayout {
  SDL_FRect LayoutTable::*tank;
  SDL_FRect (LayoutTable::*shells)[TANK_SHELLS];
  SDL_FRect (LayoutTable::*logs)[LOG_ROWS * LOG_STATES];  // 4 (row - 1) + state
  int32_t first_row;  // of the player's rows in logRowCentreY and blastRect
};
const SideLayout side_layouts[2] = {
    {&LayoutTable::tankYellowRect, &LayoutTable::leftShellRects, &LayoutTable::leftLogRect, 0},
    {&LayoutTable::tankGreyRect, &LayoutTable::rightShellRects, &LayoutTable::rightLogRect, LOG_ROWS},
};
const Side sides[2] = {SIDE_LEFT, SIDE_RIGHT};

// The log row (0 nearest the tanks) a shell is fired at.
int32_t shell_row(int32_t shell) {
  return shell < ROW_FIRST_SHELL[1] ? 0 : shell < ROW_FIRST_SHELL[2] ? 1 : 2;
}

void reset(void* record, ScreenContext& c) {
  TanksGame& g = game_of(record);
  match_reset(g.match);
  // The speed depends on the screen alone, which stays for the run.
  g.shell_speed = SHELL_SPEED_UNITS * c.display.unit;
  for (Side side : sides) {
    side_of(g, side) = TankSide{};
    const SideLayout& look = side_layouts[side];
    for (SDL_FRect& shell : c.layout.*look.shells) shell.y = (c.layout.*look.tank).y;
  }
}

void hit(void* record, Side side, int32_t, ScreenContext& c) {
  for (TankShell& shell : side_of(game_of(record), side).shells) {
    if (shell.fired != 0) continue;
    shell.fired = 1;
    play_effect(c.sounds.tanks_fight);
    return;
  }
}

// A shell in the air rises by one step and lands once past its row's centre line.
void fly(TankSide& s, const SideLayout& look, int32_t i, float step, ScreenContext& c) {
  TankShell& shell = s.shells[i];
  if (shell.fired != 1 || shell.landed != 0) return;
  SDL_FRect& r = (c.layout.*look.shells)[i];
  r.y -= step;
  if (r.y < c.layout.logRowCentreY[look.first_row + shell_row(i)]) {
    shell.landed = 1;
    s.landed += 1;
    play_effect(c.sounds.tanks_destroy_log);
  }
}

// A blast begins in its shell's landing frame and steps once more than BLAST_STEP gathered.
void step_blast(const TankShell& shell, TankBlast& b, float dt) {
  if (shell.landed != 1) return;
  if (b.active == 1 && b.frame < BLAST_PICTURES) {
    b.tick += dt;
    if (b.tick > BLAST_STEP) {
      b.tick = 0.0f;
      b.frame += 1;
    }
  }
  if (b.active == 0 && b.frame == 0 && b.tick == 0.0f) b.active = 1;
}

void update(void* record, ScreenContext& c) {
  TanksGame& g = game_of(record);
  const float dt = c.clock.dt, step = dt * g.shell_speed;
  // Shells already in the air fly on after the game is over.
  for (int32_t i = 0; i < TANK_SHELLS; ++i) {
    for (Side side : sides) fly(side_of(g, side), side_layouts[side], i, step, c);
    for (Side side : sides) step_blast(side_of(g, side).shells[i], side_of(g, side).blasts[i], dt);
  }
  if (g.match.game_over != 0) return;
  const bool left_done = g.left.shells[TANK_SHELLS - 1].landed == 1;
  const bool right_done = g.right.shells[TANK_SHELLS - 1].landed == 1;
  if (!left_done && !right_done) return;
  match_end(g.match, c, right_done ? SIDE_RIGHT : SIDE_LEFT);  // a finish in one frame goes right
}

void draw(const void* record, ScreenContext& c) {
  const TanksGame& g = game_of(record);
  const TextureCatalog& t = c.textures;
  const LayoutTable& l = c.layout;
  SDL_Renderer* r = c.clock.renderer;
  const TankSide* side[2] = {&g.left, &g.right};
  SDL_Texture* const logs[LOG_STATES] = {t.log1, t.log2, t.log3, t.log4};
  SDL_Texture* const blasts[BLAST_PICTURES] = {t.blast1, t.blast2, t.blast3, t.blast4,
                                               t.blast5, t.blast6, t.blast7};
  SDL_RenderCopyF(r, t.fieldBackground, nullptr, &l.fieldBackgroundRect);
  for (Side s : sides)
    for (int32_t row = 0; row < LOG_ROWS; ++row) {
      const int32_t state = tank_log_state(row, side[s]->landed);
      SDL_RenderCopyF(r, logs[state], nullptr, &(l.*side_layouts[s].logs)[LOG_STATES * row + state]);
    }
  SDL_RenderCopyF(r, t.tankYellow, nullptr, &l.tankYellowRect);
  SDL_RenderCopyF(r, t.tankGrey, nullptr, &l.tankGreyRect);
  for (int32_t i = 0; i < TANK_SHELLS; ++i) {
    for (Side s : sides) {
      const TankShell& shell = side[s]->shells[i];
      if (shell.fired == 1 && shell.landed == 0)
        SDL_RenderCopyF(r, t.shell, nullptr, &(l.*side_layouts[s].shells)[i]);
    }
    for (Side s : sides) {
      const TankBlast& b = side[s]->blasts[i];
      if (b.active == 1 && b.frame >= 0 && b.frame < BLAST_PICTURES)
        SDL_RenderCopyF(r, blasts[b.frame], nullptr, &l.blastRect[side_layouts[s].first_row + shell_row(i)]);
    }
  }
}

Standing standing(const void* record) {
  const auto& g = game_of(record);
  return {g.left.landed, g.right.landed};
}

}  // namespace

// A third of the row's shells for each step.
int32_t tank_log_state(int32_t row, int32_t landed) {
  const int32_t in_row = landed - ROW_FIRST_SHELL[row];
  int32_t state = 0;
  for (int32_t k = 1; k < LOG_STATES; ++k)
    if (in_row >= k * ROW_SHELLS[row] / 3) state = k;
  return state;
}

const GameDef tanks_game = {
    .screen = SCREEN_TANKS,
    .music = &SoundBank::tanks_background,
    .music_volume = 80,
    .countdown_volume = 20,
    .match = [](void* record) -> MatchState& { return game_of(record).match; },
    .reset = reset,
    .hit = hit,
    .update = update,
    .draw = draw,
    .standing = standing,
    .standing_plates = &LayoutTable::tankStandingRect,
    .standing_out_of = TANK_SHELLS,
};
