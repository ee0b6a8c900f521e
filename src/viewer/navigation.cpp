// Keys of the file view: paging, jumps, display options, and the hand-over to the hex
// view, the search, line marking and the input-file list.
#include <algorithm>

#include "core/lister.h"

namespace tembra {

namespace {
constexpr int64_t kTwoTo31 = 2147483648LL;

int32_t RoundUp10(int64_t v) { return v <= 0 ? 0 : static_cast<int32_t>(((v + 9) / 10) * 10); }
int32_t RoundDown10(int64_t v) { return v <= 0 ? 0 : static_cast<int32_t>((v / 10) * 10); }
int32_t ClampToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, -kTwoTo31, kTwoTo31 - 1));
}
}  // namespace

void Lister::IndexWholeFile() {
  nYieldCount = 1;
  IndexAhead(nFileSize);
  while (!bAllIndexed && !bIndexing && ScanGoesOn()) GetASeg();
  nYieldCount = 0;
}

void Lister::LeaveFileView() {
  if (hFdbin != kInvalidFile) CloseFDBIN();
  if (OpenCount != 0) LogOpen("");
  SetDirMode();
}

bool Lister::bList_Keydown(int Shift, int KeyCode) {
  const bool ctrl = (Shift & kCtrl) != 0, alt = (Shift & kAlt) != 0;
  const bool hex = (TDISPLAY & TD_HEX) != 0;
  // What a source of unknown size delivered since the last key is there to be seen, and
  // more of one still arriving is waited for where the key needs it.
  if (bStream) TakeGrowth();
  if (bStreamOpen && bAllIndexed) ReopenIndex();
  switch (KeyCode) {
    case kVkRight:
      if (hex) {
        VXERROR(MsgText(Msg::VX1017));
      } else if (nWrapMode != 0) {
        VXERROR(MsgText(Msg::VX1016));
      } else {
        if (ctrl) {
          int32_t longest = 0;
          int32_t last = static_cast<int32_t>(std::min<int64_t>(nBottomRec, nRecCount));
          for (int32_t r = std::max(1, nTopRec); r <= last; ++r)
            longest = static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(longest, RecLen(r)), kLongLineShown));
          if (Utf8Text()) {
            // UTF-8 lines are as long as their cells.
            longest = 0;
            for (int32_t r = std::max(1, nTopRec); r <= last; ++r) {
              GetZCurRec(r);
              if (nCurRecLen < 0) break;
              zRecText = zUnTab(zSegment, nCurRecPos, nCurRecLen);
              DecodeRecCells();
              longest = std::max(longest, static_cast<int32_t>(vRecCells.size()));
            }
          }
          nHOffset = RoundUp10(int64_t{longest} - nColumns + 1);
        } else {
          // Lines as grep counts them scroll as far as the longest line shown allows.
          const int64_t widest = bGrepLines ? std::min<int64_t>(std::max(nLongestRec, nMaxRecLen), kLongLineShown) : nMaxRecLen;
          nHOffset = std::min(nHOffset + 10, RoundDown10(widest - 40));
        }
        ZCOLFILL(nHOffset);
        bRepaint = true;
      }
      break;
    case kVkLeft:
      if (hex) {
        VXERROR(MsgText(Msg::VX1017));
      } else {
        nHOffset = ctrl ? 0 : std::max(0, nHOffset - 10);
        ZCOLFILL(nHOffset);
        bRepaint = true;
      }
      break;
    case kVkEnd:
      bSearchPending = false;
      if (!hex) IndexWholeFile();
      LIST_PAGEMOVE(kVkEnd);
      break;
    case kVkHome:
      if (ctrl) {
        JUMP2LINE();
      } else {
        bSearchPending = false;
        LIST_PAGEMOVE(kVkHome);
      }
      break;
    case kVkDown:
      LIST_PAGEMOVE(kVkDown);
      break;
    case kVkUp:
      LIST_PAGEMOVE(kVkUp);
      break;
    case kVkPgDn:
      if (ctrl) Next_IINPFiles(1);
      else LIST_PAGEMOVE(kVkPgDn);
      break;
    case kVkPgUp:
      if (ctrl) Next_IINPFiles(-1);
      else LIST_PAGEMOVE(kVkPgUp);
      break;
    case 'A':
    case 'B':
    case 'C':
    case 'T':
      if (ctrl && !alt) MarkLine(std::string(1, static_cast<char>(KeyCode)));
      break;
    case 'V':
      if (alt && !ctrl) MarkLine("V");
      break;
    case 'H':
      if (alt && !ctrl) {
        ALT_H_LST();
        bRepaint = true;
      }
      break;
    case 'N':
      if (ctrl && !alt) Next_IINPFiles(1);
      break;
    case 'U':
    case 'Z':
      if (ctrl && !alt) Next_IINPFiles(-1);
      break;
    case 'R':
      if (alt && !ctrl) {
        TDISPLAY ^= TD_RULER;
        bRepaint = true;
      }
      break;
    case 'Y':
      if (ctrl && !alt) {
        SET_BOOKMARK(nTopRec);
      } else if (alt && !ctrl) {
        nTopRec = FIND_BOOKMARK();
        bRepaint = true;
      }
      break;
    case kVkF3:
      LIST_PAGEMOVE(kVkDown);
      bSearchPending = true;
      bSearchBack = false;
      break;
    case kVkF9:
      bSearchPending = true;
      bSearchBack = true;
      bRepaint = true;
      break;
    case kVkF10:
      LeaveFileView();
      bDebug = false;
      END_TEMBRA();
    default:
      break;
  }
  return false;
}

