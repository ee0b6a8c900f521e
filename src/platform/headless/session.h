// The headless front-end: the whole program on an off-screen grid, driven by a script
// of events, writing a transcript. Used by tembra-headless and by the unit tests.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/lister.h"
#include "platform/grid/key_queue.h"
#include "platform/grid/keys.h"
#include "platform/headless/transcript.h"
#include "platform/native.h"

namespace tembra::headless {

using grid::KeyStroke;
using grid::NamedKey;
using grid::TypedKey;

// Thrown by EndProcess to unwind from the program to the driver.
struct ProcessEnded {
  ExitKind kind;
};

// The blank-separated words of a script line.
std::vector<std::string> Words(const std::string& line);

struct Options {
  int cols = 80, rows = 25;
  std::string cwd;             // host path; empty = the current one
  std::string cmdline;         // the program's command line as typed
  std::optional<std::string> clock;  // "YYYY-MM-DD HH:MM:SS"
  FontKind font = FontKind::Fixed;
  bool noRun = false;
  bool help = false;           // --help or -h: print the options and run nothing
  bool utf8 = false;           // --charset utf-8: text and names are UTF-8
  bool linuxProfile = false;         // --profile linux: the Linux set of defaults
  bool follow = false;               // --follow: the file shown at start is followed
};

// What "tembra-headless --help" prints.
extern const char* const kHeadlessUsage;

// Parses the command-line options of tembra-headless; returns an error text or "".
std::string ParseOptions(int argc, char** argv, Options& options, std::string& scriptPath);

class Session;

class HeadlessDialogs : public Dialogs {
 public:
  explicit HeadlessDialogs(std::ostream& out) : out_(out) {}
  int MsgBox(const std::string& text, const std::string& caption, MsgButtons buttons) override;
  bool InputBox(const std::string& prompt, const std::string& caption, const std::string& defaultText,
                std::string& answer) override;
  void Beep() override { out_ << "BEEP\n"; }
  std::deque<std::string> answers;                     // "OK", "Cancel", "Yes", "No"
  std::deque<std::optional<std::string>> inputs;       // nullopt = Cancel
  const bool* utf8 = nullptr;  // texts are UTF-8 (the lister's set of the moment)
  bool Utf8() const { return utf8 && *utf8; }
 private:
  std::ostream& out_;
};

class HeadlessEvents : public Events {
 public:
  explicit HeadlessEvents(Session& s) : session_(s) {}
  void DoEvents() override;
  void Sleep(int milliseconds) override;
  bool sleptInEvent = false;
 private:
  Session& session_;
};

class HeadlessClipboard : public Clipboard {
 public:
  explicit HeadlessClipboard(std::ostream& out) : out_(out) {}
  void Clear() override { text.clear(); }
  void SetText(const std::string& t) override;
  std::string text;
 private:
  std::ostream& out_;
};

class HeadlessClock : public Clock {
 public:
  // fixed: "YYYY-MM-DD HH:MM:SS" or nullopt for the real clock. Returns false on a bad text.
  bool Init(const std::optional<std::string>& fixed);
  DateTime LocalNow() override;
  DateTime UtcNow() override;
  double SecondsSinceMidnight() override;
  void Advance(int milliseconds) { virtualMs_ += milliseconds; }
  bool IsFixed() const { return fixed_; }
 private:
  bool fixed_ = false;
  int64_t virtualMs_ = 0;  // local time as milliseconds since 1970 read as UTC
  native::Clock real_;
};

class HeadlessProcesses : public native::Processes {
 public:
  HeadlessProcesses(std::ostream& out, native::FileSystem& files, bool noRun)
      : native::Processes(native::ProcessesFor(files)), out_(out), noRun_(noRun) {}
  long Run(const std::string& commandLine, bool wait) override;
  long RunConfigured(const std::string& commandLine, bool wait, bool allowLocal) override;
  [[noreturn]] void EndProcess(ExitKind kind) override { throw ProcessEnded{kind}; }
 private:
  std::ostream& out_;
  bool noRun_;
};

class Session {
 public:
  Session(const Options& options, std::ostream& out);
  // The same over the file system given (which outlives the session) instead of the
  // host's: `cwd` is then a folder of it, and programs are never started (RUN lines only).
  Session(const Options& options, std::ostream& out, FileSystem& files);
  ~Session();

  // Checks one script line; returns an error text or "".
  static std::string CheckLine(const std::string& line);
  void SetScript(std::vector<std::string> lines) { script_ = std::move(lines); next_ = 0; }
  // Form_Load, then every script line, then the final screen and the EXIT line.
  void RunAll();
  // Pieces of RunAll for tests.
  bool Start();                              // false when the program ended during start-up
  bool RunLine(const std::string& line);     // false when the program has ended
  void Finish();
  // Runs the next script line while the program waits inside an event (closing wait);
  // `held`: inside a key-down whose character is still to come, where only comments and
  // key lines (which join the queue) may run.
  void DeliverWaitingEvent(bool held = false);
  // The program lets waiting events run: the queued key events in order (none while a
  // key-down whose character is still to come runs), else the next script line when the
  // program has waited.
  void PumpWaiting();
  // When the script ran out while the program waited for a source.
  std::optional<std::chrono::steady_clock::time_point> idleSince_;
  // How long a source may then take to end before the window is closed.
  std::chrono::milliseconds idleLimit{10000};
  // Told each comment line ("#...") when its turn comes, for a driver that acts between
  // events (a fuzzer that makes a file grow while it is followed).
  std::function<void(const std::string&)> onComment;

  bool CwdOk() const { return cwdOk_; }
  bool Ended() const { return ended_.has_value(); }
  std::optional<ExitKind> EndKind() const { return ended_; }
  Lister& lister() { return *lister_; }
  HeadlessWindow& grid() { return grid_; }
  HeadlessDialogs& dialogs() { return dialogs_; }
  HeadlessClock& clock() { return clock_; }
  HeadlessEvents& events() { return events_; }
  // The program (or a wait line) slept: a wait line delivered inside an event counts it.
  void Slept(int ms);

 private:
  Session(const Options& options, std::ostream& out, FileSystem* files);
  template <class F>
  bool Guard(F&& f);
  bool Dispatch(const std::string& line, const std::vector<std::string>& words);
  void DeliverQueuedKey();
  void DrainKeys();
  // A wait line: `ms` pass with the event pump running, and no script line comes meanwhile.
  void Pass(int ms);
  int scriptWait_ = 0;    // milliseconds the script still waits for, inside an event
  bool passing_ = false;  // a wait line at the top runs

  std::ostream& out_;
  Options options_;
  bool cwdOk_;  // the starting directory was set before the file layer reads it
  HeadlessWindow grid_;
  HeadlessDialogs dialogs_;
  HeadlessEvents events_;
  HeadlessClipboard clipboard_;
  native::FileSystem hostFiles_;  // the host's (the processes use its drives)
  FileSystem& files_;             // the one the program sees: the host's or one given
  HeadlessProcesses processes_;
  HeadlessClock clock_;
  Platform platform_;
  std::unique_ptr<Lister> lister_;
  std::vector<std::string> script_;
  size_t next_ = 0;
  int depth_ = 0;
  grid::KeyQueue keys_;  // key events waiting, in the order a Windows queue gives them
  std::optional<ExitKind> ended_;
};

}  // namespace tembra::headless
