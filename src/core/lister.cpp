// Thin wrappers around the platform services, so that procedures read like the
// algorithms they carry out.
#include "core/lister.h"
#include "core/unicode.h"
#include "config/config_state.h"
#include "fileops/fileops_state.h"
#include "dirlist/dir_page.h"
#include "dirlist/entry_list.h"
#include "input/help_screen.h"
#include "input/sort_prompt.h"
#include "viewer/file_view.h"
#include "zip/zip_page.h"

#include <cstdlib>

namespace tembra {

// Keys typed ahead of a box while a scan ran answer the box, as they would have come.
void Lister::KeptKeysToBox() {
  if (KeptKeys.empty()) return;
  if (P.dialogs.TypeAhead(std::vector<KeptKey>(KeptKeys.begin(), KeptKeys.end()))) KeptKeys.clear();
}

int Lister::MsgBox(const std::string& text, const std::string& caption, MsgButtons buttons) {
  ++nOutputs;
  KeptKeysToBox();
  nMsgAnswer = P.dialogs.MsgBox(text, caption, buttons);
  return nMsgAnswer;
}

std::string Lister::InputBox(const std::string& prompt, const std::string& caption, const std::string& def) {
  std::string answer;
  ++nOutputs;
  KeptKeysToBox();
  bInputCancelled = !P.dialogs.InputBox(prompt, caption, def, answer);
  if (bInputCancelled) answer.clear();
  return answer;
}

std::string Lister::InputBox(const std::string& prompt, const std::string& caption, const std::string& def,
                             InputOption& option) {
  std::string answer;
  ++nOutputs;
  KeptKeysToBox();
  bInputCancelled = !P.dialogs.InputBoxWithOption(prompt, caption, def, answer, option);
  if (bInputCancelled) answer.clear();
  return answer;
}

Lister::Lister(Platform& platform)
    : P(platform),
      config_(std::make_unique<ConfigState>()),
      fileWork_(std::make_unique<FileOpsState>()),
      entries_(std::make_unique<EntryList>(*this)),
      dir_(std::make_unique<DirPage>(*this)),
      view_(std::make_unique<FileView>(*this)),
      zip_(std::make_unique<ZipPage>(*this)),
      prompt_(std::make_unique<SortPrompt>(*this)),
      help_(std::make_unique<HelpScreen>(*this)) {}

Lister::~Lister() { view_->CloseFDBIN(); }

void Lister::DoEvents() {
  // Keys kept during a scan that reach the closing wait act there as they would have
  // come: they lengthen or end the wait.
  while (bEnding && !KeptKeys.empty()) ActOnKeptKey();
  P.events.DoEvents();
}
void Lister::SleepMs(int ms) { P.events.Sleep(ms); }
void Lister::Beep() {
  ++nOutputs;
  P.dialogs.Beep();
}
void Lister::FillRect(long x1, long y1, long x2, long y2, uint32_t color) {
  ++nOutputs;
  P.window.FillRect(x1, y1, x2, y2, color);
}
void Lister::PrintAt(long x, long y, const std::string& text) {
  ++nOutputs;
  P.window.PrintAt(x, y, text);
}
void Lister::PrintCellsAt(long x, long y, const std::vector<TextCell>& cells) {
  ++nOutputs;
  P.window.PrintCellsAt(x, y, cells);
}
int Lister::StartProgram(const std::string& command, bool wait) {
  ++nOutputs;
  return P.processes.Run(command, wait);
}
void Lister::PrintShownAt(long x, long y, const std::string& text) {
  if (bUtf8) PrintCellsAt(x, y, Utf8TextCells(text));
  else PrintAt(x, y, text);
}
std::string Lister::NameU(const std::string& s) const { return UpperName(s, bUtf8); }
int32_t Lister::NameCells(std::string_view s) const {
  return bUtf8 ? Utf8Cells(s) : static_cast<int32_t>(s.size());
}
std::string_view Lister::NameCut(std::string_view s, int32_t n) const {
  if (n <= 0) return std::string_view();
  return s.substr(0, bUtf8 ? Utf8CutBytes(s, n) : static_cast<size_t>(n));
}
void Lister::SetForeColor(uint32_t color) { P.window.SetForeColor(color); }
void Lister::SetBold(bool on) { P.window.SetBold(on); }
void Lister::SetUnderline(bool on) { P.window.SetUnderline(on); }
void Lister::EndProcess(ExitKind kind) {
  P.processes.EndProcess(kind);
  std::abort();  // the platform never returns from EndProcess
}

void Lister::Randomize() {
  DateTime t = P.clock.LocalNow();
  double s = P.clock.SecondsSinceMidnight();
  rng_.seed(static_cast<uint32_t>(s * 1000.0) ^ static_cast<uint32_t>(t.year * 372 + t.month * 31 + t.day));
}

double Lister::Rnd() { return std::uniform_real_distribution<double>(0.0, 1.0)(rng_); }

}  // namespace tembra
