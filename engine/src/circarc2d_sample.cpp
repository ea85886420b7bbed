// AcGeCircArc2d sampling: arcs become point sequences from the start point to
// the end point, both included; full circles are walked by octants, one
// octant computed and the other seven reflected from it.
#include <engine/circarc2d.h>

#include "constants.h"

#include <cmath>
#include <vector>

// Also defined here so that the DLL exports it (see GkMath::kMaxArcBreakCount).
constexpr int AcGeCircArc2d::kMaxSamplePoints;

namespace {

using gk::kQuarterPi;

// Number of points for a sweep at chord tolerance tol, as GetArcBreakCount,
// made safe where that formula is undefined or absurd: a tolerance that is
// not positive (or NaN) gives the minimum of 2 like a negative one, a count
// beyond maxCount (a tolerance far below the radius' rounding) is capped
// there, and a negative sweep (angles stored unnormalised by setAngles) gives
// the two end points rather than a count below 2.
int tolerancePointCount(double radius, double sweep, double tol, int maxCount) {
  if (!(tol > 0.0)) {
    return 2;
  }
  const double x = 1.0 - tol / radius;
  if (x < -1.0 || x > 1.0) {
    return 2;
  }
  const double quotient = sweep / std::acos(x);
  if (std::isnan(quotient)) {
    return 2;
  }
  if (quotient >= static_cast<double>(maxCount - 2)) {
    return maxCount;
  }
  const int n = GkMath::GetArcBreakCount(radius, sweep, tol);
  return n < 2 ? 2 : n;
}

// Points per octant for a full circle: its 8a - 7 points stay within the cap.
int octantPointCount(double radius, double tol) {
  return tolerancePointCount(radius, kQuarterPi, tol, (AcGeCircArc2d::kMaxSamplePoints + 7) / 8);
}

// Points per octant for count-driven circle sampling; counts below 8 (which
// would give a = 1 and a zero-length octant walk) give the octant corners, and
// the half-circle buffer stays within the same cap as tolerance sampling.
int octantPointCountFromCount(int count) {
  if (count < 8) {
    return 2;
  }
  const int a = static_cast<int>(count * 0.125 + 1.0);
  const int maxA = (AcGeCircArc2d::kMaxSamplePoints + 7) / 8;
  return a < maxA ? a : maxA;
}

struct Trig {
  bool fast;
  double cos(double a) const { return fast ? GkMath::FastCos(a) : std::cos(a); }
  double sin(double a) const { return fast ? GkMath::FastSin(a) : std::sin(a); }
};

// Emits n >= 2 points of the arc: the exact start point, n - 2 inner points
// by repeated addition of the signed step, the exact end point.
template <typename Emit>
void walkArc(const AcGeCircArc2d& arc, int n, Trig trig, Emit emit) {
  const double sweep = arc.GetArcSweepangle();
  const double step = arc.isClockWise() ? -sweep / (n - 1) : sweep / (n - 1);
  const AcGePoint2d c = arc.center();
  const double r = arc.radius();
  emit(arc.startPoint());
  double theta = arc.startAng();
  for (int i = 0; i < n - 2; ++i) {
    theta = theta + step;
    emit(AcGePoint2d(trig.cos(theta) * r + c.x, trig.sin(theta) * r + c.y));
  }
  emit(arc.endPoint());
}

// The first half of a full circle, P[0] .. P[4a - 4], for a >= 2 points per
// octant: from (cx + r, cy) to (cx - r, cy), counter-clockwise through the
// top when ccw, clockwise through the bottom otherwise.
std::vector<AcGePoint2d> circleHalf(const AcGeCircArc2d& arc, int a, Trig trig) {
  const AcGePoint2d c = arc.center();
  const double cx = c.x;
  const double cy = c.y;
  const double r = arc.radius();
  const bool ccw = !arc.isClockWise();
  const double q = std::sqrt(2.0) * r * 0.5;

  std::vector<AcGePoint2d> half;
  half.reserve(static_cast<size_t>(4) * static_cast<size_t>(a) - 3);
  half.emplace_back(cx + r, cy);
  const double eps = ccw ? kQuarterPi / (a - 1) : -(kQuarterPi / (a - 1));
  double phi = 0.0;
  for (int i = 1; i <= a - 2; ++i) {
    phi = phi + eps;
    half.emplace_back(trig.cos(phi) * r + cx, trig.sin(phi) * r + cy);
  }
  half.emplace_back(cx + q, ccw ? cy + q : cy - q);
  // Second octant: the first reflected in the diagonal through the centre
  // (the other diagonal when clockwise), in reverse order.
  for (int j = 0; j <= a - 2; ++j) {
    const AcGePoint2d p = half[static_cast<size_t>(a - 2 - j)];
    if (ccw) {
      half.emplace_back((cx - cy) + p.y, (cy - cx) + p.x);
    } else {
      half.emplace_back((cx + cy) - p.y, (cx + cy) - p.x);
    }
  }
  // Second quadrant: the first reflected in the vertical through the centre.
  for (int j = 0; j <= 2 * a - 3; ++j) {
    const AcGePoint2d p = half[static_cast<size_t>(2 * a - 3 - j)];
    half.emplace_back(2.0 * cx - p.x, p.y);
  }
  return half;
}

// Emits the 8a - 7 points of the full circle: the first half, then the first
// half reflected in the horizontal through the centre, in reverse order. The
// last point equals the first.
template <typename Emit>
void walkCircle(const AcGeCircArc2d& arc, int a, Trig trig, Emit emit) {
  const std::vector<AcGePoint2d> half = circleHalf(arc, a, trig);
  const double cy = arc.center().y;
  for (const AcGePoint2d& p : half) {
    emit(p);
  }
  for (int j = 0; j <= 4 * a - 5; ++j) {
    const AcGePoint2d& p = half[static_cast<size_t>(4 * a - 5 - j)];
    emit(AcGePoint2d(p.x, 2.0 * cy - p.y));
  }
}

// Tolerance-driven walk of any arc or circle.
template <typename Emit>
void walkByTolerance(const AcGeCircArc2d& arc, double tol, Emit emit) {
  const Trig exact{false};
  if (arc.IsCircle()) {
    walkCircle(arc, octantPointCount(arc.radius(), tol), exact, emit);
  } else {
    const int n = tolerancePointCount(arc.radius(), arc.GetArcSweepangle(), tol,
                                      AcGeCircArc2d::kMaxSamplePoints);
    walkArc(arc, n, exact, emit);
  }
}

// Count-driven walk to an x/y sink.
void walkByCount(const AcGeCircArc2d& arc, int count, Trig trig, GkSampleXY& sink) {
  auto emit = [&sink](const AcGePoint2d& p) { sink.AddXY(p.x, p.y); };
  if (arc.IsCircle()) {
    walkCircle(arc, octantPointCountFromCount(count), trig, emit);
  } else {
    walkArc(arc, count < 2 ? 2 : count, trig, emit);
  }
}

}  // namespace

