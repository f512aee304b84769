// Screen 9: the state of the sensor hub and its pads, as the link last reported it.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "core/records.h"
#include "assets/catalog.h"
#include "assets/layout.h"
#include "ui/screen.h"

struct SensorLink;

enum : int32_t { MAC_MISSING = 0, CHARGE_MISSING = 1 };

struct DeviceScreenState {
  char mac_text[4][13] = {};
  char charge_text[4][5] = {};
  int32_t missing[4][2] = {};    // per pad: mac_missing, charge_missing
  int32_t reconnect_dialog = 0;  // the two busy flags: while either is 1,
  int32_t strike_dialog = 0;     // Escape, the close cross and the back button do nothing
  // What the last update copied from the link.
  int32_t port_number = 0;
  int32_t connected[4] = {};
  int32_t lit[4] = {};  // charge segments in colour per pad, 0-4
  // What the run-time text textures show now, and their measured sizes: a text is made
  // again only when it changes.
  char shown_mac[4][13] = {};
  char shown_charge[4][5] = {};
  SDL_Point mac_size[4] = {};
  SDL_Point charge_size[4] = {};
};

// Cleared at start-up: the eight warning flags and the two dialog flags.
void device_screen_reset(DeviceScreenState& state);
bool device_screen_busy(const DeviceScreenState& state);

// How many of the four charge segments a charge byte lights (0 to 4); -1 when unknown.
int32_t charge_segments(uint8_t charge);

// Every frame: the hub's state copied in one hold, then the texts and warning flags worked
// out from it. A null link reads as no hub at all.
void device_screen_update(DeviceScreenState& state, SensorLink* link);
// Renders the MAC and charge texts that changed since they were last made into their
// catalog slots, and remembers their sizes.
void device_screen_make_texts(const FrameClock& clock, DeviceScreenState& state,
                              const Palette& palette, const FontSet& fonts,
                              TextureCatalog& textures);
void draw_device_screen(const DeviceScreenState& state, ScreenContext& c);
void click_device_screen(DeviceScreenState& state, ScreenContext& c);
// Escape leaves unless one of the dialogs is open.
void device_screen_key(DeviceScreenState& state, ScreenContext& c, int32_t scancode);

extern const ScreenDef device_screen;
