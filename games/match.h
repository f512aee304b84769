// The two-player match that every game runs: pad assignment, hit intake, the start
// countdown, buttons and keys, medals and the heads-up layer. A game embeds one MatchState
// and hands the match its own rules through a GameDef row.
#pragma once

#include <cstdint>

#include "core/records.h"
#include "assets/sound_bank.h"
#include "assets/catalog.h"
#include "assets/layout.h"
#include "ui/hud.h"
#include "ui/screen.h"

struct SensorLink;

struct MatchState {
  int32_t game_music_started = 0;
  int32_t game_over = 0;  // the contest is decided: hit actions and clocks stop
  int32_t playing = 0;    // from the end of the countdown until the next reset
  StartCountdown countdown;
  int32_t pad_connected[4] = {};
  int32_t left_pad = 0;  // 1-4; 0 = none
  int32_t right_pad = 0;
  char left_label[5] = {};  // last four MAC characters of the assigned pad
  char right_label[5] = {};
};

// The extra period both clocked games give when time runs out on equal scores.
constexpr float EXTRA_PERIOD_SECONDS = 30.0f;

enum Side : int32_t { SIDE_LEFT = 0, SIDE_RIGHT = 1 };

// Each player's standing as the big digits show it: the left player's, then the right one's.
struct Standing {
  int32_t left = 0, right = 0;
};

// One game as a row: its music and the rules it hands the match. The registry
// (games/games.h) binds each row to its record.
struct GameDef {
  int32_t screen = 0;
  Mix_Music* SoundBank::*music = nullptr;
  int32_t music_volume = 0;      // at the start and after the countdown
  int32_t countdown_volume = 0;  // during the countdown
  MatchState& (*match)(void* record) = nullptr;
  // The game's full reset (its own fields and match_reset).
  void (*reset)(void* record, ScreenContext& context) = nullptr;
  // One player's hit of power > 0 while playing.
  void (*hit)(void* record, Side side, int32_t power, ScreenContext& context) = nullptr;
  // The game's own rules, between the music start and the countdown.
  void (*update)(void* record, ScreenContext& context) = nullptr;
  // The scene under the heads-up layer; reads state only.
  void (*draw)(const void* record, ScreenContext& context) = nullptr;
  // State the drawing sequence advances (animation ages), run right after the draw; may be null.
  void (*after_draw)(void* record, ScreenContext& context) = nullptr;
  // Drawn between the game-over shade and the medals; may be null.
  void (*draw_over)(const void* record, ScreenContext& context) = nullptr;
  // Each player's standing, shown in big digits on the plates while the game runs ("41/75"
  // when out of more than 0), and between the medals once it is over; null draws none.
  Standing (*standing)(const void* record) = nullptr;
  SDL_FRect (LayoutTable::*standing_plates)[2] = nullptr;
  int32_t standing_out_of = 0;
};

// The match part of every reset: flags and assignments cleared, all sound stopped. The
// countdown fields are left alone (no reset happens while it runs).
void match_reset(MatchState& match);
// Start-up: the game's reset, then the countdown fields cleared.
void match_init(MatchState& match);

// Every frame, in this order: the poll (assignment, intake, the game's hit action), the
// music start, the game's update, the countdown, then the draw with the heads-up layer.
void match_poll(const GameDef& game, void* record, MatchState& match, ScreenContext& context);
void match_start_music(const GameDef& game, MatchState& match, SoundBank& sounds);
void match_countdown(const GameDef& game, MatchState& match, float dt, SoundBank& sounds);
// A frame's work before its draw: the poll, the music start, the game's update, the countdown.
void match_rules(const GameDef& game, void* record, MatchState& match, ScreenContext& context);
void match_click(const GameDef& game, void* record, MatchState& match, ScreenContext& context);
void match_key(const GameDef& game, void* record, MatchState& match, ScreenContext& context,
               int32_t scancode);

// The medals at the game's end: gold on the winner's side.
void place_medals(LayoutTable& layout, const Display& display, Side winner);
// The game is decided: game over, the bang, and the medals.
void match_end(MatchState& match, ScreenContext& context, Side winner);

// Each player's standing in big digits on its plate, the left one in blue and the right one in
// red: over the scene on the game's plates while it runs, so nothing flying covers it, and over
// the medals between them once the game is over, so the final score reads beside them.
void draw_standings(const GameDef& game, const void* record, const MatchState& match,
                    const ScreenContext& context);

// The heads-up layer over the scene: the standings, the game-over shade and medals (with the
// game's own layer between them), the buttons, the player labels and the countdown.
void draw_match_hud(const GameDef& game, const void* record, const MatchState& match,
                    ScreenContext& context);
