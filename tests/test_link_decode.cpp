// Decoding the hub's reads into pad slots, and recognising the adapter by its name.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "tests/link_support.h"

namespace {

void number_slots(SensorLink& link) {
  for (int32_t i = 0; i < PAD_COUNT; ++i) link.pads[i].index = (uint8_t)i;
}

void decode(SensorLink& link, const std::vector<uint8_t>& bytes) {
  decode_read(link, bytes.data(), (int32_t)bytes.size());
}

bool same_slot(const PadSlot& a, const PadSlot& b) {
  return memcmp(a.mac, b.mac, sizeof a.mac) == 0 && a.connected == b.connected &&
         a.index == b.index && memcmp(a.hit, b.hit, sizeof a.hit) == 0 && a.level == b.level;
}

bool same_slots(const SensorLink& a, const SensorLink& b) {
  for (int32_t i = 0; i < PAD_COUNT; ++i)
    if (!same_slot(a.pads[i], b.pads[i])) return false;
  return true;
}

}  // namespace

TEST(Decode, ConnectFillsTheMacAndClearsHitAndCharge) {
  SensorLink link;
  number_slots(link);
  decode(link, {1, 9, 8, 7, 180, 66});  // pad 1 already has a hit and a charge
  decode(link, connect_read(1, "A1B2C3D4E5F6"));
  const PadSlot& slot = link.pads[1];
  EXPECT_EQ(slot.connected, 1);
  EXPECT_EQ(mac_text(slot), "A1B2C3D4E5F6");
  EXPECT_EQ(slot.hit[0] | slot.hit[1] | slot.hit[2] | slot.hit[3], 0);
  EXPECT_EQ(slot.level, 0);
  EXPECT_EQ(slot.index, 1);
  for (int32_t i : {0, 2, 3}) EXPECT_EQ(link.pads[i].connected, 0) << "pad " << i;

  // MAC bytes above 127 are widened without a sign.
  decode(link, connect_read(3, "\xC1" "BCDEFGHIJK\xFF"));
  EXPECT_EQ(link.pads[3].mac[0], 0xC1);
  EXPECT_EQ(link.pads[3].mac[11], 0xFF);
}

TEST(Decode, HitForAnUnannouncedPadConnectsItWithoutAMac) {
  SensorLink link;
  number_slots(link);
  decode(link, {2, 11, 12, 13, 201, 77, 0xAA, 0xBB});  // bytes past the sixth are not read
  const PadSlot& slot = link.pads[2];
  EXPECT_EQ(slot.connected, 1);
  EXPECT_EQ(slot.hit[0], 11);
  EXPECT_EQ(slot.hit[1], 12);
  EXPECT_EQ(slot.hit[2], 13);
  EXPECT_EQ(slot.hit[3], 201);
  EXPECT_EQ(slot.level, 77);
  EXPECT_EQ(mac_text(slot), "------------");
}

TEST(Decode, DisconnectEmptiesOnlyItsSlot) {
  SensorLink link;
  number_slots(link);
  decode(link, connect_read(0, "AAAAAAAAAAAA"));
  decode(link, connect_read(2, "BBBBBBBBBBBB"));
  decode(link, {2, 1, 2, 3, 90, 40});
  decode(link, disconnect_read(2));
  EXPECT_EQ(link.pads[2].connected, 0);
  EXPECT_EQ(mac_text(link.pads[2]), "------------");
  EXPECT_EQ(link.pads[2].hit[3], 0);
  EXPECT_EQ(link.pads[2].level, 0);
  EXPECT_EQ(link.pads[2].index, 2);
  EXPECT_EQ(mac_text(link.pads[0]), "AAAAAAAAAAAA");
  EXPECT_EQ(link.pads[0].connected, 1);
}

TEST(Decode, ReadsThatChangeNothing) {
  SensorLink link;
  number_slots(link);
  decode(link, connect_read(1, "A1B2C3D4E5F6"));
  decode(link, {3, 1, 2, 3, 150, 50});
  SensorLink before;
  memcpy(before.pads, link.pads, sizeof link.pads);

  std::vector<uint8_t> control_x = connect_read(1, "ZZZZZZZZZZZZ");
  control_x[7] = 'x';  // a hit message for pad 255
  std::vector<uint8_t> connect_4 = connect_read(4, "ZZZZZZZZZZZZ");
  std::vector<uint8_t> connect_9 = connect_read(9, "ZZZZZZZZZZZZ");
  std::vector<uint8_t> connect_slash = connect_read(-1, "ZZZZZZZZZZZZ");  // digit '/'
  std::vector<uint8_t> disconnect_9 = disconnect_read(9);
  std::vector<uint8_t> hit_4 = {4, 1, 2, 3, 99, 50};
  std::vector<uint8_t> hit_255 = {255, 1, 2, 3, 99, 50};
  for (const auto* read : {&control_x, &connect_4, &connect_9, &connect_slash, &disconnect_9,
                           &hit_4, &hit_255}) {
    decode(link, *read);
    EXPECT_TRUE(same_slots(link, before)) << "first byte " << (int)(*read)[0] << " byte 7 "
                                          << (int)(*read)[7];
  }
}

