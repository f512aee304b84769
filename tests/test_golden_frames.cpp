// Golden frames: fixed moments of every screen drawn by the real frame at 1366x768 on the
// software renderer and compared with stored pictures, so a change to what a screen draws
// cannot pass unnoticed. After an intended change, `make golden-refresh` stores the new
// pictures (look at them in build/golden/ before committing them).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zstd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/screen_table.h"
#include "assets/loader.h"
#include "core/lock_hold.h"
#include "core/random.h"
#include "tests/support.h"
#include "tools/png_file.h"

namespace {

constexpr int WIDTH = 1366;
constexpr int HEIGHT = 768;
// The same libraries draw the same pixels, and no moment depends on the build: every build
// should match exactly. The slack only keeps a stray rounding of another compiler or library
// patch from failing the suite: a pixel is off when a colour channel differs by more than 2,
// and a moment fails when more than 10 of its 1,049,088 pixels are off (one in 100,000). The
// smallest change caught here, a game clock's colon blinking otherwise, is 104 pixels.
constexpr int CHANNEL_SLACK = 2;
constexpr int PIXELS_ALLOWED = 10;

std::string golden_dir() { return std::string(HXM_SOURCE_DIR) + "/tests/golden"; }
std::string output_dir() { return std::string(HXM_RUN_DIR) + "/../golden"; }
bool refreshing() { return getenv("HXM_GOLDEN_REFRESH") != nullptr; }

// The frame's pixels as tightly packed RGBA rows.
std::vector<uint8_t> pixels_of(const SDL_Surface* s) {
  std::vector<uint8_t> px((size_t)s->w * s->h * 4);
  for (int y = 0; y < s->h; ++y)
    memcpy(&px[(size_t)y * s->w * 4], (const uint8_t*)s->pixels + y * s->pitch, (size_t)s->w * 4);
  return px;
}

// A picture to look at: build/golden/<name><suffix>.png.
void save_png(const std::vector<uint8_t>& px, const char* name, const char* suffix) {
  mkdir(output_dir().c_str(), 0755);
  std::string why;
  if (!write_png_rgba(output_dir() + "/" + name + suffix + ".png", px.data(), WIDTH, HEIGHT,
                      WIDTH * 4, why))
    ADD_FAILURE() << why;
}

// The pictures and fonts, made once for all the moments: making them is most of a moment's
// time. A screen may remake its run-time texts in the catalog; each moment hands it back.
OffscreenAssets* assets = nullptr;
std::string saved_tz;  // the zone the process had, put back once the moments are done
bool had_tz = false;

void free_shared_assets() {
  if (!assets) return;
  end_offscreen(*assets);
  delete assets;
  assets = nullptr;
  if (had_tz) setenv("TZ", saved_tz.c_str(), 1);
  else unsetenv("TZ");
  tzset();
}

bool load_shared_assets() {
  if (assets) return true;
  // The program seeds the generator from the time on its first draw: draw once so that has
  // happened; each moment then seeds it with a fixed number and draws the same delays and ducks.
  random_between(0.0f, 1.0f);
  const char* tz = getenv("TZ");
  had_tz = tz != nullptr;
  saved_tz = tz ? tz : "";
  setenv("TZ", "UTC", 1);
  tzset();
  assets = new OffscreenAssets;
  if (begin_offscreen(*assets, WIDTH, HEIGHT) &&
      load_assets(assets->clock, assets->display, assets->textures, assets->layout,
                  assets->palette, assets->fonts, HXM_RUN_DIR "/") == 0)
    return true;
  free_shared_assets();
  return false;
}

// The whole program's records drawing into the offscreen surface, on a fake clock, with a link
// and a record store that no thread runs: the test puts hits and stored rows in place itself.
struct GoldenProgram {
  Program p;
  SensorLink link;
  FakeTicks ticks;
  LoopSeams seams;

