// The Win32 file system, process and clock services, shared by the desktop window
// (tembra.exe) and the Windows build of the headless driver. This header does not
// include <windows.h>, whose A/W macros would rename the interface's operations.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tembra::win32 {

class Win32FileSystem : public FileSystem {
 public:
  FindHandle FindFirstFile(const std::string& pattern, FindData& data) override;
  bool FindNextFile(FindHandle handle, FindData& data) override;
  void FindClose(FindHandle handle) override;
  uint64_t FileTimeToLocalFileTime(uint64_t utc) override;
  DateTime FileTimeToSystemTime(uint64_t ft) override;

  FileHandle OpenRead(const std::string& path) override;
  long ReadAt(FileHandle file, int64_t pos, char* buffer, long n) override;
  int64_t FileLength(FileHandle file) override;
  void CloseFile(FileHandle file) override;
  bool StillAtPath(FileHandle file, const std::string& path) override;
  // Standard input, once the command line names it (ArgumentsWithStandardInput).
  StreamKindOf StreamKind(const std::string& path) override;
  FileHandle OpenStream(const std::string& path) override;
  StreamState StreamStateOf(FileHandle file) override;
  FileHandle OpenSpool(SpoolWork work) override;
  FileHandle OpenDecompressed(const std::string& path) override;
  ExtractResult ExtractMember(const std::string& folder, const ExtractItem& item, bool replace) override;

  bool ReadWholeFile(const std::string& path, std::string& contents) override;
  bool WriteWholeFile(const std::string& path, const std::string& contents) override;
  bool AppendToFile(const std::string& path, const std::string& text) override;

  int CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  int RenameFile(const std::string& from, const std::string& to) override;
  bool SameFileSystem(const std::string& from, const std::string& to) override;
  int MoveByRename(const std::string& from, const std::string& to, bool replace) override;
  int DeleteFile(const std::string& path) override;
  int RecycleFile(const std::string& path, bool confirm) override;
  int TouchFile(const std::string& path) override;
  // UTF-8 or the ANSI code page, for every name of the Win32 layer (processes included).
  void SetUtf8Names(bool on) override;
  std::string ShownUtf8Name(const std::string& utf8) override;
  std::string ErrorText(int error) override;

  int Exists(const std::string& path) override;
  std::string CurrentDirectory() override;
  std::string CurrentDirectoryOfDrive(char drive) override;
  bool ChangeDirectory(const std::string& path) override;
  bool ChangeDrive(char drive) override;

  // The work on many entries; paths are Windows paths, which are this host's own.
  EntryStatus Inspect(const std::string& host, bool followLink = false) override;
  int ListFolder(const std::string& host, std::vector<FolderEntry>& entries) override;
  int MakeFolder(const std::string& host) override;
  int CopyRegular(const std::string& from, const std::string& to, bool replace) override;
  int CopyLink(const std::string& from, const std::string& to, bool replace) override;
  int KeepAttributes(const std::string& from, const std::string& to) override;
  bool Inside(const std::string& folder, const std::string& path) override;
  int CompareContents(const std::string& a, const std::string& b) override;
  bool SameContents(const std::string& a, const std::string& b) override;
  int RenameEntry(const std::string& from, const std::string& to, bool replace) override;
  int RemoveEmptyFolder(const std::string& host) override;
  int RecycleEntry(const std::string& host) override;
  std::vector<TrashItem> TakeTrashed() override;
  // The Recycle Bin's $Recycle.Bin folders of every fixed or removable volume.
  std::vector<TrashItem> TrashContents() override;
  int RestoreTrashItem(const TrashItem& item, const std::string& to) override;
  int FlushWrites(const std::vector<std::string>& written) override;
  FileErrorKind ErrorKind(int error) override;

  // The 8.3 short name of an existing path ("" when the volume keeps none).
  std::string ShortPathName(const std::string& path);

  // When set, the recycle-bin confirmation is asked through these dialogs (the
  // headless driver records it); otherwise the shell asks in its own box.
  Dialogs* confirmDialogs = nullptr;

 private:
  // Listings of the folder that holds standard input's entry, which give it after the last
  // real entry.
  std::set<FindHandle> owingInput_;
  std::vector<TrashItem> trashed_;  // what went to the Recycle Bin since TakeTrashed
  // Adds the bin's description of an entry just recycled to trashed_, where it has one.
  void NoteRecycled(const std::string& fullPath);
};

// The name by which the command line names standard input: "<" and ">" are in no file
// name of Windows, so it never hides a real file.
constexpr char kStandardInputName[] = "<stdin>";
// The program's arguments with standard input named where it is to be viewed: in place of
// a word "-" (before "--"), or, with `implicit`, at the end when no file is named. It is
// viewed when it is a pipe or a file (not a console, not missing) and `inputFree` (it holds
// nothing else, such as the driver's script). A "-" that cannot be: problem says why.
std::string ArgumentsWithStandardInput(const std::string& arguments, bool implicit, bool inputFree,
                                       std::string& problem);

class Win32Processes : public Processes {
 public:
  Win32Processes();
  std::string CommandLine() override;
  std::string GetEnv(const std::string& name) override;
  std::string AppPath() override;
  std::string AppExeName() override;
  long Run(const std::string& commandLine, bool wait) override;
  // Windows finds a program the way CreateProcess does, the current folder included.
  long RunConfigured(const std::string& commandLine, bool wait, bool) override {
    return Win32Processes::Run(commandLine, wait);
  }
  std::string FindExecutable(const std::string& file) override;
  void CharUpperBuffW(std::u16string& text) override;
  void CharUpperBuffA(std::string& text) override;
  [[noreturn]] void EndProcess(ExitKind kind) override;

  void SetCommandLine(const std::string& cmd) {
    commandLine_ = cmd;
    commandLineSet_ = true;
  }

 private:
  std::wstring wideCommandLine_;  // as the system gives it, program name included
  std::string commandLine_;
  bool commandLineSet_ = false;
};

// The arguments of a Windows command line after the program's own name.
std::string ArgumentsOf(const std::string& fullCommandLine);
// The arguments of the system's (UTF-16) command line as bytes in the names' character
// set. In the ANSI code page a word with a character that code page lacks is given as
// its short (8.3) path where it names a file or folder, so that it can still be reached.
std::string CommandLineBytes(const std::wstring& fullCommandLine);

class Win32Clock : public Clock {
 public:
  DateTime LocalNow() override;
  DateTime UtcNow() override;
  double SecondsSinceMidnight() override;
};

}  // namespace tembra::win32
