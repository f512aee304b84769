// The sensor link end to end: the real POSIX port layer reading a virtual hub on a
// pseudo-terminal; and discovery of the adapter in a fake sysfs tree.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "core/lock_hold.h"
#include "tests/link_support.h"
#include "tests/support.h"
#include "tools/hub_duel.h"
#include "tools/virtual_hub.h"

namespace {

// Waits up to ms for cond, checked under the link's mutex; false on time-out.
bool wait_for(SensorLink& link, uint32_t ms, const std::function<bool(SensorLink&)>& cond) {
  uint64_t end = monotonic_ms() + ms;
  for (;;) {
    bool met{};
    {
      Hold hold(link.mutex);
      met = cond(link);
    }
    if (met) return true;
    if (monotonic_ms() >= end) return false;
    usleep(2000);
  }
}

bool wait_for_open(VirtualHub& hub, int32_t opens, uint32_t ms) {
  uint64_t end = monotonic_ms() + ms;
  while (hub_opens(hub) < opens)
    if (monotonic_ms() >= end) return false;
    else usleep(2000);
  return true;
}

bool all_empty(SensorLink& l) {
  for (const PadSlot& s : l.pads)
    if (s.connected || mac_text(s) != "------------" || s.level || s.hit[3]) return false;
  return true;
}

PadSlot slot_copy(SensorLink& link, int32_t pad) {
  Hold hold(link.mutex);
  return link.pads[pad];
}

}  // namespace

