// The reader thread's life, run on a scripted port layer: discovery and its pauses, failed
// opens, the quiet-line rule, link loss, and stopping. Every layer call checks that the
// thread does not hold the mutex while it talks to the device.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "core/lock_hold.h"
#include "tests/link_support.h"

namespace {

constexpr PortHandle SCRIPT_PORT = 42;
constexpr int32_t FAIL = -1;

struct Script {
  SensorLink* link = nullptr;
  std::deque<int32_t> finds;           // results of discovery passes; then the link is stopped
  std::deque<bool> opens;              // whether each open succeeds (default yes)
  std::deque<bool> configures;         // whether each set-up succeeds (default yes)
  std::deque<std::vector<uint8_t>> reads;  // each a message; {} a quiet read; then stopped
  std::deque<bool> fail_read;          // parallel to reads: the read fails instead
  std::string log;
  std::string opened_path;
  int32_t locked_calls = 0;  // layer calls made while the thread held the mutex
  int32_t port_number_while_reading = -1;
  int32_t open_handles = 0;
  void (*on_find)(Script& s) = nullptr;
};

Script& script_of(void* ctx) {
  Script& s = *(Script*)ctx;
  if (pthread_mutex_trylock(&s.link->mutex) == 0)
    pthread_mutex_unlock(&s.link->mutex);
  else
    s.locked_calls++;
  return s;
}

void stop(Script& s) {
  Hold hold(s.link->mutex);
  s.link->app->link_running = 0;
}

int32_t script_find(void* ctx) {
  Script& s = script_of(ctx);
  s.log += "find ";
  if (s.on_find) s.on_find(s);
  if (s.finds.empty()) {
    stop(s);
    return 0;
  }
  int32_t found = s.finds.front();
  s.finds.pop_front();
  return found;
}

PortHandle script_open(void* ctx, const char* path) {
  Script& s = script_of(ctx);
  s.log += "open ";
  s.opened_path = path;
  bool ok = s.opens.empty() || s.opens.front();
  if (!s.opens.empty()) s.opens.pop_front();
  if (ok) s.open_handles++;
  return ok ? SCRIPT_PORT : NO_PORT;
}

bool script_configure(void* ctx, PortHandle port) {
  Script& s = script_of(ctx);
  s.log += "configure ";
  EXPECT_EQ(port, SCRIPT_PORT);
  bool ok = s.configures.empty() || s.configures.front();
  if (!s.configures.empty()) s.configures.pop_front();
  return ok;
}

bool script_probe(void* ctx, PortHandle) {
  Script& s = script_of(ctx);
  s.log += "probe ";
  return true;
}

int32_t script_read(void* ctx, PortHandle, uint8_t* bytes, int32_t max, double* first_byte_ms) {
  Script& s = script_of(ctx);
  s.log += "read ";
  EXPECT_EQ(max, 255);
  {
    Hold hold(s.link->mutex);
    s.port_number_while_reading = s.link->port_number;
  }
  if (s.reads.empty()) {
    stop(s);
    return 0;
  }
  std::vector<uint8_t> m = s.reads.front();
  s.reads.pop_front();
  bool fail = !s.fail_read.empty() && s.fail_read.front();
  if (!s.fail_read.empty()) s.fail_read.pop_front();
  if (fail) return -1;
  if (!m.empty()) memcpy(bytes, m.data(), m.size());
  *first_byte_ms = port_clock_ms();
  return (int32_t)m.size();
}

void script_close(void* ctx, PortHandle port) {
  Script& s = script_of(ctx);
  s.log += "close ";
  EXPECT_EQ(port, SCRIPT_PORT);
  s.open_handles--;
}

void script_pause(void* ctx, uint32_t ms) {
  Script& s = script_of(ctx);
  s.log += "pause" + std::to_string(ms) + " ";
}

// A link on the script, with its thread's loop run on this thread until the script ends.
struct ScriptedRun {
  AppState app;
  SensorLink link;
  Script script;
  ScriptedRun() {
    link.app = &app;
    script.link = &link;
    link.port.find_adapter = script_find;
    link.port.open_port = script_open;
    link.port.configure = script_configure;
    link.port.probe = script_probe;
    link.port.read_message = script_read;
    link.port.close_port = script_close;
    link.port.pause = script_pause;
    link.port.ctx = &script;
  }
  void go() {
    EXPECT_EQ(sensor_link_run(link), 0);
    EXPECT_EQ(script.locked_calls, 0) << "a device call was made holding the mutex";
    EXPECT_EQ(script.open_handles, 0) << "a port was left open";
  }
};

}  // namespace

TEST(LinkThread, SearchesWithAPauseAfterEveryPassThenOpensTheFoundPort) {
  ScriptedRun run;
  run.script.finds = {0, 0, 3};
  run.go();
  EXPECT_EQ(run.script.log,
            "find pause50 find pause50 find pause50 open configure probe read close ");
  char name[PORT_NAME_SIZE], path[DEVICE_PATH_SIZE];
  port_names(3, name, path);
  EXPECT_EQ(run.script.opened_path, path);
  EXPECT_STREQ(run.link.device_path, path);
  EXPECT_STREQ(run.link.port_name, name);
  EXPECT_EQ(run.script.port_number_while_reading, 3);
  for (int32_t i = 0; i < PAD_COUNT; ++i) {
    EXPECT_EQ(run.link.pads[i].index, i);
    EXPECT_EQ(mac_text(run.link.pads[i]), "------------");
  }
}

