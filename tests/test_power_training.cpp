// Screen 6: the active pad and its button, the attempt's phases and what each input does in
// them, recording a hit, the meter and the badges. Rules on state, no renderer; then one draw
// and one run of the whole program with a virtual hub and the real record store.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <SDL_mixer.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/lock_hold.h"
#include "app/program.h"
#include "app/window.h"
#include "link/sensor_link.h"
#include "screens/power_training.h"
#include "ui/draw_list.h"
#include "store/record_store.h"
#include "tests/store_support.h"
#include "tests/support.h"
#include "tools/virtual_hub.h"

namespace {

const char* const MACS[4] = {"A1B2C3D4E501", "A1B2C3D4E502", "A1B2C3D4E503", "A1B2C3D4E504"};

std::string text_of(const DateTime& t) {
  char text[32];
  format_date_time(text, sizeof text, t);
  return text;
}

std::string phase_of(const PowerTrainingState& s) {
  int flags = s.countdown.counting_down + s.measuring + s.animating;
  if (flags > 1) return "several";
  if (s.countdown.counting_down) return "countdown";
  if (s.measuring) return "measuring";
  if (s.animating) return "animating";
  return "idle";
}

class PowerTraining : public ::testing::Test {
 protected:
  void SetUp() override {
    layout = layout_at(WIDTH, HEIGHT);
    display.width = WIDTH;
    display.height = HEIGHT;
    display.unit = display_unit(HEIGHT);
    dir = make_temp_dir();
    store = new_record_store(nullptr, dir.c_str());  // no thread: requests stay queued
    ASSERT_NE(store, nullptr);
    power_training_reset(s, display, layout);
  }
  void TearDown() override {
    free_record_store(store);
    remove_tree(dir);
  }
  // What the store's thread would do: every queued request carried out.
  void store_all() {
    while (store_serve_next(*store)) {
    }
  }

  void connect(const char* flags) {
    for (int k = 0; k < 4; ++k) {
      link.pads[k].connected = flags[k] == '1';
      for (int i = 0; i < 12; ++i) link.pads[k].mac[i] = MACS[k][i];
    }
  }
  void strike(int pad, uint8_t power) {
    link.pads[pad - 1].hit[0] = 1;
    link.pads[pad - 1].hit[3] = power;
    link.pads[pad - 1].hit_ms = port_clock_ms();
  }
  void update() { power_training_update(&link, s, sounds, display, layout, store); }
  void tick(float dt) {
    clock.dt = dt;
    power_training_tick(s, clock, display, layout);
  }
  void frame(float dt = 0.016f) {
    update();
    tick(dt);
  }
  ScreenContext context() {
    static Palette palette;
    static TextureCatalog textures;
    static FontSet fonts;
    return ScreenContext{clock, display, palette, sounds, textures, layout,
                         fonts, app,     pointer, &link,  store,    SCREEN_TRAINING_MENU};
  }
  void key(int32_t scancode) {
    ScreenContext c = context();
    power_training_key(s, c, scancode);
  }
  void tap(const SDL_FRect& r) {
    pointer.event_x = (int)(r.x + r.w / 2);
    pointer.event_y = (int)(r.y + r.h / 2);
    ScreenContext c = context();
    power_training_click(s, c);
  }
  void tap(const SDL_Rect& r) { tap(SDL_FRect{(float)r.x, (float)r.y, (float)r.w, (float)r.h}); }
  // Start, then the whole countdown in one frame.
  void to_measuring() {
    key(KEY_SPACE);
    frame(3.0f);
    ASSERT_EQ(phase_of(s), "measuring");
  }
  // A measured hit, then frames until its climb is over.
  void measure(int pad, uint8_t power) {
    to_measuring();
    strike(pad, power);
    frame();
    ASSERT_EQ(phase_of(s), "animating");
    for (int i = 0; i < 200 && s.animating; ++i) frame();
    ASSERT_EQ(phase_of(s), "idle");
  }
  std::vector<StoreRequest> queued() {
    Hold hold(store->mutex);
    return std::vector<StoreRequest>(store->requests, store->requests + store->request_count);
  }
  float meter_bottom() const { return layout.powerScaleRect.y + layout.powerScaleRect.h; }

