// The tolerance record, the library default, the numeric helpers and the
// sine table.
#include <engine/point2d.h>
#include <engine/tolerance.h>

#include "tolerance_terms.h"

#include <cerrno>
#include <climits>
#include <cmath>

using gk::k2Pi;
using gk::kPi;

GkTolerance GkGeoLib::g_tol;

// Defined here as well as in the class, so that the DLL emits and exports the
// constant: a Windows client that binds it to a reference (std::max, a
// test's EXPECT_EQ) imports it from the library.
constexpr int GkMath::kMaxArcBreakCount;

GkTolerance GkTolerance::GetSquareTol(GkTolerance tol) {
  GkTolerance squared;
  squared.SetEqualPoint(tol.EqualPoint() * tol.EqualPoint());
  squared.SetEqualVector(tol.EqualVector() * tol.EqualVector());
  squared.SetArcTol(tol.ArcTol() * tol.ArcTol());
  return squared;
}

// Generated once: '%.15g' of sin(2*pi*k/256) evaluated in doubles, with
// the quarter-turn entries written exactly.
const double kSinTable[256] = {
    0.0,
    0.0245412285229123,
    0.049067674327418,
    0.0735645635996674,  // 0-3
    0.0980171403295606,
    0.122410675199216,
    0.146730474455362,
    0.170961888760301,  // 4-7
    0.195090322016128,
    0.21910124015687,
    0.242980179903264,
    0.266712757474898,  // 8-11
    0.290284677254462,
    0.313681740398892,
    0.33688985339222,
    0.359895036534988,  // 12-15
    0.38268343236509,
    0.40524131400499,
    0.427555093430282,
    0.449611329654607,  // 16-19
    0.471396736825998,
    0.492898192229784,
    0.514102744193222,
    0.534997619887097,  // 20-23
    0.555570233019602,
    0.575808191417845,
    0.595699304492433,
    0.615231590580627,  // 24-27
    0.634393284163645,
    0.653172842953777,
    0.671558954847018,
    0.689540544737067,  // 28-31
    0.707106781186547,
    0.724247082951467,
    0.740951125354959,
    0.757208846506484,  // 32-35
    0.773010453362737,
    0.788346427626606,
    0.803207531480645,
    0.817584813151584,  // 36-39
    0.831469612302545,
    0.844853565249707,
    0.857728610000272,
    0.870086991108711,  // 40-43
    0.881921264348355,
    0.893224301195515,
    0.903989293123443,
    0.914209755703531,  // 44-47
    0.923879532511287,
    0.932992798834739,
    0.941544065183021,
    0.949528180593037,  // 48-51
    0.956940335732209,
    0.96377606579544,
    0.970031253194544,
    0.975702130038529,  // 52-55
    0.98078528040323,
    0.985277642388941,
    0.989176509964781,
    0.99247953459871,  // 56-59
    0.995184726672197,
    0.99729045667869,
    0.998795456205172,
    0.999698818696204,  // 60-63
    1.0,
    0.999698818696204,
    0.998795456205172,
    0.99729045667869,  // 64-67
    0.995184726672197,
    0.99247953459871,
    0.989176509964781,
    0.985277642388941,  // 68-71
    0.98078528040323,
    0.975702130038529,
    0.970031253194544,
    0.96377606579544,  // 72-75
    0.956940335732209,
    0.949528180593037,
    0.941544065183021,
    0.932992798834739,  // 76-79
    0.923879532511287,
    0.914209755703531,
    0.903989293123443,
    0.893224301195515,  // 80-83
    0.881921264348355,
    0.870086991108711,
    0.857728610000272,
    0.844853565249707,  // 84-87
    0.831469612302545,
    0.817584813151584,
    0.803207531480645,
    0.788346427626606,  // 88-91
    0.773010453362737,
    0.757208846506485,
    0.740951125354959,
    0.724247082951467,  // 92-95
    0.707106781186548,
    0.689540544737067,
    0.671558954847019,
    0.653172842953777,  // 96-99
    0.634393284163645,
    0.615231590580627,
    0.595699304492433,
    0.575808191417845,  // 100-103
    0.555570233019602,
    0.534997619887097,
    0.514102744193222,
    0.492898192229784,  // 104-107
    0.471396736825998,
    0.449611329654607,
    0.427555093430282,
    0.40524131400499,  // 108-111
    0.38268343236509,
    0.359895036534988,
    0.33688985339222,
    0.313681740398891,  // 112-115
    0.290284677254462,
    0.266712757474898,
    0.242980179903264,
    0.21910124015687,  // 116-119
    0.195090322016129,
    0.170961888760301,
    0.146730474455362,
    0.122410675199216,  // 120-123
    0.0980171403295608,
    0.0735645635996677,
    0.049067674327418,
    0.0245412285229123,  // 124-127
    0.0,
    -0.0245412285229121,
    -0.0490676743274177,
    -0.0735645635996675,  // 128-131
    -0.0980171403295606,
    -0.122410675199216,
    -0.146730474455362,
    -0.170961888760301,  // 132-135
    -0.195090322016128,
    -0.21910124015687,
    -0.242980179903264,
    -0.266712757474898,  // 136-139
    -0.290284677254462,
    -0.313681740398891,
    -0.33688985339222,
    -0.359895036534988,  // 140-143
    -0.38268343236509,
    -0.40524131400499,
    -0.427555093430282,
    -0.449611329654607,  // 144-147
    -0.471396736825998,
    -0.492898192229784,
    -0.514102744193222,
    -0.534997619887097,  // 148-151
    -0.555570233019602,
    -0.575808191417845,
    -0.595699304492433,
    -0.615231590580627,  // 152-155
    -0.634393284163645,
    -0.653172842953777,
    -0.671558954847018,
    -0.689540544737067,  // 156-159
    -0.707106781186547,
    -0.724247082951467,
    -0.740951125354959,
    -0.757208846506484,  // 160-163
    -0.773010453362737,
    -0.788346427626606,
    -0.803207531480645,
    -0.817584813151584,  // 164-167
    -0.831469612302545,
    -0.844853565249707,
    -0.857728610000272,
    -0.870086991108711,  // 168-171
    -0.881921264348355,
    -0.893224301195515,
    -0.903989293123443,
    -0.91420975570353,  // 172-175
    -0.923879532511287,
    -0.932992798834739,
    -0.941544065183021,
    -0.949528180593037,  // 176-179
    -0.956940335732209,
    -0.96377606579544,
    -0.970031253194544,
    -0.975702130038528,  // 180-183
    -0.98078528040323,
    -0.985277642388941,
    -0.989176509964781,
    -0.99247953459871,  // 184-187
    -0.995184726672197,
    -0.99729045667869,
    -0.998795456205172,
    -0.999698818696204,  // 188-191
    -1.0,
    -0.999698818696204,
    -0.998795456205172,
    -0.99729045667869,  // 192-195
    -0.995184726672197,
    -0.99247953459871,
    -0.989176509964781,
    -0.985277642388941,  // 196-199
    -0.98078528040323,
    -0.975702130038529,
    -0.970031253194544,
    -0.96377606579544,  // 200-203
    -0.956940335732209,
    -0.949528180593037,
    -0.941544065183021,
    -0.932992798834739,  // 204-207
    -0.923879532511287,
    -0.914209755703531,
    -0.903989293123443,
    -0.893224301195515,  // 208-211
    -0.881921264348355,
    -0.870086991108711,
    -0.857728610000272,
    -0.844853565249707,  // 212-215
    -0.831469612302545,
    -0.817584813151584,
    -0.803207531480645,
    -0.788346427626606,  // 216-219
    -0.773010453362737,
    -0.757208846506485,
    -0.740951125354959,
    -0.724247082951467,  // 220-223
    -0.707106781186548,
    -0.689540544737067,
    -0.671558954847019,
    -0.653172842953777,  // 224-227
    -0.634393284163646,
    -0.615231590580627,
    -0.595699304492433,
    -0.575808191417845,  // 228-231
    -0.555570233019602,
    -0.534997619887097,
    -0.514102744193222,
    -0.492898192229784,  // 232-235
    -0.471396736825998,
    -0.449611329654607,
    -0.427555093430283,
    -0.40524131400499,  // 236-239
    -0.38268343236509,
    -0.359895036534988,
    -0.33688985339222,
    -0.313681740398892,  // 240-243
    -0.290284677254462,
    -0.266712757474899,
    -0.242980179903264,
    -0.21910124015687,  // 244-247
    -0.195090322016129,
    -0.170961888760302,
    -0.146730474455362,
    -0.122410675199216,  // 248-251
    -0.0980171403295605,
    -0.0735645635996674,
    -0.0490676743274181,
    -0.0245412285229124,  // 252-255
};

