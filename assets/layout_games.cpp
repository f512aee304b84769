// The four games: the medals and each game's scene.
#include "assets/layout_rules.h"

static_assert(IMG_log4 == IMG_log1 + 3, "the log states are numbered in catalog order");

// Each player's standing in big digits sits on a dark plate this many units high.
constexpr float STANDING_UNITS = 5.0f;

// A standing plate `w` units wide centred across on x, its top at y.
static SDL_FRect standing_plate(float x, float y, float w, const LayoutFrame& f) {
  return {x - w * f.U / 2, y, w * f.U, STANDING_UNITS * f.U};
}
// The two players' plates mirrored about the screen's middle, `gap` units either side of it.
static void standing_pair(SDL_FRect (&plates)[2], float gap, float y, float w, const LayoutFrame& f) {
  const float from_middle = (gap + w / 2) * f.U;
  plates[0] = standing_plate(f.W / 2 - from_middle, y, w, f);
  plates[1] = standing_plate(f.W / 2 + from_middle, y, w, f);
}

static void layout_monster_trucks(LayoutTable& L, const LayoutFrame& f) {
  const LayoutInput& in = f.in;
  const float W = f.W, H = f.H, U = f.U;
  L.arenaBackgroundRect = cover_fit(f, aspect(in, IMG_arenaBackground), COVER_CENTRE);
  const SDL_FRect& arena = L.arenaBackgroundRect;
  L.logoCaptionRect = image_centred(f, 0.45f * arena.h + arena.y, U, aspect(in, IMG_logoCaption));
  // The game sets the x of the trucks, the chain, the wheels and the mud.
  L.truckBlueRect = image_rect(0, 0.6f * H - 5 * U, 10 * U, aspect(in, IMG_truckBlue));
  L.truckOrangeRect = image_rect(0, 0.6f * H - 5 * U, 10 * U, aspect(in, IMG_truckOrange));
  L.chainRect = image_by_width(0, 0.54f * H, 40 * U - L.truckBlueRect.w, aspect(in, IMG_chain));
  // Wheels and mud 2 and 4 (and 6, 8) stand 2U higher than the odd ones.
  const float ground = 0.745f * H - 4.5f * U;
  for (int i = 0; i < 4; ++i) {
    const float y = ground - (i % 2 ? 2 * U : 0);
    L.wheelGreenRect[i] = image_rect(0, y, 9 * U, aspect(in, IMG_wheelGreen1));
    L.wheelYellowRect[i] = image_rect(0, y, 9 * U, aspect(in, IMG_wheelGreen1));
  }
  for (int i = 0; i < 8; ++i)
    L.dustRect[i] = image_rect(0, 9 * U + ground - (i % 2 ? 2 * U : 0) - 9 * U, 9 * U, aspect(in, IMG_dust4));
  L.trayRect = image_centred(f, 6.5f * U, 5 * U, aspect(in, IMG_tray));
  const PixelSize colon = in.text[TXT_titleColonRed];
  L.titleColonRedRect = text_centred(W / 2, 8.8f * U - colon.h / 2.0f, colon);
  // Beside the clock's tray, over the stands: the mud flies far below.
  standing_pair(L.truckStandingRect, 8, L.trayRect.y, 14, f);
}

