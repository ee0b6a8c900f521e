#include "platform/headless/session.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iostream>
#include <ctime>
#include <sstream>
#include <thread>
#include <utility>

#include "core/text.h"
#include "config/config_state.h"
#include "platform/headless/transcript.h"

#ifdef _WIN32
// The few POSIX calls of the driver, in their Windows runtime form.
namespace {
time_t timegm(std::tm* t) { return ::_mkgmtime(t); }
void gmtime_r(const time_t* s, std::tm* t) { ::gmtime_s(t, s); }
}  // namespace
#endif

namespace tembra::headless {

// ---------------------------------------------------------------- options

const char* const kHeadlessUsage =
    "Usage: tembra-headless [--size COLSxROWS] [--cwd DIR] [--cmdline TEXT] [--script FILE]\n"
    "                       [--clock \"YYYY-MM-DD HH:MM:SS\"] [--font fixed|proportional|bold-wider]\n"
    "                       [--charset 1252|utf-8] [--profile classic|linux] [--no-run] [--follow]\n"
    "                       [--help]\n"
    "\n"
    "Runs Tembra against an off-screen character grid: reads events from the script and\n"
    "writes a transcript to standard output.\n"
    "\n"
    "  --size COLSxROWS  the window in character cells (default 80x25)\n"
    "  --cwd DIR         the starting folder, a host path (default: the current one)\n"
    "  --cmdline TEXT    the program's command line, exactly as typed (default: empty)\n"
    "  --script FILE     the event script; - reads standard input (default: no events)\n"
    "  --clock TIME      a fixed local start time; the clock then moves only by the\n"
    "                    program's own sleeps and the script's wait lines\n"
    "  --font KIND       simulated font metrics: fixed, proportional or bold-wider\n"
    "  --charset SET     the character set of text and names: 1252 (default) or utf-8\n"
    "  --profile NAME    the set of defaults: classic (default) or linux\n"
    "  --no-run          programs the core starts are written as RUN lines, not started\n"
    "  --follow          the file shown at start is followed as it grows (as Ctrl+F)\n"
    "  --help, -h        this text\n"
    "\n"
    "Script lines: key NAME [shift] [ctrl] [alt], type TEXT, char CODE, down/up NAME,\n"
    "click COL ROW [right], dblclick COL ROW, resize COLS ROWS, focus on|off,\n"
    "answer OK|Cancel|Yes|No, input TEXT, input-cancel, wait MS, screen, attrs, close.\n"
    "Transcript lines: CAPTION, MSGBOX, INPUT, BEEP, RUN, CLIPBOARD, SCREEN..END,\n"
    "ATTRS..END, EXIT normal|fatal|immediate|unload|usage.\n";

std::string ParseOptions(int argc, char** argv, Options& o, std::string& scriptPath) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](std::string& v) -> bool {
      if (i + 1 >= argc) return false;
      v = argv[++i];
      return true;
    };
    std::string v;
    if (a == "--size") {
      if (!value(v)) return "--size needs COLSxROWS";
      int c = 0, r = 0;
      char x = 0, extra = 0;
      if (std::sscanf(v.c_str(), "%d%c%d%c", &c, &x, &r, &extra) != 3 || (x != 'x' && x != 'X') || c < 1 ||
          r < 1 || c > 1000 || r > 1000)
        return "bad --size: " + v;
      o.cols = c;
      o.rows = r;
    } else if (a == "--cwd") {
      if (!value(o.cwd)) return "--cwd needs a directory";
    } else if (a == "--cmdline") {
      if (!value(o.cmdline)) return "--cmdline needs a text";
    } else if (a == "--script") {
      if (!value(scriptPath)) return "--script needs a file";
    } else if (a == "--clock") {
      if (!value(v)) return "--clock needs a time";
      o.clock = v;
      HeadlessClock probe;
      if (!probe.Init(o.clock)) return "bad --clock: " + v;
    } else if (a == "--font") {
      if (!value(v)) return "--font needs fixed, proportional or bold-wider";
      if (v == "fixed") o.font = FontKind::Fixed;
      else if (v == "proportional") o.font = FontKind::Proportional;
      else if (v == "bold-wider") o.font = FontKind::BoldWider;
      else return "bad --font: " + v;
    } else if (a == "--charset") {
      if (!value(v)) return "--charset needs 1252 or utf-8";
      if (v == "utf-8" || v == "UTF-8") o.utf8 = true;
      else if (v == "1252") o.utf8 = false;
      else return "bad --charset: " + v;
    } else if (a == "--profile") {
      if (!value(v)) return "--profile needs classic or linux";
      if (v == "classic") o.linuxProfile = false;
      else if (v == "linux") o.linuxProfile = true;
      else return "bad --profile: " + v;
    } else if (a == "--no-run") {
      o.noRun = true;
    } else if (a == "--follow") {
      o.follow = true;
    } else if (a == "--help" || a == "-h") {
      o.help = true;
    } else {
      return "unknown option: " + a;
    }
  }
  return std::string();
}

