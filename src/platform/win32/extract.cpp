// Extracting one archive member into a folder on Windows. Each folder on the way is opened
// without following a reparse point (a symbolic link or a junction), and kept open while the
// member is written below it, so that none can be put there meanwhile; a file is written
// under a hidden temporary name and gets its own only once its bytes are all there.
#include <string>
#include <vector>

#include "archive/member_path.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_platform.h"

namespace tembra::win32 {

namespace {

ExtractResult Result(ExtractResult::Kind kind, DWORD error = 0) {
  ExtractResult r;
  r.kind = kind;
  r.error = static_cast<int>(error);
  return r;
}

// Folders held open (without sharing their deletion) while the member is written.
struct HeldFolders {
  std::vector<HANDLE> held;
  ~HeldFolders() {
    for (HANDLE h : held) ::CloseHandle(h);
  }
  // Makes (where missing) and holds the folder at path; a reparse point there is refused.
  ExtractResult Enter(const std::wstring& path) {
    if (!::CreateDirectoryW(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
      return Result(ExtractResult::kError, ::GetLastError());
    HANDLE h = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Result(ExtractResult::kError, ::GetLastError());
    held.push_back(h);
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(h, &info)) return Result(ExtractResult::kError, ::GetLastError());
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return Result(ExtractResult::kThroughLink);
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return Result(ExtractResult::kError, ERROR_DIRECTORY);
    return Result(ExtractResult::kDone);
  }
};

// 1970-based seconds as a FILETIME.
FILETIME TimeOf(int64_t seconds) { return FileTimeOf(static_cast<uint64_t>(seconds + 11644473600LL) * 10000000ULL); }

ExtractResult WriteFile(const std::wstring& dir, const std::wstring& name, const ExtractItem& item, bool replace) {
  const std::wstring final = dir + name;
  if (!replace && ::GetFileAttributesW(final.c_str()) != INVALID_FILE_ATTRIBUTES) return Result(ExtractResult::kExists);
  std::wstring temp;
  HANDLE h = INVALID_HANDLE_VALUE;
  for (unsigned n = 0; n < 100 && h == INVALID_HANDLE_VALUE; ++n) {
    temp = dir + L"~tembra-part-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(::GetTickCount() + n);
    h = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (h == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS)
      return Result(ExtractResult::kError, ::GetLastError());
  }
  if (h == INVALID_HANDLE_VALUE) return Result(ExtractResult::kError, ERROR_FILE_EXISTS);
  DWORD writeError = 0;
  DataFault fault;
  if (item.data) {
    fault = item.data([&](const char* data, size_t n) {
      for (size_t done = 0; done < n;) {
        DWORD put = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(n - done, size_t{1} << 30));
        if (!::WriteFile(h, data + done, chunk, &put, nullptr) || put == 0) {
          writeError = ::GetLastError() ? ::GetLastError() : ERROR_DISK_FULL;
          return false;
        }
        done += put;
      }
      return true;
    });
  }
  if (item.mtime >= 0 && writeError == 0 && !fault) {
    const FILETIME t = TimeOf(item.mtime);
    ::SetFileTime(h, nullptr, &t, &t);
  }
  ::CloseHandle(h);
  ExtractResult r = ExtractResult::Written(static_cast<int>(writeError), fault);
  if (r.kind == ExtractResult::kDone) {
    ::SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (::MoveFileExW(temp.c_str(), final.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0)) return r;
    const DWORD err = ::GetLastError();
    r = Result(err == ERROR_ALREADY_EXISTS || err == ERROR_FILE_EXISTS ? ExtractResult::kExists : ExtractResult::kError, err);
  }
  ::DeleteFileW(temp.c_str());
  return r;
}

}  // namespace

ExtractResult Win32FileSystem::ExtractMember(const std::string& folder, const ExtractItem& item, bool replace) {
  std::vector<std::string> parts;
  if (!archive::SplitMemberPath(item.name, parts, true)) return Result(ExtractResult::kUnsafeName);
  if (item.type == ExtractItem::kSymlink) return Result(ExtractResult::kUnsupported);
  std::wstring dir = WideName(folder);
  if (dir.empty() || ::GetFileAttributesW(dir.c_str()) == INVALID_FILE_ATTRIBUTES)
    return Result(ExtractResult::kError, ERROR_PATH_NOT_FOUND);
  if (dir.back() != L'\\' && dir.back() != L'/') dir += L'\\';
  HeldFolders held;
  const size_t folders = item.type == ExtractItem::kFolder ? parts.size() : parts.size() - 1;
  for (size_t i = 0; i < folders; ++i) {
    // Names inside an archive are UTF-8 (or ASCII), whatever the names of the system.
    dir += WideText(parts[i], true);
    ExtractResult r = held.Enter(dir);
    if (r.kind != ExtractResult::kDone) return r;
    dir += L'\\';
  }
  if (item.type == ExtractItem::kFolder) return Result(ExtractResult::kDone);
  return WriteFile(dir, WideText(parts.back(), true), item, replace);
}

}  // namespace tembra::win32
