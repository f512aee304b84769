// The statistics chart's bars: every stored hit of the time window as a bar of its power, worked
// out so that a frame visits only the rows inside the window and fills each pixel about once,
// however many hits are stored.
#pragma once

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/records.h"
#include "store/record_store.h"

// The stored rows as the chart reads them: a copy taken when the store's rows change, cut into
// runs whose times never decrease (a single run when hits were stored in time order), so the
// window is found by binary search in each run and rows are still visited in table order.
struct ChartRows {
  std::vector<HitRow> rows;
  std::vector<int32_t> run_starts;  // first row of each run; a run ends where the next begins
  uint32_t version = 0;             // the store's rows_version of the copy
};
// Copies the store's rows when they changed since the last copy; true when it copied.
bool chart_rows_take(ChartRows& rows, RecordStore& store);
// The runs, worked out again after `rows` was filled.
void chart_rows_index(ChartRows& rows);
// Calls visit(row index) for every row with from <= time <= to, in table order.
template <typename Visit>
void chart_rows_in_window(const ChartRows& rows, int64_t from, int64_t to, Visit visit);

// Where the bars go: the axes, the bar size and the window's ends in seconds.
struct ChartGeometry {
  float x0 = 0;      // the vertical axis
  float width = 0;   // from the axis to the chart's right end
  float base = 0;    // the horizontal axis
  float height = 0;  // of a bar of power 255
  float bar_width = 0;
  int64_t from = 0, to = 0;  // both ends belong to the window
};
bool operator==(const ChartGeometry& a, const ChartGeometry& b);
// A window of no length places nothing.
bool chart_has_span(const ChartGeometry& g);
// One bar: centred on its time, standing on the horizontal axis.
SDL_FRect chart_bar_rect(const ChartGeometry& g, int64_t t, int32_t value);

// Bar colours by record position: 1 gold, 2 slate, 3 brown, any other dark grey.
enum BarColour : int32_t { BAR_GOLD, BAR_SLATE, BAR_BROWN, BAR_GREY, BAR_COLOUR_COUNT };
BarColour bar_colour(int32_t record_position);
SDL_Color bar_colour_rgba(BarColour colour, const Palette& palette);

// One frame's bars: runs of rectangles of one colour, filled in order.
struct BarBatch {
  BarColour colour;
  int32_t first, count;
};
struct BarPixels {
  int32_t x, y, w, h;  // the whole pixels a bar covers
  BarColour colour;
};
struct ChartSlab {
  int32_t x, level;
};
// What bars cover in one column: every row from `top` down to the axis rows, and which of the
// two axis rows (bit 0 the upper).
struct ChartCover {
  int32_t top;
  uint8_t low;
};
struct ChartBars {
  std::vector<SDL_FRect> rects;
  std::vector<BarBatch> batches;
  // What the bars were laid out for: an unchanged frame keeps them.
  ChartGeometry laid;
  uint32_t laid_version = 0;
  bool laid_once = false;
  // Scratch of the layout pass, kept between frames so it does not allocate each time.
  std::vector<BarPixels> pixels;
  std::vector<int32_t> cover_top;  // by the column a bar starts in
  std::vector<uint8_t> cover_low;
  std::vector<ChartCover> union_cover;  // by column
  std::vector<ChartSlab> stack;
};

// The rectangles that fill exactly the pixels the plain rule (each row of the window in table
// order, one filled rectangle, later rows over earlier ones) fills on a software renderer:
// hidden parts are left out and the grey bars merge into horizontal slabs.
void lay_chart_bars(ChartBars& bars, const ChartRows& rows, const ChartGeometry& g);
void draw_chart_bars(const FrameClock& clock, const ChartBars& bars, const Palette& palette);
// The plain rule itself: one calendar_time and one fill per row, per frame. The batched bars are
// checked and measured against it.
void draw_chart_bars_per_row(const FrameClock& clock, const std::vector<HitRow>& rows,
                             const ChartGeometry& g, const Palette& palette);

template <typename Visit>
void chart_rows_in_window(const ChartRows& rows, int64_t from, int64_t to, Visit visit) {
  const HitRow* all = rows.rows.data();
  const size_t runs = rows.run_starts.size();
  for (size_t k = 0; k < runs; ++k) {
    const HitRow* first = all + rows.run_starts[k];
    const HitRow* last = k + 1 < runs ? all + rows.run_starts[k + 1] : all + rows.rows.size();
    const HitRow* a = std::partition_point(first, last, [&](const HitRow& r) { return r.time < from; });
    const HitRow* b = std::partition_point(a, last, [&](const HitRow& r) { return r.time <= to; });
    for (const HitRow* r = a; r < b; ++r) visit((int32_t)(r - all));
  }
}
