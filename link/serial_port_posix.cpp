// The port layer on Linux: a CH340/CH341 adapter is a /dev/ttyUSBn found through sysfs,
// read raw at 115200 8N1 with poll() giving the same framing as the Windows read time-outs.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "link/serial_port.h"

namespace {

constexpr const char* TTY_CLASS_DIR = "/sys/class/tty";
constexpr const char* CH340_VENDOR = "1a86";
constexpr const char* CH340_PRODUCTS[] = {"7523", "5523"};
// From a tty's device up to the USB device: the port, its interface, the device.
constexpr int32_t USB_LEVELS_UP = 4;

// The first line of a small sysfs file in dir, without its line end; false if it cannot be read.
bool read_attribute(const char* dir, const char* file, char* out, size_t size) {
  char path[PATH_MAX + 32];
  snprintf(path, sizeof path, "%s/%s", dir, file);
  FILE* f = fopen(path, "r");
  if (!f) return false;
  bool ok = fgets(out, (int)size, f) != nullptr;
  fclose(f);
  if (ok) out[strcspn(out, "\r\n")] = 0;
  return ok;
}

bool is_ch340(const char* vendor, const char* product) {
  if (strcmp(vendor, CH340_VENDOR) != 0) return false;
  for (const char* p : CH340_PRODUCTS)
    if (strcmp(product, p) == 0) return true;
  return false;
}

// The name Windows would show for a tty: "USB-SERIAL CH340 (ttyUSB0)" for the hub's adapter,
// so the one rule for recognising it holds here too; empty for anything else.
void friendly_name(const char* tty_class_dir, const char* tty, char* out, size_t size) {
  out[0] = 0;
  char path[PATH_MAX + NAME_MAX + 16];
  char dir[PATH_MAX];
  snprintf(path, sizeof path, "%s/%s/device", tty_class_dir, tty);
  if (!realpath(path, dir)) return;
  for (int32_t level = 0; level < USB_LEVELS_UP; ++level) {
    char vendor[16], product[16];
    if (read_attribute(dir, "idVendor", vendor, sizeof vendor)) {
      if (read_attribute(dir, "idProduct", product, sizeof product) && is_ch340(vendor, product))
        snprintf(out, size, "USB-SERIAL CH340 (%s)", tty);
      return;  // the nearest USB device is the one the tty belongs to
    }
    char* slash = strrchr(dir, '/');
    if (!slash || slash == dir) return;
    *slash = 0;
  }
}

// USB-serial drivers, the CH340's among them, name their ttys ttyUSBn; looking at those
// alone keeps a search pass cheap while it repeats every 50 ms.
int usb_serial_tty(const struct dirent* entry) { return strncmp(entry->d_name, "ttyUSB", 6) == 0; }

}  // namespace

// Port numbers count from 1 so that 0 keeps meaning "none": ttyUSBn is port n + 1.
void port_names(int32_t port_number, char (&port_name)[PORT_NAME_SIZE],
                char (&device_path)[DEVICE_PATH_SIZE]) {
  unsigned tty = (unsigned)(port_number - 1) & 0xFFFFu;
  snprintf(port_name, sizeof port_name, "ttyUSB%u", tty);
  snprintf(device_path, sizeof device_path, "/dev/ttyUSB%u", tty);
}

int32_t find_adapter_under(const char* tty_class_dir) {
  struct dirent** entries = nullptr;
  int n = scandir(tty_class_dir, &entries, usb_serial_tty, alphasort);
  if (n < 0) return 0;
  int32_t found = 0;
  for (int i = 0; i < n; ++i) {
    if (found == 0) {
      char name[NAME_MAX + 32];
      friendly_name(tty_class_dir, entries[i]->d_name, name, sizeof name);
      int32_t number = adapter_number_in_name(name);
      if (number >= 0) found = number + 1;
    }
    free(entries[i]);
  }
  free(entries);
  return found;
}

PortHandle posix_open_port(void*, const char* device_path) {
  // Non-blocking so the open does not wait for a modem line; reads wait in poll().
  int fd = open(device_path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return NO_PORT;
  ioctl(fd, TIOCEXCL);  // nobody else opens it while we read
  return fd;
}

bool posix_configure(void*, PortHandle port) {
  struct termios t;
  if (tcgetattr((int)port, &t) != 0) return false;
  cfmakeraw(&t);
  t.c_cflag &= ~(tcflag_t)(CSIZE | PARENB | CSTOPB | CRTSCTS);
  t.c_cflag |= CS8 | CLOCAL | CREAD;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  if (cfsetispeed(&t, B115200) != 0 || cfsetospeed(&t, B115200) != 0) return false;
  return tcsetattr((int)port, TCSANOW, &t) == 0;
}

bool posix_probe(void*, PortHandle port) {
  struct termios t;
  return tcgetattr((int)port, &t) == 0;
}

// One message: up to FIRST_BYTE_MS for the first byte, then bytes until MESSAGE_GAP_MS pass
// without one or max have come. Errors and hang-ups are a lost port.
int32_t posix_read_message(void*, PortHandle port, uint8_t* bytes, int32_t max,
                           double* first_byte_ms) {
  int32_t got = 0;
  while (got < max) {
    struct pollfd p = {(int)port, POLLIN, 0};
    int ready = poll(&p, 1, got == 0 ? (int)FIRST_BYTE_MS : (int)MESSAGE_GAP_MS);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (ready == 0) return got;
    if (got == 0) *first_byte_ms = port_clock_ms();
    if (!(p.revents & POLLIN)) return -1;  // hung up or failed with nothing left to read
    ssize_t n = read((int)port, bytes + got, (size_t)(max - got));
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return -1;  // the end of a tty is its hang-up
    got += (int32_t)n;
  }
  return got;
}

void posix_close_port(void*, PortHandle port) { close((int)port); }

double port_clock_ms() {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec * 1e3 + (double)t.tv_nsec / 1e6;
}

double posix_now_ms(void*) { return port_clock_ms(); }

void posix_pause(void*, uint32_t ms) {
  struct timespec t = {(time_t)(ms / 1000), (long)(ms % 1000) * 1000000L};
  while (nanosleep(&t, &t) != 0 && errno == EINTR) {
  }
}

namespace {
int32_t find_adapter(void*) { return find_adapter_under(TTY_CLASS_DIR); }
}  // namespace

SerialPortLayer real_serial_port() {
  SerialPortLayer io;
  io.find_adapter = find_adapter;
  io.open_port = posix_open_port;
  io.configure = posix_configure;
  io.probe = posix_probe;
  io.read_message = posix_read_message;
  io.close_port = posix_close_port;
  io.pause = posix_pause;
  io.now_ms = posix_now_ms;
  return io;
}
