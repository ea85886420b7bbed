// Tolerance records: every geometric decision of the library is made against
// a GkTolerance that the caller passes in, or against the library default
// GkGeoLib::g_tol.
//
// Conventions of the whole library:
// - Units: lengths and coordinates in drawing units, angles in radians.
// - Axes: x to the right, y up; angles are counter-clockwise positive from
//   the +x axis. Normalised angles lie in [0, 2pi] (GkMath::CorrectAngle);
//   the polar angle of a point about a centre lies in [0, 2pi).
// - Tolerances are absolute, never scaled by the size of the geometry:
//   EqualPoint   1e-8     linear: coordinates, distances, scalar compares
//                         (GkMath::Compare, GkMath::IsValueBetween), boxes.
//   EqualVector  1e-7     angular / direction: GkMath::IsAngleBetween,
//                         parallel and perpendicular tests of vectors.
//   ArcTol       0.00254  carried with the record; only copied and squared.
// - "a equals b within EqualPoint" is inclusive: abs(a - b) <= EqualPoint;
//   "strictly within" is exclusive: abs(a - b) < EqualPoint. Each operation
//   says which one it uses. Tests on cross or dot products of un-normalised
//   vectors (area-like values) use the squared record of GetSquareTol.
#pragma once

#include <engine/engine_export.h>

#include <climits>

// A plain value record of three absolute tolerances. No validation: a
// negative or NaN value is stored as given and the tests then behave as the
// floating-point comparisons dictate.
class ENGINE_EXPORT GkTolerance {
public:
  // The three defaults: 1e-8, 1e-7, 0.00254.
  constexpr GkTolerance() = default;
  constexpr GkTolerance(const GkTolerance&) = default;
  GkTolerance& operator=(const GkTolerance&) = default;
  ~GkTolerance() = default;

  double EqualPoint() const { return m_equalPoint; }
  double EqualVector() const { return m_equalVector; }
  double ArcTol() const { return m_arcTol; }

  void SetEqualPoint(double value) { m_equalPoint = value; }
  void SetEqualVector(double value) { m_equalVector = value; }
  void SetArcTol(double value) { m_arcTol = value; }

  // A new record with all three values squared, for tests of area-like
  // quantities; the argument is a copy and stays unchanged. Cheap: call it
  // afresh at each use rather than caching it.
  static GkTolerance GetSquareTol(GkTolerance tol);

private:
  double m_equalPoint = 1e-8;
  double m_equalVector = 1e-7;
  double m_arcTol = 0.00254;
};

// Holder of the library default tolerance.
class ENGINE_EXPORT GkGeoLib {
public:
  // The mutable library default, starting with the three defaults at load
  // time. Operations that read it do so at the time of the call. It is an
  // unprotected global: set it during start-up, before geometry is computed
  // on several threads.
  static GkTolerance g_tol;
};

class AcGePoint2d;

// Result of a three-way compare (0, 1, 2) and the two further requests
// (3, 4) that the requested compare accepts. The three-way compare never
// produces CMP_GREATER_EQUAL or CMP_LESS_EQUAL.
enum COMPAREVAL {
  CMP_EQUAL = 0,          // a equals b within EqualPoint (inclusive)
  CMP_GREATER = 1,        // a - b > EqualPoint
  CMP_LESS = 2,           // a - b < -EqualPoint
  CMP_GREATER_EQUAL = 3,  // request: CMP_GREATER or CMP_EQUAL
  CMP_LESS_EQUAL = 4      // request: CMP_LESS or CMP_EQUAL
};

// sin(2*pi*k/256) for k = 0..255, rounded to 15 significant digits; entry
// (k + 64) % 256 serves as cos(2*pi*k/256). The values are those of a
// double-precision evaluation of the sine (so entry 255 is
// -0.0245412285229124 while entry 1 is 0.0245412285229123), with the four
// quarter-turn entries exact: 0, 1, 0, -1.
ENGINE_EXPORT extern const double kSinTable[256];

