// The rectangles shared by several screens, the intro, the three menus and the device screen;
// the rules they are made from; the two shared draw routines.
#include <initializer_list>

#include "assets/layout_rules.h"

SDL_FRect cover_fit(const LayoutFrame& f, float a, CoverAlign align) {
  if (a > f.W / f.H) return {f.W / 2 - f.H * a / 2, 0, f.H * a, f.H};
  if (a < f.W / f.H) {
    float h = f.W / a;
    return {0, align == COVER_BOTTOM ? f.H - h : f.H / 2 - h / 2, f.W, h};
  }
  return {0, 0, f.W, f.H};
}

static PixelSize word_size(const LayoutInput& in, const Word& word) {
  return word.text == NO_ART ? PixelSize{} : in.text[word.text];
}

float row_width(const LayoutInput& in, std::span<const Word> words, float gap) {
  float width = 0;
  for (const Word& word : words) width += word_size(in, word).w;
  return width + gap * (float)(words.size() - 1);
}

void text_row(const LayoutInput& in, std::span<const Word> words, float start, float gap, float y,
              RowRounding rounding) {
  float x = start;
  for (const Word& word : words) {
    PixelSize m = word_size(in, word);
    *word.rect = text_rect(x, y, m);
    x = (rounding == CHAINED ? (float)word.rect->x : x) + (float)m.w + gap;
  }
}

void compute_layout(LayoutTable& layout, const LayoutInput& in) {
  layout = LayoutTable{};
  const LayoutFrame f{in, (float)in.width, (float)in.height, in.unit};
  layout_shared_screens(layout, f);
  layout_player_labels(layout, f);
  layout_device_screen(layout, f);
  layout_statistics(layout, f);
  layout_trainings(layout, f);
  layout_games(layout, f);
}

// A 12U ring button with its label lines written inside it.
static void ring_button(const LayoutFrame& f, SDL_FRect& button, float x, float y, ImageId ring,
                        std::initializer_list<Word> lines) {
  static const std::span<const float> placements[] = {ONE_LINE, TWO_LINES, THREE_LINES};
  button = image_rect(x, y, 12 * f.U, aspect(f.in, ring));
  std::span<const float> tops = placements[lines.size() - 1];
  const Word* line = lines.begin();
  for (size_t i = 0; i < lines.size(); ++i, ++line)
    *line->rect = label_in_button(button, f.in.text[line->text], tops[i]);
}

