// The two helpers every part may use, apart from SDL so the store builds without it.
#pragma once

#include <cstdint>

// A float over [a, b] from the C library's generator, seeded once with the time.
float random_between(float a, float b);

// Calendar time of a local date and time given as six integers (month 1-12), under the
// zone's own summer-time rule: the true moment that the clock on the wall showed.
int64_t calendar_time(int year, int month, int day, int hour, int minute, int second);

// A local date and time as seconds on the clock: counted as if every day had 24 hours, with no
// zone and no summer time, so that adding 3600 moves the clock one hour on, on any night.
int64_t clock_seconds(int year, int month, int day, int hour, int minute, int second);
struct ClockFields {
  int year, month, day, hour, minute, second;
};
ClockFields clock_fields(int64_t seconds);
