// The port layer under the sensor link: find the hub's adapter, open, configure, probe,
// read one message, close. One implementation per platform; tests and the demo swap in
// a table that reaches a virtual hub instead.
#pragma once

#include <cstdint>

// A port handle: a file descriptor on POSIX, a HANDLE on Windows.
typedef intptr_t PortHandle;
constexpr PortHandle NO_PORT = -1;

constexpr int32_t READ_MAX = 255;          // bytes one read may return
constexpr uint32_t FIRST_BYTE_MS = 2600;   // a read with no byte for this long is empty
// A pause this long after a byte ends a message: at 115200 baud a message's bytes, even split
// over several USB packets, never pause that long, while two pads striking together may send
// theirs a few milliseconds apart.
constexpr uint32_t MESSAGE_GAP_MS = 5;
constexpr uint32_t DISCOVERY_PAUSE_MS = 50;
constexpr int32_t BAUD_RATE = 115200;
// One byte on the wire (start, eight data and stop bits), in milliseconds.
constexpr double BYTE_MS = 10.0 * 1000.0 / BAUD_RATE;

// Room for every port number: "COM255", "ttyUSB255", "\\.\COM255", "/dev/ttyUSB255".
constexpr int32_t PORT_NAME_SIZE = 16;
constexpr int32_t DEVICE_PATH_SIZE = 32;

struct SerialPortLayer {
  // One discovery pass: the adapter's port number (1 or more), or 0 when none is present.
  int32_t (*find_adapter)(void* ctx) = nullptr;
  PortHandle (*open_port)(void* ctx, const char* device_path) = nullptr;
  // 115200 baud, 8 data bits, no parity, one stop bit, and the read time-outs.
  bool (*configure)(void* ctx, PortHandle port) = nullptr;
  // False once the adapter is gone.
  bool (*probe)(void* ctx, PortHandle port) = nullptr;
  // One message into bytes (at most max): the count read, 0 after a quiet read time-out,
  // -1 when the port failed. first_byte_ms: when the first byte came, on now_ms's clock.
  int32_t (*read_message)(void* ctx, PortHandle port, uint8_t* bytes, int32_t max,
                          double* first_byte_ms) = nullptr;
  void (*close_port)(void* ctx, PortHandle port) = nullptr;
  void (*pause)(void* ctx, uint32_t ms) = nullptr;
  // The clock messages are stamped with and hits are aged by, in milliseconds; the real layers
  // use port_clock_ms. Null also means port_clock_ms.
  double (*now_ms)(void* ctx) = nullptr;
  void* ctx = nullptr;
};

// This platform's layer.
SerialPortLayer real_serial_port();

// This platform's monotonic clock in milliseconds, with a fraction.
double port_clock_ms();

// The display name and the path to open for a port number found by discovery.
void port_names(int32_t port_number, char (&port_name)[PORT_NAME_SIZE],
                char (&device_path)[DEVICE_PATH_SIZE]);

// The rule shared by every platform: a friendly name containing "USB-SERIAL CH340" names
// the adapter, and the whole number inside its parentheses is the port ("(COM12)" gives 12,
// "(ttyUSB3)" gives 3). -1 for any other name.
int32_t adapter_number_in_name(const char* friendly_name);

#ifndef _WIN32
// The POSIX pieces, for layers that reach a pseudo-terminal instead of a USB adapter.
// Discovery under a given tty class directory (normally /sys/class/tty).
int32_t find_adapter_under(const char* tty_class_dir);
PortHandle posix_open_port(void* ctx, const char* device_path);
bool posix_configure(void* ctx, PortHandle port);
bool posix_probe(void* ctx, PortHandle port);
int32_t posix_read_message(void* ctx, PortHandle port, uint8_t* bytes, int32_t max,
                           double* first_byte_ms);
void posix_close_port(void* ctx, PortHandle port);
void posix_pause(void* ctx, uint32_t ms);
double posix_now_ms(void* ctx);
#endif
