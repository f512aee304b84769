#include "screens/statistics_chart.h"

#include <cmath>

#include "core/date_time.h"

namespace {

SDL_Color Palette::*const bar_colours[BAR_COLOUR_COUNT] = {&Palette::gold, &Palette::slate,
                                                            &Palette::brown, &Palette::dark_grey};

// A bar hides whatever it covers only when its colour is opaque; the batched bars rely on it.
constexpr Palette bar_palette{};
static_assert(bar_palette.gold.a == 255 && bar_palette.slate.a == 255 &&
                  bar_palette.brown.a == 255 && bar_palette.dark_grey.a == 255,
              "chart bars are opaque");

// The whole pixels a software renderer fills for a float rectangle: each coordinate truncated
// toward zero, at least one pixel each way. False when a coordinate is out of the range where
// that holds (a foreign value far off the screen).
bool pixels_of(const SDL_FRect& f, BarPixels& p) {
  const float limit = 16777216.0f;  // every int below it is an exact float
  if (!(std::fabs(f.x) < limit && std::fabs(f.y) < limit && std::fabs(f.w) < limit &&
        std::fabs(f.h) < limit))
    return false;
  p.x = (int32_t)f.x;
  p.y = (int32_t)f.y;
  p.w = (int32_t)f.w > 1 ? (int32_t)f.w : 1;
  p.h = (int32_t)f.h > 1 ? (int32_t)f.h : 1;
  return true;
}

SDL_FRect whole(int32_t x, int32_t y, int32_t w, int32_t h) {
  return {(float)x, (float)y, (float)w, (float)h};
}

void add_batch(ChartBars& bars, BarColour colour, int32_t first) {
  int32_t count = (int32_t)bars.rects.size() - first;
  if (count <= 0) return;
  if (!bars.batches.empty() && bars.batches.back().colour == colour &&
      bars.batches.back().first + bars.batches.back().count == first)
    bars.batches.back().count += count;
  else
    bars.batches.push_back({colour, first, count});
}

// Every bar of the window as it stands, in table order: for data whose bars do not all end on
// the axis rows (foreign values), where leaving hidden parts out would need more than a skyline.
void lay_every_bar(ChartBars& bars, const ChartRows& rows, const ChartGeometry& g) {
  chart_rows_in_window(rows, g.from, g.to, [&](int32_t i) {
    const HitRow& r = rows.rows[(size_t)i];
    int32_t first = (int32_t)bars.rects.size();
    bars.rects.push_back(chart_bar_rect(g, r.time, r.value));
    add_batch(bars, bar_colour(r.record_position), first);
  });
}

// What the grey bars laid so far cover. Every bar is equally wide, so they are kept by the
// column they start in: the highest top there, and which of the two axis rows they fill (bars
// of powers 0 to 255 all end within the three rows at the axis, so above those rows a bar
// covers everything from its top down). A column's cover is that of the starts within one bar
// width to its left: the cost does not grow with the number of bars or their width.
struct Axis {
  int32_t low_row;  // first row below the skyline part: the base row less one
  int32_t first_column;
  int32_t bar_width;  // in whole pixels
};

uint8_t axis_rows(const Axis& a, const BarPixels& p) {
  uint8_t bits = 0;
  for (int32_t k = 0; k < 2; ++k) {
    int32_t row = a.low_row + k;
    if (p.y <= row && row < p.y + p.h) bits |= (uint8_t)(1 << k);
  }
  return bits;
}

void cover(ChartBars& bars, const Axis& a, const BarPixels& p) {
  size_t start = (size_t)(p.x - a.first_column);
  if (p.y < bars.cover_top[start]) bars.cover_top[start] = p.y;
  bars.cover_low[start] |= axis_rows(a, p);
}

ChartCover column_cover(const ChartBars& bars, const Axis& a, int32_t column) {
  ChartCover c{a.low_row, 0};
  int32_t i = column - a.first_column;
  for (int32_t s = i - a.bar_width + 1 > 0 ? i - a.bar_width + 1 : 0; s <= i; ++s) {
    if (bars.cover_top[(size_t)s] < c.top) c.top = bars.cover_top[(size_t)s];
    c.low |= bars.cover_low[(size_t)s];
  }
  return c;
}

// The rows of a column left visible: at most three intervals, top to bottom.
struct ColumnPart {
  int32_t n = 0;
  int32_t top[3], bottom[3];
  void add(int32_t from, int32_t to) {
    if (n > 0 && bottom[n - 1] == from) bottom[n - 1] = to;
    else top[n] = from, bottom[n] = to, ++n;
  }
  bool operator==(const ColumnPart& o) const {
    if (n != o.n) return false;
    for (int32_t k = 0; k < n; ++k)
      if (top[k] != o.top[k] || bottom[k] != o.bottom[k]) return false;
    return true;
  }
};

// What of a coloured bar the grey bars after it leave visible, merged across equal columns.
void lay_visible_part(ChartBars& bars, const Axis& a, const BarPixels& p,
                      std::vector<SDL_FRect>& out) {
  ColumnPart open;
  int32_t open_x = p.x;
  auto close = [&](int32_t end) {
    for (int32_t k = 0; k < open.n; ++k)
      out.push_back(whole(open_x, open.top[k], end - open_x, open.bottom[k] - open.top[k]));
  };
  const uint8_t own = axis_rows(a, p);
  for (int32_t c = p.x; c < p.x + p.w; ++c) {
    const ChartCover later = column_cover(bars, a, c);
    ColumnPart part;
    if (p.y < later.top) part.add(p.y, later.top);
    for (int32_t k = 0; k < 2; ++k)
      if ((own & ~later.low) & (1 << k)) part.add(a.low_row + k, a.low_row + k + 1);
    if (c > p.x && part == open) continue;
    close(c);
    open = part;
    open_x = c;
  }
  close(p.x + p.w);
}

// The union of the grey bars: the skyline above the axis rows as horizontal slabs (few rows
// each, so the fill runs along whole rows), then the two axis rows as runs.
void lay_grey_union(ChartBars& bars, const Axis& a, int32_t columns) {
  std::vector<ChartCover>& union_cover = bars.union_cover;
  union_cover.resize((size_t)columns);
  for (int32_t i = 0; i < columns; ++i) union_cover[(size_t)i] = column_cover(bars, a, a.first_column + i);
  std::vector<ChartSlab>& stack = bars.stack;
  stack.clear();
  for (int32_t i = 0; i <= columns; ++i) {
    int32_t level = i < columns ? a.low_row - union_cover[(size_t)i].top : 0;
    int32_t start = i;
    while (!stack.empty() && stack.back().level > level) {
      ChartSlab s = stack.back();
      stack.pop_back();
      int32_t below = stack.empty() ? 0 : stack.back().level;
      if (below < level) below = level;
      bars.rects.push_back(
          whole(a.first_column + s.x, a.low_row - s.level, i - s.x, s.level - below));
      start = s.x;
    }
    if (level > (stack.empty() ? 0 : stack.back().level)) stack.push_back({start, level});
  }
  for (int32_t k = 0; k < 2; ++k) {
    int32_t run = -1;
    for (int32_t i = 0; i <= columns; ++i) {
      bool on = i < columns && (union_cover[(size_t)i].low & (1 << k));
      if (on && run < 0) run = i;
      if (!on && run >= 0) {
        bars.rects.push_back(whole(a.first_column + run, a.low_row + k, i - run, 1));
        run = -1;
      }
    }
  }
}

}  // namespace