// One hub and one link thread through every phase, so the slow waits are paid once.
TEST(LinkOverVirtualHub, MessagesQuietLineUnplugReplugAndStop) {
  VirtualHub hub;
  ASSERT_TRUE(hub_plug(hub));
  AppState app;
  SensorLink link;
  link.app = &app;
  link.port = virtual_hub_port(hub);
  {
    Hold hold(hub.mutex);
    hub.gap_ms = HUB_PACED_GAP_MS;  // one message a read, unless a step sends them together
  }
  std::thread reader([&link] { sensor_link_run(link); });
  ASSERT_TRUE(wait_for_open(hub, 1, 2000));

  // Connect, hits and disconnect reach the slots.
  ASSERT_TRUE(hub_connect(hub, 1, "A1B2C3D4E5F6"));
  ASSERT_TRUE(hub_hit(hub, 2, 200, 80));
  ASSERT_TRUE(wait_for(link, 1000, [](SensorLink& l) { return l.pads[2].hit[3] == 200; }));
  PadSlot one = slot_copy(link, 1), two = slot_copy(link, 2);
  EXPECT_EQ(mac_text(one), "A1B2C3D4E5F6");
  EXPECT_EQ(one.connected, 1);
  EXPECT_EQ(two.connected, 1);
  EXPECT_EQ(two.level, 80);
  EXPECT_EQ(mac_text(two), "------------");
  EXPECT_NE(slot_copy(link, 0).connected, 1);
  {
    Hold hold(link.mutex);
    EXPECT_NE(link.port_number, 0);
    memset(link.pads[2].hit, 0, 4);  // taken, as a screen takes it
  }

  // Two more single hits teach the link a hit's length; then two pads striking together send
  // theirs back to back in one write, and both count.
  for (uint8_t power : {201, 202}) {
    ASSERT_TRUE(hub_hit(hub, 2, power, 80));
    ASSERT_TRUE(wait_for(link, 1000, [power](SensorLink& l) { return l.pads[2].hit[3] == power; }));
  }
  uint8_t first[HIT_MESSAGE_LENGTH], second[HIT_MESSAGE_LENGTH], both[2 * HIT_MESSAGE_LENGTH];
  hit_message(0, 100, 50, first);
  hit_message(3, 150, 40, second);
  memcpy(both, first, sizeof first);
  memcpy(both + sizeof first, second, sizeof second);
  ASSERT_TRUE(hub_send(hub, both, sizeof both));
  ASSERT_TRUE(wait_for(link, 1000, [](SensorLink& l) {
    return l.pads[0].hit[3] == 100 && l.pads[3].hit[3] == 150;
  }));
  {
    Hold hold(link.mutex);
    EXPECT_EQ(link.unsplit_reads, 0);
    clear_all_hits_locked(link);
  }

  // A connect in USB-sized pieces with pauses shorter than the message gap is one message.
  uint8_t connect[CONNECT_MESSAGE_LENGTH];
  connect_message(3, "F0E1D2C3B4A5", connect);
  ASSERT_TRUE(hub_send_in_chunks(hub, connect, sizeof connect, 7, 2000));
  ASSERT_TRUE(wait_for(link, 1000, [](SensorLink& l) { return mac_text(l.pads[3]) == "F0E1D2C3B4A5"; }));
  ASSERT_TRUE(hub_disconnect(hub, 3));

  // A hit nobody takes is gone after a quiet read time-out; the pad stays known.
  ASSERT_TRUE(hub_hit(hub, 1, 99, 70));
  ASSERT_TRUE(wait_for(link, 1000, [](SensorLink& l) { return l.pads[1].hit[3] == 99; }));
  uint64_t seen = monotonic_ms();
  ASSERT_TRUE(wait_for(link, 4000, [](SensorLink& l) { return l.pads[1].hit[3] == 0; }));
  uint64_t quiet = monotonic_ms() - seen;
  EXPECT_GE(quiet, 2400u);
  EXPECT_LE(quiet, 3200u);
  one = slot_copy(link, 1);
  EXPECT_EQ(one.connected, 1);
  EXPECT_EQ(mac_text(one), "A1B2C3D4E5F6");
  EXPECT_EQ(one.level, 70);

  ASSERT_TRUE(hub_disconnect(hub, 1));
  ASSERT_TRUE(wait_for(link, 1000, [](SensorLink& l) { return l.pads[1].connected == 0; }));
  EXPECT_EQ(mac_text(slot_copy(link, 1)), "------------");
  EXPECT_EQ(slot_copy(link, 0).connected, 1);

  // Pulled out and plugged back in, over and over: the pads vanish, the search resumes,
  // and the hub's connect messages refill the slots.
  for (int32_t round = 0; round < 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_TRUE(hub_connect(hub, 2, "0C1D2E3F4A5B"));
    ASSERT_TRUE(wait_for(link, 1000, [](SensorLink& l) { return l.pads[2].mac[0] == '0'; }));
    int32_t opens = hub_opens(hub);
    hub_unplug(hub);
    ASSERT_TRUE(wait_for(link, 1000, [](SensorLink& l) {
      return l.port_number == 0 && all_empty(l);
    }));
    usleep(150 * 1000);  // searching, finding nothing
    EXPECT_EQ(hub_opens(hub), opens);
    {
      Hold hold(link.mutex);
      EXPECT_EQ(link.port_number, 0);
    }

    ASSERT_TRUE(hub_plug(hub));
    ASSERT_TRUE(wait_for_open(hub, opens + 1, 1000));
    ASSERT_TRUE(hub_connect(hub, 0, "A1B2C3D4E5F6"));
    ASSERT_TRUE(hub_connect(hub, 3, "F0E1D2C3B4A5"));
    ASSERT_TRUE(wait_for(link, 1000, [](SensorLink& l) {
      return l.port_number != 0 && l.pads[0].connected && l.pads[3].connected;
    }));
    EXPECT_EQ(mac_text(slot_copy(link, 3)), "F0E1D2C3B4A5");
  }

  // Cleared link_running ends the thread within one read time-out, even on a quiet line.
  usleep(300 * 1000);
  uint64_t asked = monotonic_ms();
  {
    Hold hold(link.mutex);
    app.link_running = 0;
  }
  reader.join();
  EXPECT_LE(monotonic_ms() - asked, 2700u);
  hub_unplug(hub);
}

