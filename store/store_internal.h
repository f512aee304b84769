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
// The rows holding positions 1-3, the better row first where a position is held twice.
extern const char STORE_TOP_THREE_SQL[];
// An index of the rows holding positions 1-3 (at most a few), so finding them does not read
// the whole table.
extern const char STORE_RECORDS_INDEX_SQL[];

// Opens the database with the busy time-out every connection gets; null when it cannot.
sqlite3* store_open(const char* path);
// sqlite3_exec, its error message freed; true on success.
bool store_exec(sqlite3* db, const char* sql);
// One ranking statement: the row `id` gets `position` (0-3); id 0 matches no row.
bool store_set_position(sqlite3* db, int64_t id, int position);

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

// Under the lock: appends a request and wakes the thread.
bool queue_locked(RecordStore& store, const StoreRequest& request);