  GoldenProgram() {
    if (!assets) return;
    srand(20261209);
    p.clock.renderer = assets->clock.renderer;
    p.display = assets->display;
    p.textures = assets->textures;
    p.layout = assets->layout;
    p.palette = assets->palette;
    p.fonts = assets->fonts;
    p.store = new_record_store(&p.app, "/nonexistent");
    p.link = &link;
    // The link's clock is the loop's fake one: hits are stamped and found fresh on it.
    link.port.now_ms = [](void* ctx) { return (double)((FakeTicks*)ctx)->now; };
    link.port.ctx = &ticks;
    reset_screens(p);
    statistics_init_at(p.screens.statistics, DateTime{2026, 12, 9, 18, 30, 0});
    seams = fake_ticks_seams(ticks);
  }
  ~GoldenProgram() {
    if (p.store) free_record_store(p.store);
    if (assets) assets->textures = p.textures;
  }
  GoldenProgram(const GoldenProgram&) = delete;  // the link's clock points into it

  const SDL_Surface* surface() const { return assets->screen.surface; }
  void connect(int32_t pad, const char* mac, uint8_t level) {
    Hold hold(link.mutex);
    PadSlot& slot = link.pads[pad - 1];
    slot.connected = 1;
    slot.level = level;
    for (int i = 0; i < MAC_LENGTH; ++i) slot.mac[i] = mac[i];
  }
  // A hit on the pad, come just now.
  void strike(int32_t pad, uint8_t power) {
    Hold hold(link.mutex);
    link.pads[pad - 1].hit[0] = (uint8_t)(pad - 1);
    link.pads[pad - 1].hit[3] = power;
    link.pads[pad - 1].hit_ms = ticks.now;
  }
  // Frames of frame_ms each (16 or more): the frame's work takes that long, so the loop waits
  // no more. A hit is taken by the next frame while it is fresh with frames of up to 250 ms.
  void frames(int n, uint32_t frame_ms = FRAME_MS) {
    ticks.work_ms = frame_ms;
    for (int i = 0; i < n; ++i) run_frame(p, seams);
    ticks.work_ms = 0;
  }
  // Frames until the condition holds, at most limit.
  bool frames_until(const std::function<bool()>& done, int limit, uint32_t frame_ms = FRAME_MS) {
    for (int i = 0; i < limit && !done(); ++i) frames(1, frame_ms);
    return done();
  }
};

// Draws one more frame, then compares it with the stored picture of that name (or stores it).
void expect_golden(GoldenProgram& g, const char* name) {
  g.frames(1);
  std::vector<uint8_t> now = pixels_of(g.surface());
  std::string stored = golden_dir() + "/" + name + ".zst";
  if (refreshing()) {
    save_png(now, name, "");
    std::string packed(ZSTD_compressBound(now.size()), '\0');
    size_t size = ZSTD_compress(packed.data(), packed.size(), now.data(), now.size(), 19);
    ASSERT_FALSE(ZSTD_isError(size));
    packed.resize(size);
    std::ofstream(stored, std::ios::binary) << packed;
    ASSERT_TRUE(read_file(stored) == packed) << "cannot write " << stored;
    return;
  }
  std::string packed = read_file(stored);
  ASSERT_FALSE(packed.empty()) << "no stored picture " << stored << " (make golden-refresh)";
  std::vector<uint8_t> want(now.size());
  size_t size = ZSTD_decompress(want.data(), want.size(), packed.data(), packed.size());
  ASSERT_EQ(size, now.size()) << stored << " is not a " << WIDTH << "x" << HEIGHT << " frame";
  std::vector<uint8_t> diff(now.size(), 0);  // the pixels off in red on black
  int off = 0;
  for (size_t i = 0; i < now.size(); i += 4) {
    diff[i + 3] = 255;
    bool differs = false;
    for (int c = 0; c < 3; ++c) differs |= abs((int)now[i + c] - (int)want[i + c]) > CHANNEL_SLACK;
    if (!differs) continue;
    ++off;
    diff[i] = 255;
  }
  if (off > PIXELS_ALLOWED) {
    save_png(now, name, "");
    save_png(want, name, ".want");
    save_png(diff, name, ".diff");
  }
  EXPECT_LE(off, PIXELS_ALLOWED) << name << ": " << off << " pixels differ; see " << output_dir()
                                 << "/" << name << "{,.want,.diff}.png";
}

class Golden : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { load_shared_assets(); }
  static void TearDownTestSuite() { free_shared_assets(); }
  void SetUp() override { ASSERT_NE(assets, nullptr) << SDL_GetError(); }
  GoldenProgram g;
};

TEST_F(Golden, Menus) {
  g.p.app.screen = SCREEN_MAIN_MENU;
  expect_golden(g, "main_menu");
  g.p.app.screen = SCREEN_TRAINING_MENU;
  expect_golden(g, "training_menu");
  g.p.app.screen = SCREEN_COMPETITION_MENU;
  expect_golden(g, "competition_menu");
}

