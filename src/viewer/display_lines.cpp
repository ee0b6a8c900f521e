// Records turned into display lines: tab expansion, word wrap, the character drawn for
// each byte, and the EBCDIC (code page 1047) table.
#include <cstdint>
#include <cstring>

#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "viewer/file_view.h"
#include "core/unicode.h"

namespace tembra {

namespace {

// Latin-1 code of each EBCDIC code, one row of 16 per text.
const char* const kEbcdicRows[16] = {
    "000102039C09867F978D8E0B0C0D0E0F", "101112139D8508871819928F1C1D1E1F",
    "80818283840A171B88898A8B8C050607", "909116939495960498999A9B14159E1A",
    "20A0E2E4E0E1E3E5E7F1A22E3C282B7C", "26E9EAEBE8EDEEEFECDF21242A293B5E",
    "2D2FC2C4C0C1C3C5C7D1A62C255F3E3F", "F8C9CACBC8CDCECFCC603A2340273D22",
    "D8616263646566676869ABBBF0FDFEB1", "B06A6B6C6D6E6F707172AABAE6B8C6A4",
    "B57E737475767778797AA1BFD05BDEAE", "ACA3A5B7A9A7B6BCBDBEDDA8AF5DB4D7",
    "7B414243444546474849ADF4F6F2F3F5", "7D4A4B4C4D4E4F505152B9FBFCF9FAFF",
    "5CF7535455565758595AB2D4D6D2D3D5", "30313233343536373839B3DBDCD9DA9F",
};

// The first tab stop (1-based list) after column c; beyond the last stop a tab takes no column.
int32_t NextTabStop(const std::vector<int32_t>& stops, int32_t c) {
  for (size_t s = 1; s < stops.size(); ++s)
    if (stops[s] > c) return stops[s];
  return c;
}

inline bool IsBreakChar(unsigned char c) { return c == 0 || c == ' ' || c == '-' || c == 160; }
inline bool IsSkippedAtCut(unsigned char c) { return c == 0 || c == ' ' || c == 160; }

}  // namespace

void FileView::InitViewerTables() {
  nTabStops.assign(64, 0);
  for (size_t i = 1; i < nTabStops.size(); ++i) nTabStops[i] = static_cast<int32_t>(8 * i + 1);
  ZCOLFILL(0);
  PopulateList();
}

void FileView::PopulateList() {
  for (int32_t row = 0; row < 16; ++row) EAFILL(kEbcdicRows[row], row);
}

void FileView::EAFILL(const std::string& rowDigits, int32_t rowNumber) {
  static const std::string kDigits = "0123456789ABCDEF";
  for (int32_t k = 0; k < 16; ++k) {
    std::string hi = Mid(rowDigits, 2 * k + 1, 1), lo = Mid(rowDigits, 2 * k + 2, 1);
    long high = hi.empty() ? 0 : InStr(kDigits, hi);
    long low = lo.empty() ? 0 : InStr(kDigits, lo);
    if (high == 0 || low == 0) W.vxCatastrophe(MsgText(Msg::VX9018));
    zEbcdic[static_cast<size_t>(rowNumber * 16 + k) & 255] = Chr(static_cast<int>(high * 16 + low - 17));
  }
}

std::string FileView::zUnTab(const std::string& buffer, int32_t position, int32_t length) {
  if (length <= 0 || position < 1) return std::string();
  if (!bUnTab) return Mid(buffer, position, length);
  if (Utf8Text()) return zUnTabUtf8(buffer, position, length);
  const unsigned char* p = reinterpret_cast<const unsigned char*>(buffer.data()) + (position - 1);
  int32_t avail = static_cast<int32_t>(buffer.size()) - (position - 1);
  int32_t n = length < avail ? length : avail;
  if (n <= 0) return std::string();
  auto nextStop = [&](int32_t c) { return NextTabStop(nTabStops, c); };
  int32_t c = 1;
  bool sawTab = false;
  for (int32_t i = 0; i < n; ++i) {
    unsigned char b = p[i];
    if (b == 9) {
      sawTab = true;
      c = nextStop(c);
    } else if (b >= 1 && b <= 31) {
      return std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
    } else {
      ++c;
    }
  }
  if (!sawTab) return std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
  std::string out(static_cast<size_t>(c - 1), ' ');
  int32_t col = 1;
  for (int32_t i = 0; i < n; ++i) {
    unsigned char b = p[i];
    if (b == 9) {
      col = nextStop(col);
    } else {
      out[static_cast<size_t>(col - 1)] = static_cast<char>(b);
      ++col;
    }
  }
  return out;
}

// UTF-8 text: tab stops count cells (a wide character takes two, a combining mark none).
std::string FileView::zUnTabUtf8(const std::string& buffer, int32_t position, int32_t length) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(buffer.data()) + (position - 1);
  const int32_t avail = static_cast<int32_t>(buffer.size()) - (position - 1);
  const int32_t n = length < avail ? length : avail;
  if (n <= 0) return std::string();
  // Without a tab the record is shown as it is; with another control code too.
  bool tab = false;
  for (int32_t i = 0; i < n; ++i) {
    // Eight bytes at a time while none is below 32 (most text has no control code).
    while (i + 8 <= n) {
      uint64_t x;
      std::memcpy(&x, p + i, 8);
      constexpr uint64_t kOnes = 0x0101010101010101ULL, kHigh = 0x8080808080808080ULL;
      if (((x - kOnes * 32) & ~x & kHigh) != 0) break;
      i += 8;
    }
    if (i >= n || p[i] >= 32 || p[i] == 0) continue;
    if (p[i] != 9) return std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
    tab = true;
  }
  if (!tab) return std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
  std::string out;
  out.reserve(static_cast<size_t>(n) + 16);
  int32_t c = 1;
  for (int32_t i = 0; i < n;) {
    const unsigned char b = p[i];
    if (b == 9) {
      const int32_t stop = NextTabStop(nTabStops, c);
      out.append(static_cast<size_t>(stop - c), ' ');
      c = stop;
      ++i;
      continue;
    }
    const DecodedChar d = DecodeUtf8(p + i, static_cast<size_t>(n - i));
    c += d.valid && !IsFormatChar(d.cp) ? CellWidth(d.cp) : 1;  // a format character shows in one cell
    out.append(reinterpret_cast<const char*>(p + i), static_cast<size_t>(d.len));
    i += d.len;
  }
  return out;
}

