// Standard input viewed as a file. When the command line names it, a thread reads it to
// its end into a temporary file that is deleted when its last handle closes (so it goes
// with the process however that ends), and the viewer reads that file as one that grows.
// Standard input can be read once only: its copy is kept for the process's life, so that
// viewing it again shows the same bytes.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "archive/compression.h"
#include "platform/spool_limits.h"
#include "platform/win32/standard_input.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_platform.h"

namespace tembra::win32 {

namespace {

using StreamStop = FileSystem::StreamStop;

struct Spool {
  HANDLE src = nullptr, tmp = INVALID_HANDLE_VALUE;
  bool pipe = false;
  std::wstring folder;  // the temporary folder, whose free space is watched
  int64_t bound = kSpoolBound;
  std::atomic<bool> running{true};
  std::atomic<bool> dropped{false};  // no handle reads it any more: a work stops
  StreamStop stop = StreamStop::kEnd;  // written before running turns false
  std::string error;
  DataFault fault;
  SpoolWork work;  // where set, the spool's bytes are made by it instead of read from src
  int64_t written = 0, sinceCheck = 0;
  StreamStop putStop = StreamStop::kEnd;  // why Put refused more bytes
  DWORD putError = 0;

  ~Spool() {
    if (src) ::CloseHandle(src);
    if (tmp != INVALID_HANDLE_VALUE) ::CloseHandle(tmp);
  }

  void Ended(StreamStop why, DWORD err) {
    stop = why;
    if (err != 0) error = SystemErrorText(static_cast<int>(err));
    if (src) ::CloseHandle(src);  // a writer still writing learns that no one reads any more
    src = nullptr;
    running.store(false, std::memory_order_release);
  }

  // Appends bytes to the temporary file, up to the bound; false (the reason in putStop)
  // once it is reached, the disk is full, a write fails or the spool is dropped.
  bool Put(const char* data, size_t n) {
    if (dropped.load(std::memory_order_relaxed)) return false;
    const size_t room = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(n), bound - written));
    for (size_t done = 0; done < room;) {
      OVERLAPPED at;
      std::memset(&at, 0, sizeof at);
      at.Offset = static_cast<DWORD>(static_cast<uint64_t>(written) & 0xFFFFFFFFu);
      at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(written) >> 32);
      DWORD put = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(room - done, size_t{1} << 30));
      if (!::WriteFile(tmp, data + done, chunk, &put, &at) || put == 0) {
        putError = put == 0 && ::GetLastError() == 0 ? ERROR_DISK_FULL : ::GetLastError();
        const bool full = putError == ERROR_DISK_FULL || putError == ERROR_HANDLE_DISK_FULL;
        putStop = full ? StreamStop::kFull : StreamStop::kWriteError;
        return false;
      }
      done += put;
      written += put;
    }
    return SpoolMayGoOn(*this, n, [this]() -> int64_t {
      ULARGE_INTEGER free;
      if (!::GetDiskFreeSpaceExW(folder.c_str(), &free, nullptr, nullptr)) return -1;
      return static_cast<int64_t>(std::min<uint64_t>(free.QuadPart, INT64_MAX));
    });
  }

  void Run() {
    if (work) return RunSpoolWork(*this);
    std::vector<char> buf(size_t{1} << 16);
    for (;;) {
      DWORD got = 0;
      if (!::ReadFile(src, buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr)) {
        const DWORD err = ::GetLastError();
        if (err == ERROR_BROKEN_PIPE || err == ERROR_HANDLE_EOF || err == ERROR_PIPE_NOT_CONNECTED)
          return Ended(StreamStop::kEnd, 0);
        // A message longer than the buffer: its rest comes with the next read.
        if (err != ERROR_MORE_DATA) return Ended(StreamStop::kReadError, err);
      }
      if (got == 0) {
        // The end, unless a pipe that is still open passed on a write of no bytes.
        DWORD ready = 0;
        if (pipe && ::PeekNamedPipe(src, nullptr, 0, nullptr, &ready, nullptr)) continue;
        return Ended(StreamStop::kEnd, 0);
      }
      if (!Put(buf.data(), got)) return Ended(putStop, putError);
    }
  }
};

// Standard input once taken for viewing, and the folder whose listing shows its entry.
struct Input {
  HANDLE handle = nullptr;  // a duplicate, kept until its spool starts
  bool pipe = false;
  bool taken = false;
  FILETIME takenAt{};
  std::wstring home;
  std::shared_ptr<Spool> spool;  // kept for the process's life: its thread may still be blocked in a read
};
Input& TheInput() {
  static auto* input = new Input;
  return *input;
}

std::map<FileHandle, std::shared_ptr<Spool>>& Handles() {
  static auto* handles = new std::map<FileHandle, std::shared_ptr<Spool>>;
  return *handles;
}