TEST_F(Golden, SettingsWithPads) {
  g.connect(1, "A1B2C3D4E5F6", 90);
  g.connect(3, "0C1D2E3F4A5B", 30);
  g.p.app.screen = SCREEN_DEVICE;
  g.frames(1);
  expect_golden(g, "settings");
}

// Each training idle after three attempts: the best three beside their cups.
TEST_F(Golden, PowerTrainingWithThreeBests) {
  g.connect(1, "A1B2C3D4E5F6", 90);
  g.p.app.screen = SCREEN_POWER_TRAINING;
  g.frames(1);  // a hit made before the screen's first frame is dropped
  const PowerTrainingState& s = g.p.screens.power_training;
  for (int power : {180, 231, 95}) {
    g.strike(1, 9);
    ASSERT_TRUE(g.frames_until([&] { return s.measuring == 1; }, 20, 200));
    g.strike(1, (uint8_t)power);
    ASSERT_TRUE(g.frames_until([&] { return s.animating == 0 && s.measuring == 0; }, 40, 100));
  }
  EXPECT_EQ(s.best[0], 231);
  EXPECT_EQ(s.best[2], 95);
  expect_golden(g, "power_training");
}

TEST_F(Golden, ReactionTrainingWithThreeBests) {
  g.connect(1, "A1B2C3D4E5F6", 90);
  g.p.app.screen = SCREEN_REACTION_TRAINING;
  g.frames(1);
  const ReactionTrainingState& s = g.p.screens.reaction;
  // The signal's frame is presented on the next one; a hit k frames after the signal was
  // first due takes (k - 1) frames of 16 ms.
  for (int frames_to_react : {19, 25, 31}) {
    g.strike(1, 9);
    g.frames(1);  // the start; the last attempt's signal shows until then
    ASSERT_TRUE(g.frames_until([&] { return reaction_signal_shown(s); }, 60, 200));
    g.frames(frames_to_react);
    g.strike(1, 120);
    ASSERT_TRUE(g.frames_until([&] { return s.measuring == 0; }, 2));
  }
  EXPECT_FLOAT_EQ(s.best[0].seconds, 0.288f);
  EXPECT_FLOAT_EQ(s.best[1].seconds, 0.384f);
  EXPECT_FLOAT_EQ(s.best[2].seconds, 0.480f);
  expect_golden(g, "reaction_training");
}

TEST_F(Golden, HitCountTrainingWithThreeBests) {
  g.connect(1, "A1B2C3D4E5F6", 90);
  g.p.app.screen = SCREEN_HIT_COUNT_TRAINING;
  g.frames(1);
  const HitCountTrainingState& s = g.p.screens.hit_count;
  for (int hits : {6, 11, 4}) {
    ASSERT_TRUE(g.frames_until([&] { return s.time_left >= HIT_COUNT_SECONDS; }, 30, 1000));
    g.strike(1, 9);
    ASSERT_TRUE(g.frames_until([&] { return s.running == 1; }, 20, 200));
    for (int i = 0; i < hits; ++i) {
      g.strike(1, 90);
      g.frames(1);
    }
    ASSERT_TRUE(g.frames_until([&] { return s.running == 0; }, 30, 1000));
  }
  EXPECT_EQ(s.best[0].count, 11);
  EXPECT_EQ(s.best[1].count, 6);
  EXPECT_EQ(s.best[2].count, 4);
  // Into the refill, 5.434 s of it: the clock's colon is lit, 66 ms before its blink hides it
  // (the games' clocks stand 84 ms past theirs), so a changed blink shows in one of them.
  g.frames(5, 1000);
  g.frames(1, 418);
  expect_golden(g, "hit_count_training");
  EXPECT_EQ(s.shown.millis, 434);
}

