// Entry formatting: one fixed-width line per directory entry, in the columned layout
// (size, date, time, attributes, long name) or the compact layout (8.3-style name
// first).
#include "core/lister.h"
#include "dirlist/entry_list.h"
#include "core/unicode.h"
#include "dirlist/sizes.h"

namespace tembra {

namespace {

// A line of exactly W characters; writes are cut at column W. In UTF-8 a column is a
// screen cell: a wide character takes two, one that would cross column W is left out,
// and a wide character half overwritten leaves a blank.
struct Line {
  std::string s;
  bool utf8;
  std::vector<std::string> cell;  // UTF-8: the bytes of each cell ("" for a wide character's second half)
  std::vector<uint8_t> width;
  explicit Line(int32_t w, bool u = false) : s(static_cast<size_t>(w > 0 ? w : 0), ' '), utf8(u) {
    if (utf8) {
      cell.assign(s.size(), " ");
      width.assign(s.size(), 1);
    }
  }
  void Clear(size_t at) {
    if (width[at] == 0) Blank(at - 1);
    else if (width[at] == 2) Blank(at + 1);
    Blank(at);
  }
  void Blank(size_t at) {
    cell[at] = " ";
    width[at] = 1;
  }
  void Put(int32_t col, std::string_view text) {
    if (col < 1) return;
    size_t start = static_cast<size_t>(col - 1);
    if (start >= s.size()) return;
    if (!utf8) {
      size_t n = std::min(text.size(), s.size() - start);
      s.replace(start, n, text.substr(0, n));
      return;
    }
    const auto* u = reinterpret_cast<const unsigned char*>(text.data());
    size_t at = start, last = SIZE_MAX;
    for (size_t i = 0; i < text.size();) {
      const DecodedChar d = DecodeUtf8(u + i, text.size() - i);
      const int w = d.valid && d.cp >= 0xA0 ? CellWidth(d.cp) : 1;
      if (w == 0) {
        if (last != SIZE_MAX) cell[last].append(text.substr(i, static_cast<size_t>(d.len)));
      } else {
        if (at + static_cast<size_t>(w) > s.size()) {
          if (at < s.size()) Clear(at);
          break;
        }
        Clear(at);
        if (w == 2) Clear(at + 1);
        cell[at] = std::string(text.substr(i, static_cast<size_t>(d.len)));
        width[at] = static_cast<uint8_t>(w);
        if (w == 2) {
          cell[at + 1].clear();
          width[at + 1] = 0;
        }
        last = at;
        at += static_cast<size_t>(w);
      }
      i += static_cast<size_t>(d.len);
    }
  }
  std::string Str() const {
    if (!utf8) return s;
    std::string out;
    for (const std::string& c : cell) out += c;
    return out;
  }
  int32_t W() const { return static_cast<int32_t>(s.size()); }
  // The last column up to `upto` that holds more than a blank (0 when none).
  int32_t LastUsed(int32_t upto) const {
    for (int32_t c = std::min(upto, W()); c >= 1; --c) {
      const size_t i = static_cast<size_t>(c - 1);
      if (utf8 ? (width[i] == 0 || cell[i] != " ") : s[i] != ' ') return c;
    }
    return 0;
  }
};

// The mark beside the name of a symbolic link: "@" a link, "!" a link whose target is
// missing (or a loop); empty for anything else.
std::string_view LinkMark(const std::string& rec) {
  switch (ZdChar(rec, kZdLink)) {
    case kZdLinkLive: return "@";
    case kZdLinkBroken: return "!";
    default: return {};
  }
}

double SizeOf(const std::string& rec) {
  double v = 0;
  for (char c : ZdSizeField(rec))
    if (c >= '0' && c <= '9') v = v * 10 + (c - '0');
  return v;
}

}  // namespace

static std::string RightIn(size_t width, const std::string& text) {
  return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

// The number right-aligned in 8 ("#######0").
static std::string Eight(double v) { return RightIn(8, Format(v, "#######0")); }
// Characters 2-5 of the eight, a comma, characters 6-8.
static std::string Grouped(double v) {
  std::string e = Eight(v);
  return Mid(e, 2, 4) + "," + Mid(e, 6, 3);
}

// A size in 8 characters and a unit letter (blank for bytes, then k, m, g, t): the unit
// the long layouts always took for it (bytes below 10^7, k below 10^10, else m), or a
// coarser one where the number reaches `limit`: 10^7 where the grouped form would lose its
// first digit (Classic keeps "9999,999" otherwise), 10^6 where a second comma would be
// needed (1,301,496 bytes: 1,271k).
std::string GroupedSize(double s, double limit) {
  static constexpr char kUnits[] = " kmgt";
  static constexpr double kDivisors[] = {1, 1024, 1048576, 4294967296.0 / 4, 1099511627776.0};
  int unit = s < 1e7 ? 0 : s < 1e10 ? 1 : 2;
  double v = static_cast<double>(RoundHalfEven(s / kDivisors[unit]));
  while (v >= limit && unit < 4) v = static_cast<double>(RoundHalfEven(s / kDivisors[++unit]));
  return (v < 1000 ? Eight(v) : Grouped(v)) + kUnits[unit];
}

// A size as ls -lh writes it: bytes below 1024, else in K, M, G, T, P, E (powers of 1024)
// rounded up, with one decimal below 10 (1.1G, 10K, 512K; 1,048,575 bytes is 1.0M).
std::string HumanSize(uint64_t s) {
  if (s < 1024) return std::to_string(s);
  static constexpr char kUnits[] = "KMGTPE";
  int e = 0;
  uint64_t d = 1024;
  while (e < 5 && s / d >= 1024) {
    d *= 1024;
    ++e;
  }
  const uint64_t q = s / d, r = s % d;
  if (q < 10) {
    const uint64_t tenths = q * 10 + (r * 10 + d - 1) / d;
    if (tenths < 100) return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + kUnits[e];
    return std::string("10") + kUnits[e];
  }
  const uint64_t whole = q + (r > 0 ? 1 : 0);
  if (whole >= 1024 && e < 5) return std::string("1.0") + kUnits[e + 1];
  return std::to_string(whole) + kUnits[e];
}

int32_t AttrCells(const EntryList& e) {
  if (e.nAttrWidth == 0) return 0;
  return e.piPermissions.On(e.W.eProfile) && !e.W.bZipMode ? 10 : 4;
}

static std::string ShortSize(Lister& L, const std::string& rec, bool trailingBlank) {
  if (ZdChar(rec, kZdType) == 'D') return " <DIR>";
  double s = SizeOf(rec);
  if (L.Entries().piHumanSizes.On(L.eProfile)) return RightIn(5, HumanSize(static_cast<uint64_t>(s))) + (trailingBlank ? " " : "");
  if (s < 100000) return L.vxFD(s, "####0") + (trailingBlank ? " " : "");
  if (s < 1e8) return L.qbFl(static_cast<double>(RoundHalfEven(s / 1024)), "####0") + "k";
  if (s < 1e11) return L.qbFl(static_cast<double>(RoundHalfEven(s / 1048576)), "####0") + "m";
  return L.qbFl(static_cast<double>(RoundHalfEven(s / (4294967296.0 / 4))), "####0") + "g";
}

static std::string LongSize(Lister& L, const std::string& rec) {
  if (ZdChar(rec, kZdType) == 'D') return " <DIR>   ";
  const double s = SizeOf(rec);
  if (L.Entries().piHumanSizes.On(L.eProfile)) return RightIn(8, HumanSize(static_cast<uint64_t>(s))) + " ";
  return GroupedSize(s, L.eProfile == Profile::Classic ? 1e7 : 1e6);
}

static std::string ShortDate(const Lister& L, const std::string& rec) {
  std::string d(ZdDate(rec, L.iDateCol));
  d.resize(kZdDateLen, ' ');
  std::string y = d.substr(2, 2), m = d.substr(4, 2), dd = d.substr(6, 2);
  if (L.bMMDD) return m + dd + y;
  if (L.bDDMM) return dd + m + y;
  return y + m + dd;
}

static std::string LongDate(const Lister& L, const std::string& rec) {
  std::string d(ZdDate(rec, L.iDateCol));
  d.resize(kZdDateLen, ' ');
  std::string y = d.substr(0, 4), m = d.substr(4, 2), dd = d.substr(6, 2);
  if (L.bMMDD) return m + "/" + dd + "/" + y;
  if (L.bDDMM) return dd + "-" + m + "-" + y;
  return y + "-" + m + "-" + dd;
}

static std::string TimeText(const Lister& L, const std::string& rec, int32_t width) {
  std::string t(ZdClock(rec, L.iTimeCol));
  t.resize(kZdClockLen, ' ');
  std::string hh = t.substr(0, 2), mm = t.substr(2, 2), ss = t.substr(4, 2);
  switch (width) {
    case 4: return hh + mm;
    case 5: return hh + ":" + mm;
    case 6: return hh + mm + ss;
    case 8: return hh + ":" + mm + ":" + ss;
    case 9: {
      char c = t[6], mark = ' ';
      if (c == '8' || c == '9') mark = '+';
      else if (c == '6' || c == '7') mark = '=';
      else if (c == '4' || c == '5') mark = ':';
      else if (c == '2' || c == '3') mark = '.';
      return hh + ":" + mm + ":" + ss + std::string(1, mark);
    }
    default: return std::string();
  }
}

static std::string AttrText(const std::string& rec, bool zipAware) {
  if (ZdIsZipMember(rec)) {
    // A member's attribute columns hold "ZIP" and its ratio: no attribute bits.
    if (zipAware) return std::string(ZdZipRatio(rec)) + "%";
    return "----";
  }
  std::string a = "----";
  if (ZdChar(rec, kZdAttrArchive) == '1') a[0] = 'A';
  if (ZdChar(rec, kZdAttrSystem) == '1') a[1] = 'S';
  if (ZdChar(rec, kZdAttrHidden) == '1') a[2] = 'H';
  if (ZdChar(rec, kZdAttrReadOnly) == '1') a[3] = 'R';
  return a;
}

std::string EntryList::zFormat1New(int32_t IndxD, int32_t nChars) {
  if (bShortFormat) return zFormat1Old(IndxD, nChars);
  const std::string& rec = Record(IndxD);
  Lister& win = W;
  Line line(nChars, win.bUtf8);
  const int32_t W = line.W(), N = nNameWidth, T = nTimeWidth;
  int32_t p;
  if (N + T + 22 <= W) {
    line.Put(1, LongSize(win, rec));
    line.Put(11, LongDate(win, rec));
    p = 22;
    if (T > 0) {
      line.Put(22, TimeText(win, rec, T));
      p = T == 9 ? 31 : 22 + T + 1;
    }
    if (const int32_t A = AttrCells(*this); A != 0 && A + N + T + 23 <= W) {
      std::string mode, owner;
      if (A == 4) line.Put(p, AttrText(rec, true));
      else if (win.P.files.ModeAndOwner(win.zCurDir + ZdNameStored(rec), mode, owner)) line.Put(p, mode);
      else line.Put(p, std::string(10, '?'));  // gone since the scan
      p += A + 1;
      // The owner, in 8 cells (a longer name cut with "~"), where the names keep their room.
      if (A == 10 && W - p + 1 >= 9 + std::max(N, nLongestName)) {
        line.Put(p, win.NameCells(owner) > 8 ? std::string(win.NameCut(owner, 7)) + "~" : owner);
        p += 9;
      }
    }
  } else if (N + 19 <= W) {
    line.Put(1, ShortSize(win, rec, true));
    line.Put(8, ShortDate(win, rec));
    line.Put(15, TimeText(win, rec, 4));
    p = 21;
  } else if (N + 14 <= W) {
    line.Put(1, ShortSize(win, rec, true));
    line.Put(8, ShortDate(win, rec));
    p = 15;
  } else if (N + 7 <= W) {
    line.Put(1, ShortSize(win, rec, true));
    p = 8;
  } else {
    p = 1;
  }
  if (W >= 1) {
    std::string name = ZdNameStored(rec);
    int32_t room = W - p + 1;
    const std::string_view mark = LinkMark(rec);
    if (!mark.empty()) {
      // A link: the name, its mark, and where it points when that fits too; a name cut
      // short keeps its "~" before the mark.
      const int32_t cells = win.NameCells(name);
      if (cells + 1 > room) {
        if (room > 2) line.Put(p, win.NameCut(name, room - 2));
        if (room > 1) line.Put(W - 1, "~");
        line.Put(W, mark);
      } else {
        line.Put(p, name);
        line.Put(p + cells, mark);
        if (!win.bZipMode) {
          const std::string target = " -> " + win.P.files.LinkTarget(win.zCurDir + name);
          if (target.size() > 4 && cells + 1 + win.NameCells(target) <= room) line.Put(p + cells + 1, target);
        }
      }
    } else if (win.NameCells(name) > room) {
      if (room > 1) line.Put(p, win.NameCut(name, room - 1));
      line.Put(W, "~");
    } else {
      line.Put(p, name);
    }
  }
  return line.Str();
}

std::string EntryList::zFormat1Old(int32_t SDZFI, int32_t nChars) {
  const std::string& rec = Record(SDZFI);
  Lister& win = W;
  Line line(nChars, win.bUtf8);
  const int32_t W = line.W();
  const int32_t L = ZdNameLength(rec);
  const std::string nameU(ZdField(rec, kZdName, L));
  const char type = ZdChar(rec, kZdType);
  const bool hasShort = ZdChar(rec, kZdShortName) != ' ';
  size_t dot = nameU.rfind('.');
  std::string ext, base = nameU;
  if (dot != std::string::npos) {
    ext = nameU.substr(dot + 1);
    base = nameU.substr(0, dot);
  }
  const int32_t E = win.NameCells(ext);

  // 1-2. Name part
  if (type != 'D') {
    if (hasShort) {
      line.Put(1, ZdField(rec, kZdShortName, kZdShortNameLen));
    } else if (E > 0) {
      if (E <= 3) {
        line.Put(10, ext);
      } else if (E == 4) {
        line.Put(10, ext);
        if (W == 12) line.Put(12, "~");
      } else {
        line.Put(10, win.NameCut(ext, 3));
        line.Put(13, "~");
      }
      if (win.NameCells(base) <= 8) {
        line.Put(1, base);
        line.Put(9, ".");
      } else {
        line.Put(1, win.NameCut(base, 8));
        line.Put(9, "~");
      }
    } else if (win.NameCells(nameU) <= 12) {
      line.Put(1, nameU);
    } else {
      line.Put(1, win.NameCut(nameU, 12));
      if (W > 12) line.Put(13, "~");
    }
  } else {
    line.Put(1, ">");
    if (!hasShort || L <= 12) line.Put(2, win.NameCut(nameU, 12));
    else line.Put(2, ZdField(rec, kZdShortName, kZdShortNameLen));
    if (W > 18) line.Put(15, "<DIR>");
  }
  // A link's mark right after the name part (at most in column 13).
  if (const std::string_view mark = LinkMark(rec); !mark.empty())
    line.Put(std::min({line.LastUsed(13) + 1, 13, W}), mark);

  // 3. Size
  if (type == 'F' && W >= 14) {
    line.Put(14, W < 39 ? ShortSize(win, rec, false) : LongSize(win, rec));
  }
  // 4. Date and time
  if (W > 25) {
    if (W < 39) {
      line.Put(21, ShortDate(win, rec));
    } else {
      line.Put(24, LongDate(win, rec));
      line.Put(35, TimeText(win, rec, 5));
    }
  }
  // 5. Attributes
  if (W > 43) line.Put(41, AttrText(rec, false));
  // 6. Long name
  if (W > 46) {
    std::string name = ZdNameStored(rec);
    if (win.NameCells(name) > W - 45) {
      line.Put(46, win.NameCut(name, W - 46));
      line.Put(W, "~");
    } else {
      line.Put(46, name);
    }
    iCurNameCol = kZdName + L;
  }
  nLenName = L;
  zCurType = std::string(1, type);
  return line.Str();
}

}  // namespace tembra
