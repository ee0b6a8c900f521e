// tembra.exe: the window, the platform services, the start-up and the message loop.
#include <memory>

#include "platform/win32/gui/desktop.h"
#include "core/lister.h"
#include "platform/win32/win32_platform.h"

namespace tembra::win32 {

int RunDesktop(HINSTANCE instance, int show) {
  // "-", or a pipe or file on standard input with no file named: standard input is viewed.
  Win32Processes processes;
  std::string problem;
  const std::string given = processes.CommandLine();
  const std::string arguments = ArgumentsWithStandardInput(given, true, true, problem);
  if (!problem.empty()) {
    ::MessageBoxW(nullptr, WideText("Tembra: " + problem, false).c_str(), L"Tembra", MB_OK | MB_ICONERROR);
    return 2;
  }
  if (arguments != given) processes.SetCommandLine(arguments);
  DesktopWindow window;
  if (!window.Create(instance)) {
    ::MessageBoxW(nullptr, L"The window could not be created.", L"Tembra", MB_OK | MB_ICONERROR);
    return 1;
  }
  DesktopDialogs dialogs(window);
  Win32FileSystem files;
  Win32Clock clock;
  Platform platform{window, dialogs, window, window, files, processes, clock};
  auto lister = std::make_unique<Lister>(platform);
  window.Attach(lister.get());
  lister->Form_Load();
  // The start-up shows the window with its first page; make sure it is up.
  window.BringToFront();
  return window.MessageLoop();
}

}  // namespace tembra::win32