bool chart_rows_take(ChartRows& rows, RecordStore& store) {
  if (!store_copy_rows(store, rows.rows, rows.version)) return false;
  chart_rows_index(rows);
  return true;
}

void chart_rows_index(ChartRows& rows) {
  rows.run_starts.clear();
  for (size_t i = 0; i < rows.rows.size(); ++i)
    if (i == 0 || rows.rows[i].time < rows.rows[i - 1].time) rows.run_starts.push_back((int32_t)i);
}

bool operator==(const ChartGeometry& a, const ChartGeometry& b) {
  return a.x0 == b.x0 && a.width == b.width && a.base == b.base && a.height == b.height &&
         a.bar_width == b.bar_width && a.from == b.from && a.to == b.to;
}

bool chart_has_span(const ChartGeometry& g) { return g.to > g.from; }

SDL_FRect chart_bar_rect(const ChartGeometry& g, int64_t t, int32_t value) {
  float h = (float)value * g.height / 255.0f;
  double x = g.x0 + (double)(t - g.from) * g.width / (double)(g.to - g.from) - g.bar_width / 2.0;
  return {(float)x, g.base - h, g.bar_width, h};
}

BarColour bar_colour(int32_t record_position) {
  switch (record_position) {
    case 1: return BAR_GOLD;
    case 2: return BAR_SLATE;
    case 3: return BAR_BROWN;
    default: return BAR_GREY;
  }
}

