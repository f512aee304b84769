// The whole program under a scripted crowd and a flaky hub: a few fixed seeds each pass, and
// a replay that must retrace its seed exactly. `make soak` runs the same driver for longer.
#include <gtest/gtest.h>

#include "tests/support.h"
#include "tools/chaos.h"

namespace {

ChaosReport run_in_scratch(uint32_t seed, int64_t frames) {
  ScratchRunDir scratch;
  ChaosConfig config;
  config.seed = seed;
  config.frames = frames;
  config.directory = scratch.path;
  config.check_every = 150;
  ChaosReport report;
  bool ok = run_chaos(config, report);
  EXPECT_TRUE(ok) << chaos_summary(config, report);
  return report;
}

class ChaosSeed : public ::testing::TestWithParam<uint32_t> {};

TEST_P(ChaosSeed, EveryInvariantHolds) {
  ChaosReport r = run_in_scratch(GetParam(), 1500);
  EXPECT_EQ(r.frames >= 1500, true);
  EXPECT_GT(r.hits_sent, 100);
  EXPECT_GT(r.checks, 5);
}

INSTANTIATE_TEST_SUITE_P(FixedSeeds, ChaosSeed, ::testing::Values(1u, 2u, 3u));

TEST(Chaos, TheSameSeedReplaysTheSameScript) {
  ChaosReport a = run_in_scratch(11, 600);
  ChaosReport b = run_in_scratch(11, 600);
  EXPECT_EQ(a.trace, b.trace);
  EXPECT_EQ(a.frames, b.frames);
  EXPECT_EQ(a.hits_sent, b.hits_sent);
  EXPECT_EQ(a.hits_stored, b.hits_stored);
  ChaosReport c = run_in_scratch(12, 600);
  EXPECT_NE(a.trace, c.trace) << "another seed, another script";
}

}  // namespace