// ---------------------------------------------------------------- dialogs

int HeadlessDialogs::MsgBox(const std::string& text, const std::string& caption, MsgButtons buttons) {
  const char* names[] = {"OK", "OKCancel", "YesNo"};
  std::string answer;
  if (!answers.empty()) {
    answer = answers.front();
    answers.pop_front();
  }
  // An answer the box does not offer falls back to the default button.
  bool valid = (buttons == MsgButtons::OK && answer == "OK") ||
               (buttons == MsgButtons::OKCancel && (answer == "OK" || answer == "Cancel")) ||
               (buttons == MsgButtons::YesNo && (answer == "Yes" || answer == "No"));
  if (!valid) answer = buttons == MsgButtons::YesNo ? "No" : "OK";
  out_ << "MSGBOX caption=\"" << EscapeQuoted(caption.empty() ? std::string("Tembra") : caption, Utf8()) << "\" text=\""
       << EscapeQuoted(text, Utf8()) << "\" buttons=" << names[static_cast<int>(buttons)] << " -> " << answer << "\n";
  if (answer == "OK") return kAnswerOK;
  if (answer == "Cancel") return kAnswerCancel;
  if (answer == "Yes") return kAnswerYes;
  return kAnswerNo;
}

bool HeadlessDialogs::InputBox(const std::string& prompt, const std::string& caption, const std::string& defaultText,
                               std::string& answer) {
  std::optional<std::string> a = defaultText;
  if (!inputs.empty()) {
    a = inputs.front();
    inputs.pop_front();
  }
  out_ << "INPUT caption=\"" << EscapeQuoted(caption, Utf8()) << "\" prompt=\"" << EscapeQuoted(prompt, Utf8())
       << "\" default=\""
       << EscapeQuoted(defaultText, Utf8()) << "\" -> ";
  if (!a) {
    out_ << "CANCEL\n";
    answer.clear();
    return false;
  }
  out_ << "\"" << EscapeQuoted(*a, Utf8()) << "\"\n";
  answer = *a;
  return true;
}

// ---------------------------------------------------------------- events, clipboard

void HeadlessEvents::DoEvents() {
  // Script events reach the program from inside its own loops only while it waits
  // (it has slept during the current event): a key pressed during the closing message.
  session_.PumpWaiting();
}

void HeadlessEvents::Sleep(int milliseconds) {
  sleptInEvent = true;
  if (milliseconds <= 0) return;
  session_.Slept(milliseconds);
  if (session_.clock().IsFixed()) session_.clock().Advance(milliseconds);
  else std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void HeadlessClipboard::SetText(const std::string& t) {
  text = t;
  out_ << "CLIPBOARD " << t.size() << " " << EscapeText(t) << "\n";
}

// ---------------------------------------------------------------- clock

bool HeadlessClock::Init(const std::optional<std::string>& fixed) {
  fixed_ = false;
  if (!fixed) return true;
  int y, mo, d, h, mi, s;
  char extra;
  if (std::sscanf(fixed->c_str(), "%d-%d-%d %d:%d:%d%c", &y, &mo, &d, &h, &mi, &s, &extra) != 6) return false;
  if (y < 1601 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59 || h < 0 ||
      mi < 0 || s < 0)
    return false;
  std::tm t{};
  t.tm_year = y - 1900;
  t.tm_mon = mo - 1;
  t.tm_mday = d;
  t.tm_hour = h;
  t.tm_min = mi;
  t.tm_sec = s;
  virtualMs_ = static_cast<int64_t>(::timegm(&t)) * 1000;
  fixed_ = true;
  return true;
}

namespace {
DateTime FromMs(int64_t ms) {
  time_t s = static_cast<time_t>(ms / 1000);
  std::tm t;
  ::gmtime_r(&s, &t);
  return DateTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                  static_cast<int>(ms % 1000)};
}
}  // namespace

