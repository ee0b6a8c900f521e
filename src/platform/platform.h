// The operations the lister needs from its host: a window with a character grid,
// dialogs, the event pump, the clipboard, the file system, processes and the clock.
// The core includes only this header; each front-end supplies implementations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/keycodes.h"

namespace tembra {

// Message-box buttons and answers (the answer codes are those the program stores).
enum class MsgButtons { OK, OKCancel, YesNo };
enum MsgAnswer : int { kAnswerOK = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

// How the process ended: normal end, fatal error, immediate stop, window closed, a
// command line it cannot use (status 2; a fatal error and a file not there: 1).
enum class ExitKind { Normal, Fatal, Immediate, Unload, Usage };

constexpr int ExitStatusOf(ExitKind kind) {
  return kind == ExitKind::Usage ? 2 : kind == ExitKind::Fatal ? 1 : 0;
}

// A broken-down local or UTC time.
struct DateTime {
  int year = 1601, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// ---------------------------------------------------------------- window and drawing
// One screen cell of decoded text: a character, a combining mark drawn with it, and its
// place in a wide character (width 2: the first of its two cells, 0: the second).
struct TextCell {
  char32_t ch = U' ';
  char32_t mark = 0;  // 0: none
  uint8_t width = 1;
};

// The cells of UTF-8 text (a byte outside a valid sequence is its Windows-1252 character).
std::vector<TextCell> Utf8TextCells(std::string_view text);

// All lengths are twips. Colours are 0x00BBGGRR.
class Window {
 public:
  virtual ~Window() = default;
  virtual long ScreenWidth() const = 0;
  virtual long ScreenHeight() const = 0;
  virtual double TwipsPerPixelX() const = 0;
  virtual double TwipsPerPixelY() const = 0;
  virtual long OuterWidth() const = 0;
  virtual long OuterHeight() const = 0;
  virtual long ClientWidth() const = 0;
  virtual long ClientHeight() const = 0;
  virtual void SetOuterWidth(long w) = 0;
  virtual void SetOuterHeight(long h) = 0;
  virtual void SetLeft(long x) = 0;
  virtual void SetTop(long y) = 0;
  virtual void SetCaption(const std::string& text) = 0;  // Windows-1252
  virtual void SetBackColor(uint32_t color) = 0;
  virtual void BringToFront() = 0;
  // Font of the following prints and measurements.
  virtual void SetFontName(const std::string& face) = 0;
  virtual void SetFontSize(double points) = 0;
  virtual double FontSize() const = 0;
  virtual void SetBold(bool on) = 0;
  virtual void SetUnderline(bool on) = 0;
  virtual void SetItalic(bool on) = 0;
  // Drawn width of a Windows-1252 text in the current font, in twips.
  virtual double TextWidth(const std::string& text) = 0;
  // Fill a rectangle, borders included.
  virtual void FillRect(long x1, long y1, long x2, long y2, uint32_t color) = 0;
  virtual void SetForeColor(uint32_t color) = 0;
  // Print a Windows-1252 text at the pen position (x, y) in the lettering colour.
  virtual void PrintAt(long x, long y, const std::string& text) = 0;
  // Print decoded cells at (x, y), one cell each. A window without its own way shows
  // them as Windows-1252 ("?" for what that set lacks, a wide character as "??").
  virtual void PrintCellsAt(long x, long y, const std::vector<TextCell>& cells);
};

// ---------------------------------------------------------------- dialogs
// A switch an input box offers beside its answer: Ctrl with the letter `key` turns it,
// and the box shows the label of the state in force. `next` chains a further switch (a
// box that shows one switch only shows the first).
struct InputOption {
  char key = 0;  // an upper-case letter
  std::string labelOn, labelOff;
  bool on = false;
  InputOption* next = nullptr;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Modal message box. An empty caption means the program's default caption.
  virtual int MsgBox(const std::string& text, const std::string& caption, MsgButtons buttons) = 0;
  // Modal input box; returns false when cancelled (answer is then empty).
  virtual bool InputBox(const std::string& prompt, const std::string& caption,
                        const std::string& defaultText, std::string& answer) = 0;
  // The same with a switch the user may turn (a box that cannot show one leaves it).
  virtual bool InputBoxWithOption(const std::string& prompt, const std::string& caption,
                                  const std::string& defaultText, std::string& answer, InputOption& /*option*/) {
    return InputBox(prompt, caption, defaultText, answer);
  }
  virtual void Beep() = 0;
  // Key events typed before a box opens that the program held back (a long scan ran):
  // a box that reads keys takes them first, in order. False: they stay with the program.
  struct TypedKey {
    enum Kind { Down, Char, Up } kind;
    int code;
    int shift;
  };
  virtual bool TypeAhead(const std::vector<TypedKey>& /*keys*/) { return false; }
};

// ---------------------------------------------------------------- events
class Events {
 public:
  virtual ~Events() = default;
  // Let waiting window events run once.
  virtual void DoEvents() = 0;
  virtual void Sleep(int milliseconds) = 0;
};

// For the front-ends: adds one to a counter while it lives, when asked to (input held
// back while a key-down whose character is still to come runs).
class CountWhile {
 public:
  CountWhile(int& counter, bool on) : counter_(counter), on_(on) {
    if (on_) ++counter_;
  }
  ~CountWhile() {
    if (on_) --counter_;
  }
  CountWhile(const CountWhile&) = delete;
  CountWhile& operator=(const CountWhile&) = delete;

