#include "screens/device_screen.h"

void device_screen_reset(DeviceScreenState& s) {
  for (auto& pad : s.missing) pad[0] = pad[1] = 0;
  s.reconnect_dialog = 0;
  s.strike_dialog = 0;
}

bool device_screen_busy(const DeviceScreenState& s) {
  return s.reconnect_dialog == 1 || s.strike_dialog == 1;
}