DateTime HeadlessClock::LocalNow() { return fixed_ ? FromMs(virtualMs_) : real_.LocalNow(); }

DateTime HeadlessClock::UtcNow() {
  if (!fixed_) return real_.UtcNow();
  // The fixed time is local: take off the host's offset from UTC at that time.
  DateTime l = FromMs(virtualMs_);
  std::tm t{};
  t.tm_year = l.year - 1900;
  t.tm_mon = l.month - 1;
  t.tm_mday = l.day;
  t.tm_hour = l.hour;
  t.tm_min = l.minute;
  t.tm_sec = l.second;
  t.tm_isdst = -1;
  time_t utc = ::mktime(&t);
  return FromMs(static_cast<int64_t>(utc) * 1000 + l.millisecond);
}

double HeadlessClock::SecondsSinceMidnight() {
  if (!fixed_) return real_.SecondsSinceMidnight();
  DateTime t = LocalNow();
  return t.hour * 3600.0 + t.minute * 60.0 + t.second + t.millisecond / 1000.0;
}

// ---------------------------------------------------------------- processes

long HeadlessProcesses::Run(const std::string& commandLine, bool wait) {
  out_ << "RUN wait=" << (wait ? 1 : 0) << " " << EscapeText(commandLine) << "\n";
  out_.flush();
  if (noRun_) return 1;
  return native::Processes::Run(commandLine, wait);
}

long HeadlessProcesses::RunConfigured(const std::string& commandLine, bool wait, bool allowLocal) {
  out_ << "RUN wait=" << (wait ? 1 : 0) << " " << EscapeText(commandLine) << "\n";
  out_.flush();
  if (noRun_) return 1;
  return native::Processes::RunConfigured(commandLine, wait, allowLocal);
}

// ---------------------------------------------------------------- session

std::vector<std::string> Words(const std::string& line) {
  // Split at the blanks of the C locale (as a stream would, without its cost per line).
  auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  std::vector<std::string> w;
  w.reserve(4);  // a script line has a few words
  for (size_t i = 0; i < line.size();) {
    if (blank(line[i])) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < line.size() && !blank(line[j])) ++j;
    w.emplace_back(line, i, j - i);
    i = j;
  }
  return w;
}

namespace {
bool EnterCwd(const std::string& cwd) { return cwd.empty() || ::chdir(cwd.c_str()) == 0; }

int ModifierBits(const std::vector<std::string>& words, size_t from, bool* ok) {
  int shift = 0;
  *ok = true;
  for (size_t i = from; i < words.size(); ++i) {
    std::string m = UCase(words[i]);
    if (m == "SHIFT") shift |= kShift;
    else if (m == "CTRL") shift |= kCtrl;
    else if (m == "ALT") shift |= kAlt;
    else *ok = false;
  }
  return shift;
}

// The rest of the line after the command word and one blank.
std::string RestOf(const std::string& line) {
  size_t a = line.find_first_not_of(" \t");
  size_t b = line.find_first_of(" \t", a);
  if (b == std::string::npos) return std::string();
  return line.substr(b + 1);
}

// A key of a "keys" line: NAME, with any of "shift+", "ctrl+", "alt+" before it.
std::optional<KeyStroke> KeyWithModifiers(std::string word) {
  int shift = 0;
  for (bool more = true; more;) {
    more = false;
    static const std::pair<const char*, int> kMods[] = {{"SHIFT+", kShift}, {"CTRL+", kCtrl}, {"ALT+", kAlt}};
    for (const auto& [prefix, bit] : kMods) {
      const size_t n = std::strlen(prefix);
      if (word.size() > n && UCase(word.substr(0, n)) == prefix) {
        shift |= bit;
        word.erase(0, n);
        more = true;
      }
    }
  }
  return NamedKey(word, shift);
}

bool IsNumber(const std::string& s) {
  if (s.empty() || s.size() > 9) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}
}  // namespace

