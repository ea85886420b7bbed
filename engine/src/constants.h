// The numeric constants the library's sources share, each defined once:
// pi and the angles and unit factors made from it, and the clipper's grid
// and sampling tolerance (defined in clipper.h, where clients read them).
// Every product and quotient below is the double the library has always
// used: the multiples of pi are exact (powers of two) or round to the
// nearest double of the true value.
#pragma once

#include <engine/clipper.h>

namespace gk {

// The double nearest pi, and the angles made from it (radians).
constexpr double kPi = 3.141592653589793;
constexpr double k2Pi = 2.0 * kPi;
constexpr double kHalfPi = 0.5 * kPi;
constexpr double kQuarterPi = 0.25 * kPi;
constexpr double kThreeHalfPi = 1.5 * kPi;

// Angle unit factors: degrees and gradians (a right angle is 90 degrees or
// 100 gradians) per radian, and back.
constexpr double kDegreesPerRadian = 180.0 / kPi;
constexpr double kRadiansPerDegree = kPi / 180.0;
constexpr double kGradiansPerRadian = 200.0 / kPi;
constexpr double kRadiansPerGradian = kPi / 200.0;

// The clipper's integer grid: grid units per drawing unit, and one grid
// unit in drawing units.
constexpr double kGridPerUnit = kClipperGridPerUnit;
constexpr double kGrid = kClipperGrid;
// Chord tolerance at which the clipper samples arcs, drawing units.
constexpr double kSampleTol = kClipperSampleTol;

}  // namespace gk
