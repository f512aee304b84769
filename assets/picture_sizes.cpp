// The size each picture is drawn at on this display, so the loader can make it at that size
// once: the software renderer then copies it pixel for pixel instead of scaling it in every
// frame, and the textures hold no more pixels than the screen shows.
#include <algorithm>

#include "assets/loader.h"

namespace {

// Pictures first..last are drawn in a layout rectangle: with cycle > 0, element e shows
// picture first + e % cycle; otherwise every picture in every element. A picture the games
// move and turn at many sizes gives its largest as a square of layout units instead.
struct DrawnIn {
  ImageId first, last;
  LayoutFieldId field;  // LF_NONE: the units below
  int16_t cycle;
  float units;
};

constexpr DrawnIn in(ImageId first, ImageId last, LayoutFieldId field, int16_t cycle = 0) {
  return {first, last, field, cycle, 0.0f};
}
constexpr DrawnIn in(ImageId image, LayoutFieldId field) { return in(image, image, field); }
constexpr DrawnIn square(ImageId first, ImageId last, float units) {
  return {first, last, LF_NONE, 0, units};
}

// Left out, and so kept at their own size: `powerScale`, drawn through a source rectangle in
// its own pixels, and the ducks, which grow from nothing as they fly (scaled every frame in
// any case).
const DrawnIn drawn_in[] = {
    in(IMG_frameGreen, LF_frameGreenRect),
    in(IMG_closeCross, LF_closeButtonRect),
    in(IMG_ringGear, LF_settingsButtonRect),
    in(IMG_ringGears, LF_settingsMarkRect),
    in(IMG_background, LF_backgroundRect),
    in(IMG_barShadow, LF_bottomBarRect),
    in(IMG_targetRings, LF_introRingsRect),
    in(IMG_logo, LF_introLogoRect),
    in(IMG_logo, LF_logoRect),
    in(IMG_logoCaption, LF_logoCaptionRect),
    in(IMG_ringPlay, LF_playButtonRect),
    in(IMG_ringBack, LF_backButtonRect),
    in(IMG_ringRepeat, LF_repeatButtonRect),
    in(IMG_ringDigit1, IMG_ringDigit3, LF_countdownRect),
    in(IMG_panel, LF_dialogPanelRect),
    in(IMG_pillButton, LF_dialogButtonRect),
    in(IMG_pillButton, LF_dialogButtonLeftRect),
    in(IMG_pillButton, LF_dialogButtonRightRect),
    in(IMG_pillButton, LF_dialogButtonPairLeftRect),
    in(IMG_pillButton, LF_dialogButtonPairRightRect),
    in(IMG_squareFrame, LF_sessionBoxRect),
    in(IMG_squareFrame, LF_allTimeBoxRect),
    in(IMG_checkMark, LF_sessionTickRect),
    in(IMG_checkMark, LF_allTimeTickRect),
    in(IMG_ringFist, LF_trainingButtonRect),
    in(IMG_ringRecords, LF_competitionButtonRect),
    in(IMG_ringStatistics, LF_statisticsButtonRect),
    in(IMG_ringEmpty, LF_hitPowerButtonRect),
    in(IMG_ringEmpty, LF_reactionButtonRect),
    in(IMG_ringEmpty, LF_hitCountButtonRect),
    in(IMG_ringEmpty, LF_monsterTrucksButtonRect),
    in(IMG_ringEmpty, LF_tanksButtonRect),
    in(IMG_ringEmpty, LF_duckHuntButtonRect),
    in(IMG_ringEmpty, LF_prospectorsButtonRect),
    in(IMG_fighterSingle, LF_trainingEmblemRect),
    in(IMG_fightersPair, LF_competitionEmblemRect),
    in(IMG_cupGold, LF_cupGoldRect1),
    in(IMG_cupGold, LF_cupGoldRect2),
    in(IMG_cupGold, LF_cupGoldRect3),
    in(IMG_cupSilver, LF_cupSilverRect1),
    in(IMG_cupSilver, LF_cupSilverRect2),
    in(IMG_cupSilver, LF_cupSilverRect3),
    in(IMG_cupBronze, LF_cupBronzeRect1),
    in(IMG_cupBronze, LF_cupBronzeRect2),
    in(IMG_cupBronze, LF_cupBronzeRect3),
    in(IMG_medalGold, LF_medalGoldRect),
    in(IMG_medalSilver, LF_medalSilverRect),
    in(IMG_rankTitle1, IMG_rankTitle9, LF_rankTitleRect, 9),
    in(IMG_goBadge, LF_goBadgeRect),
    in(IMG_stopwatch, LF_stopwatchRect),
    in(IMG_usbPlugGreen, IMG_usbPlugGrey, LF_hubPlugRect),
    in(IMG_plate, LF_padPlateRect),
    in(IMG_tagBlack, IMG_tagRed, LF_chargeBarRect),
    in(IMG_warningSign, LF_macWarningRect),
    in(IMG_warningSign, LF_chargeWarningRect),
    in(IMG_arrowHeadWhite, LF_axisArrowXRect),
    in(IMG_arrowHeadWhite, LF_axisArrowYRect),
    in(IMG_triangleGrey, IMG_triangleWhite, LF_navLeftRect),
    in(IMG_triangleGrey, IMG_triangleWhite, LF_navUpRect),
    in(IMG_triangleGrey, IMG_triangleWhite, LF_navRightRect),
    in(IMG_triangleGrey, IMG_triangleWhite, LF_navDownRect),
    in(IMG_dotGreen, IMG_dotGrey, LF_navCentreRect),
    in(IMG_arenaBackground, LF_arenaBackgroundRect),
    in(IMG_truckBlue, LF_truckBlueRect),
    in(IMG_truckOrange, LF_truckOrangeRect),
    in(IMG_chain, LF_chainRect),
    in(IMG_wheelGreen1, IMG_wheelGreen6, LF_wheelGreenRect),
    in(IMG_wheelYellow1, IMG_wheelYellow6, LF_wheelYellowRect),
    in(IMG_dust1, IMG_dust6, LF_dustRect),
    in(IMG_tray, LF_trayRect),
    in(IMG_fieldBackground, LF_fieldBackgroundRect),
    in(IMG_tankYellow, LF_tankYellowRect),
    in(IMG_tankGrey, LF_tankGreyRect),
    in(IMG_shell, LF_leftShellRects),
    in(IMG_shell, LF_rightShellRects),
    in(IMG_log1, IMG_log4, LF_leftLogRect, 4),
    in(IMG_log1, IMG_log4, LF_rightLogRect, 4),
    in(IMG_blast1, IMG_blast7, LF_blastRect),
    in(IMG_meadowBackground, LF_meadowBackgroundRect),
    in(IMG_grass, LF_grassRect),
    in(IMG_tree, LF_treeRect),
    in(IMG_duckHudBlue, LF_duckHudBlueRect),
    in(IMG_duckHudRed, LF_duckHudRedRect),
    in(IMG_hunterBlue, LF_hunterBlueRect),
    in(IMG_hunterRed, LF_hunterRedRect),
    in(IMG_crosshair, LF_crosshairRect),
    // A feather burst is 10 units square; stones and gems fly at up to 4 units.
    square(IMG_feathers1, IMG_feathers4, 10.0f),
    in(IMG_caveBackground, LF_caveBackgroundRect),
    in(IMG_rockPillar, LF_rockPillarRect),
    in(IMG_minerBlue1, IMG_minerBlue3, LF_minerBlueRect),
    in(IMG_minerRed1, IMG_minerRed3, LF_minerRedRect),
    in(IMG_sackBlue, LF_sackBlueRect),
    in(IMG_sackRed, LF_sackRedRect),
    in(IMG_emerald, LF_emeraldRect1),
    in(IMG_emerald, LF_emeraldRect2),
    in(IMG_diamond, LF_diamondRect1),
    in(IMG_diamond, LF_diamondRect2),
    in(IMG_goldNugget, LF_goldNuggetRect1),
    in(IMG_goldNugget, LF_goldNuggetRect2),
    square(IMG_emerald, IMG_pebble, STONE_FLYING_UNITS),
    in(IMG_dynamite, LF_dynamiteRect),
};

// The larger (by area) of two sizes; a picture drawn in several places is made for the
// largest and scaled down a little for the others.
void keep_larger(PixelSize& kept, PixelSize size) {
  if ((int64_t)size.w * size.h > (int64_t)kept.w * kept.h) kept = size;
}

}  // namespace