std::wstring LastPart(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The folder part of a path as a full path, for comparing folders.
std::wstring FullFolder(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  const std::wstring folder = slash == std::wstring::npos ? L".\\" : path.substr(0, slash + 1);
  return Filled([&](wchar_t* b, DWORD n) { return ::GetFullPathNameW(folder.c_str(), n, b, nullptr); });
}

// A new file in the temporary folder, deleted when its last handle closes. Others may
// open it only while sharing its deletion.
HANDLE TemporaryFile(std::wstring& folder) {
  folder = Filled([](wchar_t* b, DWORD n) { return ::GetTempPathW(n, b); });
  if (folder.empty()) return INVALID_HANDLE_VALUE;
  const std::wstring stem = folder + L"tembra-spool-" + std::to_wstring(::GetCurrentProcessId()) + L"-";
  for (unsigned n = 0; n < 100; ++n) {
    const std::wstring name = stem + std::to_wstring(::GetTickCount() + n) + L".tmp";
    HANDLE h = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) return h;
  }
  return INVALID_HANDLE_VALUE;
}

// Starts the thread that copies src (or runs work) into a new temporary file; null when
// it cannot (the reason in the thread's last error). The thread holds the spool too.
std::shared_ptr<Spool> StartSpool(HANDLE src, bool pipe, SpoolWork work = {}) {
  auto spool = std::make_shared<Spool>();
  spool->src = src;
  spool->pipe = pipe;
  spool->work = std::move(work);
  spool->bound = SpoolBound();
  spool->tmp = TemporaryFile(spool->folder);
  if (spool->tmp != INVALID_HANDLE_VALUE) {
    try {
      std::thread([spool] { spool->Run(); }).detach();
      return spool;
    } catch (const std::system_error&) {
      ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
  }
  const DWORD err = ::GetLastError();
  spool->src = nullptr;  // the caller keeps it
  spool.reset();
  ::SetLastError(err);
  return nullptr;
}

// A handle of the viewer's own on a spool's file: every read names its offset.
FileHandle HandleOf(const std::shared_ptr<Spool>& spool) {
  HANDLE own = nullptr;
  const HANDLE self = ::GetCurrentProcess();
  if (!::DuplicateHandle(self, spool->tmp, self, &own, 0, FALSE, DUPLICATE_SAME_ACCESS)) return kInvalidFile;
  const FileHandle file = reinterpret_cast<FileHandle>(own);
  Handles()[file] = spool;
  return file;
}

// The command line split as the program splits it: blanks and commas separate words; a
// word that starts with a quote runs to the matching quote before a separator (a doubled
// quote standing for one).
struct Word {
  size_t begin, end;
  std::string text;
};
std::vector<Word> SplitWords(const std::string& s) {
  auto separator = [](char c) { return c == ' ' || c == ','; };
  std::vector<Word> words;
  size_t i = 0;
  const size_t n = s.size();
  while (true) {
    while (i < n && separator(s[i])) ++i;
    if (i >= n) return words;
    Word w{i, n, std::string()};
    const char q = s[i];
    if (q == '"' || q == '\'') {
      for (size_t j = i + 1;;) {
        const size_t k = s.find(q, j);
        if (k == std::string::npos || k + 1 >= n) {
          w.text += s.substr(j, k == std::string::npos ? std::string::npos : k - j);
          break;
        }
        w.text += s.substr(j, k - j);
        if (separator(s[k + 1])) {
          w.end = k + 1;
          break;
        }
        w.text += q;
        j = s[k + 1] == q ? k + 2 : k + 1;
      }
    } else {
      size_t k = i;
      while (k < n && !separator(s[k])) ++k;
      w.end = k;
      w.text = s.substr(i, k - i);
    }
    i = w.end;
    words.push_back(std::move(w));
  }
}

// Takes standard input over for viewing when it is a pipe or a file; false when it is
// a console or missing.
bool TakeStandardInput() {
  Input& in = TheInput();
  if (in.taken) return true;
  HANDLE h = ::GetStdHandle(STD_INPUT_HANDLE);
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return false;
  const DWORD type = ::GetFileType(h);
  if (type != FILE_TYPE_PIPE && type != FILE_TYPE_DISK) return false;
  HANDLE own = nullptr;
  const HANDLE self = ::GetCurrentProcess();
  if (!::DuplicateHandle(self, h, self, &own, 0, FALSE, DUPLICATE_SAME_ACCESS)) return false;
  in.handle = own;
  in.pipe = type == FILE_TYPE_PIPE;
  in.taken = true;
  ::GetSystemTimeAsFileTime(&in.takenAt);
  return true;
}

}  // namespace

