// Local dates and times, apart from SDL so the store builds without it.
#pragma once

#include <cstdint>

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

// A local date and time; all zero means "empty".
struct DateTime {
  int32_t year = 0;  // four digits
  int32_t month = 0;  // 1-12
  int32_t day = 0;
  int32_t hour = 0;
  int32_t minute = 0;
  int32_t second = 0;
};

// The six date fields of a request or a row, as one DateTime and back.
template <typename T>
DateTime date_time_of(const T& r) {
  return DateTime{r.year, r.month, r.day, r.hour, r.minute, r.second};
}
template <typename T>
void set_date_time(T& r, const DateTime& t) {
  r.year = t.year;
  r.month = t.month;
  r.day = t.day;
  r.hour = t.hour;
  r.minute = t.minute;
  r.second = t.second;
}

bool date_time_empty(const DateTime& t);
// "%d-%02d-%02d %02d:%02d:%02d" into `out` (at most size - 1 characters).
void format_date_time(char* out, int size, const DateTime& t);
// The hour holding `t`: minute and second 0, or both 59 for its end.
DateTime hour_start_of(const DateTime& t);
DateTime hour_end_of(const DateTime& t);
// The current local date and time (time, then localtime).
DateTime local_date_time();
// The local date and time of a calendar time.
DateTime local_date_time_at(int64_t t);
// calendar_time of a DateTime: the true moment, under the zone's own summer-time rule.
int64_t date_time_seconds(const DateTime& t);
