// Raw read-only file access (placeholder until the viewer is built).
#include "platform/posix/posix_platform.h"

namespace tembra::posix {

FileHandle PosixFileSystem::OpenRead(const std::string& path) { return kInvalidFile; }
long PosixFileSystem::ReadAt(FileHandle file, int64_t pos, char* buffer, long n) { return -1; }
int64_t PosixFileSystem::FileLength(FileHandle file) { return -1; }
void PosixFileSystem::CloseFile(FileHandle file) {}

}  // namespace tembra::posix