 private:
  int& counter_;
  bool on_;
};

// ---------------------------------------------------------------- clipboard
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual void Clear() = 0;
  virtual void SetText(const std::string& text) = 0;  // Windows-1252
};

// ---------------------------------------------------------------- file system
// File times are Windows FILETIME values: 100-ns ticks since 1601-01-01 UTC.
constexpr uint32_t kAttrReadOnly = 0x01, kAttrHidden = 0x02, kAttrSystem = 0x04,
                   kAttrDirectory = 0x10, kAttrArchive = 0x20, kAttrNormal = 0x80;

struct FindData {  // the ANSI find-data record
  uint32_t dwFileAttributes = 0;
  uint64_t ftCreationTime = 0, ftLastAccessTime = 0, ftLastWriteTime = 0;
  uint32_t nFileSizeHigh = 0, nFileSizeLow = 0;
  std::string cFileName;           // Windows-1252 (a POSIX name with escapes may be longer than 259)
  std::string cAlternateFileName;  // 8.3 short name; empty where there is none
  // A symbolic link, listed as what it points to: 1 a link, 2 a link whose target is
  // missing or cannot be reached (a loop); 0 not a link.
  uint8_t nLinkKind = 0;
};

// Why the making of bytes from other bytes (a compressed file decoded, an archive member
// read) stopped before their end: what, in words, and where in the compressed file or the
// archive it was found.
struct DataFault {
  enum Kind { kNone, kReadError, kDamaged, kTruncated, kUnsupported, kTooLarge, kCancelled };
  Kind kind = kNone;
  int64_t at = -1;   // 0-based offset in the compressed file or archive; -1 where none applies
  std::string text;  // "damaged gzip data at offset 1234: invalid block type"
  explicit operator bool() const { return kind != kNone; }
};

// Where made bytes go, a piece at a time: false when the taker wants no more (then the
// maker stops with kCancelled).
using ByteSink = std::function<bool(const char* data, size_t n)>;
// Work that makes bytes into a sink, on a thread of the host's: its fault, or none.
using SpoolWork = std::function<DataFault(const ByteSink& put)>;

// How the extraction of one archive member into a folder went.
struct ExtractResult {
  enum Kind {
    kDone,
    kExists,      // something of that name is there and replace was not asked: nothing written
    kUnsafeName,  // the member's name leaves the folder (absolute, "..", a drive, a device)
    kThroughLink, // a folder on the way is a symbolic link (in the folder or made by the archive)
    kFault,       // the member's data could not be made (fault says why)
    kError,       // the host refused (error: a number for ErrorText)
    kUnsupported, // this kind of member is not extracted here (a device, a hard link, ...)
  };
  Kind kind = kDone;
  int error = 0;
  DataFault fault;
  // The result of writing a member's bytes: a write error, else the data's fault, else done.
  static ExtractResult Written(int writeError, const DataFault& fault) {
    ExtractResult r;
    r.kind = writeError != 0 ? kError : fault ? kFault : kDone;
    r.error = writeError;
    if (writeError == 0) r.fault = fault;
    return r;
  }
};

// One member to extract: its name as stored in the archive, its kind and what it holds.
struct ExtractItem {
  enum Type { kFile, kFolder, kSymlink };
  std::string name;        // "/" or "\" between folders; must stay inside the folder
  Type type = kFile;
  std::string linkTarget;  // kSymlink: where it points, stored as it is
  int64_t mtime = -1;      // seconds since 1970 UTC; -1: now
  SpoolWork data;          // kFile: writes the member's bytes
};

using FindHandle = intptr_t;
constexpr FindHandle kInvalidFind = -1;
using FileHandle = intptr_t;
constexpr FileHandle kInvalidFile = -1;

// ---------------------------------------------------------------- entries by host path
// What a directory entry is, looked at without following a symbolic link.
enum class EntryKind : uint8_t { kNone, kFile, kFolder, kLink, kFifo, kDevice, kSocket };

struct EntryStatus {
  EntryKind kind = EntryKind::kNone;
  int error = 0;               // kNone: why it could not be looked at (missing, no access)
  int64_t size = 0;            // bytes of a file
  uint64_t writeTime = 0;      // last-write time, FILETIME ticks
  uint64_t volume = 0, id = 0;  // the file system and the entry in it: equal pairs, one entry
                                // (0 where the host does not tell, as in a Windows listing)
  bool SameEntry(const EntryStatus& o) const {
    return kind != EntryKind::kNone && o.kind != EntryKind::kNone && id != 0 && volume == o.volume && id == o.id;
  }
};

// One entry of a folder: its exact name (host bytes) and status.
struct FolderEntry {
  std::string name;
  EntryStatus status;
};

// An entry in the Trash (the freedesktop.org Trash; the Recycle Bin on Windows). Paths
// are host paths.
struct TrashItem {
  std::string name;      // the entry's name where it was
  std::string original;  // where it was: the place it is restored to
  std::string deleted;   // when it was deleted, local time "2026-03-04T10:15:30"
  std::string where;     // the entry itself in the Trash
  std::string info;      // the file that describes it (.trashinfo, $I)
  bool folder = false;
};

// The classes of a failed file-system call that a message tells apart.
enum class FileErrorKind { kOther, kFull, kMissing, kDenied, kBadName, kExists };

// Error numbers of every host: the user refused a deletion to the Trash, an entry of the
// name exists, a rename would cross file systems, a copy differs from its source, the
// caller cancelled, two names of one entry.
constexpr int kRecycleRefused = -2;
constexpr int kErrExists = -3, kErrOtherVolume = -4, kErrDiffers = -5, kErrCancelled = -6, kErrSameEntry = -7;

// The text of those numbers ("" for any other), for the hosts' ErrorText.
inline std::string CommonErrorText(int error) {
  switch (error) {
    case kRecycleRefused: return "The deletion was cancelled.";
    case kErrExists: return "An entry of that name exists there.";
    case kErrOtherVolume: return "It lies on another file system.";
    case kErrDiffers: return "The copy does not have the bytes of the original.";
    case kErrCancelled: return "Cancelled.";
    case kErrSameEntry: return "Both names are one and the same entry.";
    default: return std::string();
  }
}

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Directory enumeration; the pattern is a Windows path ending in a name pattern.
  virtual FindHandle FindFirstFile(const std::string& pattern, FindData& data) = 0;
  // The character set of the names this file system gives and takes: UTF-8 or
  // Windows-1252 (the current folders keep their place when it changes).
  virtual void SetUtf8Names(bool) {}
  // A name given in UTF-8 (a member name stored in an archive) as this file system shows
  // the names it gives in the current character set; "/" and "\" stay as they are.
  virtual std::string ShownUtf8Name(const std::string& utf8) { return utf8; }
  virtual bool FindNextFile(FindHandle handle, FindData& data) = 0;
  virtual void FindClose(FindHandle handle) = 0;
  virtual uint64_t FileTimeToLocalFileTime(uint64_t utc) = 0;
  virtual DateTime FileTimeToSystemTime(uint64_t ft) = 0;

