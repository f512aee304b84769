// Two players striking together, through the real sensor link on pseudo-terminals: several
// duels at once (each two pads at about three hits a second, gaps from 0 ms, some hits back to
// back in one write, some messages in pieces with pauses of up to 3 ms), every hit counted.
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "tools/hub_duel.h"

int main(int argc, char** argv) {
  const int32_t duels = 6;
  const int32_t hits = argc > 1 ? atoi(argv[1]) : 5004;  // in all
  std::vector<DuelResult> results((size_t)duels);
  std::vector<std::thread> threads;
  for (int32_t i = 0; i < duels; ++i)
    threads.emplace_back([i, hits, &results] {
      DuelConfig config;
      config.hits = hits / duels;
      config.seed = 1000u + (uint32_t)i;
      config.max_chunk_pause_us = 3000;
      if (!run_duel(config, results[(size_t)i])) fprintf(stderr, "duel: duel %d did not start\n", i);
    });
  for (std::thread& t : threads) t.join();
  DuelResult all;
  for (const DuelResult& r : results) {
    all.sent += r.sent;
    all.taken += r.taken;
    all.out_of_order += r.out_of_order;
    all.back_to_back += r.back_to_back;
    all.chunked += r.chunked;
    all.close_pairs += r.close_pairs;
    all.unsplit_reads += r.unsplit_reads;
    all.broken_messages += r.broken_messages;
    all.late_rounds += r.late_rounds;
    all.seconds = r.seconds > all.seconds ? r.seconds : all.seconds;
  }
  printf("duel: %d duels, %.0f s: %d hits sent, %d taken, %d lost (%.2f %%), %d out of order\n",
         duels, all.seconds, all.sent, all.taken, all.sent - all.taken,
         100.0 * (all.sent - all.taken) / (all.sent ? all.sent : 1), all.out_of_order);
  printf("  %d writes held both pads' hits, %d more hits came within 5 ms of the other pad's, "
         "%d messages sent in pieces; %lld reads could not be cut\n",
         all.back_to_back, all.close_pairs, all.chunked, (long long)all.unsplit_reads);
  printf("  this machine's own delays: %d messages held apart in pieces for 5 ms or more, %d "
         "consumer rounds more than 250 ms late\n",
         all.broken_messages, all.late_rounds);
  return all.sent == all.taken && all.out_of_order == 0 ? 0 : 1;
}
