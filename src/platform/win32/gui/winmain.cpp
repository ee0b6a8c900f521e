#include "platform/win32/gui/desktop.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  return tembra::win32::RunDesktop(instance, show);
}
