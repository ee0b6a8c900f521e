// Placeholders for procedures of this area that other areas call; each is replaced by
// the real procedure as the area is built, and this file goes away when it is empty.
#include "core/lister.h"

namespace tembra {

void Lister::InitViewerTables() {
  nTabStops.assign(64, 0);
  for (size_t i = 1; i < nTabStops.size(); ++i) nTabStops[i] = static_cast<int32_t>(8 * i + 1);
}
void Lister::ListAFile(int32_t ListIndex) { VXERROR("The file viewer is not built yet"); }
void Lister::GetFdbin(int64_t FBYTE) {}
void Lister::GetASeg() { bAllIndexed = true; }
void Lister::StoreRecordPointers(int64_t RecPointer, int32_t RecLen, int32_t RecFlags) {}
int64_t Lister::FindRecAddr(int32_t Recno) { return 0; }
void Lister::GetZCurRec(int32_t Recno) {}
bool Lister::bCheckForRec(int32_t Recno) { return false; }
std::string Lister::zUnTab(const std::string& buffer, int32_t position, int32_t length) { return Mid(buffer, position, length); }
void Lister::BuildRecParse(int32_t RPRec, int32_t RPNCPL) {}
std::string Lister::zPrintable(const std::string& zChar) { return zChar; }
void Lister::EAFILL(const std::string& rowDigits, int32_t rowNumber) {}
void Lister::ResetLineBuffers() {}
void Lister::ListModeAscii() {}
int32_t Lister::Find1stRecordOnPage(int32_t record) { return 1; }
std::string Lister::zClearFoundText(const std::string& zinLine, const std::string& zinText, bool tCompare) { return zinLine; }
void Lister::PrintFoundText(const std::string& zinLine, const std::string& zinText, bool tCompare, int32_t PrintCol, int32_t PageLine) {}
void Lister::ZCOLFILL(int32_t offset) {}
bool Lister::bList_Keydown(int Shift, int KeyCode) { return false; }
void Lister::KeyPress_ListMode(int keyascii) {}
void Lister::LIST_PAGEMOVE(int KeyCode) {}
void Lister::JUMP2LINE() {}
int32_t Lister::NConvert(const std::string& ZNumber) { return static_cast<int32_t>(Val(ZNumber)); }
void Lister::LOADEMUP() {}
bool Lister::DebugLookupsWereRandom() { return false; }

}  // namespace tembra
