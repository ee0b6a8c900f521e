// The file-system, process and clock services of the system the program was built
// for: Win32 in a Windows build, POSIX elsewhere. Front-ends take them from here.
#pragma once

#ifdef _WIN32
#include "platform/win32/win32_platform.h"
namespace tembra::native {
using FileSystem = win32::Win32FileSystem;
using Processes = win32::Win32Processes;
using Clock = win32::Win32Clock;
inline Processes ProcessesFor(FileSystem&) { return Processes(); }
}  // namespace tembra::native
#else
#include "platform/posix/posix_platform.h"
namespace tembra::native {
using FileSystem = posix::PosixFileSystem;
using Processes = posix::PosixProcesses;
using Clock = posix::PosixClock;
// The processes of a driver that has no argument vector of its own to report.
inline Processes ProcessesFor(FileSystem& files) { return Processes(0, nullptr, &files.drives()); }
}  // namespace tembra::native
#endif
