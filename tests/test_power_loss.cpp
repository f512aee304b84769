// The power goes while hits are being stored: the real program on a virtual hub, striking on
// the hit-power training, is killed without warning at random moments and started again on
// the same directory, twenty times. The file always opens, every row seen committed before a
// kill is still there, and positions 1-3 stay consistent.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "app/program.h"
#include "tests/support.h"
#include "tools/chaos.h"
#include "tools/virtual_hub.h"

namespace {

// The child: the whole program on screen 6 with a hub that strikes pad 1 as fast as the
// wire allows; each frame "takes" 400 ms, so countdowns and meters pass quickly. Never returns.
[[noreturn]] void strike_forever(const std::string& dir, uint32_t seed) {
  if (chdir(dir.c_str()) != 0) _exit(100);
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  static VirtualHub hub;
  if (!hub_plug(hub)) _exit(101);
  static Program p;
  if (start_up(p, virtual_hub_port(hub)) != 0) _exit(102);
  std::thread([seed] {
    std::mt19937 rng(seed);
    while (hub_opens(hub) == 0) usleep(10000);
    hub_connect(hub, 0, "A1B2C3D4E5F6");
    for (;;) hub_hit(hub, 0, (uint8_t)(1 + rng() % 255), 80);
  }).detach();
  FakeTicks ticks;
  ticks.work_ms = 400;
  LoopSeams seams = fake_ticks_seams(ticks);
  for (;;) {
    p.app.screen = SCREEN_POWER_TRAINING;
    run_frame(p, seams);
    usleep(1000);
  }
}

int64_t rows_now(const std::string& db) {
  int64_t rows = 0;
  std::string problem;
  check_hit_table(db.c_str(), 0, INT64_MAX, rows, problem);
  return rows;
}

TEST(PowerLoss, KilledWhileStoringLosesNothingCommitted) {
  ScratchRunDir scratch;
  const std::string db = scratch.path + "/hxm.db";
  std::mt19937 rng(20261209);
  int64_t committed = 0;
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) strike_forever(scratch.path, (uint32_t)round);

    // Wait for this run's first stored hit, then let it store for a random while.
    auto start = std::chrono::steady_clock::now();
    int64_t seen = committed;
    while (seen <= committed &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(120)) {
      usleep(20000);
      seen = std::max(seen, rows_now(db));
    }
    ASSERT_GT(seen, committed) << "the program stored nothing";
    auto kill_at = std::chrono::steady_clock::now() + std::chrono::milliseconds(rng() % 800);
    while (std::chrono::steady_clock::now() < kill_at) {
      usleep(10000);
      seen = std::max(seen, rows_now(db));
    }
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the program ended by itself: " << status;

    int64_t rows = 0;
    std::string problem;
    EXPECT_TRUE(check_hit_table(db.c_str(), seen, INT64_MAX, rows, problem)) << problem;
    committed = rows;
  }
  EXPECT_GE(committed, 20);
}

}  // namespace
