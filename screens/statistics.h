// Screen 5: the hit-power records of the current run and of all time, the counters, and a chart
// of the stored hits in a time window the player moves and zooms; a dialog deletes records.
#pragma once

#include <cstdint>

#include "core/records.h"
#include "assets/catalog.h"
#include "assets/layout.h"
#include "screens/statistics_chart.h"
#include "store/record_store.h"
#include "ui/screen.h"

enum ChartMode : int32_t { MODE_ALL_TIME = 0, MODE_CURRENT_RUN = 1, MODE_CUSTOM = 2 };
enum WindowStep : int32_t { STEP_EARLIER, STEP_LATER, STEP_WIDER, STEP_NARROWER };

struct StatisticsState {
  DateTime custom_from;  // the custom window: the current hour at start
  DateTime custom_to;
  int32_t mode = MODE_ALL_TIME;
  float bar_width = 2.0f;  // pixels
  int32_t chart_hover = 0;
  int32_t minus_hover = 0;
  int32_t plus_hover = 0;
  int32_t left_hover = 0;
  int32_t up_hover = 0;
  int32_t right_hover = 0;
  int32_t down_hover = 0;
  int32_t mode_hover = 0;
  int32_t dialog_open = 0;
  int32_t clear_run_checked = 1;
  int32_t clear_all_checked = 0;
  // What this frame shows, taken from the record store by statistics_update.
  StoreView view;
  ChartRows rows;
  ChartBars bars;
};

// The chart's window: its ends and their texts.
struct ChartWindow {
  DateTime from, to;
  char from_text[32] = {};
  char to_text[32] = {};
};

// What a record row shows for its value: the number for 1 to 255, otherwise "---" (no record).
bool record_shown(int32_t value);
void record_value_text(int32_t value, char* out, int size);
// The counter: "%d / %d" of the run's hits and the stored hits.
void counter_text(const StoreView& view, char* out, int size);

// Start of the run: the custom window is the current hour, the rest as declared.
void statistics_init(StatisticsState& state);
void statistics_init_at(StatisticsState& state, const DateTime& now);

// The window of the current mode, from what the store published.
ChartWindow statistics_window(const StatisticsState& state, const StoreView& view);
// One step of the window (a sixtieth of its length); the mode becomes custom even when the
// step is refused (a start before 2025, or 60 s or less left).
void statistics_move_window(StatisticsState& state, RecordStore* store, WindowStep step);

// Input dispatch: once per frame before the events (hover flags, held buttons), each left
// click, each key press.
void statistics_pointer_poll(StatisticsState& state, ScreenContext& c);
void statistics_click(StatisticsState& state, ScreenContext& c);
void statistics_key(StatisticsState& state, ScreenContext& c, int32_t scancode);

// Every frame before the draw: what the store published, in one hold, and the rows when they
// changed; then the chart's bars for the current window.
void statistics_read_store(StatisticsState& state, RecordStore* store);
void statistics_lay_chart(StatisticsState& state, const LayoutTable& layout, const Display& display);
void statistics_update(StatisticsState& state, ScreenContext& c);
// Where the bars of the current window go.
ChartGeometry statistics_chart_geometry(const StatisticsState& state, const LayoutTable& layout,
                                        const Display& display);

void statistics_draw(const StatisticsState& state, ScreenContext& c);
// The same screen with the chart's bars drawn by the plain per-row rule.
void statistics_draw_per_row(const FrameClock& clock, const StatisticsState& state,
                             const TextureCatalog& textures, const LayoutTable& layout,
                             const Display& display, const Palette& palette, const FontSet& fonts);
extern const ScreenDef statistics_screen;
