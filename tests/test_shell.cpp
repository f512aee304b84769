// The shell: pacing, the screen state machine, input dispatch, the window's unit.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>

#include "core/random.h"
#include "ui/pointer_rect.h"
#include "app/input.h"
#include "app/program.h"
#include "app/window.h"
#include "tests/support.h"

TEST(Pacing, WaitsForTheRestOfSixteenMilliseconds) {
  EXPECT_EQ(pacing_delay(1000, 1003), 13u);
  EXPECT_EQ(pacing_delay(1000, 1000), 16u);
  EXPECT_EQ(pacing_delay(1000, 1015), 1u);
  EXPECT_EQ(pacing_delay(1000, 1016), 0u);
  EXPECT_EQ(pacing_delay(1000, 1500), 0u);
}

TEST(Pacing, SurvivesTheTickCounterWrapping) {
  EXPECT_EQ(pacing_delay(0xFFFFFFF0u, 0xFFFFFFF3u), 13u);
  EXPECT_EQ(pacing_delay(0xFFFFFFFAu, 2u), 8u);   // 8 ms passed across the wrap
  EXPECT_EQ(pacing_delay(0xFFFFFFFAu, 10u), 0u);  // 16 ms passed across the wrap
}

// A whole program started on the dummy drivers, driven by a fake clock.
class Loop : public ::testing::Test {
 protected:
  void SetUp() override {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(chdir(scratch.path.c_str()), 0);  // the font and sounds are read from there
    ASSERT_EQ(start_up(program), 0);
    seams = fake_ticks_seams(ticks);
  }
  void TearDown() override { shut_down(program); }
  ScratchRunDir scratch;
  Program program;
  FakeTicks ticks;
  LoopSeams seams;
};

TEST_F(Loop, FramesArePacedAndTimedAcrossTheWrap) {
  ticks.now = 0xFFFFFFF0u - 40;
  run_frame(program, seams);  // the first frame starts the clock
  ticks.work_ms = 3;
  for (int i = 0; i < 5; ++i) {
    run_frame(program, seams);
    EXPECT_EQ(ticks.last_delay, 13u) << "frame " << i;
    EXPECT_FLOAT_EQ(program.clock.dt, 0.016f);
  }
  ticks.work_ms = 25;  // a slow frame is not compensated, and not waited for
  run_frame(program, seams);
  EXPECT_EQ(ticks.last_delay, 0u);
  EXPECT_FLOAT_EQ(program.clock.dt, 0.025f);
  EXPECT_LT(program.clock.last_tick, 100u) << "the counter wrapped during the test";
}

// Start-up makes only the intro's pictures; the rest come while the intro shows, and a frame of
// any other screen has every picture and text before it draws.
TEST_F(Loop, NoScreenButTheIntroDrawsBeforeEveryPictureIsMade) {
  for (ImageId id : FIRST_FRAME_PICTURES) EXPECT_NE(image_texture(program.textures, id), nullptr);
  ASSERT_NE(program.loading, nullptr);
  run_frame(program, seams);  // the intro's first frame
  EXPECT_EQ(program.app.screen, SCREEN_INTRO);
  program.app.screen = SCREEN_PROSPECTORS;
  // The seams' context stays the fake clock's, which every seam reads.
  static bool checked;
  checked = false;
  seams.before_present = [](Program& p, void*) {
    checked = true;
    EXPECT_EQ(p.loading, nullptr);
    for (int32_t i = 0; i < IMAGE_COUNT; ++i)
      EXPECT_NE(image_texture(p.textures, (ImageId)i), nullptr) << image_info[i].name;
    for (int32_t i = 0; i < TEXT_COUNT; ++i)
      EXPECT_NE(text_texture(p.textures, (TextId)i), nullptr) << text_info[i].name;
  };
  run_frame(program, seams);
  EXPECT_TRUE(checked);
  EXPECT_EQ(program.exit_code, 0);
}

TEST_F(Loop, IntroHandsOverInTheFrameItsClockReachesTheEnd) {
  int frames = 0;
  while (program.app.screen == SCREEN_INTRO && frames < 1000) {
    float before = program.screens.intro.clock;
    run_frame(program, seams);
    ++frames;
    if (program.screens.intro.clock >= INTRO_SECONDS) {
      EXPECT_EQ(program.app.screen, SCREEN_MAIN_MENU);
      EXPECT_LT(before, INTRO_SECONDS);
    } else {
      EXPECT_EQ(program.app.screen, SCREEN_INTRO);
    }
  }
  EXPECT_EQ(program.app.screen, SCREEN_MAIN_MENU);
  EXPECT_NEAR(frames * 0.016f, 4.3f, 0.02f);
}