Session::Session(const Options& options, std::ostream& out) : Session(options, out, nullptr) {}

Session::Session(const Options& options, std::ostream& out, FileSystem& files) : Session(options, out, &files) {}

Session::Session(const Options& options, std::ostream& out, FileSystem* files)
    : out_(out),
      options_(options),
      cwdOk_(files != nullptr || EnterCwd(options.cwd)),
      grid_(options.cols, options.rows, options.font, out),
      dialogs_(out),
      events_(*this),
      clipboard_(out),
      files_(files ? *files : hostFiles_),
      processes_(out, hostFiles_, options.noRun || files != nullptr),
      platform_{grid_, dialogs_, events_, clipboard_, files_, processes_, clock_} {
  clock_.Init(options.clock);
  processes_.SetCommandLine(options.cmdline);
  hostFiles_.confirmDialogs = &dialogs_;
  files_.SetUtf8Names(options.utf8);
  if (files != nullptr && !options.cwd.empty()) cwdOk_ = files_.ChangeDirectory(options.cwd);
  lister_ = std::make_unique<Lister>(platform_);
  lister_->bUtf8 = options.utf8;
  lister_->eProfile = options.linuxProfile ? Profile::Linux : Profile::Classic;
  lister_->bFollowOnOpen = options.follow;
  dialogs_.utf8 = &lister_->bUtf8;
  grid_.utf8 = &lister_->bUtf8;
  grid_.onResize = [this] { lister_->Form_Resize(); };
}

Session::~Session() {
  dialogs_.utf8 = nullptr;
  grid_.utf8 = nullptr;
}

template <class F>
bool Session::Guard(F&& f) {
  if (ended_) return false;
  if (depth_ == 0) events_.sleptInEvent = false;
  ++depth_;
  try {
    f();
  } catch (const ProcessEnded& e) {
    --depth_;
    if (depth_ > 0) throw;  // unwind through the outer event too
    ended_ = e.kind;
    out_.flush();
    return false;
  }
  --depth_;
  out_.flush();
  return !ended_;
}

bool Session::Start() {
  return Guard([&] { lister_->Form_Load(); }) && Guard([&] { lister_->AfterStartUp(); });
}

std::string Session::CheckLine(const std::string& raw) {
  std::string line = raw;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::vector<std::string> w = Words(line);
  if (w.empty() || w[0][0] == '#') return std::string();
  std::string cmd = UCase(w[0]);
  bool ok = true;
  if (cmd == "KEY" || cmd == "DOWN" || cmd == "UP") {
    if (w.size() < 2) return "missing key name";
    int shift = ModifierBits(w, 2, &ok);
    if (!ok) return "bad modifier";
    if (!NamedKey(w[1], shift)) return "unknown key: " + w[1];
  } else if (cmd == "KEYS") {
    if (w.size() < 2) return "keys needs at least one key";
    for (size_t i = 1; i < w.size(); ++i)
      if (!KeyWithModifiers(w[i])) return "unknown key: " + w[i];
  } else if (cmd == "TYPE" || cmd == "INPUT") {
  } else if (cmd == "CHAR") {
    if (w.size() != 2 || !IsNumber(w[1]) || std::atoi(w[1].c_str()) > 255) return "char needs a code 0-255";
  } else if (cmd == "CLICK") {
    if (w.size() < 3 || w.size() > 4 || !IsNumber(w[1]) || !IsNumber(w[2])) return "click needs COL ROW [right]";
    if (w.size() == 4 && UCase(w[3]) != "RIGHT") return "click: bad button";
  } else if (cmd == "DBLCLICK") {
    if (w.size() != 3 || !IsNumber(w[1]) || !IsNumber(w[2])) return "dblclick needs COL ROW";
  } else if (cmd == "RESIZE") {
    if (w.size() != 3 || !IsNumber(w[1]) || !IsNumber(w[2]) || std::atoi(w[1].c_str()) > 1000 ||
        std::atoi(w[2].c_str()) > 1000)
      return "resize needs COLS ROWS";
  } else if (cmd == "FOCUS") {
    if (w.size() != 2 || (UCase(w[1]) != "ON" && UCase(w[1]) != "OFF")) return "focus needs on or off";
  } else if (cmd == "ANSWER") {
    static const char* valid[] = {"OK", "CANCEL", "YES", "NO"};
    bool found = false;
    if (w.size() == 2)
      for (const char* v : valid) found = found || UCase(w[1]) == v;
    if (!found) return "answer needs OK, Cancel, Yes or No";
  } else if (cmd == "INPUT-CANCEL" || cmd == "SCREEN" || cmd == "ATTRS" || cmd == "CLOSE") {
    if (w.size() != 1) return cmd + " takes no arguments";
  } else if (cmd == "WAIT") {
    if (w.size() != 2 || !IsNumber(w[1])) return "wait needs milliseconds";
  } else {
    return "unknown command: " + w[0];
  }
  return std::string();
}

