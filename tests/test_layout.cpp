// The layout table: worked examples, the cover fit, invariants at many output sizes, what a
// text's size moves, and the two shared draw routines.
#include <SDL_ttf.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ui/draw_list.h"
#include "app/window.h"
#include "assets/layout.h"
#include "assets/loader.h"
#include "tests/support.h"

namespace {

float aspect_of(ImageId id) {
  LayoutInput in = layout_input_at(1920, 1080);
  return (float)in.image[id].w / (float)in.image[id].h;
}

struct Size {
  int w, h;
};
const Size INVARIANT_SIZES[] = {{1024, 768}, {1366, 768}, {1920, 1080}, {2560, 1440}, {3840, 2160}};

std::string size_name(Size s) { return std::to_string(s.w) + "x" + std::to_string(s.h); }

std::string element_name(LayoutFieldId field, int32_t index) {
  char name[64];
  layout_element_name(field, index, name, sizeof name);
  return name;
}

// Every element a screen entry stands for.
std::vector<int32_t> elements(const ScreenRect& entry) {
  if (entry.index != EVERY_ELEMENT) return {entry.index};
  std::vector<int32_t> all;
  for (int32_t i = 0; i < layout_fields[entry.field].count; ++i) all.push_back(i);
  return all;
}

SDL_FRect rect_of(const LayoutTable& layout, LayoutFieldId field, int32_t index = 0) {
  SDL_FRect r{};
  EXPECT_TRUE(layout_rect(layout, field, index, r)) << layout_fields[field].name;
  return r;
}

float overlap_area(const SDL_FRect& a, const SDL_FRect& b) {
  float w = std::fmin(a.x + a.w, b.x + b.w) - std::fmax(a.x, b.x);
  float h = std::fmin(a.y + a.h, b.y + b.h) - std::fmax(a.y, b.y);
  return w > 0 && h > 0 ? w * h : 0;
}

SDL_FRect to_frect(const SDL_Rect& r) { return {(float)r.x, (float)r.y, (float)r.w, (float)r.h}; }

float centre_x(const SDL_FRect& r) { return r.x + r.w / 2; }
float centre_y(const SDL_FRect& r) { return r.y + r.h / 2; }

}  // namespace

TEST(Layout, WorkedExamplesAt1920x1080) {
  LayoutTable L = layout_at(1920, 1080);
  EXPECT_FLOAT_EQ(L.closeButtonRect.x, 1839);
  EXPECT_FLOAT_EQ(L.closeButtonRect.y, 27);
  EXPECT_FLOAT_EQ(L.closeButtonRect.w, 54 * 134.0f / 141.0f);
  EXPECT_FLOAT_EQ(L.closeButtonRect.h, 54);
  EXPECT_FLOAT_EQ(L.trainingButtonRect.x, 312);
  EXPECT_FLOAT_EQ(L.trainingButtonRect.y, 378);
  EXPECT_FLOAT_EQ(L.trainingButtonRect.w, 324 * aspect_of(IMG_ringFist));
  EXPECT_FLOAT_EQ(L.trainingButtonRect.h, 324);
  EXPECT_FLOAT_EQ(L.bottomBarRect.x, 0);
  EXPECT_NEAR(L.bottomBarRect.y, 925.714f, 0.001f);
  EXPECT_FLOAT_EQ(L.bottomBarRect.w, 1920);
  EXPECT_NEAR(L.bottomBarRect.h, 154.2857f, 0.001f);
}

TEST(Layout, UnitIsTheHeightOverFortyRoundedDown) {
  EXPECT_FLOAT_EQ(display_unit(1050), 26);
  LayoutTable L = layout_at(1680, 1050);
  EXPECT_FLOAT_EQ(L.closeButtonRect.y, 26);  // one unit from the top
  EXPECT_FLOAT_EQ(L.closeButtonRect.h, 52);
  EXPECT_FLOAT_EQ(L.backButtonRect.y, 1050 - 78);
}

