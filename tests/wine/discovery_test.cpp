// hxm-discovery-test: the Windows port layer's SetupAPI discovery against stand-in device
// lists, run under Wine. This program is linked without setupapi: the four SetupAPI calls the
// port layer makes are defined here and answer from the list of the case being run. Each case
// runs the link's own loop (discovery, then open) on the real port layer with only the open and
// the pause recorded, so it shows which port the link would open, and that it opens no other.
// Prints one line per case ("ok ..." or "FAIL ...") and ends with 0 only if all passed.
#include <windows.h>
// Declared as SetupAPI's own build declares them: defined here, not imported.
#define _SETUPAPI_
#include <setupapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "link/sensor_link.h"

namespace {

// GUID_DEVINTERFACE_COMPORT, as the port layer asks for it.
const GUID COM_PORT_INTERFACE = {0x86E0D1E0, 0x8089, 0x11D0,
                                 {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};
const HDEVINFO FAKE_LIST = (HDEVINFO)(intptr_t)0x4858;
constexpr int32_t PASSES = 3;  // discovery passes a case waits when nothing is found

struct Device {
  const char* friendly_name;  // nullptr: the device has no friendly name
};

struct Case {
  const char* name;
  std::vector<Device> devices;
  bool list_fails;           // SetupDiGetClassDevs answers INVALID_HANDLE_VALUE
  int32_t expected;          // the port number found, 0 for none
};

// What the stand-in SetupAPI was asked, for one case.
struct Calls {
  const Case* current = nullptr;
  int lists_opened = 0;
  int lists_destroyed = 0;
  int bad_requests = 0;  // a wrong interface class, flags, handle or property
};
Calls calls;

// What the link did with the port layer, for one case.
struct LinkRun {
  AppState app;
  SensorLink link;
  std::vector<std::string> opened;
  int32_t passes = 0;
};

PortHandle recorded_open(void* ctx, const char* device_path) {
  LinkRun& run = *(LinkRun*)ctx;
  run.opened.push_back(device_path);
  run.app.link_running = 0;  // one open is all a case needs to see
  return NO_PORT;
}

void counted_pause(void* ctx, uint32_t) {
  LinkRun& run = *(LinkRun*)ctx;
  if (++run.passes >= PASSES) run.app.link_running = 0;
}

bool check(bool ok, const char* case_name, const char* what, std::string detail = "") {
  printf("%s %s: %s%s%s\n", ok ? "ok  " : "FAIL", case_name, what, detail.empty() ? "" : ", ",
         detail.c_str());
  fflush(stdout);
  return ok;
}

std::string joined(const std::vector<std::string>& paths) {
  std::string s;
  for (const std::string& p : paths) s += (s.empty() ? "" : " ") + p;
  return s.empty() ? "nothing" : s;
}

bool run_case(const Case& c) {
  calls = Calls{};
  calls.current = &c;
  SerialPortLayer real = real_serial_port();
  int32_t found = real.find_adapter(real.ctx);
  bool ok = check(found == c.expected, c.name, "discovery finds the right port",
                  "found " + std::to_string(found) + ", expected " + std::to_string(c.expected));
  ok &= check(calls.lists_destroyed == (c.list_fails ? 0 : calls.lists_opened) &&
                  calls.lists_opened == 1 && calls.bad_requests == 0,
              c.name, "one device list asked for and let go",
              std::to_string(calls.lists_opened) + " opened, " +
                  std::to_string(calls.lists_destroyed) + " destroyed, " +
                  std::to_string(calls.bad_requests) + " bad requests");

  LinkRun run;
  run.app.link_running = 1;
  run.link.app = &run.app;
  run.link.port = real;
  run.link.port.open_port = recorded_open;
  run.link.port.pause = counted_pause;
  run.link.port.ctx = &run;
  sensor_link_run(run.link);
  std::vector<std::string> expected;
  if (c.expected > 0) expected.push_back("\\\\.\\COM" + std::to_string(c.expected));
  ok &= check(run.opened == expected, c.name, "the link opens only that port",
              "opened " + joined(run.opened));
  return ok;
}

const Case* case_of(HDEVINFO list) {
  if (list != FAKE_LIST || !calls.current) {
    calls.bad_requests++;
    return nullptr;
  }
  return calls.current;
}

}  // namespace

// The stand-in SetupAPI.
extern "C" {

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* guid, PCSTR enumerator, HWND, DWORD flags) {
  if (!guid || memcmp(guid, &COM_PORT_INTERFACE, sizeof *guid) != 0 || enumerator ||
      flags != (DIGCF_PRESENT | DIGCF_DEVICEINTERFACE))
    calls.bad_requests++;
  calls.lists_opened++;
  return calls.current->list_fails ? INVALID_HANDLE_VALUE : FAKE_LIST;
}

BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO list, DWORD index, PSP_DEVINFO_DATA entry) {
  const Case* c = case_of(list);
  if (!c || !entry || entry->cbSize != sizeof *entry) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (index >= c->devices.size()) {
    SetLastError(ERROR_NO_MORE_ITEMS);
    return FALSE;
  }
  entry->DevInst = index;
  return TRUE;
}

BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO list, PSP_DEVINFO_DATA entry,
                                              DWORD property, PDWORD type, PBYTE buffer,
                                              DWORD size, PDWORD required) {
  const Case* c = case_of(list);
  if (!c || !entry || entry->DevInst >= c->devices.size() || property != SPDRP_FRIENDLYNAME) {
    if (c) calls.bad_requests++;
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const char* name = c->devices[entry->DevInst].friendly_name;
  if (!name) {
    SetLastError(ERROR_INVALID_DATA);
    return FALSE;
  }
  DWORD length = (DWORD)strlen(name) + 1;
  if (type) *type = REG_SZ;
  if (required) *required = length;
  if (!buffer || size < length) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  memcpy(buffer, name, length);
  return TRUE;
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO list) {
  if (!case_of(list)) return FALSE;
  calls.lists_destroyed++;
  return TRUE;
}

// The port layer calls through the import table's slots: fill them with the stand-ins.
decltype(&SetupDiGetClassDevsA) __imp_SetupDiGetClassDevsA = SetupDiGetClassDevsA;
decltype(&SetupDiEnumDeviceInfo) __imp_SetupDiEnumDeviceInfo = SetupDiEnumDeviceInfo;
decltype(&SetupDiGetDeviceRegistryPropertyA) __imp_SetupDiGetDeviceRegistryPropertyA =
    SetupDiGetDeviceRegistryPropertyA;
decltype(&SetupDiDestroyDeviceInfoList) __imp_SetupDiDestroyDeviceInfoList =
    SetupDiDestroyDeviceInfoList;

}  // extern "C"

int main() {
  const Case cases[] = {
      {"CH340 on COM3", {{"USB-SERIAL CH340 (COM3)"}}, false, 3},
      {"CH340 on COM12 after other devices",
       {{"Communications Port (COM1)"}, {nullptr}, {"Prolific USB-to-Serial Comm Port (COM4)"},
        {"Bluetooth Serial Port (COM5)"}, {"USB-SERIAL CH340 (COM12)"}},
       false, 12},
      {"no devices", {}, false, 0},
      {"only other devices", {{"Communications Port (COM1)"}, {"USB Serial Device (COM9)"}},
       false, 0},
      {"the list call fails", {{"USB-SERIAL CH340 (COM3)"}}, true, 0},
  };
  int failed = 0;
  for (const Case& c : cases) failed += run_case(c) ? 0 : 1;
  printf("discovery: %d of %d cases passed\n", (int)(sizeof cases / sizeof cases[0]) - failed,
         (int)(sizeof cases / sizeof cases[0]));
  return failed == 0 ? 0 : 1;
}