void AcGeCircArc2d::GetSampleBuffer(std::vector<AcGePoint2d>& pts, const double& tol) {
  if (m_isCircle) {
    GetCircleSampleBuffer(pts, tol);
    return;
  }
  const int n = tolerancePointCount(m_radius, GetArcSweepangle(), tol, kMaxSamplePoints);
  pts.resize(static_cast<size_t>(n));
  size_t i = 0;
  walkArc(*this, n, Trig{false}, [&pts, &i](const AcGePoint2d& p) { pts[i++] = p; });
}

void AcGeCircArc2d::GetCircleSampleBuffer(std::vector<AcGePoint2d>& pts, const double& tol) const {
  const int a = octantPointCount(m_radius, tol);
  pts.resize(static_cast<size_t>(8) * static_cast<size_t>(a) - 7);
  size_t i = 0;
  walkCircle(*this, a, Trig{false}, [&pts, &i](const AcGePoint2d& p) { pts[i++] = p; });
}

void AcGeCircArc2d::getSamplePoints(GkSamplePoint& sink, const double& tol) {
  walkByTolerance(*this, tol, [&sink](const AcGePoint2d& p) { sink.AddPoint(p); });
}

void AcGeCircArc2d::GetSamplePointXY(GkSampleXY& sink, const double& tol) {
  walkByTolerance(*this, tol, [&sink](const AcGePoint2d& p) { sink.AddXY(p.x, p.y); });
}

void AcGeCircArc2d::getSamplePoints(std::vector<AcGePoint2d>& pts, int count) const {
  if (count < 1) {
    pts.assign({startPoint(), endPoint()});
    return;
  }
  pts.resize(static_cast<size_t>(count));
  if (count == 1) {
    // The start point is written first and then overwritten by the end.
    pts[0] = endPoint();
    return;
  }
  size_t i = 0;
  walkArc(*this, count, Trig{false}, [&pts, &i](const AcGePoint2d& p) { pts[i++] = p; });
}

void AcGeCircArc2d::GetSamplePointXY(GkSampleXY& sink, const int& count) const {
  walkByCount(*this, count, Trig{false}, sink);
}

void AcGeCircArc2d::GetSamplePointXY(GkSampleXY& sink, const int& count) {
  walkByCount(*this, count, Trig{false}, sink);
}

void AcGeCircArc2d::GetFastSamplePointXY(GkSampleXY& sink, const int& count) const {
  walkByCount(*this, count, Trig{true}, sink);
}