int GkMath::Round(const double& x) {
  const double shifted = x > 0 ? x + 0.5 : x - 0.5;
  if (std::isnan(shifted)) return 0;
  // Truncation toward zero fits in an int for -2^31 - 1 < shifted < 2^31.
  if (shifted >= 2147483648.0) return INT_MAX;
  if (shifted <= -2147483649.0) return INT_MIN;
  return static_cast<int>(shifted);
}

double GkMath::Pow(const double& base, const double& exponent) {
  errno = 0;
  const double result = std::pow(base, exponent);
  if (errno == EDOM || errno == ERANGE) return 0.0;
  // Not every C library reports through errno (mingw-w64's pow leaves it
  // alone on overflow), so the errors are also read off the result: an
  // infinity from finite operands is an overflow or a pole, a NaN from
  // operands that are numbers a domain error.
  const bool finiteOperands = std::isfinite(base) && std::isfinite(exponent);
  if (std::isinf(result) && finiteOperands) return 0.0;
  if (std::isnan(result) && !std::isnan(base) && !std::isnan(exponent)) return 0.0;
  return result;
}

AcGePoint2d GkMath::Pow(const AcGePoint2d& p, const double& e) {
  return AcGePoint2d(std::pow(p.x, e), std::pow(p.y, e));
}