// Static numeric helpers. Angles in radians; "remainder" is the IEEE 754
// remainder (quotient rounded to nearest, ties to even), not fmod.
class ENGINE_EXPORT GkMath {
public:
  // The largest count GetArcBreakCount returns. Counts whose formula value
  // does not fit in an int are capped here.
  static constexpr int kMaxArcBreakCount = INT_MAX;

  // Rounds halves away from zero: x > 0 gives trunc(x + 0.5), otherwise
  // trunc(x - 0.5). Values beyond the range of int saturate to INT_MAX or
  // INT_MIN; NaN gives 0.
  static int Round(const double& x);
  // The standard power; 0.0 when it reports a domain or range error through
  // errno (for example pow(-8, 1/3) or pow(10, 400)).
  static double Pow(const double& base, const double& exponent);
  // (pow(p.x, e), pow(p.y, e)), with no errno handling.
  static AcGePoint2d Pow(const AcGePoint2d& p, const double& e);

  static double Rad2Deg(const double& rad);  // rad * 180/pi
  static double Deg2Rad(const double& deg);  // deg * pi/180
  static double Rad2Gra(const double& rad);  // rad * 200/pi (gradians)
  static double Gra2Rad(const double& gra);  // gra * pi/200

  // remainder(a - pi, 2pi) + pi, in [0, 2pi]: 2pi stays 2pi, -pi gives pi.
  static double CorrectAngle(const double& a);
  // abs(remainder(a, 2pi)), in [0, pi].
  static double CorrectAngleU(const double& a);
  // abs(remainder(a - b, 2pi)): the smaller unsigned angle between two
  // directions, in [0, pi].
  static double GetAngleDifferenceU(const double& a, const double& b);

  // Three-way compare of a with b under tol.EqualPoint (t): CMP_EQUAL when
  // abs(a - b) <= t (inclusive), CMP_GREATER when a - b > t, else CMP_LESS
  // (NaN differences included).
  static COMPAREVAL Compare(const double& a, const double& b, const GkTolerance& tol);
  // True when the three-way compare equals request, or request is
  // CMP_GREATER_EQUAL / CMP_LESS_EQUAL and the compare is one of the two it
  // names.
  static bool Compare(const double& a, const double& b, const COMPAREVAL& request,
                      const GkTolerance& tol);
  // v lies in the closed interval spanned by a and b (either order), widened
  // by tol.EqualPoint at both ends (inclusive).
  static bool IsValueBetween(const double& v, const double& a, const double& b,
                             const GkTolerance& tol);
  // Does angle lie on the arc range from start to end, counter-clockwise
  // when ccw is true, clockwise otherwise? Both ends are widened by
  // tol.EqualVector (inclusive). When start and end coincide within
  // EqualVector modulo 2pi the range is the full turn: true for every angle
  // (matching the full sweep reported for such arcs).
  static bool IsAngleBetween(const double& angle, const double& start, const double& end,
                             const bool& ccw, const GkTolerance& tol);
  // Number of sample points, both ends included, for an arc of the given
  // radius and sweep with chord sagitta at most tol:
  // trunc(sweep / acos(1 - tol/radius)) + 2. Returns 2 when 1 - tol/radius
  // lies outside [-1, 1] and when the quotient is not finite: zero
  // tolerance, zero radius, NaN input, and also tol/radius below about
  // 1.1e-16, where 1 - tol/radius rounds to 1. The count is clamped to the
  // range of int, at most kMaxArcBreakCount. A negative sweep gives a count
  // below 2 by the same formula.
  static int GetArcBreakCount(const double& radius, const double& sweep, const double& tol);
  // Table-driven sine and cosine: second-order Taylor expansion about the
  // nearest of 256 table angles; absolute error below 3.2e-7.
  static double FastSin(const double& x);
  static double FastCos(const double& x);
};
