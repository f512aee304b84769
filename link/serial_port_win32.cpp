// The port layer on Windows: SetupAPI finds the adapter's COM port by its friendly name,
// and the read time-outs frame the hub's messages.
#include <windows.h>
#include <mmsystem.h>
#include <setupapi.h>

#include <cstdio>
#include <cstring>

#include "link/serial_port.h"

namespace {

// GUID_DEVINTERFACE_COMPORT, spelt out so no header has to instantiate it.
const GUID COM_PORT_INTERFACE = {0x86E0D1E0, 0x8089, 0x11D0,
                                 {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};
constexpr DWORD FRIENDLY_NAME_SIZE = 256;
// A read ends MESSAGE_GAP_MS after a byte with no other, and returns empty after
// 10 x 255 + 50 ms.
constexpr DWORD READ_INTERVAL_MS = MESSAGE_GAP_MS;
constexpr DWORD READ_MULTIPLIER_MS = 10;
constexpr DWORD READ_CONSTANT_MS = 50;
static_assert(READ_MULTIPLIER_MS * READ_MAX + READ_CONSTANT_MS == FIRST_BYTE_MS);
// The drivers time the read interval with the system timer, which ticks every 15.6 ms unless
// asked for 1 ms: without it a 5 ms gap would last up to 16.
constexpr UINT TIMER_PERIOD_MS = 1;

HANDLE handle_of(PortHandle port) { return (HANDLE)port; }

int32_t find_adapter(void*) {
  HDEVINFO list = SetupDiGetClassDevsA(&COM_PORT_INTERFACE, nullptr, nullptr,
                                       DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (list == INVALID_HANDLE_VALUE) return 0;
  int32_t found = 0;
  SP_DEVINFO_DATA entry;
  entry.cbSize = sizeof entry;
  for (DWORD i = 0; found == 0 && SetupDiEnumDeviceInfo(list, i, &entry); ++i) {
    char name[FRIENDLY_NAME_SIZE + 1] = {};  // one more than asked for: always terminated
    SetupDiGetDeviceRegistryPropertyA(list, &entry, SPDRP_FRIENDLYNAME, nullptr, (PBYTE)name,
                                      FRIENDLY_NAME_SIZE, nullptr);
    int32_t number = adapter_number_in_name(name);
    if (number > 0) found = number;
  }
  SetupDiDestroyDeviceInfoList(list);
  return found;
}

PortHandle open_port(void*, const char* device_path) {
  HANDLE h = CreateFileA(device_path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  return h == INVALID_HANDLE_VALUE ? NO_PORT : (PortHandle)h;
}

// The link closes every port it configured, whether or not that succeeded: the finer timer
// is held from here until close_port.
bool configure(void*, PortHandle port) {
  timeBeginPeriod(TIMER_PERIOD_MS);
  DCB dcb;
  memset(&dcb, 0, sizeof dcb);
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(handle_of(port), &dcb)) return false;
  dcb.BaudRate = BAUD_RATE;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  if (!SetCommState(handle_of(port), &dcb)) return false;
  COMMTIMEOUTS timeouts;
  timeouts.ReadIntervalTimeout = READ_INTERVAL_MS;
  timeouts.ReadTotalTimeoutMultiplier = READ_MULTIPLIER_MS;
  timeouts.ReadTotalTimeoutConstant = READ_CONSTANT_MS;
  timeouts.WriteTotalTimeoutMultiplier = 10;
  timeouts.WriteTotalTimeoutConstant = 50;
  return SetCommTimeouts(handle_of(port), &timeouts) != 0;
}

bool probe(void*, PortHandle port) {
  DCB dcb;
  memset(&dcb, 0, sizeof dcb);
  dcb.DCBlength = sizeof dcb;
  return GetCommState(handle_of(port), &dcb) != 0;
}

// ReadFile tells only when the read ended: the first byte came the message's bytes and the
// closing gap before that.
int32_t read_message(void*, PortHandle port, uint8_t* bytes, int32_t max, double* first_byte_ms) {
  DWORD got = 0;
  if (!ReadFile(handle_of(port), bytes, (DWORD)max, &got, nullptr)) return -1;
  if (got > 0) *first_byte_ms = port_clock_ms() - MESSAGE_GAP_MS - (double)got * BYTE_MS;
  return (int32_t)got;
}

void close_port(void*, PortHandle port) {
  CloseHandle(handle_of(port));
  timeEndPeriod(TIMER_PERIOD_MS);
}

double now_ms(void*) { return port_clock_ms(); }

void pause(void*, uint32_t ms) { Sleep(ms); }

}  // namespace

void port_names(int32_t port_number, char (&port_name)[PORT_NAME_SIZE],
                char (&device_path)[DEVICE_PATH_SIZE]) {
  unsigned com = (unsigned)port_number & 0xFFFFu;
  snprintf(port_name, sizeof port_name, "COM%u", com);
  snprintf(device_path, sizeof device_path, "\\\\.\\COM%u", com);
}

double port_clock_ms() {
  static LARGE_INTEGER frequency = {};
  if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return (double)now.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

SerialPortLayer real_serial_port() {
  SerialPortLayer io;
  io.find_adapter = find_adapter;
  io.open_port = open_port;
  io.configure = configure;
  io.probe = probe;
  io.read_message = read_message;
  io.close_port = close_port;
  io.pause = pause;
  io.now_ms = now_ms;
  return io;
}