  // Raw read-only access, shared with writers; positions are 1-based.
  virtual FileHandle OpenRead(const std::string& path) = 0;
  // Reads up to n bytes at 1-based position pos; returns bytes read (0 at the end, -1 on error).
  virtual long ReadAt(FileHandle file, int64_t pos, char* buffer, long n) = 0;
  virtual int64_t FileLength(FileHandle file) = 0;  // -1 on error
  virtual void CloseFile(FileHandle file) = 0;
  // False when the path names another file than the open one (it was replaced, as log
  // rotation does); true when it names the open file, names nothing or the host cannot tell.
  virtual bool StillAtPath(FileHandle, const std::string&) { return true; }

  // Sources of unknown size: a pipe, a FIFO, a device, a zero-length /proc or /sys file.
  // The kind at a path: kNoStream (a file of known size, or nothing), kStream, or
  // kStandardInput (what was piped into the program, which it always may read).
  enum StreamKindOf { kNoStream = 0, kStream = 1, kStandardInput = 2 };
  virtual StreamKindOf StreamKind(const std::string&) { return kNoStream; }
  // Opens such a source: it is read on to its end into a temporary file that vanishes
  // with the process, and the handle reads that file, which grows as the source delivers.
  // kInvalidFile where the host cannot (errno-style reason in LastFileError).
  virtual FileHandle OpenStream(const std::string&) { return kInvalidFile; }
  // How the reading of a source opened that way stands.
  enum class StreamStop { kEnd, kBound, kFull, kReadError, kWriteError };
  struct StreamState {
    bool stream = false;   // the handle reads a source opened with OpenStream
    bool running = false;  // more may still arrive
    StreamStop stop = StreamStop::kEnd;  // once not running: why it stopped
    int64_t bound = 0;     // the most bytes such a source is read to
    std::string error;     // the host's text for a read or write error
    DataFault fault;       // a spool's work stopped with this fault (stop is kReadError)
  };
  virtual StreamState StreamStateOf(FileHandle) { return StreamState(); }
  // A source made by `work` on a thread of the host's into a temporary file that vanishes
  // with the process (as OpenStream), read as it grows; the reading stops at the bound or
  // a full disk (the work is then told no more), or at the work's own fault, which
  // StreamStateOf gives (stop kReadError, its text as error). kInvalidFile where the host
  // cannot (reason in LastFileError).
  virtual FileHandle OpenSpool(SpoolWork) { return kInvalidFile; }
  // A compressed file (gzip, xz, zstd, bzip2: known by its first bytes) decoded into such a
  // spool. A file of another kind, or one this build cannot decode, opens all the same and
  // stops at once with the fault (kUnsupported) that says so.
  virtual FileHandle OpenDecompressed(const std::string&) { return kInvalidFile; }
  // Writes one archive member into `folder` (Windows form, must exist): never outside it,
  // never through a symbolic link on the way, and never leaving part of a file behind.
  virtual ExtractResult ExtractMember(const std::string& /*folder*/, const ExtractItem&, bool /*replace*/) {
    ExtractResult r;
    r.kind = ExtractResult::kUnsupported;
    return r;
  }