static void layout_tanks(LayoutTable& L, const LayoutFrame& f) {
  const LayoutInput& in = f.in;
  const float W = f.W, H = f.H, U = f.U;
  L.fieldBackgroundRect = image_by_width(0, 0, W, aspect(in, IMG_fieldBackground));
  const float yellow = aspect(in, IMG_tankYellow), grey = aspect(in, IMG_tankGrey);
  L.tankYellowRect = image_rect(W / 2 - (17 * H / 3 * yellow) / 10, 943 * U / 42, H / 3, yellow);
  L.tankGreyRect = image_rect(0.75f * H / 3 * grey + W / 2, 943 * U / 42, H / 3, grey);

  // Three rows of logs in each column, row 1 nearest the tanks. Every state of a log is
  // centred on the whole log, whose centre is where the shells of that row burst.
  const float row_top[3] = {16 * U, 11 * U, 6 * U};
  const struct {
    SDL_FRect* logs;
    float x;
    float* centres;
  } columns[2] = {{L.leftLogRect, W / 2 - 16 * U, &L.logRowCentreY[0]},
                  {L.rightLogRect, W / 2 + 4 * U, &L.logRowCentreY[3]}};
  for (const auto& column : columns)
    for (int row = 0; row < 3; ++row) {
      const float centre = row_top[row] + 6 * U / aspect(in, IMG_log1);
      column.centres[row] = centre;
      for (int state = 0; state < 4; ++state) {
        const float h = 12 * U / aspect(in, (ImageId)(IMG_log1 + state));
        column.logs[4 * row + state] = {column.x, centre - h / 2, 12 * U, h};
      }
    }

  // Blasts and shells start at their tank's horizontal centre; the game moves the shells' y.
  const float yellow_middle = L.tankYellowRect.w / 2 + L.tankYellowRect.x;
  const float grey_middle = L.tankGreyRect.w / 2 + L.tankGreyRect.x;
  for (int i = 0; i < 6; ++i)
    L.blastRect[i] = {(i < 3 ? yellow_middle : grey_middle) - 4.5f * U, L.logRowCentreY[i] - 4.5f * U,
                      9 * U, 9 * U};
  const float shell = aspect(in, IMG_shell);
  for (int i = 0; i < 75; ++i) {
    L.leftShellRects[i] = image_rect(yellow_middle - 0.5f * U, L.tankGreyRect.y, 2 * U, shell);
    L.rightShellRects[i] = image_rect(grey_middle - 0.5f * U, L.tankGreyRect.y, 2 * U, shell);
  }
  // Midway between the screen's edge and the columns of logs, level with their middle rows:
  // shells and blasts stay inside. "75/75" fills most of the plate; a 4:3 screen has no more.
  const float edge_to_logs = L.leftLogRect[0].x;
  standing_pair(L.tankStandingRect, (W / 2 - edge_to_logs / 2) / U - 10.5f / 2, 10 * U, 10.5f, f);
}

static void layout_duck_hunt(LayoutTable& L, const LayoutFrame& f) {
  const LayoutInput& in = f.in;
  const float W = f.W, H = f.H, U = f.U;
  const float bar = L.bottomBarRect.h;
  L.meadowBackgroundRect = cover_fit(f, aspect(in, IMG_meadowBackground), COVER_CENTRE);
  const float grass = aspect(in, IMG_grass);
  L.grassRect = image_by_width(0, H - W / grass, W, grass);
  const float tree = aspect(in, IMG_tree);
  L.treeRect = image_by_width(W / 4 - 10 * U, H - 20 * U / tree - bar, 20 * U, tree);
  const float hud = aspect(in, IMG_duckHudBlue);
  L.duckHudBlueRect = image_by_width(W / 4 - 5 * U, U, 10 * U, hud);
  L.duckHudRedRect = image_by_width(3 * W / 4 - 5 * U, U, 10 * U, hud);
  const float blue = aspect(in, IMG_hunterBlue), red = aspect(in, IMG_hunterRed);
  L.hunterBlueRect = image_by_width(W / 2 - 16 * U - 5 * U, H - 10 * U / blue - bar / 2, 10 * U, blue);
  L.hunterRedRect = image_by_width(W / 2 + 16 * U - 5 * U, H - 10 * U / red - bar / 2, 10 * U, red);
  const float crosshair = aspect(in, IMG_crosshair);
  L.crosshairRect =
      image_by_width(W / 2 - 5 * U, H / 2 - 10 * U / crosshair / 2 - bar / 2, 10 * U, crosshair);
  // Along the top between the score plates: the ducks keep below it near the middle, and the
  // shots leave the screen outside it.
  const float plate_edge = L.duckHudBlueRect.x + L.duckHudBlueRect.w + 0.5f * U;
  standing_pair(L.duckStandingRect, (W / 2 - plate_edge) / U - 7, U, 7, f);
  // Under them in the middle, clear of the score plates even on a 4:3 screen: the ducks reach
  // the middle lower down.
  const SDL_FRect plate =
      standing_plate(W / 2, L.duckHudBlueRect.y + L.duckHudBlueRect.h + 0.5f * U, 20, f);
  L.ducksToComeRect = plate;
  const PixelSize caption = in.text[TXT_captionDucksToCome];
  L.ducksToComeCaptionRect = text_rect(plate.x + U, plate.y + (plate.h - caption.h) / 2, caption);
  const float count_x = (float)(L.ducksToComeCaptionRect.x + caption.w) + U;
  L.ducksToComeCountRect = {count_x, plate.y, plate.x + plate.w - U - count_x, plate.h};
  L.decidingDuckRect = label_in_button(plate, in.text[TXT_captionDecidingDuck], ONE_LINE[0]);
}

