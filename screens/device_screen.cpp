#include "screens/device_screen.h"

#include <cstdio>
#include <cstring>

#include "ui/pointer_rect.h"
#include "link/sensor_link.h"
#include "ui/draw_list.h"

namespace {

using T = TextureCatalog;
using L = LayoutTable;

const DrawItem frame_items[] = {
    text(&T::titleSettings, &L::settingsTitleRect),
    image(&T::logo, &L::logoRect),
    image(&T::closeCross, &L::closeButtonRect),
    image(&T::ringBack, &L::backButtonRect),
    image(&T::ringGears, &L::settingsMarkRect),
};

const DrawItem dialog_items[] = {
    image(&T::panel, &L::dialogPanelRect),
    image(&T::pillButton, &L::dialogButtonRect),
    text(&T::labelOk, &L::dialogOkRect),
};
const DrawItem reconnect_lines[] = {
    text(&T::labelReconnect1, &L::reconnectLine1Rect),
    text(&T::labelReconnect2, &L::reconnectLine2Rect),
};
const DrawItem strike_lines[] = {
    text(&T::labelStrike1, &L::strikeLine1Rect),
    text(&T::labelStrike2, &L::strikeLine2Rect),
};

// Per pad: its digit in both colours and its two run-time text slots.
struct PadArt {
  SDL_Texture* T::*green_digit;
  SDL_Texture* T::*grey_digit;
  SDL_Texture* T::*mac_value;
  SDL_Texture* T::*charge_value;
};
const PadArt pad_art[4] = {
    {&T::labelDigit1Green, &T::labelDigit1Grey, &T::macValueTexture1, &T::chargeValueTexture1},
    {&T::labelDigit2Green, &T::labelDigit2Grey, &T::macValueTexture2, &T::chargeValueTexture2},
    {&T::labelDigit3Green, &T::labelDigit3Grey, &T::macValueTexture3, &T::chargeValueTexture3},
    {&T::labelDigit4Green, &T::labelDigit4Grey, &T::macValueTexture4, &T::chargeValueTexture4},
};

// The segments lit left to right: red, orange, lime, green.
SDL_Texture* T::*const segment_colours[4] = {&T::tagRed, &T::tagOrange, &T::tagLime, &T::tagGreen};

// A run-time text made again only when it changed; its size is remembered for drawing.
template <size_t N>
void make_text(const FrameClock& c, const char* text, char (&shown)[N], SDL_Point& size,
               const Palette& palette, const FontSet& fonts, SDL_Texture*& slot) {
  if (slot && strcmp(shown, text) == 0) return;
  if (slot) SDL_DestroyTexture(slot);
  SDL_Surface* surface = TTF_RenderUTF8_Blended(fonts.fontMedium, text, palette.white);
  slot = surface ? SDL_CreateTextureFromSurface(c.renderer, surface) : nullptr;
  SDL_FreeSurface(surface);
  TTF_SizeUTF8(fonts.fontMedium, text, &size.x, &size.y);
  snprintf(shown, N, "%s", text);
}

// At the loader's position, with the text's own size.
void draw_text_at(const FrameClock& c, SDL_Texture* texture, const SDL_Rect& at, SDL_Point size) {
  if (!texture) return;
  SDL_Rect r{at.x, at.y, size.x, size.y};
  SDL_RenderCopy(c.renderer, texture, nullptr, &r);
}

void draw_dialog(const FrameClock& c, const Palette& palette, const TextureCatalog& t,
                 const LayoutTable& l, const DrawItem (&lines)[2]) {
  fill_screen(c, palette.shade, l);
  draw_items(c, t, l, dialog_items);
  draw_items(c, t, l, lines);
}

}  // namespace

void device_screen_reset(DeviceScreenState& s) {
  for (auto& pad : s.missing) pad[MAC_MISSING] = pad[CHARGE_MISSING] = 0;
  s.reconnect_dialog = 0;
  s.strike_dialog = 0;
}

bool device_screen_busy(const DeviceScreenState& s) {
  return s.reconnect_dialog == 1 || s.strike_dialog == 1;
}

int32_t charge_segments(uint8_t c) {
  if (c == 0 || c >= 128) return -1;
  return c <= 32 ? 1 : c <= 64 ? 2 : c <= 96 ? 3 : 4;
}

void device_screen_update(DeviceScreenState& s, SensorLink* link) {
  uint8_t level[4] = {};
  PadSlot pads[PAD_COUNT];
  read_pads(link, s.port_number, pads);
  for (int k = 0; k < 4; ++k) {
    const PadSlot& slot = pads[k];
    s.connected[k] = slot.connected;
    level[k] = slot.level;
    for (int i = 0; i < 12; ++i) s.mac_text[k][i] = (char)(slot.mac[i] & 0xFF);
    s.mac_text[k][12] = 0;
  }

  for (int k = 0; k < 4; ++k) {
    s.lit[k] = 0;
    if (s.connected[k] == 1) {
      int32_t lit = charge_segments(level[k]);
      s.missing[k][MAC_MISSING] = s.mac_text[k][0] == '-';
      s.missing[k][CHARGE_MISSING] = lit < 0;
      if (lit < 0) snprintf(s.charge_text[k], sizeof s.charge_text[k], "--");
      else snprintf(s.charge_text[k], sizeof s.charge_text[k], "%d%%", level[k]);
      s.lit[k] = lit < 0 ? 0 : lit;
    } else {
      s.missing[k][MAC_MISSING] = s.missing[k][CHARGE_MISSING] = 0;
      snprintf(s.charge_text[k], sizeof s.charge_text[k], "--");
    }
  }
}

