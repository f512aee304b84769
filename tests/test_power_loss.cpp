// The power goes while hits are being stored: the real program on a virtual hub, striking on
// the hit-power training, is killed without warning at random moments and started again on
// the same directory, twenty times, many of them inside a write. Opened as the program opens
// it (which rolls an unfinished write back), the file is sound, every row seen committed
// before a kill is still there, and positions 1-3 stay consistent.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "app/program.h"
#include "store/store_internal.h"
#include "tests/support.h"
#include "tools/chaos.h"
#include "tools/virtual_hub.h"

namespace {

// Shared by the test and its child: 1 while the child holds the database's write lock, that
// is, while it is inside a write transaction. A killed child leaves it as it was.
volatile int* in_write = nullptr;

// The child's SQLite files: the system's own, watched where the write-ahead log's write lock
// (lock 0 of the shared memory) is taken and let go.
const sqlite3_io_methods* system_methods = nullptr;
sqlite3_io_methods watched_methods;
sqlite3_vfs* system_vfs = nullptr;
sqlite3_vfs watching_vfs;

int watched_shm_lock(sqlite3_file* file, int offset, int n, int flags) {
  int rc = system_methods->xShmLock(file, offset, n, flags);
  if (rc == SQLITE_OK && offset == 0 && (flags & SQLITE_SHM_EXCLUSIVE))
    *in_write = (flags & SQLITE_SHM_LOCK) ? 1 : 0;
  return rc;
}

int watching_open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* out) {
  int rc = system_vfs->xOpen(system_vfs, name, file, flags, out);
  if (rc != SQLITE_OK || !file->pMethods || !(flags & SQLITE_OPEN_MAIN_DB)) return rc;
  if (!system_methods) {
    system_methods = file->pMethods;
    watched_methods = *system_methods;
    watched_methods.xShmLock = watched_shm_lock;
  }
  if (file->pMethods == system_methods) file->pMethods = &watched_methods;
  return rc;
}

void watch_write_lock() {
  system_vfs = sqlite3_vfs_find(nullptr);
  watching_vfs = *system_vfs;
  watching_vfs.zName = "watching";
  watching_vfs.xOpen = watching_open;
  sqlite3_vfs_register(&watching_vfs, 1);
}

// The child: the whole program on screen 6 with a hub that strikes pad 1 as fast as the
// wire allows; each frame "takes" 400 ms, so countdowns and meters pass quickly. Never returns.
[[noreturn]] void strike_forever(const std::string& dir, uint32_t seed) {
  if (chdir(dir.c_str()) != 0) _exit(100);
  watch_write_lock();
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
  in_write = (volatile int*)mmap(nullptr, sizeof(int), PROT_READ | PROT_WRITE,
                                 MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(in_write, MAP_FAILED);
  std::mt19937 rng(20261209);
  int64_t committed = 0;
  int killed_in_write = 0;
  const int rounds = 20;
  for (int round = 0; round < rounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    *in_write = 0;
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
    // Every other round waits for a write under way, so the kill lands inside one.
    auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (round % 2 == 1 && *in_write == 0 && std::chrono::steady_clock::now() < give_up) {
    }
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the program ended by itself: " << status;
    killed_in_write += *in_write;

    // Opened as the program opens it first; then looked at.
    sqlite3_close(store_open(db.c_str()));
    int64_t rows = 0;
    std::string problem;
    EXPECT_TRUE(check_hit_table(db.c_str(), seen, INT64_MAX, rows, problem)) << problem;
    committed = rows;
  }
  munmap((void*)in_write, sizeof(int));
  EXPECT_GE(committed, 20);
  EXPECT_GE(killed_in_write, rounds / 4) << "too few kills landed inside a write";
  RecordProperty("killed_inside_a_write", killed_in_write);
  RecordProperty("rows_at_end", (int)committed);
}

}  // namespace