void layout_shared_screens(LayoutTable& L, const LayoutFrame& f) {
  const LayoutInput& in = f.in;
  const float W = f.W, H = f.H, U = f.U;

  L.fullScreenRect = {0, 0, W, H};
  L.closeButtonRect = image_rect(W - 3 * U, U, 2 * U, aspect(in, IMG_closeCross));
  L.backgroundRect = cover_fit(f, aspect(in, IMG_background), COVER_BOTTOM);
  L.bottomBarRect = {0, H - H / 7, W, H / 7};
  L.logoRect = image_rect(2 * U, 2 * U, 2 * U, aspect(in, IMG_logo));
  L.playButtonRect = image_centred(f, H - 3 * U, 2 * U, aspect(in, IMG_ringPlay));
  L.backButtonRect = image_rect(U, H - 3 * U, 2 * U, aspect(in, IMG_ringBack));
  L.repeatButtonRect = image_rect(W - 3 * U, H - 3 * U, 2 * U, aspect(in, IMG_ringRepeat));
  // The dark part of the bar picture: 496 of its 635 rows.
  const float shadow = 496.0f / 635.0f * L.bottomBarRect.h;
  L.countdownRect = image_centred(f, H / 2 - 7.5f * U - shadow / 2, 15 * U, aspect(in, IMG_ringDigit1));
  L.dialogPanelRect = image_centred(f, H / 4 - shadow / 2, H / 2, aspect(in, IMG_panel));
  const SDL_FRect& panel = L.dialogPanelRect;
  const float pill = aspect(in, IMG_pillButton), pill_w = 2 * U * pill;
  const float buttons_y = panel.y + panel.h - 3 * U;
  L.dialogButtonLeftRect = image_rect(panel.x + U, buttons_y, 2 * U, pill);
  L.dialogButtonRect = image_centred(f, buttons_y, 2 * U, pill);
  L.dialogButtonRightRect = image_rect(panel.x + panel.w - pill_w - U, buttons_y, 2 * U, pill);
  const float pair_gap = (panel.w - 2 * pill_w) / 6;
  L.dialogButtonPairLeftRect = image_rect(W / 2 - pill_w - pair_gap, buttons_y, 2 * U, pill);
  L.dialogButtonPairRightRect = image_rect(W / 2 + pair_gap, buttons_y, 2 * U, pill);

  // Intro.
  L.introRingsRect = image_centred(f, H / 2 - 25 * U, 50 * U, aspect(in, IMG_targetRings));
  L.introLogoRect = image_centred(f, H / 2 - 5 * U, 10 * U, aspect(in, IMG_logo));

  // Main menu: the labels sit one unit under their rings.
  L.settingsButtonRect = image_rect(W - 3 * U, H - 3 * U, 2 * U, aspect(in, IMG_ringGear));
  L.trainingButtonRect = image_rect(W / 2 - 24 * U, H / 2 - 6 * U, 12 * U, aspect(in, IMG_ringFist));
  L.trainingLabelRect = label_under_button(L.trainingButtonRect, in.text[TXT_labelTraining], U);
  L.competitionButtonRect =
      image_rect(W / 2 - 6 * U, 0.35f * H - 6 * U, 12 * U, aspect(in, IMG_ringRecords));
  L.competitionLabelRect = label_under_button(L.competitionButtonRect, in.text[TXT_labelCompetition], U);
  L.statisticsButtonRect =
      image_rect(12 * U + W / 2, H / 2 - 6 * U, 12 * U, aspect(in, IMG_ringStatistics));
  L.statisticsLabelRect = label_under_button(L.statisticsButtonRect, in.text[TXT_labelStatistics], U);

  // Training menu: the labels are written inside empty rings.
  const float ring = aspect(in, IMG_ringEmpty);
  ring_button(f, L.hitPowerButtonRect, W / 2 - 24 * U, H / 2 - 6 * U, IMG_ringEmpty,
              {{&L.hitPowerLabelRect, TXT_labelHitPower}});
  ring_button(f, L.reactionButtonRect, W / 2 - 12 * U * ring / 2, 0.65f * H - 6 * U, IMG_ringEmpty,
              {{&L.reactionLabel1Rect, TXT_labelReactionTime1},
                             {&L.reactionLabel2Rect, TXT_labelReactionTime2}});
  ring_button(f, L.hitCountButtonRect, 12 * U + W / 2, H / 2 - 6 * U, IMG_ringEmpty,
              {{&L.hitCountLabel1Rect, TXT_labelHitCount1},
                             {&L.hitCountLabel2Rect, TXT_labelHitCount2}});
  L.trainingTitleRect = text_centred(W / 2, 3 * U, in.text[TXT_titleTraining]);
  L.trainingEmblemRect = image_centred(f, 8 * U, 10 * U, aspect(in, IMG_fighterSingle));

  // Competition menu: four rings in a U.
  ring_button(f, L.monsterTrucksButtonRect, W / 2 - 24 * U, 0.35f * H - 6 * U, IMG_ringEmpty,
              {{&L.monsterTrucksLabel1Rect, TXT_labelMonsterTrucks1},
                             {&L.monsterTrucksLabel2Rect, TXT_labelMonsterTrucks2},
                             {&L.monsterTrucksLabel3Rect, TXT_labelMonsterTrucks3}});
  ring_button(f, L.tanksButtonRect, W / 2 - 15 * U, 0.65f * H - 6 * U, IMG_ringEmpty,
              {{&L.tanksLabelRect, TXT_labelTanks}});
  ring_button(f, L.duckHuntButtonRect, W / 2 + 3 * U, 0.65f * H - 6 * U, IMG_ringEmpty,
              {{&L.duckHuntLabel1Rect, TXT_labelDuckHunt1},
                             {&L.duckHuntLabel2Rect, TXT_labelDuckHunt2}});
  ring_button(f, L.prospectorsButtonRect, 12 * U + W / 2, 0.35f * H - 6 * U, IMG_ringEmpty,
              {{&L.prospectorsLabelRect, TXT_labelProspectors}});
  L.competitionTitleRect = text_centred(W / 2, 3 * U, in.text[TXT_titleCompetition]);
  L.competitionEmblemRect = image_centred(f, 8 * U, 10 * U, aspect(in, IMG_fightersPair));
}

