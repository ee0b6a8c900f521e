// The one record of window state: every field of every area, grouped by concern.
#pragma once

#include "config/config_state.h"
#include "core/core_state.h"
#include "fileops/fileops_state.h"

namespace tembra {

struct ListerState : CoreState,
                     ScreenState,
                     FileOpsState,
                     ConfigState {};

}  // namespace tembra
