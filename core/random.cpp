#include "core/random.h"

#include <cstdlib>
#include <ctime>

float random_between(float a, float b) {
  static bool seeded = false;  // the one seeding of the C generator per run
  if (!seeded) {
    srand((unsigned)time(nullptr));
    seeded = true;
  }
  return a + (float)rand() / (float)RAND_MAX * (b - a);
}