TEST(Layout, TextRectanglesKeepTheirMeasuredWidth) {
  const LayoutInput in = layout_input_at(1920, 1080);
  LayoutTable L;
  compute_layout(L, in);
  EXPECT_EQ(L.trainingLabelRect.w, in.text[TXT_labelTraining].w);
  EXPECT_EQ(L.trainingLabelRect.h, in.text[TXT_labelTraining].h);
  EXPECT_EQ(L.captionSlashRect.w, in.text[TXT_captionSlash].w);
  EXPECT_EQ(L.dialogOkRect.w, in.text[TXT_labelOk].w);
  // The caption gap is half the slash in whole pixels: 6 here, not 6.5.
  EXPECT_EQ(in.text[TXT_captionSlash].w, 13);
  EXPECT_EQ(L.captionGap, 6.0f);
}

// Full-screen backgrounds keep their proportions and cover the whole screen: a wider picture
// loses both sides evenly, a narrower one its top (the menus' backdrop) or top and bottom evenly
// (the game backgrounds).
TEST(Layout, CoverFitFillsTheScreenInBothDirections) {
  const struct {
    LayoutFieldId field;
    ImageId image;
    bool bottom_aligned;
  } backdrops[] = {{LF_backgroundRect, IMG_background, true},
                   {LF_arenaBackgroundRect, IMG_arenaBackground, false},
                   {LF_meadowBackgroundRect, IMG_meadowBackground, false},
                   {LF_caveBackgroundRect, IMG_caveBackground, false}};
  int cut_sides = 0, cut_top_bottom = 0, cut_top = 0;
  for (Size s : {Size{1024, 768}, Size{1920, 1080}, Size{2560, 1080}, Size{1280, 1024}}) {
    LayoutTable L = layout_at(s.w, s.h);
    const float W = (float)s.w, H = (float)s.h;
    for (const auto& b : backdrops) {
      SCOPED_TRACE(size_name(s) + " " + layout_fields[b.field].name);
      SDL_FRect r = rect_of(L, b.field);
      EXPECT_NEAR(r.w / r.h, aspect_of(b.image), 1e-4f);
      EXPECT_LE(r.x, 0.0f);
      EXPECT_LE(r.y, 0.0f);
      EXPECT_GE(r.x + r.w, W - 0.01f);
      EXPECT_GE(r.y + r.h, H - 0.01f);
      EXPECT_NEAR(centre_x(r), W / 2, 0.01f);
      if (r.w > W + 0.5f) {  // wider than the screen
        EXPECT_FLOAT_EQ(r.h, H);
        cut_sides++;
      } else if (r.h > H + 0.5f) {  // narrower than the screen
        EXPECT_FLOAT_EQ(r.w, W);
        if (b.bottom_aligned) {
          EXPECT_NEAR(r.y + r.h, H, 0.01f);
          cut_top++;
        } else {
          EXPECT_NEAR(centre_y(r), H / 2, 0.01f);
          cut_top_bottom++;
        }
      }
    }
  }
  EXPECT_GT(cut_sides, 0);
  EXPECT_GT(cut_top, 0);
  EXPECT_GT(cut_top_bottom, 0);
}

// The medals of the games are 60U wide together around the middle: on a 4:3 screen (53.9U wide)
// they reach past both edges. They stand there only while a finished game is shown.
static bool known_outside(Size s, LayoutFieldId field) {
  return (float)s.w / (float)s.h < 1.4f && (field == LF_medalGoldRect || field == LF_medalSilverRect);
}