// Two players striking at random, three times a second each: every hit is taken, in order.
TEST(LinkOverVirtualHub, ADuelLosesNoHit) {
  DuelConfig config;
  config.hits = 60;
  config.seed = 20261209;
  config.max_chunk_pause_us = 2000;
  DuelResult result;
  ASSERT_TRUE(run_duel(config, result));
  EXPECT_EQ(result.sent, config.hits);
  // A message the test machine itself held apart in pieces for the gap was two messages on the
  // wire: that is the machine's loss, not the link's, and rare enough to tell from a fault.
  const int32_t machine = result.broken_messages * 2 + result.late_rounds * 2;
  EXPECT_LE(machine, 6) << "the test machine is too busy to tell";
  EXPECT_GE(result.taken, result.sent - machine);
  if (machine == 0) {
    EXPECT_EQ(result.taken, result.sent);
    EXPECT_EQ(result.out_of_order, 0);
    EXPECT_EQ(result.unsplit_reads, 0);
  }
  EXPECT_GT(result.back_to_back, 0) << "the duel must include hits in one write";
  EXPECT_GT(result.chunked, 0);
}

namespace {

void write_file(const std::string& path, const char* text) { std::ofstream(path) << text; }

// A USB device with one serial port: devices/usbN/<dev>/<dev>:1.0/<tty>, with the tty class
// entry's "device" link pointing at the port, as sysfs lays it out.
void add_usb_tty(const std::string& root, const char* dev, const char* tty, const char* vendor,
                 const char* product) {
  std::string usb = root + "/devices/usb1/" + dev;
  std::string port = usb + "/" + dev + ":1.0/" + tty;
  std::filesystem::create_directories(port);
  write_file(usb + "/idVendor", vendor);
  write_file(usb + "/idProduct", product);
  write_file(usb + "/" + dev + ":1.0/bInterfaceClass", "ff\n");
  std::string entry = root + "/class/tty/" + tty;
  std::filesystem::create_directories(entry);
  std::filesystem::create_symlink(port, entry + "/device");
}

}  // namespace

TEST(Discovery, FindsTheCh340AndIgnoresOtherSerialChips) {
  std::string root = make_temp_dir();
  ASSERT_FALSE(root.empty());
  std::string tty_dir = root + "/class/tty";
  std::filesystem::create_directories(tty_dir + "/ttyS0");  // a board port: no USB device
  std::filesystem::create_directories(tty_dir + "/tty1");
  add_usb_tty(root, "1-1", "ttyUSB0", "0403\n", "6001\n");  // FTDI
  add_usb_tty(root, "1-2", "ttyUSB1", "067b\n", "2303\n");  // Prolific
  add_usb_tty(root, "1-3", "ttyUSB2", "1a86\n", "7522\n");  // same maker, another chip
  EXPECT_EQ(find_adapter_under(tty_dir.c_str()), 0);

  add_usb_tty(root, "1-4", "ttyUSB3", "1a86\n", "7523\n");
  int32_t port = find_adapter_under(tty_dir.c_str());
  EXPECT_GT(port, 0);
  char name[PORT_NAME_SIZE], path[DEVICE_PATH_SIZE];
  port_names(port, name, path);
  EXPECT_STREQ(path, "/dev/ttyUSB3");
  EXPECT_STREQ(name, "ttyUSB3");

  std::filesystem::remove_all(tty_dir + "/ttyUSB3");
  add_usb_tty(root, "1-5", "ttyUSB12", "1a86\n", "5523\n");  // CH341, two-digit tty
  port_names(find_adapter_under(tty_dir.c_str()), name, path);
  EXPECT_STREQ(path, "/dev/ttyUSB12");

  EXPECT_EQ(find_adapter_under((root + "/missing").c_str()), 0);
  remove_tree(root);
}
