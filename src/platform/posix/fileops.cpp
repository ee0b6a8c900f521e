// Copy, rename, delete and the recycle bin (placeholder until file operations are built).
#include <cerrno>

#include "platform/posix/posix_platform.h"

namespace tembra::posix {

int PosixFileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists) { return ENOSYS; }
int PosixFileSystem::RenameFile(const std::string& from, const std::string& to) { return ENOSYS; }
int PosixFileSystem::DeleteFile(const std::string& path) { return ENOSYS; }
int PosixFileSystem::RecycleFile(const std::string& path, bool confirm) { return ENOSYS; }
int PosixFileSystem::TouchFile(const std::string& path) { return ENOSYS; }
std::string PosixFileSystem::ErrorText(int error) { return "operation not available"; }

}  // namespace tembra::posix