TEST(Layout, EveryButtonPictureAndTextLiesInsideTheScreen) {
  for (Size s : INVARIANT_SIZES) {
    LayoutTable L = layout_at(s.w, s.h);
    for (int32_t e = 0; e < SCREEN_RECT_COUNT; ++e) {
      const ScreenRect& entry = screen_rects[e];
      if (entry.role == ROLE_BACKDROP || entry.role == ROLE_RUNTIME) continue;
      for (int32_t i : elements(entry)) {
        SDL_FRect r = rect_of(L, entry.field, i);
        SCOPED_TRACE(size_name(s) + " " + element_name(entry.field, i));
        EXPECT_GT(r.w, 0.0f);
        EXPECT_GT(r.h, 0.0f);
        bool inside = r.x >= -0.01f && r.y >= -0.01f && r.x + r.w <= s.w + 0.01f && r.y + r.h <= s.h + 0.01f;
        EXPECT_EQ(inside, !known_outside(s, entry.field))
            << "at (" << r.x << ", " << r.y << ", " << r.w << ", " << r.h << ")";
      }
    }
  }
}

TEST(Layout, MenuButtonsDoNotOverlap) {
  for (Size s : INVARIANT_SIZES) {
    LayoutTable L = layout_at(s.w, s.h);
    for (int screen : {SCREEN_MAIN_MENU, SCREEN_TRAINING_MENU, SCREEN_COMPETITION_MENU}) {
      std::vector<LayoutFieldId> buttons;
      for (int32_t e = 0; e < SCREEN_RECT_COUNT; ++e)
        if ((screen_rects[e].screens & screen_bit(screen)) && screen_rects[e].role == ROLE_BUTTON)
          buttons.push_back(screen_rects[e].field);
      ASSERT_GE(buttons.size(), 4u);
      // The buttons are rings: circles as high as their rectangles.
      for (size_t a = 0; a < buttons.size(); ++a)
        for (size_t b = a + 1; b < buttons.size(); ++b) {
          SDL_FRect p = rect_of(L, buttons[a]), q = rect_of(L, buttons[b]);
          float distance = std::hypot(centre_x(p) - centre_x(q), centre_y(p) - centre_y(q));
          EXPECT_GE(distance, (p.h + q.h) / 2)
              << size_name(s) << " " << layout_fields[buttons[a]].name << " and "
              << layout_fields[buttons[b]].name;
        }
    }
  }
}

TEST(Layout, LabelsAreCentredOnTheirButtons) {
  for (Size s : INVARIANT_SIZES) {
    LayoutTable L = layout_at(s.w, s.h);
    std::map<LayoutFieldId, std::vector<SDL_FRect>> labels_of;
    for (int32_t e = 0; e < SCREEN_RECT_COUNT; ++e)
      if (screen_rects[e].on != LF_NONE)
        labels_of[screen_rects[e].on].push_back(rect_of(L, screen_rects[e].field, screen_rects[e].index));
    ASSERT_GE(labels_of.size(), 9u);
    for (const auto& [button_field, labels] : labels_of) {
      SCOPED_TRACE(size_name(s) + " on " + layout_fields[button_field].name);
      SDL_FRect button = rect_of(L, button_field);
      float top = labels.front().y, bottom = labels.back().y + labels.back().h;
      for (const SDL_FRect& label : labels) {
        EXPECT_NEAR(centre_x(label), centre_x(button), 1.0f);
        EXPECT_GT(overlap_area(label, button), 0.99f * label.w * label.h) << "the label leaves its button";
      }
      // One line sits on the middle; a block of lines within a tenth of a line of it.
      float tolerance = labels.size() == 1 ? 1.0f : 0.1f * labels.front().h + 1.0f;
      EXPECT_NEAR((top + bottom) / 2, centre_y(button), tolerance);
    }
  }
}

