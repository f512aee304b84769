// The settings screen: what it shows of the hub and its pads, and its two dialogs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "ui/draw_list.h"
#include "app/program.h"
#include "assets/loader.h"
#include "link/sensor_link.h"
#include "screens/device_screen.h"
#include "tests/support.h"
#include "tools/virtual_hub.h"

namespace {

// The screen's rules on state alone: one row per pad state, through the update.
TEST(DeviceScreenRules, TextsFlagsAndSegmentsFollowThePad) {
  const struct {
    int32_t connected;
    uint8_t level;
    const char* mac;
    const char* charge_text;
    int32_t lit, mac_missing, charge_missing;
  } rows[] = {
      {1, 32, "A1B2C3D4E5F6", "32%", 1, 0, 0},   {1, 33, "A1B2C3D4E5F6", "33%", 2, 0, 0},
      {1, 64, "A1B2C3D4E5F6", "64%", 2, 0, 0},   {1, 65, "A1B2C3D4E5F6", "65%", 3, 0, 0},
      {1, 96, "A1B2C3D4E5F6", "96%", 3, 0, 0},   {1, 97, "A1B2C3D4E5F6", "97%", 4, 0, 0},
      {1, 127, "A1B2C3D4E5F6", "127%", 4, 0, 0}, {1, 0, "A1B2C3D4E5F6", "--", 0, 0, 1},
      {1, 128, "A1B2C3D4E5F6", "--", 0, 0, 1},   {1, 255, "------------", "--", 0, 1, 1},
      {1, 50, "------------", "50%", 2, 1, 0},   {0, 50, "------------", "--", 0, 0, 0},
      {0, 0, "A1B2C3D4E5F6", "--", 0, 0, 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string(r.mac) + " " + std::to_string(r.level));
    SensorLink link;
    link.port_number = 4;
    for (int k = 0; k < 4; ++k) {
      link.pads[k].connected = r.connected;
      link.pads[k].level = r.level;
      for (int i = 0; i < 12; ++i) link.pads[k].mac[i] = r.mac[i];
    }
    DeviceScreenState s;
    s.missing[2][MAC_MISSING] = 1;  // left from an earlier frame
    device_screen_update(s, &link);
    EXPECT_EQ(s.port_number, 4);
    for (int k = 0; k < 4; ++k) {
      EXPECT_STREQ(s.charge_text[k], r.charge_text);
      EXPECT_STREQ(s.mac_text[k], r.mac);
      EXPECT_EQ(s.lit[k], r.lit);
      EXPECT_EQ(s.missing[k][MAC_MISSING], r.mac_missing);
      EXPECT_EQ(s.missing[k][CHARGE_MISSING], r.charge_missing);
    }
  }
  DeviceScreenState none;
  device_screen_update(none, nullptr);
  EXPECT_EQ(none.port_number, 0);
  EXPECT_STREQ(none.mac_text[3], "------------");
  EXPECT_STREQ(none.charge_text[3], "--");
}

// Dialogs open only from a shown warning; while one is open nothing leaves the screen.
TEST(DeviceScreenRules, DialogsOpenFromShownWarningsAndBlockLeaving) {
  LayoutTable l = layout_at(1366, 768);
  DeviceScreenState s;
  AppState app;
  PointerState p;
  const Display d;
  auto click = [&](const SDL_FRect& r) {
    p.event_x = (int)(r.x + r.w / 2);
    p.event_y = (int)(r.y + r.h / 2);
    ScreenContext c = rules_context(app, p, l, d, nullptr, nullptr, SCREEN_MAIN_MENU);
    click_device_screen(s, c);
  };
  s.missing[1][CHARGE_MISSING] = 1;
  s.missing[3][MAC_MISSING] = 1;
  click(l.macWarningRect[1]);
  click(l.chargeWarningRect[3]);
  EXPECT_FALSE(device_screen_busy(s));
  click(l.chargeWarningRect[1]);
  EXPECT_EQ(s.strike_dialog, 1);
  click(l.macWarningRect[3]);
  EXPECT_EQ(s.reconnect_dialog, 1);
  click(l.backButtonRect);
  click(l.closeButtonRect);
  EXPECT_EQ(app.screen, SCREEN_INTRO);
  EXPECT_EQ(app.running, 1);
  click(l.dialogButtonRect);
  EXPECT_FALSE(device_screen_busy(s));
  click(l.backButtonRect);
  EXPECT_EQ(app.screen, SCREEN_MAIN_MENU);
}

class DeviceScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(chdir(scratch.path.c_str()), 0);
    ASSERT_TRUE(begin_offscreen(a, 1920, 1080)) << SDL_GetError();
    ASSERT_EQ(load_offscreen(a), 0) << SDL_GetError();
    device_screen_reset(state);
  }
  void TearDown() override { end_offscreen(a); }

  void set_pad(int k, int32_t connected, uint8_t level, const char* mac = "A1B2C3D4E5F6") {
    link.pads[k].connected = connected;
    link.pads[k].level = level;
    for (int i = 0; i < 12; ++i) link.pads[k].mac[i] = mac[i];
  }
  void draw() {
    SDL_SetRenderDrawColor(clock.renderer, 0, 0, 0, 255);
    SDL_RenderClear(clock.renderer);
    draw_backdrop(clock, textures, layout);
    device_screen_update(state, &link);
    device_screen_make_texts(clock, state, palette, fonts, textures);
    draw_device_screen(state, context);
  }
  SDL_Color at_centre(const SDL_FRect& r) {
    return offscreen_pixel(screen, (int)(r.x + r.w / 2), (int)(r.y + r.h / 2));
  }
  // The colour a texture shows at its centre, drawn alone over black.
  SDL_Color reference(SDL_Texture* t, const SDL_FRect& r) {
    SDL_SetRenderDrawColor(clock.renderer, 0, 0, 0, 255);
    SDL_RenderClear(clock.renderer);
    SDL_RenderCopyF(clock.renderer, t, nullptr, &r);
    return at_centre(r);
  }
  // How many of a rectangle's pixels differ between two frames.
  int differing(SDL_Surface* before, const SDL_FRect& r) {
    int n = 0;
    for (int y = (int)r.y; y < (int)(r.y + r.h); ++y)
      for (int x = (int)r.x; x < (int)(r.x + r.w); ++x) {
        Uint32 a = ((Uint32*)before->pixels)[y * before->pitch / 4 + x];
        Uint32 b = ((Uint32*)screen.surface->pixels)[y * screen.surface->pitch / 4 + x];
        n += a != b;
      }
    return n;
  }
  void click(const SDL_FRect& r) {
    pointer.event_x = (int)(r.x + r.w / 2);
    pointer.event_y = (int)(r.y + r.h / 2);
    click_device_screen(state, context);
  }

  ScratchRunDir scratch;
  OffscreenAssets a;
  OffscreenRenderer& screen = a.screen;
  FrameClock& clock = a.clock;
  Display& display = a.display;
  TextureCatalog& textures = a.textures;
  LayoutTable& layout = a.layout;
  Palette& palette = a.palette;
  FontSet& fonts = a.fonts;
  SensorLink link;
  DeviceScreenState state;
  AppState app;
  PointerState pointer;
  SoundBank sounds;
  ScreenContext context{offscreen_context(a, app, pointer, sounds, &link, nullptr, SCREEN_MAIN_MENU)};
};