  // Whole text files (bytes as stored). Write replaces; Append creates when missing.
  virtual bool ReadWholeFile(const std::string& path, std::string& contents) = 0;
  virtual bool WriteWholeFile(const std::string& path, const std::string& contents) = 0;
  virtual bool AppendToFile(const std::string& path, const std::string& text) = 0;
  // Error number (for ErrorText) of the last of these three calls that failed.
  virtual int LastFileError() { return 0; }

  // Told, while a copy runs, the bytes written so far and the file's size, after each
  // piece; false cancels the copy, which then leaves nothing at the destination.
  std::function<bool(int64_t done, int64_t total)> copyProgress;
  // Copy, rename, delete: 0 on success, else an error number for ErrorText.
  virtual int CopyFile(const std::string& from, const std::string& to, bool failIfExists) = 0;
  virtual int RenameFile(const std::string& from, const std::string& to) = 0;
  // True when the entry `from` and the folder that is to hold `to` lie on one file
  // system, so that moving the one to the other can be a rename.
  virtual bool SameFileSystem(const std::string& /*from*/, const std::string& /*to*/) { return false; }
  // A move by renaming (a file or a folder); an existing file `to` is replaced only when
  // asked. 0 on success, else an error number for ErrorText.
  virtual int MoveByRename(const std::string& from, const std::string& to, bool /*replace*/) {
    return RenameFile(from, to);
  }
  virtual int DeleteFile(const std::string& path) = 0;
  // Move to the recycle bin; with confirm the platform asks first (kAnswerNo-style
  // refusal returns kRecycleRefused).
  virtual int RecycleFile(const std::string& path, bool confirm) = 0;
  // Set the last-write time of a file to now.
  virtual int TouchFile(const std::string& path) = 0;
  virtual std::string ErrorText(int error) = 0;