TEST(Layout, PadCardsDoNotOverlapAndHoldTheirLines) {
  for (Size s : INVARIANT_SIZES) {
    LayoutTable L = layout_at(s.w, s.h);
    for (int a = 0; a < 4; ++a) {
      SCOPED_TRACE(size_name(s) + " pad " + std::to_string(a + 1));
      const SDL_FRect& plate = L.padPlateRect[a];
      for (int b = a + 1; b < 4; ++b) EXPECT_EQ(overlap_area(plate, L.padPlateRect[b]), 0.0f);
      // The player label stands above its own card, clear of the card above it.
      EXPECT_LT(L.padPlayerLabelRect[a].y + L.padPlayerLabelRect[a].h, plate.y);
      for (int b = 0; b < 4; ++b) {
        SDL_Rect r = L.padPlayerLabelRect[a];
        EXPECT_EQ(overlap_area({(float)r.x, (float)r.y, (float)r.w, (float)r.h}, L.padPlateRect[b]), 0.0f);
      }
      // Segments, labels and warnings lie on the card; the segments half a unit apart.
      for (int k = 0; k < 4; ++k) {
        const SDL_FRect& bar = L.chargeBarRect[a][k];
        EXPECT_GE(overlap_area(bar, plate), bar.w * bar.h * 0.999f);
        EXPECT_NEAR(centre_y(bar), centre_y(plate), 0.01f);
        if (k > 0) {
          const SDL_FRect& before = L.chargeBarRect[a][k - 1];
          EXPECT_NEAR(bar.x - (before.x + before.w), 0.5f * display_unit(s.h), 0.01f);
        }
      }
      for (const SDL_FRect* w : {&L.macWarningRect[a], &L.chargeWarningRect[a]})
        EXPECT_GE(overlap_area(*w, plate), w->w * w->h * 0.999f);
      // Each value follows its label one digit's width on.
      EXPECT_EQ(L.macValueRect[a].x - (L.macLabelRect[a].x + L.macLabelRect[a].w), L.playerDigitLeftRect.w);
      EXPECT_EQ(L.batteryLabelRect[a].x - (L.chargeLabelRect[a].x + L.chargeLabelRect[a].w),
                L.playerDigitLeftRect.w);
      EXPECT_EQ(L.chargeValueRect[a].x - (L.batteryLabelRect[a].x + L.batteryLabelRect[a].w),
                L.playerDigitLeftRect.w);
    }
  }
}

TEST(Layout, LogStatesShareTheirRowsCentreAndShellsStartAtTheirTank) {
  for (Size s : INVARIANT_SIZES) {
    LayoutTable L = layout_at(s.w, s.h);
    SCOPED_TRACE(size_name(s));
    const SDL_FRect* columns[2] = {L.leftLogRect, L.rightLogRect};
    for (int c = 0; c < 2; ++c)
      for (int row = 0; row < 3; ++row) {
        const float centre = L.logRowCentreY[3 * c + row];
        for (int state = 0; state < 4; ++state) {
          const SDL_FRect& log = columns[c][4 * row + state];
          EXPECT_NEAR(centre_y(log), centre, 0.01f) << "row " << row + 1 << " state " << state + 1;
          EXPECT_FLOAT_EQ(centre_x(log), centre_x(columns[c][4 * row]));
        }
        // The blast of a row bursts on the row's centre line, above its own tank.
        const SDL_FRect& blast = L.blastRect[3 * c + row];
        EXPECT_NEAR(centre_y(blast), centre, 0.01f);
        EXPECT_NEAR(centre_x(blast), centre_x(c == 0 ? L.tankYellowRect : L.tankGreyRect), 0.01f);
      }
    // Rows stack upwards from the tanks without overlapping.
    for (int row = 0; row + 1 < 3; ++row)
      EXPECT_GT(L.leftLogRect[4 * row].y, L.leftLogRect[4 * (row + 1)].y + L.leftLogRect[4 * (row + 1)].h);
    EXPECT_LT(L.leftLogRect[0].y + L.leftLogRect[0].h, L.tankYellowRect.y);
    for (int i = 0; i < 75; ++i) {
      EXPECT_NEAR(centre_x(L.leftShellRects[i]), centre_x(L.tankYellowRect), 1.0f);
      EXPECT_NEAR(centre_x(L.rightShellRects[i]), centre_x(L.tankGreyRect), 1.0f);
      EXPECT_FLOAT_EQ(L.leftShellRects[i].y, L.tankYellowRect.y);
      EXPECT_FLOAT_EQ(L.rightShellRects[i].y, L.tankGreyRect.y);
    }
  }
}

