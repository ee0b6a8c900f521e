// Trace log, open-file bookkeeping, directory dump, the two text procedures and the
// normal end of the program with its closing message.
#include <cstdio>

#include "core/lister.h"
#include "screen/message_catalogue.h"

namespace tembra {

namespace {
constexpr char kPlain[] =
    " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~";
// Substitution table of the stored texts: character k of kScrambled stands for
// character k of kPlain.
constexpr char kScrambled[] = "t1$|4.~_+&Z?5CY[;g\"=ilr(d\\e7RI*P@xEN^w9>%ymO'3pQ8s bSBvD:,jVH!hoGLuAf]JU}cK)<2{k6WT`q#0-Faz/nMX";
// The closing texts, stored scrambled.
const char* const kClosingTexts[89] = {
    ">kkfua]tJkTt{k-",
    "b]]tak#t`kk{",
    "w0]Tatuaq]tc{tcq`t6<LA]",
    "9c<]`t<c`q]f5t-kT)tfk{]",
    "S}L{)tak#tJkTt<c`qc{Ut-cq}tS]2uTL",
    "B{qc<tq}]t{]FqtfcT]AqkTa",
    "%L0]tLtqcfatfLa",
    "O]]6tak#TtJk<f]T`tA<]L{",
    "3Latak#Ttfc`)`t`qLat}]L<q}a",
    "ELA)tqktq}]tAk22L{ft<c{]",
    "8LUc{UtkJJ",
    "x<<t]{qTc]`tLAAk#{q]ftJkT",
    "pkq}c{Ut<k`q5t{kq}c{Ut<]Jqtk6]{",
    "S}]tA#T`kTtT]`q`",
    "bkt<k{U5tL{ftq}L{)`tJkTtL<<tq}]tJc<]`",
    "9LT]-]<<5tJ]<<k-t<c`q]T",
    "SL)]tALT]tkJtak#TtuLA)#6`",
    "xtJc{]t`]``ck{",
    "^cT]AqkTc]`t`<]]6t{k-",
    "S}]t<L`qt6LU]t}L`tu]]{tq#T{]f",
    "%]Ft2LT)`tq}]t`6kq",
    "b]]tak#tLqtq}]tTkkq",
    ">kt-]<<",
    "x{kq}]TtfLa5tL{kq}]TtfcT]AqkTa",
    "S}L{)`tJkTt`qk66c{Utua",
    "'c{]tuat<c{]5t6LU]tuat6LU]",
    " ]`qt-]<<5tT]AkTf`",
    "O]]6tAL<2tL{ft<c`qtk{",
    "B{qc<t-]t6LU]tLULc{",
    "S}]tc{f]Ftc`tc{tkTf]T",
    "E]t)c{ftqktak#Ttq]26kTLTatJc<]`",
    "Eaq]`tLT]tJkT]0]T",
    "%L66atqTLc<`",
    "QJJtqktq}]t{]FqtJk<f]T",
    "N}]]Tck",
    "'c`qc{UtAk26<]q]",
    "w0]Taq}c{Utc{tkTf]T",
    "Sc2]tJkTtLtAkJJ]]",
    "3c{ftq}]tT]AaA<]tuc{",
    "NcLk",
    "S}]t]{ftkJtq}]t<c`qc{U",
    ">kkft-kT)tqkfLa",
    "bqLat`kTq]f",
    "bkTq]ftuat{L2]5t]{f]ftuatak#",
    "x#tT]0kcT",
    ",k#TtJc<]`tq}L{)tak#",
    "xtA<]L{t]Fcq",
    "w{f`t-]<<5tL<<t-]<<",
    "S`A}#]``",
    "%L0]tLtUkkftk{]",
    "ELA)t`kk{",
    "N<k`c{Utq}]tukk)",
    "xfck`",
    "S}]t-c{fk-tA<k`]`tW#c]q<a",
    "'L`qt<c{]tT]LA}]f",
    "pkt2kT]t6LU]`tqktq#T{",
    "^k{]tL{ftf#`q]f",
    "S}Lqtc`tL<<5tJk<)`",
    "3c``ck{tLAAk26<c`}]f",
    "b2kkq}t`Lc<c{U",
    "B{qc<t{]Fqtqc2]",
    "Ek{t0kaLU]",
    "NLqA}tak#t<Lq]T",
    "bLJ]tqTL0]<`tq}Tk#U}tak#TtJk<f]T`",
    "w0]Taq}c{Ut`L0]ft-}]T]tak#t6#qtcq",
    "D]<<t<c`q]f",
    "b}#qqc{Utq}]tfTL-]T",
    "'cU}q`tk#q",
    "xtW#c]qtUkkfua]",
    "pcA]t<c`qc{Ut-cq}tak#",
    "8LU]tfk-{5t<cU}q`tkJJ",
    "S}]tT]AkTftAk#{qtc`tJc{L<",
    ">kkf{cU}q5tfcT]AqkTc]`",
    "Q{-LTf",
    "Sc2]tqktT]`qtq}]tA#T`kT",
    "S}]t<c`qc{Ut`<]]6`",
    "x#JtDc]f]T`]}]{",
    "xTTc0]f]TAc",
    "E]t-]<<",
    "S}L{)`tL{ftUkkfua]",
    "w{Kkatq}]tT]`qtkJtak#TtfLa",
    "B{qc<tq}]t{]FqtJc<]",
    "O]]6t]F6<kTc{U",
    "x{kq}]TtJk<f]TtL-Lcq`",
    "bcU{c{UtkJJ",
    ">kkftfLatqktak#",
    "w{k#U}tJkTtqkfLa",
    "9c{",
    "bqc<<t}]T]tqk2kTTk-",
};
}  // namespace

std::string Lister::ZCurrentLocaleTime() {
  DateTime t = P.clock.LocalNow();
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
  return buf;
}

void Lister::Log340(const std::string& zText) {
  std::string line = ZCurrentLocaleTime() + " " + Format(P.clock.SecondsSinceMidnight(), "#####.##") + " " + zText + "\r\n";
  if (P.files.AppendToFile(zLogFile, line)) return;
  // The log went away or became something else (a link, a FIFO): tracing stops, once said.
  bLog = false;
  std::string text = MsgText(Msg::VX8023, ShownPath(zLogFile));
  if (int err = P.files.LastFileError()) text += " - " + P.files.ErrorText(err);
  VXERROR(text);
}

void Lister::LogOpen(const std::string& zName) {
  if (bLog) Log340(zName.empty() ? std::string("Close ") : "Open " + zName);
  if (zName.empty()) {
    int32_t before = OpenCount;
    OpenCount = OpenCount - 1;
    if (before != 1) {
      MsgBox("Sub Logopen OpenCount <> 0");
      EndProcess(ExitKind::Immediate);
    }
    return;
  }
  if (OpenCount == 0) {
    OpenCount = 1;
    zOpenName = zName;
  } else if (bDebug) {
    undo();
    MsgBox(zName + "<>" + zOpenName);
    EndProcess(ExitKind::Immediate);
  } else {
    MsgBox(zName + zOpenName + " " + " OPEN ERROR");
  }
}

std::string Lister::VV(const std::string& zString) { return zString; }

std::string Lister::QQ(const std::string& zString) {
  std::string out = zString;
  for (char& c : out) {
    for (int k = 0; k < 95; ++k)
      if (kScrambled[k] == c) {
        c = kPlain[k];
        break;
      }
  }
  return out;
}

void Lister::END_TEMBRA() {
  if (OpenCount != 0) {
    MsgBox("END_TEMBRA");
    EndProcess(ExitKind::Immediate);
  }
  TDISPLAY &= ~TD_DIR;
  SetDisplayMode(ShownPage::Ending);
  bEnding = true;
  nFarewellMs = 1000;
  Randomize();
  double r = Rnd();
  if (r > 0.25 || bQuickEnd) {
    VXERROR(MsgText(Msg::VX0099End));
    nFarewellMs = nFarewellMs / 4;
  } else {
    int i = static_cast<int>(89 * Rnd());
    if (i > 88) i = 88;
    VXERROR(MsgText(Msg::VX0099Closing, QQ(kClosingTexts[i])));
  }
  do {
    if (nFarewellMs > 5000) nFarewellMs = 5000;
    SleepMs(50);
    nFarewellMs -= 50;
    if (nFarewellMs < 0) nFarewellMs = 0;
    DoEvents();
  } while (nFarewellMs > 0);
  undo();
  if (bDebug) {
    if (DebugLookupsWereRandom()) Beep();
    MsgBox("bDebug is set.  Hit enter to end Tembra");
  }
  // TEMBRA_LASTDIR names a file that gets the host folder Tembra ends in, for a shell
  // function that goes there.
  if (std::string file = P.processes.GetEnv("TEMBRA_LASTDIR"); !file.empty()) {
    std::string folder = P.files.HostPathOfWin(zCurDir);
    if (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    std::string target = P.files.WinPathOfHost(file);
    if (!target.empty() && !folder.empty()) P.files.WriteWholeFile(target, folder + "\n");
  }
  EndProcess(ExitKind::Normal);
}

}  // namespace tembra
