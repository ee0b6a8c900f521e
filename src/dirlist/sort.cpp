// Sorting: the scanned records into name order, and the display table with group
// letters, secondary keys and the cursor placed on a requested name.
#include <algorithm>
#include <numeric>

#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "zip/zip_page.h"
#include "dirlist/entry_list.h"
#include "dirlist/wildcard.h"

namespace tembra {

namespace {

// Index of the first gap to use for n elements: the one before the first gap >= n.
int FirstGap(const std::array<int32_t, 26>& gap, int32_t n) {
  int k = 1;
  while (k < 25 && gap[static_cast<size_t>(k)] < n) ++k;
  return k - 1;
}

std::string_view NameOf(const std::string& rec) { return ZdField(rec, kZdName, ZdNameLength(rec)); }

}  // namespace

void EntryList::PopulateSort() {
  static constexpr int32_t kGaps[25] = {1,       4,        10,       23,       57,       132,      301,
                                        701,     1584,     3581,     8093,     18290,    41337,    93422,
                                        211135,  477166,   1078395,  2437174,  5508013,  12448109, 28132726,
                                        63579961, 143690712, 324741011, 999777999};
  nSortGap[0] = 0;
  for (int i = 0; i < 25; ++i) nSortGap[static_cast<size_t>(i) + 1] = kGaps[i];
}

void EntryList::SORT1ST() {
  int32_t n = nZDir;
  if (n < 2) return;
  // The Shell sort runs on (name, record) pairs prepared once; the records are then
  // put into the sorted order in one pass.
  struct Item {
    std::string_view name;
    int32_t index;
  };
  std::vector<Item> it(static_cast<size_t>(n) + 1);
  for (int32_t i = 1; i <= n; ++i) it[static_cast<size_t>(i)] = {NameOf(Record(i)), i};
  // The comparison sort compares the names' first sixteen bytes as two numbers (a short
  // name padded with zero bytes, which orders it as a string compare does), and the whole
  // names only where those numbers are equal.
  struct Keyed {
    uint64_t head, next;
    Item item;
  };
  auto headOf = [](std::string_view s, size_t from) {
    uint64_t h = 0;
    for (size_t k = from; k < from + 8; ++k) h = h << 8 | (k < s.size() ? static_cast<unsigned char>(s[k]) : 0u);
    return h;
  };
  // Without two equal names there is only one sorted order, found faster by a
  // comparison sort; equal names keep the Shell sort's own order.
  std::vector<Keyed> quick;
  quick.reserve(static_cast<size_t>(n));
  for (int32_t i = 1; i <= n; ++i) {
    const Item& e = it[static_cast<size_t>(i)];
    quick.push_back({headOf(e.name, 0), headOf(e.name, 8), e});
  }
  std::sort(quick.begin(), quick.end(), [](const Keyed& a, const Keyed& b) {
    if (a.head != b.head) return a.head < b.head;
    if (a.next != b.next) return a.next < b.next;
    return a.item.name < b.item.name;
  });
  const bool ties = std::adjacent_find(quick.begin(), quick.end(), [](const Keyed& a, const Keyed& b) {
                      return a.item.name == b.item.name;
                    }) != quick.end();
  if (!ties)
    for (int32_t i = 1; i <= n; ++i) it[static_cast<size_t>(i)] = quick[static_cast<size_t>(i) - 1].item;
  for (int k = ties ? FirstGap(nSortGap, n) : 0; k >= 1; --k) {
    int32_t h = nSortGap[static_cast<size_t>(k)];
    for (int32_t j = h + 1; j <= n; ++j) {
      Item t = it[static_cast<size_t>(j)];
      int32_t i = j;
      while (i - h >= 1 && it[static_cast<size_t>(i - h)].name > t.name) {
        it[static_cast<size_t>(i)] = it[static_cast<size_t>(i - h)];
        i -= h;
      }
      it[static_cast<size_t>(i)] = t;
    }
  }
  std::vector<int32_t> from(static_cast<size_t>(n) + 1);
  for (int32_t i = 1; i <= n; ++i) from[static_cast<size_t>(i)] = it[static_cast<size_t>(i)].index;
  Reorder(from);
}

namespace {

// Step 1 of SORTEMALL: one element per shown record, the parent first.
std::vector<EntryTable::Shown> ShownElements(EntryList& L, char letter) {
  // 1. One element per shown record, with its key built once.
  using Elem = EntryTable::Shown;
  std::vector<Elem> el;
  el.reserve(static_cast<size_t>(L.nZDir) + 1);
  el.push_back({0, "<PARENT>"});
  for (int32_t i = 1; i <= L.nZDir; ++i) {
    const std::string& rec = L.Record(i);
    if (ZdChar(rec, kZdIgnore) == '*') continue;
    int32_t len = ZdNameLength(rec);
    std::string key;
    key.reserve(17 + static_cast<size_t>(len));
    key.assign(17, ' ');
    char type = ZdChar(rec, kZdType);
    if (type == 'F' && (letter == 'R' || letter == 'U') && ZdNotPlainName(rec))
      key.append(ZdField(rec, kZdTempSource, len));
    else
      key.append(ZdField(rec, kZdName, len));
    if (type == 'D') key[0] = L.bSortAscending ? 'D' : 'M';
    if (type == 'F' && ZdChar(rec, kZdDelMark) != ' ' && (letter == 'R' || letter == 'F'))
      key[0] = L.bSortAscending ? 'E' : 'K';
    if (key[0] == ' ') key[0] = type;
    switch (letter) {
      case 'D':
        if (type != 'D' || L.bSortDirsByDate) {
          std::string_view stamp = ZdStamp(rec, L.W.iDateCol);
          key.replace(1, stamp.size(), stamp);
        }
        if (key[0] == 'M' && !L.bSortDirsByDate) {
          // Reversed position in name order, so that directories keep ascending name
          // order when the date sort runs descending.
          std::string rev = L.W.qbFl(999999 - i, "######");
          key.replace(2, 6, rev.substr(rev.size() > 6 ? rev.size() - 6 : 0));
        }
        break;
      case 'S': {
        std::string_view size = ZdField(rec, kZdSize, kZdSizeLen);
        key.replace(1, size.size(), size);
        break;
      }
      case 'E': {
        std::string_view ext = ZdField(rec, kZdExt, kZdExtWidth);
        key.replace(1, ext.size(), ext);
        break;
      }
      case 'N':
        key[0] = ' ';
        break;
      default:
        break;
    }
    el.push_back({i, std::move(key)});
  }
  return el;
}

// Step 3 of SORTEMALL: the elements 1..nSZDir into sort order.
void SortElements(EntryList& L, std::vector<EntryTable::Shown>& el) {
  using Elem = EntryTable::Shown;
  // 3. Shell sort of elements 1..nSZDir on their keys. Without two equal keys there is
  //    only one sorted order, found faster by a comparison sort; equal keys keep the
  //    Shell sort's own order.
  bool ties = true;
  if (L.nSZDir >= 2) {
    const bool asc = L.bSortAscending;
    std::vector<int32_t> order(static_cast<size_t>(L.nSZDir));
    std::iota(order.begin(), order.end(), 1);
    auto key = [&](int32_t i) -> const std::string& { return el[static_cast<size_t>(i)].key; };
    auto before = [&](int32_t a, int32_t b) { return asc ? key(a) < key(b) : key(b) < key(a); };
    // The records are in name order already, so the name sort finds its keys sorted.
    if (!std::is_sorted(order.begin(), order.end(), before)) std::sort(order.begin(), order.end(), before);
    ties = std::adjacent_find(order.begin(), order.end(), [&](int32_t a, int32_t b) { return key(a) == key(b); }) !=
           order.end();
    if (!ties) {
      std::vector<Elem> sorted;
      sorted.reserve(el.size());
      sorted.push_back(std::move(el[0]));
      for (int32_t i : order) sorted.push_back(std::move(el[static_cast<size_t>(i)]));
      el = std::move(sorted);
    }
  }
  if (L.nSZDir >= 2 && ties) {
    const bool asc = L.bSortAscending;
    for (int k = FirstGap(L.nSortGap, L.nSZDir); k >= 1; --k) {
      int32_t h = L.nSortGap[static_cast<size_t>(k)];
      if (h + 1 > L.nSZDir) L.W.vxCatastrophe(MsgText(Msg::VX9016));
      for (int32_t j = h + 1; j <= L.nSZDir; ++j) {
        Elem t = std::move(el[static_cast<size_t>(j)]);
        int32_t i = j;
        while (i - h >= 1) {
          bool greater = el[static_cast<size_t>(i - h)].key > t.key;
          if (asc ? !greater : greater) break;
          el[static_cast<size_t>(i)] = std::move(el[static_cast<size_t>(i - h)]);
          i -= h;
        }
        el[static_cast<size_t>(i)] = std::move(t);
      }
    }
  }
}

// Steps 4 and 5 of SORTEMALL: the cursor onto the requested name, the page that holds it.
void PlaceSortCursor(EntryList& L) {
  if (L.nSZDir >= 2) {
    // 4. The cursor onto the requested name
    L.zFindName = L.W.NameU(L.zFindName);
    //    Where the entry's own stored name is known, only that entry: of two names that
    //    differ only in letter case the cursor keeps its own, and never takes the other
    //    when its own has gone. Otherwise the first of the same upper-case name.
    const bool exact = !L.zFindExact.empty() && L.W.NameU(L.zFindExact) == L.zFindName;
    if (!L.zFindName.empty()) {
      for (int32_t i = 1; i <= L.nSZDir; ++i) {
        const std::string& rec = L.RecordAt(i);
        if (NameOf(rec) == L.zFindName && (!exact || ZdNameStored(rec) == L.zFindExact)) {
          L.iCursor = i;
          L.zFindName.clear();
          L.zFindExact.clear();
          break;
        }
      }
    }
    // A cursor beyond the entries that are left (some went away) goes to the last one.
    if (L.iCursor > L.nSZDir) L.iCursor = L.nSZDir;
    // 5. The page that holds the cursor
    if (L.iCursor > L.iFirstZDir) L.iTopSZDir = L.iFindUl(L.iCursor);
  } else {
    L.iCursor = L.zFindName.empty() ? 0 : 1;
  }
}

}  // namespace

void EntryList::SORTEMALL() {
  const char letter = zSortLetter.empty() ? ' ' : zSortLetter[0];
  if (std::string_view("DFSENRU").find(letter) == std::string_view::npos)
    W.vxCatastrophe(MsgText(Msg::VX9015));

  std::vector<EntryTable::Shown> el = ShownElements(*this, letter);
  nSZDir = static_cast<int32_t>(el.size()) - 1;
  iTopSZDir = iFirstZDir;

  SortElements(*this, el);
  SetOrder(el);
  // Full names: the entry columns are made as wide as the longest shown name needs.
  nLongestName = 0;
  if (piFullNames.On(W.eProfile)) {
    for (int32_t i = 1; i <= nSZDir; ++i) {
      const std::string& rec = RecordAt(i);
      nLongestName = std::max(nLongestName, W.NameCells(ZdNameStored(rec)) + (ZdChar(rec, kZdLink) != ' ' ? 1 : 0));
    }
  }
  PlaceSortCursor(*this);
}

void EntryList::MarkIgnore() {
  // 1. Keep the cursor on its entry (a name asked for explicitly wins), or return it
  //    to the archive whose listing was left.
  if (zSortLetter == "F" && zFindName.empty()) {
    int32_t k = IndexAt(iCursor);
    if (k >= 1 && k <= nZDir) {
      zFindName = ZdNameUpper(Record(k));
      zFindExact = ZdNameStored(Record(k));
    }
  }
  if (!W.bZipMode && !W.Zip().zZipReturnName.empty()) {
    zFindName = W.Zip().zZipReturnName;
    zFindExact.clear();
    W.Zip().zZipReturnName.clear();
  }
  // 2. The ignore mark of every record
  for (int32_t i = 1; i <= nZDir; ++i) {
    std::string& rec = Record(i);
    if (rec.size() < kZdName) continue;
    char type = ZdChar(rec, kZdType);
    // The size is read only where a size range is set.
    double size = 0;
    if (type == 'F' && nSizeMax >= 1) {
      size = std::min(ZdSizeValue(rec), 2147483647.0);
    }
    int32_t len = ZdNameLength(rec);
    char mark = ' ';
    if (len == 0) {
      mark = '*';  // a nameless record (an archive member without a name) stays hidden
    } else if (type != 'D' && !zNameFilter.empty()) {
      std::string_view nameU = ZdField(rec, kZdName, len);
      bool shown = bWildMatch(nameU, zNameFilter, W.bUtf8);
      if (!shown && ZdNotPlainName(rec) && nameU.size() > static_cast<size_t>(kZdTempPrefixLen))
        shown = bWildMatch(nameU.substr(kZdTempPrefixLen), zNameFilter, W.bUtf8);
      if (!shown) mark = '*';
    }
    if (type == 'F' && nSizeMax >= 1 && (size < nSizeMin || size > nSizeMax)) mark = '*';
    std::string_view date = ZdDate(rec, W.iDateCol);
    if (!zDateFrom.empty() && date < std::string_view(zDateFrom)) mark = '*';
    if (!zDateTo.empty() && date > std::string_view(zDateTo)) mark = '*';
    ZdPutChar(rec, kZdIgnore, mark);
  }
  SORTEMALL();
}

}  // namespace tembra