// Each game's standing plates lie on the screen, clear of one another and of the scene's own
// plates, at every size (a 4:3 screen has least room between the duck hunt's score plates).
TEST(Layout, StandingPlatesStayClearOfEachOtherAndOfTheScenesPlates) {
  for (Size s : INVARIANT_SIZES) {
    LayoutTable L = layout_at(s.w, s.h);
    SCOPED_TRACE(size_name(s));
    const SDL_FRect caption = to_frect(L.ducksToComeCaptionRect);
    const std::vector<std::vector<SDL_FRect>> games = {
        {L.truckStandingRect[0], L.truckStandingRect[1], L.trayRect},
        {L.tankStandingRect[0], L.tankStandingRect[1], L.leftLogRect[0], L.rightLogRect[0]},
        {L.duckStandingRect[0], L.duckStandingRect[1], L.ducksToComeRect, L.duckHudBlueRect,
         L.duckHudRedRect},
        {L.sackStandingRect[0], L.sackStandingRect[1], L.sackBlueRect, L.sackRedRect},
        {L.finalStandingRect[0], L.finalStandingRect[1]},
    };
    for (size_t g = 0; g < games.size(); ++g)
      for (size_t a = 0; a < games[g].size(); ++a) {
        const SDL_FRect& p = games[g][a];
        EXPECT_TRUE(p.x >= 0 && p.y >= 0 && p.x + p.w <= s.w && p.y + p.h <= s.h) << "game " << g << " plate " << a;
        for (size_t b = a + 1; b < games[g].size(); ++b)
          EXPECT_EQ(overlap_area(p, games[g][b]), 0.0f) << "game " << g << " plates " << a << " and " << b;
      }
    // The caption and the count share the duck hunt's middle plate without touching.
    const SDL_FRect& plate = L.ducksToComeRect;
    EXPECT_EQ(overlap_area(caption, L.ducksToComeCountRect), 0.0f);
    for (const SDL_FRect& part : {caption, L.ducksToComeCountRect, to_frect(L.decidingDuckRect)})
      EXPECT_NEAR(overlap_area(part, plate), part.w * part.h, 0.5f) << "inside the plate";
  }
}

// A caption row's words follow each other with the gap g, none overlapping the next; a gap of
// whole pixels leaves nothing to round.
static void expect_row(const std::vector<SDL_Rect>& words, float gap, float tolerance = 1.0f) {
  for (size_t i = 1; i < words.size(); ++i) {
    const float space = (float)(words[i].x - (words[i - 1].x + words[i - 1].w));
    EXPECT_NEAR(space, gap, tolerance) << "before word " << i + 1;
    EXPECT_EQ(words[i].y, words[0].y);
  }
}

