// A crowd and a flaky hub, scripted from one seed: the real program's loop on a virtual clock
// with SDL's dummy drivers, fed clicks, keys, pad traffic, malformed messages, unplugs and a
// locked database, with the program's invariants checked as it runs. The same seed replays
// the same script.
#pragma once

#include <cstdint>
#include <string>

struct ChaosConfig {
  uint32_t seed = 1;
  int64_t frames = 2000;        // frames to run
  double wall_seconds = 0.0;    // or, when above 0, run until this much real time has passed
  std::string directory;        // where hxm.db lives (must hold font/ and sound/ like the run dir)
  int32_t check_every = 200;    // frames between full database checks
  bool verbose = false;         // one line per action on stderr
};

struct ChaosReport {
  int64_t frames = 0;
  double simulated_seconds = 0.0;
  int64_t clicks = 0, keys = 0, hits_sent = 0, hits_stored = 0;
  int64_t connects = 0, disconnects = 0, malformed = 0, quiet_reads = 0;
  int64_t unplugs = 0, db_locks = 0, deletes = 0, quits_refused = 0, checks = 0;
  int64_t screen_frames[14] = {};  // frames spent on each screen id
  int64_t screen_visits[14] = {};  // times each screen was entered
  int64_t rows_at_end = 0;
  int64_t rss_after_warmup_kb = 0, rss_peak_kb = 0, rss_final_kb = 0;
  uint64_t trace = 0;  // a hash of every action and every frame's screen id: equal for a replay
  std::string failure;  // empty when every invariant held
};

// Runs one script; false with report.failure set (naming the seed and frame) when an
// invariant broke. The process must not have started SDL.
bool run_chaos(const ChaosConfig& config, ChaosReport& report);

// The report as a few lines of text.
std::string chaos_summary(const ChaosConfig& config, const ChaosReport& report);

// The stored hits of the database at path, read-only: integrity_check ok, least_rows to
// most_rows rows, and positions 1-3 each held once, best first, none beaten by an unranked
// row. False with problem set otherwise.
bool check_hit_table(const char* path, int64_t least_rows, int64_t most_rows, int64_t& rows,
                     std::string& problem);