namespace {
void expect_black_frame(Program& p, void*) {
  int w = p.display.width, h = p.display.height;
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(SDL_RenderReadPixels(p.clock.renderer, nullptr, SDL_PIXELFORMAT_RGBA32, s->pixels,
                                 s->pitch), 0);
  int coloured = 0;
  for (int y = 0; y < h; y += 7) {
    const Uint8* row = (const Uint8*)s->pixels + y * s->pitch;
    for (int x = 0; x < w; x += 7)
      if (row[x * 4] || row[x * 4 + 1] || row[x * 4 + 2]) ++coloured;
  }
  EXPECT_EQ(coloured, 0);
  SDL_FreeSurface(s);
}
}  // namespace

TEST_F(Loop, UnknownScreenIdsOnlyClear) {
  seams.before_present = expect_black_frame;
  for (int32_t id : {0, 14, -3, 99}) {
    program.app.screen = id;
    run_frame(program, seams);
    EXPECT_EQ(program.app.screen, id);
    EXPECT_EQ(program.app.running, 1);
  }
}

// Events pushed into SDL's queue, with the pointer moved to where a click lands.
void push_key(SDL_Scancode code) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.keysym.scancode = code;
  SDL_PushEvent(&e);
}
void push_button(Uint32 type, Uint8 button) {
  SDL_Event e{};
  e.type = type;
  e.button.button = button;
  SDL_PushEvent(&e);
}
void push_quit() {
  SDL_Event e{};
  e.type = SDL_QUIT;
  SDL_PushEvent(&e);
}

TEST_F(Loop, EscapeFollowsEachScreensRule) {
  struct Case {
    int32_t screen;
    int32_t busy;  // 0 none, 1 reconnect dialog, 2 strike dialog
    int32_t after;
  } cases[] = {{SCREEN_INTRO, 0, SCREEN_INTRO},
               {SCREEN_MAIN_MENU, 0, SCREEN_MAIN_MENU},
               {SCREEN_TRAINING_MENU, 0, SCREEN_MAIN_MENU},
               {SCREEN_COMPETITION_MENU, 0, SCREEN_MAIN_MENU},
               {SCREEN_DEVICE, 0, SCREEN_MAIN_MENU},
               {SCREEN_DEVICE, 1, SCREEN_DEVICE},
               {SCREEN_DEVICE, 2, SCREEN_DEVICE},
               {SCREEN_STATISTICS, 0, SCREEN_MAIN_MENU},
               // the trainings go back to their menu
               {SCREEN_REACTION_TRAINING, 0, SCREEN_TRAINING_MENU},
               {SCREEN_HIT_COUNT_TRAINING, 0, SCREEN_TRAINING_MENU},
               {SCREEN_TANKS, 0, SCREEN_COMPETITION_MENU},
               {SCREEN_PROSPECTORS, 0, SCREEN_COMPETITION_MENU}};
  for (const Case& c : cases) {
    program.app.screen = c.screen;
    program.screens.device.reconnect_dialog = c.busy == 1;
    program.screens.device.strike_dialog = c.busy == 2;
    push_key(SDL_SCANCODE_ESCAPE);
    dispatch_input(program);
    EXPECT_EQ(program.app.screen, c.after) << "screen " << c.screen << " busy " << c.busy;
  }
  program.app.screen = SCREEN_TRAINING_MENU;
  push_key(SDL_SCANCODE_SPACE);
  dispatch_input(program);
  EXPECT_EQ(program.app.screen, SCREEN_TRAINING_MENU) << "only Escape leaves a sub-menu";
}

// A binding of test handlers that record what reached them.
struct Reached {
  int clicks[SCREEN_COUNT] = {};
  int keys[SCREEN_COUNT] = {};
  int polls = 0;
  int32_t next_screen = 0;  // a click on screen 3 moves here
  SDL_Rect target{100, 200, 50, 30};
  int inside = 0;
} reached;

void record_click(void*, ScreenContext& c) {
  reached.clicks[c.app.screen]++;
  if (event_in_rect(c.pointer, reached.target)) reached.inside++;
  if (c.app.screen == SCREEN_TRAINING_MENU && reached.next_screen) c.app.screen = reached.next_screen;
}
void record_key(void*, ScreenContext& c, int32_t) { reached.keys[c.app.screen]++; }
void record_poll(void*, ScreenContext&) { reached.polls++; }

ScreenBinding recording_screens(Program&, int32_t screen) {
  static const ScreenDef with{.poll = record_poll, .key = record_key, .click = record_click};
  return screen >= 1 && screen <= 13 ? ScreenBinding{&with, nullptr} : ScreenBinding{};
}