  static constexpr int WIDTH = 1920, HEIGHT = 1080;
  LayoutTable layout;
  Display display;
  SensorLink link;
  SoundBank sounds;  // nothing loaded: every play is skipped
  RecordStore* store = nullptr;
  std::string dir;
  PowerTrainingState s;
  AppState app;
  PointerState pointer;
  FrameClock clock;
};

// The lowest connected pad listens; the button steps through the connected ones between
// attempts and while the meter climbs; a pad lost mid-attempt leaves it waiting, and the
// next pad is chosen, and its hit read, the frame after.
TEST_F(PowerTraining, TheActivePadAndItsButtonThroughAnAttempt) {
  connect("0110");
  frame();
  EXPECT_EQ(s.pad.selected_pad, 2);
  tap(layout.playerLabelRightRect);
  EXPECT_EQ(s.pad.selected_pad, 3);
  tap(layout.playerLabelRightRect);
  EXPECT_EQ(s.pad.selected_pad, 2);
  key(KEY_SPACE);
  tap(layout.playerLabelRightRect);
  EXPECT_EQ(s.pad.selected_pad, 2) << "not during the countdown";
  frame(3.0f);
  tap(layout.playerLabelRightRect);
  EXPECT_EQ(s.pad.selected_pad, 2) << "not while a hit is awaited";

  connect("0010");
  strike(3, 120);  // already there as pad 2 goes
  frame(10.0f);
  EXPECT_EQ(s.pad.selected_pad, 0);
  EXPECT_EQ(phase_of(s), "measuring") << "the attempt keeps waiting, without a time limit";
  EXPECT_EQ(link.pads[2].hit[3], 120) << "no hit is read in the frame the pad went";
  frame();
  EXPECT_EQ(s.pad.selected_pad, 3);
  EXPECT_EQ(phase_of(s), "animating");
  ASSERT_EQ(queued().size(), 1u);
  EXPECT_STREQ(queued()[0].mac, MACS[2]);
  connect("0110");
  frame();
  tap(layout.playerLabelRightRect);
  EXPECT_EQ(s.pad.selected_pad, 2) << "while the meter climbs";

  connect("0000");
  frame();
  tap(layout.playerLabelRightRect);
  EXPECT_EQ(s.pad.selected_pad, 0) << "no pad, no button";
}

// Each phase against each input: where the attempt goes, whether the screen is left or the
// program ends, and whether a result is queued. A hit is always consumed.
TEST_F(PowerTraining, EachPhaseTakesOnlyItsInputs) {
  enum Input { HIT, SPACE, START, DELETE_KEY, RESET, ESCAPE, BACK, QUIT };
  const struct {
    const char* phase;
    Input input;
    const char* after;
    int32_t screen, running, recorded;
  } rows[] = {
      {"idle", HIT, "countdown", 6, 1, 0},          {"idle", SPACE, "countdown", 6, 1, 0},
      {"idle", START, "countdown", 6, 1, 0},        {"idle", DELETE_KEY, "idle", 6, 1, 0},
      {"idle", RESET, "idle", 6, 1, 0},             {"idle", ESCAPE, "idle", 3, 1, 0},
      {"idle", BACK, "idle", 3, 1, 0},              {"idle", QUIT, "idle", 6, 0, 0},
      {"countdown", HIT, "countdown", 6, 1, 0},     {"countdown", SPACE, "countdown", 6, 1, 0},
      {"countdown", START, "countdown", 6, 1, 0},   {"countdown", DELETE_KEY, "countdown", 6, 1, 0},
      {"countdown", RESET, "countdown", 6, 1, 0},   {"countdown", ESCAPE, "countdown", 6, 1, 0},
      {"countdown", BACK, "countdown", 6, 1, 0},    {"countdown", QUIT, "countdown", 6, 1, 0},
      {"measuring", HIT, "animating", 6, 1, 1},     {"measuring", SPACE, "measuring", 6, 1, 0},
      {"measuring", START, "measuring", 6, 1, 0},   {"measuring", DELETE_KEY, "idle", 6, 1, 0},
      {"measuring", RESET, "idle", 6, 1, 0},        {"measuring", ESCAPE, "idle", 3, 1, 0},
      {"measuring", BACK, "idle", 3, 1, 0},         {"measuring", QUIT, "measuring", 6, 0, 0},
      {"animating", HIT, "animating", 6, 1, 0},     {"animating", SPACE, "animating", 6, 1, 0},
      {"animating", START, "animating", 6, 1, 0},   {"animating", DELETE_KEY, "animating", 6, 1, 0},
      {"animating", RESET, "animating", 6, 1, 0},   {"animating", ESCAPE, "animating", 6, 1, 0},
      {"animating", BACK, "animating", 6, 1, 0},    {"animating", QUIT, "animating", 6, 1, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.phase) + " input " + std::to_string(row.input));
    TearDown();
    s = PowerTrainingState{};
    link = SensorLink{};
    app = AppState{};
    SetUp();
    app.screen = SCREEN_POWER_TRAINING;
    connect("1000");
    frame();
    if (std::string(row.phase) != "idle") key(KEY_SPACE);
    if (std::string(row.phase) == "measuring" || std::string(row.phase) == "animating") frame(3.0f);
    if (std::string(row.phase) == "animating") {
      strike(1, 80);
      frame();
    }
    ASSERT_EQ(phase_of(s), row.phase);
    size_t before = queued().size();

    switch (row.input) {
      case HIT: strike(1, 200); update(); break;
      case SPACE: key(KEY_SPACE); break;
      case START: tap(layout.playButtonRect); break;
      case DELETE_KEY: key(KEY_DELETE); break;
      case RESET: tap(layout.repeatButtonRect); break;
      case ESCAPE: key(KEY_ESCAPE); break;
      case BACK: tap(layout.backButtonRect); break;
      case QUIT: tap(layout.closeButtonRect); break;
    }
    EXPECT_EQ(phase_of(s), row.after);
    EXPECT_EQ(app.screen, row.screen);
    EXPECT_EQ(app.running, row.running);
    EXPECT_EQ((int32_t)(queued().size() - before), row.recorded);
    EXPECT_EQ(link.pads[0].hit[3], 0) << "the hit is consumed whatever the phase";
  }
}

