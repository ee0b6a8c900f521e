// Placeholders for procedures of this area that other areas call; each is replaced by
// the real procedure as the area is built, and this file goes away when it is empty.
#include "core/lister.h"

namespace tembra {

void Lister::GetDir(const std::string& zMyPath) {
  nZDir = 0;
  nSZDir = 0;
  iCursor = 0;
  iFirstZDir = 0;
  iTopSZDir = 0;
  ShowPage();
}
FindHandle Lister::Get1Vtoc(const std::string& zFileName) { return 0; }
std::string Lister::zVtocToDir() { return std::string(); }
void Lister::ExpandZDir(int32_t INEW) {
  if (INEW > nZDirMax) {
    nZDirMax = INEW + 1024;
    ZDIR.resize(nZDirMax + 1);
    SZDIR.resize(nZDirMax + 1);
  }
}
void Lister::MarkIgnore() { SORTEMALL(); }
void Lister::PopulateSort() {}
void Lister::SORT1ST() {}
void Lister::SORTEMALL() {}
std::string Lister::zFormat1New(int32_t IndxD, int32_t nChars) { return Space(nChars); }
std::string Lister::zFormat1Old(int32_t SDZFI, int32_t nChars) { return Space(nChars); }
void Lister::DosDir() {
  SetForeColor(lColor[4]);
  PrintAt(0, 0, zTopLine);
  SetForeColor(lColor[1]);
}
int32_t Lister::iFindUl(int32_t ICURSOR) { return nPageLines < 0 ? -1 : iFirstZDir; }
bool Lister::bDirectoryList() { return false; }
int Lister::nEnterInDirMode(const std::string& zKey) { return 0; }
bool Lister::bDIR_Keydown(int Shift, int KeyCode) { return false; }
bool Lister::BDOS_CD(const std::string& zNewPath) { return false; }

}  // namespace tembra
