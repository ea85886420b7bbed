// Stamps of composite member lists: one process-wide counter, so that a
// holder of many loops (a shape) can tell with one comparison that none of
// them changed since it last looked. Private to the library.
#pragma once

#include <cstdint>

namespace gk {

// A stamp greater than every one handed out before (never 0).
std::uint64_t NewListStamp();
// The greatest stamp handed out so far (0 before the first).
std::uint64_t LatestListStamp();

}  // namespace gk
