// <windows.h> for the Win32 layer's own sources, without the A/W macros whose names
// are also operations of the platform interface.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>

#undef FindFirstFile
#undef FindNextFile
#undef CopyFile
#undef DeleteFile
#undef FindExecutable
#undef GetCommandLine
#undef MoveFile

#include <string>

namespace tembra::win32 {

// Windows-1252 <-> UTF-16, independent of the system's ANSI code page.
inline std::wstring Wide(const std::string& cp1252) {
  if (cp1252.empty()) return std::wstring();
  int n = ::MultiByteToWideChar(1252, 0, cp1252.data(), static_cast<int>(cp1252.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(1252, 0, cp1252.data(), static_cast<int>(cp1252.size()), w.data(), n);
  return w;
}

inline std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  int n = ::WideCharToMultiByte(1252, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(1252, 0, wide.data(), static_cast<int>(wide.size()), s.data(), n, nullptr, nullptr);
  return s;
}

// The character set of the names (and paths, command lines, environment values) the
// program gives to and takes from the system: UTF-8, or the bytes of the system's ANSI
// code page as the A calls take them (Windows-1252 on a western system).
void SetUtf8Names(bool on);
bool Utf8Names();
std::wstring WideName(const std::string& name);
std::string NarrowName(const std::wstring& name);
std::string NarrowName(const wchar_t* name);
// A path of the system (the current folder, the program's, an environment value). In
// the ANSI code page a path with a character that code page lacks could not be given
// back: its short (8.3) form is given instead where the volume has one. In UTF-8 the
// current folder is given as the long path a short form stands for (`longForm`).
std::string NarrowPath(const std::wstring& path, bool longForm = false);

// Window texts (captions, messages, prompts, answers): UTF-8, where a byte outside a
// valid sequence is its Windows-1252 character, or Windows-1252.
std::wstring WideText(const std::string& text, bool utf8);
std::string NarrowText(const std::wstring& text, bool utf8);

// The text a W call writes into a buffer of a size it is given: it returns the length on
// success, the size it needs when the buffer is too small, and 0 on failure.
template <class Call>
std::wstring Filled(Call call) {
  std::wstring buf(MAX_PATH, L'\0');
  for (int tries = 0; tries < 4; ++tries) {
    const DWORD n = call(buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return std::wstring();
    if (n < buf.size()) {
      buf.resize(n);
      return buf;
    }
    buf.resize(n + 1);
  }
  return std::wstring();
}

// The last error of a W call as an error number for ErrorText (never 0).
inline int LastError() {
  DWORD e = ::GetLastError();
  return e == 0 ? static_cast<int>(ERROR_GEN_FAILURE) : static_cast<int>(e);
}

// The system's text for an error number, without its closing full stop.
std::string SystemErrorText(int error);

inline uint64_t Ticks(const FILETIME& ft) {
  return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

inline FILETIME FileTimeOf(uint64_t ticks) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
  ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return ft;
}

}  // namespace tembra::win32
