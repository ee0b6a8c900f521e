// Fields of the ZIP archive listing.
#pragma once

#include <cstdint>
#include <string>

namespace tembra {

struct ZipState {
};

}  // namespace tembra