void Lister::KeyPress_ListMode(int keyascii) {
  if (nYieldCount != 0) {
    // Typed while a long scan pumps events: the scan goes on without further pumping.
    nYieldCount = 0;
    return;
  }
  if (keyascii == 0) return;
  const bool hex = (TDISPLAY & TD_HEX) != 0;
  std::string key = UCase(Chr(keyascii & 255));
  char k = key[0];
  // Keys left free here mean what they mean in less: n / N the next / previous match,
  // g / G the top / end, h, H and ? the list of keys.
  switch (keyascii) {
    case 'n': keyascii = 'A'; break;
    case 'N':
      bSearchPending = true;
      bSearchBack = true;
      ShowPage();
      return;
    case 'g': keyascii = 'T'; break;
    case 'G': keyascii = 'B'; break;
    case 'h': case 'H': case '?': OpenHelp(); return;
    case kChCtrlF: FollowFile(); return;  // follow the end of the file (tail -f) until a key
    default: break;
  }
  key = UCase(Chr(keyascii & 255));
  k = key[0];
  switch (keyascii) {
    case kChEnter:
      LIST_PAGEMOVE(kVkPgDn);
      break;
    case kChEsc:
      LeaveFileView();
      iInpFile = 0;
      GetDir(zCurDir);
      break;
    default:
      switch (k) {
        case ' ':
        case 'D':
          LIST_PAGEMOVE(kVkPgDn);
          break;
        case 'U':
          LIST_PAGEMOVE(kVkPgUp);
          break;
        case 'T':
          bSearchPending = false;
          LIST_PAGEMOVE(kVkHome);
          break;
        case 'B': {
          bSearchPending = false;
          double t0 = P.clock.SecondsSinceMidnight();
          if (!hex) IndexWholeFile();
          if (bDebug) {
            double elapsed = P.clock.SecondsSinceMidnight() - t0;
            if (elapsed < 0) elapsed += 86400.0;
            VXERROR("*BB>" + Format(elapsed, "##0.00") + " Seconds");
          }
          LIST_PAGEMOVE(kVkEnd);
          break;
        }
        case 'A':
          LIST_PAGEMOVE(kVkDown);
          bSearchPending = true;
          bSearchBack = false;
          bRepaint = true;
          break;
        case 'F':
        case 'S':
        case '/':
        case '\\':
          nSearchStart = P.clock.SecondsSinceMidnight();
          SetTextToFind(key, "");
          break;
        case '1':
          if (iInpFile > 0) Next_IINPFiles(1 - iInpFile);
          break;
        case 'Q':
          if (nInpFiles > 0) {
            Next_IINPFiles(1);
          } else {
            LeaveFileView();
            bRepaint = true;
          }
          break;
        case 'W':
          nWrapMode = nWrapMode == 0 ? 2 : 0;
          zMessageLine = MsgText(nWrapMode != 0 ? Msg::VX0202 : Msg::VX0203);
          bRepaint = true;
          break;
        case 'X': {
          undo();
          LeaveFileView();
          iInpFile = 0;
          StartProgram(zComSpec + " /k " + Left(zCurDir, 2), false);
          END_TEMBRA();
        }
        case '#':
          JUMP2LINE();
          break;
        case '*':
          TDISPLAY &= ~(TD_EBCDIC | TD_STRIP);
          TDISPLAY ^= TD_ASCII;
          bRepaint = true;
          break;
        case 'E':
          TDISPLAY &= ~(TD_STRIP | TD_ASCII);
          TDISPLAY ^= TD_EBCDIC;
          bRepaint = true;
          break;
        case '7':
          TDISPLAY &= ~(TD_EBCDIC | TD_ASCII);
          TDISPLAY |= TD_STRIP;
          bRepaint = true;
          break;
        case '8':
          TDISPLAY &= ~(TD_EBCDIC | TD_STRIP | TD_ASCII);
          bRepaint = true;
          break;
        case '+':
        case '-':
          RelativeJump(key);
          break;
        default:
          HintTypedKey(keyascii);
          break;
      }
  }
  if (bRepaint) {
    bRepaint = false;
    ShowPage();
  }
}