// Stored hits over the last day and a custom window around them, with all-time records.
TEST_F(Golden, StatisticsWithRecords) {
  RecordStore& store = *g.p.store;
  {
    Hold hold(store.mutex);
    const int count = 40;
    store.rows = (HitRow*)calloc(count, sizeof(HitRow));
    store.row_capacity = count;
    for (int i = 0; i < count; ++i) {
      HitRow& r = store.rows[i];
      r.value = 30 + (i * 97) % 220;
      r.game_time = (float)(i % 5);
      r.year = 2026, r.month = 12, r.day = 9, r.hour = 17 + i / 24, r.minute = (i * 37) % 60;
      r.second = (i * 13) % 60;
      snprintf(r.mac_address, sizeof r.mac_address, "A1B2C3D4E5F%d", i % 4);
      r.time = calendar_time(r.year, r.month, r.day, r.hour, r.minute, r.second);
    }
    store.row_count = count;
    store.rows_version = 1;
    store.table_rows = count;
    const int32_t tops[3] = {249, 246, 243};
    for (int k = 0; k < 3; ++k) {
      store.best[k].value = tops[k];
      store.best[k].id = k + 1;
      snprintf(store.best[k].when, sizeof store.best[k].when, "2026-12-09 17:%02d:00", 10 + k);
      snprintf(store.best[k].mac4, sizeof store.best[k].mac4, "E5F%d", k);
    }
    store.run_best[0] = RunBest{201, "2026-12-09 18:20:05", "E5F0"};
    store.run_hits = 1;
    store.run_from = DateTime{2026, 12, 9, 18, 0, 0};
    store.run_to = DateTime{2026, 12, 9, 18, 59, 59};
    store.data_first = DateTime{2026, 12, 9, 17, 0, 0};
    store.data_last = DateTime{2026, 12, 9, 18, 59, 59};
  }
  g.p.app.screen = SCREEN_STATISTICS;
  g.frames(2);
  expect_golden(g, "statistics");
}

// A game mid-play after a fixed exchange of hits over about two seconds, then hurried to its
// end, shown with the medals.
void play_game(GoldenProgram& g, int32_t screen, const char* name,
               const std::function<void(GoldenProgram&)>& hurry_end) {
  g.connect(1, "A1B2C3D4E5F6", 90);
  g.connect(2, "0C1D2E3F4A5B", 80);
  g.p.app.screen = screen;
  const GameEntry& game = *game_entry(screen);
  const MatchState& m = game.def->match(game.record(g.p.games));
  ASSERT_TRUE(g.frames_until([&] { return m.left_pad == 1 && m.right_pad == 2; }, 10));
  g.strike(2, 9);
  ASSERT_TRUE(g.frames_until([&] { return m.playing == 1; }, 50, 100));
  for (int i = 0; i < 12; ++i) {
    g.strike(1 + i % 2, (uint8_t)(150 + (i * 37) % 100));
    g.frames(4 + i % 3, 40);
  }
  expect_golden(g, (std::string(name) + "_mid").c_str());
  hurry_end(g);
  ASSERT_TRUE(g.frames_until([&] { return m.game_over == 1; }, 300, 100));
  g.frames(5, 100);
  expect_golden(g, (std::string(name) + "_over").c_str());
}

// The left truck pulls away: a full-power hit every frame.
TEST_F(Golden, MonsterTrucks) {
  play_game(g, SCREEN_MONSTER_TRUCKS, "trucks", [](GoldenProgram& g) {
    for (int i = 0; i < 100 && !g.p.games.monster_trucks.match.game_over; ++i) {
      g.strike(1, 255);
      g.frames(1, 50);
    }
  });
}

// Both fire every frame, the grey tank missing every third: yellow's last shell lands first.
TEST_F(Golden, Tanks) {
  play_game(g, SCREEN_TANKS, "tanks", [](GoldenProgram& g) {
    for (int i = 0; i < TANK_SHELLS; ++i) {
      g.strike(1, 200);
      if (i % 3 != 2) g.strike(2, 200);
      g.frames(1, 100);
    }
  });
}

TEST_F(Golden, DuckHunt) {
  play_game(g, SCREEN_DUCK_HUNT, "ducks", [](GoldenProgram& g) {
    // No more ducks and an empty sky; a tie would go on to sudden death, so blue leads by one.
    DuckHuntGame& d = g.p.games.duck_hunt;
    d.spawning_over = 1;
    d.ducks.clear();
    if (d.left_score == d.right_score) ++d.left_score;
  });
}

TEST_F(Golden, Prospectors) {
  play_game(g, SCREEN_PROSPECTORS, "prospectors",
            [](GoldenProgram& g) { g.p.games.prospectors.time_left = 0.3f; });
}

}  // namespace
