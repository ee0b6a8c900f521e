// Placeholders for procedures of this area that other areas call; each is replaced by
// the real procedure as the area is built, and this file goes away when it is empty.
#include "core/lister.h"

namespace tembra {

void Lister::ProcessZ(const std::string& zWhat) {}
std::string Lister::zZipExtra(const std::string& zExtra, int64_t nZEOffset) { return std::string(); }
int32_t Lister::NumGet(const std::string& text, int32_t offset, int32_t length) { return 0; }
std::string Lister::zDateGet(int32_t iDate) { return std::string(); }
std::string Lister::zTimeGet(int32_t iTime) { return std::string(); }
int Lister::ZIP_KeyPress(const std::string& character) { return 0; }

}  // namespace tembra
