// The directory page: entries in newspaper columns with the cursor highlighted, the
// cursor-only repaint, the page start for a cursor, and the listing file.
#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "dirlist/entry_list.h"
#include "dirlist/sizes.h"
#include "dirlist/entry_table.h"

namespace tembra {

namespace {

// Writes text into a page line at a 1-based column, growing the line with blanks.
void PutAt(std::string& line, int32_t col, std::string_view text) {
  size_t start = static_cast<size_t>(col - 1);
  if (line.size() < start + text.size()) line.resize(start + text.size(), ' ');
  line.replace(start, text.size(), text);
}

}  // namespace

void EntryList::EntryListTitle() {
  W.zTopLine.append(" - Directory List - ").append(Format(iCursor, "####0")).append(" of ");
  W.zTopLine.append(Format(nSZDir, "####0")).append(" Entries");
  // The Linux profile says which filter hides entries, and the key that clears it.
  if (W.eProfile == Profile::Linux && HasFilter()) W.zTopLine.append(" - Filter: ").append(FilterText()).append(" (= clears)");
}

bool EntryList::HasFilter() const { return !zNameFilter.empty() || !zDateFrom.empty() || !zDateTo.empty() || nSizeMax >= 1; }

// The filters in force: the name pattern, the dates "2024-01-01..2024-12-31" and the
// sizes "10..2000" (an end left open stays empty).
std::string EntryList::FilterText() const {
  auto date = [](const std::string& d) { return d.size() == 8 ? d.substr(0, 4) + "-" + d.substr(4, 2) + "-" + d.substr(6) : d; };
  std::string text = zNameFilter;
  auto add = [&](const std::string& part) { text.append(text.empty() ? "" : " ").append(part); };
  if (!zDateFrom.empty() || !zDateTo.empty()) add("dates " + date(zDateFrom) + ".." + date(zDateTo));
  if (nSizeMax >= 1)
    add("sizes " + std::to_string(nSizeMin) + ".." + (nSizeMax == 2147483647 ? "" : std::to_string(nSizeMax)));
  return text;
}

void EntryList::ClearFilters() {
  zNameFilter.clear();
  zDateFrom.clear();
  zDateTo.clear();
  nSizeMin = nSizeMax = 0;
}

void EntryList::RedrawWhole() {
  bCursorOnly = false;
  for (CursorCell& c : CursorCache) c = CursorCell{};
}

// 3-4. Column geometry: the entry columns and their width, which it returns.
int32_t EntryList::DirPageGeometry() {
  if (W.nColumns < 13) W.vxCatastrophe(MsgText(Msg::VX9005));
  int32_t w;
  const int32_t perPageBefore = W.nPerPage;
  const bool fitNames = !bShortFormat && piFullNames.On(W.eProfile);
  if (fitNames) {
    // Full names: as many columns (at most those asked for) as fit entries whose name
    // column holds the longest shown name; one column when even that one does not fit.
    int32_t nameCol = 22;
    if (nTimeWidth > 0) nameCol = nTimeWidth == 9 ? 31 : 22 + nTimeWidth + 1;
    if (nAttrWidth != 0) nameCol += AttrCells(*this) + 1;
    const int32_t need = nameCol - 1 + std::max(nNameWidth, nLongestName);
    int32_t columns = std::max(1, (W.nColumns + 1) / (need + 1));
    if (nDirColumnsSet != 0) columns = std::min(columns, nDirColumnsSet);
    w = (W.nColumns + 1) / columns - 1;
    nDirColumns = columns;
  } else if (nDirColumnsSet != 0) {
    w = (W.nColumns + 1) / nDirColumnsSet - 1;
    if (w < 13) {
      w = 12;
    } else if (bShortFormat) {
      if (w < 19) w = 13;
      else if (w < 26) w = 19;
      else if (w < 39) w = 26;
      else if (w < 44) w = 39;
    }
    nDirColumns = (W.nColumns + 1) / (w + 1);
  } else {
    w = 12;
    nDirColumns = (W.nColumns + 1) / 13;
  }
  nDirColWidth = w;
  W.nPerPage = W.nPageLines * nDirColumns;
  // Fitted columns change with the names shown: the page must still hold the cursor.
  if (fitNames && W.nPerPage != perPageBefore) iTopSZDir = iFindUl(std::max(iCursor, iFirstZDir));
  return w;
}

// 5. Bars between the entry columns
void EntryList::DirColumnBars(int32_t w, long cw) {
  if (!bCursorOnly) {
    for (int32_t k = 1; k < nDirColumns; ++k) {
      long x1 = (static_cast<long>(w + 1) * k - 1) * cw + cw / 3;
      W.FillRect(x1, W.nLineHeight, x1 + cw / 3, W.nClientHeight - W.nLineHeight, W.lColor[kColorInfoBack]);
    }
    // A full page starts the cursor cache afresh: the cells it remembers belong to this page.
    for (CursorCell& c : CursorCache) c = CursorCell{};
  }
}

// 6-7. Entries (a page start left below the first entry by a tiny window is raised)
void EntryList::DirPageEntries(int32_t w, long cw, long pitch) {
  if (iTopSZDir < iFirstZDir) iTopSZDir = iFirstZDir;
  iLastOnPage = iTopSZDir + W.nPerPage - 1;
  if (iLastOnPage > nSZDir) iLastOnPage = nSZDir;
  int32_t r = 1, c = 1;
  for (int32_t i = iTopSZDir; i <= iLastOnPage; ++i) {
    iCurZDir = IndexAt(i);
    const std::string& rec = Record(iCurZDir);
    std::string text;
    if (i == 0 && iCurZDir == 0) {
      text = Space(w);
      PutAt(text, 1, "<<PARENT DIR");
      if (w > 23 && iLastOnPage != 0) {
        std::string path = W.ShownPath(ZdNameStored(rec));
        if (W.NameCells(path) < w - 22) {
          PutAt(text, 23, path);
        } else {
          // Columns 23 to w - 1 hold the start of the path; the "~" follows it.
          std::string_view cut = W.NameCut(path, w - 23);
          text.resize(22);
          text += cut;
          text.append(static_cast<size_t>(w - 23 - W.NameCells(cut)), ' ');
          text += '~';
        }
      }
      if (W.bUtf8) {
        const int32_t cells = W.NameCells(text);
        if (cells < w) text.append(static_cast<size_t>(w - cells), ' ');
      } else {
        text.resize(static_cast<size_t>(w), ' ');
      }
    } else {
      text = zFormat1New(iCurZDir, w);
    }
    long x = (c - 1) * pitch, y = static_cast<long>(r) * W.nLineHeight;
    if (i == iCursor) {
      long y1 = y + 2L * W.nTwipsPerPixelY;
      W.FillRect(x, y1, x + w * cw, y1 + W.nLineHeight - W.nTwipsPerPixelY, W.lColor[kColorSelectedBack]);
    } else if (bCursorOnly && i == iOldCursor) {
      long y1 = y + 2L * W.nTwipsPerPixelY;
      W.FillRect(x, y1, x + w * cw, y1 + W.nLineHeight - W.nTwipsPerPixelY, W.lColor[kColorBack]);
    }
    uint32_t fore;
    bool bold = false;
    char type = ZdChar(rec, kZdType);
    if (type != 'F') {
      fore = W.lColor[kColorDirText];
      W.P.window.SetBackColor(W.lColor[kColorDirBack]);
    } else if (ZdChar(rec, kZdDelMark) != ' ') {
      fore = W.lColor[kColorDeletedText];
      bold = W.bFoundBold;
    } else {
      fore = W.lColor[kColorText];
    }
    W.SetForeColor(fore);
    W.SetBold(bold);
    if (!bCursorOnly) W.PrintShownAt(x, y, text);
    if (i == iCursor) {
      for (size_t k = CursorCache.size() - 1; k > 0; --k) CursorCache[k] = CursorCache[k - 1];
      for (size_t k = 1; k < CursorCache.size(); ++k)
        if (CursorCache[k].text == text) CursorCache[k].text.clear();
      CursorCache[0] = CursorCell{x, y, fore, bold, text};
    }
    if (++r > W.nPageLines) {
      r = 1;
      ++c;
    }
  }
}

void EntryList::DosDir() {
  // 1-2. Cursor at a root, caption and title line
  if (iCursor == 0 && iFirstZDir == 1) iCursor = 1;
  W.P.window.SetCaption(W.zCaptionLeft + W.zCaptionRight);
  W.SetForeColor(W.lColor[kColorInfoText]);
  W.PrintShownAt(0, W.nMinusPixelY, W.zTopLine);
  W.SetForeColor(W.lColor[kColorText]);
  // 3-4. Column geometry
  const int32_t w = DirPageGeometry();
  const long cw = W.nCharWidth, pitch = static_cast<long>(w + 1) * cw;
  DirColumnBars(w, cw);

  DirPageEntries(w, cw, pitch);
  // 8. Cursor-only repaint: the remembered cursor cells again
  if (bCursorOnly) {
    for (const CursorCell& cell : CursorCache) {
      if (cell.text.empty()) break;
      W.SetForeColor(cell.color);
      W.SetBold(cell.bold);
      W.PrintShownAt(cell.x, cell.y, cell.text);
    }
    bCursorOnly = false;
  }
  W.SetBold(false);
  W.SetForeColor(W.lColor[kColorText]);
}

int32_t EntryList::iFindUl(int32_t ICURSOR) {
  if (W.nPageLines < 0) return -1;
  int32_t top = iFirstZDir;
  if (W.nPageLines == 0 || W.nPerPage <= 0) return top;
  while (top + W.nPerPage <= ICURSOR) top += W.nPageLines;
  return top;
}

}  // namespace tembra
