// The POSIX file system, process and clock services shared by the headless and the
// terminal front-ends.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/paths.h"
#include "platform/posix/unique_fd.h"
#include "platform/spool_limits.h"

namespace tembra::posix {

// Error numbers of our own for whole-file reads and writes, beyond the range of errno.
constexpr int kErrNotRegularFile = 100005;  // a link, FIFO or device where a file is needed
constexpr int kErrTooLarge = 100006;        // larger than a whole-file read takes
constexpr int kErrNoDrive = 100003;         // the path's drive is not mapped
constexpr int kErrEscapedSlash = 100007;    // an escape in a name stands for "/"
constexpr int kErrEscapedNul = 100008;      // an escape in a name stands for NUL

class PosixFileSystem : public FileSystem {
 public:
  // Constructors and destructor live beside the directory enumeration, which owns FindState.
  PosixFileSystem();
  explicit PosixFileSystem(DriveMap drives);
  ~PosixFileSystem() override;

  FindHandle FindFirstFile(const std::string& pattern, FindData& data) override;
  void SetUtf8Names(bool on) override;
  std::string ShownUtf8Name(const std::string& utf8) override;
  bool FindNextFile(FindHandle handle, FindData& data) override;
  void FindClose(FindHandle handle) override;
  uint64_t FileTimeToLocalFileTime(uint64_t utc) override;
  DateTime FileTimeToSystemTime(uint64_t ft) override;

  FileHandle OpenRead(const std::string& path) override;
  long ReadAt(FileHandle file, int64_t pos, char* buffer, long n) override;
  int64_t FileLength(FileHandle file) override;
  void CloseFile(FileHandle file) override;
  bool StillAtPath(FileHandle file, const std::string& path) override;
  StreamKindOf StreamKind(const std::string& path) override;
  FileHandle OpenStream(const std::string& path) override;
  StreamState StreamStateOf(FileHandle file) override;
  FileHandle OpenSpool(SpoolWork work) override;
  FileHandle OpenDecompressed(const std::string& path) override;
  ExtractResult ExtractMember(const std::string& folder, const ExtractItem& item, bool replace) override;

  bool ReadWholeFile(const std::string& path, std::string& contents) override;
  bool WriteWholeFile(const std::string& path, const std::string& contents) override;
  bool AppendToFile(const std::string& path, const std::string& text) override;
  int LastFileError() override { return lastError_; }

  int CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  int RenameFile(const std::string& from, const std::string& to) override;
  bool SameFileSystem(const std::string& from, const std::string& to) override;
  int MoveByRename(const std::string& from, const std::string& to, bool replace) override;
  int DeleteFile(const std::string& path) override;
  int RecycleFile(const std::string& path, bool confirm) override;
  int TouchFile(const std::string& path) override;
  std::string ErrorText(int error) override;

  int Exists(const std::string& path) override;
  int ExistsExactly(const std::string& path) override;
  std::string CurrentDirectory() override;
  std::string CurrentDirectoryProblem() override { return drives_.StartProblem(); }
  std::string CurrentDirectoryOfDrive(char drive) override;
  bool ChangeDirectory(const std::string& path) override;
  bool ChangeDrive(char drive) override;
  bool SameContents(const std::string& a, const std::string& b) override;
  bool KeepsCaseTwins() override { return true; }
  std::string WinPathOfHost(const std::string& hostPath) override;
  std::string ShownHostPath(const std::string& winPath, const std::string& home) override {
    return drives_.ShownHostPath(winPath, home);
  }
  std::string LinkTarget(const std::string& path) override;
  bool ModeAndOwner(const std::string& path, std::string& mode, std::string& owner) override;
  bool SameFile(const std::string& a, const std::string& b) override;
  int FolderError(const std::string& path) override;
  std::string HostPathOfWin(const std::string& winPath) override { return drives_.HostPath(winPath); }
  std::string UserConfigFolder() override;
  ConfigFileRead ReadConfigFile(const std::string& path, bool needsTrust, std::string& contents,
                                std::string& why) override;

  char HostSeparator() override { return '/'; }
  EntryStatus Inspect(const std::string& host, bool followLink = false) override;
  int ListFolder(const std::string& host, std::vector<FolderEntry>& entries) override;
  int MakeFolder(const std::string& host) override;
  int CopyRegular(const std::string& from, const std::string& to, bool replace) override;
  int CopyLink(const std::string& from, const std::string& to, bool replace) override;
  int KeepAttributes(const std::string& from, const std::string& to) override;
  bool Inside(const std::string& folder, const std::string& path) override;
  int CompareContents(const std::string& a, const std::string& b) override;
  int RenameEntry(const std::string& from, const std::string& to, bool replace) override;
  int RemoveEmptyFolder(const std::string& host) override;
  int RecycleEntry(const std::string& host) override;
  std::vector<TrashItem> TakeTrashed() override;
  std::vector<TrashItem> TrashContents() override;
  int RestoreTrashItem(const TrashItem& item, const std::string& to) override;
  int FlushWrites(const std::vector<std::string>& written) override;
  FileErrorKind ErrorKind(int error) override;

