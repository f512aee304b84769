#include "games/match.h"

#include <cstdio>

#include "ui/pointer_rect.h"
#include "games/games.h"
#include "link/sensor_link.h"
#include "ui/hud.h"
#include "ui/draw_list.h"

namespace {

// The lowest connected pad other than `taken`; 0 when there is none.
int32_t lowest_free(const MatchState& m, int32_t taken) {
  for (int32_t k = 1; k <= 4; ++k)
    if (m.pad_connected[k - 1] == 1 && k != taken) return k;
  return 0;
}

bool connected(const MatchState& m, int32_t pad) {
  return pad >= 1 && pad <= 4 && m.pad_connected[pad - 1] == 1;
}

// Both players' pads: kept, dropped or chosen. False when the poll ends here.
bool assign_pads(MatchState& m) {
  if (lowest_free(m, 0) == 0) {
    m.left_pad = m.right_pad = 0;
    return false;
  }
  if (m.left_pad != 0) {
    if (!connected(m, m.left_pad)) {
      m.left_pad = 0;
      if (m.right_pad != 0) {
        if (!connected(m, m.right_pad)) m.right_pad = 0;
        return false;
      }
      // The right player goes on; the left one is chosen next frame.
    }
  } else {
    m.left_pad = lowest_free(m, m.right_pad);
  }
  if (m.right_pad != 0) {
    if (!connected(m, m.right_pad)) {
      m.right_pad = 0;
      return false;
    }
    return m.left_pad != 0;
  }
  m.right_pad = lowest_free(m, m.left_pad);
  return m.left_pad != 0 && m.right_pad != 0;
}

// The player-label click: the next connected pad after the current one, stepping past the
// other player's pad to the number after it without looking at its flag.
void step_pad(const MatchState& m, int32_t& pad, int32_t other) {
  int32_t candidates[3];
  for (int32_t i = 0; i < 3; ++i) candidates[i] = pad == 0 ? 2 + i : (pad + i) % 4 + 1;
  for (int32_t candidate : candidates) {
    if (m.pad_connected[candidate - 1] != 1) continue;
    if (candidate == other) {
      int32_t after = candidate % 4 + 1;
      if (after != pad) pad = after;
    } else {
      pad = candidate;
    }
    return;
  }
}

// Back to the games menu with the application's music.
void leave(const GameDef& game, void* record, ScreenContext& c) {
  game.reset(record, c);
  go_back(c);
  c.app.music_started = 1;
  set_music_volume(c.sounds, BACKGROUND_MUSIC_VOLUME);
  play_music(c.sounds.app_background, -1);
}

}  // namespace

void match_reset(MatchState& m) {
  m.game_music_started = 0;
  m.game_over = 0;
  m.playing = 0;
  for (int32_t& c : m.pad_connected) c = 0;
  m.left_pad = 0;
  m.right_pad = 0;
  stop_all_sounds();
}

void match_init(MatchState& m) {
  m.countdown = StartCountdown{};
}

void match_poll(const GameDef& game, void* record, MatchState& m, ScreenContext& c) {
  read_connected(c.link, m.pad_connected);
  if (!assign_pads(m)) return;

  int32_t left = take_hit(c.link, m.left_pad, m.left_label, nullptr);
  int32_t right = take_hit(c.link, m.right_pad, m.right_label, nullptr);
  if (left == 0 && right == 0) return;
  if (m.countdown.counting_down == 1) return;  // hits during the countdown are lost
  if (m.playing == 0) {
    countdown_start(m.countdown, c.sounds.timer);
    return;
  }
  if (m.game_over == 0) {
    if (left != 0) game.hit(record, SIDE_LEFT, left, c);
    if (right != 0) game.hit(record, SIDE_RIGHT, right, c);
  }
  clear_all_hits(c.link);
}

void match_start_music(const GameDef& game, MatchState& m, SoundBank& sounds) {
  if (m.game_music_started != 0) return;
  m.game_music_started = 1;
  set_music_volume(sounds, game.music_volume);
  play_music(sounds.*game.music, -1);
}

void match_countdown(const GameDef& game, MatchState& m, float dt, SoundBank& sounds) {
  if (m.countdown.counting_down == 0 || m.playing == 1) return;
  set_music_volume(sounds, game.countdown_volume);
  if (!countdown_tick(m.countdown, dt)) return;
  set_music_volume(sounds, game.music_volume);
  m.playing = 1;
}