bool same(SDL_Color a, SDL_Color b) {
  return abs(a.r - b.r) <= 6 && abs(a.g - b.g) <= 6 && abs(a.b - b.b) <= 6;
}

TEST_F(DeviceScreen, ChargeLightsItsSegmentsAndShowsItsValue) {
  SDL_Texture* tags[5] = {textures.tagRed, textures.tagOrange, textures.tagLime, textures.tagGreen,
                          textures.tagBlack};
  SDL_Color colours[5];
  for (int i = 0; i < 5; ++i) colours[i] = reference(tags[i], layout.chargeBarRect[0][0]);
  const struct {
    uint8_t level;
    int lit;  // segments in colour; -1: unknown
    const char* text;
  } cases[] = {{32, 1, "32%"}, {33, 2, "33%"}, {1, 1, "1%"}, {64, 2, "64%"}, {65, 3, "65%"},
               {96, 3, "96%"}, {97, 4, "97%"}, {127, 4, "127%"}, {0, -1, "--"}, {128, -1, "--"},
               {255, -1, "--"}};
  link.port_number = 3;
  for (const auto& c : cases) {
    set_pad(1, 1, c.level);
    draw();
    SCOPED_TRACE(c.text);
    EXPECT_STREQ(state.charge_text[1], c.text);
    EXPECT_EQ(state.missing[1][CHARGE_MISSING], c.lit < 0 ? 1 : 0);
    EXPECT_EQ(charge_segments(c.level), c.lit);
    for (int seg = 0; seg < 4; ++seg) {
      SDL_Color want = colours[seg < c.lit ? seg : 4];
      SDL_Color got = at_centre(layout.chargeBarRect[1][seg]);
      EXPECT_TRUE(same(got, want)) << "segment " << seg << ": " << (int)got.r << "," << (int)got.g
                                   << "," << (int)got.b;
    }
  }
}

