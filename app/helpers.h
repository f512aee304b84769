// The two helpers every part may use, apart from SDL so the store builds without it.
#pragma once

#include <cstdint>

// A float over [a, b] from the C library's generator, seeded once with the time.
float random_between(float a, float b);

// Calendar time of a local date and time given as six integers (month 1-12),
// daylight saving time taken as not in effect.
int64_t calendar_time(int year, int month, int day, int hour, int minute, int second);
