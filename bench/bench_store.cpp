// The record store with 100 000 stored hits: a read-all, one result stored (insert, ranking
// and the read-all after it), and the thread's CPU use while it idles.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/lock_hold.h"
#include "store/record_store.h"
#include "store/synthetic_hits.h"

namespace {

const int32_t STORED_HITS = 100000;

// One database of 100 000 hits over a year, made once for the whole run.
const std::string& filled_directory() {
  static std::string dir;
  if (dir.empty()) {
    std::string templ = (std::filesystem::temp_directory_path() / "hxm-bench-XXXXXX").string();
    if (mkdtemp(templ.data())) dir = templ;
    fill_synthetic_hits((dir + "/hxm.db").c_str(), STORED_HITS, 365, 42);
  }
  return dir;
}

void serve_all(RecordStore& store) {
  while (store_serve_next(store)) {
  }
}

void BM_ReadAll(benchmark::State& state) {
  RecordStore* store = new_record_store(nullptr, filled_directory().c_str());
  store_begin(*store);
  serve_all(*store);
  StoreRequest read_all;
  read_all.code = STORE_READ_ALL;
  for (auto _ : state) {
    store_queue(*store, read_all);
    serve_all(*store);
  }
  state.counters["rows"] = store->table_rows;
  free_record_store(store);
}
BENCHMARK(BM_ReadAll)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_StoreResult(benchmark::State& state) {
  RecordStore* store = new_record_store(nullptr, filled_directory().c_str());
  store_begin(*store);
  serve_all(*store);
  int32_t value = 0;
  for (auto _ : state) {
    // Strong and ordinary hits alternate, so both the ranking chain and the plain insert run.
    store_queue_result(*store, (value++ % 2) ? 255 : 17, 1.5f, "A4C1380F12AB", local_date_time());
    serve_all(*store);
  }
  state.counters["rows"] = store->table_rows;
  free_record_store(store);
}
BENCHMARK(BM_StoreResult)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

double cpu_ms(clockid_t clock) {
  struct timespec t;
  clock_gettime(clock, &t);
  return (double)t.tv_sec * 1000.0 + (double)t.tv_nsec / 1e6;
}

// The thread after its first read-all, left alone for 10 s.
void BM_IdleThreadCpu(benchmark::State& state) {
  AppState app;
  RecordStore* store = new_record_store(&app, filled_directory().c_str());
  pthread_t thread;
  pthread_create(&thread, nullptr, record_store_thread, store);
  for (;;) {  // until the first read-all is done
    uint32_t done{};
    {
      Hold hold(store->mutex);
      done = store->requests_done;
    }
    if (done > 0) break;
    usleep(10000);
  }
  clockid_t clock;
  pthread_getcpuclockid(thread, &clock);
  double used = 0.0;
  for (auto _ : state) {
    double before = cpu_ms(clock);
    sleep(10);
    used = cpu_ms(clock) - before;
  }
  state.counters["thread_cpu_ms"] = used;
  state.counters["cpu_share_percent"] = used / 10000.0 * 100.0;
  stop_record_store(store);
  pthread_join(thread, nullptr);
}
BENCHMARK(BM_IdleThreadCpu)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  if (!filled_directory().empty()) std::filesystem::remove_all(filled_directory(), ec);
  return 0;
}