TEST_F(DeviceScreen, WarningSignsAppearForAnUnknownMacOrCharge) {
  link.port_number = 1;
  set_pad(0, 1, 50);
  draw();
  SDL_Surface* calm = SDL_DuplicateSurface(screen.surface);
  EXPECT_EQ(state.missing[0][MAC_MISSING], 0);
  EXPECT_EQ(state.missing[0][CHARGE_MISSING], 0);

  set_pad(0, 1, 50, "------------");
  draw();
  EXPECT_STREQ(state.mac_text[0], "------------");
  EXPECT_EQ(state.missing[0][MAC_MISSING], 1);
  EXPECT_GT(differing(calm, layout.macWarningRect[0]), 100) << "the MAC warning sign is drawn";
  EXPECT_EQ(differing(calm, layout.chargeWarningRect[0]), 0);

  set_pad(0, 1, 0);
  draw();
  EXPECT_EQ(state.missing[0][CHARGE_MISSING], 1);
  EXPECT_GT(differing(calm, layout.chargeWarningRect[0]), 100) << "the charge warning sign";
  EXPECT_EQ(differing(calm, layout.macWarningRect[0]), 0);
  SDL_FreeSurface(calm);
}

TEST_F(DeviceScreen, WithoutAHubEverythingIsGreyAndUnknown) {
  SDL_Color grey_plug = reference(textures.usbPlugGrey, layout.hubPlugRect);
  SDL_Color green_plug = reference(textures.usbPlugGreen, layout.hubPlugRect);
  ASSERT_FALSE(same(grey_plug, green_plug));
  SDL_Color black = reference(textures.tagBlack, layout.chargeBarRect[0][0]);
  draw();
  EXPECT_TRUE(same(at_centre(layout.hubPlugRect), grey_plug));
  for (int k = 0; k < 4; ++k) {
    EXPECT_STREQ(state.charge_text[k], "--");
    EXPECT_STREQ(state.mac_text[k], "------------");
    EXPECT_EQ(state.missing[k][MAC_MISSING] + state.missing[k][CHARGE_MISSING], 0);
    for (int seg = 0; seg < 4; ++seg) EXPECT_TRUE(same(at_centre(layout.chargeBarRect[k][seg]), black));
  }
  // A pad that was known and is gone again: its flags drop, its label turns grey.
  set_pad(2, 1, 0, "------------");
  draw();
  EXPECT_EQ(state.missing[2][MAC_MISSING], 1);
  set_pad(2, 0, 0, "------------");
  draw();
  EXPECT_EQ(state.missing[2][MAC_MISSING], 0);
  EXPECT_EQ(state.missing[2][CHARGE_MISSING], 0);

  link.port_number = 2;
  draw();
  EXPECT_TRUE(same(at_centre(layout.hubPlugRect), green_plug));
}

