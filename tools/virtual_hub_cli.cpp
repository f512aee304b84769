// hxm-virtual-hub: a sensor hub on a pseudo-terminal, driven by commands on standard input.
//   connect PAD MAC     announce a pad (0-3) with its twelve-character MAC address
//   hit PAD POWER CHARGE  a hit of power 0-255 with the pad's charge in percent
//   disconnect PAD      the pad leaves
//   unplug / replug     close the terminal / open a fresh one (its path is printed)
#include <cstdio>
#include <cstring>

#include "core/lock_hold.h"
#include "tools/virtual_hub.h"

namespace {

void print_path(VirtualHub& hub) {
  {
    Hold hold(hub.mutex);
    printf("%s\n", hub.path);
  }
  fflush(stdout);
}

bool valid_pad(int pad) { return pad >= 0 && pad <= 3; }
bool valid_byte(int value) { return value >= 0 && value <= 255; }

// One command line; false if it was not understood or could not be sent.
bool run_command(VirtualHub& hub, const char* line) {
  char word[16] = {}, mac[16] = {};
  int pad = -1, power = -1, charge = -1;
  if (sscanf(line, "%15s", word) != 1) return true;  // blank line
  if (strcmp(word, "connect") == 0)
    return sscanf(line, "%*s %d %15s", &pad, mac) == 2 && valid_pad(pad) && strlen(mac) == 12 &&
           hub_connect(hub, pad, mac);
  if (strcmp(word, "hit") == 0)
    return sscanf(line, "%*s %d %d %d", &pad, &power, &charge) == 3 && valid_pad(pad) &&
           valid_byte(power) && valid_byte(charge) &&
           hub_hit(hub, pad, (uint8_t)power, (uint8_t)charge);
  if (strcmp(word, "disconnect") == 0)
    return sscanf(line, "%*s %d", &pad) == 1 && valid_pad(pad) && hub_disconnect(hub, pad);
  if (strcmp(word, "unplug") == 0) {
    hub_unplug(hub);
    return true;
  }
  if (strcmp(word, "replug") == 0) {
    if (!hub_plug(hub)) return false;
    print_path(hub);
    return true;
  }
  return false;
}

}  // namespace

int main() {
  VirtualHub hub;
  if (!hub_plug(hub)) {
    fprintf(stderr, "hxm-virtual-hub: cannot open a pseudo-terminal\n");
    return 1;
  }
  print_path(hub);
  char line[256];
  while (fgets(line, sizeof line, stdin))
    if (!run_command(hub, line)) fprintf(stderr, "hxm-virtual-hub: not done: %s", line);
  hub_unplug(hub);
  return 0;
}