  // 0 = existing file, 1 = existing directory (or bare drive), -1 = nothing.
  virtual int Exists(const std::string& path) = 0;
  // As Exists, but the last component must be the exact name (never another entry
  // that differs only in letter case): the check after a command that used that name.
  virtual int ExistsExactly(const std::string& path) { return Exists(path); }
  // Why the process's current directory at start cannot be used; "" when it can.
  virtual std::string CurrentDirectoryProblem() { return std::string(); }
  // Current directory of the current drive / of one drive, in Windows form ("C:\dir").
  virtual std::string CurrentDirectory() = 0;
  virtual std::string CurrentDirectoryOfDrive(char drive) = 0;
  // Change the current directory (and drive, when the path names one).
  virtual bool ChangeDirectory(const std::string& path) = 0;
  virtual bool ChangeDrive(char drive) = 0;
  // True when a and b are two different files with the same bytes (a move checks its
  // copy with it before it deletes the source).
  virtual bool SameContents(const std::string& a, const std::string& b) {
    std::string x, y;
    return ReadWholeFile(a, x) && ReadWholeFile(b, y) && x == y;
  }
  // True where two names that differ only in letter case can name two different files.
  virtual bool KeepsCaseTwins() { return false; }
  // Where the symbolic link at a path points, as stored in the link; "" for none.
  virtual std::string LinkTarget(const std::string&) { return std::string(); }
  // The entry's mode as ls -l writes it ("drwxr-xr-x") and its owner's name (a link
  // itself, not followed); false where the host has no such thing or the entry is gone.
  virtual bool ModeAndOwner(const std::string&, std::string&, std::string&) { return false; }
  // Why a folder cannot be read (an error number for ErrorText); 0 when it can.
  virtual int FolderError(const std::string&) { return 0; }
  // The host's form of a Windows path ("/home/me"); the path itself where there is none.
  virtual std::string HostPathOfWin(const std::string& winPath) { return winPath; }
  // True when two paths name the very same file (a copy of it onto itself).
  virtual bool SameFile(const std::string&, const std::string&) { return false; }
  // Windows form of a path written the host's way ("/home/me/x"); "" when it has none.
  virtual std::string WinPathOfHost(const std::string& hostPath) { return hostPath; }
  // A Windows path as the host writes it, for the screen ("/usr/doc/", "~/src" under home);
  // the path itself where the host writes Windows paths.
  virtual std::string ShownHostPath(const std::string& winPath, const std::string&) { return winPath; }
  // The user's own configuration folder in Windows form, ending in "\"; "" when there is none.
  virtual std::string UserConfigFolder() { return std::string(); }
  // Reads a configuration file whole with the checks of this host: a file that another
  // user could have written is refused (kUnsafe), and with needsTrust a file the user has
  // not trusted with exactly these contents is refused too (kUntrusted). why says what is
  // wrong with an unsafe file ("is writable by its group"). kUnreadable sets LastFileError.
  enum class ConfigFileRead { kRead, kUnreadable, kUnsafe, kUntrusted };
  virtual ConfigFileRead ReadConfigFile(const std::string& path, bool needsTrust, std::string& contents,
                                        std::string& why) {
    (void)needsTrust;
    why.clear();
    return ReadWholeFile(path, contents) ? ConfigFileRead::kRead : ConfigFileRead::kUnreadable;
  }

