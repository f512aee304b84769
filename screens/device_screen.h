// Screen 9: the state of the sensor hub and its pads.
#pragma once

#include <cstdint>


struct DeviceScreenState {
  char mac_text[4][13] = {};
  char charge_text[4][5] = {};
  int32_t missing[4][2] = {};  // per pad: mac_missing, charge_missing
  int32_t reconnect_dialog = 0;  // the two busy flags: while either is 1,
  int32_t strike_dialog = 0;     // Escape, the close cross and the back button do nothing
};

// Cleared at start-up: the eight warning flags and the two dialog flags.
void device_screen_reset(DeviceScreenState& state);
bool device_screen_busy(const DeviceScreenState& state);
