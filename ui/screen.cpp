#include "ui/screen.h"

void go_back(ScreenContext& c) {
  if (c.back != NO_BACK) c.app.screen = c.back;
}

void escape_goes_back(void*, ScreenContext& c, int32_t scancode) {
  if (scancode == KEY_ESCAPE) go_back(c);
}
