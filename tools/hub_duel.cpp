#include "tools/hub_duel.h"

#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <vector>

#include "core/lock_hold.h"
#include "link/sensor_link.h"
#include "tools/virtual_hub.h"

namespace {

constexpr int32_t PADS = 2;
constexpr double MEAN_GAP_MS = 333.0;  // about three hits a second
constexpr double LEAST_GAP_MS = 150.0;  // no pad strikes faster
constexpr double BACK_TO_BACK = 0.15;   // share of strikes answered at once by the other pad
constexpr double CHUNKED = 0.3;         // share of messages sent in pieces
constexpr uint32_t FRAME_US = 16000;
constexpr int32_t WARM_UP_HITS = AGREEING_READS;  // single hits, so the link learns their length

struct Strike {
  double at_ms;
  int32_t pad;
  uint8_t power;
};

// Both pads' strikes in time order; powers count 1-255 per pad, so the consumer knows which
// hit must come next.
std::vector<Strike> schedule(int32_t hits, std::mt19937& random) {
  std::exponential_distribution<double> gap(1.0 / (MEAN_GAP_MS - LEAST_GAP_MS));
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<Strike> strikes;
  double next[PADS] = {}, last[PADS] = {-LEAST_GAP_MS, -LEAST_GAP_MS};
  int32_t count[PADS] = {};
  auto strike = [&](int32_t pad, double at) {
    strikes.push_back({at, pad, (uint8_t)(1 + count[pad]++ % 255)});
    last[pad] = at;
    next[pad] = at + LEAST_GAP_MS + gap(random);
  };
  for (int32_t i = 0; i < WARM_UP_HITS; ++i) strike(i % PADS, i * LEAST_GAP_MS);
  while ((int32_t)strikes.size() < hits) {
    int32_t pad = next[0] <= next[1] ? 0 : 1, other = 1 - pad;
    double at = next[pad];
    strike(pad, at);
    // Now and then the other player strikes at the same moment.
    if (unit(random) < BACK_TO_BACK && at - last[other] >= LEAST_GAP_MS && next[other] > at)
      next[other] = at;
  }
  return strikes;
}

struct Consumer {
  SensorLink* link = nullptr;
  std::atomic<bool> done{false};
  uint8_t expected[PADS] = {1, 1};
  int32_t taken = 0;
  int32_t out_of_order = 0;
  int32_t late_rounds = 0;
};

void* consume(void* arg) {
  Consumer& c = *(Consumer*)arg;
  char suffix[5];
  double previous = port_clock_ms();
  for (;;) {
    bool last_round = c.done.load();
    double now = port_clock_ms();
    if (now - previous > STALE_HIT_MS) c.late_rounds++;
    previous = now;
    {
      for (int32_t pad = 0; pad < PADS; ++pad) {
        int32_t power = take_hit(c.link, pad + 1, suffix, nullptr);
        if (power == 0) continue;
        c.taken++;
        if (power != c.expected[pad]) c.out_of_order++;
        c.expected[pad] = (uint8_t)(power % 255 + 1);
      }
    }
    if (last_round) return nullptr;
    usleep(FRAME_US);
  }
}

void* run_link(void* link) {
  sensor_link_run(*(SensorLink*)link);
  return nullptr;
}

void send(VirtualHub& hub, const uint8_t* bytes, int32_t count, bool chunked, uint32_t seed,
          const DuelConfig& config, DuelResult& result) {
  if (chunked) {
    result.chunked++;
    hub_send_in_chunks(hub, bytes, count, seed, config.max_chunk_pause_us);
  } else {
    hub_send(hub, bytes, count);
  }
}

}  // namespace

bool run_duel(const DuelConfig& config, DuelResult& result) {
  result = DuelResult{};
  VirtualHub hub;
  if (!hub_plug(hub)) return false;
  AppState app;
  SensorLink link;
  link.app = &app;
  link.port = virtual_hub_port(hub);
  pthread_t reader;
  if (pthread_create(&reader, nullptr, run_link, &link) != 0) return false;
  while (hub_opens(hub) == 0) usleep(1000);
  hub_connect(hub, 0, "A1B2C3D4E5F6");
  usleep(4 * MESSAGE_GAP_MS * 1000);
  hub_connect(hub, 1, "F6E5D4C3B2A1");
  usleep(4 * MESSAGE_GAP_MS * 1000);

  std::mt19937 random(config.seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<Strike> strikes = schedule(config.hits, random);
  Consumer consumer;
  consumer.link = &link;
  pthread_t taker;
  pthread_create(&taker, nullptr, consume, &consumer);

  uint64_t start = monotonic_ms();
  for (size_t i = 0; i < strikes.size();) {
    double due = (double)start + strikes[i].at_ms;
    while ((double)monotonic_ms() < due) usleep(200);
    // Strikes due at the same moment leave in one write, back to back.
    uint8_t bytes[PADS * HIT_MESSAGE_LENGTH];
    int32_t count = 0;
    size_t first = i;
    for (; i < strikes.size() && strikes[i].at_ms <= strikes[first].at_ms; ++i) {
      uint8_t m[HIT_MESSAGE_LENGTH];
      hit_message(strikes[i].pad, strikes[i].power, 80, m);
      std::copy(m, m + HIT_MESSAGE_LENGTH, bytes + count);
      count += HIT_MESSAGE_LENGTH;
    }
    if (i - first > 1) result.back_to_back++;
    if (i < strikes.size() && strikes[i].at_ms - strikes[i - 1].at_ms < MESSAGE_GAP_MS)
      result.close_pairs++;
    send(hub, bytes, count, unit(random) < CHUNKED, (uint32_t)random(), config, result);
    result.sent += (int32_t)(i - first);
  }
  usleep(100 * 1000);  // the last read ends and the consumer takes it
  consumer.done = true;
  pthread_join(taker, nullptr);
  result.seconds = (double)(monotonic_ms() - start) / 1000.0;
  result.taken = consumer.taken;
  result.out_of_order = consumer.out_of_order;
  result.late_rounds = consumer.late_rounds;
  {
    Hold hold(link.mutex);
    result.unsplit_reads = link.unsplit_reads;
    app.link_running = 0;
  }
  {
    Hold hold(hub.mutex);
    result.broken_messages = hub.broken_messages;
  }
  pthread_join(reader, nullptr);
  hub_unplug(hub);
  return true;
}
