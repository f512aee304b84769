// The layout table's fields as data, and which of them each screen shows with what in them.
#include <cstdio>
#include <cstring>

#include "assets/layout.h"

const LayoutField layout_fields[LAYOUT_FIELD_COUNT] = {
#define LAYOUT_F(name) {#name, KIND_FRECT, offsetof(LayoutTable, name), 1, 1},
#define LAYOUT_I(name) {#name, KIND_RECT, offsetof(LayoutTable, name), 1, 1},
#define LAYOUT_F_ARRAY(name, n) {#name, KIND_FRECT, offsetof(LayoutTable, name), n, 1},
#define LAYOUT_I_ARRAY(name, n) {#name, KIND_RECT, offsetof(LayoutTable, name), n, 1},
#define LAYOUT_F_GRID(name, rows, cols) {#name, KIND_FRECT, offsetof(LayoutTable, name), (rows) * (cols), cols},
#define LAYOUT_FLOAT(name) {#name, KIND_FLOAT, offsetof(LayoutTable, name), 1, 1},
#define LAYOUT_FLOATS(name, n) {#name, KIND_FLOAT, offsetof(LayoutTable, name), n, 1},
#define LAYOUT_SIZE(name) {#name, KIND_SIZE, offsetof(LayoutTable, name), 1, 1},
#include "assets/layout.def"
};

bool layout_rect(const LayoutTable& layout, LayoutFieldId field, int32_t index, SDL_FRect& out) {
  const LayoutField& f = layout_fields[field];
  const char* base = (const char*)&layout + f.offset;
  if (f.kind == KIND_FRECT) {
    memcpy(&out, base + index * sizeof(SDL_FRect), sizeof out);
    return true;
  }
  if (f.kind == KIND_RECT) {
    SDL_Rect r;
    memcpy(&r, base + index * sizeof(SDL_Rect), sizeof r);
    out = {(float)r.x, (float)r.y, (float)r.w, (float)r.h};
    return true;
  }
  return false;
}

void layout_element_name(LayoutFieldId field, int32_t index, char* out, size_t size) {
  const LayoutField& f = layout_fields[field];
  if (f.count == 1)
    snprintf(out, size, "%s", f.name);
  else if (f.columns > 1)
    snprintf(out, size, "%s%d%d", f.name, index / f.columns + 1, index % f.columns + 1);
  else
    snprintf(out, size, "%s%d", f.name, index + 1);
}

namespace {

constexpr uint16_t TRAININGS = screen_bits(SCREEN_POWER_TRAINING, SCREEN_HIT_COUNT_TRAINING);
constexpr uint16_t GAMES = screen_bits(SCREEN_MONSTER_TRUCKS, SCREEN_PROSPECTORS);
constexpr uint16_t INTRO = screen_bit(SCREEN_INTRO), MAIN = screen_bit(SCREEN_MAIN_MENU),
                   TRAINING_MENU = screen_bit(SCREEN_TRAINING_MENU),
                   COMPETITION_MENU = screen_bit(SCREEN_COMPETITION_MENU),
                   STATISTICS = screen_bit(SCREEN_STATISTICS), POWER = screen_bit(SCREEN_POWER_TRAINING),
                   REACTION = screen_bit(SCREEN_REACTION_TRAINING),
                   HIT_COUNT = screen_bit(SCREEN_HIT_COUNT_TRAINING), DEVICE = screen_bit(SCREEN_DEVICE),
                   TRUCKS = screen_bit(SCREEN_MONSTER_TRUCKS), TANKS = screen_bit(SCREEN_TANKS),
                   DUCKS = screen_bit(SCREEN_DUCK_HUNT), PROSPECTORS = screen_bit(SCREEN_PROSPECTORS);
constexpr uint16_t BEYOND_MENUS = screen_bits(SCREEN_STATISTICS, SCREEN_PROSPECTORS);
constexpr int16_t ALL = EVERY_ELEMENT;

constexpr ScreenRect picture(uint16_t screens, LayoutFieldId field, int16_t image,
                             RectRole role = ROLE_PICTURE, int16_t index = 0, int16_t cycle = 0) {
  return {screens, field, index, role, image, NO_ART, cycle, LF_NONE};
}
constexpr ScreenRect text(uint16_t screens, LayoutFieldId field, int16_t text_id,
                          LayoutFieldId on = LF_NONE, RectRole role = ROLE_TEXT, int16_t index = 0,
                          int16_t cycle = 0) {
  return {screens, field, index, role, NO_ART, text_id, cycle, on};
}
constexpr ScreenRect button(uint16_t screens, LayoutFieldId field, int16_t image, int16_t target) {
  return {screens, field, 0, ROLE_BUTTON, image, NO_ART, 0, LF_NONE, target};
}
constexpr ScreenRect label(uint16_t screens, LayoutFieldId field, int16_t text_id, int16_t target) {
  return {screens, field, 0, ROLE_TEXT, NO_ART, text_id, 0, LF_NONE, target};
}
constexpr ScreenRect runtime(uint16_t screens, LayoutFieldId field, int16_t index = 0) {
  return {screens, field, index, ROLE_RUNTIME, NO_ART, NO_ART, 0, LF_NONE};
}

}  // namespace

