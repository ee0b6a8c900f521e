// The calls of the work on many entries on Windows, by path: what an entry is (a
// symbolic link or junction without following it), the entries of a folder, new folders,
// copies through CopyFileEx under a temporary name, links through CreateSymbolicLink,
// times and attributes, the checks of identity and contents, renames within a volume.
#include <cstring>
#include <random>
#include <vector>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_platform.h"

#include <winioctl.h>

namespace tembra::win32 {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// A test hook: TEMBRA_SIMULATE_OTHER_FILE_SYSTEM=1 makes every rename of an entry report
// that the two places lie on different volumes, so that a move copies.
bool SimulatedOtherFileSystem() {
  wchar_t v[4];
  const DWORD n = ::GetEnvironmentVariableW(L"TEMBRA_SIMULATE_OTHER_FILE_SYSTEM", v, 4);
  return n == 1 && v[0] == L'1';
}

// The entry itself, a link or junction not followed unless asked.
HANDLE OpenEntry(const std::string& path, DWORD access, bool follow = false) {
  return ::CreateFileW(WideName(path).c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT), nullptr);
}

bool IsLinkTag(DWORD attributes, DWORD tag) {
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && (tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT);
}

EntryKind KindOf(DWORD attributes, DWORD tag) {
  if (IsLinkTag(attributes, tag)) return EntryKind::kLink;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::kFolder : EntryKind::kFile;
}