TEST_F(PowerTraining, AMeasuredHitIsQueuedWithItsTimeMacAndLocalTime) {
  connect("0100");
  frame();
  {
    Hold hold(store->mutex);
    store->run_from = DateTime{2020, 1, 1, 10, 0, 0};  // left by an earlier hit of this run
    store->run_to = DateTime{2020, 1, 1, 10, 59, 59};
  }
  to_measuring();
  float measured = 0.0f;
  for (int i = 0; i < 5; ++i) {
    frame(0.1f);
    measured += 0.1f;
  }
  for (int k = 0; k < 4; ++k) strike(k + 1, 7);  // every pad's bytes are cleared on recording
  strike(2, 200);
  DateTime before = local_date_time();
  frame();
  DateTime after = local_date_time();

  auto requests = queued();
  ASSERT_EQ(requests.size(), 1u);
  const StoreRequest& r = requests[0];
  EXPECT_EQ(r.code, STORE_INSERT);
  EXPECT_EQ(r.value, 200);
  EXPECT_STREQ(r.mac, MACS[1]);
  EXPECT_NEAR(r.game_time, measured, 1e-5);
  auto seconds = [](const DateTime& t) {
    return calendar_time(t.year, t.month, t.day, t.hour, t.minute, t.second);
  };
  EXPECT_GE(seconds(date_time_of(r)), seconds(before));
  EXPECT_LE(seconds(date_time_of(r)), seconds(after));
  EXPECT_EQ(s.elapsed, 0.0f);
  for (const PadSlot& pad : link.pads) EXPECT_EQ(pad.hit[3], 0);

  // The run counts and ranks the hit once it is in the file, not before.
  StoreView view;
  store_read_view(*store, view);
  EXPECT_EQ(view.run_hits, 0);
  EXPECT_EQ(view.run_best[0].value, 0);
  store_all();
  store_read_view(*store, view);
  EXPECT_EQ(view.run_hits, 1);
  EXPECT_EQ(text_of(view.run_from), "2020-01-01 10:00:00") << "only the end of the window moves";
  EXPECT_EQ(text_of(view.run_to), text_of(hour_end_of(date_time_of(r))));
  EXPECT_EQ(view.run_best[0].value, 200);
  EXPECT_STREQ(view.run_best[0].mac4, "E502");
  EXPECT_EQ(view.run_best[0].when, text_of(date_time_of(r)));
}