TEST_F(Loop, DispatchRoutesClicksAndKeysByTheCurrentScreen) {
  reached = Reached{};
  SDL_WarpMouseInWindow(program.display.window, 120, 210);

  program.app.screen = SCREEN_INTRO;  // the intro takes neither keys nor clicks
  push_key(SDL_SCANCODE_A);
  push_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
  dispatch_input_with(program, recording_screens);
  EXPECT_EQ(reached.clicks[SCREEN_INTRO] + reached.keys[SCREEN_INTRO], 0);
  EXPECT_EQ(program.pointer.left_down, 1);

  program.app.screen = SCREEN_MAIN_MENU;  // the main menu takes clicks, not keys
  push_key(SDL_SCANCODE_A);
  push_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
  dispatch_input_with(program, recording_screens);
  EXPECT_EQ(reached.clicks[SCREEN_MAIN_MENU], 1);
  EXPECT_EQ(reached.keys[SCREEN_MAIN_MENU], 0);
  EXPECT_EQ(reached.polls, 2) << "a screen's poll runs once per dispatch";

  // A handler that changes screens sends the rest of the frame's events to the new one.
  program.app.screen = SCREEN_TRAINING_MENU;
  reached.next_screen = SCREEN_DEVICE;
  push_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
  push_key(SDL_SCANCODE_A);
  push_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
  dispatch_input_with(program, recording_screens);
  EXPECT_EQ(reached.clicks[SCREEN_TRAINING_MENU], 1);
  EXPECT_EQ(reached.keys[SCREEN_DEVICE], 1);
  EXPECT_EQ(reached.clicks[SCREEN_DEVICE], 1);
  EXPECT_EQ(reached.inside, 3) << "every click was taken at the pointer's position";
}

TEST_F(Loop, QuitStillHandsTheSameFramesClickToItsScreen) {
  reached = Reached{};
  program.app.screen = SCREEN_MAIN_MENU;
  push_quit();
  push_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
  dispatch_input_with(program, recording_screens);
  EXPECT_EQ(program.app.running, 0);
  EXPECT_EQ(reached.clicks[SCREEN_MAIN_MENU], 1);
}

TEST_F(Loop, ButtonFlagsAndIgnoredEvents) {
  reached = Reached{};
  program.app.screen = SCREEN_MAIN_MENU;
  push_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT);
  dispatch_input_with(program, recording_screens);
  EXPECT_EQ(program.pointer.right_down, 1);
  EXPECT_EQ(program.pointer.left_down, 0);
  EXPECT_EQ(reached.clicks[SCREEN_MAIN_MENU], 0) << "a right click reaches no screen";

  push_button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT);
  push_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE);
  SDL_Event wheel{};
  wheel.type = SDL_MOUSEWHEEL;
  wheel.wheel.y = 3;
  SDL_PushEvent(&wheel);
  dispatch_input_with(program, recording_screens);
  EXPECT_EQ(program.pointer.right_down, 0);
  EXPECT_EQ(program.pointer.left_down, 0);
  EXPECT_EQ(reached.clicks[SCREEN_MAIN_MENU], 0);
  EXPECT_EQ(program.app.running, 1);

  // Flags persist across frames and screens until the release arrives.
  push_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
  dispatch_input_with(program, recording_screens);
  program.app.screen = SCREEN_DEVICE;
  dispatch_input_with(program, recording_screens);
  EXPECT_EQ(program.pointer.left_down, 1);
  push_button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
  dispatch_input_with(program, recording_screens);
  EXPECT_EQ(program.pointer.left_down, 0);
}

// The worker records are let go of in one place; a second shutdown finds nothing to touch.
TEST_F(Loop, ShutdownTwiceLetsGoOfTheWorkersOnce) {
  ASSERT_NE(program.store, nullptr);
  ASSERT_NE(program.link, nullptr);
  run_frame(program, seams);
  shut_down(program);
  EXPECT_EQ(program.store, nullptr);
  EXPECT_EQ(program.link, nullptr);
  EXPECT_EQ(program.app.store_running, 0);
  EXPECT_EQ(program.app.link_running, 0);
  EXPECT_EQ(program.clock.renderer, nullptr);
  shut_down(program);  // and TearDown's third: nothing is freed twice
}

