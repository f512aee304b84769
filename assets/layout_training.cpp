// The player labels, the statistics screen and the three training screens.
#include "assets/layout_rules.h"

static_assert(IMG_rankTitle9 == IMG_rankTitle1 + 8, "the badges are numbered in catalog order");

void layout_player_labels(LayoutTable& L, const LayoutFrame& f) {
  const LayoutInput& in = f.in;
  // "Игрок" centred on a quarter of the width, then the pad's digit one digit further on.
  const struct {
    SDL_Rect* label;
    SDL_Rect* digit;
    float centre;
  } sides[] = {{&L.playerLabelLeftRect, &L.playerDigitLeftRect, f.W / 4},
               {&L.playerLabelRightRect, &L.playerDigitRightRect, 3 * f.W / 4}};
  const PixelSize label = in.text[TXT_labelPlayerGrey], digit = in.text[TXT_labelDigit1Green];
  for (const auto& side : sides) {
    const Word pair[] = {{side.label, TXT_labelPlayerGrey}, {side.digit, TXT_labelDigit1Green}};
    text_row(in, pair, side.centre - label.w / 2.0f, (float)digit.w,
             label.h / 2.0f + f.H - 4 * f.U, CHAINED);
  }
}

void layout_statistics(LayoutTable& L, const LayoutFrame& f) {
  const LayoutInput& in = f.in;
  const float W = f.W, H = f.H, U = f.U;
  // The gap between caption words: half the width of "/", in whole pixels.
  const float g = (float)(in.text[TXT_captionSlash].w / 2);
  L.captionGap = g;

  // Delete dialog: two pill buttons, the heading, two boxes with their captions.
  const SDL_FRect& panel = L.dialogPanelRect;
  L.pairOkRect = label_in_button(L.dialogButtonPairLeftRect, in.text[TXT_labelOk], ONE_LINE[0]);
  L.pairCancelRect = label_in_button(L.dialogButtonPairRightRect, in.text[TXT_labelCancel], ONE_LINE[0]);
  // Centred on the two words alone; the unit between them shifts the second to the right.
  const Word heading[] = {{&L.labelDeleteRect, TXT_labelDelete}, {&L.labelRecordsRect, TXT_labelRecords}};
  text_row(in, heading, W / 2 - row_width(in, heading, 0) / 2, U,
           panel.h / 4 + panel.y - in.text[TXT_labelDelete].h / 2.0f, CHAINED);
  const float box_x = panel.w / 6 + panel.x, tick_x = 1.05f * panel.w / 6 + panel.x;
  const float session_middle = panel.h / 2 + panel.y, all_time_middle = 0.65f * panel.h + panel.y;
  L.sessionBoxRect = image_rect(box_x, session_middle - 0.75f * U, 1.5f * U, aspect(in, IMG_squareFrame));
  L.allTimeBoxRect = image_rect(box_x, all_time_middle - 0.75f * U, 1.5f * U, aspect(in, IMG_squareFrame));
  L.sessionTickRect = image_rect(tick_x, session_middle - 0.475f * U, 0.95f * U, aspect(in, IMG_checkMark));
  L.allTimeTickRect = image_rect(tick_x, all_time_middle - 0.475f * U, 0.95f * U, aspect(in, IMG_checkMark));
  const Word session1[] = {{&L.captionInRect1, TXT_captionIn},
                           {&L.captionCurrentRect1, TXT_captionCurrent},
                           {&L.captionSessionRect1, TXT_captionSession}};
  const Word all_time1[] = {{&L.captionForRect1, TXT_captionFor},
                            {&L.captionAllRect1, TXT_captionAll},
                            {&L.captionTimeRect1, TXT_captionTime}};
  const SDL_FRect& box1 = L.sessionBoxRect;
  const SDL_FRect& box2 = L.allTimeBoxRect;
  text_row(in, session1, box1.x + box1.w + U, 0.5f * U, box1.y, CHAINED);
  text_row(in, all_time1, box2.x + box2.w + U, 0.5f * U, box2.y, CHAINED);

  // Header: the title, then two lines of column headings.
  L.titleStatisticsRect = text_centred(W / 2, 3 * U, in.text[TXT_titleStatistics]);
  const float second_line = 2 * U + 3 * U + L.titleStatisticsRect.h;
  const float first_line = second_line - in.text[TXT_captionSlash].h;
  const Word kind[] = {{&L.captionKindRect, TXT_captionKind},
                       {&L.captionOfTrainingRect, TXT_captionOfTraining}};
  text_row(in, kind, 2 * U, g, second_line - in.text[TXT_captionKind].h / 2.0f, FROM_START);
  // "Рекорды" over "в текущей сессии", centred at 0.3 W.
  L.captionRecordsRect1 = text_centred(0.3f * W, first_line, in.text[TXT_captionRecords]);
  const Word session2[] = {{&L.captionInRect2, TXT_captionIn},
                           {&L.captionCurrentRect2, TXT_captionCurrent},
                           {&L.captionSessionRect2, TXT_captionSession}};
  text_row(in, session2, 0.3f * W - row_width(in, session2, g) / 2, g, second_line, FROM_START);
  // "Рекорды" over "за всё время", centred at 0.66 W.
  L.captionRecordsRect2 = text_centred(0.66f * W, first_line, in.text[TXT_captionRecords]);
  const Word all_time2[] = {{&L.captionForRect2, TXT_captionFor},
                            {&L.captionAllRect2, TXT_captionAll},
                            {&L.captionTimeRect2, TXT_captionTime}};
  text_row(in, all_time2, 0.66f * W - row_width(in, all_time2, g) / 2, g, second_line, FROM_START);
  // "в текущей сессии / всего" ending 2U from the right, "Произведено тренировок" centred over it.
  const Word counter[] = {{&L.captionInRect3, TXT_captionIn},
                          {&L.captionCurrentRect3, TXT_captionCurrent},
                          {&L.captionSessionRect3, TXT_captionSession},
                          {&L.captionSlashRect, TXT_captionSlash},
                          {&L.captionTotalRect, TXT_captionTotal}};
  const float counter_w = row_width(in, counter, g);
  text_row(in, counter, W - 2 * U - counter_w, g, second_line, FROM_START);
  const Word done[] = {{&L.captionDoneRect, TXT_captionDone}, {&L.captionTrainingsRect, TXT_captionTrainings}};
  text_row(in, done, W - 2 * U - counter_w / 2 - row_width(in, done, g) / 2, g, first_line, FROM_START);

  // Record rows: the training kind, then three cups in each column.
  const float rows_middle = 3 * U + L.titleStatisticsRect.h + 8 * U;
  L.captionHitPowerRect = text_rect(2 * U, rows_middle - in.text[TXT_captionHitPower].h / 2.0f,
                                    in.text[TXT_captionHitPower]);
  const ImageId cups[3] = {IMG_cupGold, IMG_cupSilver, IMG_cupBronze};
  SDL_FRect* const session_cups[3] = {&L.cupGoldRect2, &L.cupSilverRect2, &L.cupBronzeRect2};
  SDL_FRect* const all_time_cups[3] = {&L.cupGoldRect3, &L.cupSilverRect3, &L.cupBronzeRect3};
  for (int i = 0; i < 3; ++i) {
    const float y = rows_middle - 2.5f * U + 2 * U * i;
    *session_cups[i] = image_rect(0.3f * W - 10 * U, y, U, aspect(in, cups[i]));
    *all_time_cups[i] = image_rect(0.66f * W - 10 * U, y, U, aspect(in, cups[i]));
  }
  for (SDL_Rect& brand : L.captionBrandRect) brand = text_rect(0, 0, in.text[TXT_captionBrand]);

  // Chart: its left axis leaves room for four "0" widths.
  const PixelSize zero = in.text[TXT_captionZero];
  L.captionZeroRect = text_rect(2.0f * zero.w + 2 * U, H - 6 * U - zero.h, zero);
  L.caption255Rect = text_rect(2 * U, 19.5f * U, in.text[TXT_caption255]);
  const float axis_x = 2 * U + 4.0f * L.captionZeroRect.w;
  L.chartRect = {axis_x, 19.5f * U, W - 4 * U - 4.0f * L.captionZeroRect.w, H - 25.5f * U};
  const float arrow = aspect(in, IMG_arrowHeadWhite);
  L.axisArrowYRect = image_rect(axis_x - U * arrow / 2, 19 * U, U, arrow);
  L.axisArrowXRect = image_rect(W - 2.5f * U, H - 6 * U - L.axisArrowYRect.h / 2, U, arrow);
  // Navigation cross at the chart's top right: up, left and right, down, the mode dot between.
  const float t = U * aspect(in, IMG_triangleGrey), column = W - 4.5f * U - t;
  const float middle_row = 20.5f * U + U + 0.5f * U;
  L.navLeftRect = {column - t - 0.5f * U, middle_row, t, U};
  L.navUpRect = {column, 20.5f * U, t, U};
  L.navRightRect = {column + t + 0.5f * U, middle_row, t, U};
  L.navDownRect = {column, middle_row + U + 0.5f * U, t, U};
  L.navCentreRect = {column + t / 2 - 0.35f * U, middle_row + 0.5f * U - 0.35f * U, 0.7f * U, 0.7f * U};
  L.minusRect = text_rect(W / 2 - U, 20 * U, in.text[TXT_captionMinusGrey]);
  L.plusRect = text_rect(U + W / 2, 20 * U, in.text[TXT_captionPlusGrey]);
  // The window's label under the chart, centred on the screen; the screen sets its y.
  const Word session_label[] = {{&L.captionInLimeRect, TXT_captionInLime},
                                {&L.captionCurrentLimeRect, TXT_captionCurrentLime},
                                {&L.captionSessionLimeRect, TXT_captionSessionLime}};
  const Word all_time_label[] = {{&L.captionForGreenRect, TXT_captionForGreen},
                                 {&L.captionAllGreenRect, TXT_captionAllGreen},
                                 {&L.captionTimeGreenRect, TXT_captionTimeGreen}};
  text_row(in, session_label, W / 2 - row_width(in, session_label, g) / 2, g, 0, CHAINED);
  text_row(in, all_time_label, W / 2 - row_width(in, all_time_label, g) / 2, g, 0, CHAINED);
}

