// The statistics chart: the rows a window visits, the batched bars against the plain per-row
// rule (on a model of the software renderer and on the renderer itself), the bars' places and
// colours, and a stored hit reaching the screen through the real record store.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "ui/draw_list.h"
#include "core/lock_hold.h"
#include "app/window.h"
#include "screens/statistics.h"
#include "tests/support.h"

namespace {

HitRow hit_at(int64_t t, int32_t value, int32_t position = 0) {
  HitRow r;
  set_date_time(r, local_date_time_at(t));
  r.time = t;
  r.value = value;
  r.record_position = position;
  return r;
}

// Rows mostly in time order with a few jumps back (a clock set back, a foreign file).
std::vector<HitRow> random_rows(std::mt19937& random, int count, int64_t start, int64_t span) {
  std::vector<HitRow> rows;
  std::uniform_int_distribution<int64_t> step(0, 2 * span / std::max(count, 1) + 1), jump(0, span);
  std::uniform_int_distribution<int> value(0, 255), chance(0, 99);
  int64_t t = start;
  for (int i = 0; i < count; ++i) {
    t += step(random);
    if (chance(random) < 3) t = start + jump(random);
    rows.push_back(hit_at(t, value(random)));
  }
  for (int32_t position = 1; position <= 3 && count > 0; ++position)
    rows[(size_t)(random() % count)].record_position = position;
  return rows;
}

ChartRows chart_rows(std::vector<HitRow> rows) {
  ChartRows c;
  c.rows = std::move(rows);
  c.version = 1;
  chart_rows_index(c);
  return c;
}

TEST(ChartRows, AWindowVisitsExactlyItsRowsInTableOrder) {
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    const int64_t start = 1740000000;
    ChartRows rows = chart_rows(random_rows(random, (int)(random() % 300), start, 7200));
    std::uniform_int_distribution<int64_t> end(start - 100, start + 7300);
    int64_t from = end(random), to = end(random);
    if (round % 4 == 0 && !rows.rows.empty()) from = to = rows.rows[rows.rows.size() / 2].time;
    std::vector<int32_t> visited, wanted;
    chart_rows_in_window(rows, from, to, [&](int32_t i) { visited.push_back(i); });
    for (int32_t i = 0; i < (int32_t)rows.rows.size(); ++i)
      if (rows.rows[(size_t)i].time >= from && rows.rows[(size_t)i].time <= to) wanted.push_back(i);
    ASSERT_EQ(visited, wanted) << "round " << round;
  }
}

// The software renderer's filling, as a model: each coordinate truncated, at least one pixel
// each way, clipped to the screen; colour -1 is background.
struct Raster {
  int w = 1920, h = 1080;
  std::vector<int8_t> pixels = std::vector<int8_t>((size_t)(1920 * 1080), -1);
  void fill(const SDL_FRect& f, int colour) {
    int x0 = std::max((int)f.x, 0), y0 = std::max((int)f.y, 0);
    int x1 = std::min((int)f.x + std::max((int)f.w, 1), w), y1 = std::min((int)f.y + std::max((int)f.h, 1), h);
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) pixels[(size_t)(y * w + x)] = (int8_t)colour;
  }
};

TEST(ChartBars, FillExactlyThePixelsOfThePlainRule) {
  std::mt19937 random(11);
  const float widths[] = {2, 3, 7, 54};
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const int64_t start = 1740000000;
    const int64_t span = 60 + (int64_t)(random() % 100000);
    std::vector<HitRow> rows = random_rows(random, 1 + (int)(random() % 600), start, span);
    if (round % 10 == 9) rows[rows.size() / 2].value = -40 + (int)(random() % 3) * 200;  // foreign
    ChartRows chart = chart_rows(rows);
    ChartGeometry g{168, 1750, 918, 391.5f, widths[round % 4], start + (int64_t)(random() % 600),
                    start + span - (int64_t)(random() % 600)};
    Raster plain, batched;
    chart_rows_in_window(chart, g.from, g.to, [&](int32_t i) {
      const HitRow& r = chart.rows[(size_t)i];
      plain.fill(chart_bar_rect(g, r.time, r.value), bar_colour(r.record_position));
    });
    ChartBars bars;
    lay_chart_bars(bars, chart, g);
    for (const BarBatch& b : bars.batches)
      for (int32_t k = b.first; k < b.first + b.count; ++k) batched.fill(bars.rects[(size_t)k], b.colour);
    ASSERT_TRUE(plain.pixels == batched.pixels);
    if (round % 10 != 9) {
      EXPECT_LT(bars.rects.size(), 3 * 1800u) << "about one rectangle per column";
    }
  }
}

