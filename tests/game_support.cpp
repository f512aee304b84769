#include "tests/game_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "app/window.h"

GameRig::GameRig(int width, int height)
    : display{nullptr, width, height, display_unit(height)}, layout(layout_at(width, height)) {}

void GameRig::start(const GameDef& game, void* record) {
  MatchState& match = game.match(record);
  match.countdown.counting_down = 1;
  for (int32_t i = 0; i < 400 && match.playing == 0; ++i) frame(game, record);
  ASSERT_EQ(match.playing, 1);
}

void GameRig::connect(const char* flags) {
  for (int32_t k = 0; k < 4; ++k) {
    link.pads[k].connected = flags[k] == '1';
    const char mac[] = "00000000PAD";
    for (int32_t i = 0; i < 11; ++i) link.pads[k].mac[i] = mac[i];
    link.pads[k].mac[11] = '1' + k;
  }
}

void GameRig::frame(const GameDef& game, void* record, float dt) {
  clock.dt = dt;
  app.music_started = 1;
  match_rules(game, record, game.match(record), context);
  if (game.after_draw) game.after_draw(record, context);
}

void GameRig::start_playing(const GameDef& game, void* record) {
  connect("1100");
  hit(1, 1);
  frame(game, record);
  for (int32_t i = 0; i < 100 && game.match(record).playing == 0; ++i) frame(game, record, 0.1f);
  EXPECT_EQ(game.match(record).playing, 1);
}

bool GameCanvas::open() {
  return chdir(HXM_RUN_DIR) == 0 && begin_offscreen(a, 1920, 1080) && load_offscreen(a) == 0;
}

GameCanvas::~GameCanvas() { end_offscreen(a); }

void GameCanvas::frame(const GameDef& game, void* record, float dt) {
  a.clock.dt = dt;
  game.update(record, context);
  SDL_SetRenderDrawColor(a.clock.renderer, 0, 0, 0, 255);
  SDL_RenderClear(a.clock.renderer);
  game.draw(record, context);
  if (game.after_draw) game.after_draw(record, context);
}

bool HubProgram::start() {
  if (chdir(scratch.path.c_str()) != 0) return false;
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  // The detached link thread may still read the hub after shut_down, so the hub lives until
  // the process ends.
  static VirtualHub* kept_hub = new VirtualHub;
  hub = kept_hub;
  hub->gap_ms = HUB_PACED_GAP_MS;  // set-up and strikes one message a read; no link thread yet
  const int32_t opens = hub_opens(*hub);
  if (!hub_plug(*hub) || start_up(program, virtual_hub_port(*hub)) != 0) return false;
  started = true;
  seams = fake_ticks_seams(ticks);
  // Messages sent before this program's link opens the terminal would be lost.
  const uint64_t opens_by = monotonic_ms() + 5000;
  while (hub_opens(*hub) == opens)
    if (monotonic_ms() > opens_by) return false;
    else SDL_Delay(10);
  return hub_connect(*hub, 0, "A1B2C3D4E5F6") && hub_connect(*hub, 1, "0C1D2E3F4A5B");
}

HubProgram::~HubProgram() {
  if (started) shut_down(program);
  if (hub) hub_unplug(*hub);
}

bool HubProgram::start_game(int32_t screen, int32_t starter) {
  if (!start()) return false;
  program.app.screen = screen;
  const GameEntry& entry = *game_entry(screen);
  const MatchState& m = entry.def->match(entry.record(program.games));
  if (!run_until([&] { return m.left_pad == 1 && m.right_pad == 2; })) return false;
  if (!strike(starter, 9, [&] { return m.countdown.counting_down == 1; })) return false;
  ticks.work_ms = 100;
  bool playing = run_until([&] { return m.playing == 1; });
  ticks.work_ms = 0;
  return playing;
}

bool HubProgram::run_until(const std::function<bool()>& done, uint32_t real_ms) {
  uint64_t end = monotonic_ms() + real_ms;
  while (!done()) {
    if (monotonic_ms() > end) return false;
    run_frame(program, seams);
  }
  return true;
}

bool HubProgram::strike(int32_t pad, uint8_t power, const std::function<bool()>& taken) {
  return hub_hit(*hub, pad - 1, power, 80) && run_until(taken);
}
