// The ZIP listing: an archive's members shown on the directory page, and the keys that
// leave it again.
#include "zip/zip_page.h"

#include <algorithm>
#include <chrono>
#include <string_view>
#include <thread>
#include <vector>

#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "config/config_state.h"
#include "dirlist/dir_page.h"
#include "dirlist/entry_list.h"
#include "dirlist/entry_table.h"
#include "input/key_reference.h"
#include "zip/zip_reader.h"
#include "archive/tar_reader.h"
#include "archive/zip_member.h"

namespace tembra {

ZipPage::ZipPage(Lister& w) : W(w), E(w.Entries()) {}
ZipPage::~ZipPage() { CloseNested(); }

bool ZipPage::CursorOnly() const { return E.CursorOnly(); }
void ZipPage::RedrawWhole() { E.RedrawWhole(); }

void ZipPage::ListArchive(bool fullPath) {
  bZipFullPath = fullPath;
  ProcessZ("Z");
}

std::string ZipPage::TakeReturnName() {
  std::string name;
  if (!W.bZipMode) name.swap(zZipReturnName);
  return name;
}

void ZipPage::ProcessZ(const std::string& zWhat) {
  if (E.iCurZDir < 0 || E.iCurZDir > E.Last()) return;
  const std::string entry = E.Record(E.iCurZDir);
  const std::string invalid = MsgText(Msg::VX8018);
  auto refuse = [&](const std::string& message) {
    W.VXERROR(message);
    W.SleepMs(1250);
  };

  // A tar archive (plain or compressed) is known by its content, and listed the same way.
  if (ListedAsTar(entry)) return;
  // The size from the entry: 2 GB and more cannot be listed, below 20 bytes is no archive.
  if (ZdNumber(ZdSizeThousands(entry)) >= 2147483) return refuse(MsgText(Msg::VX8017));
  if (ZdSizeValue(entry) < 20) return refuse(invalid);

  std::string zName = ZdNameUpper(entry);
  std::string zFullPath = W.zCurDir + zName;
  if (W.bLog) W.Log340("Opening zip file");
  ScopedFile archive(W.P.files, W.P.files.OpenRead(W.zCurDir + ZdNameStored(entry)));
  const FileHandle file = archive.get();
  if (file == kInvalidFile) return refuse(invalid);
  auto closeArchive = [&]() {
    W.P.files.CloseFile(archive.release());
    if (W.bLog) W.Log340("closing zip file");
  };

  // The file may have changed since the directory was scanned: its real size decides.
  if (W.P.files.FileLength(file) >= 2147483648LL) {
    closeArchive();
    return refuse(MsgText(Msg::VX8017));
  }
  std::vector<std::string> records;
  std::vector<zip::CentralEntry> members;
  int32_t count = 0;
  const bool read = ReadZip(file, records, members, count);
  closeArchive();
  // A damaged archive leaves the directory listing as it was.
  if (!read) return refuse(invalid);
  CloseNested();
  vTarIndex.clear();
  vTarMembers.clear();
  ShowMembers(entry, count, records, std::move(members), zFullPath, false);
}

bool ZipPage::ReadZip(FileHandle file, std::vector<std::string>& records, std::vector<zip::CentralEntry>& members,
                      int32_t& count) {
  // Read through the platform (1-based positions) in large blocks.
  zip::BlockSource src(W.P.files.FileLength(file), [this, file](int64_t pos, char* buffer, long n) {
    return W.P.files.ReadAt(file, pos + 1, buffer, n);
  });
  zip::EndRecord end;
  zip::ZipStatus status = zip::ReadEndRecord(src, end);
  if (status == zip::ZipStatus::Ok) {
    pZipArchive = &src;
    // Member names that are UTF-8 show as file names do (escapes and all).
    const zip::ShownNameFn shownName = [this](const std::string& n) { return W.P.files.ShownUtf8Name(n); };
    records.reserve(static_cast<size_t>(std::min<uint64_t>(end.count, 65536)));
    status = zip::ReadCentralDirectory(src, end, [&](const zip::CentralEntry& e) {
      std::string ntfs = e.extra.empty() ? std::string() : zZipExtra(e.extra, e.extraPos + 1);
      std::string rec = zip::MemberRecord(e, bZipFullPath, ntfs, W.bUtf8, shownName);
      if (!rec.empty()) {
        records.push_back(std::move(rec));
        members.push_back(e);
      }
    });
    pZipArchive = nullptr;
  }
  count = static_cast<int32_t>(std::min<uint64_t>(end.count, INT32_MAX - 2048));
  return status == zip::ZipStatus::Ok;
}

void ZipPage::ShowMembers(const std::string& entry, int32_t count, std::vector<std::string>& records,
                          std::vector<zip::CentralEntry>&& members, const std::string& zFullPath, bool nested) {
  // The tables are made afresh when the archive's entries do not fit them.
  if (E.nZDirMax < count) {
    E.Reset(((count + 1024) / 1024) * 1024);
  }
  E.nZDir = static_cast<int32_t>(records.size());
  for (int32_t i = 0; i < E.nZDir; ++i) E.Record(i + 1) = std::move(records[i]);
  E.Record(0) = zip::ArchiveParentRecord(zFullPath, W.bUtf8);
  vMembers = std::move(members);
  zListingParent = E.Record(0);
  // An archive inside the listed one keeps the way back to the folder's archive.
  if (!nested) {
    zArchiveStored = ZdNameStored(entry);
    zZipReturnName = ZdNameUpper(entry);
    iZipReturnCursor = E.iCursor;
  }
  E.iFirstZDir = 0;
  W.bZipMode = true;
  W.SyncDisplayMode();
  zListingCaption = zFullPath;
  W.zCaptionRight = W.ShownPath(zFullPath);
  E.zFindName.clear();
  E.iCursor = 0;
  E.DumpDir("000ZIPZD.TXT");
  E.MarkIgnore();
  W.ShowPage();
  W.SleepMs(1250);
}

std::string ZipPage::zZipExtra(const std::string& zExtra, int64_t nZEOffset) {
  uint64_t times[3];
  zip::BufferSource none{std::string()};
  zip::ZipSource& src = pZipArchive ? *pZipArchive : none;
  if (!zip::NtfsTimes(src, zExtra, nZEOffset - 1, times)) return std::string();
  return zip::NtfsTimesText(times, [this](uint64_t ft) {
    return W.P.files.FileTimeToSystemTime(W.Config().bGMT ? ft : W.P.files.FileTimeToLocalFileTime(ft));
  });
}

int32_t ZipPage::NumGet(const std::string& text, int32_t offset, int32_t length) {
  return zip::NumGet(text, offset, length);
}

std::string ZipPage::zDateGet(int32_t iDate) { return zip::DosDate(iDate); }

std::string ZipPage::zTimeGet(int32_t iTime) { return zip::DosTime(iTime); }

namespace {
// A tar member as the ZIP listing shows members: a folder's name ends in "/", a link's
// shows where it points; the time is the member's own (write, access and creation alike).
zip::CentralEntry AsListed(const archive::TarMember& m) {
  zip::CentralEntry e;
  e.name = m.name;
  if (m.type == archive::TarMember::kFolder && (e.name.empty() || e.name.back() != '/')) e.name += '/';
  if (m.type == archive::TarMember::kSymlink || m.type == archive::TarMember::kHardLink) e.name += " -> " + m.linkTarget;
  // No ratio: a tar member is stored as it is (the archive may be compressed as a whole).
  e.size = static_cast<uint64_t>(std::max<int64_t>(m.size, 0));
  return e;
}
}  // namespace

bool ZipPage::IsArchive(const std::string& stored) {
  FileSystem& files = W.P.files;
  ScopedFile file(files, files.OpenRead(W.zCurDir + stored));
  const FileHandle h = file.get();
  char head[4] = {0, 0, 0, 0};
  if (h == kInvalidFile || files.ReadAt(h, 1, head, 4) != 4) return false;
  if (std::string_view(head, 4) == std::string_view("PK\x03\x04", 4) || std::string_view(head, 4) == std::string_view("PK\x05\x06", 4))
    return true;
  return archive::ListTar([&files, h](int64_t pos, char* buffer, long n) { return files.ReadAt(h, pos + 1, buffer, n); },
                          files.FileLength(h), 1)
      .recognised;
}

bool ZipPage::ListedAsTar(const std::string& entry) {
  FileSystem& files = W.P.files;
  ScopedFile file(files, files.OpenRead(W.zCurDir + ZdNameStored(entry)));
  const FileHandle h = file.get();
  char head[2] = {0, 0};
  if (h == kInvalidFile || files.ReadAt(h, 1, head, 2) != 2 || (head[0] == 'P' && head[1] == 'K')) return false;
  archive::TarListing tar = archive::ListTar(
      [&files, h](int64_t pos, char* buffer, long n) { return files.ReadAt(h, pos + 1, buffer, n); }, files.FileLength(h));
  if (!tar.recognised) return false;
  const std::string name = ZdNameStored(entry);
  if (tar.members.empty() && tar.fault) {
    W.VXERROR(MsgText(Msg::VX1079, name, tar.fault.text));
    W.SleepMs(1250);
    return true;
  }
  const zip::ShownNameFn shownName = [this](const std::string& n) { return W.P.files.ShownUtf8Name(n); };
  std::vector<std::string> records;
  std::vector<zip::CentralEntry> members;
  vTarIndex.clear();
  for (size_t i = 0; i < tar.members.size(); ++i) {
    const archive::TarMember& m = tar.members[i];
    const zip::CentralEntry e = AsListed(m);
    const uint64_t ft = static_cast<uint64_t>(m.mtime + 11644473600LL) * 10000000ULL;
    const uint64_t times[3] = {ft, ft, ft};
    const std::string stamp = zip::NtfsTimesText(times, [this](uint64_t t) {
      return W.P.files.FileTimeToSystemTime(W.Config().bGMT ? t : W.P.files.FileTimeToLocalFileTime(t));
    });
    std::string rec = zip::MemberRecord(e, bZipFullPath, stamp, W.bUtf8, shownName);
    if (rec.empty()) continue;
    records.push_back(std::move(rec));
    members.push_back(e);
    vTarIndex.push_back(static_cast<int64_t>(i));
  }
  vTarMembers.clear();
  for (int64_t i : vTarIndex) vTarMembers.push_back(std::move(tar.members[static_cast<size_t>(i)]));
  files.CloseFile(file.release());
  CloseNested();
  ShowMembers(entry, static_cast<int32_t>(std::min<size_t>(tar.members.size(), INT32_MAX - 2048)), records, std::move(members),
              W.zCurDir + ZdNameUpper(entry), false);
  // A listing cut short by damage says where (after the pause that shows the listing).
  if (tar.fault) W.VXERROR(MsgText(Msg::VX1079, name, tar.fault.text));
  return true;
}

KeyNext ZipPage::ViewCursorMember() {
  const int32_t k = E.IndexAt(E.iCursor);  // the cursor's record (the listing may be sorted)
  if (k < 1 || k > static_cast<int32_t>(vMembers.size())) return KeyNext::Done;
  const zip::CentralEntry& e = vMembers[static_cast<size_t>(k - 1)];
  const std::string name = W.P.files.ShownUtf8Name(e.name);
  if (!e.name.empty() && e.name.back() == '/') {
    W.VXERROR(MsgText(Msg::VX1079, name, "a folder of the archive"));
    return KeyNext::Done;
  }
  const bool tar = !vTarIndex.empty();
  if (tar && vTarMembers[static_cast<size_t>(k - 1)].type != archive::TarMember::kFile) {
    W.VXERROR(MsgText(Msg::VX1079, name, "not a file of the archive (a link, a device or a FIFO)"));
    return KeyNext::Done;
  }
  const std::string method = tar ? std::string() : archive::ZipMethodUnread(e);
  if (!method.empty()) {
    W.VXERROR(MsgText(Msg::VX1078, name, method));
    return KeyNext::Done;
  }
  FileSystem& files = W.P.files;
  bool owned = false;
  const FileHandle held = MembersSource(owned);
  if (held == kInvalidFile) return KeyNext::Done;
  // A ZIP archive inside the listed one is listed in its turn.
  if (!tar && MemberStartsWith(k, held, std::string_view("PK\x03\x04", 4))) {
    ListNested(k, held);
    if (owned) files.CloseFile(held);
    return KeyNext::Done;
  }
  const FileHandle spool = files.OpenSpool(MemberWork(k, held));
  if (spool == kInvalidFile) {
    if (owned) files.CloseFile(held);
    W.VXERROR(MsgText(Msg::VX1079, name, files.ErrorText(files.LastFileError())));
    return KeyNext::Done;
  }
  // The view owns the spool (and the archive's handle when it is not the listing's); the
  // listing comes back with Esc.
  W.bZipMode = false;
  const std::string archiveName = owned ? zArchiveStored : Mid(zListingCaption, InStrRev(zListingCaption, "\\") + 1);
  if (!W.ViewArchiveMember(spool, owned ? held : kInvalidFile, E.Record(k), archiveName, zListingCaption + "\\" + e.name))
    BackFromMember();
  return KeyNext::Done;
}

FileHandle ZipPage::MembersSource(bool& owned) {
  owned = hNested == kInvalidFile;
  if (!owned) return hNested;
  const FileHandle h = W.P.files.OpenRead(W.zCurDir + zArchiveStored);
  if (h == kInvalidFile) W.VXERROR(MsgText(Msg::VX1079, zArchiveStored, W.P.files.ErrorText(W.P.files.LastFileError())));
  return h;
}

bool ZipPage::MemberStartsWith(int32_t k, FileHandle held, std::string_view magic) {
  std::string head;
  MemberWork(k, held)([&](const char* data, size_t n) {
    head.append(data, std::min(n, magic.size() - head.size()));
    return head.size() < magic.size();
  });
  return head == magic;
}

void ZipPage::ListNested(int32_t k, FileHandle held) {
  FileSystem& files = W.P.files;
  const zip::CentralEntry e = vMembers[static_cast<size_t>(k - 1)];
  const std::string name = files.ShownUtf8Name(e.name);
  if (e.size >= 2147483648ULL) {
    W.VXERROR(MsgText(Msg::VX8017));
    return;
  }
  // The inner archive's bytes go into a spool of their own, read whole before listing.
  ScopedFile spool(files, files.OpenSpool(MemberWork(k, held)));
  if (spool.get() == kInvalidFile) {
    W.VXERROR(MsgText(Msg::VX1079, name, files.ErrorText(files.LastFileError())));
    return;
  }
  while (files.StreamStateOf(spool.get()).running) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const FileSystem::StreamState state = files.StreamStateOf(spool.get());
  std::vector<std::string> records;
  std::vector<zip::CentralEntry> members;
  int32_t count = 0;
  if (state.stop != FileSystem::StreamStop::kEnd) {
    W.VXERROR(MsgText(Msg::VX1079, name, state.error));
    return;
  }
  if (!ReadZip(spool.get(), records, members, count)) {
    W.VXERROR(MsgText(Msg::VX8018));
    return;
  }
  const std::string caption = zListingCaption + "\\" + e.name;
  CloseNested();  // the outer one, when it was itself inside another (its bytes are read)
  hNested = spool.release();
  ShowMembers(E.Record(k), count, records, std::move(members), caption, true);
}

void ZipPage::CloseNested() {
  if (hNested != kInvalidFile) W.P.files.CloseFile(hNested);
  hNested = kInvalidFile;
}

SpoolWork ZipPage::MemberWork(int32_t k, FileHandle held) {
  // Read on another thread (the spool's, or the extraction's): positioned reads of a
  // handle that stays open until that work has ended.
  FileSystem& files = W.P.files;
  archive::ReadAtFn read = [&files, held](int64_t pos, char* buffer, long n) { return files.ReadAt(held, pos + 1, buffer, n); };
  const int64_t size = files.FileLength(held);
  const size_t i = static_cast<size_t>(k - 1);
  if (!vTarIndex.empty()) return archive::TarMemberWork(std::move(read), size, static_cast<size_t>(vTarIndex[i]));
  return archive::ZipMemberWork(std::move(read), size, vMembers[i]);
}

KeyNext ZipPage::ExtractCursorMember() {
  const int32_t k = E.IndexAt(E.iCursor);
  if (k < 1 || k > static_cast<int32_t>(vMembers.size())) return KeyNext::Done;
  const size_t i = static_cast<size_t>(k - 1);
  const bool tar = !vTarIndex.empty();
  ExtractItem item;
  item.name = tar ? vTarMembers[i].name : vMembers[i].name;
  const std::string shown = W.P.files.ShownUtf8Name(item.name);
  if (tar) {
    const archive::TarMember& m = vTarMembers[i];
    item.mtime = m.mtime;
    item.linkTarget = m.linkTarget;
    if (m.type == archive::TarMember::kFolder) item.type = ExtractItem::kFolder;
    else if (m.type == archive::TarMember::kSymlink) item.type = ExtractItem::kSymlink;
    else if (m.type != archive::TarMember::kFile) {
      W.VXERROR(MsgText(Msg::VX1079, shown, "not extracted (a hard link, a device or a FIFO)"));
      return KeyNext::Done;
    }
  } else {
    if (!item.name.empty() && item.name.back() == '/') item.type = ExtractItem::kFolder;
    const std::string method = archive::ZipMethodUnread(vMembers[i]);
    if (!method.empty() && item.type == ExtractItem::kFile) {
      W.VXERROR(MsgText(Msg::VX1078, shown, method));
      return KeyNext::Done;
    }
  }
  std::string folder = W.Dir().zTypedFolder(W.InputBox(MsgText(Msg::VX1080, shown), "Tembra EXTRACT", W.ShownPath(W.zCurDir)));
  if (W.bInputCancelled || Trim(folder).empty()) return KeyNext::Redraw;
  if (Mid(folder, 2, 1) != ":") {
    const std::string full = W.zGetCompleteName(folder);
    if (!full.empty()) folder = full;
  }
  if (Right(folder, 1) != "\\") folder += "\\";
  FileSystem& files = W.P.files;
  bool owned = false;
  const FileHandle source = MembersSource(owned);
  if (source == kInvalidFile) return KeyNext::Redraw;
  ScopedFile held(files, owned ? source : kInvalidFile);
  if (item.type == ExtractItem::kFile) item.data = MemberWork(k, source);
  ExtractResult r = files.ExtractMember(folder, item, false);
  // Nothing is replaced unasked (the answer's default is No).
  if (r.kind == ExtractResult::kExists &&
      W.MsgBox(MsgText(Msg::VX1082, shown, W.ShownPath(folder)), "Tembra EXTRACT", MsgButtons::YesNo) == kAnswerYes)
    r = files.ExtractMember(folder, item, true);
  std::string said;
  switch (r.kind) {
    case ExtractResult::kDone: said = MsgText(Msg::VX1081, shown, W.ShownPath(folder)); break;
    case ExtractResult::kExists: said = MsgText(Msg::VX1083, shown, "it is there already"); break;
    case ExtractResult::kUnsafeName: said = MsgText(Msg::VX1083, shown, "its name leaves the folder"); break;
    case ExtractResult::kThroughLink: said = MsgText(Msg::VX1083, shown, "a folder on its way is a symbolic link"); break;
    case ExtractResult::kFault: said = MsgText(Msg::VX1083, shown, r.fault.text); break;
    case ExtractResult::kError: said = MsgText(Msg::VX1083, shown, files.ErrorText(r.error)); break;
    case ExtractResult::kUnsupported: said = MsgText(Msg::VX1083, shown, "this kind of member is not extracted here"); break;
  }
  W.VXERROR(said);
  return KeyNext::Done;
}

void ZipPage::BackFromMember() {
  if (E.nZDir != static_cast<int32_t>(vMembers.size()) || E.Record(0) != zListingParent) {
    W.Dir().GetDir(W.zCurDir);
    return;
  }
  W.bZipMode = true;
  W.SetDisplayMode(ShownPage::ZipListing);
  W.zCaptionRight = W.ShownPath(zListingCaption);
  W.zMessageLine.clear();  // the view's last words (a wait's progress) are not the listing's
  W.ShowPage();
}

namespace {
// Enter, Esc (any control character) or "." on the parent entry: back to the
// archive's directory.
KeyNext LeaveArchive(Lister& l, int code, int) {
  l.Zip().CloseNested();
  l.Dir().nEnterInDirMode(Chr(code));
  l.bZipMode = false;
  l.SetDisplayMode(ShownPage::Directory);
  return KeyNext::Rescan;
}

// Enter on a member views it (Linux; Classic: back to the folder, as on the parent entry).
KeyNext EnterOnMember(Lister& l, int code, int shift) {
  if (l.eProfile == Profile::Linux && l.Entries().iCursor >= 1) return l.Zip().ViewCursorMember();
  return LeaveArchive(l, code, shift);
}
KeyNext ViewMember(Lister& l, int, int) { return l.Zip().ViewCursorMember(); }
KeyNext ExtractMember(Lister& l, int, int) { return l.Zip().ExtractCursorMember(); }

// 0-9: the number of entry columns.
KeyNext ArchiveColumns(Lister& l, int code, int) {
  int32_t d = code - '0';
  l.Entries().nDirColumnsSet = d;
  if (d >= 1 && d < l.Entries().nDirColumns) {
    l.nPerPage = l.nPageLines * d;
    l.Entries().iTopSZDir = l.Entries().iFindUl(l.Entries().iCursor);
  }
  return KeyNext::Redraw;
}

// Alt+X with Shift or Ctrl: end at once.
[[noreturn]] KeyNext EndAtOnce(Lister& l, int, int) { l.EndProcess(ExitKind::Immediate); }
}  // namespace

const KeySection& ZipListingKeys() {
  // F1 (help) and F10, Alt+X (end) are taken before any page's keys.
  static const KeySection kPage = {
      "ZIP listing",
      {
          {"Up / Down, Left / Right, PgUp / PgDn, Home / End, Ctrl+Home / Ctrl+End", "move as on the directory page",
           {kEntryCursorKeys}},
          {"Shift+letter", "first member whose name starts at or after the letter", {kEntryLetterKeys}},
          {"`0`-`9`", "entry columns per page", {OnChar('0', '9', ArchiveColumns)}},
          {"`v`, Enter (Linux) on a member", "view the member (Esc: back to the listing at the same member)",
           {OnChar(kChEnter, kChEnter, EnterOnMember), OnChar('v', 'v', ViewMember)}},
          {"`c` on a member", "extract it into a folder (asked; never outside it, nothing replaced unasked)",
           {OnChar('c', 'c', ExtractMember)}},
          {"Enter, Esc, `.` on the parent entry", "back to the archive's directory, cursor on the archive",
           {OnChar(0, kChEsc, LeaveArchive), OnChar('.', '.', LeaveArchive)}},
          {"Shift+Alt+D", "date order", {kEntryDateOrderKey}},
          {"F1", "this list of keys (Esc or F1 closes it)"},
          {"F10, Alt+X", "end"},
          {"Alt+X with Shift or Ctrl", "end at once",
           {OnKey('X', 'X', kAlt | kShift, kAlt | kShift, EndAtOnce),
            OnKey('X', 'X', kAlt | kCtrl, kAlt | kCtrl, EndAtOnce)}},
      }};
  return kPage;
}

KeyNext ZipPage::ZIP_KeyPress(const std::string& character) {
  const int code = Asc(character);
  const KeyBinding* b = FindKeyBinding(ZipListingKeys(), KeyBinding::On::Char, code, 0);
  if (!b) {
    if (code > ' ' && code != 127) W.HintKeys();
    return KeyNext::Done;
  }
  const KeyNext next = W.ActOn(*b, code, 0);
  return next == KeyNext::Rescan || next == KeyNext::Redraw ? next : KeyNext::Done;
}

KeyNext ZipPage::KeyDown(int code, int shift) {
  const KeyBinding* b = FindKeyBinding(ZipListingKeys(), KeyBinding::On::Down, code, shift);
  return b ? W.ActOn(*b, code, shift) : KeyNext::Done;
}

// A character; the folder is read again when the listing is left (bRescan).
KeyNext ZipPage::KeyPress(int keyascii) {
  const KeyNext next = ZIP_KeyPress(Chr(keyascii));
  return W.bRescan ? KeyNext::Rescan : next;
}

KeyNext ZipPage::Click() {
  E.ClickOnEntryList();
  return KeyNext::Redraw;
}

// The click before has put the cursor on the member: Enter there (on the parent entry it
// leaves the archive; on a member it says that members cannot be opened).
KeyNext ZipPage::DblClick() {
  const KeyNext next = ZIP_KeyPress(Chr(kChEnter));
  if (!W.OnEntryList()) return KeyNext::Done;
  return next == KeyNext::Rescan || W.bRescan ? KeyNext::Rescan : KeyNext::Redraw;
}

void ZipPage::Draw() {
  W.SetupTopBot();
  E.DosDir();
}

void ZipPage::Title() { E.EntryListTitle(); }

const KeySection& ZipPage::Keys() const { return ZipListingKeys(); }

}  // namespace tembra