TEST(LinkThread, StoppedWhileSearchingEndsWithoutOpening) {
  ScriptedRun run;
  run.script.finds = {0, 0};
  run.go();
  EXPECT_EQ(run.script.log, "find pause50 find pause50 find pause50 ");
  EXPECT_EQ(run.link.port_number, 0);
}

// A slot value that only a failed open or set-up could wipe.
void mark_pad_zero(Script& s) {
  Hold hold(s.link->mutex);
  s.link->pads[0].connected = 1;
  s.link->pads[0].level = 42;
}

TEST(LinkThread, FailedOpenOrSetUpGoesBackToSearchingAndKeepsTheSlots) {
  ScriptedRun run;
  run.script.finds = {2, 2, 2};
  run.script.opens = {false, true, true};
  run.script.configures = {false, true};
  run.script.on_find = mark_pad_zero;
  run.script.reads = {{}};
  run.go();
  EXPECT_EQ(run.script.log,
            "find pause50 open "                  // open fails: nothing to close
            "find pause50 open configure close "  // set-up fails: the handle is closed
            "find pause50 open configure probe read probe read close ");
  EXPECT_EQ(run.link.pads[0].level, 42);
  EXPECT_EQ(run.link.pads[0].connected, 1);
}

TEST(LinkThread, AQuietReadClearsHitsButKeepsPadsMacsAndCharges) {
  ScriptedRun run;
  run.script.finds = {1};
  run.script.reads = {connect_read(1, "A1B2C3D4E5F6"), {1, 5, 6, 7, 88, 64}, {3, 5, 6, 7, 99, 33},
                      {}};
  run.go();
  for (int32_t pad : {1, 3}) {
    const PadSlot& s = run.link.pads[pad];
    EXPECT_EQ(s.hit[0] | s.hit[1] | s.hit[2] | s.hit[3], 0) << "pad " << pad;
    EXPECT_EQ(s.connected, 1) << "pad " << pad;
  }
  EXPECT_EQ(run.link.pads[1].level, 64);
  EXPECT_EQ(run.link.pads[3].level, 33);
  EXPECT_EQ(mac_text(run.link.pads[1]), "A1B2C3D4E5F6");
  EXPECT_EQ(run.link.port_number, 1) << "stopping while reading keeps the port number";
}

TEST(LinkThread, OnlyTheBytesOfEachReadAreDecoded) {
  ScriptedRun run;
  run.script.finds = {1};
  std::vector<uint8_t> old_connect = connect_read(2, "OLDOLDOLDOLD");
  std::vector<uint8_t> truncated(old_connect.begin(), old_connect.begin() + 8);
  run.script.reads = {old_connect, disconnect_read(2), truncated};
  run.script.reads[1][17] = '2';  // not part of a disconnect, but where a connect has its pad
  run.go();
  // The short read still finds the old connect in the buffer beyond its 8 bytes.
  EXPECT_EQ(run.link.rx[17], '2');
  EXPECT_EQ(run.link.pads[2].connected, 0);
  EXPECT_EQ(mac_text(run.link.pads[2]), "------------");
}

TEST(LinkThread, LinkLossEmptiesEverySlotAndSearchesAgain) {
  ScriptedRun run;
  run.script.finds = {4, 0, 4};
  run.script.reads = {connect_read(0, "AAAAAAAAAAAA"), {2, 1, 1, 1, 50, 90}, {9}, {3, 0, 0, 0, 7, 20}};
  run.script.fail_read = {false, false, true, false};
  run.go();
  EXPECT_EQ(run.script.log,
            "find pause50 open configure probe read probe read probe read close "
            "find pause50 find pause50 open configure probe read probe read close ");
  for (int32_t pad : {0, 1, 2}) {
    EXPECT_EQ(run.link.pads[pad].connected, 0) << "pad " << pad;
    EXPECT_EQ(mac_text(run.link.pads[pad]), "------------") << "pad " << pad;
    EXPECT_EQ(run.link.pads[pad].level, 0) << "pad " << pad;
  }
  EXPECT_EQ(run.link.pads[3].connected, 1) << "the hit after the new open arrived";
  EXPECT_EQ(run.link.pads[3].level, 20);
}

namespace {
bool failing_probe(void* ctx, PortHandle) {
  Script& s = script_of(ctx);
  s.log += "probe! ";
  s.link->port.probe = script_probe;  // the adapter is back for the next open
  return false;
}
void mark_pad_zero_once(Script& s) {
  mark_pad_zero(s);
  s.on_find = nullptr;
}
}  // namespace

TEST(LinkThread, AFailedProbeIsALinkLoss) {
  ScriptedRun run;
  run.link.port.probe = failing_probe;
  run.script.on_find = mark_pad_zero_once;
  run.script.finds = {1, 1};
  run.script.reads = {{1, 1, 1, 1, 60, 50}};
  run.go();
  EXPECT_EQ(run.script.log,
            "find pause50 open configure probe! close "
            "find pause50 open configure probe read probe read close ");
  EXPECT_EQ(run.link.pads[0].connected, 0);
  EXPECT_EQ(run.link.pads[0].level, 0);
  EXPECT_EQ(run.link.pads[1].connected, 1);
  EXPECT_EQ(run.link.pads[1].level, 50);
}