std::string ArgumentsWithStandardInput(const std::string& arguments, bool implicit, bool inputFree,
                                       std::string& problem) {
  problem.clear();
  const std::vector<Word> words = SplitWords(arguments);
  std::vector<const Word*> dashes;
  bool namesFile = false, filesOnly = false;
  for (const Word& w : words) {
    if (!filesOnly && w.text == "-") dashes.push_back(&w);
    else if (!filesOnly && w.text == "--") filesOnly = true;
    else if (filesOnly || w.text.empty() || w.text[0] != '/') namesFile = true;
  }
  if (dashes.empty() && (!implicit || namesFile || !inputFree)) return arguments;
  if (!inputFree) {
    problem = "\"-\" views standard input, which holds the script here (--script -)";
    return arguments;
  }
  if (!TakeStandardInput()) {
    if (!dashes.empty()) problem = "standard input is not a pipe or a file; pipe into it (command | tembra)";
    return arguments;
  }
  if (dashes.empty()) return arguments + (arguments.empty() ? "" : " ") + kStandardInputName;
  std::string out = arguments;
  for (auto it = dashes.rbegin(); it != dashes.rend(); ++it)
    out.replace((*it)->begin, (*it)->end - (*it)->begin, kStandardInputName);
  return out;
}

bool NamesStandardInput(const std::wstring& path) {
  static const std::wstring name = WideName(kStandardInputName);
  return TheInput().taken && _wcsicmp(LastPart(path).c_str(), name.c_str()) == 0;
}

void StandardInputFindData(FindData& data) {
  const Input& in = TheInput();
  data = FindData();
  data.dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
  data.ftCreationTime = data.ftLastAccessTime = data.ftLastWriteTime = Ticks(in.takenAt);
  data.cFileName = kStandardInputName;
}

bool ListingShowsStandardInput(const std::wstring& pattern) {
  const Input& in = TheInput();
  if (!in.taken || in.home.empty()) return false;
  const std::wstring last = LastPart(pattern);
  return (last == L"*" || last == L"*.*") && _wcsicmp(FullFolder(pattern).c_str(), in.home.c_str()) == 0;
}

bool IsStreamHandle(FileHandle file) { return Handles().count(file) != 0; }
void ForgetStreamHandle(FileHandle file) {
  auto it = Handles().find(file);
  if (it == Handles().end()) return;
  const std::shared_ptr<Spool> spool = it->second;
  Handles().erase(it);
  // The last handle of a spool made by a work stops it; its thread lets it go.
  const bool held = std::any_of(Handles().begin(), Handles().end(), [&](const auto& h) { return h.second == spool; });
  if (!held && spool->work) spool->dropped.store(true, std::memory_order_relaxed);
}

FileSystem::StreamKindOf Win32FileSystem::StreamKind(const std::string& path) {
  const std::wstring wide = WideName(path);
  if (!NamesStandardInput(wide)) return kNoStream;
  // The first input file that names it places its entry in that folder's listing.
  Input& in = TheInput();
  if (in.home.empty()) in.home = FullFolder(wide);
  return kStandardInput;
}

FileHandle Win32FileSystem::OpenStream(const std::string& path) {
  if (!NamesStandardInput(WideName(path))) return kInvalidFile;
  Input& in = TheInput();
  if (!in.spool) {
    in.spool = StartSpool(in.handle, in.pipe);
    if (!in.spool) return kInvalidFile;
    in.handle = nullptr;  // the spool's thread reads and closes it
  }
  return HandleOf(in.spool);
}

FileHandle Win32FileSystem::OpenSpool(SpoolWork work) {
  const std::shared_ptr<Spool> spool = StartSpool(nullptr, false, std::move(work));
  return spool ? HandleOf(spool) : kInvalidFile;
}

FileHandle Win32FileSystem::OpenDecompressed(const std::string& path) {
  HANDLE src = ::CreateFileW(WideName(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (src == INVALID_HANDLE_VALUE) return kInvalidFile;
  // The spool owns the source handle (it closes it); the work reads it from its start.
  const std::shared_ptr<Spool> spool = StartSpool(src, false, [src](const ByteSink& put) {
    DWORD err = 0;
    const archive::ReadFn read = [&](char* buffer, long n) -> long {
      DWORD got = 0;
      if (::ReadFile(src, buffer, static_cast<DWORD>(n), &got, nullptr)) return static_cast<long>(got);
      err = ::GetLastError();
      return err == ERROR_HANDLE_EOF ? 0 : -1;
    };
    char head[archive::kMagicBytes];
    const long got = read(head, sizeof head);
    const archive::Compression c = archive::DetectCompression(std::string_view(head, got > 0 ? static_cast<size_t>(got) : 0));
    LARGE_INTEGER start{};
    ::SetFilePointerEx(src, start, nullptr, FILE_BEGIN);
    DataFault f = archive::DecompressStream(c, read, put);
    if (f.kind == DataFault::kReadError) f.text += ": " + SystemErrorText(static_cast<int>(err));
    return f;
  });
  if (!spool) {
    ::CloseHandle(src);
    return kInvalidFile;
  }
  return HandleOf(spool);
}

FileSystem::StreamState Win32FileSystem::StreamStateOf(FileHandle file) {
  auto it = Handles().find(file);
  return it == Handles().end() ? StreamState() : SpoolState(*it->second);
}

}  // namespace tembra::win32