TEST(ChartBars, AnUnchangedFrameKeepsItsBars) {
  ChartRows chart = chart_rows({hit_at(1740000000, 100), hit_at(1740000100, 200)});
  ChartGeometry g{168, 1750, 918, 391.5f, 2, 1740000000 - 10, 1740000000 + 3600};
  ChartBars bars;
  lay_chart_bars(bars, chart, g);
  ASSERT_FALSE(bars.rects.empty());
  bars.rects.clear();  // a frame that lays again would refill them
  lay_chart_bars(bars, chart, g);
  EXPECT_TRUE(bars.rects.empty());
  g.bar_width = 3;
  lay_chart_bars(bars, chart, g);
  EXPECT_FALSE(bars.rects.empty()) << "a wider bar lays again";
  chart.version = 2;
  bars.rects.clear();
  lay_chart_bars(bars, chart, g);
  EXPECT_FALSE(bars.rects.empty()) << "new rows lay again";
  g.to = g.from;
  lay_chart_bars(bars, chart, g);
  EXPECT_TRUE(bars.rects.empty()) << "a window of no length has no bars";
}

// The whole screen on the software renderer at 1920x1080.
class StatisticsScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(chdir(scratch.path.c_str()), 0);
    ASSERT_TRUE(begin_offscreen(a, 1920, 1080)) << SDL_GetError();
    ASSERT_EQ(load_offscreen(a), 0) << SDL_GetError();
    statistics_init_at(state, DateTime{2025, 3, 1, 10, 0, 0});
    state.mode = MODE_CUSTOM;
    state.custom_to = DateTime{2025, 3, 1, 10, 10, 0};
    from = date_time_seconds(state.custom_from);
    to = date_time_seconds(state.custom_to);
  }
  void TearDown() override { end_offscreen(a); }

  void set_rows(std::vector<HitRow> rows) {
    state.rows = chart_rows(std::move(rows));
    state.rows.version = ++version;
  }
  void draw(bool per_row) {
    SDL_SetRenderDrawColor(a.clock.renderer, 0, 0, 0, 255);
    SDL_RenderClear(a.clock.renderer);
    draw_backdrop(a.clock, a.textures, a.layout);
    statistics_lay_chart(state, a.layout, a.display);
    if (per_row) statistics_draw_per_row(a.clock, state, a.textures, a.layout, a.display, a.palette, a.fonts);
    else {
      AppState app;
      PointerState pointer;
      SoundBank sounds;
      ScreenContext c = offscreen_context(a, app, pointer, sounds, nullptr, nullptr, SCREEN_MAIN_MENU);
      statistics_draw(state, c);
    }
  }
  SDL_Surface* frame(bool per_row) {
    draw(per_row);
    return SDL_DuplicateSurface(a.screen.surface);
  }
  static int differing(SDL_Surface* x, SDL_Surface* y) {
    int n = 0;
    for (int row = 0; row < x->h; ++row)
      n += memcmp((char*)x->pixels + row * x->pitch, (char*)y->pixels + row * y->pitch, (size_t)x->w * 4) != 0;
    return n;
  }
  SDL_Color pixel(float x, float y) { return offscreen_pixel(a.screen, (int)x, (int)y); }
  static bool is(SDL_Color c, SDL_Color want) { return c.r == want.r && c.g == want.g && c.b == want.b; }

  ScratchRunDir scratch;
  OffscreenAssets a;
  StatisticsState state;
  int64_t from = 0, to = 0;
  uint32_t version = 0;
};

TEST_F(StatisticsScreen, BatchedBarsDrawTheSamePixelsAsOneFillPerRow) {
  std::mt19937 random(3);
  std::vector<HitRow> rows = random_rows(random, 400, from - 30, to - from + 60);
  // Rows on the window's very ends and just outside it, some tall and coloured.
  for (int64_t t : {from, to, from - 1, to + 1}) rows.push_back(hit_at(t, 250, 0));
  rows.push_back(hit_at(from, 255, 1));
  rows.push_back(hit_at(to, 180, 2));
  const struct {
    float bar_width;
    int32_t hover;
    int32_t foreign_value;  // 0: none
  } cases[] = {{2, 0, 0}, {9, 1, 0}, {54, 0, 0}, {4, 0, -20}};
  for (const auto& c : cases) {
    SCOPED_TRACE("bar width " + std::to_string(c.bar_width));
    std::vector<HitRow> shown = rows;
    if (c.foreign_value) shown[200].value = c.foreign_value;
    set_rows(shown);
    state.bar_width = c.bar_width;
    state.chart_hover = c.hover;
    SDL_Surface* batched = frame(false);
    SDL_Surface* plain = frame(true);
    EXPECT_EQ(differing(batched, plain), 0) << "rows of pixels that differ";
    SDL_FreeSurface(batched);
    SDL_FreeSurface(plain);
  }
}

