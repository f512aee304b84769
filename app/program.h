// Everything main owns for the run, and the loop that drives it.
#pragma once

#include "core/records.h"
#include "assets/sound_bank.h"
#include "assets/catalog.h"
#include "assets/layout.h"
#include "assets/loader.h"
#include "games/games.h"
#include "link/sensor_link.h"
#include "screens/screens.h"
#include "store/record_store.h"

struct Program {
  AppState app;
  FrameClock clock;
  Display display;
  PointerState pointer;
  Palette palette;
  SoundBank sounds;
  TextureCatalog textures;
  FontSet fonts;
  LayoutTable layout;
  // The two worker records live on the heap and are freed by their own threads once
  // stopped: a thread may outlive main's frame. shut_down stops both and clears these
  // pointers in one place, so nothing can use a record after its thread let go of it.
  RecordStore* store = nullptr;
  SensorLink* link = nullptr;
  ScreenRecords screens;
  GameRecords games;
  bool first_frame = true;
  int32_t framed_screen = 0;  // the screen the previous frame ran
  // The pictures still being made while the intro shows; null once all are in the catalog.
  PictureLoad* loading = nullptr;
  int exit_code = 0;  // set by a failure after start-up
};

// Replaceable pieces of the loop, for tests and tools; the program uses real_loop_seams().
struct LoopSeams {
  uint32_t (*ticks)(void* ctx) = nullptr;
  void (*delay)(void* ctx, uint32_t ms) = nullptr;
  void (*before_frame)(Program& program, void* ctx) = nullptr;    // may push events
  void (*before_present)(Program& program, void* ctx) = nullptr;  // may read the frame back
  void* ctx = nullptr;
};
LoopSeams real_loop_seams();

enum : uint32_t { FRAME_MS = 16 };
constexpr float BACKGROUND_MUSIC_AFTER = 10.0f;

// Milliseconds to wait so a frame starts no earlier than 16 ms after last_tick;
// unsigned arithmetic keeps it right across the tick counter's wrap.
uint32_t pacing_delay(uint32_t last_tick, uint32_t now);

// Start-up in order; 0 on success, else the exit code (2-7), with one line on stderr.
// The sensor link reads through port: the platform's real layer unless a demo or test says.
int start_up(Program& program, const SerialPortLayer& port = real_serial_port());
// One frame: input, pacing, clear, music, the current screen (which starts with no hit
// pending when it was not the previous frame's), present, and the present's time.
void run_frame(Program& program, const LoopSeams& seams);
// Releases everything start_up made; a second call does nothing more.
void shut_down(Program& program);
// The whole run; returns the process exit code.
int hxm_main(const LoopSeams& seams, const SerialPortLayer& port = real_serial_port());
