// The statistics screen's rules on state alone: the window of each mode, window steps, held
// buttons, clicks and keys, and the delete dialog. No renderer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/lock_hold.h"
#include "app/window.h"
#include "screens/statistics.h"
#include "tests/support.h"

namespace {

DateTime at(int y, int mo, int d, int h, int mi, int s) { return DateTime{y, mo, d, h, mi, s}; }

std::string text(const DateTime& t) {
  char out[32];
  format_date_time(out, sizeof out, t);
  return out;
}

// A record store with no thread: the screen only reads its published fields and queues.
struct BareStore {
  RecordStore* store = new_record_store(nullptr, nullptr);
  ~BareStore() { free_record_store(store); }
};

class StatisticsRules : public ::testing::Test {
 protected:
  void SetUp() override { statistics_init_at(s, at(2025, 3, 14, 10, 20, 30)); }
  SDL_Point centre(const SDL_FRect& r) { return {(int)(r.x + r.w / 2), (int)(r.y + r.h / 2)}; }
  SDL_Point centre(const SDL_Rect& r) { return {r.x + r.w / 2, r.y + r.h / 2}; }
  template <typename R>
  void click(const R& r) {
    SDL_Point c = centre(r);
    pointer.event_x = c.x;
    pointer.event_y = c.y;
    statistics_click(s, ctx(bare.store));
  }
  void key(int32_t scancode) { statistics_key(s, ctx(bare.store), scancode); }
  void custom(const DateTime& from, const DateTime& to) {
    s.mode = MODE_CUSTOM;
    s.custom_from = from;
    s.custom_to = to;
  }
  int64_t from_seconds() { return date_time_seconds(s.custom_from); }
  int64_t to_seconds() { return date_time_seconds(s.custom_to); }

