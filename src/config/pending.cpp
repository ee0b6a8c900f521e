// Placeholders for procedures of this area that other areas call; each is replaced by
// the real procedure as the area is built, and this file goes away when it is empty.
#include "core/lister.h"

namespace tembra {

void Lister::LineParse(const std::string& ZlineToParse) {}
int Lister::IfNum(const std::string& text, int32_t position) { return -1; }
void Lister::GetConfig() {}
bool Lister::bParse1Config(std::string& zcfLine) { return true; }
void Lister::ZGETPARM() {}
std::string Lister::zGetCompleteName(const std::string& name) { return name; }
void Lister::SaveZINPFiles(const std::string& ZDH_NAME) {}
void Lister::ParseFileSpec(const std::string& zInSpec) {}
std::string Lister::zDateFix(const std::string& zDateIn) { return zDateIn; }
void Lister::Next_IINPFiles(int iParm) {}
void Lister::ListInpFiles() {}
int32_t Lister::SelectColor(const std::string& zColorI) { return -1; }
int32_t Lister::HEX2LONG(const std::string& ZHEX) { return -1; }
void Lister::PickAColor(int role) {}

}  // namespace tembra