void Lister::RelativeJump(const std::string& zSign) {
  const bool hex = (TDISPLAY & TD_HEX) != 0;
  std::string prompt = MsgText(Msg::VX0040, hex ? "bytes" : "lines", zSign == "+" ? "increment" : "decrement");
  std::string answer = InputBox(prompt, "Relative jump", "0");
  std::optional<int64_t> n = NConvert(answer);
  if (!n) return;
  int64_t step = zSign == "-" ? -*n : *n;
  if (hex) {
    nHexTop = std::clamp<int64_t>(nHexTop + std::clamp<int64_t>(step, -nFileSize, nFileSize), 0,
                                  std::max<int64_t>(0, nFileSize - 1));
  } else {
    nTopRec = ClampToInt32(int64_t{nTopRec} + std::clamp<int64_t>(step, -kTwoTo31, kTwoTo31));
    LOADEMUP();
  }
  bRepaint = true;
}

void Lister::JUMP2LINE() {
  if (TDISPLAY & TD_HEX) {
    std::string answer = InputBox(MsgText(Msg::VX0036), "Jump to address", "1");
    std::optional<int64_t> n = NConvert(answer);
    if (!n) return;
    nHexTop = std::clamp<int64_t>(*n, 0, std::max<int64_t>(0, nFileSize - 1));
  } else {
    std::string answer = InputBox(MsgText(Msg::VX0037), "Jump to line", "1");
    std::optional<int64_t> n = NConvert(answer);
    if (!n) return;
    nTopRec = ClampToInt32(*n);
    LOADEMUP();
  }
  bRepaint = true;
}

namespace {
// The text with the group separators of a number taken out: a "," or "_" between a
// digit and three more digits (5,000,000 and 5_000_000 read 5000000).
std::string Ungrouped(const std::string& text) {
  auto digit = [&](size_t i) { return i < text.size() && text[i] >= '0' && text[i] <= '9'; };
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool separator = (text[i] == ',' || text[i] == '_') && i > 0 && digit(i - 1) && digit(i + 1) &&
                           digit(i + 2) && digit(i + 3) && !digit(i + 4);
    if (!separator) out += text[i];
  }
  return out;
}

// Whether a decimal reading finds a number at the start of the text (blanks and a sign
// may come first).
bool StartsWithNumber(const std::string& t) {
  size_t i = t.find_first_not_of(' ');
  if (i == std::string::npos) return false;
  if (t[i] == '+' || t[i] == '-') ++i;
  if (i < t.size() && t[i] == '.') ++i;
  return i < t.size() && t[i] >= '0' && t[i] <= '9';
}
}  // namespace

