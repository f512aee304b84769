// The record store's thread: queued requests in order, waiting instead of polling, riding out
// another connection's lock, stopping promptly, and a writer killed mid-run.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <random>
#include <set>
#include <thread>

#include "core/lock_hold.h"
#include "store/store_internal.h"
#include "tests/store_support.h"

namespace {

StoreRequest insert_request(int32_t value, float game_time) {
  StoreRequest r;
  r.code = STORE_INSERT;
  r.value = value;
  r.game_time = game_time;
  snprintf(r.mac, sizeof r.mac, "A4C1380F12AB");
  set_date_time(r, local_date_time());
  return r;
}

double thread_cpu_ms(pthread_t thread) {
  clockid_t clock;
  if (pthread_getcpuclockid(thread, &clock) != 0) return -1.0;
  struct timespec t;
  clock_gettime(clock, &t);
  return (double)t.tv_sec * 1000.0 + (double)t.tv_nsec / 1e6;
}

}  // namespace

// The store with its real thread; the thread frees the store once stopped.
class StoreThread : public StoreTest {
 protected:
  void start() {
    store->app = &app;
    ASSERT_EQ(pthread_create(&thread, nullptr, record_store_thread, store), 0);
    started = true;
  }
  // Waits until `n` requests have been finished since the start.
  bool wait_done(uint32_t n, int timeout_ms = 10000) {
    for (int waited = 0; waited < timeout_ms; waited += 5) {
      if (requests_done() >= n) return true;
      usleep(5000);
    }
    return false;
  }
  // Stops the thread; true when it ended within the time-out.
  bool stop(int timeout_ms) {
    stop_record_store(store);
    store = nullptr;
    started = false;
    struct timespec deadline;
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += timeout_ms / 1000;
    deadline.tv_nsec += (timeout_ms % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
      deadline.tv_sec += 1;
      deadline.tv_nsec -= 1000000000L;
    }
    return pthread_timedjoin_np(thread, nullptr, &deadline) == 0;
  }
  void TearDown() override {
    if (started) {
      EXPECT_TRUE(stop(10000));
    }
    StoreTest::TearDown();
  }

  AppState app;
  pthread_t thread{};
  bool started = false;
};

TEST_F(StoreThread, QueuedInsertsAreRankedInTurnAndTheIdleThreadSleeps) {
  start();
  ASSERT_TRUE(wait_done(1));  // the first read-all

  // Four results queued in one go, before the thread can take the first.
  {
    Hold hold(store->mutex);
    const int32_t values[4] = {10, 20, 20, 5};
    for (int i = 0; i < 4; ++i) queue_locked(*store, insert_request(values[i], (float)(i + 1)));
  }
  ASSERT_TRUE(wait_done(5));

  auto rows = stored_rows();
  ASSERT_EQ(rows.size(), 4u);
  auto expected = expected_positions(rows);
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].game_time, (double)(i + 1)) << "handled out of order";
    EXPECT_EQ(rows[i].record_position, expected[i]) << "row " << i;
  }
  StoreView view;
  store_read_view(*store, view);
  EXPECT_EQ(view.row_count, 4);
  EXPECT_EQ(view.best[0].id, rows[2].id);

  // Idle, the thread waits for work instead of polling.
  double before = thread_cpu_ms(thread);
  usleep(400 * 1000);
  double used = thread_cpu_ms(thread) - before;
  EXPECT_LT(used, 20.0) << "ms of CPU in 400 ms of idling";
  ASSERT_TRUE(store_queue_result(*store, 30, 1.0f, "A4C1380F12AB", local_date_time()));
  EXPECT_TRUE(wait_done(6, 5000)) << "an enqueue did not wake the thread";
}

TEST_F(StoreThread, AnotherConnectionsLockDelaysTheHitButDoesNotLoseIt) {
  start();
  ASSERT_TRUE(wait_done(1));
  sqlite3* other = open_db();
  exec_sql(other, "BEGIN EXCLUSIVE;");
  exec_sql(other, "INSERT INTO user (uuid) VALUES ('holder');");
  ASSERT_TRUE(store_queue_result(*store, 120, 2.0f, "A4C1380F12AB", local_date_time()));
  usleep(1000 * 1000);
  EXPECT_EQ(requests_done(), 1u) << "the insert gave up while the file was locked";
  exec_sql(other, "COMMIT;");
  sqlite3_close(other);
  ASSERT_TRUE(wait_done(2));
  auto rows = stored_rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].value, 120);
  EXPECT_EQ(rows[0].record_position, 1);
}

TEST_F(StoreThread, StoppingEndsTheThreadPromptlyWithRequestsQueued) {
  start();
  ASSERT_TRUE(wait_done(1));
  // Queued in one go, so a fast thread cannot work them off while they are still arriving.
  const int queued = 1000;
  {
    Hold hold(store->mutex);
    for (int i = 0; i < queued; ++i)
      ASSERT_TRUE(queue_locked(*store, insert_request(i % 256, 1.0f)));
  }
  EXPECT_TRUE(stop(1000));
  EXPECT_LT(stored_rows().size(), (size_t)queued / 2) << "the queue was worked off instead of dropped";
}

// A process storing 1000 results is killed at a random moment: every result it had seen
// committed is in the file, the file is sound, and positions 1-3 are consistent.
TEST_F(StoreTest, AKilledWriterLosesNoCommittedResult) {
  std::random_device entropy;
  const uint32_t seed = entropy();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  int reports[2];
  ASSERT_EQ(pipe(reports), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(reports[0]);
    RecordStore* s = new_record_store(nullptr, dir.c_str());
    store_begin(*s);
    while (store_serve_next(*s)) {
    }
    for (int32_t i = 0; i < 1000; ++i) {
      store_queue_result(*s, (int32_t)(random() % 256), (float)i, "A4C1380F12AB",
                         local_date_time());
      while (store_serve_next(*s)) {
      }
      // Read back after the insert: the row is committed.
      if (s->row_count == i + 1 && write(reports[1], &i, sizeof i) != (ssize_t)sizeof i)
        _exit(2);
    }
    _exit(0);
  }
  close(reports[1]);
  // Most runs are cut off midway: the child needs well over a second for all 1000.
  usleep((useconds_t)(150000 + random() % 1350000));
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  std::set<int32_t> committed;
  int32_t i;
  while (read(reports[0], &i, sizeof i) == (ssize_t)sizeof i) committed.insert(i);
  close(reports[0]);

  sqlite3* db = open_db();
  EXPECT_EQ(query_text(db, "PRAGMA integrity_check;"), "ok");
  sqlite3_close(db);
  auto rows = stored_rows();
  std::set<int32_t> stored;
  for (const StoredRow& row : rows) stored.insert((int32_t)row.game_time);
  for (int32_t seen : committed) EXPECT_TRUE(stored.count(seen)) << "result " << seen << " lost";
  EXPECT_LE(rows.size(), committed.size() + 1);  // at most the one in flight besides
  auto expected = expected_positions(rows);
  for (size_t r = 0; r < rows.size(); ++r)
    ASSERT_EQ(rows[r].record_position, expected[r]) << "row " << r << " of " << rows.size();
  RecordProperty("committed_before_kill", (int)committed.size());

  // The next start reads the file as it was left.
  store_begin(*store);
  serve_all();
  StoreView view;
  store_read_view(*store, view);
  EXPECT_EQ(view.table_rows, (int32_t)rows.size());
}