const ScreenRect screen_rects[] = {
    // Shared.
    picture(screen_bits(SCREEN_MAIN_MENU, SCREEN_DEVICE), LF_backgroundRect, IMG_background, ROLE_BACKDROP),
    picture(screen_bits(SCREEN_MAIN_MENU, SCREEN_PROSPECTORS), LF_bottomBarRect, IMG_barShadow),
    picture(BEYOND_MENUS, LF_closeButtonRect, IMG_closeCross, ROLE_BUTTON),
    picture(BEYOND_MENUS, LF_logoRect, IMG_logo),
    picture(BEYOND_MENUS, LF_backButtonRect, IMG_ringBack, ROLE_BUTTON),
    picture(TRAININGS | GAMES, LF_playButtonRect, IMG_ringPlay, ROLE_BUTTON),
    picture(STATISTICS | TRAININGS | GAMES, LF_repeatButtonRect, IMG_ringRepeat, ROLE_BUTTON),
    picture(TRAININGS | GAMES, LF_countdownRect, IMG_ringDigit3, ROLE_SOMETIMES),
    picture(STATISTICS | DEVICE, LF_dialogPanelRect, IMG_panel, ROLE_SOMETIMES),
    picture(DEVICE, LF_dialogButtonRect, IMG_pillButton, ROLE_SOMETIMES),
    picture(STATISTICS, LF_dialogButtonPairLeftRect, IMG_pillButton, ROLE_SOMETIMES),
    picture(STATISTICS, LF_dialogButtonPairRightRect, IMG_pillButton, ROLE_SOMETIMES),

    // Intro: the rings are larger than the screen on purpose.
    picture(INTRO, LF_introRingsRect, IMG_targetRings, ROLE_BACKDROP),
    picture(INTRO, LF_introLogoRect, IMG_logo),

    // The menus: each one's rows are its whole table, in drawing order; a row with a target
    // takes clicks (first row under the pointer wins).
    // Main menu: the labels sit under their rings and take clicks too.
    button(MAIN, LF_closeButtonRect, IMG_closeCross, TARGET_CLOSE),
    picture(MAIN, LF_logoRect, IMG_logo),
    button(MAIN, LF_trainingButtonRect, IMG_ringFist, SCREEN_TRAINING_MENU),
    label(MAIN, LF_trainingLabelRect, TXT_labelTraining, SCREEN_TRAINING_MENU),
    button(MAIN, LF_competitionButtonRect, IMG_ringRecords, SCREEN_COMPETITION_MENU),
    label(MAIN, LF_competitionLabelRect, TXT_labelCompetition, SCREEN_COMPETITION_MENU),
    button(MAIN, LF_statisticsButtonRect, IMG_ringStatistics, SCREEN_STATISTICS),
    label(MAIN, LF_statisticsLabelRect, TXT_labelStatistics, SCREEN_STATISTICS),
    button(MAIN, LF_settingsButtonRect, IMG_ringGear, SCREEN_DEVICE),

    // Training menu: the labels are inside their rings.
    button(TRAINING_MENU, LF_closeButtonRect, IMG_closeCross, TARGET_CLOSE),
    button(TRAINING_MENU, LF_backButtonRect, IMG_ringBack, TARGET_BACK),
    text(TRAINING_MENU, LF_trainingTitleRect, TXT_titleTraining),
    picture(TRAINING_MENU, LF_logoRect, IMG_logo),
    picture(TRAINING_MENU, LF_trainingEmblemRect, IMG_fighterSingle),
    button(TRAINING_MENU, LF_hitPowerButtonRect, IMG_ringEmpty, SCREEN_POWER_TRAINING),
    text(TRAINING_MENU, LF_hitPowerLabelRect, TXT_labelHitPower, LF_hitPowerButtonRect),
    button(TRAINING_MENU, LF_reactionButtonRect, IMG_ringEmpty, SCREEN_REACTION_TRAINING),
    text(TRAINING_MENU, LF_reactionLabel1Rect, TXT_labelReactionTime1, LF_reactionButtonRect),
    text(TRAINING_MENU, LF_reactionLabel2Rect, TXT_labelReactionTime2, LF_reactionButtonRect),
    button(TRAINING_MENU, LF_hitCountButtonRect, IMG_ringEmpty, SCREEN_HIT_COUNT_TRAINING),
    text(TRAINING_MENU, LF_hitCountLabel1Rect, TXT_labelHitCount1, LF_hitCountButtonRect),
    text(TRAINING_MENU, LF_hitCountLabel2Rect, TXT_labelHitCount2, LF_hitCountButtonRect),

    // Competition menu.
    button(COMPETITION_MENU, LF_closeButtonRect, IMG_closeCross, TARGET_CLOSE),
    button(COMPETITION_MENU, LF_backButtonRect, IMG_ringBack, TARGET_BACK),
    text(COMPETITION_MENU, LF_competitionTitleRect, TXT_titleCompetition),
    picture(COMPETITION_MENU, LF_logoRect, IMG_logo),
    picture(COMPETITION_MENU, LF_competitionEmblemRect, IMG_fightersPair),
    button(COMPETITION_MENU, LF_monsterTrucksButtonRect, IMG_ringEmpty, SCREEN_MONSTER_TRUCKS),
    text(COMPETITION_MENU, LF_monsterTrucksLabel1Rect, TXT_labelMonsterTrucks1, LF_monsterTrucksButtonRect),
    text(COMPETITION_MENU, LF_monsterTrucksLabel2Rect, TXT_labelMonsterTrucks2, LF_monsterTrucksButtonRect),
    text(COMPETITION_MENU, LF_monsterTrucksLabel3Rect, TXT_labelMonsterTrucks3, LF_monsterTrucksButtonRect),
    button(COMPETITION_MENU, LF_tanksButtonRect, IMG_ringEmpty, SCREEN_TANKS),
    text(COMPETITION_MENU, LF_tanksLabelRect, TXT_labelTanks, LF_tanksButtonRect),
    button(COMPETITION_MENU, LF_duckHuntButtonRect, IMG_ringEmpty, SCREEN_DUCK_HUNT),
    text(COMPETITION_MENU, LF_duckHuntLabel1Rect, TXT_labelDuckHunt1, LF_duckHuntButtonRect),
    text(COMPETITION_MENU, LF_duckHuntLabel2Rect, TXT_labelDuckHunt2, LF_duckHuntButtonRect),
    button(COMPETITION_MENU, LF_prospectorsButtonRect, IMG_ringEmpty, SCREEN_PROSPECTORS),
    text(COMPETITION_MENU, LF_prospectorsLabelRect, TXT_labelProspectors, LF_prospectorsButtonRect),

    // Player labels (the digit stands for the text the screen writes there).
    text(GAMES, LF_playerLabelLeftRect, TXT_labelPlayerGrey),
    text(GAMES, LF_playerDigitLeftRect, TXT_labelDigit1Green),
    text(TRAININGS | GAMES, LF_playerLabelRightRect, TXT_labelPlayerGrey),
    text(TRAININGS | GAMES, LF_playerDigitRightRect, TXT_labelDigit2Green),

    // Device screen.
    picture(DEVICE, LF_settingsMarkRect, IMG_ringGears),
    text(DEVICE, LF_settingsTitleRect, TXT_titleSettings),
    picture(DEVICE, LF_hubPlugRect, IMG_usbPlugGreen),
    picture(DEVICE, LF_padPlateRect, IMG_plate, ROLE_PICTURE, ALL),
    text(DEVICE, LF_padPlayerLabelRect, TXT_labelPlayerGrey, LF_NONE, ROLE_TEXT, ALL),
    text(DEVICE, LF_padDigitRect, TXT_labelDigit1Grey, LF_NONE, ROLE_TEXT, ALL, 4),
    picture(DEVICE, LF_chargeBarRect, IMG_tagBlack, ROLE_PICTURE, ALL),
    text(DEVICE, LF_macLabelRect, TXT_labelMacAddress, LF_NONE, ROLE_TEXT, ALL),
    text(DEVICE, LF_chargeLabelRect, TXT_labelCharge, LF_NONE, ROLE_TEXT, ALL),
    text(DEVICE, LF_batteryLabelRect, TXT_labelBattery, LF_NONE, ROLE_TEXT, ALL),
    runtime(DEVICE, LF_macValueRect, ALL),
    runtime(DEVICE, LF_chargeValueRect, ALL),
    picture(DEVICE, LF_macWarningRect, IMG_warningSign, ROLE_SOMETIMES, ALL),
    picture(DEVICE, LF_chargeWarningRect, IMG_warningSign, ROLE_SOMETIMES, ALL),
    text(DEVICE, LF_dialogOkRect, TXT_labelOk, LF_dialogButtonRect, ROLE_SOMETIMES),
    text(DEVICE, LF_reconnectLine1Rect, TXT_labelReconnect1, LF_NONE, ROLE_SOMETIMES),
    text(DEVICE, LF_reconnectLine2Rect, TXT_labelReconnect2, LF_NONE, ROLE_SOMETIMES),
    text(DEVICE, LF_strikeLine1Rect, TXT_labelStrike1, LF_NONE, ROLE_SOMETIMES),
    text(DEVICE, LF_strikeLine2Rect, TXT_labelStrike2, LF_NONE, ROLE_SOMETIMES),

    // Statistics: the delete dialog.
    text(STATISTICS, LF_pairOkRect, TXT_labelOk, LF_dialogButtonPairLeftRect, ROLE_SOMETIMES),
    text(STATISTICS, LF_pairCancelRect, TXT_labelCancel, LF_dialogButtonPairRightRect, ROLE_SOMETIMES),
    text(STATISTICS, LF_labelDeleteRect, TXT_labelDelete, LF_NONE, ROLE_SOMETIMES),
    text(STATISTICS, LF_labelRecordsRect, TXT_labelRecords, LF_NONE, ROLE_SOMETIMES),
    picture(STATISTICS, LF_sessionBoxRect, IMG_squareFrame, ROLE_SOMETIMES),
    picture(STATISTICS, LF_allTimeBoxRect, IMG_squareFrame, ROLE_SOMETIMES),
    picture(STATISTICS, LF_sessionTickRect, IMG_checkMark, ROLE_SOMETIMES),
    picture(STATISTICS, LF_allTimeTickRect, IMG_checkMark, ROLE_SOMETIMES),
    text(STATISTICS, LF_captionInRect1, TXT_captionIn, LF_NONE, ROLE_SOMETIMES),
    text(STATISTICS, LF_captionCurrentRect1, TXT_captionCurrent, LF_NONE, ROLE_SOMETIMES),
    text(STATISTICS, LF_captionSessionRect1, TXT_captionSession, LF_NONE, ROLE_SOMETIMES),
    text(STATISTICS, LF_captionForRect1, TXT_captionFor, LF_NONE, ROLE_SOMETIMES),
    text(STATISTICS, LF_captionAllRect1, TXT_captionAll, LF_NONE, ROLE_SOMETIMES),
    text(STATISTICS, LF_captionTimeRect1, TXT_captionTime, LF_NONE, ROLE_SOMETIMES),
    // Statistics: header, record rows, chart.
    text(STATISTICS, LF_titleStatisticsRect, TXT_titleStatistics),
    text(STATISTICS, LF_captionKindRect, TXT_captionKind),
    text(STATISTICS, LF_captionOfTrainingRect, TXT_captionOfTraining),
    text(STATISTICS, LF_captionRecordsRect1, TXT_captionRecords),
    text(STATISTICS, LF_captionInRect2, TXT_captionIn),
    text(STATISTICS, LF_captionCurrentRect2, TXT_captionCurrent),
    text(STATISTICS, LF_captionSessionRect2, TXT_captionSession),
    text(STATISTICS, LF_captionRecordsRect2, TXT_captionRecords),
    text(STATISTICS, LF_captionForRect2, TXT_captionFor),
    text(STATISTICS, LF_captionAllRect2, TXT_captionAll),
    text(STATISTICS, LF_captionTimeRect2, TXT_captionTime),
    text(STATISTICS, LF_captionDoneRect, TXT_captionDone),
    text(STATISTICS, LF_captionTrainingsRect, TXT_captionTrainings),
    text(STATISTICS, LF_captionInRect3, TXT_captionIn),
    text(STATISTICS, LF_captionCurrentRect3, TXT_captionCurrent),
    text(STATISTICS, LF_captionSessionRect3, TXT_captionSession),
    text(STATISTICS, LF_captionSlashRect, TXT_captionSlash),
    text(STATISTICS, LF_captionTotalRect, TXT_captionTotal),
    text(STATISTICS, LF_captionHitPowerRect, TXT_captionHitPower),
    picture(STATISTICS, LF_cupGoldRect2, IMG_cupGold),
    picture(STATISTICS, LF_cupSilverRect2, IMG_cupSilver),
    picture(STATISTICS, LF_cupBronzeRect2, IMG_cupBronze),
    picture(STATISTICS, LF_cupGoldRect3, IMG_cupGold),
    picture(STATISTICS, LF_cupSilverRect3, IMG_cupSilver),
    picture(STATISTICS, LF_cupBronzeRect3, IMG_cupBronze),
    runtime(STATISTICS, LF_captionBrandRect, ALL),
    picture(STATISTICS, LF_chartRect, NO_ART),
    text(STATISTICS, LF_captionZeroRect, TXT_captionZero),
    text(STATISTICS, LF_caption255Rect, TXT_caption255),
    picture(STATISTICS, LF_axisArrowYRect, IMG_arrowHeadWhite),
    picture(STATISTICS, LF_axisArrowXRect, IMG_arrowHeadWhite),
    picture(STATISTICS, LF_navLeftRect, IMG_triangleGrey, ROLE_SOMETIMES),
    picture(STATISTICS, LF_navUpRect, IMG_triangleGrey, ROLE_SOMETIMES),
    picture(STATISTICS, LF_navRightRect, IMG_triangleGrey, ROLE_SOMETIMES),
    picture(STATISTICS, LF_navDownRect, IMG_triangleGrey, ROLE_SOMETIMES),
    picture(STATISTICS, LF_navCentreRect, IMG_dotGrey, ROLE_SOMETIMES),
    text(STATISTICS, LF_minusRect, TXT_captionMinusGrey, LF_NONE, ROLE_SOMETIMES),
    text(STATISTICS, LF_plusRect, TXT_captionPlusGrey, LF_NONE, ROLE_SOMETIMES),
    runtime(STATISTICS, LF_captionInLimeRect),
    runtime(STATISTICS, LF_captionCurrentLimeRect),
    runtime(STATISTICS, LF_captionSessionLimeRect),
    runtime(STATISTICS, LF_captionForGreenRect),
    runtime(STATISTICS, LF_captionAllGreenRect),
    runtime(STATISTICS, LF_captionTimeGreenRect),

    // The three trainings share the cups; then each its own.
    picture(TRAININGS, LF_cupGoldRect1, IMG_cupGold),
    picture(TRAININGS, LF_cupSilverRect1, IMG_cupSilver),
    picture(TRAININGS, LF_cupBronzeRect1, IMG_cupBronze),
    text(POWER, LF_titleHitPowerRect, TXT_titleHitPower),
    picture(POWER, LF_rankTitleRect, IMG_rankTitle1, ROLE_SOMETIMES, ALL, 9),
    runtime(POWER, LF_powerScaleRect),
    text(REACTION, LF_titleReactionTime1Rect, TXT_titleReactionTime1),
    text(REACTION, LF_titleReactionTime2Rect, TXT_titleReactionTime2),
    picture(REACTION, LF_goBadgeRect, IMG_goBadge, ROLE_SOMETIMES),
    text(HIT_COUNT, LF_titleHitCount1Rect, TXT_titleHitCount1),
    text(HIT_COUNT, LF_titleHitCount2Rect, TXT_titleHitCount2),
    picture(HIT_COUNT, LF_stopwatchRect, IMG_stopwatch),
    text(HIT_COUNT, LF_labelColonRedRect, TXT_labelColonRed),
    picture(HIT_COUNT, LF_frameGreenRect, IMG_frameGreen, ROLE_SOMETIMES),
    runtime(HIT_COUNT, LF_progressFillRect),
    text(HIT_COUNT, LF_captionWaitingRect, TXT_captionWaiting, LF_NONE, ROLE_SOMETIMES),

    // The games share the medals and the pad labels.
    picture(GAMES, LF_medalGoldRect, IMG_medalGold, ROLE_SOMETIMES),
    picture(GAMES, LF_medalSilverRect, IMG_medalSilver, ROLE_SOMETIMES),
    runtime(GAMES, LF_finalStandingRect, ALL),
    runtime(GAMES, LF_leftPadLabelRect),
    runtime(GAMES, LF_rightPadLabelRect),

    // Monster trucks.
    picture(TRUCKS, LF_arenaBackgroundRect, IMG_arenaBackground, ROLE_BACKDROP),
    picture(TRUCKS, LF_logoCaptionRect, IMG_logoCaption),
    picture(TRUCKS, LF_truckBlueRect, IMG_truckBlue, ROLE_SPRITE),
    picture(TRUCKS, LF_truckOrangeRect, IMG_truckOrange, ROLE_SPRITE),
    picture(TRUCKS, LF_chainRect, IMG_chain, ROLE_SPRITE),
    picture(TRUCKS, LF_wheelGreenRect, IMG_wheelGreen1, ROLE_SPRITE, ALL),
    picture(TRUCKS, LF_wheelYellowRect, IMG_wheelYellow1, ROLE_SPRITE, ALL),
    picture(TRUCKS, LF_dustRect, IMG_dust4, ROLE_SPRITE, ALL),
    picture(TRUCKS, LF_trayRect, IMG_tray),
    text(TRUCKS, LF_titleColonRedRect, TXT_titleColonRed),
    runtime(TRUCKS, LF_truckClockMinutesRect),
    runtime(TRUCKS, LF_truckClockSecondsRect),
    runtime(TRUCKS, LF_truckStandingRect, ALL),

    // Tank duel: the field is as wide as the screen and keeps its proportions.
    picture(TANKS, LF_fieldBackgroundRect, IMG_fieldBackground, ROLE_BACKDROP),
    picture(TANKS, LF_tankYellowRect, IMG_tankYellow),
    picture(TANKS, LF_tankGreyRect, IMG_tankGrey),
    // Each log shows one of its four states; whole at the start.
    picture(TANKS, LF_leftLogRect, IMG_log1, ROLE_SOMETIMES, ALL, 4),
    picture(TANKS, LF_rightLogRect, IMG_log1, ROLE_SOMETIMES, ALL, 4),
    picture(TANKS, LF_leftLogRect, IMG_log1, ROLE_PICTURE, 0),
    picture(TANKS, LF_leftLogRect, IMG_log1, ROLE_PICTURE, 4),
    picture(TANKS, LF_leftLogRect, IMG_log1, ROLE_PICTURE, 8),
    picture(TANKS, LF_rightLogRect, IMG_log1, ROLE_PICTURE, 0),
    picture(TANKS, LF_rightLogRect, IMG_log1, ROLE_PICTURE, 4),
    picture(TANKS, LF_rightLogRect, IMG_log1, ROLE_PICTURE, 8),
    picture(TANKS, LF_blastRect, IMG_blast4, ROLE_SOMETIMES, ALL),
    picture(TANKS, LF_leftShellRects, IMG_shell, ROLE_SPRITE, ALL),
    picture(TANKS, LF_rightShellRects, IMG_shell, ROLE_SPRITE, ALL),
    runtime(TANKS, LF_tankStandingRect, ALL),

    // Duck hunt: the grass is a full-width layer over the meadow.
    picture(DUCKS, LF_meadowBackgroundRect, IMG_meadowBackground, ROLE_BACKDROP),
    picture(DUCKS, LF_grassRect, IMG_grass, ROLE_BACKDROP),
    picture(DUCKS, LF_treeRect, IMG_tree),
    picture(DUCKS, LF_duckHudBlueRect, IMG_duckHudBlue),
    picture(DUCKS, LF_duckHudRedRect, IMG_duckHudRed),
    picture(DUCKS, LF_hunterBlueRect, IMG_hunterBlue),
    picture(DUCKS, LF_hunterRedRect, IMG_hunterRed),
    picture(DUCKS, LF_crosshairRect, IMG_crosshair),
    runtime(DUCKS, LF_blueScoreTextRect),
    runtime(DUCKS, LF_redScoreTextRect),
    runtime(DUCKS, LF_duckStandingRect, ALL),
    runtime(DUCKS, LF_ducksToComeRect),
    text(DUCKS, LF_ducksToComeCaptionRect, TXT_captionDucksToCome, LF_NONE, ROLE_SOMETIMES),
    runtime(DUCKS, LF_ducksToComeCountRect),
    text(DUCKS, LF_decidingDuckRect, TXT_captionDecidingDuck, LF_NONE, ROLE_SOMETIMES),

    // Prospectors.
    picture(PROSPECTORS, LF_caveBackgroundRect, IMG_caveBackground, ROLE_BACKDROP),
    picture(PROSPECTORS, LF_rockPillarRect, IMG_rockPillar),
    picture(PROSPECTORS, LF_minerBlueRect, IMG_minerBlue1),
    picture(PROSPECTORS, LF_minerRedRect, IMG_minerRed1),
    picture(PROSPECTORS, LF_sackBlueRect, IMG_sackBlue),
    picture(PROSPECTORS, LF_sackRedRect, IMG_sackRed),
    picture(PROSPECTORS, LF_emeraldRect1, IMG_emerald),
    picture(PROSPECTORS, LF_diamondRect1, IMG_diamond),
    picture(PROSPECTORS, LF_goldNuggetRect1, IMG_goldNugget),
    picture(PROSPECTORS, LF_emeraldRect2, IMG_emerald),
    picture(PROSPECTORS, LF_diamondRect2, IMG_diamond),
    picture(PROSPECTORS, LF_goldNuggetRect2, IMG_goldNugget),
    picture(PROSPECTORS, LF_dynamiteRect, IMG_dynamite),
    text(PROSPECTORS, LF_titleColonRed2Rect, TXT_titleColonRed2),
    runtime(PROSPECTORS, LF_leftSackScoreRect),
    runtime(PROSPECTORS, LF_leftEmeraldCountRect),
    runtime(PROSPECTORS, LF_leftDiamondCountRect),
    runtime(PROSPECTORS, LF_leftNuggetCountRect),
    runtime(PROSPECTORS, LF_rightSackScoreRect),
    runtime(PROSPECTORS, LF_rightEmeraldCountRect),
    runtime(PROSPECTORS, LF_rightDiamondCountRect),
    runtime(PROSPECTORS, LF_rightNuggetCountRect),
    runtime(PROSPECTORS, LF_dynamiteMinutesRect),
    runtime(PROSPECTORS, LF_dynamiteSecondsRect),
    runtime(PROSPECTORS, LF_sackStandingRect, ALL),
};
const int32_t SCREEN_RECT_COUNT = (int32_t)(sizeof screen_rects / sizeof screen_rects[0]);

MenuRows menu_rows(int32_t screen) {
  MenuRows rows;
  for (int32_t e = 0; e < SCREEN_RECT_COUNT; ++e) {
    if (screen_rects[e].screens != screen_bit(screen)) {
      if (rows.count > 0) break;
      continue;
    }
    if (rows.count == 0) rows.first = &screen_rects[e];
    rows.count++;
  }
  return rows;
}
