#pragma once

#include <cstdint>

namespace vesk {

// A reading older than this is no reading: the supervisor must not show a weight the
// indicator stopped sending.
inline constexpr std::int64_t kReadingLifetimeMs = 3000;

}  // namespace vesk