  // ---- Work on many entries. Paths are host paths (HostPathOfWin gives one; a name is
  // joined to its folder with HostSeparator), so that the walk through a tree resolves
  // each name once; names are exact bytes. Calls return 0 or an error number for ErrorText.
  virtual char HostSeparator() { return '\\'; }
  // What is at a path; with followLink, what a symbolic link there points to.
  virtual EntryStatus Inspect(const std::string& host, bool followLink = false) = 0;
  // The entries of a folder ("." and ".." left out), in the host's order.
  virtual int ListFolder(const std::string& host, std::vector<FolderEntry>& entries) = 0;
  // A new folder (kErrExists when the name is taken), open to its owner until
  // KeepAttributes gives it its source's.
  virtual int MakeFolder(const std::string& host) = 0;
  // Copies a regular file with its times and permission bits (and its owner where the
  // user may give it), through copyProgress; nothing takes the name `to` before the copy
  // is complete, so a cancelled or failed copy leaves nothing there. An entry at `to` is
  // replaced only with `replace` (kErrExists otherwise), and never a read-only file.
  virtual int CopyRegular(const std::string& from, const std::string& to, bool replace) = 0;
  // Copies a symbolic link as a link, with its times where the host keeps them.
  virtual int CopyLink(const std::string& from, const std::string& to, bool replace) = 0;
  // Gives `to` the times and permission bits (and owner, where the user may) of `from`:
  // for a folder, once its contents are written.
  virtual int KeepAttributes(const std::string& from, const std::string& to) = 0;
  // True when `path` is the folder `folder` or lies inside it, judged by the identity of
  // the entries (symbolic links on the way to `path` followed).
  virtual bool Inside(const std::string& folder, const std::string& path) = 0;
  // 0 when b has a's contents (the same bytes; for links the same target), kErrDiffers
  // when not, kErrSameEntry for one entry twice, else the error that stopped the
  // comparison. Reads a piece at a time.
  virtual int CompareContents(const std::string& a, const std::string& b) = 0;
  // Renames an entry within one file system (kErrOtherVolume across two); an entry at
  // `to` is replaced only with `replace` (never a folder).
  virtual int RenameEntry(const std::string& from, const std::string& to, bool replace) = 0;
  // Removes a folder that is empty (never anything inside one).
  virtual int RemoveEmptyFolder(const std::string& host) = 0;
  // Moves an entry to the Trash (as RecycleFile, without a question).
  virtual int RecycleEntry(const std::string& host) = 0;
  // What went to the Trash through RecycleFile and RecycleEntry since the last call: the
  // record that an undo of the last delete restores from.
  virtual std::vector<TrashItem> TakeTrashed() = 0;
  // Everything in every Trash the program may have used, and its restoration to `to`
  // (the original place, or another one the caller chose), making missing folders on the
  // way; an entry at `to` is never replaced (kErrExists).
  virtual std::vector<TrashItem> TrashContents() = 0;
  virtual int RestoreTrashItem(const TrashItem& item, const std::string& to) = 0;
  // Puts on disk what was written to these entries (before the originals whose copies
  // they are go away).
  virtual int FlushWrites(const std::vector<std::string>& written) = 0;
  // The class of an error number.
  virtual FileErrorKind ErrorKind(int error) = 0;
};

// An open file or a directory search of a FileSystem, closed when it goes out of scope:
// an early return, an exception or the end of the program inside the scope never
// leaves it open.
template <FileHandle kNone, void (FileSystem::*Close)(intptr_t)>
class ScopedHandle {
 public:
  ScopedHandle(FileSystem& files, intptr_t handle) : files_(files), handle_(handle) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() {
    if (handle_ != kNone) (files_.*Close)(handle_);
  }
  intptr_t get() const { return handle_; }
  // Hands the handle over: the caller closes it.
  intptr_t release() {
    const intptr_t h = handle_;
    handle_ = kNone;
    return h;
  }