static void layout_prospectors(LayoutTable& L, const LayoutFrame& f) {
  const LayoutInput& in = f.in;
  const float W = f.W, H = f.H, U = f.U;
  L.caveBackgroundRect = cover_fit(f, aspect(in, IMG_caveBackground), COVER_CENTRE);
  L.rockPillarRect = image_centred(f, 0, H - L.bottomBarRect.h, aspect(in, IMG_rockPillar));
  const float miner = aspect(in, IMG_minerBlue1);
  L.minerBlueRect = image_rect(W / 2 - 18 * U - 20 * U * miner / 2, 14 * U, 20 * U, miner);
  L.minerRedRect = image_rect(W / 2 + 18 * U - 20 * U * miner / 2, 14 * U, 20 * U, miner);
  const float sack = aspect(in, IMG_sackBlue);
  L.sackBlueRect = image_rect(U, 25 * U, 11 * U, sack);
  L.sackRedRect = image_rect(W - U - 11 * U * sack, 25 * U, 11 * U, sack);
  // Each player's emerald, diamond and nugget counters, one under the other.
  const struct {
    SDL_FRect* gems[3];
    float x;
  } columns[2] = {{{&L.emeraldRect1, &L.diamondRect1, &L.goldNuggetRect1}, W / 2 - 22.2f * U},
                  {{&L.emeraldRect2, &L.diamondRect2, &L.goldNuggetRect2}, W / 2 + 19 * U}};
  for (const auto& column : columns)
    for (int i = 0; i < 3; ++i) *column.gems[i] = {column.x, (2 + 3 * i) * U, 3 * U, 3 * U};
  L.dynamiteRect = image_centred(f, 27 * U, 8 * U, aspect(in, IMG_dynamite));
  const PixelSize colon = in.text[TXT_titleColonRed2];
  L.titleColonRed2Rect = text_centred(W / 2 - 0.4f * U, 31.5f * U - colon.h / 2.0f, colon);
  // Above each sack; the plate is drawn over the flying stones.
  const SDL_FRect* sacks[2] = {&L.sackBlueRect, &L.sackRedRect};
  for (int i = 0; i < 2; ++i)
    L.sackStandingRect[i] =
        standing_plate(sacks[i]->x + sacks[i]->w / 2, sacks[i]->y - (STANDING_UNITS + 0.5f) * U, 10, f);
}

void layout_games(LayoutTable& L, const LayoutFrame& f) {
  const LayoutInput& in = f.in;
  const float W = f.W, H = f.H, U = f.U;
  // Where the left player's win puts them; the game moves their x when it ends.
  L.medalGoldRect = image_rect(W / 2 - 30 * U, H / 2 - 15 * U, 30 * U, aspect(in, IMG_medalGold));
  L.medalSilverRect = image_rect(15 * U + W / 2, H / 2 - 15 * U, 30 * U, aspect(in, IMG_medalSilver));
  // The medals leave a column free between them, a little right of the middle; each player's
  // final standing stands in it on their own side, level with the medals' discs.
  standing_pair(L.finalStandingRect, 0.5f, H / 2 + 2 * U, 11, f);
  for (SDL_FRect& plate : L.finalStandingRect) plate.x += 1.2f * U;
  layout_monster_trucks(L, f);
  layout_tanks(L, f);
  layout_duck_hunt(L, f);
  layout_prospectors(L, f);
}
