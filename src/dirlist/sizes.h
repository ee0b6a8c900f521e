// The size column of the directory page: grouped bytes with a coarser unit where the
// number would not fit, or sizes as ls -lh writes them.
#pragma once

#include <cstdint>
#include <string>

namespace tembra {

// 9 characters: 8 of the number and its unit letter (" ", "k", "m", "g", "t").
std::string GroupedSize(double s);
// 1 to 5 characters: "0", "1023", "1.0K", "10K", "1.1G".
std::string HumanSize(uint64_t s);

}  // namespace tembra
