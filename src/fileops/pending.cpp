// Placeholders for procedures of this area that other areas call; each is replaced by
// the real procedure as the area is built, and this file goes away when it is empty.
#include "core/lister.h"

namespace tembra {

int Lister::CopyAFile(const std::string& zFromFile, const std::string& zToFile) { return -1; }
bool Lister::BDOS_COPY(const std::string& ZMOVE) { return false; }
bool Lister::BDOS_RENAME(int32_t IRBSZDIR) { return false; }
bool Lister::BDOS_DEL(int32_t IRBSZDIR, int NoConfirm) { return false; }
void Lister::ShellAndWait(const std::string& command) {}
int Lister::InvokeProgramAtCursor(bool bAskForParm) { return 12; }
void Lister::CallWindowsProgram(const std::string& zFile) {}
std::string Lister::ZCurrentTime() { return std::string(); }
std::string Lister::ZCalcName(int32_t INDEXZDIR, const std::string& ZCHARS) { return std::string(); }
bool Lister::TempCheck(int32_t ITCZDIR) { return false; }
double Lister::AgeOfFile(int32_t rZdir) { return 0; }
bool Lister::bRenameTemp(const std::string& VXCChars, int32_t rZdir) { return false; }
bool Lister::bBackupCopy(const std::string& VXCChars) { return false; }
void Lister::MarkForDeletion() {}
void Lister::MarkVXDelete() {}
void Lister::BigDelete() {}

}  // namespace tembra
