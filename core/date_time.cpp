#include "core/date_time.h"

#include <cstdio>
#include <ctime>

int64_t calendar_time(int year, int month, int day, int hour, int minute, int second) {
  struct tm t = {};
  t.tm_year = (int)((int64_t)year - 1900);  // wraps instead of overflowing on foreign values
  t.tm_mon = (int)((int64_t)month - 1);
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return (int64_t)mktime(&t);
}

namespace {

constexpr int64_t DAY = 86400;

// Days from 1970-01-01 of a date in the proleptic Gregorian calendar, and back.
int64_t days_from_civil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civil_from_days(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp < 10 ? mp + 3 : mp - 9;
  year = (int)(yoe + era * 400 + (m <= 2));
  month = (int)m;
  day = (int)d;
}

}  // namespace

int64_t clock_seconds(int year, int month, int day, int hour, int minute, int second) {
  // Months outside 1-12 carry into the year, as mktime would.
  int64_t months = (int64_t)year * 12 + (month - 1);
  int64_t y = months >= 0 ? months / 12 : (months - 11) / 12;
  int64_t m = months - y * 12 + 1;
  return (days_from_civil(y, m, 1) + day - 1) * DAY + (int64_t)hour * 3600 + (int64_t)minute * 60 +
         second;
}

ClockFields clock_fields(int64_t seconds) {
  int64_t days = seconds >= 0 ? seconds / DAY : (seconds - (DAY - 1)) / DAY;
  int64_t rest = seconds - days * DAY;
  ClockFields f;
  civil_from_days(days, f.year, f.month, f.day);
  f.hour = (int)(rest / 3600);
  f.minute = (int)(rest / 60 % 60);
  f.second = (int)(rest % 60);
  return f;
}

bool date_time_empty(const DateTime& t) {
  return t.year == 0 && t.month == 0 && t.day == 0 && t.hour == 0 && t.minute == 0 &&
         t.second == 0;
}

void format_date_time(char* out, int size, const DateTime& t) {
  snprintf(out, (size_t)size, "%d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
           t.minute, t.second);
}

DateTime hour_start_of(const DateTime& t) {
  DateTime h = t;
  h.minute = 0;
  h.second = 0;
  return h;
}

DateTime hour_end_of(const DateTime& t) {
  DateTime h = t;
  h.minute = 59;
  h.second = 59;
  return h;
}

DateTime local_date_time() { return local_date_time_at((int64_t)time(nullptr)); }

int64_t date_time_seconds(const DateTime& t) {
  return calendar_time(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

DateTime local_date_time_at(int64_t at) {
  time_t when = (time_t)at;
  struct tm local = {};
  localtime_r(&when, &local);
  DateTime t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  t.second = local.tm_sec;
  return t;
}
