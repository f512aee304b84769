// What the three training screens share: the active pad, hit intake, the controls and the
// results.
#pragma once

#include <cstdint>

#include "core/records.h"
#include "assets/catalog.h"
#include "assets/layout.h"
#include "ui/hud.h"
#include "ui/screen.h"

struct SensorLink;

// The pad a training listens to.
struct ActivePad {
  int32_t pad_connected[4] = {};  // the pads' connected flags, copied every frame
  int32_t selected_pad = 0;       // 1-4; 0 = none
  char pad_suffix[5] = {};        // last four MAC characters of the active pad
  char pad_mac[13] = {};          // all twelve, for the screens that store them
  double hit_ms = 0.0;            // when the last hit taken came, on the link's clock
};

// The active-pad rule, every frame: copies the flags in one hold, then keeps, drops or picks
// the active pad (the lowest connected one). False when no hit may be read this frame: no pad
// connected, or the active pad has just gone.
bool active_pad_update(SensorLink* link, ActivePad& pad);
// Reads the active pad's power (0 = no hit) and MAC texts and consumes its hit, in one hold;
// a hit taken leaves its stamp in hit_ms.
// with_mac: fill pad_mac too (only the hit-power training stores it).
int32_t take_active_hit(SensorLink* link, ActivePad& pad, bool with_mac);
// The pad button: the next connected pad in the cycle 1, 2, 3, 4, 1; it stays when no other
// pad is connected.
void next_active_pad(ActivePad& pad);

// The controls every training screen answers, by clicks and keys alike.
enum TrainingControl : int32_t {
  CONTROL_NONE,
  CONTROL_QUIT,   // the close cross
  CONTROL_BACK,   // the back button or Escape
  CONTROL_RESET,  // the reset button or Delete
  CONTROL_START,  // the start button or Space
  CONTROL_PAD,    // the pad button
};
// The control under the click: the first of quit, back, reset, start and the pad button
// whose rectangle holds the point decides, even when the screen then refuses it.
TrainingControl training_control_at(const PointerState& pointer, const LayoutTable& layout);
// The control a key stands for.
TrainingControl training_control_of_key(int32_t scancode);

// What a control asks of a training screen. The countdown refuses every control; quit ends
// the program and back leads where the screen's row says (both done here); back and reset
// ask for the screen's reset; start and the pad button only where the screen allows them now.
struct TrainingPress {
  bool reset = false;
  bool start = false;
  bool next_pad = false;
};
TrainingPress training_press(TrainingControl control, const StartCountdown& countdown,
                             bool may_start, bool may_change_pad, ScreenContext& c);

// The results: unless the countdown runs, the shown result large in amber, centred at half the
// width and 0.3 of the height; then the three cups and, beside each, its best result's text
// in gold, silver and tan, left edge six units from the right, centred on the cup's height.
void draw_training_results(const FrameClock& clock, const StartCountdown& countdown,
                           const char* shown, const char* const best[3], const Palette& palette,
                           const Display& display, const TextureCatalog& textures,
                           const LayoutTable& layout, const FontSet& fonts);
// What every training draws last: the logo and the four buttons, the pad button, and the
// countdown over everything while it runs.
void draw_training_controls(const FrameClock& clock, const ActivePad& pad,
                            const StartCountdown& countdown, const Palette& palette,
                            const TextureCatalog& textures, const LayoutTable& layout,
                            const FontSet& fonts);