  StatisticsState s;
  BareStore bare;
  AppState app;
  PointerState pointer;
  LayoutTable layout = layout_at(1920, 1080);
  Display display{nullptr, 1920, 1080, display_unit(1080)};
  ScreenContext context{rules_context(app, pointer, layout, display, nullptr, nullptr, SCREEN_MAIN_MENU)};
  ScreenContext& ctx(RecordStore* store) {
    context.store = store;
    return context;
  }
};

TEST_F(StatisticsRules, EachModeHasItsWindow) {
  StoreView v;
  v.data_first = at(2025, 1, 2, 8, 0, 0);
  v.data_last = at(2025, 2, 3, 17, 59, 59);
  v.run_from = at(2025, 3, 14, 9, 0, 0);
  EXPECT_EQ(s.mode, MODE_ALL_TIME) << "the screen starts on all time";
  const struct {
    int32_t mode;
    DateTime run_to;
    const char *from, *to;
  } cases[] = {
      {MODE_ALL_TIME, {}, "2025-01-02 08:00:00", "2025-02-03 17:59:59"},
      {MODE_CURRENT_RUN, at(2025, 3, 14, 11, 59, 59), "2025-03-14 09:00:00", "2025-03-14 11:59:59"},
      // No hit yet in this run: the hour the run began.
      {MODE_CURRENT_RUN, {}, "2025-03-14 09:00:00", "2025-03-14 09:59:59"},
      // The custom window starts as the hour the program started in.
      {MODE_CUSTOM, {}, "2025-03-14 10:00:00", "2025-03-14 10:59:59"},
  };
  for (const auto& c : cases) {
    s.mode = c.mode;
    v.run_to = c.run_to;
    ChartWindow w = statistics_window(s, v);
    EXPECT_STREQ(w.from_text, c.from) << "mode " << c.mode;
    EXPECT_STREQ(w.to_text, c.to) << "mode " << c.mode;
    EXPECT_EQ(text(w.from), c.from);
  }
}

TEST_F(StatisticsRules, WindowStepsMoveBySixtiethsAndRefuseShortOrEarlyWindows) {
  const struct {
    const char* name;
    DateTime from, to;
    WindowStep step;
    int64_t moved_from, moved_to;  // seconds; both 0 when refused
  } cases[] = {
      {"an hour to 59:59 steps 59 s later", at(2025, 3, 1, 10, 0, 0), at(2025, 3, 1, 10, 59, 59), STEP_LATER, 59, 59},
      {"a whole hour steps 60 s later", at(2025, 3, 1, 10, 0, 0), at(2025, 3, 1, 11, 0, 0), STEP_LATER, 60, 60},
      {"earlier", at(2025, 3, 1, 10, 0, 0), at(2025, 3, 1, 11, 0, 0), STEP_EARLIER, -60, -60},
      {"wider keeps the centre", at(2025, 3, 1, 10, 0, 0), at(2025, 3, 1, 12, 0, 0), STEP_WIDER, -120, 120},
      {"narrower keeps the centre", at(2025, 3, 1, 10, 0, 0), at(2025, 3, 1, 12, 0, 0), STEP_NARROWER, 120, -120},
      {"narrowing 122 s leaves 118 s", at(2025, 3, 1, 10, 0, 0), at(2025, 3, 1, 10, 2, 2), STEP_NARROWER, 2, -2},
      {"narrowing 61 s would leave 59 s", at(2025, 3, 1, 10, 0, 0), at(2025, 3, 1, 10, 1, 1), STEP_NARROWER, 0, 0},
      {"a window of 61 s still moves", at(2025, 3, 1, 10, 0, 0), at(2025, 3, 1, 10, 1, 1), STEP_LATER, 1, 1},
      {"a day steps 24 minutes", at(2025, 3, 1, 0, 0, 0), at(2025, 3, 2, 0, 0, 0), STEP_EARLIER, -1440, -1440},
      {"a start in 2024 is refused", at(2024, 12, 31, 23, 0, 0), at(2025, 1, 1, 0, 59, 59), STEP_LATER, 0, 0},
      {"a step into 2025 is taken", at(2024, 12, 31, 23, 59, 0), at(2025, 1, 1, 0, 59, 0), STEP_LATER, 60, 60},
      {"a step back into 2024 is refused", at(2025, 1, 1, 0, 0, 30), at(2025, 1, 1, 1, 0, 30), STEP_EARLIER, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    custom(c.from, c.to);
    const int64_t a = from_seconds(), b = to_seconds();
    // The custom window keeps what it was when a step from it is refused.
    statistics_move_window(s, bare.store, c.step);
    EXPECT_EQ(s.mode, MODE_CUSTOM);
    EXPECT_EQ(from_seconds() - a, c.moved_from);
    EXPECT_EQ(to_seconds() - b, c.moved_to);
  }
}

// In the zone's own time, summer time included: a step of a 60-hour window is one hour on the
// clock, of a 60-day window one day, also across the nights the clocks change; and the
// calendar time the bars are placed by is the true moment the clock showed.
TEST_F(StatisticsRules, WindowStepsAreWholeClockHoursAndDaysInSummerTimeToo) {
  const struct {
    const char* zone;
    DateTime from, to;
    WindowStep step;
    const char *moved_from, *moved_to;
  } steps[] = {
      {"UTC", at(2025, 7, 10, 0, 0, 0), at(2025, 7, 12, 12, 0, 0), STEP_LATER,
       "2025-07-10 01:00:00", "2025-07-12 13:00:00"},
      {"Europe/Berlin", at(2025, 7, 10, 0, 0, 0), at(2025, 7, 12, 12, 0, 0), STEP_LATER,
       "2025-07-10 01:00:00", "2025-07-12 13:00:00"},
      {"Europe/Berlin", at(2025, 7, 10, 21, 0, 0), at(2025, 7, 10, 21, 59, 59), STEP_EARLIER,
       "2025-07-10 20:59:01", "2025-07-10 21:59:00"},
      // Spring: 02:00 becomes 03:00 on the 30th of March.
      {"Europe/Berlin", at(2025, 3, 29, 0, 0, 0), at(2025, 3, 31, 12, 0, 0), STEP_LATER,
       "2025-03-29 01:00:00", "2025-03-31 13:00:00"},
      {"Europe/Berlin", at(2025, 3, 1, 0, 0, 0), at(2025, 4, 30, 0, 0, 0), STEP_LATER,
       "2025-03-02 00:00:00", "2025-05-01 00:00:00"},
      // Autumn: 03:00 becomes 02:00 again on the 26th of October.
      {"Europe/Berlin", at(2025, 10, 25, 0, 0, 0), at(2025, 10, 27, 12, 0, 0), STEP_EARLIER,
       "2025-10-24 23:00:00", "2025-10-27 11:00:00"},
      {"Europe/Berlin", at(2025, 10, 26, 0, 0, 0), at(2025, 10, 26, 4, 0, 0), STEP_WIDER,
       "2025-10-25 23:56:00", "2025-10-26 04:04:00"},
      {"Australia/Sydney", at(2025, 12, 5, 21, 0, 0), at(2025, 12, 5, 21, 59, 59), STEP_EARLIER,
       "2025-12-05 20:59:01", "2025-12-05 21:59:00"},
      {"Australia/Sydney", at(2025, 12, 5, 0, 0, 0), at(2025, 12, 7, 12, 0, 0), STEP_EARLIER,
       "2025-12-04 23:00:00", "2025-12-07 11:00:00"},
  };
  const struct {
    const char* zone;
    DateTime clock;
    int64_t moment;
  } moments[] = {
      {"UTC", at(2025, 7, 1, 10, 0, 0), 1751364000},
      {"Europe/Berlin", at(2025, 7, 1, 12, 0, 0), 1751364000},
      {"Europe/Berlin", at(2025, 3, 30, 3, 30, 0), 1743298200},
      {"Europe/Berlin", at(2025, 10, 26, 3, 0, 0), 1761444000},
      {"Australia/Sydney", at(2025, 12, 1, 12, 0, 0), 1764550800},
  };
  const char* zone_before = getenv("TZ");
  const std::string saved = zone_before ? zone_before : "";
  for (const auto& c : steps) {
    SCOPED_TRACE(std::string(c.zone) + " " + text(c.from) + " to " + text(c.to));
    setenv("TZ", c.zone, 1);
    tzset();
    custom(c.from, c.to);
    statistics_move_window(s, bare.store, c.step);
    EXPECT_EQ(text(s.custom_from), c.moved_from);
    EXPECT_EQ(text(s.custom_to), c.moved_to);
  }
  for (const auto& m : moments) {
    SCOPED_TRACE(std::string(m.zone) + " " + text(m.clock));
    setenv("TZ", m.zone, 1);
    tzset();
    EXPECT_EQ(date_time_seconds(m.clock), m.moment);
  }
  if (zone_before) setenv("TZ", saved.c_str(), 1);
  else unsetenv("TZ");
  tzset();
}

TEST_F(StatisticsRules, AStepFromAnotherModeStartsFromThatModesWindow) {
  {
    Hold hold(bare.store->mutex);
    bare.store->data_first = at(2025, 2, 1, 10, 0, 0);
    bare.store->data_last = at(2025, 2, 1, 10, 59, 59);
    bare.store->run_from = at(2025, 3, 14, 9, 0, 0);
  }
  s.mode = MODE_ALL_TIME;
  key(KEY_RIGHT);
  EXPECT_EQ(s.mode, MODE_CUSTOM);
  EXPECT_EQ(text(s.custom_from), "2025-02-01 10:00:59");
  EXPECT_EQ(text(s.custom_to), "2025-02-01 11:00:58");

  s.mode = MODE_CURRENT_RUN;  // no hit yet: the run's first hour
  key(KEY_LEFT);
  EXPECT_EQ(text(s.custom_from), "2025-03-14 08:59:01");
  EXPECT_EQ(text(s.custom_to), "2025-03-14 09:59:00");

  // Data from 2024: the step is refused, the mode is custom all the same, and the chart shows
  // the custom window as it was.
  {
    Hold hold(bare.store->mutex);
    bare.store->data_first = at(2024, 6, 1, 10, 0, 0);
  }
  s.mode = MODE_ALL_TIME;
  key(KEY_UP);
  EXPECT_EQ(s.mode, MODE_CUSTOM);
  EXPECT_EQ(text(s.custom_from), "2025-03-14 08:59:01");
}

TEST_F(StatisticsRules, HeldButtonsActEveryFrameFromTheFrameAfterThePress) {
  // Frames as dispatch runs them: the poll first, then the frame's events.
  auto hold = [&](SDL_Point at, int frames) {
    for (int f = 1; f <= frames; ++f) {
      statistics_pointer_poll(s, ctx(bare.store));
      if (f == 1) {  // the press is read after the first poll
        pointer.left_down = 1;
        pointer.event_x = at.x;
        pointer.event_y = at.y;
        statistics_click(s, ctx(bare.store));
      }
      if (f == frames) pointer.left_down = 0;  // released in the last frame, after its poll
    }
  };
  custom(at(2025, 3, 1, 10, 0, 0), at(2025, 3, 1, 11, 0, 0));
  const int64_t a = from_seconds();
  hold(centre(layout.navRightRect), 5);
  EXPECT_EQ(from_seconds() - a, 4 * 60) << "five frames, four steps";
  hold(centre(layout.navLeftRect), 2);
  EXPECT_EQ(from_seconds() - a, 3 * 60);
  hold(centre(layout.navUpRect), 2);
  EXPECT_EQ(to_seconds() - from_seconds(), 3600 + 120);
  hold(centre(layout.navDownRect), 3);
  EXPECT_EQ(to_seconds() - from_seconds(), 3720 - 2 * 62 - 2 * 59) << "each step a sixtieth of the span then";

  hold(centre(layout.minusRect), 5);
  EXPECT_EQ(s.bar_width, 2.0f) << "never below two pixels";
  hold(centre(layout.plusRect), 10);
  EXPECT_EQ(s.bar_width, 11.0f);
  hold(centre(layout.plusRect), 100);
  EXPECT_EQ(s.bar_width, 2 * display.unit) << "never wider than two units";
  hold(centre(layout.minusRect), 4);
  EXPECT_EQ(s.bar_width, 2 * display.unit - 3);

  // While the dialog is open nothing is held and the hover flags stay as they were. (A press
  // outside the panel closes it, so here the button is already down.)
  s.dialog_open = 1;
  s.chart_hover = s.up_hover = 1;
  const int64_t before = from_seconds();
  pointer.x = pointer.y = 0;
  pointer.left_down = 1;
  for (SDL_Point place : {centre(layout.navRightRect), centre(layout.plusRect)}) {
    pointer.event_x = place.x;
    pointer.event_y = place.y;
    for (int f = 0; f < 5; ++f) statistics_pointer_poll(s, ctx(bare.store));
  }
  EXPECT_EQ(from_seconds(), before);
  EXPECT_EQ(s.bar_width, 2 * display.unit - 3);
  EXPECT_EQ(s.chart_hover + s.up_hover, 2);
}

TEST_F(StatisticsRules, HoverFlagsFollowThePointer) {
  const struct {
    SDL_Point at;
    int32_t chart, minus, plus, left, up, right, down, mode;
  } cases[] = {
      {centre(layout.navUpRect), 1, 0, 0, 0, 1, 0, 0, 0},
      {centre(layout.navLeftRect), 1, 0, 0, 1, 0, 0, 0, 0},
      {centre(layout.navRightRect), 1, 0, 0, 0, 0, 1, 0, 0},
      {centre(layout.navDownRect), 1, 0, 0, 0, 0, 0, 1, 0},
      {centre(layout.navCentreRect), 1, 0, 0, 0, 0, 0, 0, 1},
      {centre(layout.minusRect), 1, 1, 0, 0, 0, 0, 0, 0},
      {centre(layout.plusRect), 1, 0, 1, 0, 0, 0, 0, 0},
      {centre(layout.chartRect), 1, 0, 0, 0, 0, 0, 0, 0},
      {{(int)layout.chartRect.x, centre(layout.chartRect).y}, 1, 0, 0, 0, 0, 0, 0, 0},  // edges count
      {centre(layout.closeButtonRect), 0, 0, 0, 0, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    pointer.x = c.at.x;
    pointer.y = c.at.y;
    statistics_pointer_poll(s, ctx(bare.store));
    EXPECT_EQ((std::vector<int32_t>{s.chart_hover, s.minus_hover, s.plus_hover, s.left_hover, s.up_hover,
                                    s.right_hover, s.down_hover, s.mode_hover}),
              (std::vector<int32_t>{c.chart, c.minus, c.plus, c.left, c.up, c.right, c.down, c.mode}))
        << c.at.x << "," << c.at.y;
  }
}

TEST_F(StatisticsRules, KeysWithTheDialogClosed) {
  const struct {
    int32_t mode_before, key, mode_after;
  } modes[] = {{MODE_ALL_TIME, KEY_SPACE, MODE_CURRENT_RUN},
               {MODE_CURRENT_RUN, KEY_SPACE, MODE_ALL_TIME},
               {MODE_CUSTOM, KEY_SPACE, MODE_ALL_TIME},
               {MODE_ALL_TIME, KEY_DOWN, MODE_CUSTOM},
               {MODE_CURRENT_RUN, KEY_UP, MODE_CUSTOM},
               {MODE_ALL_TIME, 4 /* A */, MODE_ALL_TIME}};
  for (const auto& m : modes) {
    s.mode = m.mode_before;
    key(m.key);
    EXPECT_EQ(s.mode, m.mode_after) << "key " << m.key << " from mode " << m.mode_before;
  }
  key(KEY_KEYPAD_PLUS);
  key(KEY_KEYPAD_PLUS);
  EXPECT_EQ(s.bar_width, 4.0f);
  key(KEY_KEYPAD_MINUS);
  EXPECT_EQ(s.bar_width, 3.0f);

  s.clear_run_checked = 0;
  s.clear_all_checked = 1;
  key(KEY_DELETE);
  EXPECT_EQ(s.dialog_open, 1);
  EXPECT_EQ(s.clear_run_checked, 1) << "the dialog always opens with the first option ticked";
  EXPECT_EQ(s.clear_all_checked, 0);

  // With the dialog open only Escape counts, and it closes the dialog; a second one leaves.
  const StatisticsState before = s;
  for (int32_t k : {KEY_SPACE, KEY_DELETE, KEY_RIGHT, KEY_LEFT, KEY_UP, KEY_DOWN, KEY_KEYPAD_MINUS,
                    KEY_KEYPAD_PLUS}) {
    s.clear_all_checked = 1;  // Delete would reset it
    key(k);
    EXPECT_EQ(s.mode, before.mode) << k;
    EXPECT_EQ(s.bar_width, before.bar_width) << k;
    EXPECT_EQ(text(s.custom_from), text(before.custom_from)) << k;
    EXPECT_EQ(s.clear_all_checked, 1) << k;
    EXPECT_EQ(s.dialog_open, 1) << k;
  }
  key(KEY_ESCAPE);
  EXPECT_EQ(s.dialog_open, 0);
  EXPECT_EQ(app.screen, SCREEN_INTRO);
  key(KEY_ESCAPE);
  EXPECT_EQ(app.screen, SCREEN_MAIN_MENU);
}

TEST_F(StatisticsRules, ClicksWithTheDialogClosed) {
  click(layout.navCentreRect);
  EXPECT_EQ(s.mode, MODE_CURRENT_RUN);
  click(layout.navCentreRect);
  EXPECT_EQ(s.mode, MODE_ALL_TIME);
  s.mode = MODE_CUSTOM;
  click(layout.navCentreRect);
  EXPECT_EQ(s.mode, MODE_ALL_TIME);
  click(layout.dialogButtonPairLeftRect);  // the dialog's places do nothing while it is closed
  EXPECT_EQ(s.dialog_open, 0);
  click(layout.backButtonRect);
  EXPECT_EQ(app.screen, SCREEN_MAIN_MENU);
  EXPECT_EQ(app.running, 1);
  click(layout.closeButtonRect);
  EXPECT_EQ(app.running, 0);
}

TEST_F(StatisticsRules, TheDialogOpensAfreshAndOnlyItsOwnPlacesAnswer) {
  click(layout.repeatButtonRect);
  EXPECT_EQ(s.dialog_open, 1);
  click(layout.sessionBoxRect);
  click(layout.allTimeBoxRect);
  EXPECT_EQ(s.clear_run_checked, 0);
  EXPECT_EQ(s.clear_all_checked, 1);
  click(layout.sessionBoxRect);
  EXPECT_EQ(s.clear_run_checked, 1);

  // The header and the mode button are tested first; while the dialog is open they do nothing.
  for (const SDL_FRect* place : {&layout.closeButtonRect, &layout.backButtonRect, &layout.navCentreRect,
                                 &layout.repeatButtonRect}) {
    click(*place);
    EXPECT_EQ(app.running, 1);
    EXPECT_EQ(app.screen, SCREEN_INTRO);
    EXPECT_EQ(s.mode, MODE_ALL_TIME);
    EXPECT_EQ(s.dialog_open, 1);
    EXPECT_EQ(s.clear_all_checked, 1) << "the reset place does not open it afresh";
  }
  click(layout.dialogButtonPairRightRect);  // "Отмена"
  EXPECT_EQ(s.dialog_open, 0);
  click(layout.repeatButtonRect);
  EXPECT_EQ(s.clear_run_checked, 1);
  EXPECT_EQ(s.clear_all_checked, 0) << "opened twice, the options are reset";

  // Inside the panel but on none of its places: nothing; outside it: closed.
  pointer.event_x = (int)(layout.dialogPanelRect.x + 2);
  pointer.event_y = (int)(layout.dialogPanelRect.y + 2);
  statistics_click(s, ctx(bare.store));
  EXPECT_EQ(s.dialog_open, 1);
  pointer.event_x = (int)(layout.dialogPanelRect.x - 2);
  statistics_click(s, ctx(bare.store));
  EXPECT_EQ(s.dialog_open, 0);
}

TEST_F(StatisticsRules, OkClearsTheRunsBestAndQueuesOneDeleteAsTicked) {
  const struct {
    int32_t run, all;
    bool cleared;
    int32_t deletes;
  } cases[] = {{1, 1, true, 1}, {1, 0, true, 0}, {0, 1, false, 1}, {0, 0, false, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.run) + std::to_string(c.all));
    BareStore fresh;
    {
      Hold hold(fresh.store->mutex);
      for (int k = 0; k < 3; ++k) {
        fresh.store->run_best[k].value = 100 - k;
        snprintf(fresh.store->run_best[k].when, sizeof fresh.store->run_best[k].when, "2025-03-14 10:0%d:00", k);
      }
      fresh.store->run_hits = 5;
      fresh.store->table_rows = 40;
    }
    s.dialog_open = 1;
    s.clear_run_checked = c.run;
    s.clear_all_checked = c.all;
    SDL_Point ok = centre(layout.dialogButtonPairLeftRect);
    pointer.event_x = ok.x;
    pointer.event_y = ok.y;
    statistics_click(s, ctx(fresh.store));
    EXPECT_EQ(s.dialog_open, 0);
    Hold hold(fresh.store->mutex);
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(fresh.store->run_best[k].value, c.cleared ? 0 : 100 - k);
      EXPECT_STRNE(fresh.store->run_best[k].when, "") << "the texts stay";
    }
    EXPECT_EQ(fresh.store->run_hits, 5);
    EXPECT_EQ(fresh.store->table_rows, 40) << "stored rows are counted by the store alone";
    EXPECT_EQ(fresh.store->request_count, c.deletes);
    if (c.deletes) {
      EXPECT_EQ(fresh.store->requests[0].code, STORE_DELETE_ALL);
    }
  }
}

TEST(StatisticsTexts, RecordRowsAndCounter) {
  const struct {
    int32_t value;
    const char* shown;
  } values[] = {{0, "---"}, {1, "1"}, {255, "255"}, {256, "---"}, {-3, "---"}};
  for (const auto& v : values) {
    char out[12];
    record_value_text(v.value, out, sizeof out);
    EXPECT_STREQ(out, v.shown);
  }
  StoreView view;
  view.run_hits = 3;
  view.table_rows = 1207;
  char counter[32];
  counter_text(view, counter, sizeof counter);
  EXPECT_STREQ(counter, "3 / 1207");
}

// A fresh database through the store's own start and first read-all.
TEST(StatisticsWithStore, AFreshDatabaseShowsNoRecordsNoBarsAndTheCurrentHour) {
  std::string dir = make_temp_dir();
  RecordStore* store = new_record_store(nullptr, dir.c_str());
  const DateTime before = local_date_time();
  store_begin(*store);
  while (store_serve_next(*store)) {
  }
  const DateTime after = local_date_time();
  StatisticsState s;
  statistics_init(s);
  AppState app;
  PointerState pointer;
  LayoutTable layout = layout_at(1920, 1080);
  const Display display{nullptr, 1920, 1080, 27};
  ScreenContext c = rules_context(app, pointer, layout, display, nullptr, store, SCREEN_MAIN_MENU);
  statistics_update(s, c);
  for (int k = 0; k < 3; ++k) {
    EXPECT_FALSE(record_shown(s.view.run_best[k].value));
    EXPECT_FALSE(record_shown(s.view.best[k].value));
  }
  char counter[32];
  counter_text(s.view, counter, sizeof counter);
  EXPECT_STREQ(counter, "0 / 0");
  ChartWindow w = statistics_window(s, s.view);
  std::string from = w.from_text, to = w.to_text;
  EXPECT_TRUE(from == text(hour_start_of(before)) || from == text(hour_start_of(after))) << from;
  EXPECT_TRUE(to == text(hour_end_of(before)) || to == text(hour_end_of(after))) << to;
  EXPECT_TRUE(s.bars.rects.empty());
  free_record_store(store);
  remove_tree(dir);
}

}  // namespace