 private:
  FileSystem& files_;
  intptr_t handle_;
};
using ScopedFile = ScopedHandle<kInvalidFile, &FileSystem::CloseFile>;
using ScopedFind = ScopedHandle<kInvalidFind, &FileSystem::FindClose>;

// ---------------------------------------------------------------- processes
class Processes {
 public:
  virtual ~Processes() = default;
  virtual std::string CommandLine() = 0;  // as typed, Windows-1252
  virtual std::string GetEnv(const std::string& name) = 0;
  virtual std::string AppPath() = 0;      // folder of the executable, Windows form, no final "\"
  virtual std::string AppExeName() = 0;   // name of the executable
  // Start a command line in a normal window; wait for it to end when asked.
  // Returns a process id (> 0), or 0 when it could not be started.
  virtual long Run(const std::string& commandLine, bool wait) = 0;
  // Start a program that the configuration named. Where the host would otherwise find a
  // program in the current folder, it looks only at full paths and the PATH unless
  // allowLocal; a program refused for that gives kRunRefused.
  virtual long RunConfigured(const std::string& commandLine, bool wait, bool allowLocal) {
    (void)allowLocal;
    return Run(commandLine, wait);
  }
  // The program associated with a file, or empty.
  virtual std::string FindExecutable(const std::string& file) = 0;
  // Why a command line that Run could not start did not start: the missing program and
  // how to name another; "" when there is nothing to say.
  virtual std::string WhyNotStarted(const std::string&) { return std::string(); }
  // What is missing when FindExecutable finds no program for any file, and how to set
  // one; "" when nothing is.
  virtual std::string MissingOpener() { return std::string(); }
  // Upper-case conversion of the platform for UTF-16 units and Windows-1252 bytes.
  virtual void CharUpperBuffW(std::u16string& text) = 0;
  virtual void CharUpperBuffA(std::string& text) = 0;
  // End the process at once. The headless and test front-ends unwind to their driver.
  [[noreturn]] virtual void EndProcess(ExitKind kind) = 0;
};

constexpr long kRunRefused = -1;

// ---------------------------------------------------------------- clock
class Clock {
 public:
  virtual ~Clock() = default;
  virtual DateTime LocalNow() = 0;
  virtual DateTime UtcNow() = 0;
  virtual double SecondsSinceMidnight() = 0;  // local time, with fractions
};

// ---------------------------------------------------------------- memory and threads
// A stretch of memory that any thread may back (BackMemory).
struct MemorySpan {
  void* at = nullptr;
  size_t bytes = 0;
};

// Backs a span with memory now, where the host can: a hint, nothing changes otherwise.
void BackMemory(MemorySpan span);

// Memory of a growable table: grows in place or is moved by the host without a copy where
// it can, so that the memory in use stays close to the table's own size.
class TableMemory {
 public:
  TableMemory() = default;
  TableMemory(const TableMemory&) = delete;
  TableMemory& operator=(const TableMemory&) = delete;
  ~TableMemory();
  // Makes room for `bytes` bytes, keeping the contents; throws std::bad_alloc.
  void Resize(size_t bytes);
  // Backs bytes [from, to) with memory now, in one call, where the host can (writing
  // into fresh pages one at a time costs a fault each); `expected`: how far the table is
  // expected to be filled, so that memory up to there may come in larger pages. A hint:
  // nothing changes otherwise.
  void Prepare(size_t from, size_t to, size_t expected);
  // The same, except that bytes [from, to) are not backed here but returned, for another
  // thread to back while this one writes; empty where the table may still move (its
  // address space was not reserved whole) or nothing is left to back.
  MemorySpan PrepareElsewhere(size_t from, size_t to, size_t expected);
  void* data() const { return data_; }

 private:
  void* data_ = nullptr;
  size_t bytes_ = 0;     // bytes usable
  size_t reserved_ = 0;  // address space held for the table (mapped tables)
  size_t hugeTo_ = 0;    // bytes below which huge pages were asked for
  bool mapped_ = false;
  // Asks for huge pages up to `expected` and gives the page-aligned part of [from, to)
  // within the usable bytes.
  MemorySpan Advise(size_t from, size_t to, size_t expected);
};

// Work beside the calling thread, where a second processor pays off (indexing a long rest
// of a file ahead). The thread takes no signals (they stay with the thread that handles
// them), and where the host can, the two threads keep to two processors while it runs.
class HelperThread {
 public:
  HelperThread();
  HelperThread(const HelperThread&) = delete;
  HelperThread& operator=(const HelperThread&) = delete;
  ~HelperThread();  // joins
  // Runs `work` on a second thread; false when none could be made (then nothing runs).
  bool Start(std::function<void()> work);
  // Waits for the work to end; the caller's processor set is given back.
  void Join();

 private:
  struct Host;
  std::unique_ptr<Host> host_;
};

// Whether a second processor is at hand for such work.
bool HelperThreadsPay();

// The set of platform services one window uses.
struct Platform {
  Window& window;
  Dialogs& dialogs;
  Events& events;
  Clipboard& clipboard;
  FileSystem& files;
  Processes& processes;
  Clock& clock;
};

}  // namespace tembra
