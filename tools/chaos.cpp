#include "tools/chaos.h"

#include <SDL.h>
#include <dirent.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <random>
#include <thread>
#include <vector>

#include "core/random.h"
#include "core/lock_hold.h"
#include "app/program.h"
#include "tools/virtual_hub.h"

namespace {

// --- A hub the script drives message by message --------------------------------------------
// The link thread reads from a queue the driver fills; the driver waits until the thread has
// taken each message and come back for the next, so a seed always plays out the same way.
struct ScriptedPort {
  pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
  pthread_cond_t changed = PTHREAD_COND_INITIALIZER;
  bool plugged = true;
  bool stopping = false;
  bool waiting = false;  // the link sits in a read with nothing queued
  std::deque<std::vector<uint8_t>> reads;  // an empty entry is a quiet read
  std::deque<double> stamps;               // when each read's first byte "came"
  const uint32_t* now = nullptr;           // the virtual clock, read by the main thread only
};

void wait_a_little(pthread_cond_t& cond, pthread_mutex_t& mutex) {
  timespec until;
  clock_gettime(CLOCK_REALTIME, &until);
  until.tv_nsec += 20 * 1000 * 1000;
  if (until.tv_nsec >= 1000000000L) {
    until.tv_sec += 1;
    until.tv_nsec -= 1000000000L;
  }
  pthread_cond_timedwait(&cond, &mutex, &until);
}

ScriptedPort& port_of(void* ctx) { return *(ScriptedPort*)ctx; }

int32_t scripted_find(void* ctx) {
  ScriptedPort& s = port_of(ctx);
  Hold hold(s.mutex);
  return s.plugged && !s.stopping ? 7 : 0;
}
PortHandle scripted_open(void* ctx, const char*) {
  ScriptedPort& s = port_of(ctx);
  Hold hold(s.mutex);
  return s.plugged && !s.stopping ? 1 : NO_PORT;
}
bool scripted_configure(void*, PortHandle) { return true; }
bool scripted_probe(void* ctx, PortHandle) {
  ScriptedPort& s = port_of(ctx);
  Hold hold(s.mutex);
  return s.plugged && !s.stopping;
}
int32_t scripted_read(void* ctx, PortHandle, uint8_t* bytes, int32_t max, double* first_byte_ms) {
  ScriptedPort& s = port_of(ctx);
  Hold hold(s.mutex);
  s.waiting = true;
  pthread_cond_broadcast(&s.changed);
  while (s.reads.empty() && s.plugged && !s.stopping) wait_a_little(s.changed, s.mutex);
  s.waiting = false;
  if (!s.plugged || s.stopping) return -1;
  std::vector<uint8_t> read = s.reads.front();
  s.reads.pop_front();
  *first_byte_ms = s.stamps.front();
  s.stamps.pop_front();
  pthread_cond_broadcast(&s.changed);
  int32_t n = (int32_t)read.size() < max ? (int32_t)read.size() : max;
  if (n > 0) memcpy(bytes, read.data(), (size_t)n);
  return n;
}
void scripted_close(void*, PortHandle) {}
// Hits age on the virtual clock, so a seed plays out the same however fast the machine runs.
double scripted_now(void* ctx) {
  const uint32_t* now = port_of(ctx).now;
  return now ? (double)*now : 0.0;
}
void scripted_pause(void*, uint32_t) { usleep(1000); }

SerialPortLayer scripted_layer(ScriptedPort& s) {
  SerialPortLayer layer;
  layer.find_adapter = scripted_find;
  layer.open_port = scripted_open;
  layer.configure = scripted_configure;
  layer.probe = scripted_probe;
  layer.read_message = scripted_read;
  layer.close_port = scripted_close;
  layer.pause = scripted_pause;
  layer.now_ms = scripted_now;
  layer.ctx = &s;
  return layer;
}

using Clock = std::chrono::steady_clock;
double seconds_since(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

// Waits (in real time) until the link is parked in a read with an empty queue.
bool link_parked(ScriptedPort& s, double timeout) {
  Clock::time_point start = Clock::now();
  Hold hold(s.mutex);
  while (!(s.waiting && s.reads.empty())) {
    if (seconds_since(start) > timeout) return false;
    wait_a_little(s.changed, s.mutex);
  }
  return true;
}

// --- The virtual clock ----------------------------------------------------------------------
struct VirtualClock {
  uint32_t now = 1000;
  uint32_t work_ms = 0;  // what the next frame's work "took"
};
uint32_t virtual_ticks(void* ctx) { return ((VirtualClock*)ctx)->now; }
void virtual_delay(void* ctx, uint32_t ms) { ((VirtualClock*)ctx)->now += ms; }
void virtual_work(Program&, void* ctx) {
  VirtualClock& c = *(VirtualClock*)ctx;
  c.now += c.work_ms;
}

// Threads of this process right now.
int32_t thread_count() {
  int32_t n = 0;
  if (DIR* d = opendir("/proc/self/task")) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') ++n;
    closedir(d);
  }
  return n;
}

int64_t rss_kb() {
  FILE* f = fopen("/proc/self/statm", "r");
  long pages = 0, resident = 0;
  if (f) {
    if (fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    fclose(f);
  }
  return (int64_t)resident * (int64_t)(sysconf(_SC_PAGESIZE) / 1024);
}

// --- The driver ------------------------------------------------------------------------------
const char* const MACS[] = {"A1B2C3D4E5F6", "0C1D2E3F4A5B", "FFFFFFFFFFFF", "------------",
                            "12345678ABCD", "9Z8Y7X6W5V4U"};
const SDL_Scancode KEYS[] = {SDL_SCANCODE_ESCAPE, SDL_SCANCODE_SPACE,      SDL_SCANCODE_DELETE,
                             SDL_SCANCODE_RIGHT,  SDL_SCANCODE_LEFT,       SDL_SCANCODE_DOWN,
                             SDL_SCANCODE_UP,     SDL_SCANCODE_KP_MINUS,   SDL_SCANCODE_KP_PLUS};

struct Driver {
  const ChaosConfig& config;
  ChaosReport& report;
  Program& p;
  ScriptedPort& port;
  std::mt19937 rng;
  VirtualClock clock;
  LoopSeams seams;
  int64_t frame = 0;
  int64_t checked_at = 0;     // frame of the last full database check
  int32_t last_screen = 0;
  int32_t held_frames = 0;    // frames until the held left button is let go
  int32_t unplugged_frames = 0;
  int32_t locked_frames = 0;  // frames the database stays locked by the script's connection
  sqlite3* locker = nullptr;
  int64_t expected_rows = 0;
  uint32_t last_inserts = 0;
  uint32_t last_deletes = 0;
  int32_t session_frames = 0;  // frames left of someone training in earnest
  int32_t delete_step = 0;     // where a deliberate delete-all on screen 5 has got to

  Driver(const ChaosConfig& c, ChaosReport& r, Program& program, ScriptedPort& s)
      : config(c), report(r), p(program), port(s), rng(c.seed) {
    seams.ticks = virtual_ticks;
    seams.delay = virtual_delay;
    seams.before_frame = virtual_work;
    seams.ctx = &clock;
    port.now = &clock.now;
  }

  int32_t roll(int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(rng); }
  bool chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(rng) < p; }

  void trace(uint64_t what) {
    // FNV-1a over the script and the screens it led to.
    for (int i = 0; i < 8; ++i) {
      report.trace ^= (what >> (8 * i)) & 0xFF;
      report.trace *= 1099511628211ull;
    }
  }
  void say(const char* what, int32_t a = 0, int32_t b = 0) {
    trace(((uint64_t)(uint8_t)what[0] << 56) ^ ((uint64_t)(uint32_t)a << 24) ^ (uint64_t)(uint32_t)b);
    if (config.verbose) fprintf(stderr, "frame %lld screen %d: %s %d %d\n", (long long)frame, p.app.screen, what, a, b);
  }
  bool fail(const std::string& why) {
    char where[96];
    snprintf(where, sizeof where, "seed %u, frame %lld, screen %d: ", config.seed, (long long)frame,
             p.app.screen);
    report.failure = where + why;
    return false;
  }

  // --- The hub ---
  bool deliver(const std::vector<uint8_t>& read) {
    if (unplugged_frames > 0) return true;  // nothing reaches a pulled adapter
    if (!link_parked(port, 10.0)) return fail("the link never came back for a message");
    {
      Hold hold(port.mutex);
      port.reads.push_back(read);
      port.stamps.push_back((double)clock.now);
      pthread_cond_broadcast(&port.changed);
    }
    if (!link_parked(port, 10.0)) return fail("the link did not take a message");
    return true;
  }
  template <size_t N>
  bool deliver(const uint8_t (&bytes)[N], int32_t count = (int32_t)N) {
    return deliver(std::vector<uint8_t>(bytes, bytes + count));
  }

  bool hit() { return hit_pad(roll(0, 3)); }
  bool hit_pad(int32_t pad) {
    uint8_t m[HIT_MESSAGE_LENGTH];
    int32_t power = chance(0.05) ? 0 : roll(1, 255);
    hit_message(pad, (uint8_t)power, (uint8_t)roll(0, 130), m);
    say("hit", pad, power);
    report.hits_sent++;
    return deliver(m);
  }
  bool connect() {
    uint8_t m[CONNECT_MESSAGE_LENGTH];
    int32_t pad = roll(0, 3), mac = roll(0, 5);
    connect_message(pad, MACS[mac], m);
    say("connect", pad, mac);
    report.connects++;
    return deliver(m);
  }
  bool disconnect() {
    uint8_t m[DISCONNECT_MESSAGE_LENGTH];
    int32_t pad = roll(0, 3);
    disconnect_message(pad, m);
    say("disconnect", pad);
    report.disconnects++;
    return deliver(m);
  }
  // Truncated messages, pads that do not exist, and noise.
  bool malformed() {
    report.malformed++;
    std::vector<uint8_t> read;
    int32_t kind = roll(0, 4);
    if (kind == 0) {
      uint8_t m[CONNECT_MESSAGE_LENGTH];
      connect_message(roll(0, 3), MACS[0], m);
      read.assign(m, m + roll(1, CONNECT_MESSAGE_LENGTH - 1));
    } else if (kind == 1) {
      uint8_t m[DISCONNECT_MESSAGE_LENGTH];
      disconnect_message(roll(0, 3), m);
      read.assign(m, m + roll(1, DISCONNECT_MESSAGE_LENGTH - 1));
    } else if (kind == 2) {
      uint8_t m[HIT_MESSAGE_LENGTH];
      hit_message(roll(4, 255), (uint8_t)roll(1, 255), 50, m);
      read.assign(m, m + roll(1, HIT_MESSAGE_LENGTH));
    } else if (kind == 3) {
      uint8_t m[CONNECT_MESSAGE_LENGTH];
      connect_message(roll(4, 200), MACS[1], m);  // the pad digit out of range
      read.assign(m, m + CONNECT_MESSAGE_LENGTH);
    } else {
      read.resize((size_t)roll(1, READ_MAX));
      for (uint8_t& b : read) b = (uint8_t)roll(0, 255);
    }
    say("malformed", kind, (int32_t)read.size());
    return deliver(read);
  }
  bool quiet_read() {
    report.quiet_reads++;
    say("quiet");
    return deliver(std::vector<uint8_t>{});
  }
  bool unplug() {
    if (unplugged_frames > 0) return true;
    report.unplugs++;
    unplugged_frames = roll(1, 200);
    say("unplug", unplugged_frames);
    {
      Hold hold(port.mutex);
      port.plugged = false;
      port.reads.clear();
      port.stamps.clear();
      pthread_cond_broadcast(&port.changed);
    }
    // The link has noticed once every pad is gone.
    Clock::time_point start = Clock::now();
    for (;;) {
      bool gone = true;
      {
        Hold hold(p.link->mutex);
        gone = p.link->port_number == 0;
        for (const PadSlot& slot : p.link->pads) gone = gone && slot.connected == 0;
      }
      if (gone) return true;
      if (seconds_since(start) > 10.0) return fail("the link did not notice the unplug");
      usleep(500);
    }
  }
  bool replug() {
    say("replug");
    {
      Hold hold(port.mutex);
      port.plugged = true;
      pthread_cond_broadcast(&port.changed);
    }
    return link_parked(port, 10.0) || fail("the link did not find the adapter again");
  }

  // --- The crowd ---
  void push_button(Uint32 type, Uint8 button) {
    SDL_Event e{};
    e.type = type;
    e.button.button = button;
    SDL_PushEvent(&e);
  }
  void press_at(int32_t x, int32_t y, Uint8 button) {
    SDL_WarpMouseInWindow(p.display.window, x, y);
    push_button(SDL_MOUSEBUTTONDOWN, button);
  }
  void click_centre(const SDL_FRect& r) {
    report.clicks++;
    int32_t x = (int32_t)(r.x + r.w / 2), y = (int32_t)(r.y + r.h / 2);
    say("click", x, y);
    press_at(x, y, SDL_BUTTON_LEFT);
    push_button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
  }
  void click() {
    report.clicks++;
    // Mostly a button or picture of this screen, sometimes anywhere.
    int32_t x = roll(0, p.display.width - 1), y = roll(0, p.display.height - 1);
    if (chance(0.85)) {
      std::vector<SDL_FRect> places;
      for (int32_t i = 0; i < SCREEN_RECT_COUNT; ++i) {
        const ScreenRect& r = screen_rects[i];
        if (!(r.screens & screen_bit(p.app.screen))) continue;
        const LayoutField& f = layout_fields[r.field];
        int32_t first = r.index == EVERY_ELEMENT ? 0 : r.index;
        int32_t last = r.index == EVERY_ELEMENT ? f.count - 1 : r.index;
        for (int32_t k = first; k <= last; ++k) {
          SDL_FRect rect;
          if (!layout_rect(p.layout, r.field, k, rect) || rect.w <= 0 || rect.h <= 0) continue;
          int copies = r.role == ROLE_BUTTON ? 4 : 1;
          for (int c = 0; c < copies; ++c) places.push_back(rect);
        }
      }
      if (!places.empty()) {
        const SDL_FRect& r = places[(size_t)roll(0, (int32_t)places.size() - 1)];
        x = (int32_t)(r.x + r.w * (float)roll(0, 100) / 100.0f);
        y = (int32_t)(r.y + r.h * (float)roll(0, 100) / 100.0f);
      }
    }
    Uint8 button = chance(0.05) ? SDL_BUTTON_RIGHT : SDL_BUTTON_LEFT;
    say("click", x, y);
    press_at(x, y, button);
    if (button == SDL_BUTTON_LEFT && chance(0.15)) {
      held_frames = roll(1, 90);  // held, as on the statistics arrows
    } else {
      push_button(SDL_MOUSEBUTTONUP, button);
    }
  }
  void key() {
    press_key(chance(0.85) ? KEYS[roll(0, (int32_t)(sizeof KEYS / sizeof KEYS[0]) - 1)]
                           : (SDL_Scancode)roll(4, 120));
  }
  void press_key(SDL_Scancode scancode) {
    report.keys++;
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.scancode = scancode;
    say("key", (int32_t)scancode);
    SDL_PushEvent(&e);
  }

  // --- Someone training in earnest ---
  // From a menu, as its button would, straight to a screen where hits count: mostly the
  // hit-power training, whose hits are stored. There, hits on the pad the screen reads at a
  // human pace, now and then a fault, and on the statistics screen a deliberate delete-all.
  // The crowd alone rarely gets an attempt through its countdown to a stored hit.
  void start_session() {
    static const int32_t targets[] = {SCREEN_POWER_TRAINING, SCREEN_POWER_TRAINING,
                                      SCREEN_POWER_TRAINING, SCREEN_POWER_TRAINING,
                                      SCREEN_STATISTICS,     SCREEN_REACTION_TRAINING,
                                      SCREEN_HIT_COUNT_TRAINING, SCREEN_MONSTER_TRUCKS,
                                      SCREEN_TANKS,          SCREEN_DUCK_HUNT,
                                      SCREEN_PROSPECTORS};
    int32_t target = targets[roll(0, (int32_t)(sizeof targets / sizeof targets[0]) - 1)];
    session_frames = roll(300, 2000);
    delete_step = 0;
    say("session", target, session_frames);
    p.app.screen = target;
  }
  int32_t lowest_connected_pad() {
    int32_t connected[PAD_COUNT];
    read_connected(p.link, connected);
    for (int32_t k = 0; k < PAD_COUNT; ++k)
      if (connected[k]) return k;
    return -1;
  }
  bool session() {
    if (--session_frames == 0) return press_key(SDL_SCANCODE_ESCAPE), true;
    if (p.app.screen == SCREEN_STATISTICS && delete_step > 0) {
      // The dialog: tick one or both boxes, then the left button.
      if (delete_step == 1) click_centre(chance(0.5) ? p.layout.allTimeBoxRect : p.layout.sessionBoxRect);
      if (delete_step == 2 && chance(0.5)) click_centre(p.layout.allTimeBoxRect);
      if (delete_step == 3) click_centre(p.layout.dialogButtonPairLeftRect);
      delete_step = delete_step == 3 ? 0 : delete_step + 1;
      return true;
    }
    int32_t r = roll(0, 999);
    if (r < 60) {
      int32_t pad = lowest_connected_pad();
      if (pad < 0) return connect();
      // The games read two pads: the second player strikes too.
      if (p.app.screen >= SCREEN_MONSTER_TRUCKS && chance(0.5)) pad = std::min(pad + 1, PAD_COUNT - 1);
      return hit_pad(pad);
    }
    if (r < 62) return press_key(SDL_SCANCODE_SPACE), true;
    if (r < 65 && p.app.screen == SCREEN_STATISTICS) return press_key(SDL_SCANCODE_DELETE), delete_step = 1, true;
    if (r < 67) return malformed();
    if (r < 68) return disconnect();
    if (r < 70) return click(), true;
    return true;
  }
  void lock_database() {
    if (locker || chance(0.5)) return;
    if (sqlite3_open("hxm.db", &locker) != SQLITE_OK) {
      sqlite3_close(locker);
      locker = nullptr;
      return;
    }
    sqlite3_busy_timeout(locker, 2000);
    if (sqlite3_exec(locker, "BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr) != SQLITE_OK) {
      sqlite3_close(locker);
      locker = nullptr;
      return;
    }
    report.db_locks++;
    locked_frames = roll(40, 200);  // 10 ms of real time each: up to about two seconds
    say("lock", locked_frames);
  }
  void unlock_database() {
    sqlite3_exec(locker, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(locker);
    locker = nullptr;
  }

  // --- Invariants ---
  void count_stored() {
    uint32_t inserts = 0, deletes = 0;
    {
      Hold hold(p.store->mutex);
      inserts = p.store->inserts_queued;
      deletes = p.store->deletes_queued;
    }
    // The store carries requests out in order, so once idle its rows are the results queued
    // since the last delete-all. A frame runs one screen: it stores hits or deletes, never both.
    if (deletes != last_deletes) {
      expected_rows = 0;
      report.deletes += deletes - last_deletes;
    }
    expected_rows += inserts - last_inserts;
    report.hits_stored += inserts - last_inserts;
    last_inserts = inserts;
    last_deletes = deletes;
  }
  bool store_idle(double timeout) {
    Clock::time_point start = Clock::now();
    for (;;) {
      {
        Hold hold(p.store->mutex);
        if (p.store->request_count == 0) return true;
      }
      if (seconds_since(start) > timeout) return false;
      usleep(1000);
    }
  }
  bool check_database() {
    report.checks++;
    if (!store_idle(30.0)) return fail("the record store did not finish its queue");
    std::string problem;
    int64_t rows = 0;
    bool ok = check_hit_table("hxm.db", expected_rows, expected_rows, rows, problem);
    report.rows_at_end = rows;
    return ok || fail(problem);
  }

  // --- One frame of the script ---
  bool act() {
    if (held_frames > 0 && --held_frames == 0) push_button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
    if (unplugged_frames > 0 && --unplugged_frames == 0 && !replug()) return false;
    if (locker && --locked_frames <= 0) unlock_database();
    if (locker) usleep(10000);

    if (session_frames > 0) return session();
    int32_t r = roll(0, 9999);
    bool on_menu = p.app.screen >= SCREEN_MAIN_MENU && p.app.screen <= SCREEN_COMPETITION_MENU;
    if (on_menu && r < 150) return start_session(), true;
    if (r < 3000) return true;                       // a quiet frame
    if (r < 4500) return click(), true;
    if (r < 5500) return key(), true;
    if (r < 7500) {                                  // hits, sometimes several in one frame
      int32_t n = chance(0.2) ? roll(2, 4) : 1;
      for (int32_t i = 0; i < n; ++i)
        if (!hit()) return false;
      return true;
    }
    if (r < 7800) return connect();
    if (r < 7950) return disconnect();
    if (r < 8150) return malformed();
    if (r < 8250) return quiet_read();
    if (r < 8280) return unplug();
    if (r < 8300) return lock_database(), true;
    if (r < 8340) {                                  // nobody touches anything for a while
      int32_t frames = roll(50, 600);
      say("idle", frames);
      for (int32_t i = 0; i < frames; ++i)
        if (!step()) return false;
      return true;
    }
    if (r < 8355) {                                  // the machine slept
      int32_t seconds = roll(1, 600);
      say("sleep", seconds);
      clock.now += (uint32_t)seconds * 1000u;
      return true;
    }
    // The rest: hits again, the commonest thing in a gym.
    return hit();
  }

  // Runs one frame and checks what must hold after every frame.
  bool step() {
    clock.work_ms = (uint32_t)roll(0, 6);
    run_frame(p, seams);
    frame++;
    report.frames++;
    int32_t s = p.app.screen;
    trace((uint64_t)s);
    if (s < SCREEN_INTRO || s > SCREEN_PROSPECTORS) return fail("screen id out of range");
    report.screen_frames[s]++;
    if (s != last_screen) report.screen_visits[s]++;
    last_screen = s;
    if (p.app.running != 1) {  // the close cross: the crowd keeps going
      report.quits_refused++;
      p.app.running = 1;
    }
    count_stored();
    return true;
  }
};

}  // namespace

bool check_hit_table(const char* path, int64_t least_rows, int64_t most_rows, int64_t& rows,
                     std::string& problem) {
  rows = 0;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    problem = std::string(path) + " cannot be opened";
    return false;
  }
  sqlite3_busy_timeout(db, 5000);
  auto text_of = [&](const char* sql) {
    std::string out;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW &&
        sqlite3_column_text(st, 0))
      out = (const char*)sqlite3_column_text(st, 0);
    sqlite3_finalize(st);
    return out;
  };
  problem.clear();
  if (text_of("PRAGMA integrity_check;") != "ok") problem = "integrity_check is not ok";
  rows = atoll(text_of("SELECT COUNT(*) FROM training_hit_power;").c_str());
  if (problem.empty() && (rows < least_rows || rows > most_rows))
    problem = "the table holds " + std::to_string(rows) + " rows, expected " +
              std::to_string(least_rows) + (most_rows != least_rows ? " or more" : "");
  // Positions 1-3: each once, as many as there are rows up to three, best first, and no
  // unranked row above the third.
  sqlite3_stmt* st = nullptr;
  int32_t values[4] = {}, seen[4] = {};
  if (sqlite3_prepare_v2(db, "SELECT record_position, value FROM training_hit_power "
                             "WHERE record_position BETWEEN 1 AND 3;", -1, &st, nullptr) == SQLITE_OK) {
    while (sqlite3_step(st) == SQLITE_ROW) {
      int32_t pos = sqlite3_column_int(st, 0);
      seen[pos]++;
      values[pos] = sqlite3_column_int(st, 1);
    }
  }
  sqlite3_finalize(st);
  int64_t ranked = seen[1] + seen[2] + seen[3];
  int32_t unranked_best =
      atoi(text_of("SELECT COALESCE(MAX(value), 0) FROM training_hit_power "
                   "WHERE record_position NOT BETWEEN 1 AND 3 OR record_position IS NULL;").c_str());
  if (problem.empty()) {
    if (ranked != (rows < 3 ? rows : 3) || seen[1] > 1 || seen[2] > 1 || seen[3] > 1)
      problem = "positions 1-3 are not each held once";
    else if ((seen[2] && values[2] > values[1]) || (seen[3] && values[3] > values[2]))
      problem = "positions 1-3 are not best first";
    else if (rows > 3 && unranked_best > values[3])
      problem = "an unranked row beats position 3";
  }
  sqlite3_close(db);
  return problem.empty();
}

