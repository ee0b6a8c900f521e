// Fields of file operations, program starting and temporary files.
#pragma once

#include <cstdint>
#include <string>

namespace tembra {

struct FileOpsState {
  bool bWaitForProgram = false;
};

}  // namespace tembra