bool Session::RunLine(const std::string& raw) {
  if (ended_) return false;
  std::string line = raw;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::vector<std::string> w = Words(line);
  if (!w.empty() && w[0][0] == '#' && onComment) onComment(line);
  if (w.empty() || w[0][0] == '#') return true;
  return Dispatch(line, w);
}

bool Session::Dispatch(const std::string& line, const std::vector<std::string>& w) {
  std::string cmd = UCase(w[0]);
  Lister& L = *lister_;
  auto stroke = [&](const KeyStroke& k) {
    keys_.PushKey(k);
    DrainKeys();
  };
  bool ok = true;
  if (cmd == "KEY") {
    stroke(*NamedKey(w[1], ModifierBits(w, 2, &ok)));
  } else if (cmd == "DOWN" || cmd == "UP") {
    KeyStroke k = *NamedKey(w[1], ModifierBits(w, 2, &ok));
    if (cmd == "DOWN") Guard([&] { L.Form_KeyDown(k.vk, k.shift); });
    else Guard([&] { L.Form_KeyUp(k.vk, k.shift); });
  } else if (cmd == "KEYS") {
    // Every key of the line waits at once (fast typing, a paste): a handler that lets
    // events run gets the next ones, each in its order.
    for (size_t i = 1; i < w.size(); ++i) keys_.PushKey(*KeyWithModifiers(w[i]));
    DrainKeys();
  } else if (cmd == "TYPE") {
    std::string text = RestOf(line);
    bool good = true;
    std::string cp = Utf8ToCp1252(text, &good);
    if (!good) cp = text;
    for (unsigned char c : cp) stroke(TypedKey(c));
  } else if (cmd == "CHAR") {
    int code = std::atoi(w[1].c_str());
    Guard([&] { L.Form_KeyPress(code); });
  } else if (cmd == "CLICK" || cmd == "DBLCLICK") {
    int col = std::atoi(w[1].c_str()), row = std::atoi(w[2].c_str());
    int button = (w.size() == 4) ? 2 : 1;
    double x = GridWindow::CentreX(col), y = GridWindow::CentreY(row);
    Guard([&] { L.Form_MouseDown(button, 0, x, y); });
    Guard([&] { L.Form_MouseUp(button, 0, x, y); });
    Guard([&] { L.Form_Click(); });
    if (cmd == "DBLCLICK") {
      Guard([&] { L.Form_DblClick(); });
      Guard([&] { L.Form_MouseUp(button, 0, x, y); });
    }
  } else if (cmd == "RESIZE") {
    grid_.ResizeClient(std::atoi(w[1].c_str()), std::atoi(w[2].c_str()));
    Guard([&] { L.Form_Resize(); });
    Guard([&] { L.Form_Paint(); });
  } else if (cmd == "FOCUS") {
    if (UCase(w[1]) == "ON") Guard([&] { L.Form_GotFocus(); });
    else Guard([&] { L.Form_LostFocus(); });
  } else if (cmd == "ANSWER") {
    std::string a = UCase(w[1]);
    dialogs_.answers.push_back(a == "OK" ? "OK" : a == "CANCEL" ? "Cancel" : a == "YES" ? "Yes" : "No");
  } else if (cmd == "INPUT") {
    dialogs_.inputs.push_back(w.size() == 1 ? std::string() : RestOf(line));
  } else if (cmd == "INPUT-CANCEL") {
    dialogs_.inputs.push_back(std::nullopt);
  } else if (cmd == "WAIT") {
    const int ms = std::atoi(w[1].c_str());
    // Delivered while the program waits (for a source, while following, in the closing
    // message): its own loop goes on, and the next line comes once it has slept as long.
    if (depth_ > 0) scriptWait_ = ms;
    else Pass(ms);
  } else if (cmd == "SCREEN") {
    grid_.WriteScreen(out_);
  } else if (cmd == "ATTRS") {
    grid_.WriteAttrs(out_);
  } else if (cmd == "CLOSE") {
    Guard([&] { L.Form_Unload(); });
  }
  out_.flush();
  return !ended_;
}