TEST_F(PowerTraining, BestThreeOfTheVisitAndTheRunWithTheNewerFirstOnATie) {
  connect("1100");
  frame();
  const struct {
    int pad;
    uint8_t power;
    int32_t best[3];
    const char* run_mac4[3];
  } hits[] = {
      {1, 100, {100, 0, 0}, {"E501", "", ""}},
      {1, 50, {100, 50, 0}, {"E501", "E501", ""}},
      {2, 100, {100, 100, 50}, {"E502", "E501", "E501"}},  // the tie goes first
      {2, 50, {100, 100, 50}, {"E502", "E501", "E502"}},   // a tie with the third replaces it
      {2, 20, {100, 100, 50}, {"E502", "E501", "E502"}},
      {1, 255, {255, 100, 100}, {"E501", "E502", "E501"}},
  };
  for (const auto& h : hits) {
    SCOPED_TRACE((int)h.power);
    s.pad.selected_pad = h.pad;
    measure(h.pad, h.power);
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(s.best[k], h.best[k]);
      EXPECT_EQ(s.shown_best[k].value, h.best[k]);
      EXPECT_EQ(s.shown_best[k].text, std::to_string(h.best[k]));
    }
    EXPECT_EQ(queued().size(), 1u);
    store_all();
    StoreView view;
    store_read_view(*store, view);
    for (int k = 0; k < 3; ++k) EXPECT_STREQ(view.run_best[k].mac4, h.run_mac4[k]) << k;
  }
  StoreView stored;
  store_read_view(*store, stored);
  EXPECT_EQ(stored.table_rows, 6);

  // Leaving forgets the visit; the run keeps counting.
  key(KEY_ESCAPE);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(s.best[k], 0);
  EXPECT_STREQ(s.shown_best[0].text, "0");
  StoreView view;
  store_read_view(*store, view);
  EXPECT_EQ(view.run_hits, 6);
  EXPECT_EQ(view.run_best[0].value, 255);
}

TEST_F(PowerTraining, TheMeterClimbsFromAFixedBottomEdge) {
  const float U = display.unit, bottom = HEIGHT * 0.5f + 12.5f * U;
  const int32_t full = layout.powerScaleSize.h;
  ASSERT_GT(full, 0);
  EXPECT_FLOAT_EQ(layout.powerScaleRect.h, 25 * U) << "reset shows the full meter";
  EXPECT_FLOAT_EQ(layout.powerScaleRect.y, HEIGHT * 0.5f - 12.5f * U);
  EXPECT_EQ(layout.powerScaleSourceRect.y, 0);
  EXPECT_EQ(layout.powerScaleSourceRect.h, full);

  connect("1000");
  frame();
  to_measuring();
  strike(1, 255);
  frame(0.0f);  // the first step of the climb is 0.001, whatever the frame's time
  EXPECT_FLOAT_EQ(s.progress, 0.001f);
  tick(0.499f);
  EXPECT_NEAR(layout.powerScaleRect.h, 25 * U * 255 * 0.5f / 256, 1e-3);
  EXPECT_EQ(layout.powerScaleSourceRect.h, (int32_t)(full * 255 * 0.5f / 256));
  EXPECT_EQ(layout.powerScaleSourceRect.y, full - layout.powerScaleSourceRect.h);
  EXPECT_NEAR(meter_bottom(), bottom, 1e-3);
  EXPECT_EQ(s.shown_value, 0) << "the number waits for the climb's end";

  tick(0.5f);  // progress 1.0: the last frame of the climb
  EXPECT_NEAR(layout.powerScaleRect.h, 25 * U * 255 / 256, 1e-3);
  EXPECT_EQ(layout.powerScaleSourceRect.h, full * 255 / 256);
  EXPECT_NEAR(meter_bottom(), bottom, 1e-3);
  EXPECT_EQ(s.animating, 1);
  tick(0.016f);
  EXPECT_EQ(s.animating, 0);
  EXPECT_EQ(s.shown_value, 255);
  EXPECT_STREQ(s.shown_value_text, "255");
  EXPECT_EQ(s.progress, 0.0f);
  EXPECT_EQ(s.sound_played, 0);

  // A long last frame carries progress well past 1: the meter stops at its full picture.
  measure(1, 255);
  to_measuring();
  strike(1, 255);
  frame(0.0f);
  tick(1.5f);
  EXPECT_LE(layout.powerScaleRect.h, 25 * U);
  EXPECT_GE(layout.powerScaleSourceRect.y, 0);
  EXPECT_NEAR(meter_bottom(), bottom, 1e-3);
  SDL_FRect kept = layout.powerScaleRect;
  tick(0.016f);
  EXPECT_FLOAT_EQ(layout.powerScaleRect.h, kept.h) << "the meter keeps its last size";

  key(KEY_SPACE);  // a new attempt shows the full meter again
  EXPECT_FLOAT_EQ(layout.powerScaleRect.h, 25 * U);
  EXPECT_EQ(layout.powerScaleSourceRect.h, full);
}