// The reparse tag of an entry that is a reparse point (0 for none).
DWORD ReparseTag(const std::string& path) {
  WIN32_FIND_DATAW w;
  HANDLE f = ::FindFirstFileW(WideName(path).c_str(), &w);
  if (f == INVALID_HANDLE_VALUE) return 0;
  ::FindClose(f);
  return (w.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? w.dwReserved0 : 0;
}

// The stored data of a symbolic link or junction (the system headers give the layout
// only to drivers).
struct LinkData {
  DWORD tag;
  WORD dataLength, reserved;
  WORD substituteOffset, substituteLength, printOffset, printLength;
  ULONG flags;  // symbolic links only: 1 = relative
};

// Where a link points, as stored (its print name), and whether it is relative.
bool ReadLinkTarget(const std::string& path, std::wstring& target, bool& relative, int& error) {
  HANDLE h = OpenEntry(path, FILE_READ_ATTRIBUTES);
  if (h == INVALID_HANDLE_VALUE) return error = LastError(), false;
  std::vector<char> buf(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
  DWORD got = 0;
  const bool ok = ::DeviceIoControl(h, FSCTL_GET_REPARSE_POINT, nullptr, 0, buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr);
  if (!ok) error = LastError();
  ::CloseHandle(h);
  if (!ok) return false;
  LinkData d;
  std::memcpy(&d, buf.data(), sizeof d);
  const bool symlink = d.tag == IO_REPARSE_TAG_SYMLINK;
  const size_t names = symlink ? sizeof(LinkData) : sizeof(LinkData) - sizeof(ULONG);
  WORD offset = d.printLength ? d.printOffset : d.substituteOffset, length = d.printLength ? d.printLength : d.substituteLength;
  if (names + offset + length > got) return error = ERROR_INVALID_REPARSE_DATA, false;
  target.assign(reinterpret_cast<const wchar_t*>(buf.data() + names + offset), length / sizeof(wchar_t));
  relative = symlink && (d.flags & 1);
  if (target.rfind(L"\\??\\", 0) == 0) target.erase(0, 4);
  return true;
}

std::string TempNameIn(const std::string& dir) {
  static const char* chars = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  std::string name = dir + "\\.tembra-copy-";
  for (int i = 0; i < 6; ++i) name += chars[random() % 62];
  return name;
}

std::string FolderOf(const std::string& path) {
  const size_t at = path.find_last_of("\\/");
  return at == std::string::npos ? std::string(".") : path.substr(0, at);
}

// Removes a file this layer made, read-only or not.
void RemoveMade(const std::string& path) {
  const std::wstring wide = WideName(path);
  ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!::DeleteFileW(wide.c_str())) ::RemoveDirectoryW(wide.c_str());
}

int ExistsError(int error) {
  return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? kErrExists : error;
}

// The final name, replacing an entry there only when asked.
int PutInPlace(const std::string& made, const std::string& to, bool replace) {
  if (::MoveFileExW(WideName(made).c_str(), WideName(to).c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0)) return 0;
  const int error = ExistsError(LastError());
  RemoveMade(made);
  return error;
}

DWORD CALLBACK CopyReport(LARGE_INTEGER total, LARGE_INTEGER done, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD,
                          HANDLE, HANDLE, LPVOID data) {
  auto* report = static_cast<std::function<bool(int64_t, int64_t)>*>(data);
  return !*report || (*report)(done.QuadPart, total.QuadPart) ? PROGRESS_CONTINUE : PROGRESS_CANCEL;
}

bool Identity(HANDLE h, BY_HANDLE_FILE_INFORMATION& info) { return ::GetFileInformationByHandle(h, &info) != 0; }
bool SameIdentity(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

// Reads until the buffer is full or the file ends: the bytes read, -1 on an error.
long ReadFull(HANDLE h, char* buf, DWORD size) {
  DWORD got = 0;
  while (got < size) {
    DWORD n = 0;
    if (!::ReadFile(h, buf + got, size - got, &n, nullptr)) return -1;
    if (n == 0) break;
    got += n;
  }
  return static_cast<long>(got);
}

// Two open regular files: 0 when they are two files with the same bytes.
int CompareOpenFiles(HANDLE a, HANDLE b) {
  BY_HANDLE_FILE_INFORMATION ia, ib;
  if (!Identity(a, ia) || !Identity(b, ib)) return LastError();
  if ((ia.dwFileAttributes | ib.dwFileAttributes) & FILE_ATTRIBUTE_DIRECTORY) return ERROR_DIRECTORY;
  if (SameIdentity(ia, ib)) return kErrSameEntry;
  if (ia.nFileSizeHigh != ib.nFileSizeHigh || ia.nFileSizeLow != ib.nFileSizeLow) return kErrDiffers;
  constexpr DWORD kPiece = 256 << 10;
  std::vector<char> x(kPiece), y(kPiece);
  for (;;) {
    const long n = ReadFull(a, x.data(), kPiece), m = ReadFull(b, y.data(), kPiece);
    if (n < 0 || m < 0) return LastError();
    if (n != m || std::memcmp(x.data(), y.data(), static_cast<size_t>(n)) != 0) return kErrDiffers;
    if (n == 0) return 0;
  }
}

}  // namespace

EntryStatus Win32FileSystem::Inspect(const std::string& host, bool followLink) {
  EntryStatus s;
  const DWORD attributes = host.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(WideName(host).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    s.error = host.empty() ? ERROR_FILE_NOT_FOUND : LastError();
    return s;
  }
  const DWORD tag = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !followLink ? ReparseTag(host) : 0;
  HANDLE h = OpenEntry(host, FILE_READ_ATTRIBUTES, followLink);
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = h != INVALID_HANDLE_VALUE && Identity(h, info);
  if (!known) s.error = LastError();
  if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
  if (!known) return s;
  s.kind = KindOf(info.dwFileAttributes, tag);
  if (s.kind == EntryKind::kFile) s.size = (static_cast<int64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  s.writeTime = Ticks(info.ftLastWriteTime);
  s.volume = info.dwVolumeSerialNumber;
  s.id = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return s;
}

int Win32FileSystem::ListFolder(const std::string& host, std::vector<FolderEntry>& entries) {
  entries.clear();
  WIN32_FIND_DATAW w;
  HANDLE f = ::FindFirstFileW(WideName(host + "\\*").c_str(), &w);
  if (f == INVALID_HANDLE_VALUE) return LastError();
  do {
    if (std::wcscmp(w.cFileName, L".") == 0 || std::wcscmp(w.cFileName, L"..") == 0) continue;
    FolderEntry e;
    e.name = NarrowName(w.cFileName);
    e.status.kind = KindOf(w.dwFileAttributes, w.dwReserved0);
    if (e.status.kind == EntryKind::kFile) e.status.size = (static_cast<int64_t>(w.nFileSizeHigh) << 32) | w.nFileSizeLow;
    e.status.writeTime = Ticks(w.ftLastWriteTime);
    entries.push_back(std::move(e));
  } while (::FindNextFileW(f, &w));
  const int error = ::GetLastError() == ERROR_NO_MORE_FILES ? 0 : LastError();
  ::FindClose(f);
  return error;
}

int Win32FileSystem::MakeFolder(const std::string& host) {
  return ::CreateDirectoryW(WideName(host).c_str(), nullptr) ? 0 : ExistsError(LastError());
}

int Win32FileSystem::CopyRegular(const std::string& from, const std::string& to, bool replace) {
  const EntryStatus source = Inspect(from);
  if (source.kind != EntryKind::kFile) return source.kind == EntryKind::kNone ? source.error : ERROR_DIRECTORY;
  if (replace) {
    const DWORD there = ::GetFileAttributesW(WideName(to).c_str());
    // A read-only file is not replaced, as the single copy refuses it.
    if (there != INVALID_FILE_ATTRIBUTES && (there & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
      return ERROR_ACCESS_DENIED;
  }
  // Copied under a temporary name (with the source's time and attributes), then named.
  std::string made;
  int error = ERROR_ALREADY_EXISTS;
  BOOL cancel = FALSE;
  for (int attempt = 0; attempt < 100 && error == ERROR_ALREADY_EXISTS; ++attempt) {
    made = TempNameIn(FolderOf(to));
    error = ::CopyFileExW(WideName(from).c_str(), WideName(made).c_str(), &CopyReport, &copyProgress, &cancel,
                          COPY_FILE_FAIL_IF_EXISTS)
                ? 0
                : LastError();
    if (error == ERROR_FILE_EXISTS) error = ERROR_ALREADY_EXISTS;
  }
  if (error != 0) {
    if (error != ERROR_ALREADY_EXISTS) RemoveMade(made);
    return error == ERROR_REQUEST_ABORTED ? kErrCancelled : error;
  }
  return PutInPlace(made, to, replace);
}

int Win32FileSystem::CopyLink(const std::string& from, const std::string& to, bool replace) {
  std::wstring target;
  bool relative = false;
  int error = 0;
  if (!ReadLinkTarget(from, target, relative, error)) return error;
  const DWORD attributes = ::GetFileAttributesW(WideName(from).c_str());
  const DWORD folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0;
  const std::string made = replace ? TempNameIn(FolderOf(to)) : to;
  const std::wstring wide = WideName(made);
  // Without the right to make links, where the system allows it (developer mode).
  if (!::CreateSymbolicLinkW(wide.c_str(), target.c_str(), folder | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) &&
      !::CreateSymbolicLinkW(wide.c_str(), target.c_str(), folder))
    return ExistsError(LastError());
  // A host that only says it made the link (Wine) has made nothing.
  if (::GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES) return ERROR_NOT_SUPPORTED;
  if ((error = KeepAttributes(from, made)) != 0) {
    RemoveMade(made);
    return error;
  }
  return replace ? PutInPlace(made, to, true) : 0;
}

int Win32FileSystem::KeepAttributes(const std::string& from, const std::string& to) {
  HANDLE src = OpenEntry(from, FILE_READ_ATTRIBUTES);
  if (src == INVALID_HANDLE_VALUE) return LastError();
  FILETIME created, accessed, written;
  BY_HANDLE_FILE_INFORMATION info;
  bool ok = ::GetFileTime(src, &created, &accessed, &written) && Identity(src, info);
  int error = ok ? 0 : LastError();
  ::CloseHandle(src);
  if (!ok) return error;
  HANDLE dst = OpenEntry(to, FILE_WRITE_ATTRIBUTES);
  if (dst == INVALID_HANDLE_VALUE) return LastError();
  ok = ::SetFileTime(dst, &created, &accessed, &written);
  error = ok ? 0 : LastError();
  ::CloseHandle(dst);
  const DWORD there = ::GetFileAttributesW(WideName(to).c_str());
  if (ok && there != INVALID_FILE_ATTRIBUTES &&
      !::SetFileAttributesW(WideName(to).c_str(), (there & ~kKeptAttributes) | (info.dwFileAttributes & kKeptAttributes)))
    error = LastError();
  return error;
}

bool Win32FileSystem::Inside(const std::string& folder, const std::string& path) {
  HANDLE f = OpenEntry(folder, FILE_READ_ATTRIBUTES, true);
  if (f == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION fi;
  const bool known = Identity(f, fi);
  ::CloseHandle(f);
  // From the final form of `path` (links resolved) up through its parents.
  HANDLE p = OpenEntry(path, FILE_READ_ATTRIBUTES, true);
  if (!known || p == INVALID_HANDLE_VALUE) return false;
  std::wstring at = Filled([&](wchar_t* b, DWORD n) { return ::GetFinalPathNameByHandleW(p, b, n, 0); });
  ::CloseHandle(p);
  while (!at.empty()) {
    HANDLE h = ::CreateFileW(at.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION hi;
    const bool same = h != INVALID_HANDLE_VALUE && Identity(h, hi) && SameIdentity(hi, fi);
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    if (same) return true;
    const size_t slash = at.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 == at.size()) break;
    at.erase(at[slash - 1] == L':' || at[slash - 1] == L'?' ? slash + 1 : slash);
  }
  return false;
}

int Win32FileSystem::CompareContents(const std::string& a, const std::string& b) {
  const EntryStatus sa = Inspect(a), sb = Inspect(b);
  if (sa.kind == EntryKind::kNone || sb.kind == EntryKind::kNone) return sa.kind == EntryKind::kNone ? sa.error : sb.error;
  if (sa.SameEntry(sb)) return kErrSameEntry;
  if (sa.kind != sb.kind) return kErrDiffers;
  if (sa.kind == EntryKind::kLink) {
    std::wstring ta, tb;
    bool ra = false, rb = false;
    int error = 0;
    if (!ReadLinkTarget(a, ta, ra, error) || !ReadLinkTarget(b, tb, rb, error)) return error;
    return ta == tb && ra == rb ? 0 : kErrDiffers;
  }
  HANDLE ha = OpenEntry(a, GENERIC_READ), hb = OpenEntry(b, GENERIC_READ);
  int error = ha == INVALID_HANDLE_VALUE || hb == INVALID_HANDLE_VALUE ? LastError() : CompareOpenFiles(ha, hb);
  if (ha != INVALID_HANDLE_VALUE) ::CloseHandle(ha);
  if (hb != INVALID_HANDLE_VALUE) ::CloseHandle(hb);
  return error;
}

bool Win32FileSystem::SameContents(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  HANDLE ha = OpenEntry(a, GENERIC_READ, true), hb = OpenEntry(b, GENERIC_READ, true);
  const bool same = ha != INVALID_HANDLE_VALUE && hb != INVALID_HANDLE_VALUE && CompareOpenFiles(ha, hb) == 0;
  if (ha != INVALID_HANDLE_VALUE) ::CloseHandle(ha);
  if (hb != INVALID_HANDLE_VALUE) ::CloseHandle(hb);
  return same;
}

int Win32FileSystem::RenameEntry(const std::string& from, const std::string& to, bool replace) {
  if (::GetFileAttributesW(WideName(from).c_str()) == INVALID_FILE_ATTRIBUTES) return LastError();
  if (SimulatedOtherFileSystem()) return kErrOtherVolume;
  // Within one volume only: nothing is copied.
  if (::MoveFileExW(WideName(from).c_str(), WideName(to).c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0)) return 0;
  const int error = LastError();
  return error == ERROR_NOT_SAME_DEVICE ? kErrOtherVolume : ExistsError(error);
}

int Win32FileSystem::RemoveEmptyFolder(const std::string& host) {
  return ::RemoveDirectoryW(WideName(host).c_str()) ? 0 : LastError();
}

int Win32FileSystem::FlushWrites(const std::vector<std::string>& written) {
  // File by file: a volume's buffers can be flushed only by an administrator. A
  // read-only file is opened for writing with its attribute set aside meanwhile.
  for (const std::string& path : written) {
    const std::wstring wide = WideName(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    if (attributes & FILE_ATTRIBUTE_READONLY) ::SetFileAttributesW(wide.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    HANDLE h = ::CreateFileW(wide.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
    const int error = h == INVALID_HANDLE_VALUE || !::FlushFileBuffers(h) ? LastError() : 0;
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    if (attributes & FILE_ATTRIBUTE_READONLY) ::SetFileAttributesW(wide.c_str(), attributes);
    if (error != 0) return error;
  }
  return 0;
}

FileErrorKind Win32FileSystem::ErrorKind(int error) {
  switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return FileErrorKind::kFull;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return FileErrorKind::kMissing;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_CRC:
    case ERROR_PRIVILEGE_NOT_HELD: return FileErrorKind::kDenied;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY: return FileErrorKind::kBadName;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
    case ERROR_DIR_NOT_EMPTY:
    case kErrExists: return FileErrorKind::kExists;
    default: return FileErrorKind::kOther;
  }
}

}  // namespace tembra::win32