void Session::DeliverQueuedKey() {
  keys_.DeliverKey(keys_.Take(), *lister_, [&](auto&& f) { Guard(f); });
  if (ended_) keys_.events.clear();
}

void Session::DrainKeys() {
  while (keys_.Ready(lister_->KeepsTypedKeys()) && !ended_) DeliverQueuedKey();
}

void Session::PumpWaiting() {
  if (ended_) return;
  if (keys_.Held()) {
    // Inside a key-down whose character is still to come: Esc or Ctrl+C may stop a scan,
    // and key lines go on into the queue (the other keys wait there).
    if (keys_.Ready(lister_->KeepsTypedKeys())) DrainKeys();
    else if (events_.sleptInEvent) DeliverWaitingEvent(true);
    return;
  }
  if (!keys_.events.empty()) {
    DrainKeys();
    return;
  }
  if (events_.sleptInEvent) DeliverWaitingEvent();
}

void Session::Pass(int ms) {
  passing_ = true;
  Guard([&] {
    for (int left = ms; left > 0 && !ended_; left -= 50) {
      events_.Sleep(std::min(left, 50));
      lister_->DoEvents();
    }
  });
  passing_ = false;  // also when the program ended inside
}

void Session::Slept(int ms) { scriptWait_ = std::max(0, scriptWait_ - ms); }

void Session::DeliverWaitingEvent(bool held) {
  // The script waits: no line comes until that time has passed.
  if (passing_ || scriptWait_ > 0) return;
  while (next_ < script_.size()) {
    const std::string& line = script_[next_];
    std::vector<std::string> w = Words(line);
    if (held && !w.empty() && w[0][0] != '#') {
      // Keys only join the queue (where Esc may stop a scan); answers, screens and
      // events wait, so that they keep their place after the key that runs.
      static const char* const queued[] = {"KEY", "KEYS", "TYPE"};
      const std::string cmd = UCase(w[0]);
      if (std::none_of(std::begin(queued), std::end(queued), [&](const char* c) { return cmd == c; })) break;
    }
    ++next_;
    if (!w.empty() && w[0][0] == '#' && onComment) {
      onComment(line);
      return;
    }
    if (w.empty() || w[0][0] == '#') continue;
    Dispatch(line, w);
    return;
  }
  // No line left (or none that may come now) while the program waits for a pipe or
  // follows a file: the source has idleLimit more to end; then, as no key can come to
  // end the wait, the window is closed.
  if (ended_ || lister_->bEnding || !lister_->FileStillComing()) return;
  const auto now = std::chrono::steady_clock::now();
  if (!idleSince_) idleSince_ = now;
  if (lister_->Following() || now - *idleSince_ > idleLimit) Dispatch("close", {"close"});
}

void Session::Finish() {
  grid_.WriteScreen(out_);
  std::cerr << lister_->Config().zExitNote;
  if (ended_) {
    static const char* names[] = {"normal", "fatal", "immediate", "unload", "usage"};
    out_ << "EXIT " << names[static_cast<int>(*ended_)] << "\n";
  }
  out_.flush();
}

void Session::RunAll() {
  if (Start()) {
    while (next_ < script_.size() && !ended_) {
      // What a wait line delivered inside an event still has to wait passes first.
      if (scriptWait_ > 0) Pass(std::exchange(scriptWait_, 0));
      if (!ended_) RunLine(script_[next_++]);
    }
  }
  Finish();
}

}  // namespace tembra::headless