bool run_chaos(const ChaosConfig& config, ChaosReport& report) {
  report = ChaosReport{};
  report.trace = 14695981039346656037ull;
  if (!config.directory.empty() && chdir(config.directory.c_str()) != 0) {
    report.failure = "cannot enter " + config.directory;
    return false;
  }
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  random_between(0.0f, 1.0f);  // the program's one seeding happens now...
  srand(config.seed);          // ...and the script's seed replaces it

  // The link thread, detached, may still call the port after shutdown: every port stays
  // reachable to the very end (a list never destroyed, so the leak checker at exit sees it).
  static std::vector<ScriptedPort*>* held_ports = new std::vector<ScriptedPort*>;
  held_ports->push_back(new ScriptedPort);
  ScriptedPort& port = *held_ports->back();
  // The thread sanitizer starts a helper thread of its own at the first thread created: let
  // that happen before counting.
  std::thread([] {}).join();
  int32_t threads_before = thread_count();
  Program* program = new Program;
  if (int code = start_up(*program, scripted_layer(port)); code != 0) {
    report.failure = "start-up failed with exit code " + std::to_string(code);
    delete program;
    return false;
  }
  Driver d(config, report, *program, port);
  Clock::time_point start = Clock::now();
  bool ok = link_parked(port, 10.0) || d.fail("the link never opened the scripted hub");
  int64_t warmup = config.frames / 4;
  while (ok) {
    bool done = config.wall_seconds > 0 ? seconds_since(start) >= config.wall_seconds
                                        : d.frame >= config.frames;
    if (done) break;
    ok = d.act() && d.step();
    // Idle stretches run many frames in one action: check once the interval has passed.
    if (ok && d.frame - d.checked_at >= config.check_every && !d.locker) {
      d.checked_at = d.frame;
      ok = d.check_database();
    }
    int64_t rss = rss_kb();
    if (rss > report.rss_peak_kb) report.rss_peak_kb = rss;
    if (report.rss_after_warmup_kb == 0 && d.frame >= warmup && config.wall_seconds <= 0)
      report.rss_after_warmup_kb = rss;
    if (report.rss_after_warmup_kb == 0 && config.wall_seconds > 0 &&
        seconds_since(start) >= config.wall_seconds / 4)
      report.rss_after_warmup_kb = rss;
  }
  if (d.locker) d.unlock_database();
  if (ok && d.unplugged_frames > 0) ok = d.replug();
  if (ok) ok = d.check_database();
  report.rss_final_kb = rss_kb();
  report.simulated_seconds = (double)(d.clock.now - 1000) / 1000.0;
  {
    Hold hold(port.mutex);
    port.stopping = true;
    pthread_cond_broadcast(&port.changed);
  }
  shut_down(*program);

  // The two worker threads end once stopped; nothing else may be left running.
  Clock::time_point stopped = Clock::now();
  while (thread_count() > threads_before && seconds_since(stopped) < 10.0) usleep(10000);
  if (ok && thread_count() > threads_before)
    ok = d.fail("threads left running after shutdown: " + std::to_string(thread_count() - threads_before));
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
  // Memory stays flat once warmed up (the sanitizers keep freed memory aside, so only here).
  // The rows the screens hold grow with the table: allow for them.
  int64_t allowance_kb = 32 * 1024 + report.rows_at_end / 4;
  if (ok && report.rss_after_warmup_kb > 0 && report.rss_final_kb - report.rss_after_warmup_kb > allowance_kb)
    ok = d.fail("memory grew from " + std::to_string(report.rss_after_warmup_kb) + " kB to " +
                std::to_string(report.rss_final_kb) + " kB after warm-up");
#endif
  delete program;  // only now: a failure message names the program's screen
  return ok;
}