TEST_F(StatisticsScreen, BarsStandOnTheirTimeInTheirPositionsColour) {
  const SDL_FRect& chart = a.layout.chartRect;
  const float middle_y = chart.y + chart.h * 0.75f;
  state.bar_width = 10;
  // The first second is centred on the vertical axis: half the bar lies left of it.
  set_rows({hit_at(from, 255, 0)});
  draw(false);
  EXPECT_TRUE(is(pixel(chart.x - 4, middle_y), a.palette.dark_grey));
  EXPECT_TRUE(is(pixel(chart.x + 4, middle_y), a.palette.dark_grey));
  EXPECT_FALSE(is(pixel(chart.x - 6, middle_y), a.palette.dark_grey));
  EXPECT_FALSE(is(pixel(chart.x + 6, middle_y), a.palette.dark_grey));
  // The last second is drawn, centred on the chart's right end.
  const float right = chart.x + chart.w;
  set_rows({hit_at(to, 255, 2)});
  draw(false);
  EXPECT_TRUE(is(pixel(right - 4, middle_y), a.palette.slate)) << "position 2 is slate, not silver";
  EXPECT_TRUE(is(pixel(right + 4, middle_y), a.palette.slate));
  // One second outside either end is not.
  set_rows({hit_at(from - 1, 255, 1), hit_at(to + 1, 255, 1)});
  draw(false);
  EXPECT_FALSE(is(pixel(chart.x, middle_y), a.palette.gold));
  EXPECT_FALSE(is(pixel(right, middle_y), a.palette.gold));
  // The middle of the window, position 1 in gold and as high as its power.
  set_rows({hit_at((from + to) / 2, 128, 1)});
  draw(false);
  const float centre_x = chart.x + chart.w / 2;
  const float top = chart.y + chart.h - 128 * chart.h / 255;
  EXPECT_TRUE(is(pixel(centre_x, top + 2), a.palette.gold));
  EXPECT_FALSE(is(pixel(centre_x, top - 2), a.palette.gold));
}

// Once end to end: a hit queued as the hit-power training queues it, through the real record
// store and its thread, shows in the counter, the run's best and the chart once it is stored.
TEST(StatisticsWithStoreThread, AStoredHitReachesTheCounterAndTheChartOnceInTheFile) {
  std::string dir = make_temp_dir();
  AppState app;
  RecordStore* store = start_record_store(&app, dir.c_str());
  ASSERT_NE(store, nullptr);
  LayoutTable layout = layout_at(1920, 1080);
  const Display display{nullptr, 1920, 1080, 27};
  PointerState pointer;
  StatisticsState s;
  statistics_init(s);
  auto done = [&] {
    Hold hold(store->mutex);
    return store->requests_done;
  };
  for (int i = 0; i < 500 && done() == 0; ++i) usleep(10000);  // the first read-all

  const DateTime when = local_date_time();
  ASSERT_TRUE(store_queue_result(*store, 201, 2.5f, "A4C1380F12AB", when));
  char counter[32];

  // After the store has inserted and reloaded: counted, stored, ranked first, one gold bar.
  for (int i = 0; i < 500 && s.view.table_rows == 0; ++i) {
    usleep(10000);
    ScreenContext c = rules_context(app, pointer, layout, display, nullptr, store, SCREEN_MAIN_MENU);
    statistics_update(s, c);
  }
  counter_text(s.view, counter, sizeof counter);
  EXPECT_STREQ(counter, "1 / 1");
  EXPECT_EQ(s.view.run_best[0].value, 201);
  EXPECT_STREQ(s.view.run_best[0].mac4, "12AB");
  EXPECT_EQ(s.view.best[0].value, 201);
  ASSERT_EQ(s.rows.rows.size(), 1u);
  ASSERT_EQ(s.bars.batches.size(), 1u);
  EXPECT_EQ(s.bars.batches[0].colour, BAR_GOLD);
  stop_record_store(store);  // the thread frees the store
  remove_tree(dir);
}

}  // namespace
