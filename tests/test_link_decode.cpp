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
  // Lengths learned first, so that reads are cut as well as decoded.
  for (int32_t i = 0; i < AGREEING_READS; ++i) {
    for (const auto& m : {std::vector<uint8_t>{1, 0, 0, 0, 9, 9}, connect_read(1, "A1B2C3D4E5F6"),
                          disconnect_read(1)})
      apply_read(g->link, m.data(), (int32_t)m.size(), 0.0);
  }
  int32_t connected_seen = 0;
  for (int32_t n = 0; n < 1000000; ++n) {
    int32_t count = (int32_t)(random() % 256);
    for (int32_t i = 0; i < count; ++i) bytes[i] = (uint8_t)random();
    uint32_t shape = random() % 8;
    if (count > 0 && shape < 3) bytes[0] = 0xFF;
    if (count > 0 && shape >= 3 && shape < 6) bytes[0] = (uint8_t)(random() % 6);
    if (count > 7 && shape < 2) bytes[7] = shape == 0 ? 'c' : 'd';
    if (count > 18 && shape < 2) bytes[17] = bytes[18] = (uint8_t)('0' + random() % 6);
    // A few whole messages back to back now and then, the rest as the shapes made them.
    if (shape == 7 && count >= 12) {
      int32_t at = 0;
      while (at + 6 <= count && random() % 4 != 0) {
        const uint8_t hit[6] = {(uint8_t)(random() % 4), 0, 0, 0, (uint8_t)random(), 50};
        memcpy(bytes + at, hit, sizeof hit);
        at += 6;
      }
      if (at >= 12 && random() % 2) count = at;
    }
    apply_read(g->link, bytes, count, 0.0);

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

namespace {

std::vector<uint8_t> hit_read(int32_t pad, uint8_t power, uint8_t charge = 50) {
  return {(uint8_t)pad, 0, 0, 0, power, charge};
}

std::vector<uint8_t> joined(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// What a read did to the slots: "pad:power" for every pending hit, "+pad" for every connected
// pad without one, in pad order.
std::string slots_text(const SensorLink& link) {
  std::string s;
  for (int32_t i = 0; i < PAD_COUNT; ++i) {
    const PadSlot& slot = link.pads[i];
    if (slot.hit[3]) s += std::to_string(i) + ":" + std::to_string(slot.hit[3]) + " ";
    else if (slot.connected) s += "+" + std::to_string(i) + " ";
  }
  return s;
}

}  // namespace

// Reads holding several messages are cut only into whole messages of learned lengths, and
// only once each kind's length is known from three reads that held it alone.
TEST(SplitReads, WholeMessagesOfLearnedLengthsAndNothingElse) {
  const std::vector<uint8_t> connect = connect_read(2, "A1B2C3D4E5F6");
  const std::vector<uint8_t> disconnect = disconnect_read(3);
  const struct {
    const char* name;
    int32_t hits_taught, control_taught;  // single reads of each kind first: 3 teach a length
    std::vector<uint8_t> read;
    const char* slots;
    int64_t unsplit;
  } rows[] = {
      {"two hits back to back", 3, 3, joined({hit_read(0, 10), hit_read(1, 11)}), "0:10 1:11 ", 0},
      {"three messages in one read", 3, 3, joined({disconnect, connect, hit_read(1, 11)}),
       "1:11 +2 ", 0},
      {"four hits, one per pad", 3, 0,
       joined({hit_read(0, 10), hit_read(1, 11), hit_read(2, 12), hit_read(3, 13)}),
       "0:10 1:11 2:12 3:13 ", 0},
      {"lengths unknown: the first message only", 0, 0, joined({hit_read(0, 10), hit_read(1, 11)}),
       "0:10 ", 0},
      {"two agreeing reads teach nothing yet", 2, 0, joined({hit_read(0, 10), hit_read(1, 11)}),
       "0:10 ", 0},
      {"a message followed by noise", 3, 3, joined({hit_read(0, 10), {0x55, 0x66, 0x77}}), "0:10 ",
       1},
      {"followed by a hit-shaped tail for pad 9", 3, 3, joined({hit_read(0, 10), hit_read(9, 11)}),
       "0:10 ", 1},
      {"followed by a hit-shaped tail with a charge over 100 %", 3, 3,
       joined({hit_read(0, 10), hit_read(1, 11, 101)}), "0:10 ", 1},
      {"a connect cut short after a hit", 3, 3,
       joined({hit_read(0, 10), std::vector<uint8_t>(connect.begin(), connect.begin() + 20)}),
       "0:10 ", 1},
      {"a hit and a connect whose length is not known", 3, 0, joined({hit_read(0, 10), connect}),
       "0:10 ", 1},
  };
  auto teach = [](SensorLink& link, const std::vector<uint8_t>& m) {
    apply_read(link, m.data(), (int32_t)m.size(), 0.0);
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    SensorLink link;
    number_slots(link);
    for (int32_t i = 0; i < row.hits_taught; ++i) teach(link, hit_read(3, 1));
    for (int32_t i = 0; i < row.control_taught; ++i) {
      teach(link, connect_read(3, "CCCCCCCCCCCC"));
      teach(link, disconnect_read(3));
    }
    decode(link, disconnect_read(3));  // the teaching leaves nothing behind
    ASSERT_EQ(slots_text(link), "");
    apply_read(link, row.read.data(), (int32_t)row.read.size(), 100.0);
    EXPECT_EQ(slots_text(link), row.slots);
    EXPECT_EQ(link.unsplit_reads, row.unsplit);
  }
}

// Every message of a cut read is stamped as following the first on the wire.
TEST(SplitReads, LaterMessagesAreStampedByTheirPlaceOnTheWire) {
  SensorLink link;
  number_slots(link);
  for (int32_t i = 0; i < AGREEING_READS; ++i)
    apply_read(link, hit_read(0, 1).data(), HIT_MESSAGE_LENGTH, 0.0);
  std::vector<uint8_t> two = joined({hit_read(0, 10), hit_read(1, 11)});
  apply_read(link, two.data(), (int32_t)two.size(), 500.0);
  EXPECT_EQ(link.pads[0].hit_ms, 500.0);
  EXPECT_DOUBLE_EQ(link.pads[1].hit_ms, 500.0 + HIT_MESSAGE_LENGTH * BYTE_MS);
}

// A hit not taken within STALE_HIT_MS of its arrival is consumed without counting.
TEST(StaleHits, AHitOlderThanTheLimitIsNotTaken) {
  double now = 10000.0;
  SensorLink link;
  number_slots(link);
  link.port.now_ms = [](void* ctx) { return *(double*)ctx; };
  link.port.ctx = &now;
  char suffix[5];
  for (double age : {0.0, 100.0, STALE_HIT_MS, STALE_HIT_MS + 1.0, 2600.0}) {
    SCOPED_TRACE(age);
    decode_read(link, hit_read(2, 77).data(), HIT_MESSAGE_LENGTH, now - age);
    double stamp = 0.0;
    EXPECT_EQ(take_hit_locked(link, 3, suffix, nullptr, &stamp), age <= STALE_HIT_MS ? 77 : 0);
    EXPECT_EQ(link.pads[2].hit[3], 0) << "taken or not, it is gone";
    EXPECT_EQ(stamp, now - age);
  }
}
