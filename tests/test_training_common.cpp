// The pieces the trainings share: the active-pad rule, hit intake and the pad button's cycle.
// Rules on state only: no renderer.
#include <gtest/gtest.h>

#include <cstring>

#include "link/sensor_link.h"
#include "screens/training_common.h"

namespace {

void set_connected(SensorLink& link, const char* flags) {
  for (int k = 0; k < 4; ++k) link.pads[k].connected = flags[k] == '1';
}

TEST(ActivePad, LowestConnectedIsChosenAndALostPadCostsOneFrame) {
  // Each row is one frame: the connected flags, then the expected pad and whether a hit may
  // be read that frame.
  const struct {
    const char* flags;
    int32_t selected;
    bool readable;
  } frames[] = {
      {"0000", 0, false}, {"0110", 2, true}, {"0110", 2, true}, {"0010", 0, false},
      {"0010", 3, true},  {"1010", 3, true}, {"0000", 0, false}, {"1001", 1, true},
  };
  SensorLink link;
  ActivePad pad;
  for (const auto& f : frames) {
    SCOPED_TRACE(f.flags);
    set_connected(link, f.flags);
    EXPECT_EQ(active_pad_update(&link, pad), f.readable);
    EXPECT_EQ(pad.selected_pad, f.selected);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(pad.pad_connected[k], f.flags[k] == '1');
  }
  ActivePad none;
  none.selected_pad = 2;
  EXPECT_FALSE(active_pad_update(nullptr, none)) << "no link reads as no pad";
  EXPECT_EQ(none.selected_pad, 0);
}

TEST(ActivePad, ThePadButtonCyclesThroughConnectedPads) {
  const struct {
    const char* flags;
    int32_t from, to;
  } cases[] = {
      {"0110", 2, 3}, {"0110", 3, 2}, {"1111", 4, 1}, {"1001", 1, 4}, {"1001", 4, 1},
      {"0100", 2, 2}, {"1111", 0, 0},  // no active pad: the button does nothing
  };
  for (const auto& c : cases) {
    ActivePad pad;
    for (int k = 0; k < 4; ++k) pad.pad_connected[k] = c.flags[k] == '1';
    pad.selected_pad = c.from;
    next_active_pad(pad);
    EXPECT_EQ(pad.selected_pad, c.to) << c.flags << " from " << c.from;
  }
}

TEST(ActivePad, IntakeConsumesOnlyTheActivePadsHitAndReadsItsMac) {
  SensorLink link;
  const char* mac = "A1B2C3D4E5F6";
  for (int k = 0; k < 4; ++k) {
    link.pads[k].connected = 1;
    for (int i = 0; i < 12; ++i) link.pads[k].mac[i] = mac[i];
    link.pads[k].hit[0] = 1;
    link.pads[k].hit[3] = (uint8_t)(100 + k);
    link.pads[k].hit_ms = port_clock_ms();
  }
  link.pads[2].mac[11] = 'Z';
  ActivePad pad;
  pad.selected_pad = 3;
  EXPECT_EQ(take_active_hit(&link, pad, false), 102);
  EXPECT_STREQ(pad.pad_suffix, "E5FZ");
  EXPECT_STREQ(pad.pad_mac, "") << "the MAC is copied only when asked for";
  for (uint8_t b : link.pads[2].hit) EXPECT_EQ(b, 0);
  EXPECT_EQ(link.pads[1].hit[3], 101) << "other pads keep their hits";
  EXPECT_EQ(take_active_hit(&link, pad, true), 0) << "a consumed hit is gone";
  EXPECT_STREQ(pad.pad_mac, "A1B2C3D4E5FZ");

  clear_all_hits(&link);
  for (const PadSlot& slot : link.pads)
    for (uint8_t b : slot.hit) EXPECT_EQ(b, 0);
  EXPECT_EQ(take_active_hit(nullptr, pad, true), 0);
}

}  // namespace
