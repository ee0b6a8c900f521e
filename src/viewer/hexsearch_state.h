// Fields of the hex view, the text search, bookmarks and line marking.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tembra {

struct HexSearchState {
  // ---- hex view
  int32_t nPaneWidth = 0;              // columns of one pane
  std::array<std::string, 256> HexLines;  // body lines of the hex page, 1..255
  std::string zHexBytes;               // 35 characters: hexadecimal column of 16 bytes
  std::string zHexChars;               // 16 characters: character column of 16 bytes
  std::string zHexHead16, zHexHead32;  // column headings (built at start-up)
  int32_t nHexBufBase = 0;             // buffer position (0-based) of the page's first byte

  // ---- text search
  std::string zLastFindText;           // previous answer, offered as the default
  bool bSearchBack = false;            // the search goes backward (Shift+F, Shift+S, F9, Shift+N)
  bool bFindCols = false;
  int32_t nFindColFrom = 0, nFindColTo = 0;
  double nSearchStart = 0;             // seconds since midnight when the search clock started

  // ---- bookmarks: entries 1..nBookmarks, most recent first; entry 0 is working space
  std::array<int32_t, 26> Bookmarks{};
  int32_t nBookmarks = 0;

  // ---- marks of less's keys (Linux profile): the top of the page under each letter, and
  // where the last jump (g, G, <, >, a search, a mark, #) started; rec 0 = not set
  struct ViewPlace {
    int32_t rec = 0, row = 0;
    int64_t piece = 0, hex = 0;
  };
  std::array<ViewPlace, 26> LetterMarks{};
  ViewPlace JumpStart;
  int32_t nMarkKey = 0;             // m or ' waits for the mark's letter (0: none)
  bool bLastSearchBack = false;     // the last search went backward: n goes on that way

  // ---- search case table
  bool bCaseTableBuilt = false;        // the search case table is built
  std::vector<uint16_t> UpperTable;    // entry c + 32768: upper case of the 16-bit code c
  std::array<uint16_t, 256> nFoldByte{};  // UpperTable applied to the Unicode code of each byte

  // ---- line marks: 1-based file addresses, 0 = not set
  int64_t nMarkStart = 0, nMarkEnd = 0;
  int64_t nLastMarkStart = 0, nLastMarkEnd = 0;
  int64_t nClipLimit = 1048576;
};


}  // namespace tembra
