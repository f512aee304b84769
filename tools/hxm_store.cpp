// hxm-store: looks into a record database, exports it, or fills one with synthetic hits.
//
//   hxm-store [-d DIR] show [ROWS]          the rows (the last ROWS of them, all when omitted),
//                                           positions 1-3 and the covered period
//   hxm-store [-d DIR] export [FILE]        every stored hit as CSV, to FILE or standard output
//   hxm-store [-d DIR] fill N DAYS [SEED]   appends N hits spread over the last DAYS days
//
// DIR holds hxm.db (the working directory by default). Reading goes through the store's own
// read path, so what is printed is what the program's screens are given; export reads through
// a read-only connection, so it works while the program runs.
#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "store/record_store.h"
#include "store/synthetic_hits.h"

namespace {

int usage() {
  fprintf(stderr,
          "usage: hxm-store [-d DIR] show [ROWS]\n"
          "       hxm-store [-d DIR] export [FILE]\n"
          "       hxm-store [-d DIR] fill N DAYS [SEED]\n");
  return 2;
}

// Whether the store's database file is there; says so on standard error when it is not.
bool database_exists(const RecordStore* store) {
  struct stat info;
  if (store && stat(store->db_path, &info) == 0) return true;
  fprintf(stderr, "hxm-store: no database at %s\n", store ? store->db_path : "?");
  return false;
}

void print_row(int32_t index, const HitRow& row) {
  printf("%7d  pos %d  value %3d  time %4.0f s  %d-%02d-%02d %02d:%02d:%02d  %s\n", index,
         row.record_position, row.value, row.game_time, row.year, row.month, row.day, row.hour,
         row.minute, row.second, row.mac_address);
}

int show(const char* directory, long shown) {
  RecordStore* store = new_record_store(nullptr, directory);
  if (!database_exists(store)) {
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

// One CSV field (RFC 4180): quoted, with quotes doubled, when it holds a comma, a quote or a
// line break.
void csv_field(FILE* out, const char* text, size_t bytes) {
  bool quoted = false;
  for (size_t i = 0; i < bytes && !quoted; ++i)
    quoted = text[i] == ',' || text[i] == '"' || text[i] == '\r' || text[i] == '\n';
  if (!quoted) {
    fwrite(text, 1, bytes, out);
    return;
  }
  fputc('"', out);
  for (size_t i = 0; i < bytes; ++i) {
    if (text[i] == '"') fputc('"', out);
    fputc(text[i], out);
  }
  fputc('"', out);
}

// The stored game time as briefly as it reads back exactly: the program stores single-precision
// times, so 1.3 is written "1.3", not "1.2999999523162842".
void game_time_text(double stored, char* out, size_t size) {
  float single = (float)stored;
  std::to_chars_result r = (double)single == stored ? std::to_chars(out, out + size - 1, single)
                                                    : std::to_chars(out, out + size - 1, stored);
  *r.ptr = '\0';
}

struct CsvExport {
  FILE* out;
  bool header_written;
};

void write_header(CsvExport& csv) {
  if (csv.header_written) return;
  fputs("id,record_position,value,game_time,date_time,mac_address\r\n", csv.out);
  csv.header_written = true;
}

void write_hit(const StoredHit& hit, void* ctx) {
  CsvExport& csv = *(CsvExport*)ctx;
  write_header(csv);
  const HitRow& r = hit.row;
  char game_time[64];
  game_time_text(hit.game_time, game_time, sizeof game_time);
  fprintf(csv.out, "%lld,%d,%d,%s,%04d-%02d-%02d %02d:%02d:%02d,", (long long)hit.id,
          r.record_position, r.value, game_time, r.year, r.month, r.day, r.hour, r.minute,
          r.second);
  csv_field(csv.out, hit.mac, (size_t)hit.mac_bytes);
  fputs("\r\n", csv.out);
}

int export_csv(const char* directory, const char* file) {
  RecordStore* store = new_record_store(nullptr, directory);  // only for its path
  if (!database_exists(store)) {
    free_record_store(store);
    return 1;
  }
  CsvExport csv{file ? fopen(file, "wb") : stdout, false};
  if (!csv.out) {
    fprintf(stderr, "hxm-store: cannot write %s: %s\n", file, strerror(errno));
    free_record_store(store);
    return 1;
  }
  // The header waits for the first row, so a file that is no record database writes nothing.
  char error[256] = {};
  bool read = store_read_rows(store->db_path, write_hit, &csv, error, (int)sizeof error);
  if (read) write_header(csv);
  else fprintf(stderr, "hxm-store: cannot read %s: %s\n", store->db_path, error);
  bool written = fflush(csv.out) == 0 && !ferror(csv.out);
  if (file) written = fclose(csv.out) == 0 && written;
  if (read && !written)
    fprintf(stderr, "hxm-store: cannot write %s: %s\n", file ? file : "standard output", strerror(errno));
  if (file && !(read && written)) remove(file);
  free_record_store(store);
  return read && written ? 0 : 1;
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
  if (strcmp(command, "export") == 0 && left <= 1) return export_csv(directory, left == 1 ? argv[arg] : nullptr);
  if (strcmp(command, "fill") == 0 && (left == 2 || left == 3))
    return fill(directory, strtol(argv[arg], nullptr, 10), strtol(argv[arg + 1], nullptr, 10),
                left == 3 ? strtoul(argv[arg + 2], nullptr, 10) : 1);
  return usage();
}