// A title of two words centred on the screen, a digit's width apart.
static void two_word_title(const LayoutFrame& f, SDL_Rect& first, TextId first_text, SDL_Rect& second,
                           TextId second_text) {
  const Word title[] = {{&first, first_text}, {&second, second_text}};
  const float gap = (float)f.in.text[TXT_labelDigit1Green].w;
  text_row(f.in, title, f.W / 2 - row_width(f.in, title, gap) / 2, gap, 3 * f.U, FROM_START);
}

// A 15U picture centred 14U from the left edge, at the height's middle.
static SDL_FRect left_badge(const LayoutFrame& f, ImageId image) {
  const float a = aspect(f.in, image);
  return image_rect(14 * f.U - 15 * f.U * a / 2, f.H / 2 - 7.5f * f.U, 15 * f.U, a);
}

void layout_trainings(LayoutTable& L, const LayoutFrame& f) {
  const LayoutInput& in = f.in;
  const float W = f.W, H = f.H, U = f.U;

  // Strength meter. The three cups share the gold cup's width.
  SDL_FRect* const cups[3] = {&L.cupGoldRect1, &L.cupSilverRect1, &L.cupBronzeRect1};
  for (int i = 0; i < 3; ++i)
    *cups[i] = image_rect(W - 12 * U, H / 2 + 4 * U * (i - 1) - 1.5f * U, 3 * U, aspect(in, IMG_cupGold));
  L.titleHitPowerRect = text_centred(W / 2, 3 * U, in.text[TXT_titleHitPower]);
  for (int i = 0; i < 9; ++i)
    L.rankTitleRect[i] = image_centred(f, 2 * U + H / 2 - 6.5f * U, 13 * U, aspect(in, (ImageId)(IMG_rankTitle1 + i)));
  L.powerScaleSize = in.image[IMG_powerScale];
  L.powerScaleRect = {8 * U, 0, 25 * U * aspect(in, IMG_powerScale), 0};
  L.powerScaleSourceRect = {0, 0, L.powerScaleSize.w, 0};

  // Reaction time.
  two_word_title(f, L.titleReactionTime1Rect, TXT_titleReactionTime1, L.titleReactionTime2Rect,
                 TXT_titleReactionTime2);
  L.goBadgeRect = left_badge(f, IMG_goBadge);

  // Hit count.
  two_word_title(f, L.titleHitCount1Rect, TXT_titleHitCount1, L.titleHitCount2Rect, TXT_titleHitCount2);
  L.stopwatchRect = left_badge(f, IMG_stopwatch);
  L.labelColonRedRect = text_rect(4.7f * U + L.stopwatchRect.x, 5.3f * U + L.stopwatchRect.y,
                                  in.text[TXT_labelColonRed]);
  L.frameGreenRect = image_centred(f, 0.6f * H, 2 * U, aspect(in, IMG_frameGreen));
  const SDL_FRect& frame = L.frameGreenRect;
  L.progressFillRect = {frame.x + 0.45f * U, frame.y + 0.45f * U, 0, 1.1f * U};
  const PixelSize waiting = in.text[TXT_captionWaiting];
  L.captionWaitingRect = text_centred(W / 2, frame.y + frame.h / 2 - waiting.h / 2.0f, waiting);
}