void match_rules(const GameDef& game, void* record, MatchState& m, ScreenContext& c) {
  match_poll(game, record, m, c);
  match_start_music(game, m, c.sounds);
  game.update(record, c);
  match_countdown(game, m, c.clock.dt, c.sounds);
}

void place_medals(LayoutTable& l, const Display& d, Side winner) {
  float W = (float)d.width, U = d.unit;
  float near = 0.5f * W - 150.0f * U / 5.0f, far = 0.5f * W + 75.0f * U / 5.0f;
  l.medalGoldRect.x = winner == SIDE_LEFT ? near : far;
  l.medalSilverRect.x = winner == SIDE_LEFT ? far : near;
}

void match_end(MatchState& m, ScreenContext& c, Side winner) {
  m.game_over = 1;
  play_effect(c.sounds.bang);
  place_medals(c.layout, c.display, winner);
}

void match_click(const GameDef& game, void* record, MatchState& m, ScreenContext& c) {
  const PointerState& p = c.pointer;
  const LayoutTable& l = c.layout;
  bool counting = m.countdown.counting_down == 1;
  if (event_in_frect(p, l.closeButtonRect)) {
    if (!counting) c.app.running = 0;
  } else if (event_in_frect(p, l.backButtonRect)) {
    if (!counting) leave(game, record, c);
  } else if (event_in_frect(p, l.repeatButtonRect)) {
    if (!counting) game.reset(record, c);
  } else if (event_in_frect(p, l.playButtonRect)) {
    if (!counting && m.playing != 1) countdown_start(m.countdown, c.sounds.timer);
  } else if (event_in_rect(p, l.playerLabelLeftRect)) {
    if (!counting && m.playing != 1) step_pad(m, m.left_pad, m.right_pad);
  } else if (event_in_rect(p, l.playerLabelRightRect)) {
    if (!counting && m.playing != 1) step_pad(m, m.right_pad, m.left_pad);
  }
}

void match_key(const GameDef& game, void* record, MatchState& m, ScreenContext& c, int32_t scancode) {
  if (m.countdown.counting_down == 1) return;
  if (scancode == KEY_ESCAPE) leave(game, record, c);
  else if (scancode == KEY_DELETE) game.reset(record, c);
  else if (scancode == KEY_SPACE && m.playing != 1) countdown_start(m.countdown, c.sounds.timer);
}

void draw_standings(const GameDef& game, const void* record, const MatchState& m,
                    const ScreenContext& c) {
  if (!game.standing) return;
  const Standing standing = game.standing(record);
  const int32_t scores[2] = {standing.left, standing.right};
  const SDL_Color colours[2] = {c.palette.player_blue, c.palette.player_red};
  const SDL_FRect(&plates)[2] = m.game_over == 1 ? c.layout.finalStandingRect : c.layout.*game.standing_plates;
  for (Side side : {SIDE_LEFT, SIDE_RIGHT}) {
    char text[24];
    if (game.standing_out_of > 0) snprintf(text, sizeof text, "%d/%d", scores[side], game.standing_out_of);
    else snprintf(text, sizeof text, "%d", scores[side]);
    const SDL_FRect& plate = plates[side];
    fill_rect(c.clock, c.palette.plate, plate);
    draw_runtime_text_in(c.clock, c.fonts.fontHuge, text, colours[side], plate);
  }
}

void draw_match_hud(const GameDef& game, const void* record, const MatchState& m, ScreenContext& c) {
  const TextureCatalog& t = c.textures;
  const LayoutTable& l = c.layout;
  if (m.game_over == 1) {
    fill_screen(c.clock, c.palette.shade, l);
    if (game.draw_over) game.draw_over(record, c);
    SDL_RenderCopyF(c.clock.renderer, t.medalGold, nullptr, &l.medalGoldRect);
    SDL_RenderCopyF(c.clock.renderer, t.medalSilver, nullptr, &l.medalSilverRect);
  }
  draw_standings(game, record, m, c);
  // The bar's shadow lies under the buttons and clear of the logo and the close cross.
  SDL_RenderCopyF(c.clock.renderer, t.barShadow, nullptr, &l.bottomBarRect);
  draw_button_strip(c.clock, t, l);
  draw_player_label(c.clock, m.left_pad, m.left_label, l.playerLabelLeftRect,
                    l.playerDigitLeftRect, c.palette, t, c.fonts);
  draw_player_label(c.clock, m.right_pad, m.right_label, l.playerLabelRightRect,
                    l.playerDigitRightRect, c.palette, t, c.fonts);
  draw_countdown(c.clock, m.countdown, c.palette, t, l);
}
