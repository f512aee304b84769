// Pieces of the record store shared by its own files (and the synthetic-hit filler).
#pragma once

#include <sqlite3.h>

#include <cstdlib>
#include <cstring>

#include "store/record_store.h"

// The database's statements, as the program has always written them.
extern const char STORE_SCHEMA_SQL[];
extern const char STORE_READ_ALL_SQL[];
extern const char STORE_INSERT_SQL[];
extern const char* const STORE_RANK_SQL[4];  // indexed by the target position 0-3
extern const char STORE_DELETE_ALL_SQL[];
// The three best rows: the highest values, the newer row first on a tie. A foreign file's
// text, fractions or values past int32 never rank: no run stores them.
extern const char STORE_TOP_THREE_SQL[];
// Every ranked row but the three given ids back to 0.
extern const char STORE_UNRANK_SQL[];
// Indexes of the values and of the ranked rows, so ranking never reads the whole table.
extern const char STORE_INDEX_SQL[];
// Results the read-all loads at most, far above a gym's lifetime of hits: a crafted table
// without end must not eat the memory.
const int32_t STORE_ROW_LIMIT = 1000000;

// Opens the database for writing as the program does: made private (0600) when it is new, in
// write-ahead-log mode so readers never hold up a write, with every commit synced to the disk
// (a committed hit survives a power cut), the tables made when they are missing, and the busy
// time-out every connection gets. Null when it cannot be opened.
sqlite3* store_open(const char* path);
// Opens the database for reading only, never changing it; null with the reason in `error`
// when it is missing, no regular file (a FIFO would block the open) or cannot be opened.
sqlite3* store_open_reader(const char* path, char* error, int error_size);
// sqlite3_exec, its error message freed; true on success.
bool store_exec(sqlite3* db, const char* sql);
// One ranking statement: the row `id` gets `position` (0-3); id 0 matches no row.
bool store_set_position(sqlite3* db, int64_t id, int position);
// Positions 1-3 given to the three best rows and taken from every other, whatever state the
// file was left in; inside the caller's transaction. False at the first failure.
bool store_rank_top_three(sqlite3* db);

// Growable arrays: one more element at the end (capacity doubles underneath, so a read-all of
// 100 000 rows does not reallocate per row); null when memory ran out.
template <typename T>
T* array_append(T*& items, int32_t& count, int32_t& capacity) {
  if (count == capacity) {
    int32_t grown = capacity > 0 ? capacity * 2 : 16;
    void* more = realloc((void*)items, sizeof(T) * (size_t)grown);
    if (!more) return nullptr;
    items = (T*)more;
    capacity = grown;
  }
  items[count] = T{};
  return &items[count++];
}

// Drops the first element, moving the others up.
template <typename T>
void array_remove_head(T* items, int32_t& count) {
  if (count <= 0) return;
  memmove((void*)items, (const void*)(items + 1), sizeof(T) * (size_t)(count - 1));
  --count;
}

// Under the lock: appends a request and wakes the thread; false when the queue is full.
bool queue_locked(RecordStore& store, const StoreRequest& request);
// Under the lock: a hit enters the run's best three.
void rank_run_best_locked(RecordStore& store, const RunBest& hit);
// One line on standard error about a result: "hxm: the hit of V at WHEN from pad MAC <what>",
// then ": <why>" when given.
void report_hit(const StoreRequest& request, const char* what, const char* why);
// Requests queued at most: results wait there while the file cannot be written, hours of
// hits in a busy gym.
const int32_t STORE_QUEUE_LIMIT = 100000;
