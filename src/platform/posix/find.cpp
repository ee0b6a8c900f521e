// Directory enumeration (placeholder until the directory scan is built).
#include "platform/posix/posix_platform.h"

namespace tembra::posix {

struct PosixFileSystem::FindState {};

PosixFileSystem::PosixFileSystem() = default;
PosixFileSystem::PosixFileSystem(DriveMap drives) : drives_(std::move(drives)) {}
PosixFileSystem::~PosixFileSystem() = default;

FindHandle PosixFileSystem::FindFirstFile(const std::string& pattern, FindData& data) { return kInvalidFind; }
bool PosixFileSystem::FindNextFile(FindHandle handle, FindData& data) { return false; }
void PosixFileSystem::FindClose(FindHandle handle) { finds_.erase(handle); }
uint64_t PosixFileSystem::FileTimeToLocalFileTime(uint64_t utc) { return utc; }
DateTime PosixFileSystem::FileTimeToSystemTime(uint64_t ft) { return DateTime{}; }

}  // namespace tembra::posix