void device_screen_make_texts(const FrameClock& c, DeviceScreenState& s, const Palette& palette,
                              const FontSet& fonts, TextureCatalog& t) {
  for (int k = 0; k < 4; ++k)
    make_text(c, s.charge_text[k], s.shown_charge[k], s.charge_size[k], palette, fonts,
              t.*pad_art[k].charge_value);
  for (int k = 0; k < 4; ++k)
    make_text(c, s.mac_text[k], s.shown_mac[k], s.mac_size[k], palette, fonts,
              t.*pad_art[k].mac_value);
}

void draw_device_screen(const DeviceScreenState& s, ScreenContext& ctx) {
  const FrameClock& c = ctx.clock;
  const Palette& palette = ctx.palette;
  const TextureCatalog& t = ctx.textures;
  const LayoutTable& l = ctx.layout;
  draw_items(c, t, l, frame_items);
  for (int k = 0; k < 4; ++k) SDL_RenderCopyF(c.renderer, t.plate, nullptr, &l.padPlateRect[k]);
  for (int k = 0; k < 4; ++k) SDL_RenderCopy(c.renderer, t.labelMacAddress, nullptr, &l.macLabelRect[k]);
  for (int k = 0; k < 4; ++k) {
    SDL_RenderCopy(c.renderer, t.labelCharge, nullptr, &l.chargeLabelRect[k]);
    SDL_RenderCopy(c.renderer, t.labelBattery, nullptr, &l.batteryLabelRect[k]);
  }

  for (int k = 0; k < 4; ++k) {
    bool known = s.connected[k] == 1;
    SDL_RenderCopy(c.renderer, known ? t.labelPlayerGreen : t.labelPlayerGrey, nullptr,
                   &l.padPlayerLabelRect[k]);
    SDL_RenderCopy(c.renderer, t.*(known ? pad_art[k].green_digit : pad_art[k].grey_digit), nullptr,
                   &l.padDigitRect[k]);
    for (int seg = 0; seg < 4; ++seg) {
      SDL_Texture* tag = seg < s.lit[k] ? t.*segment_colours[seg] : t.tagBlack;
      SDL_RenderCopyF(c.renderer, tag, nullptr, &l.chargeBarRect[k][seg]);
    }
  }

  for (int k = 0; k < 4; ++k)
    draw_text_at(c, t.*pad_art[k].charge_value, l.chargeValueRect[k], s.charge_size[k]);
  for (int k = 0; k < 4; ++k)
    draw_text_at(c, t.*pad_art[k].mac_value, l.macValueRect[k], s.mac_size[k]);

  SDL_RenderCopyF(c.renderer, s.port_number != 0 ? t.usbPlugGreen : t.usbPlugGrey, nullptr,
                  &l.hubPlugRect);
  for (int k = 0; k < 4; ++k) {
    if (s.missing[k][MAC_MISSING] == 1)
      SDL_RenderCopyF(c.renderer, t.warningSign, nullptr, &l.macWarningRect[k]);
    if (s.missing[k][CHARGE_MISSING] == 1)
      SDL_RenderCopyF(c.renderer, t.warningSign, nullptr, &l.chargeWarningRect[k]);
  }
  if (s.reconnect_dialog == 1) draw_dialog(c, palette, t, l, reconnect_lines);
  if (s.strike_dialog == 1) draw_dialog(c, palette, t, l, strike_lines);
}

void click_device_screen(DeviceScreenState& s, ScreenContext& c) {
  const PointerState& p = c.pointer;
  const LayoutTable& l = c.layout;
  for (int k = 0; k < 4; ++k) {
    if (event_in_frect(p, l.macWarningRect[k])) {
      if (s.missing[k][MAC_MISSING] == 1) s.reconnect_dialog = 1;
      return;
    }
    if (event_in_frect(p, l.chargeWarningRect[k])) {
      if (s.missing[k][CHARGE_MISSING] == 1) s.strike_dialog = 1;
      return;
    }
  }
  if (event_in_frect(p, l.dialogButtonRect)) {
    s.reconnect_dialog = 0;
    s.strike_dialog = 0;
    return;
  }
  if (event_in_frect(p, l.closeButtonRect)) {
    if (!device_screen_busy(s)) c.app.running = 0;
    return;
  }
  if (event_in_frect(p, l.backButtonRect)) {
    if (!device_screen_busy(s)) go_back(c);
  }
}

void device_screen_key(DeviceScreenState& s, ScreenContext& c, int32_t scancode) {
  if (scancode == KEY_ESCAPE && !device_screen_busy(s)) go_back(c);
}

namespace {

void reset(DeviceScreenState& s, ScreenContext&) { device_screen_reset(s); }
void update(DeviceScreenState& s, ScreenContext& c) {
  device_screen_update(s, c.link);
  device_screen_make_texts(c.clock, s, c.palette, c.fonts, c.textures);
}

}  // namespace

const ScreenDef device_screen = {
    .screen = SCREEN_DEVICE,
    .back = SCREEN_MAIN_MENU,
    .reset = row<DeviceScreenState, reset>,
    .update = row<DeviceScreenState, update>,
    .draw = row_draw<DeviceScreenState, draw_device_screen>,
    .key = row_key<DeviceScreenState, device_screen_key>,
    .click = row<DeviceScreenState, click_device_screen>,
};
