// The one record of window state: every field of every area, grouped by concern.
#pragma once

#include "config/config_state.h"
#include "core/core_state.h"
#include "dirlist/dir_state.h"
#include "fileops/fileops_state.h"
#include "input/input_state.h"
#include "zip/zip_state.h"

namespace tembra {

struct ListerState : CoreState,
                     ScreenState,
                     InputState,
                     DirState,
                     ZipState,
                     FileOpsState,
                     ConfigState {};

}  // namespace tembra