// Only bytes actually read count: the tail of an earlier, longer read must not complete
// a short one.
TEST(Decode, ShortReadsAreIgnoredEvenOverStaleBytes) {
  SensorLink link;
  number_slots(link);
  SensorLink before;
  memcpy(before.pads, link.pads, sizeof link.pads);
  uint8_t rx[256];
  std::vector<uint8_t> connect = connect_read(1, "A1B2C3D4E5F6");
  memcpy(rx, connect.data(), connect.size());
  for (int32_t count = 0; count < 31; ++count) {
    decode_read(link, rx, count);
    ASSERT_TRUE(same_slots(link, before)) << "a connect read of " << count << " bytes";
  }
  std::vector<uint8_t> disconnect = disconnect_read(1);
  decode(link, connect);
  memcpy(before.pads, link.pads, sizeof link.pads);
  memcpy(rx, disconnect.data(), disconnect.size());
  for (int32_t count = 0; count < 19; ++count) {
    decode_read(link, rx, count);
    ASSERT_TRUE(same_slots(link, before)) << "a disconnect read of " << count << " bytes";
  }
  uint8_t hit[6] = {2, 1, 2, 3, 120, 60};
  memcpy(rx, hit, sizeof hit);
  for (int32_t count = 0; count < 6; ++count) {
    decode_read(link, rx, count);
    ASSERT_TRUE(same_slots(link, before)) << "a hit read of " << count << " bytes";
  }
  decode_read(link, rx, 6);
  EXPECT_EQ(link.pads[2].hit[3], 120);
}

// Millions of random reads, shaped to reach every branch: no crash, nothing written outside
// the slots, every slot stays a valid slot.
TEST(Decode, SurvivesRandomReads) {
  struct Guarded {
    uint8_t before[64];
    SensorLink link;
    uint8_t after[64];
  };
  Guarded* g = new Guarded;
  memset(g->before, 0x5A, sizeof g->before);
  memset(g->after, 0xA5, sizeof g->after);
  number_slots(g->link);
  AppState app;
  g->link.app = &app;
  g->link.port_number = 7;
  strcpy(g->link.port_name, "COM7");
  strcpy(g->link.device_path, "\\\\.\\COM7");

  std::mt19937 random(20240611u);
  uint8_t bytes[256];
  int32_t connected_seen = 0;
  for (int32_t n = 0; n < 1000000; ++n) {
    int32_t count = (int32_t)(random() % 256);
    for (int32_t i = 0; i < count; ++i) bytes[i] = (uint8_t)random();
    uint32_t shape = random() % 8;
    if (count > 0 && shape < 3) bytes[0] = 0xFF;
    if (count > 0 && shape >= 3 && shape < 6) bytes[0] = (uint8_t)(random() % 6);
    if (count > 7 && shape < 2) bytes[7] = shape == 0 ? 'c' : 'd';
    if (count > 18 && shape < 2) bytes[17] = bytes[18] = (uint8_t)('0' + random() % 6);
    decode_read(g->link, bytes, count);

    for (int32_t i = 0; i < PAD_COUNT; ++i) {
      const PadSlot& s = g->link.pads[i];
      ASSERT_EQ(s.index, i);
      ASSERT_TRUE(s.connected == 0 || s.connected == 1);
      for (int32_t c : s.mac) ASSERT_TRUE(c >= 0 && c <= 255);
      if (s.connected == 0) {  // a slot that is not connected is empty
        for (int32_t c : s.mac) ASSERT_EQ(c, '-');
        ASSERT_EQ(s.hit[0] | s.hit[1] | s.hit[2] | s.hit[3] | s.level, 0);
      }
      connected_seen += s.connected;
    }
  }
  EXPECT_GT(connected_seen, 0);
  for (uint8_t b : g->before) ASSERT_EQ(b, 0x5A);
  for (uint8_t b : g->after) ASSERT_EQ(b, 0xA5);
  EXPECT_EQ(g->link.app, &app);
  EXPECT_EQ(g->link.port_number, 7);
  EXPECT_STREQ(g->link.port_name, "COM7");
  EXPECT_STREQ(g->link.device_path, "\\\\.\\COM7");
  delete g;
}

TEST(AdapterName, TheWholePortNumberInsideTheParentheses) {
  EXPECT_EQ(adapter_number_in_name("USB-SERIAL CH340 (COM5)"), 5);
  EXPECT_EQ(adapter_number_in_name("USB-SERIAL CH340 (COM12)"), 12);
  EXPECT_EQ(adapter_number_in_name("Hub USB-SERIAL CH340 (COM3) v2"), 3);
  EXPECT_EQ(adapter_number_in_name("USB-SERIAL CH340 (ttyUSB0)"), 0);
  EXPECT_EQ(adapter_number_in_name("USB-SERIAL CH340 (ttyUSB17)"), 17);
  EXPECT_EQ(adapter_number_in_name("USB-SERIAL CH341 (COM4)"), -1);
  EXPECT_EQ(adapter_number_in_name("Prolific USB-to-Serial Comm Port (COM4)"), -1);
  EXPECT_EQ(adapter_number_in_name("USB-SERIAL CH340"), -1);
  EXPECT_EQ(adapter_number_in_name("USB-SERIAL CH340 (COM)"), -1);
  EXPECT_EQ(adapter_number_in_name(""), -1);
}
