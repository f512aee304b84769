#include "screens/training_common.h"

#include "ui/pointer_rect.h"
#include "assets/sound_bank.h"
#include "link/sensor_link.h"
#include "ui/hud.h"
#include "ui/draw_list.h"

bool active_pad_update(SensorLink* link, ActivePad& pad) {
  read_connected(link, pad.pad_connected);
  int32_t lowest = 0;
  for (int32_t k = 4; k >= 1; --k)
    if (pad.pad_connected[k - 1] == 1) lowest = k;
  if (lowest == 0) {
    pad.selected_pad = 0;
    return false;
  }
  if (pad.selected_pad != 0 && pad.pad_connected[pad.selected_pad - 1] != 1) {
    pad.selected_pad = 0;
    return false;
  }
  if (pad.selected_pad == 0) pad.selected_pad = lowest;
  return true;
}

int32_t take_active_hit(SensorLink* link, ActivePad& pad, bool with_mac) {
  if (pad.selected_pad < 1 || pad.selected_pad > 4) return 0;
  return take_hit(link, pad.selected_pad, pad.pad_suffix, with_mac ? pad.pad_mac : nullptr,
                  &pad.hit_ms);
}

void next_active_pad(ActivePad& pad) {
  if (pad.selected_pad < 1 || pad.selected_pad > 4) return;
  for (int32_t step = 1; step < 4; ++step) {
    int32_t candidate = (pad.selected_pad - 1 + step) % 4 + 1;
    if (pad.pad_connected[candidate - 1] == 1) {
      pad.selected_pad = candidate;
      return;
    }
  }
}

TrainingControl training_control_at(const PointerState& p, const LayoutTable& l) {
  if (event_in_frect(p, l.closeButtonRect)) return CONTROL_QUIT;
  if (event_in_frect(p, l.backButtonRect)) return CONTROL_BACK;
  if (event_in_frect(p, l.repeatButtonRect)) return CONTROL_RESET;
  if (event_in_frect(p, l.playButtonRect)) return CONTROL_START;
  if (event_in_rect(p, l.playerLabelRightRect)) return CONTROL_PAD;
  return CONTROL_NONE;
}

TrainingControl training_control_of_key(int32_t scancode) {
  switch (scancode) {
    case KEY_ESCAPE: return CONTROL_BACK;
    case KEY_DELETE: return CONTROL_RESET;
    case KEY_SPACE: return CONTROL_START;
    default: return CONTROL_NONE;
  }
}

TrainingPress training_press(TrainingControl control, const StartCountdown& countdown,
                             bool may_start, bool may_change_pad, ScreenContext& c) {
  TrainingPress press;
  if (countdown.counting_down == 1) return press;
  if (control == CONTROL_QUIT) c.app.running = 0;
  if (control == CONTROL_BACK) go_back(c);
  press.reset = control == CONTROL_BACK || control == CONTROL_RESET;
  press.start = control == CONTROL_START && may_start;
  press.next_pad = control == CONTROL_PAD && may_change_pad;
  return press;
}

void draw_training_results(const FrameClock& clock, const StartCountdown& countdown,
                           const char* shown, const char* const texts[3], const Palette& palette,
                           const Display& d, const TextureCatalog& t, const LayoutTable& l,
                           const FontSet& fonts) {
  if (countdown.counting_down != 1)
    draw_runtime_text_centred(clock, fonts.fontGiant, shown, palette.amber, (float)d.width * 0.5f,
                              (float)d.height * 0.3f);
  const struct {
    SDL_Texture* cup;
    const SDL_FRect& rect;
    SDL_Color colour;
  } places[3] = {{t.cupGold, l.cupGoldRect1, palette.gold},
                 {t.cupSilver, l.cupSilverRect1, palette.silver},
                 {t.cupBronze, l.cupBronzeRect1, palette.tan}};
  for (int i = 0; i < 3; ++i) {
    SDL_RenderCopyF(clock.renderer, places[i].cup, nullptr, &places[i].rect);
    int w = 0, h = 0;
    if (!texts[i] || TTF_SizeUTF8(fonts.fontMedium, texts[i], &w, &h) != 0) continue;
    float middle = places[i].rect.y + places[i].rect.h / 2.0f;
    draw_runtime_text(clock, fonts.fontMedium, texts[i], places[i].colour,
                      (int32_t)((float)d.width - 6.0f * d.unit), (int32_t)(middle - h / 2.0f));
  }
}

void draw_training_controls(const FrameClock& clock, const ActivePad& pad,
                            const StartCountdown& countdown, const Palette& palette,
                            const TextureCatalog& t, const LayoutTable& l, const FontSet& fonts) {
  draw_button_strip(clock, t, l);
  draw_player_label(clock, pad.selected_pad, pad.pad_suffix, l.playerLabelRightRect,
                    l.playerDigitRightRect, palette, t, fonts);
  draw_countdown(clock, countdown, palette, t, l);
}