TEST_F(PowerTraining, TheNumberShowsZeroFromTheStartUntilTheClimbEnds) {
  connect("1000");
  frame();
  measure(1, 140);
  EXPECT_EQ(s.shown_value, 140);
  key(KEY_SPACE);
  for (int i = 0; i < 250; ++i) {  // the countdown, then measuring
    frame();
    ASSERT_STREQ(s.shown_value_text, "0") << "frame " << i;
  }
  strike(1, 30);
  for (frame(); s.animating; frame()) ASSERT_EQ(s.shown_value, 0);
  EXPECT_EQ(s.shown_value, 30);
  EXPECT_STREQ(s.shown_value_text, "30");
}

TEST(PowerTrainingRules, EachBandEdgePicksItsBadge) {
  const struct {
    int32_t power, band;
  } edges[] = {{0, 0},   {1, 1},   {28, 1},  {29, 2},  {56, 2},  {57, 3},  {84, 3},
               {85, 4},  {112, 4}, {113, 5}, {140, 5}, {141, 6}, {168, 6}, {169, 7},
               {196, 7}, {197, 8}, {224, 8}, {225, 9}, {254, 9}, {255, 9}};
  for (const auto& e : edges) EXPECT_EQ(rating_band(e.power), e.band) << e.power;
}

// What only pixels show: the meter's picture revealed from its bottom, and the number left
// out during the countdown.
class PowerTrainingDraw : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(chdir(scratch.path.c_str()), 0);
    ASSERT_TRUE(begin_offscreen(a, 1366, 768)) << SDL_GetError();
    ASSERT_EQ(load_offscreen(a), 0) << SDL_GetError();
    power_training_reset(s, a.display, a.layout);
  }
  void TearDown() override { end_offscreen(a); }
  void draw() {
    SDL_SetRenderDrawColor(a.clock.renderer, 0, 0, 0, 255);
    SDL_RenderClear(a.clock.renderer);
    power_training_draw(a.clock, s, a.palette, a.display, a.textures, a.layout, a.fonts);
  }
  SDL_Color at(float x, float y) { return offscreen_pixel(a.screen, (int)x, (int)y); }
  // Rows of the screen that differ between the frame as it is and with another large number.
  int changed_by_number(const char* other) {
    draw();
    SDL_Surface* before = SDL_DuplicateSurface(a.screen.surface);
    PowerTrainingState kept = s;
    snprintf(s.shown_value_text, sizeof s.shown_value_text, "%s", other);
    draw();
    s = kept;
    int n = 0;
    for (int y = 0; y < before->h; ++y)
      n += memcmp((const Uint8*)before->pixels + y * before->pitch,
                  (const Uint8*)a.screen.surface->pixels + y * before->pitch, (size_t)before->w * 4) != 0;
    SDL_FreeSurface(before);
    return n;
  }
  ScratchRunDir scratch;
  OffscreenAssets a;
  PowerTrainingState s;
};

TEST_F(PowerTrainingDraw, TheMeterRevealsItsLowerPartAndTheCountdownHidesTheNumber) {
  // The meter's middle column, from just above its bottom edge to its top.
  const SDL_FRect full = a.layout.powerScaleRect;
  auto column = [&] {
    std::vector<SDL_Color> colours;
    for (float y = full.y + full.h - 3; y > full.y; y -= full.h / 20)
      colours.push_back(at(full.x + full.w / 2, y));
    return colours;
  };
  auto distance = [](SDL_Color p, SDL_Color q) {
    return abs(p.r - q.r) + abs(p.g - q.g) + abs(p.b - q.b);
  };
  draw();
  const std::vector<SDL_Color> whole = column();

  // Half a climb: the picture's lower half stands where it stood, nothing above it.
  s.value = 128;
  s.animating = 1;
  s.progress = 0.999f;
  a.clock.dt = 0.001f;
  power_training_tick(s, a.clock, a.display, a.layout);
  ASSERT_EQ(s.animating, 1);
  draw();
  const std::vector<SDL_Color> half = column();
  const SDL_Color black{0, 0, 0, 255};
  for (size_t i = 0; i < whole.size(); ++i) {
    if (i < whole.size() / 2) {
      EXPECT_LT(distance(half[i], whole[i]), 24) << "point " << i;
    } else if (i > whole.size() / 2) {
      EXPECT_EQ(distance(half[i], black), 0) << "point " << i;
    }
  }

  power_training_tick(s, a.clock, a.display, a.layout);  // the climb ends
  ASSERT_EQ(s.shown_value, 128);

  // The number is drawn, but not while the countdown runs: then another number changes
  // nothing on the screen.
  EXPECT_GT(changed_by_number("888"), 2 * a.display.unit);
  s.countdown.counting_down = 1;
  s.countdown.countdown_digit = 3;
  EXPECT_EQ(changed_by_number("888"), 0);
}