double GkMath::Rad2Deg(const double& rad) { return rad * gk::kDegreesPerRadian; }
double GkMath::Deg2Rad(const double& deg) { return deg * gk::kRadiansPerDegree; }
double GkMath::Rad2Gra(const double& rad) { return rad * gk::kGradiansPerRadian; }
double GkMath::Gra2Rad(const double& gra) { return gra * gk::kRadiansPerGradian; }

double GkMath::CorrectAngle(const double& a) { return std::remainder(a - kPi, k2Pi) + kPi; }

double GkMath::CorrectAngleU(const double& a) { return std::fabs(std::remainder(a, k2Pi)); }

double GkMath::GetAngleDifferenceU(const double& a, const double& b) {
  return std::fabs(std::remainder(a - b, k2Pi));
}

COMPAREVAL GkMath::Compare(const double& a, const double& b, const GkTolerance& tol) {
  const double d = a - b;
  const double t = tol.EqualPoint();
  if (t >= std::fabs(d)) return CMP_EQUAL;
  if (d > t) return CMP_GREATER;
  return CMP_LESS;
}

bool GkMath::Compare(const double& a, const double& b, const COMPAREVAL& request,
                     const GkTolerance& tol) {
  const COMPAREVAL c = Compare(a, b, tol);
  if (c == request) return true;
  if (request == CMP_GREATER_EQUAL) return c == CMP_GREATER || c == CMP_EQUAL;
  if (request == CMP_LESS_EQUAL) return c == CMP_LESS || c == CMP_EQUAL;
  return false;
}

bool GkMath::IsValueBetween(const double& v, const double& a, const double& b,
                            const GkTolerance& tol) {
  const double t = tol.EqualPoint();
  if (gk::GreaterEqualWithin(v, a, t) && gk::LessEqualWithin(v, b, t)) return true;
  return gk::LessEqualWithin(v, a, t) && gk::GreaterEqualWithin(v, b, t);
}

bool GkMath::IsAngleBetween(const double& angle, const double& start, const double& end,
                            const bool& ccw, const GkTolerance& tol) {
  const double e = tol.EqualVector();
  // Start and end on one direction: the range is the full turn.
  if (std::fabs(std::remainder(start - end, k2Pi)) <= e) return true;
  double s = ccw ? start - e : end - e;
  double f = ccw ? end + e : start + e;
  s = CorrectAngle(s);
  f = CorrectAngle(f);
  double a = CorrectAngle(angle);
  if (s > f) f += k2Pi;
  if (s > a) a += k2Pi;
  return s <= a && a <= f;
}

int GkMath::GetArcBreakCount(const double& radius, const double& sweep, const double& tol) {
  const double x = 1.0 - tol / radius;
  if (x < -1.0 || x > 1.0) return 2;
  const double quotient = sweep / std::acos(x);
  if (!std::isfinite(quotient)) return 2;
  const double count = std::trunc(quotient) + 2.0;
  if (count >= static_cast<double>(kMaxArcBreakCount)) return kMaxArcBreakCount;
  if (count <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(count);
}

namespace {

// The table sine s and cosine k of the table angle nearest x, and the
// residual angle a = x - that angle, abs(a) <= pi/256.
struct TableAngle {
  double s;
  double k;
  double a;
};

TableAngle NearestTableAngle(double x) {
  const int c = GkMath::Round(x * (128.0 / kPi));  // 256 steps a turn
  // The low eight bits of the two's-complement c: negative c wraps.
  const unsigned idx = static_cast<unsigned>(c) & 255u;
  TableAngle t;
  t.s = kSinTable[idx];
  t.k = kSinTable[(idx + 64u) & 255u];
  t.a = x - c * (kPi / 128.0);
  return t;
}

}  // namespace

double GkMath::FastSin(const double& x) {
  const TableAngle t = NearestTableAngle(x);
  return (t.k - t.s * 0.5 * t.a) * t.a + t.s;
}

double GkMath::FastCos(const double& x) {
  const TableAngle t = NearestTableAngle(x);
  return t.k - (t.k * 0.5 * t.a + t.s) * t.a;
}