TEST(HitTest, BothEdgesCountForIntegerAndFloatRectangles) {
  PointerState p;
  SDL_Rect r{100, 200, 50, 30};
  SDL_FRect f{100.5f, 200.0f, 49.5f, 30.25f};
  struct {
    int x, y;
    bool in_rect, in_frect;
  } cases[] = {{100, 200, true, false}, {150, 230, true, true},  {151, 230, false, false},
               {150, 231, false, false}, {99, 215, false, false}, {125, 199, false, false},
               {101, 200, true, true}};
  for (auto& c : cases) {
    p.event_x = p.x = c.x;
    p.event_y = p.y = c.y;
    EXPECT_EQ(event_in_rect(p, r), c.in_rect) << c.x << "," << c.y;
    EXPECT_EQ(pointer_in_rect(p, r), c.in_rect) << c.x << "," << c.y;
    EXPECT_EQ(event_in_frect(p, f), c.in_frect) << c.x << "," << c.y;
    EXPECT_EQ(pointer_in_frect(p, f), c.in_frect) << c.x << "," << c.y;
  }
  p.x = 0;  // the two positions are tested separately
  p.event_x = 120;
  p.y = p.event_y = 210;
  EXPECT_TRUE(event_in_rect(p, r));
  EXPECT_FALSE(pointer_in_rect(p, r));
}

TEST(Window, UnitIsTheHeightOverFortyInIntegers) {
  EXPECT_EQ(display_unit(1080), 27.0f);
  EXPECT_EQ(display_unit(1050), 26.0f);
  EXPECT_EQ(display_unit(768), 19.0f);
  EXPECT_EQ(display_unit(600), 15.0f);
  EXPECT_EQ(display_unit(39), 0.0f);
}

TEST_F(Loop, WindowCoversTheOutputAndFiltersMotion) {
  EXPECT_STREQ(SDL_GetWindowTitle(program.display.window), "HXM");
  EXPECT_TRUE(SDL_GetWindowFlags(program.display.window) & SDL_WINDOW_FULLSCREEN_DESKTOP);
  int w = 0, h = 0;
  SDL_GetRendererOutputSize(program.clock.renderer, &w, &h);
  EXPECT_EQ(program.display.width, w);
  EXPECT_EQ(program.display.height, h);
  EXPECT_EQ(program.display.unit, (float)(h / 40));
  EXPECT_EQ(SDL_EventState(SDL_MOUSEMOTION, SDL_QUERY), SDL_IGNORE);
  EXPECT_EQ(SDL_EventState(SDL_JOYDEVICEREMOVED, SDL_QUERY), SDL_IGNORE);
  EXPECT_EQ(SDL_EventState(SDL_CONTROLLERDEVICEREMAPPED, SDL_QUERY), SDL_IGNORE);
  EXPECT_EQ(SDL_EventState(SDL_MOUSEWHEEL, SDL_QUERY), SDL_ENABLE);
  EXPECT_EQ(SDL_EventState(SDL_KEYDOWN, SDL_QUERY), SDL_ENABLE);
}

TEST(Helpers, RandomBetweenSpreadsOverTheWholeRange) {
  float lo = 1e9f, hi = -1e9f;
  for (int i = 0; i < 20000; ++i) {
    float v = random_between(2.0f, 5.0f);
    ASSERT_GE(v, 2.0f);
    ASSERT_LE(v, 5.0f);
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  EXPECT_LT(lo, 2.05f);
  EXPECT_GT(hi, 4.95f);
}

TEST(Helpers, CalendarTimeCountsMonthsFromOne) {
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(calendar_time(1970, 1, 1, 0, 0, 0), 0);
  EXPECT_EQ(calendar_time(2024, 3, 1, 0, 0, 0) - calendar_time(2024, 2, 28, 0, 0, 0), 2 * 86400);
  EXPECT_EQ(calendar_time(2026, 12, 8, 18, 30, 15), 1796754615);
  unsetenv("TZ");
  tzset();
}

// The real program, sent SIGINT (which SDL turns into a quit request), ends with 0.
TEST(Binary, ExitsCleanlyOnInterrupt) {
  ScratchRunDir scratch;
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (chdir(scratch.path.c_str()) != 0) _exit(100);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    execl(HXM_BINARY, HXM_BINARY, (char*)nullptr);
    _exit(101);
  }
  // SDL takes over SIGINT in its start; the database appears just after it.
  std::string db = scratch.path + "/hxm.db";
  for (int i = 0; i < 600 && access(db.c_str(), F_OK) != 0; ++i) SDL_Delay(50);
  SDL_Delay(500);
  kill(pid, SIGINT);
  int status = 0;
  pid_t done = 0;
  for (int i = 0; i < 600 && done == 0; ++i) {  // start-up may be slow on a loaded machine
    done = waitpid(pid, &status, WNOHANG);
    if (done == 0) SDL_Delay(50);
  }
  if (done != pid) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    FAIL() << "hxm did not end after SIGINT";
  }
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}
