// Private helpers shared by the geometry sources: the tolerance terms in which every geometric test
// is stated. t is the tolerance value (usually EqualPoint) of the record the caller names.
#pragma once

#include "constants.h"

#include <cmath>

namespace gk {

// a equals b within t: abs(a - b) <= t (inclusive).
inline bool EqualWithin(double a, double b, double t) { return std::fabs(a - b) <= t; }
// a equals b strictly within t: abs(a - b) < t (exclusive).
inline bool EqualStrictlyWithin(double a, double b, double t) { return std::fabs(a - b) < t; }
// a >= b within tolerance: a - b >= -t.
inline bool GreaterEqualWithin(double a, double b, double t) { return a - b >= -t; }
// a <= b within tolerance: a - b <= t.
inline bool LessEqualWithin(double a, double b, double t) { return a - b <= t; }
// a > b beyond tolerance: a - b > t.
inline bool GreaterBeyond(double a, double b, double t) { return a - b > t; }
// a < b beyond tolerance: a - b < -t.
inline bool LessBeyond(double a, double b, double t) { return a - b < -t; }

}  // namespace gk