  DriveMap& drives() { return drives_; }
  // Asks the user to confirm a deletion to the recycle bin (set by the front-end).
  Dialogs* confirmDialogs = nullptr;

 private:
  struct FindState;
  // A spool whose thread runs work (src, where given, is closed with the spool).
  FileHandle StartWork(int src, SpoolWork work);
  DriveMap drives_;
  std::map<FindHandle, std::unique_ptr<FindState>> finds_;
  FindHandle nextFind_ = 1;
  int lastError_ = 0;
  std::vector<TrashItem> trashed_;  // what went to the Trash since TakeTrashed
  std::map<unsigned, std::string> owners_;  // user names by id, as they were looked up
  // The local offset of the last second converted: the entries of a folder mostly share
  // their seconds, and one localtime_r per second is enough.
  int64_t offsetSecond_ = INT64_MIN;
  int64_t offsetSeconds_ = 0;
  bool offsetKnown_ = false;
};

// The standard input the program was started with, kept open at descriptor fd (the
// terminal then takes descriptor 0): "/dev/fd/<fd>" names it, and it is read as a source
// of unknown size in every profile.
void SetStandardInput(int fd);

class PosixProcesses : public Processes {
 public:
  // argv as given to main(); the command line is the arguments joined as typed.
  PosixProcesses(int argc, char** argv, DriveMap* drives);
  std::string CommandLine() override;
  std::string GetEnv(const std::string& name) override;
  std::string AppPath() override;
  std::string AppExeName() override;
  long Run(const std::string& commandLine, bool wait) override;
  long RunConfigured(const std::string& commandLine, bool wait, bool allowLocal) override;
  std::string FindExecutable(const std::string& file) override;
  std::string WhyNotStarted(const std::string& commandLine) override;
  std::string MissingOpener() override;
  void CharUpperBuffW(std::u16string& text) override;
  void CharUpperBuffA(std::string& text) override;
  [[noreturn]] void EndProcess(ExitKind kind) override;

  void SetCommandLine(const std::string& cmd) { commandLine_ = cmd; }
  // Called before a started program takes over the terminal and after it ends.
  void (*beforeRun)(void*) = nullptr;
  void (*afterRun)(void*) = nullptr;
  void* runContext = nullptr;

 private:
  std::string commandLine_;
  std::string exePath_;  // host path of the executable
  DriveMap* drives_;
};

// How a Windows-style command line is started here: an argument vector (never a
// shell string), or the time-stamp refresh of "Copy file +".
struct LaunchPlan {
  std::vector<std::string> argv;  // host bytes
  std::string workDir;            // host folder to start in; empty = the current one
  bool needsTerminal = false;     // an editor or an interactive interpreter
  bool touchFile = false;
  std::string touchPath;          // Windows path of the file to refresh
  bool refused = false;           // a configured program named relative to the current folder
};
// allowLocal: a program may be a file of the current folder or a path relative to it
// (false for a program named by the configuration: only a full path or a PATH name).
LaunchPlan PlanLaunch(const std::string& commandLine, DriveMap* drives, const std::string& comspec,
                      bool allowLocal = true);
// Words of a command line: blanks separate, double quotes group and are removed.
std::vector<std::string> SplitCommandLine(const std::string& line);
// Starts the plan's argument vector; waits when asked. Returns the process id, 0 on failure.
long StartArgv(const LaunchPlan& plan, bool wait, bool quietStdio);
// Full path of an executable on the PATH, or "".
std::string FindOnPath(const std::string& name);
// The same for a shown name, looking only in the PATH's absolute folders (an empty or
// relative entry, which stands for the current folder, is passed over) and taking the
// stored name that differs in letter case alone when it is the only one.
std::string FindOnAbsolutePath(const std::string& shownName);

// Reads a regular file of at most 16 MiB whole through one descriptor, whose status is
// left in st. Returns 0, or an error number for ErrorText.
int ReadHostFile(const std::string& host, std::string& contents, struct stat& st);

// Joins program arguments into one command line, quoting words that hold blanks.
std::string JoinArguments(const std::vector<std::string>& args);

class PosixClock : public Clock {
 public:
  DateTime LocalNow() override;
  DateTime UtcNow() override;
  double SecondsSinceMidnight() override;
};

}  // namespace tembra::posix
