// The Win32 file system: the find functions, file times, raw shared reads, whole-file
// reads and writes, copy/rename/delete, the recycle bin and the current directories.
#include <algorithm>
#include <cstring>

#include "platform/win32/win32_api.h"
#include "platform/win32/standard_input.h"
#include "platform/win32/win32_platform.h"

namespace tembra::win32 {

namespace {

// TEMBRA_NO_SHORT_NAMES=1 lists every entry as a volume without 8.3 names would
// (short-name generation is a per-volume setting on Windows; the end-to-end scripts
// that expect no short names run this way).
bool ShortNamesShown() {
  static const bool shown = [] {
    wchar_t v[8];
    DWORD n = ::GetEnvironmentVariableW(L"TEMBRA_NO_SHORT_NAMES", v, 8);
    return !(n > 0 && n < 8 && v[0] == L'1');
  }();
  return shown;
}

void FillFindData(const WIN32_FIND_DATAW& w, FindData& d) {
  d.dwFileAttributes = w.dwFileAttributes;
  d.ftCreationTime = Ticks(w.ftCreationTime);
  d.ftLastAccessTime = Ticks(w.ftLastAccessTime);
  d.ftLastWriteTime = Ticks(w.ftLastWriteTime);
  d.nFileSizeHigh = w.nFileSizeHigh;
  d.nFileSizeLow = w.nFileSizeLow;
  d.cFileName = NarrowName(w.cFileName);
  d.cAlternateFileName = ShortNamesShown() ? NarrowName(w.cAlternateFileName) : std::string();
}

HANDLE AsHandle(intptr_t h) { return reinterpret_cast<HANDLE>(h); }
intptr_t AsInt(HANDLE h) { return reinterpret_cast<intptr_t>(h); }

// Opens a file for reading, shared with writers and with deletion (a viewed file
// may grow, be renamed or be removed by others while it is shown).
HANDLE OpenShared(const std::string& path) {
  return ::CreateFileW(WideName(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WriteAll(HANDLE h, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1u << 20));
    DWORD written = 0;
    if (!::WriteFile(h, text.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

std::wstring FullPathName(const std::wstring& path) {
  return Filled([&](wchar_t* b, DWORD n) { return ::GetFullPathNameW(path.c_str(), n, b, nullptr); });
}

std::wstring CurrentDirectoryW() {
  return Filled([](wchar_t* b, DWORD n) { return ::GetCurrentDirectoryW(n, b); });
}

}  // namespace

// ---------------------------------------------------------------- find functions

// The system keeps the current folders in UTF-16: they keep their place by themselves.
void Win32FileSystem::SetUtf8Names(bool on) { win32::SetUtf8Names(on); }
// Through UTF-16, as a name the system gives (in the ANSI code page a character it
// lacks becomes "?" or its nearest letter).
std::string Win32FileSystem::ShownUtf8Name(const std::string& utf8) { return NarrowName(WideText(utf8, true)); }

FindHandle Win32FileSystem::FindFirstFile(const std::string& pattern, FindData& data) {
  const std::wstring wide = WideName(pattern);
  if (NamesStandardInput(wide)) {
    StandardInputFindData(data);
    return kStandardInputFind;
  }
  const bool withInput = ListingShowsStandardInput(wide);
  WIN32_FIND_DATAW w;
  std::memset(&w, 0, sizeof w);
  HANDLE h = ::FindFirstFileW(wide.c_str(), &w);
  if (h == INVALID_HANDLE_VALUE) {
    if (!withInput) return kInvalidFind;
    StandardInputFindData(data);
    return kStandardInputFind;
  }
  FillFindData(w, data);
  if (withInput) owingInput_.insert(AsInt(h));
  return AsInt(h);
}

bool Win32FileSystem::FindNextFile(FindHandle handle, FindData& data) {
  if (handle == kInvalidFind || handle == kStandardInputFind) return false;
  WIN32_FIND_DATAW w;
  std::memset(&w, 0, sizeof w);
  if (!::FindNextFileW(AsHandle(handle), &w)) {
    if (owingInput_.erase(handle) == 0) return false;
    StandardInputFindData(data);
    return true;
  }
  FillFindData(w, data);
  return true;
}

void Win32FileSystem::FindClose(FindHandle handle) {
  if (handle == kInvalidFind || handle == kStandardInputFind) return;
  owingInput_.erase(handle);
  ::FindClose(AsHandle(handle));
}

uint64_t Win32FileSystem::FileTimeToLocalFileTime(uint64_t utc) {
  FILETIME in = FileTimeOf(utc), out;
  if (!::FileTimeToLocalFileTime(&in, &out)) return utc;
  return Ticks(out);
}

DateTime Win32FileSystem::FileTimeToSystemTime(uint64_t ft) {
  FILETIME in = FileTimeOf(ft);
  SYSTEMTIME st;
  if (!::FileTimeToSystemTime(&in, &st)) return DateTime{};
  return DateTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

// ---------------------------------------------------------------- raw reads

FileHandle Win32FileSystem::OpenRead(const std::string& path) {
  if (path.empty()) return kInvalidFile;
  HANDLE h = OpenShared(path);
  return h == INVALID_HANDLE_VALUE ? kInvalidFile : AsInt(h);
}

bool Win32FileSystem::StillAtPath(FileHandle file, const std::string& path) {
  // The same file when the volume and the file index agree (a log rotated by a rename
  // and a new file leaves another index at the name).
  if (file == kInvalidFile || path.empty() || IsStreamHandle(file)) return true;
  HANDLE named = ::CreateFileW(WideName(path).c_str(), FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (named == INVALID_HANDLE_VALUE) return true;
  BY_HANDLE_FILE_INFORMATION a, b;
  const bool known = ::GetFileInformationByHandle(AsHandle(file), &a) && ::GetFileInformationByHandle(named, &b);
  ::CloseHandle(named);
  if (!known) return true;
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

long Win32FileSystem::ReadAt(FileHandle file, int64_t pos, char* buffer, long n) {
  if (file == kInvalidFile || pos < 1 || n < 0) return -1;
  long total = 0;
  while (total < n) {
    OVERLAPPED ov;
    std::memset(&ov, 0, sizeof ov);
    uint64_t offset = static_cast<uint64_t>(pos - 1) + static_cast<uint64_t>(total);
    ov.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!::ReadFile(AsHandle(file), buffer + total, static_cast<DWORD>(n - total), &got, &ov)) {
      if (::GetLastError() == ERROR_HANDLE_EOF) break;
      return total > 0 ? total : -1;
    }
    if (got == 0) break;
    total += static_cast<long>(got);
  }
  return total;
}

int64_t Win32FileSystem::FileLength(FileHandle file) {
  LARGE_INTEGER size;
  if (file == kInvalidFile || !::GetFileSizeEx(AsHandle(file), &size)) return -1;
  return size.QuadPart;
}

void Win32FileSystem::CloseFile(FileHandle file) {
  if (file == kInvalidFile) return;
  ForgetStreamHandle(file);
  ::CloseHandle(AsHandle(file));
}

// ---------------------------------------------------------------- whole files

bool Win32FileSystem::ReadWholeFile(const std::string& path, std::string& contents) {
  contents.clear();
  if (path.empty()) return false;
  HANDLE h = OpenShared(path);
  if (h == INVALID_HANDLE_VALUE) return false;
  char buf[65536];
  bool ok = true;
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(h, buf, sizeof buf, &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    contents.append(buf, got);
  }
  ::CloseHandle(h);
  if (!ok) contents.clear();
  return ok;
}

bool Win32FileSystem::WriteWholeFile(const std::string& path, const std::string& contents) {
  if (path.empty()) return false;
  HANDLE h = ::CreateFileW(WideName(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteAll(h, contents);
  if (!::CloseHandle(h)) ok = false;
  return ok;
}

bool Win32FileSystem::AppendToFile(const std::string& path, const std::string& text) {
  if (path.empty()) return false;
  HANDLE h = ::CreateFileW(WideName(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteAll(h, text);
  if (!::CloseHandle(h)) ok = false;
  return ok;
}

// ---------------------------------------------------------------- copy, rename, delete

namespace {
// CopyFileEx's report after each piece: the copy's progress goes to the caller, whose
// false cancels the copy (Windows then removes the partial destination).
DWORD CALLBACK CopyProgressRoutine(LARGE_INTEGER total, LARGE_INTEGER done, LARGE_INTEGER, LARGE_INTEGER, DWORD,
                                   DWORD, HANDLE, HANDLE, LPVOID data) {
  auto* report = static_cast<std::function<bool(int64_t, int64_t)>*>(data);
  return (*report)(done.QuadPart, total.QuadPart) ? PROGRESS_CONTINUE : PROGRESS_CANCEL;
}

// The root of the volume that holds a path ("C:\", or a mounted folder), "" when unknown.
std::wstring VolumeOf(const std::wstring& path) {
  wchar_t root[MAX_PATH + 1] = {};
  return ::GetVolumePathNameW(path.c_str(), root, MAX_PATH) ? std::wstring(root) : std::wstring();
}
}  // namespace

int Win32FileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  if (from.empty() || to.empty()) return ERROR_INVALID_NAME;
  if (copyProgress) {
    bool stopped = false;
    std::function<bool(int64_t, int64_t)> report = [&](int64_t done, int64_t total) {
      stopped = !copyProgress(done, total);
      return !stopped;
    };
    if (::CopyFileExW(WideName(from).c_str(), WideName(to).c_str(), &CopyProgressRoutine, &report, nullptr,
                      failIfExists ? COPY_FILE_FAIL_IF_EXISTS : 0))
      return 0;
    const int err = LastError();
    // A cancelled copy leaves no partial file, whatever the system did with it.
    if (stopped) ::DeleteFileW(WideName(to).c_str());
    return err;
  }
  return ::CopyFileW(WideName(from).c_str(), WideName(to).c_str(), failIfExists ? TRUE : FALSE) ? 0 : LastError();
}

bool Win32FileSystem::SameFileSystem(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty()) return false;
  const std::wstring dest = WideName(to);
  const size_t slash = dest.find_last_of(L"\\/");
  const std::wstring a = VolumeOf(WideName(from)), b = VolumeOf(slash == std::wstring::npos ? dest : dest.substr(0, slash + 1));
  return !a.empty() && _wcsicmp(a.c_str(), b.c_str()) == 0;
}

int Win32FileSystem::MoveByRename(const std::string& from, const std::string& to, bool replace) {
  if (from.empty() || to.empty()) return ERROR_INVALID_NAME;
  // Within one volume only: nothing is copied.
  return ::MoveFileExW(WideName(from).c_str(), WideName(to).c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0)
             ? 0
             : LastError();
}

int Win32FileSystem::RenameFile(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty()) return ERROR_INVALID_NAME;
  // Never replaces an existing target.
  return ::MoveFileExW(WideName(from).c_str(), WideName(to).c_str(), MOVEFILE_COPY_ALLOWED) ? 0 : LastError();
}

int Win32FileSystem::DeleteFile(const std::string& path) {
  if (path.empty()) return ERROR_INVALID_NAME;
  return ::DeleteFileW(WideName(path).c_str()) ? 0 : LastError();
}

int Win32FileSystem::RecycleFile(const std::string& path, bool confirm) {
  if (path.empty() || path.find_first_of("*?") != std::string::npos) return ERROR_INVALID_NAME;
  const std::wstring wide = WideName(path);
  if (::GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES) return LastError();
  // The shell wants a full name (a relative one is taken from its own idea of the
  // current directory) and a list ending in two zero characters.
  const std::wstring full = FullPathName(wide);
  if (full.empty()) return ERROR_FILENAME_EXCED_RANGE;
  FILEOP_FLAGS flags = FOF_ALLOWUNDO | FOF_SILENT | FOF_NOERRORUI;
  if (confirm && confirmDialogs) {
    // The shell's own question, asked through the front-end's dialogs.
    std::string name = NarrowName(full.substr(full.find_last_of(L'\\') + 1));
    bool folder = (::GetFileAttributesW(full.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0;
    int answer = confirmDialogs->MsgBox("Are you sure you want to move \"" + name + "\" to the Recycle Bin?",
                                        folder ? "Delete Folder" : "Delete File", MsgButtons::YesNo);
    if (answer != kAnswerYes) return kRecycleRefused;
    confirm = false;
  }
  if (!confirm) flags |= FOF_NOCONFIRMATION;
  std::wstring from = full;
  from.push_back(L'\0');  // the second terminating zero; c_str() adds the first
  SHFILEOPSTRUCTW op;
  std::memset(&op, 0, sizeof op);
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = flags;
  int rc = ::SHFileOperationW(&op);
  if (op.fAnyOperationsAborted) return kRecycleRefused;
  if (rc != 0) return rc;
  // The shell reports success also when it did nothing; the name must be gone.
  if (::GetFileAttributesW(full.c_str()) != INVALID_FILE_ATTRIBUTES) return ERROR_ACCESS_DENIED;
  NoteRecycled(NarrowName(full));
  return 0;
}

int Win32FileSystem::TouchFile(const std::string& path) {
  if (path.empty()) return ERROR_INVALID_NAME;
  HANDLE h = ::CreateFileW(WideName(path).c_str(), FILE_WRITE_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return LastError();
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  int rc = ::SetFileTime(h, nullptr, nullptr, &now) ? 0 : LastError();
  ::CloseHandle(h);
  return rc;
}

std::string Win32FileSystem::ErrorText(int error) {
  const std::string common = CommonErrorText(error);
  return common.empty() ? SystemErrorText(error) : common;
}

std::string SystemErrorText(int error) {
  wchar_t* text = nullptr;
  DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, static_cast<DWORD>(error), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                             reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  std::string s = (n > 0 && text) ? NarrowName(std::wstring(text, n)) : std::string();
  if (text) ::LocalFree(text);
  while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ' || s.back() == '.')) s.pop_back();
  if (s.empty()) s = "error " + std::to_string(error);
  return s;
}

// ---------------------------------------------------------------- existence, directories

int Win32FileSystem::Exists(const std::string& path) {
  if (path.empty() || path.find_first_of("*?") != std::string::npos) return -1;
  if (NamesStandardInput(WideName(path))) return 0;
  DWORD a = ::GetFileAttributesW(WideName(path).c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return -1;
  return (a & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

std::string Win32FileSystem::CurrentDirectory() { return NarrowPath(CurrentDirectoryW(), true); }

std::string Win32FileSystem::CurrentDirectoryOfDrive(char drive) {
  if (drive >= 'a' && drive <= 'z') drive = static_cast<char>(drive - 'a' + 'A');
  if (drive < 'A' || drive > 'Z') return std::string();
  // "X:" alone names the remembered directory of that drive (the "=X:" variable).
  const wchar_t driveName[3] = {static_cast<wchar_t>(drive), L':', L'\0'};
  const std::wstring full = FullPathName(driveName);
  if (full.empty()) return std::string(1, drive) + ":\\";
  std::string dir = NarrowPath(full, true);
  if (dir.size() > 3 && dir.back() == '\\') dir.pop_back();
  return dir;
}

namespace {
// Remembers the current directory of its drive, as the command interpreter and the C
// runtime do, so that "X:" later returns to it.
void RememberDriveDirectory(const std::wstring& dir) {
  if (dir.size() < 2 || dir[1] != L':') return;
  wchar_t drive = dir[0];
  if (drive >= L'a' && drive <= L'z') drive = static_cast<wchar_t>(drive - L'a' + L'A');
  const wchar_t name[4] = {L'=', drive, L':', L'\0'};
  ::SetEnvironmentVariableW(name, dir.c_str());
}
}  // namespace

bool Win32FileSystem::ChangeDirectory(const std::string& path) {
  if (path.empty()) return false;
  RememberDriveDirectory(CurrentDirectoryW());
  if (!::SetCurrentDirectoryW(WideName(path).c_str())) return false;
  RememberDriveDirectory(CurrentDirectoryW());
  return true;
}

bool Win32FileSystem::ChangeDrive(char drive) {
  if (drive >= 'a' && drive <= 'z') drive = static_cast<char>(drive - 'a' + 'A');
  if (drive < 'A' || drive > 'Z') return false;
  std::string target = CurrentDirectoryOfDrive(drive);
  if (Exists(target) != 1) target = std::string(1, drive) + ":\\";
  return ChangeDirectory(target);
}

std::string Win32FileSystem::ShortPathName(const std::string& path) {
  const std::wstring wide = WideName(path);
  return NarrowName(Filled([&](wchar_t* b, DWORD n) { return ::GetShortPathNameW(wide.c_str(), b, n); }));
}

}  // namespace tembra::win32