void picture_sizes(const LayoutTable& layout, float unit, PixelSize sizes[IMAGE_COUNT]) {
  PixelSize drawn[IMAGE_COUNT] = {};
  for (const DrawnIn& d : drawn_in) {
    if (d.field == LF_NONE) {
      const int32_t side = (int32_t)(d.units * unit);
      for (int32_t i = d.first; i <= d.last; ++i) keep_larger(drawn[i], PixelSize{side, side});
      continue;
    }
    for (int32_t e = 0; e < layout_fields[d.field].count; ++e) {
      SDL_FRect r;
      if (!layout_rect(layout, d.field, e, r)) continue;
      // The software renderer draws a rectangle of the truncated size.
      const PixelSize size{(int32_t)r.w, (int32_t)r.h};
      if (d.cycle > 0) {
        const int32_t i = d.first + e % d.cycle;
        if (i <= d.last) keep_larger(drawn[i], size);
      } else {
        for (int32_t i = d.first; i <= d.last; ++i) keep_larger(drawn[i], size);
      }
    }
  }
  // Only ever made smaller: a picture drawn larger than its own size keeps it.
  for (int32_t i = 0; i < IMAGE_COUNT; ++i) {
    const PixelSize own{image_info[i].width, image_info[i].height};
    const PixelSize d = drawn[i];
    const bool smaller = d.w >= 1 && d.h >= 1 && d.w <= own.w && d.h <= own.h;
    sizes[i] = smaller ? d : own;
  }
}