void layout_device_screen(LayoutTable& L, const LayoutFrame& f) {
  const LayoutInput& in = f.in;
  const float W = f.W, H = f.H, U = f.U;

  L.settingsMarkRect = image_rect(W - 3 * U, H - 3 * U, 2 * U, aspect(in, IMG_ringGears));
  L.settingsTitleRect = text_centred(W / 2, 3 * U, in.text[TXT_titleSettings]);
  L.hubPlugRect = image_centred(f, H - 2 * U - 0.75f * U, 1.5f * U, aspect(in, IMG_usbPlugGreen));

  // Pads 1 and 2 above the middle, 3 and 4 below; 1 and 3 on the left.
  const float plate_w = W / 2 - 7 * U, plate_h = 10.5f * U;
  const float plate_x[2] = {5 * U, W - 5 * U - plate_w};
  const float plate_y[2] = {H / 2 - 10.5f * U, H / 2 + 3.5f * U};
  // Each value follows its label with the gap of one digit.
  const float digit = (float)L.playerDigitLeftRect.w;
  const float tag = aspect(in, IMG_tagBlack);
  for (int k = 0; k < 4; ++k) {
    SDL_FRect& plate = L.padPlateRect[k];
    plate = {plate_x[k % 2], plate_y[k / 2], plate_w, plate_h};

    // "Игрок" and the pad's digit above the card, sized as the player labels.
    L.padPlayerLabelRect[k] = L.playerLabelLeftRect;
    L.padDigitRect[k] = L.playerDigitLeftRect;
    L.padPlayerLabelRect[k].x = (int)(plate.x + U);
    L.padPlayerLabelRect[k].y = L.padDigitRect[k].y = (int)(plate.y - L.playerLabelLeftRect.h - 0.5f * U);
    L.padDigitRect[k].x = L.padPlayerLabelRect[k].x + L.playerLabelLeftRect.w + L.playerDigitLeftRect.w;

    // Four charge segments across the card's middle, half a unit apart.
    for (int s = 0; s < 4; ++s)
      L.chargeBarRect[k][s] = image_rect(plate.x + 2 * U + s * (U * tag + 0.5f * U),
                                         plate.y + plate.h / 2 - 0.5f * U, U, tag);

    // The MAC line at a quarter of the card, the charge line at three quarters.
    const float mac_middle = plate.y + plate.h / 4, charge_middle = plate.y + 0.75f * plate.h;
    const Word mac_line[] = {{&L.macLabelRect[k], TXT_labelMacAddress}, {&L.macValueRect[k], NO_ART}};
    const Word charge_line[] = {{&L.chargeLabelRect[k], TXT_labelCharge},
                                {&L.batteryLabelRect[k], TXT_labelBattery},
                                {&L.chargeValueRect[k], NO_ART}};
    text_row(in, mac_line, plate.x + 2 * U, digit,
             mac_middle - in.text[TXT_labelMacAddress].h / 2.0f, CHAINED);
    text_row(in, charge_line, plate.x + 2 * U, digit,
             charge_middle - in.text[TXT_labelCharge].h / 2.0f, CHAINED);

    // Warning signs at the card's right edge, level with the two lines.
    const float warning_x = plate.x + plate.w - U - 1.5f * U;
    L.macWarningRect[k] = {warning_x, mac_middle - 0.75f * U, 1.5f * U, 1.5f * U};
    L.chargeWarningRect[k] = {warning_x, charge_middle - 0.75f * U, 1.5f * U, 1.5f * U};
  }

  // The two one-button dialogs.
  L.dialogOkRect = label_in_button(L.dialogButtonRect, in.text[TXT_labelOk], ONE_LINE[0]);
  const float panel_middle = L.dialogPanelRect.y + L.dialogPanelRect.h / 2;
  const struct {
    SDL_Rect* rect;
    TextId text;
    float offset;
  } lines[] = {{&L.reconnectLine1Rect, TXT_labelReconnect1, -U},
               {&L.reconnectLine2Rect, TXT_labelReconnect2, U},
               {&L.strikeLine1Rect, TXT_labelStrike1, -U},
               {&L.strikeLine2Rect, TXT_labelStrike2, U}};
  for (const auto& line : lines) {
    PixelSize m = in.text[line.text];
    *line.rect = text_centred(W / 2, panel_middle - m.h / 2.0f + line.offset, m);
  }
}
