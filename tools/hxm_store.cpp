// hxm-store: looks into a record database, exports it, or fills one with synthetic hits.
//
//   hxm-store [-d DIR] show [ROWS]          the rows (the last ROWS of them, all when omitted),
//                                           positions 1-3 and the covered period
//   hxm-store [-d DIR] export [FILE]        every stored hit as CSV, to FILE or standard output
//   hxm-store [-d DIR] fill N DAYS [SEED]   appends N hits spread over the last DAYS days
//
// DIR holds hxm.db (the working directory by default). Reading goes through the store's own
// read path, so what is printed is what the program's screens are given. show and export only
// ever read the file, through a read-only connection that holds up no write of the running
// program; export takes one snapshot, closes the file, and only then writes. A damaged file
// is exit status 1.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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

// The database's path for DIR, as the store makes it.
std::string db_path_of(const char* directory) {
  RecordStore* store = new_record_store(nullptr, directory);
  std::string path = store ? store->db_path : "hxm.db";
  free_record_store(store);
  return path;
}

// Whether the database file is there; says so on standard error when it is not.
bool database_exists(const std::string& db_path) {
  struct stat info;
  if (stat(db_path.c_str(), &info) == 0) return true;
  fprintf(stderr, "hxm-store: no database at %s\n", db_path.c_str());
  return false;
}

void print_row(int32_t index, const HitRow& row) {
  printf("%7d  pos %d  value %3d  time %4.0f s  %d-%02d-%02d %02d:%02d:%02d  %s\n", index,
         row.record_position, row.value, row.game_time, row.year, row.month, row.day, row.hour,
         row.minute, row.second, row.mac_address);
}

int show(const char* directory, long shown) {
  if (!database_exists(db_path_of(directory))) return 1;
  RecordStore* store = new_record_store(nullptr, directory);
  if (!store) return 1;
  bool whole = store_load(*store);
  std::string error = store->read_error;
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
  if (!whole) fprintf(stderr, "hxm-store: cannot read %s: %s\n", db_path_of(directory).c_str(), error.c_str());
  return whole ? 0 : 1;
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

// One stored hit as the snapshot keeps it until it is written.
struct SnapshotHit {
  int64_t id;
  HitRow row;
  double game_time;
  std::string mac;
};

void keep_hit(const StoredHit& hit, void* ctx) {
  auto& hits = *(std::vector<SnapshotHit>*)ctx;
  hits.push_back(SnapshotHit{hit.id, hit.row, hit.game_time, std::string(hit.mac, (size_t)hit.mac_bytes)});
}

void write_csv(FILE* out, const std::vector<SnapshotHit>& hits) {
  fputs("id,record_position,value,game_time,date_time,mac_address\r\n", out);
  for (const SnapshotHit& hit : hits) {
    const HitRow& r = hit.row;
    char game_time[64];
    game_time_text(hit.game_time, game_time, sizeof game_time);
    fprintf(out, "%lld,%d,%d,%s,%04d-%02d-%02d %02d:%02d:%02d,", (long long)hit.id,
            r.record_position, r.value, game_time, r.year, r.month, r.day, r.hour, r.minute,
            r.second);
    csv_field(out, hit.mac.data(), hit.mac.size());
    fputs("\r\n", out);
  }
}

bool same_file(const struct stat& a, const char* path) {
  struct stat b;
  return stat(path, &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Why FILE cannot take an export, or null: an existing FILE must be a regular file other than
// the database and its logs (which the export would destroy); a device or a FIFO is refused.
const char* refused_target(const char* file, const std::string& db_path) {
  struct stat target;
  if (stat(file, &target) != 0) return nullptr;  // a new file
  if (S_ISDIR(target.st_mode)) return "it is a directory";
  if (!S_ISREG(target.st_mode)) return "it is not a regular file";
  for (const char* log : {"", "-wal", "-shm", "-journal"})
    if (same_file(target, (db_path + log).c_str())) return "it is the record database";
  return nullptr;
}

// The CSV into a new file beside FILE, renamed over it only once complete and on the disk;
// false with errno set, leaving whatever FILE was.
bool write_file(const char* file, const std::vector<SnapshotHit>& hits) {
  std::string temp = std::string(file) + ".XXXXXX";
  int fd = mkstemp(&temp[0]);
  if (fd < 0) return false;
  FILE* out = fdopen(fd, "wb");
  if (!out) {
    close(fd);
    unlink(temp.c_str());
    return false;
  }
  write_csv(out, hits);
  bool ok = fflush(out) == 0 && !ferror(out) && fsync(fd) == 0;
  int saved = errno;
  ok = fclose(out) == 0 && ok;
  ok = ok && rename(temp.c_str(), file) == 0;
  if (!ok) {
    saved = errno != 0 ? errno : saved;
    unlink(temp.c_str());
    errno = saved;
  }
  return ok;
}

int export_csv(const char* directory, const char* file) {
  std::string db_path = db_path_of(directory);
  if (!database_exists(db_path)) return 1;
  const char* refused = file ? refused_target(file, db_path) : nullptr;
  if (refused) {
    fprintf(stderr, "hxm-store: will not export to %s: %s\n", file, refused);
    return 1;
  }
  std::vector<SnapshotHit> hits;
  char error[256] = {};
  if (!store_read_rows(db_path.c_str(), keep_hit, &hits, error, (int)sizeof error)) {
    fprintf(stderr, "hxm-store: cannot read %s: %s\n", db_path.c_str(), error);
    return 1;
  }
  errno = 0;
  bool written = false;
  if (file) {
    written = write_file(file, hits);
  } else {
    write_csv(stdout, hits);
    written = fflush(stdout) == 0 && !ferror(stdout);
  }
  if (!written)
    fprintf(stderr, "hxm-store: cannot write %s: %s\n", file ? file : "standard output",
            strerror(errno));
  return written ? 0 : 1;
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
