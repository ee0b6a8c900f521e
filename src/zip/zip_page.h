// The ZIP listing: an archive's members shown as the entries of the directory page, and
// the keys that move on them and leave the archive again.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/page.h"
#include "zip/zip_state.h"

namespace tembra {

class Lister;
class EntryList;

class ZipPage final : public Page, public ZipState {
 public:
  explicit ZipPage(Lister& w);
  ~ZipPage() override;
  Lister& W;     // the window: the shared fields and its services
  EntryList& E;  // the entries it shows (the window's)

  KeyNext KeyDown(int code, int shift) override;  // its key table
  KeyNext KeyPress(int keyascii) override;        // ZIP_KeyPress
  KeyNext Click() override;                       // the cursor to the member clicked
  KeyNext DblClick() override;                    // Enter: back to the archive's folder
  void Draw() override;                           // DosDir
  void Title() override;                          // the cursor's member of the members
  const KeySection& Keys() const override;
  std::string CaptionWord() const override { return "ZIP"; }
  bool CursorOnly() const override;
  void RedrawWhole() override;

  // Lists the archive under the cursor (fullPath: members with their full path, "V").
  void ListArchive(bool fullPath);
  // The upper-case name of the archive whose listing was left, once (for the cursor).
  std::string TakeReturnName();
  // The ZIP archive under the cursor listed as entries; a bad one is refused with a message.
  void ProcessZ(const std::string& zWhat);
  // The NTFS time stamps in an extra field at nZEOffset as text; empty without them.
  std::string zZipExtra(const std::string& zExtra, int64_t nZEOffset);
  // A little-endian number of length bytes at 0-based offset of text (signed 32-bit).
  int32_t NumGet(const std::string& text, int32_t offset, int32_t length);
  // An MS-DOS date as yyyymmdd.
  std::string zDateGet(int32_t iDate);
  // An MS-DOS time as hhmmss.
  std::string zTimeGet(int32_t iTime);
  // Whether the file of that stored name in the current folder is a ZIP or tar archive
  // (by its content).
  bool IsArchive(const std::string& stored);
  // A tar archive (known by its content) listed as members; false when the file is none.
  bool ListedAsTar(const std::string& entry);
  // The members' records shown as the listing (count: the archive's member count).
  // caption: the archive's full name (an inner one's: outer\\member); nested keeps the
  // way back to the folder's archive.
  void ShowMembers(const std::string& entry, int32_t count, std::vector<std::string>& records,
                   std::vector<zip::CentralEntry>&& members, const std::string& caption, bool nested);
  // The central directory of the ZIP archive open as file read into records and members
  // (count: the member count it states); false when it is no valid archive.
  bool ReadZip(FileHandle file, std::vector<std::string>& records, std::vector<zip::CentralEntry>& members,
               int32_t& count);
  // The archive the listed members are read from: the inner archive's spool (the
  // listing's), or the listed file opened anew (owned: the caller closes it); a failure
  // to open is said.
  FileHandle MembersSource(bool& owned);
  // Whether member k's bytes start with magic (read from held).
  bool MemberStartsWith(int32_t k, FileHandle held, std::string_view magic);
  // The ZIP archive that member k is, read into a spool and listed in its turn.
  void ListNested(int32_t k, FileHandle held);
  // The inner archive's spool closed (a listing of the folder's own archive, or leaving).
  void CloseNested();
  // Views the member under the cursor (its bytes read from the archive as they are made);
  // a folder, a method not read here or an archive that cannot be opened is said.
  KeyNext ViewCursorMember();
  // The work that makes member k's bytes, reading the archive through held.
  SpoolWork MemberWork(int32_t k, FileHandle held);
  // `c`: the member under the cursor extracted into a folder the user types.
  KeyNext ExtractCursorMember();
  // Esc from a member's view: the listing again at the same member, or the folder when
  // the listing is no longer what the entries hold.
  void BackFromMember();
  // The character commands of the ZIP listing: Rescan when the folder is read again.
  KeyNext ZIP_KeyPress(const std::string& character);
};

}  // namespace tembra