std::string chaos_summary(const ChaosConfig& config, const ChaosReport& r) {
  char text[1024];
  snprintf(text, sizeof text,
           "seed %u: %lld frames, %.0f s simulated (%.1f h); %lld clicks, %lld keys; %lld hits sent, "
           "%lld stored, %lld rows at the end, %lld delete-alls; %lld connects, %lld disconnects, "
           "%lld malformed reads, %lld quiet reads, %lld unplugs, %lld database locks; %lld checks; "
           "memory after warm-up %lld kB, peak %lld kB, final %lld kB; trace %016llx",
           config.seed, (long long)r.frames, r.simulated_seconds, r.simulated_seconds / 3600.0,
           (long long)r.clicks, (long long)r.keys, (long long)r.hits_sent, (long long)r.hits_stored,
           (long long)r.rows_at_end, (long long)r.deletes, (long long)r.connects,
           (long long)r.disconnects, (long long)r.malformed, (long long)r.quiet_reads,
           (long long)r.unplugs, (long long)r.db_locks, (long long)r.checks,
           (long long)r.rss_after_warmup_kb, (long long)r.rss_peak_kb, (long long)r.rss_final_kb,
           (unsigned long long)r.trace);
  std::string out = text;
  out += "\nscreen visits (frames):";
  for (int s = SCREEN_INTRO; s <= SCREEN_PROSPECTORS; ++s)
    out += " " + std::to_string(s) + ":" + std::to_string(r.screen_visits[s]) + "(" +
           std::to_string(r.screen_frames[s]) + ")";
  if (!r.failure.empty()) out += "\nFAILED: " + r.failure;
  return out;
}
