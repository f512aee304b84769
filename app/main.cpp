#include <SDL.h>

#include "app/program.h"

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  return hxm_main(real_loop_seams(), real_serial_port());
}
