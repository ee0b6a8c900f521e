#include <sys/time.h>

#include <ctime>

#include "platform/posix/posix_platform.h"

namespace tembra::posix {

namespace {
DateTime FromTm(const std::tm& t, int ms) {
  return DateTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, ms};
}
}  // namespace

DateTime PosixClock::LocalNow() {
  timeval tv;
  ::gettimeofday(&tv, nullptr);
  std::tm t;
  time_t s = tv.tv_sec;
  ::localtime_r(&s, &t);
  return FromTm(t, static_cast<int>(tv.tv_usec / 1000));
}

DateTime PosixClock::UtcNow() {
  timeval tv;
  ::gettimeofday(&tv, nullptr);
  std::tm t;
  time_t s = tv.tv_sec;
  ::gmtime_r(&s, &t);
  return FromTm(t, static_cast<int>(tv.tv_usec / 1000));
}

double PosixClock::SecondsSinceMidnight() {
  DateTime t = LocalNow();
  return t.hour * 3600.0 + t.minute * 60.0 + t.second + t.millisecond / 1000.0;
}

}  // namespace tembra::posix
