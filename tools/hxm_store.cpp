// hxm-store: looks into a record database, or fills one with synthetic hits.
//
//   hxm-store [-d DIR] show [ROWS]          the rows (the last ROWS of them, all when omitted),
//                                           positions 1-3 and the covered period
//   hxm-store [-d DIR] fill N DAYS [SEED]   appends N hits spread over the last DAYS days
//
// DIR holds hxm.db (the working directory by default). Reading goes through the store's own
// read-all, so what is printed is what the program's screens are given.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "store/record_store.h"
#include "store/synthetic_hits.h"

namespace {

int usage() {
  fprintf(stderr,
          "usage: hxm-store [-d DIR] show [ROWS]\n"
          "       hxm-store [-d DIR] fill N DAYS [SEED]\n");
  return 2;
}

void print_row(int32_t index, const HitRow& row) {
  printf("%7d  pos %d  value %3d  time %4.0f s  %d-%02d-%02d %02d:%02d:%02d  %s\n", index,
         row.record_position, row.value, row.game_time, row.year, row.month, row.day, row.hour,
         row.minute, row.second, row.mac_address);
}

int show(const char* directory, long shown) {
  RecordStore* store = new_record_store(nullptr, directory);
  struct stat info;
  if (!store || stat(store->db_path, &info) != 0) {
    fprintf(stderr, "hxm-store: no database at %s\n", store ? store->db_path : "?");
    free_record_store(store);
    return 1;
  }
  store_begin(*store);
  while (store_serve_next(*store)) {
  }
  StoreView view;
  store_read_view(*store, view);
  std::vector<HitRow> rows;
  uint32_t version = 0;
  store_copy_rows(*store, rows, version);
  free_record_store(store);

  int32_t from = shown < 0 || shown >= (long)rows.size() ? 0 : (int32_t)(rows.size() - shown);
  for (int32_t i = from; i < (int32_t)rows.size(); ++i) print_row(i, rows[(size_t)i]);
  printf("rows: %d\n", view.table_rows);
  for (int k = 0; k < 3; ++k) {
    const BestEntry& e = view.best[k];
    if (e.id == 0)
      printf("position %d: ---\n", k + 1);
    else
      printf("position %d: %d (id %d, %s, %s)\n", k + 1, e.value, e.id, e.when, e.mac4);
  }
  char first[32], last[32];
  format_date_time(first, sizeof first, view.data_first);
  format_date_time(last, sizeof last, view.data_last);
  printf("period: %s .. %s\n", first, last);
  return 0;
}

int fill(const char* directory, long count, long days, unsigned long seed) {
  if (count < 0 || days < 0 || count > 10000000 || days > 100000) return usage();
  RecordStore* store = new_record_store(nullptr, directory);  // only for its path
  if (!store) return 1;
  bool ok = fill_synthetic_hits(store->db_path, (int32_t)count, (int32_t)days, (uint32_t)seed);
  if (!ok) fprintf(stderr, "hxm-store: cannot write %s\n", store->db_path);
  else printf("added %ld hits over %ld days to %s\n", count, days, store->db_path);
  free_record_store(store);
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const char* directory = nullptr;
  int arg = 1;
  if (arg + 1 < argc && strcmp(argv[arg], "-d") == 0) {
    directory = argv[arg + 1];
    arg += 2;
  }
  if (arg >= argc) return usage();
  const char* command = argv[arg++];
  int left = argc - arg;
  if (strcmp(command, "show") == 0 && left <= 1)
    return show(directory, left == 1 ? strtol(argv[arg], nullptr, 10) : -1);
  if (strcmp(command, "fill") == 0 && (left == 2 || left == 3))
    return fill(directory, strtol(argv[arg], nullptr, 10), strtol(argv[arg + 1], nullptr, 10),
                left == 3 ? strtoul(argv[arg + 2], nullptr, 10) : 1);
  return usage();
}