TEST(Layout, StatisticsCaptionsSpreadByHalfASlash) {
  for (Size s : INVARIANT_SIZES) {
    LayoutTable L = layout_at(s.w, s.h);
    SCOPED_TRACE(size_name(s));
    const float g = L.captionGap, W = (float)s.w, U = display_unit(s.h);
    expect_row({L.captionKindRect, L.captionOfTrainingRect}, g, 0);
    const std::vector<SDL_Rect> session = {L.captionInRect2, L.captionCurrentRect2, L.captionSessionRect2};
    const std::vector<SDL_Rect> all_time = {L.captionForRect2, L.captionAllRect2, L.captionTimeRect2};
    const std::vector<SDL_Rect> counter = {L.captionInRect3, L.captionCurrentRect3, L.captionSessionRect3,
                                           L.captionSlashRect, L.captionTotalRect};
    expect_row(session, g, 0);
    expect_row(all_time, g, 0);
    expect_row(counter, g, 0);
    expect_row({L.captionDoneRect, L.captionTrainingsRect}, g, 0);
    auto middle = [](const std::vector<SDL_Rect>& row) {
      return (row.front().x + row.back().x + row.back().w) / 2.0f;
    };
    EXPECT_NEAR(middle(session), 0.3f * W, 1.0f);
    EXPECT_NEAR(middle(all_time), 0.66f * W, 1.0f);
    EXPECT_NEAR(L.captionTotalRect.x + L.captionTotalRect.w, W - 2 * U, 1.0f);
    EXPECT_NEAR(middle({L.captionDoneRect, L.captionTrainingsRect}), middle(counter), 1.0f);
    // The headings stand one line above their rows.
    EXPECT_EQ(L.captionRecordsRect1.y + L.captionRecordsRect1.h, L.captionInRect2.y);
    EXPECT_NEAR(L.captionRecordsRect1.x + L.captionRecordsRect1.w / 2.0f, 0.3f * W, 1.0f);
    // The dialog's captions follow their boxes half a unit apart; the chart's label is centred.
    expect_row({L.captionInRect1, L.captionCurrentRect1, L.captionSessionRect1}, 0.5f * U);
    expect_row({L.captionInLimeRect, L.captionCurrentLimeRect, L.captionSessionLimeRect}, g, 0);
    EXPECT_NEAR(middle({L.captionForGreenRect, L.captionAllGreenRect, L.captionTimeGreenRect}), W / 2, 1.0f);
  }
}

TEST(Layout, TwoWordTitlesAreCentredADigitApart) {
  LayoutInput in = layout_input_at(1366, 768);
  LayoutTable L;
  compute_layout(L, in);
  for (auto [first, second] : {std::pair{L.titleReactionTime1Rect, L.titleReactionTime2Rect},
                               std::pair{L.titleHitCount1Rect, L.titleHitCount2Rect}}) {
    expect_row({first, second}, (float)in.text[TXT_labelDigit1Green].w);
    EXPECT_NEAR((first.x + second.x + second.w) / 2.0f, 683.0f, 1.0f);
  }
}

// Names of the fields whose value differs between two tables.
static std::set<std::string> changed_fields(const LayoutTable& a, const LayoutTable& b) {
  static const size_t element_size[] = {sizeof(SDL_FRect), sizeof(SDL_Rect), sizeof(float), sizeof(PixelSize)};
  std::set<std::string> names;
  for (int f = 0; f < LAYOUT_FIELD_COUNT; ++f) {
    const LayoutField& field = layout_fields[f];
    if (memcmp((const char*)&a + field.offset, (const char*)&b + field.offset,
               field.count * element_size[field.kind]) != 0)
      names.insert(field.name);
  }
  return names;
}

TEST(Layout, ATextMovesOnlyTheRectanglesThatDependOnIt) {
  const LayoutInput base = layout_input_at(1920, 1080);
  LayoutTable before;
  compute_layout(before, base);
  const struct {
    TextId text;
    int grow_w, grow_h;
    std::set<std::string> moved;
  } cases[] = {
      {TXT_labelTraining, 40, 0, {"trainingLabelRect"}},
      {TXT_labelPlayerGrey, 25, 0,
       {"playerLabelLeftRect", "playerDigitLeftRect", "playerLabelRightRect", "playerDigitRightRect",
        "padPlayerLabelRect", "padDigitRect"}},
      {TXT_labelDigit1Green, 3, 0,
       {"playerDigitLeftRect", "playerDigitRightRect", "padDigitRect", "macValueRect", "batteryLabelRect",
        "chargeValueRect", "titleReactionTime1Rect", "titleReactionTime2Rect", "titleHitCount1Rect",
        "titleHitCount2Rect"}},
      {TXT_captionZero, 10, 0, {"captionZeroRect", "chartRect", "axisArrowYRect"}},
      {TXT_labelCharge, 30, 0, {"chargeLabelRect", "batteryLabelRect", "chargeValueRect"}},
      // A taller title moves everything on the statistics screen under it, pictures too.
      {TXT_titleStatistics, 0, 6,
       {"titleStatisticsRect", "captionKindRect", "captionOfTrainingRect", "captionRecordsRect1",
        "captionInRect2", "captionCurrentRect2", "captionSessionRect2", "captionRecordsRect2",
        "captionForRect2", "captionAllRect2", "captionTimeRect2", "captionDoneRect", "captionTrainingsRect",
        "captionInRect3", "captionCurrentRect3", "captionSessionRect3", "captionSlashRect",
        "captionTotalRect", "captionHitPowerRect", "cupGoldRect2", "cupSilverRect2", "cupBronzeRect2",
        "cupGoldRect3", "cupSilverRect3", "cupBronzeRect3"}},
  };
  for (const auto& c : cases) {
    LayoutInput in = base;
    in.text[c.text].w += c.grow_w;
    in.text[c.text].h += c.grow_h;
    LayoutTable after;
    compute_layout(after, in);
    EXPECT_EQ(changed_fields(before, after), c.moved) << "text " << c.text;
  }
}