// Once through everything: hub messages on a pseudo-terminal, the link thread, the program's
// frames on screen 6, the store's thread and the file in a scratch directory.
TEST(PowerTrainingWithHub, AHitBecomesARankedRowOfTheFile) {
  ScratchRunDir scratch;
  Program p;
  VirtualHub* hub = start_with_hub(p, scratch.path);
  ASSERT_NE(hub, nullptr);
  hub_connect(*hub, 0, "A1B2C3D4E5F6");
  p.app.screen = SCREEN_POWER_TRAINING;
  FakeTicks ticks;
  LoopSeams seams = fake_ticks_seams(ticks);
  const PowerTrainingState& s = p.screens.power_training;
  auto frames_until = [&](auto done) {
    for (int i = 0; i < 400 && !done(); ++i) {
      run_frame(p, seams);
      SDL_Delay(5);  // real time for the link thread
    }
    return done();
  };
  auto playing = [](Mix_Chunk* chunk) {
    for (int ch = 0; ch < Mix_AllocateChannels(-1); ++ch)
      if (chunk && Mix_Playing(ch) && Mix_GetChunk(ch) == chunk) return true;
    return false;
  };

  ASSERT_TRUE(frames_until([&] { return s.pad.selected_pad == 1; }));
  hub_hit(*hub, 0, 120, 80);  // starts the attempt; not stored
  ASSERT_TRUE(frames_until([&] { return s.countdown.counting_down == 1; }));
  ASSERT_NE(p.sounds.timer, nullptr) << "the dummy audio device plays the real sounds";
  EXPECT_TRUE(playing(p.sounds.timer));
  ticks.now += 3000;  // the whole countdown in one frame
  ASSERT_TRUE(frames_until([&] { return s.measuring == 1; }));
  hub_hit(*hub, 0, 200, 80);
  ASSERT_TRUE(frames_until([&] { return s.animating == 1; }));
  EXPECT_TRUE(playing(p.sounds.hit_power_increase));
  ASSERT_TRUE(frames_until([&] { return s.animating == 0; }));
  EXPECT_EQ(s.shown_value, 200);
  EXPECT_EQ(rating_band(s.shown_value), 8);

  // The store's thread inserts, ranks and reads back.
  ASSERT_TRUE(frames_until([&] {
    Hold hold(p.store->mutex);
    return p.store->request_count == 0 && p.store->table_rows == 1;
  }));
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open((scratch.path + "/hxm.db").c_str(), &db), SQLITE_OK);
  EXPECT_EQ(query_text(db, "SELECT group_concat(value || ' ' || mac_address || ' ' || "
                           "record_position, ';') FROM training_hit_power;"),
            "200 A1B2C3D4E5F6 1");
  sqlite3_close(db);
  shut_down(p);
}

}  // namespace

// Results the store could not write: the warning sign beside the close cross, and only then.
TEST_F(PowerTrainingDraw, TheWarningSignShowsWhileResultsWaitUnsaved) {
  const SDL_FRect sign = unsaved_sign_rect(a.layout);
  auto sign_pixels = [&] {
    draw();
    int lit = 0;
    for (float y = sign.y; y < sign.y + sign.h; y += 2)
      for (float x = sign.x; x < sign.x + sign.w; x += 2) {
        SDL_Color c = at(x, y);
        lit += c.r + c.g + c.b > 0;
      }
    return lit;
  };
  s.unsaved = 0;
  EXPECT_EQ(sign_pixels(), 0);
  s.unsaved = 2;
  EXPECT_GT(sign_pixels(), 20);
  const SDL_FRect& cross = a.layout.closeButtonRect;
  EXPECT_LE(sign.x + sign.w, cross.x) << "the sign covers the close cross";
}