SDL_Color bar_colour_rgba(BarColour colour, const Palette& palette) {
  return palette.*bar_colours[colour];
}

void lay_chart_bars(ChartBars& bars, const ChartRows& rows, const ChartGeometry& g) {
  if (bars.laid_once && bars.laid_version == rows.version && bars.laid == g) return;
  bars.laid = g;
  bars.laid_version = rows.version;
  bars.laid_once = true;
  bars.rects.clear();
  bars.batches.clear();
  bars.pixels.clear();
  if (!chart_has_span(g)) return;

  // Bars of powers 0 to 255 all end on one of the three rows at the axis.
  const int32_t base = (int32_t)std::floor(g.base);
  bool regular = true;
  int32_t left = INT32_MAX, right = INT32_MIN;
  chart_rows_in_window(rows, g.from, g.to, [&](int32_t i) {
    const HitRow& r = rows.rows[(size_t)i];
    BarPixels p{};
    if (!regular || !pixels_of(chart_bar_rect(g, r.time, r.value), p) || p.y + p.h < base - 1 ||
        p.y + p.h > base + 1) {
      regular = false;
      return;
    }
    p.colour = bar_colour(r.record_position);
    bars.pixels.push_back(p);
    left = p.x < left ? p.x : left;
    right = p.x + p.w > right ? p.x + p.w : right;
  });
  if (!regular) {
    lay_every_bar(bars, rows, g);
    return;
  }
  if (bars.pixels.empty()) return;

  const Axis a{base - 1, left, bars.pixels[0].w};
  const int32_t columns = right - left;
  bars.cover_top.assign((size_t)columns, a.low_row);
  bars.cover_low.assign((size_t)columns, 0);
  // Last bar first: a coloured bar keeps what no later grey bar covers; later coloured bars are
  // simply drawn after it, in table order.
  std::vector<SDL_FRect> coloured;
  std::vector<BarBatch> coloured_parts;  // latest bar first
  for (size_t j = bars.pixels.size(); j-- > 0;) {
    const BarPixels& p = bars.pixels[j];
    if (p.colour == BAR_GREY) {
      cover(bars, a, p);
      continue;
    }
    int32_t first = (int32_t)coloured.size();
    lay_visible_part(bars, a, p, coloured);
    coloured_parts.push_back({p.colour, first, (int32_t)coloured.size() - first});
  }
  lay_grey_union(bars, a, columns);
  add_batch(bars, BAR_GREY, 0);
  for (size_t k = coloured_parts.size(); k-- > 0;) {
    const BarBatch& part = coloured_parts[k];
    int32_t first = (int32_t)bars.rects.size();
    bars.rects.insert(bars.rects.end(), coloured.begin() + part.first,
                      coloured.begin() + part.first + part.count);
    add_batch(bars, part.colour, first);
  }
}

void draw_chart_bars(const FrameClock& clock, const ChartBars& bars, const Palette& palette) {
  SDL_Renderer* r = clock.renderer;
  SDL_BlendMode mode = SDL_BLENDMODE_BLEND;
  SDL_GetRenderDrawBlendMode(r, &mode);
  // The colours are opaque: written as they are, they give the blended pixels without the
  // blending arithmetic for each one.
  SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
  for (const BarBatch& b : bars.batches) {
    SDL_Color c = bar_colour_rgba(b.colour, palette);
    SDL_SetRenderDrawColor(r, c.r, c.g, c.b, c.a);
    SDL_RenderFillRectsF(r, bars.rects.data() + b.first, b.count);
  }
  SDL_SetRenderDrawBlendMode(r, mode);
}

void draw_chart_bars_per_row(const FrameClock& clock, const std::vector<HitRow>& rows,
                             const ChartGeometry& g, const Palette& palette) {
  if (!chart_has_span(g)) return;
  for (const HitRow& row : rows) {
    int64_t t = calendar_time(row.year, row.month, row.day, row.hour, row.minute, row.second);
    if (t < g.from || t > g.to) continue;
    SDL_FRect bar = chart_bar_rect(g, t, row.value);
    SDL_Color c = bar_colour_rgba(bar_colour(row.record_position), palette);
    SDL_SetRenderDrawColor(clock.renderer, c.r, c.g, c.b, c.a);
    SDL_RenderFillRectF(clock.renderer, &bar);
  }
}