TEST(Layout, EveryFieldIsOnSomeScreenOrAccountedFor) {
  std::set<int> shown;
  for (int32_t e = 0; e < SCREEN_RECT_COUNT; ++e) shown.insert(screen_rects[e].field);
  // Computed for the screens but drawn by none of them, or not a screen rectangle at all.
  const std::set<int> elsewhere = {LF_fullScreenRect,    LF_dialogButtonLeftRect, LF_dialogButtonRightRect,
                                   LF_captionGap,        LF_powerScaleSize,       LF_powerScaleSourceRect,
                                   LF_logRowCentreY};
  for (int f = 0; f < LAYOUT_FIELD_COUNT; ++f)
    EXPECT_NE(shown.count(f) + elsewhere.count(f), 0u) << layout_fields[f].name;
}

// The shared draw routines put the right picture in the right place.
class LayoutDraw : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(start_sdl_dummy());
    screen = make_offscreen_renderer(320, 240);
    ASSERT_NE(screen.renderer, nullptr);
    clock.renderer = screen.renderer;
    compute_layout(layout, layout_input_at(320, 240));
  }
  void TearDown() override {
    for (SDL_Texture* t : made) SDL_DestroyTexture(t);
    free_offscreen_renderer(screen);
  }
  SDL_Texture* solid(Uint8 r, Uint8 g, Uint8 b) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, 4, 4, 32, SDL_PIXELFORMAT_RGBA32);
    SDL_FillRect(s, nullptr, SDL_MapRGBA(s->format, r, g, b, 255));
    SDL_Texture* t = SDL_CreateTextureFromSurface(screen.renderer, s);
    SDL_FreeSurface(s);
    made.push_back(t);
    return t;
  }
  SDL_Color at(float x, float y) { return offscreen_pixel(screen, (int)x, (int)y); }
  OffscreenRenderer screen;
  FrameClock clock;
  LayoutTable layout;
  TextureCatalog textures;
  std::vector<SDL_Texture*> made;
};

TEST_F(LayoutDraw, BackdropIsTheBackgroundUnderTheBar) {
  textures.background = solid(200, 0, 0);
  textures.barShadow = solid(0, 0, 200);
  draw_backdrop(clock, textures, layout);
  EXPECT_EQ(at(160, 10).r, 200);
  EXPECT_EQ(at(160, layout.bottomBarRect.y - 2).r, 200);
  EXPECT_EQ(at(160, layout.bottomBarRect.y + 2).b, 200);
  EXPECT_EQ(at(5, 238).b, 200);
}

TEST_F(LayoutDraw, IntroIsTheLogoOverTheRings) {
  textures.targetRings = solid(0, 200, 0);
  textures.logo = solid(250, 250, 250);
  draw_intro(clock, textures, layout);
  EXPECT_EQ(at(160, 120).r, 250);  // the logo in the middle
  EXPECT_EQ(at(160, layout.introLogoRect.y - 3).g, 200);
  EXPECT_EQ(at(160, layout.introLogoRect.y - 3).r, 0);
}
