// The command line, environment, own folder, starting programs and waiting for them,
// the associated program of a file, the upper-case conversions and the end.
#include <cstring>
#include <vector>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_platform.h"

namespace tembra::win32 {

std::string ArgumentsOf(const std::string& full) {
  // The program's name is the first word; quotes group blanks, as the runtime reads it.
  size_t i = 0;
  bool quoted = false;
  while (i < full.size()) {
    char c = full[i];
    if (c == '"') quoted = !quoted;
    else if ((c == ' ' || c == '\t') && !quoted) break;
    ++i;
  }
  while (i < full.size() && (full[i] == ' ' || full[i] == '\t')) ++i;
  return full.substr(i);
}

std::string CommandLineBytes(const std::wstring& full) {
  if (Utf8Names()) return ArgumentsOf(NarrowName(full));
  std::string out;
  size_t i = 0;
  while (i < full.size()) {
    // One run of blanks or one word (blanks inside quotes belong to the word).
    size_t end = i;
    while (end < full.size() && (full[end] == L' ' || full[end] == L'\t')) ++end;
    if (end == i) {
      bool quoted = false;
      while (end < full.size() && (quoted || (full[end] != L' ' && full[end] != L'\t'))) {
        if (full[end] == L'"') quoted = !quoted;
        ++end;
      }
    }
    const std::wstring word = full.substr(i, end - i);
    std::string bytes = NarrowName(word);
    if (WideName(bytes) != word) {
      // A name the code page cannot hold: its short path, where it names a file.
      std::wstring bare;
      for (wchar_t c : word)
        if (c != L'"') bare += c;
      const std::wstring shortPath =
          Filled([&](wchar_t* b, DWORD n) { return ::GetShortPathNameW(bare.c_str(), b, n); });
      const std::string shortBytes = NarrowName(shortPath);
      if (!shortPath.empty() && WideName(shortBytes) == shortPath)
        bytes = bare.size() != word.size() ? "\"" + shortBytes + "\"" : shortBytes;
    }
    out += bytes;
    i = end;
  }
  return ArgumentsOf(out);
}

Win32Processes::Win32Processes() {
  const wchar_t* cmd = ::GetCommandLineW();
  wideCommandLine_ = cmd ? cmd : L"";
}

// The command line in the names' character set of the moment.
std::string Win32Processes::CommandLine() {
  return commandLineSet_ ? commandLine_ : CommandLineBytes(wideCommandLine_);
}

std::string Win32Processes::GetEnv(const std::string& name) {
  if (name.empty()) return std::string();
  const std::wstring wideName = WideName(name);
  DWORD n = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (n == 0) return std::string();
  std::vector<wchar_t> buf(n + 1);
  DWORD got = ::GetEnvironmentVariableW(wideName.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
  if (got == 0 || got >= buf.size()) return std::string();
  return NarrowPath(std::wstring(buf.data(), got));
}

namespace {
std::string ModulePath() {
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return std::string();
    if (n < buf.size()) return NarrowPath(std::wstring(buf.data(), n));
    if (buf.size() > 32768) return std::string();
    buf.resize(buf.size() * 2);
  }
}
}  // namespace

std::string Win32Processes::AppPath() {
  std::string exe = ModulePath();
  size_t slash = exe.find_last_of('\\');
  if (slash == std::string::npos) return std::string();
  return exe.substr(0, slash);  // "C:" for a program in the root, so that "\" can follow
}

std::string Win32Processes::AppExeName() {
  std::string exe = ModulePath();
  size_t slash = exe.find_last_of('\\');
  return slash == std::string::npos ? exe : exe.substr(slash + 1);
}

long Win32Processes::Run(const std::string& commandLine, bool wait) {
  if (commandLine.empty()) return 0;
  STARTUPINFOW si;
  std::memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION pi;
  std::memset(&pi, 0, sizeof pi);
  const std::wstring wide = WideName(commandLine);
  std::vector<wchar_t> cmd(wide.begin(), wide.end());
  cmd.push_back(L'\0');  // CreateProcessW may write into the command line
  if (!::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 0;
  ::CloseHandle(pi.hThread);
  long pid = static_cast<long>(pi.dwProcessId);
  if (wait) {
    // Wait through a handle opened by the id, as a caller holding only the id would;
    // the creation handle stays open until then so that the id cannot be reused.
    HANDLE h = ::OpenProcess(SYNCHRONIZE, FALSE, pi.dwProcessId);
    ::WaitForSingleObject(h ? h : pi.hProcess, INFINITE);
    if (h) ::CloseHandle(h);
  }
  ::CloseHandle(pi.hProcess);
  return pid > 0 ? pid : 1;
}

std::string Win32Processes::FindExecutable(const std::string& file) {
  if (file.empty()) return std::string();
  wchar_t result[MAX_PATH + 1];
  result[0] = L'\0';
  HINSTANCE rc = ::FindExecutableW(WideName(file).c_str(), nullptr, result);
  if (reinterpret_cast<intptr_t>(rc) <= 32) return std::string();
  result[MAX_PATH] = L'\0';
  return NarrowName(result);
}

void Win32Processes::CharUpperBuffW(std::u16string& text) {
  static_assert(sizeof(char16_t) == sizeof(WCHAR));
  if (text.empty()) return;
  ::CharUpperBuffW(reinterpret_cast<LPWSTR>(text.data()), static_cast<DWORD>(text.size()));
}

void Win32Processes::CharUpperBuffA(std::string& text) {
  if (text.empty()) return;
  ::CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
}

void Win32Processes::EndProcess(ExitKind kind) {
  ::ExitProcess(static_cast<UINT>(ExitStatusOf(kind)));
}

}  // namespace tembra::win32