TEST_F(DeviceScreen, WarningSignsOpenTheDialogsAndBlockLeaving) {
  link.port_number = 1;
  set_pad(3, 1, 40, "------------");
  set_pad(1, 1, 0);
  draw();

  // A warning place whose sign is not shown does nothing.
  click(layout.chargeWarningRect[3]);
  click(layout.macWarningRect[1]);
  EXPECT_EQ(state.reconnect_dialog + state.strike_dialog, 0);

  click(layout.macWarningRect[3]);
  EXPECT_EQ(state.reconnect_dialog, 1);
  SDL_Surface* before = SDL_DuplicateSurface(screen.surface);
  SDL_Color plate_before = at_centre(layout.padPlateRect[0]);
  draw();
  SDL_Color plate_after = at_centre(layout.padPlateRect[0]);
  EXPECT_LT(plate_after.r + plate_after.g + plate_after.b, plate_before.r + plate_before.g + plate_before.b)
      << "the screen behind the dialog is dimmed";
  EXPECT_GT(differing(before, layout.dialogPanelRect), 1000) << "the panel is drawn";
  SDL_FreeSurface(before);

  // Busy: the close cross and the back button do nothing.
  click(layout.closeButtonRect);
  click(layout.backButtonRect);
  EXPECT_EQ(app.running, 1);
  EXPECT_EQ(app.screen, SCREEN_INTRO);
  EXPECT_TRUE(device_screen_busy(state));

  // The other sign still answers while a dialog is open; "OK" closes both.
  click(layout.chargeWarningRect[1]);
  EXPECT_EQ(state.strike_dialog, 1);
  click(layout.dialogButtonRect);
  EXPECT_EQ(state.reconnect_dialog + state.strike_dialog, 0);

  click(layout.backButtonRect);
  EXPECT_EQ(app.screen, SCREEN_MAIN_MENU);
  click(layout.closeButtonRect);
  EXPECT_EQ(app.running, 0);
}

TEST_F(DeviceScreen, RunTimeTextsAreMadeAgainOnlyWhenTheyChange) {
  set_pad(0, 1, 77);
  draw();
  for (int k = 0; k < 4; ++k) {
    EXPECT_GT(state.charge_size[k].x, 0);
    EXPECT_GT(state.mac_size[k].x, state.charge_size[k].x);
  }
  SDL_Texture* charge = textures.chargeValueTexture1;
  ASSERT_NE(charge, nullptr);
  int narrow = state.charge_size[0].x;
  draw();
  EXPECT_EQ(textures.chargeValueTexture1, charge) << "unchanged text, same texture";
  set_pad(0, 1, 100);
  draw();
  EXPECT_STREQ(state.shown_charge[0], "100%");
  EXPECT_GT(state.charge_size[0].x, narrow) << "the new text is measured";
  SDL_Surface* cached = SDL_DuplicateSurface(screen.surface);
  // The cache shows what rendering afresh would.
  memset(state.shown_charge, 0, sizeof state.shown_charge);
  memset(state.shown_mac, 0, sizeof state.shown_mac);
  draw();
  EXPECT_EQ(differing(cached, layout.fullScreenRect), 0);
  SDL_FreeSurface(cached);
}

// Once end to end: the hub's messages through the real POSIX layer to the drawn screen.
TEST(DeviceScreenWithHub, ShowsWhatTheHubAnnounced) {
  ScratchRunDir scratch;
  Program p;
  VirtualHub* hub = start_with_hub(p, scratch.path);
  ASSERT_NE(hub, nullptr);
  hub_connect(*hub, 0, "A1B2C3D4E5F6");
  hub_hit(*hub, 0, 0, 32);
  hub_connect(*hub, 1, "0C1D2E3F4A5B");
  hub_hit(*hub, 1, 0, 97);
  hub_hit(*hub, 3, 0, 0);
  p.app.screen = SCREEN_DEVICE;
  LoopSeams seams = real_loop_seams();
  // The link decodes at its own pace (slowly on a loaded machine): frames until the last
  // message shows, within a generous limit.
  for (int i = 0; i < 1000 && p.screens.device.missing[3][MAC_MISSING] == 0; ++i) run_frame(p, seams);
  EXPECT_STREQ(p.screens.device.mac_text[0], "A1B2C3D4E5F6");
  EXPECT_STREQ(p.screens.device.charge_text[0], "32%");
  EXPECT_STREQ(p.screens.device.charge_text[1], "97%");
  EXPECT_STREQ(p.screens.device.charge_text[2], "--");
  EXPECT_EQ(p.screens.device.missing[3][MAC_MISSING], 1);
  EXPECT_EQ(p.screens.device.missing[3][CHARGE_MISSING], 1);

  hub_unplug(*hub);
  // The link notices at its next read.
  for (int i = 0; i < 1500 && strcmp(p.screens.device.charge_text[0], "--") != 0; ++i) run_frame(p, seams);
  for (int k = 0; k < 4; ++k) EXPECT_STREQ(p.screens.device.charge_text[k], "--");
  EXPECT_EQ(p.screens.device.missing[3][MAC_MISSING], 0);
  shut_down(p);
}

}  // namespace
