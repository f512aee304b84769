#include "screens/statistics.h"

#include <cstdio>

#include "core/date_time.h"
#include "ui/pointer_rect.h"
#include "ui/draw_list.h"
#include "ui/screen.h"

namespace {

using T = TextureCatalog;
using L = LayoutTable;

const DrawItem header_items[] = {
    image(&T::closeCross, &L::closeButtonRect),
    image(&T::ringBack, &L::backButtonRect),
    image(&T::logo, &L::logoRect),
    image(&T::ringRepeat, &L::repeatButtonRect),
    text(&T::titleStatistics, &L::titleStatisticsRect),
    text(&T::captionKind, &L::captionKindRect),
    text(&T::captionOfTraining, &L::captionOfTrainingRect),
    text(&T::captionRecords, &L::captionRecordsRect1),
    text(&T::captionIn, &L::captionInRect2),
    text(&T::captionCurrent, &L::captionCurrentRect2),
    text(&T::captionSession, &L::captionSessionRect2),
    text(&T::captionRecords, &L::captionRecordsRect2),
    text(&T::captionFor, &L::captionForRect2),
    text(&T::captionAll, &L::captionAllRect2),
    text(&T::captionTime, &L::captionTimeRect2),
    text(&T::captionDone, &L::captionDoneRect),
    text(&T::captionTrainings, &L::captionTrainingsRect),
    text(&T::captionIn, &L::captionInRect3),
    text(&T::captionCurrent, &L::captionCurrentRect3),
    text(&T::captionSession, &L::captionSessionRect3),
    text(&T::captionSlash, &L::captionSlashRect),
    text(&T::captionTotal, &L::captionTotalRect),
};

const DrawItem axis_labels[] = {
    image(&T::arrowHeadWhite, &L::axisArrowYRect),
    text(&T::captionZero, &L::captionZeroRect),
    text(&T::caption255, &L::caption255Rect),
};

const DrawItem dialog_items[] = {
    image(&T::panel, &L::dialogPanelRect),
    image(&T::pillButton, &L::dialogButtonPairLeftRect),
    image(&T::pillButton, &L::dialogButtonPairRightRect),
    text(&T::labelOk, &L::pairOkRect),
    text(&T::labelCancel, &L::pairCancelRect),
    text(&T::labelDelete, &L::labelDeleteRect),
    text(&T::labelRecords, &L::labelRecordsRect),
    image(&T::squareFrame, &L::sessionBoxRect),
    image(&T::squareFrame, &L::allTimeBoxRect),
    text(&T::captionIn, &L::captionInRect1),
    text(&T::captionCurrent, &L::captionCurrentRect1),
    text(&T::captionSession, &L::captionSessionRect1),
    text(&T::captionFor, &L::captionForRect1),
    text(&T::captionAll, &L::captionAllRect1),
    text(&T::captionTime, &L::captionTimeRect1),
};

// The window's label under the chart: lime for the current run, green for all time.
struct WindowLabel {
  SDL_Texture* T::*words[3];
  SDL_Rect L::*rects[3];
};
const WindowLabel run_label = {{&T::captionInLime, &T::captionCurrentLime, &T::captionSessionLime},
                               {&L::captionInLimeRect, &L::captionCurrentLimeRect,
                                &L::captionSessionLimeRect}};
const WindowLabel all_time_label = {{&T::captionForGreen, &T::captionAllGreen, &T::captionTimeGreen},
                                    {&L::captionForGreenRect, &L::captionAllGreenRect,
                                     &L::captionTimeGreenRect}};

// The six record rows: the run's best three, then all time's.
struct RecordRowArt {
  SDL_Texture* T::*cup;
  SDL_FRect L::*cup_rect;
  SDL_Color Palette::*colour;
};
const RecordRowArt record_rows[2][3] = {
    {{&T::cupGold, &L::cupGoldRect2, &Palette::gold},
     {&T::cupSilver, &L::cupSilverRect2, &Palette::silver},
     {&T::cupBronze, &L::cupBronzeRect2, &Palette::tan}},
    {{&T::cupGold, &L::cupGoldRect3, &Palette::gold},
     {&T::cupSilver, &L::cupSilverRect3, &Palette::silver},
     {&T::cupBronze, &L::cupBronzeRect3, &Palette::tan}},
};
const float record_columns[2] = {0.3f, 0.66f};

// The navigation cross: each arrow turned to point its way.
struct NavArrow {
  SDL_FRect L::*rect;
  int32_t StatisticsState::*hover;
  double angle;
};
const NavArrow nav_arrows[4] = {
    {&L::navUpRect, &StatisticsState::up_hover, 0.0},
    {&L::navRightRect, &StatisticsState::right_hover, 90.0},
    {&L::navDownRect, &StatisticsState::down_hover, 180.0},
    {&L::navLeftRect, &StatisticsState::left_hover, -90.0},
};

// What a record row shows, from either kind of entry.
struct RecordShown {
  int32_t value;
  const char* when;
  const char* mac4;
};

void toggle_mode(StatisticsState& s) { s.mode = s.mode == MODE_ALL_TIME ? MODE_CURRENT_RUN : MODE_ALL_TIME; }

void open_dialog(StatisticsState& s) {
  s.dialog_open = 1;
  s.clear_run_checked = 1;
  s.clear_all_checked = 0;
}

int32_t toggled(int32_t flag) { return flag == 1 ? 0 : 1; }

void narrower_bars(StatisticsState& s) { s.bar_width = s.bar_width - 1.0f > 2.0f ? s.bar_width - 1.0f : 2.0f; }
void wider_bars(StatisticsState& s, const Display& d) {
  s.bar_width = s.bar_width + 1.0f < 2 * d.unit ? s.bar_width + 1.0f : 2 * d.unit;
}

// The dialog's "OK": the run's best values cleared (its texts and counter stay), then one
// request to delete every stored hit.
void confirm_dialog(StatisticsState& s, RecordStore* store) {
  if (store && s.clear_run_checked == 1) store_clear_run_best(*store);
  if (store && s.clear_all_checked == 1) store_queue_delete_all(*store);
  s.dialog_open = 0;
}

SDL_Point text_size(TTF_Font* font, const char* text) {
  SDL_Point size{0, 0};
  if (font && text && text[0]) TTF_SizeUTF8(font, text, &size.x, &size.y);
  return size;
}

// Line from (x1, y) to (x2, y) or (x, y1) to (x, y2) in white.
void white_line(const FrameClock& c, const Palette& palette, float x1, float y1, float x2, float y2) {
  SDL_SetRenderDrawColor(c.renderer, palette.white.r, palette.white.g, palette.white.b, palette.white.a);
  SDL_RenderDrawLineF(c.renderer, x1, y1, x2, y2);
}

struct Frame {
  const FrameClock& c;
  const StatisticsState& s;
  const TextureCatalog& t;
  const LayoutTable& l;
  const Display& d;
  const Palette& palette;
  const FontSet& fonts;
  float W, H, u;
};

// A record row: the cup, then the value, "hxm", the date and the pad, each a gap apart and
// standing on the cup's bottom; "---" centred on the column when there is no record.
void draw_record_row(const Frame& f, const RecordRowArt& art, float column, const RecordShown& shown,
                     int32_t brand_index) {
  const SDL_FRect& cup = f.l.*art.cup_rect;
  SDL_RenderCopyF(f.c.renderer, f.t.*art.cup, nullptr, &cup);
  TTF_Font* font = f.fonts.fontSmall;
  const float bottom = cup.y + cup.h;
  char value[12];
  record_value_text(shown.value, value, (int)sizeof value);
  SDL_Point size = text_size(font, value);
  if (!record_shown(shown.value)) {
    draw_runtime_text(f.c, font, value, f.palette.white, (int32_t)(column * f.W - size.x / 2.0f),
                      (int32_t)(bottom - size.y));
    return;
  }
  const int32_t g = (int32_t)f.l.captionGap;
  int32_t x = (int32_t)(cup.x + cup.w + 3 * g);
  draw_runtime_text(f.c, font, value, f.palette.*art.colour, x, (int32_t)(bottom - size.y));
  x += size.x + g;
  SDL_Rect brand = f.l.captionBrandRect[brand_index];
  brand.x = x;
  brand.y = (int32_t)(bottom - brand.h);
  SDL_RenderCopy(f.c.renderer, f.t.captionBrand, nullptr, &brand);
  x += brand.w + g;
  size = text_size(font, shown.when);
  draw_runtime_text(f.c, font, shown.when, f.palette.white, x, (int32_t)(bottom - size.y));
  x += size.x + g;
  size = text_size(font, shown.mac4);
  draw_runtime_text(f.c, font, shown.mac4, f.palette.green, x, (int32_t)(bottom - size.y));
}

void draw_header_and_records(const Frame& f) {
  draw_items(f.c, f.t, f.l, header_items);
  white_line(f.c, f.palette, 2 * f.u, 10 * f.u, f.W - 2 * f.u, 10 * f.u);
  SDL_RenderCopy(f.c.renderer, f.t.captionHitPower, nullptr, &f.l.captionHitPowerRect);

  const StoreView& v = f.s.view;
  for (int32_t k = 0; k < 3; ++k) {
    draw_record_row(f, record_rows[0][k], record_columns[0],
                    {v.run_best[k].value, v.run_best[k].when, v.run_best[k].mac4}, k);
    draw_record_row(f, record_rows[1][k], record_columns[1],
                    {v.best[k].value, v.best[k].when, v.best[k].mac4}, 3 + k);
  }

  char counter[32];
  counter_text(v, counter, (int)sizeof counter);
  SDL_Point size = text_size(f.fonts.fontSmall, counter);
  draw_runtime_text(f.c, f.fonts.fontSmall, counter, f.palette.white,
                    (int32_t)(f.W - 2 * f.u - size.x), f.l.captionHitPowerRect.y);
  white_line(f.c, f.palette, 2 * f.u, 17.5f * f.u, f.W - 2 * f.u, 17.5f * f.u);
}

// The chart under its bars: the shaded area, the axes with their arrow heads and labels, and
// the window's ends with its label.
void draw_chart_frame(const Frame& f) {
  const SDL_FRect& chart = f.l.chartRect;
  fill_rect(f.c, f.palette.shade, chart);
  const float x0 = chart.x, axis_y = f.H - 6 * f.u;
  white_line(f.c, f.palette, x0, 19.5f * f.u, x0, axis_y);
  white_line(f.c, f.palette, x0, axis_y, f.W - 2 * f.u, axis_y);
  draw_items(f.c, f.t, f.l, axis_labels);
  SDL_RenderCopyExF(f.c.renderer, f.t.arrowHeadWhite, nullptr, &f.l.axisArrowXRect, 90.0, nullptr,
                    SDL_FLIP_NONE);

  const ChartWindow w = statistics_window(f.s, f.s.view);
  const SDL_Color colour = f.s.mode == MODE_CURRENT_RUN ? f.palette.lime
                           : f.s.mode == MODE_CUSTOM    ? f.palette.white
                                                        : f.palette.green;
  TTF_Font* font = f.fonts.fontSmall;
  const int32_t y = (int32_t)(axis_y + f.l.captionZeroRect.w / 2.0f);
  draw_runtime_text(f.c, font, w.from_text, colour, (int32_t)x0, y);
  SDL_Point to_size = text_size(font, w.to_text);
  draw_runtime_text(f.c, font, w.to_text, colour, (int32_t)(f.W - 2 * f.u - to_size.x), y);
  const WindowLabel* label = f.s.mode == MODE_CURRENT_RUN ? &run_label
                             : f.s.mode == MODE_CUSTOM    ? nullptr
                                                          : &all_time_label;
  if (label) {
    for (int k = 0; k < 3; ++k) {
      SDL_Rect r = f.l.*label->rects[k];
      r.y = y;
      SDL_RenderCopy(f.c.renderer, f.t.*label->words[k], nullptr, &r);
    }
  }
}

// Over the bars while hovered: the bar-width buttons (under tall bars they would be lost), the
// four arrows and the mode dot.
void draw_navigation(const Frame& f) {
  if (f.s.chart_hover != 1) return;
  SDL_RenderCopy(f.c.renderer, f.s.minus_hover == 1 ? f.t.captionMinusWhite : f.t.captionMinusGrey,
                 nullptr, &f.l.minusRect);
  SDL_RenderCopy(f.c.renderer, f.s.plus_hover == 1 ? f.t.captionPlusWhite : f.t.captionPlusGrey,
                 nullptr, &f.l.plusRect);
  for (const NavArrow& a : nav_arrows)
    SDL_RenderCopyExF(f.c.renderer, f.s.*a.hover == 1 ? f.t.triangleWhite : f.t.triangleGrey, nullptr,
                      &(f.l.*a.rect), a.angle, nullptr, SDL_FLIP_NONE);
  SDL_Texture* dot = f.t.dotGrey;
  if (f.s.mode_hover == 1) dot = f.s.mode == MODE_ALL_TIME ? f.t.dotLime : f.t.dotGreen;
  SDL_RenderCopyF(f.c.renderer, dot, nullptr, &f.l.navCentreRect);
}

void draw_dialog(const Frame& f) {
  fill_screen(f.c, f.palette.shade, f.l);
  draw_items(f.c, f.t, f.l, dialog_items);
  if (f.s.clear_run_checked == 1) SDL_RenderCopyF(f.c.renderer, f.t.checkMark, nullptr, &f.l.sessionTickRect);
  if (f.s.clear_all_checked == 1) SDL_RenderCopyF(f.c.renderer, f.t.checkMark, nullptr, &f.l.allTimeTickRect);
}

void draw_screen(const Frame& f, bool per_row) {
  draw_header_and_records(f);
  draw_chart_frame(f);
  if (per_row)
    draw_chart_bars_per_row(f.c, f.s.rows.rows, statistics_chart_geometry(f.s, f.l, f.d), f.palette);
  else
    draw_chart_bars(f.c, f.s.bars, f.palette);
  draw_navigation(f);
  draw_unsaved_sign(f.c, f.t, f.l, f.s.view.unsaved);
  if (f.s.dialog_open == 1) draw_dialog(f);
}

int64_t window_clock_seconds(const DateTime& t) {
  return clock_seconds(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

DateTime window_end_at(int64_t clock) {
  const ClockFields f = clock_fields(clock);
  return DateTime{f.year, f.month, f.day, f.hour, f.minute, f.second};
}

}  // namespace

bool record_shown(int32_t value) { return value >= 1 && value <= 255; }

void record_value_text(int32_t value, char* out, int size) {
  if (record_shown(value)) snprintf(out, (size_t)size, "%d", value);
  else snprintf(out, (size_t)size, "---");
}

void counter_text(const StoreView& v, char* out, int size) {
  snprintf(out, (size_t)size, "%d / %d", v.run_hits, v.table_rows);
}

void statistics_init(StatisticsState& s) { statistics_init_at(s, local_date_time()); }

void statistics_init_at(StatisticsState& s, const DateTime& now) {
  s.custom_from = hour_start_of(now);
  s.custom_to = hour_end_of(now);
  s.mode = MODE_ALL_TIME;
  s.bar_width = 2.0f;
  s.chart_hover = s.minus_hover = s.plus_hover = 0;
  s.left_hover = s.up_hover = s.right_hover = s.down_hover = s.mode_hover = 0;
  s.dialog_open = 0;
  s.clear_run_checked = 1;
  s.clear_all_checked = 0;
}

ChartWindow statistics_window(const StatisticsState& s, const StoreView& v) {
  ChartWindow w;
  if (s.mode == MODE_CURRENT_RUN) {
    w.from = v.run_from;
    w.to = date_time_empty(v.run_to) ? hour_end_of(v.run_from) : v.run_to;
  } else if (s.mode == MODE_CUSTOM) {
    w.from = s.custom_from;
    w.to = s.custom_to;
  } else {
    w.from = v.data_first;
    w.to = v.data_last;
  }
  format_date_time(w.from_text, (int)sizeof w.from_text, w.from);
  format_date_time(w.to_text, (int)sizeof w.to_text, w.to);
  return w;
}

void statistics_move_window(StatisticsState& s, RecordStore* store, WindowStep step) {
  StoreView view;
  if (store) store_read_view(*store, view);
  const ChartWindow w = statistics_window(s, view);
  s.mode = MODE_CUSTOM;
  // On the clock: a step of a 60-hour window is one hour of the clock on a changeover night too.
  int64_t a = window_clock_seconds(w.from), b = window_clock_seconds(w.to);
  const int64_t part = (b - a) / 60;
  switch (step) {
    case STEP_EARLIER: a -= part, b -= part; break;
    case STEP_LATER: a += part, b += part; break;
    case STEP_WIDER: a -= part, b += part; break;
    case STEP_NARROWER: a += part, b -= part; break;
  }
  const DateTime from = window_end_at(a);
  if (from.year < 2025 || b - a <= 60) return;
  s.custom_from = from;
  s.custom_to = window_end_at(b);
}

void statistics_pointer_poll(StatisticsState& s, ScreenContext& c) {
  const PointerState& p = c.pointer;
  const LayoutTable& l = c.layout;
  RecordStore* store = c.store;
  if (s.dialog_open != 0) return;  // the flags keep their values and nothing is held
  s.chart_hover = pointer_in_frect(p, l.chartRect);
  s.minus_hover = pointer_in_rect(p, l.minusRect);
  s.plus_hover = pointer_in_rect(p, l.plusRect);
  s.left_hover = pointer_in_frect(p, l.navLeftRect);
  s.up_hover = pointer_in_frect(p, l.navUpRect);
  s.right_hover = pointer_in_frect(p, l.navRightRect);
  s.down_hover = pointer_in_frect(p, l.navDownRect);
  s.mode_hover = pointer_in_frect(p, l.navCentreRect);

  // Held buttons act every frame at the place the button went down.
  if (p.left_down != 1) return;
  if (event_in_frect(p, l.navLeftRect)) statistics_move_window(s, store, STEP_EARLIER);
  if (event_in_frect(p, l.navRightRect)) statistics_move_window(s, store, STEP_LATER);
  if (event_in_frect(p, l.navUpRect)) statistics_move_window(s, store, STEP_WIDER);
  if (event_in_frect(p, l.navDownRect)) statistics_move_window(s, store, STEP_NARROWER);
  if (event_in_rect(p, l.minusRect)) narrower_bars(s);
  else if (event_in_rect(p, l.plusRect)) wider_bars(s, c.display);
}

void statistics_click(StatisticsState& s, ScreenContext& c) {
  const PointerState& p = c.pointer;
  const LayoutTable& l = c.layout;
  const bool closed = s.dialog_open == 0;
  // The header's places come first even while the dialog is open; then they do nothing.
  if (event_in_frect(p, l.closeButtonRect)) {
    if (closed) c.app.running = 0;
    return;
  }
  if (event_in_frect(p, l.backButtonRect)) {
    if (closed) go_back(c);
    return;
  }
  if (event_in_frect(p, l.navCentreRect)) {
    if (closed) toggle_mode(s);
    return;
  }
  if (event_in_frect(p, l.repeatButtonRect)) {
    if (closed) open_dialog(s);
    return;
  }
  if (closed) return;
  if (!event_in_frect(p, l.dialogPanelRect)) {
    s.dialog_open = 0;
    return;
  }
  if (event_in_frect(p, l.dialogButtonPairRightRect)) s.dialog_open = 0;
  else if (event_in_frect(p, l.dialogButtonPairLeftRect)) confirm_dialog(s, c.store);
  else if (event_in_frect(p, l.sessionBoxRect)) s.clear_run_checked = toggled(s.clear_run_checked);
  else if (event_in_frect(p, l.allTimeBoxRect)) s.clear_all_checked = toggled(s.clear_all_checked);
}

void statistics_key(StatisticsState& s, ScreenContext& c, int32_t scancode) {
  RecordStore* store = c.store;
  if (s.dialog_open != 0) {
    if (scancode == KEY_ESCAPE) s.dialog_open = 0;  // every other key waits for the dialog
    return;
  }
  switch (scancode) {
    case KEY_ESCAPE: go_back(c); break;
    case KEY_SPACE: toggle_mode(s); break;
    case KEY_DELETE: open_dialog(s); break;
    case KEY_RIGHT: statistics_move_window(s, store, STEP_LATER); break;
    case KEY_LEFT: statistics_move_window(s, store, STEP_EARLIER); break;
    case KEY_DOWN: statistics_move_window(s, store, STEP_NARROWER); break;
    case KEY_UP: statistics_move_window(s, store, STEP_WIDER); break;
    case KEY_KEYPAD_MINUS: narrower_bars(s); break;
    case KEY_KEYPAD_PLUS: wider_bars(s, c.display); break;
    default: break;
  }
}

void statistics_read_store(StatisticsState& s, RecordStore* store) {
  if (!store) return;
  store_read_view(*store, s.view);
  chart_rows_take(s.rows, *store);
}

ChartGeometry statistics_chart_geometry(const StatisticsState& s, const LayoutTable& l,
                                        const Display& d) {
  const ChartWindow w = statistics_window(s, s.view);
  ChartGeometry g;
  g.x0 = l.chartRect.x;
  g.width = l.chartRect.w;
  g.base = (float)d.height - 6 * d.unit;
  g.height = l.chartRect.h;
  g.bar_width = s.bar_width;
  g.from = date_time_seconds(w.from);
  g.to = date_time_seconds(w.to);
  return g;
}

void statistics_lay_chart(StatisticsState& s, const LayoutTable& l, const Display& d) {
  lay_chart_bars(s.bars, s.rows, statistics_chart_geometry(s, l, d));
}

void statistics_update(StatisticsState& s, ScreenContext& c) {
  statistics_read_store(s, c.store);
  statistics_lay_chart(s, c.layout, c.display);
}

void statistics_draw(const StatisticsState& s, ScreenContext& c) {
  const Display& d = c.display;
  const Frame f{c.clock, s, c.textures, c.layout, d, c.palette, c.fonts, (float)d.width, (float)d.height, d.unit};
  draw_screen(f, false);
}

void statistics_draw_per_row(const FrameClock& c, const StatisticsState& s, const TextureCatalog& t,
                             const LayoutTable& l, const Display& d, const Palette& palette,
                             const FontSet& fonts) {
  const Frame f{c, s, t, l, d, palette, fonts, (float)d.width, (float)d.height, d.unit};
  draw_screen(f, true);
}

namespace {
void reset(StatisticsState& s, ScreenContext&) { statistics_init(s); }
}  // namespace

const ScreenDef statistics_screen = {
    .screen = SCREEN_STATISTICS,
    .back = SCREEN_MAIN_MENU,
    .reset = row<StatisticsState, reset>,
    .poll = row<StatisticsState, statistics_pointer_poll>,
    .update = row<StatisticsState, statistics_update>,
    .draw = row_draw<StatisticsState, statistics_draw>,
    .key = row_key<StatisticsState, statistics_key>,
    .click = row<StatisticsState, statistics_click>,
};
