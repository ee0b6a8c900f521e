// The Recycle Bin's contents: every volume keeps the user's deleted entries in
// X:\$Recycle.Bin\<the user's SID>, each as a pair of files: $Rxxxxxx.ext is the entry
// itself, $Ixxxxxx.ext describes it (format 1: 8 bytes version, 8 size, 8 deletion time,
// 260 UTF-16 characters of the original path; format 2, Windows 10: 8 version, 8 size,
// 8 time, 4 the path's length in characters, the path). Restoring an entry moves $R back
// to its original path and removes $I, as the shell's own restore does.
#include <algorithm>
#include <cstring>
#include <cwchar>
#include <utility>
#include <vector>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_platform.h"

#include <sddl.h>
#include <shlobj.h>

namespace tembra::win32 {

namespace {

// The current user's SID as text ("S-1-5-21-..."), "" when it cannot be had.
std::wstring UserSid() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return std::wstring();
  DWORD size = 0;
  ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<char> buf(size);
  std::wstring sid;
  wchar_t* text = nullptr;
  if (size > 0 && ::GetTokenInformation(token, TokenUser, buf.data(), size, &size) &&
      ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buf.data())->User.Sid, &text)) {
    sid = text;
    ::LocalFree(text);
  }
  ::CloseHandle(token);
  return sid;
}

// The user's Recycle Bin folder on each volume that can have one.
std::vector<std::wstring> BinFolders() {
  std::vector<std::wstring> folders;
  const std::wstring sid = UserSid();
  if (sid.empty()) return folders;
  const DWORD drives = ::GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(drives & (1u << i))) continue;
    const std::wstring root = {static_cast<wchar_t>(L'A' + i), L':', L'\\'};
    const UINT type = ::GetDriveTypeW(root.c_str());
    if (type == DRIVE_FIXED || type == DRIVE_REMOVABLE || type == DRIVE_RAMDISK)
      folders.push_back(root + L"$Recycle.Bin\\" + sid);
  }
  return folders;
}

// "2026-03-04T10:15:30" in local time.
std::string LocalDate(uint64_t ticks) {
  FILETIME utc = FileTimeOf(ticks), local;
  SYSTEMTIME t;
  if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &t)) return std::string();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04u-%02u-%02uT%02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                t.wSecond);
  return buf;
}

// The entry a $I file describes; false when it is no such file or its $R is gone.
bool ReadBinInfo(const std::wstring& folder, const std::wstring& infoName, TrashItem& item) {
  const std::wstring info = folder + L"\\" + infoName, where = folder + L"\\$R" + infoName.substr(2);
  HANDLE h = ::CreateFileW(info.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  std::vector<char> buf(1 << 16);
  DWORD got = 0;
  const bool read = ::ReadFile(h, buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr);
  ::CloseHandle(h);
  uint64_t version = 0, ticks = 0;
  if (!read || got < 28) return false;
  std::memcpy(&version, buf.data(), 8);
  std::memcpy(&ticks, buf.data() + 16, 8);
  size_t at = 24, chars = 260;
  if (version == 2) {
    uint32_t length = 0;
    std::memcpy(&length, buf.data() + 24, 4);
    at = 28;
    chars = length;
  } else if (version != 1) {
    return false;
  }
  if (at + chars * 2 > got) chars = (got - at) / 2;
  std::wstring path(chars, L'\0');
  std::memcpy(path.data(), buf.data() + at, chars * 2);
  path.resize(std::wcslen(path.c_str()));
  const DWORD attributes = ::GetFileAttributesW(where.c_str());
  if (path.empty() || attributes == INVALID_FILE_ATTRIBUTES) return false;
  item.original = NarrowName(path);
  item.name = item.original.substr(item.original.find_last_of('\\') + 1);
  item.deleted = LocalDate(ticks);
  item.where = NarrowName(where);
  item.info = NarrowName(info);
  item.folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return true;
}

// The entries of one bin folder.
void ListBin(const std::wstring& folder, std::vector<TrashItem>& items) {
  WIN32_FIND_DATAW w;
  HANDLE f = ::FindFirstFileW((folder + L"\\$I*").c_str(), &w);
  if (f == INVALID_HANDLE_VALUE) return;
  do {
    TrashItem item;
    if (ReadBinInfo(folder, w.cFileName, item)) items.push_back(std::move(item));
  } while (::FindNextFileW(f, &w));
  ::FindClose(f);
}

int MakeParents(const std::wstring& dir) {
  if (dir.size() <= 3 || ::GetFileAttributesW(dir.c_str()) != INVALID_FILE_ATTRIBUTES) return 0;
  const size_t slash = dir.find_last_of(L'\\');
  if (slash != std::wstring::npos)
    if (int e = MakeParents(dir.substr(0, slash)); e != 0) return e;
  return ::CreateDirectoryW(dir.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS ? 0 : LastError();
}

}  // namespace

std::vector<TrashItem> Win32FileSystem::TrashContents() {
  std::vector<TrashItem> items;
  for (const std::wstring& folder : BinFolders()) ListBin(folder, items);
  std::sort(items.begin(), items.end(), [](const TrashItem& a, const TrashItem& b) {
    return a.deleted != b.deleted ? a.deleted > b.deleted : a.original < b.original;
  });
  return items;
}

int Win32FileSystem::RestoreTrashItem(const TrashItem& item, const std::string& to) {
  const std::wstring target = WideName(to);
  if (::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) return kErrExists;
  if (::GetFileAttributesW(WideName(item.where).c_str()) == INVALID_FILE_ATTRIBUTES) return LastError();
  const size_t slash = target.find_last_of(L'\\');
  if (slash != std::wstring::npos)
    if (int e = MakeParents(target.substr(0, slash)); e != 0) return e;
  if (!::MoveFileExW(WideName(item.where).c_str(), target.c_str(), 0)) {
    const int error = LastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return kErrExists;
    return error == ERROR_NOT_SAME_DEVICE ? kErrOtherVolume : error;
  }
  ::DeleteFileW(WideName(item.info).c_str());
  ::SHChangeNotify(item.folder ? SHCNE_MKDIR : SHCNE_CREATE, SHCNF_PATHW, target.c_str(), nullptr);
  return 0;
}

void Win32FileSystem::NoteRecycled(const std::string& fullPath) {
  // The shell does not say where it put the entry: the newest description of that path
  // in the bin of its volume. None where the bin is no $Recycle.Bin folder (under Wine,
  // whose bin is the host's Trash).
  const std::wstring wide = WideName(fullPath);
  const TrashItem* newest = nullptr;
  std::vector<TrashItem> items;
  for (const std::wstring& folder : BinFolders())
    if (_wcsnicmp(folder.c_str(), wide.c_str(), 2) == 0) ListBin(folder, items);
  for (const TrashItem& item : items)
    if (_wcsicmp(WideName(item.original).c_str(), wide.c_str()) == 0 && (!newest || item.deleted >= newest->deleted))
      newest = &item;
  if (newest) trashed_.push_back(*newest);
}

int Win32FileSystem::RecycleEntry(const std::string& host) { return RecycleFile(host, false); }

std::vector<TrashItem> Win32FileSystem::TakeTrashed() { return std::exchange(trashed_, {}); }

}  // namespace tembra::win32
