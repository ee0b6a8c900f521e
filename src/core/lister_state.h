// The window's own record: the shared fields and the screen's. Each area's fields are its
// part's (Config(), FileWork(), Entries(), Dir(), View(), Zip(), Prompt(), Help()).
#pragma once

#include "core/core_state.h"

namespace tembra {

struct ListerState : CoreState, ScreenState {};

}  // namespace tembra