std::optional<int64_t> Lister::NConvert(const std::string& ZNumber) {
  // Offsets and line numbers of files of any size may take 63 bits.
  const int64_t limit = piAnySize.On(eProfile) ? INT64_MAX : kTwoTo31;
  std::string t = UCase(Ungrouped(ZNumber));
  long p = InStr(t, "X");
  if (p == 0) p = InStr(t, "H");
  int64_t v;
  if (p > 0 && p < static_cast<long>(t.size())) {
    std::string rest = Mid(t, p + 1);
    if (!rest.empty() && static_cast<unsigned char>(rest[0]) < '0') rest.erase(0, 1);
    uint64_t h = 0;
    for (char c : rest) {
      int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
      if (d < 0) break;
      if (h > (static_cast<uint64_t>(limit) - static_cast<uint64_t>(d)) / 16) {
        h = static_cast<uint64_t>(limit);
        break;
      }
      h = h * 16 + static_cast<uint64_t>(d);
      if (h >= static_cast<uint64_t>(limit)) break;
    }
    if (h >= static_cast<uint64_t>(limit)) {
      // 80000000 hex and above has no 32-bit line number or offset.
      zMessageLine = MsgText(Msg::VX1026, ZNumber);
      bRepaint = true;
      return std::nullopt;
    }
    v = static_cast<int64_t>(h);
  } else {
    if (!StartsWithNumber(t) && !Trim(t).empty()) {
      // Read as 0, as always, but no longer without a word.
      zMessageLine = MsgText(Msg::VX1038, ZNumber);
      bRepaint = true;
    }
    double d = Val(t);
    const double range = static_cast<double>(limit) - (limit == INT64_MAX ? 1024.0 : 0.5);
    if (!(d > -range - 1.0 && d < range)) {
      zMessageLine = MsgText(Msg::VX1026, ZNumber);
      bRepaint = true;
      return std::nullopt;
    }
    v = RoundHalfEven(d);
  }
  if (v >= -55554 && v <= -1) v += 65536;
  auto fits = [limit](int64_t x, int64_t by) { return x < limit / by && x >= -(limit / by); };
  if (InStr(t, "K") > 0 && fits(v, 1024)) v *= 1024;
  if (InStr(t, "M") > 0 && fits(v, 1048576)) v *= 1048576;
  return v;
}

void Lister::LOADEMUP() {
  if (nTopRec < 1) {
    nTopRec = 1;
    return;
  }
  if (TDISPLAY & TD_HEX) return;
  nYieldCount = 1;
  IndexAheadToRecord(nTopRec);
  while (nTopRec > nRecCount && !bAllIndexed && !bIndexing && ScanGoesOn()) GetASeg();
  nYieldCount = 0;
  if (nTopRec > nRecCount) nTopRec = Find1stRecordOnPage(nRecCount);
}

void Lister::LIST_PAGEMOVE(int KeyCode) {
  nHexTop &= nHexMask;
  const int64_t L = (TDISPLAY & TD_HEX32) ? 32 : 16;
  const bool hex = (TDISPLAY & TD_HEX) != 0;
  const int64_t lastLine = std::max<int64_t>(0, (nFileSize - 1) & nHexMask);
  switch (KeyCode) {
    case kVkEnd:
      if (hex) {
        int64_t n = nPageLines;
        if ((TDISPLAY & TD_HEX2) && nColumns > 234) n *= 2;
        nHexTop = nColumns > 117 ? lastLine - n * 32 + 32 : lastLine - n * 16 + 16;
      } else {
        nTopRec = Find1stRecordOnPage(nRecCount);
      }
      break;
    case kVkHome:
      if (hex) nHexTop = 0;
      else nTopRec = 1;
      break;
    case kVkPgDn:
      if (hex) {
        nHexTop = nBottomRec + L;
        if (nHexTop >= nFileSize) nHexTop = lastLine;
      } else {
        nTopRec = ClampToInt32(nBottomRec + 1);
      }
      break;
    case kVkPgUp:
      if (hex) nHexTop = std::max<int64_t>(0, 2 * nHexTop - L - nBottomRec);
      else nTopRec = Find1stRecordOnPage(nTopRec - 1);
      break;
    case kVkDown:
      if (hex) {
        nHexTop += L;
        if (nHexTop >= nFileSize) nHexTop = lastLine;
      } else {
        nTopRec = ClampToInt32(int64_t{nTopRec} + 1);
      }
      break;
    case kVkUp:
      if (hex) nHexTop = std::max<int64_t>(0, nHexTop - L);
      else nTopRec = std::max(1, nTopRec - 1);
      break;
    default:
      break;
  }
  bRepaint = true;
  nYieldCount = 1;
  IndexAheadToRecord(nTopRec);
  while (nTopRec > nRecCount && !bAllIndexed && !bIndexing && ScanGoesOn()) GetASeg();
  nYieldCount = 0;
  nTopRec = std::max(1, std::min(nTopRec, nRecCount));
  if (hex) nHexTop = std::clamp<int64_t>(nHexTop, 0, std::max<int64_t>(0, nFileSize & nHexMask));
}

}  // namespace tembra