void FileView::GetRecText(int32_t r, int64_t piece) {
  const RecordSpan s = GetZCurRec(r, piece);
  zRecText = s.Exists() ? zUnTab(zSegment, s.pos, s.len) : std::string();
  if (Utf8Text()) DecodeRecCells();
}

void FileView::BuildRecParse(int32_t RPRec, int32_t RPNCPL, int64_t piece) {
  GetRecText(RPRec, piece);
  if (RPNCPL < 1) RPNCPL = 1;
  const unsigned char* t = reinterpret_cast<const unsigned char*>(zRecText.data());
  int32_t remaining = static_cast<int32_t>(zRecText.size());
  // UTF-8 text is cut in cells: positions are cells, a break is judged by the character
  // a cell starts, and a wide character never splits across two lines.
  const bool cells = Utf8Text();
  if (cells) remaining = static_cast<int32_t>(vRecCells.size());
  auto charAt = [&](int32_t pos) -> int32_t {  // 1-based; -1 for a wide character's second cell
    if (!cells) return t[pos - 1];
    const int32_t b = nByteOfCell[static_cast<size_t>(pos - 1)];
    if (b < 0) return -1;
    const char32_t ch = vRecCells[static_cast<size_t>(pos - 1)].ch;
    return t[b] == 0 ? 0 : ch == U'\u00A0' ? 160 : ch < 0x80 ? static_cast<int32_t>(ch) : 0x100;
  };
  auto wideCut = [&](int32_t next) {  // the cell after a cut is a wide character's second cell
    return cells && next <= static_cast<int32_t>(vRecCells.size()) && vRecCells[static_cast<size_t>(next - 1)].width == 0;
  };
  int32_t start = 1;
  int32_t n = 0;
  const int32_t most = bGrepLines ? INT32_MAX - 1 : kMaxDisplayLines;
  RecParse.resize(kMaxDisplayLines + 1);
  while (n < most) {
    ++n;
    if (n >= static_cast<int32_t>(RecParse.size())) RecParse.resize(RecParse.size() * 2);
    if (remaining <= RPNCPL) {
      RecParse[n] = {start, remaining};
      remaining = 0;
      break;
    }
    // The last 11 characters of the window; a break character there ends the line.
    int32_t p = 0;
    for (int32_t q = 1; q <= 11; ++q) {
      int32_t pos = start + RPNCPL - 11 + q - 1;  // 1-based
      if (pos <= start) continue;  // a line holds at least one character
      const int32_t ch = charAt(pos);
      if (ch >= 0 && ch < 256 && IsBreakChar(static_cast<unsigned char>(ch))) p = q;
    }
    int32_t length;
    if (p > 0) {
      length = RPNCPL + p - 11;
      RecParse[n] = {start, length};
      start += length;
      remaining -= length;
    } else {
      length = RPNCPL;
      if (length > 1 && wideCut(start + length)) --length;
      RecParse[n] = {start, length};
      start += length;
      remaining -= length;
      const int32_t next = remaining > 0 ? charAt(start) : -1;
      if (next >= 0 && next < 256 && IsSkippedAtCut(static_cast<unsigned char>(next))) {
        ++start;
        --remaining;
      }
    }
  }
  if (remaining < 0) W.vxCatastrophe(MsgText(Msg::VX9022));
  RecParse[0] = {n, RPRec};
}

std::string FileView::zPrintable(const std::string& zChar) {
  if (zChar.empty()) return zChar;
  return std::string(1, static_cast<char>(PrintableCode(static_cast<unsigned char>(zChar[0]))));
}

unsigned char FileView::PrintableCode(unsigned char a) {
  unsigned char shown = a;
  if (W.TDISPLAY & TD_EBCDIC) {
    const std::string& e = zEbcdic[a];
    shown = e.empty() ? a : static_cast<unsigned char>(e[0]);
    a = shown;
  } else if (W.TDISPLAY & TD_STRIP) {
    if (a >= 128) a = shown = static_cast<unsigned char>(a - 128);
  } else if (W.TDISPLAY & TD_ASCII) {
    if (W.TDISPLAY & TD_HEX) {
      if (a < 32 || a >= 128) shown = '.';
    } else if (a >= 128) {
      a = shown = static_cast<unsigned char>(a - 128);
    }
  }
  if (W.nCharWidths[a] == 0) return W.zUnprintable.empty() ? shown : static_cast<unsigned char>(W.zUnprintable[0]);
  return shown;
}

std::string FileView::zPrintableText(const std::string& text) {
  std::string out(text);
  for (char& ch : out) ch = static_cast<char>(PrintableCode(static_cast<unsigned char>(ch)));
  return out;
}

}  // namespace tembra
