#include "platform/win32/win32_api.h"
#include "platform/win32/win32_platform.h"

namespace tembra::win32 {

namespace {
DateTime FromSystemTime(const SYSTEMTIME& t) {
  return DateTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}
}  // namespace

DateTime Win32Clock::LocalNow() {
  SYSTEMTIME t;
  ::GetLocalTime(&t);
  return FromSystemTime(t);
}

DateTime Win32Clock::UtcNow() {
  SYSTEMTIME t;
  ::GetSystemTime(&t);
  return FromSystemTime(t);
}

double Win32Clock::SecondsSinceMidnight() {
  DateTime t = LocalNow();
  return t.hour * 3600.0 + t.minute * 60.0 + t.second + t.millisecond / 1000.0;
}

}  // namespace tembra::win32
