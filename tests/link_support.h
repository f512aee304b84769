// Shared pieces of the sensor link's tests.
#pragma once

#include <string>
#include <vector>

#include "link/sensor_link.h"
#include "tools/virtual_hub.h"

// A slot's MAC address as text.
inline std::string mac_text(const PadSlot& slot) {
  std::string s;
  for (int32_t c : slot.mac) s += (char)c;
  return s;
}

// The hub's messages as reads of exactly their length.
inline std::vector<uint8_t> connect_read(int32_t pad, const char* mac) {
  uint8_t m[CONNECT_MESSAGE_LENGTH];
  connect_message(pad, mac, m);
  return std::vector<uint8_t>(m, m + sizeof m);
}
inline std::vector<uint8_t> disconnect_read(int32_t pad) {
  uint8_t m[DISCONNECT_MESSAGE_LENGTH];
  disconnect_message(pad, m);
  return std::vector<uint8_t>(m, m + sizeof m);
}
