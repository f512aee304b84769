#include "app/helpers.h"

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

int64_t calendar_time(int year, int month, int day, int hour, int minute, int second) {
  struct tm t = {};
  t.tm_year = (int)((int64_t)year - 1900);  // wraps instead of overflowing on foreign values
  t.tm_mon = (int)((int64_t)month - 1);
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = 0;
  return (int64_t)mktime(&t);
}
