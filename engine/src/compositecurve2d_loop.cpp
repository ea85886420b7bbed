// GkCompositeCurve2d loop queries: point containment by a crossing count
// along a horizontal ray, area from the trapezoid sum of the sampled loop,
// orientation from the exact signed area, and distances between composites.
#include <engine/compositecurve2d.h>

#include <engine/circarc2d.h>
#include <engine/lineseg2d.h>

#include "compositecurve2d_walk.h"
#include "constants.h"

#include <algorithm>
#include <cmath>

namespace {

using gk::kHalfPi;
using gk::kPi;
using gk::kThreeHalfPi;
constexpr double kTwoPi = gk::k2Pi;
// Intersection angles this close (radians) to an arc end snap to that end.
constexpr double kEndSnapAngle = 1e-7;
// Chord tolerance at which Orientation() samples members other than
// segments and arcs: coarse, only the sign matters.
constexpr double kOrientationSampleTol = 0.1;

// Appends a unless the list already holds an angle within t of it; the
// check runs against the first `checked` entries only.
void AppendDistinctAngle(std::vector<double>& angles, std::size_t checked, double a, double t) {
  for (std::size_t i = 0; i < checked; ++i) {
    if (std::fabs(angles[i] - a) <= t) return;
  }
  angles.push_back(a);
}

// Adds the shoelace terms of `member` sampled at `sampleTol`, joined from
// (prevX, prevY), to `sum`, and moves (prevX, prevY) to its last sample.
void AddSampledTerms(GkCurve2d& member, double sampleTol, double& sum, double& prevX,
                     double& prevY) {
  GetAreaSampleXY sink(sum, prevX, prevY);
  member.GetSamplePointXY(sink, sampleTol);
  sum = sink.Sum();
  prevX = sink.PrevX();
  prevY = sink.PrevY();
}

}  // namespace

// ---- point in loop ----

bool GkCompositeCurve2d::IsIntersectValid(const AcGePoint2d& a, const AcGePoint2d& b,
                                          const AcGePoint2d& p) const {
  const double t = GkGeoLib::g_tol.EqualPoint();
  const bool aAbove = a.y - p.y > t;
  const bool bAbove = b.y - p.y > t;
  if (aAbove == bAbove) return false;
  return p.x < a.x + (b.x - a.x) * (p.y - a.y) / (b.y - a.y);
}

void GkCompositeCurve2d::ToggleArcCrossings(AcGeCircArc2d& arc, AcGeLineSeg2d& ray,
                                            const AcGePoint2d& p, bool& parity) const {
  const double t = GkGeoLib::g_tol.EqualPoint();
  int count = 0;
  AcGePoint2d p1;
  AcGePoint2d p2;
  if (!arc.intersectWith(ray, count, p1, p2, GkGeoLib::g_tol)) return;

  // Angles from F (where the arc begins read counter-clockwise) to D (where it
  // ends), cut at the top and bottom of the circle and at the crossings, so
  // that every chord between neighbours runs monotonically in y.
  std::vector<double> angles;
  double f = 0.0;
  double d = kTwoPi;
  if (arc.IsCircle()) {
    angles = {0.0, kHalfPi, kPi, kThreeHalfPi, kTwoPi};
  } else {
    // Normalising is the identity for the angles the arc's setters store; it
    // only guards angles stored raw through setAngles.
    const double s = GkMath::CorrectAngle(arc.startAng());
    const double e = GkMath::CorrectAngle(arc.endAng());
    f = arc.isClockWise() ? e : s;
    d = arc.isClockWise() ? s : e;
    // Equal ends read as a full turn when the arc itself says so.
    if (f > d || (f == d && arc.GetArcSweepangle() > kPi)) d += kTwoPi;
    // The top and bottom only where they lie inside the sweep, clear of
    // both ends: a cut read a turn away (past D) would add a chord across
    // the whole arc.
    for (const double v : {kHalfPi, kThreeHalfPi}) {
      const double o = GkMath::CorrectAngle(v - f);
      if (o > t && o < d - f - t) angles.push_back(f + o);
    }
    angles.push_back(f);
    angles.push_back(d);
  }

  const std::size_t before = angles.size();
  const AcGePoint2d centre = arc.center();
  const AcGePoint2d hits[2] = {p1, p2};
  for (int k = 0; k < count && k < 2; ++k) {
    double a = (hits[k] - centre).angle();
    if (GkMath::GetAngleDifferenceU(a, f) < kEndSnapAngle) a = f;
    if (GkMath::GetAngleDifferenceU(a, d) < kEndSnapAngle) a = d;
    // Within [F, D]: a crossing that reads outside the sweep is an end point
    // whose angle the coordinates' rounding moved (by ulp / radius, more
    // than the snap on a small arc far from the origin), so it goes to the
    // nearer end, never a turn away.
    const double o = GkMath::CorrectAngle(a - f);
    if (o <= d - f) {
      a = f + o;
    } else {
      a = o - (d - f) < kTwoPi - o ? d : f;
    }
    AppendDistinctAngle(angles, before, a, t);
  }

  std::sort(angles.begin(), angles.end());
  const double r = arc.radius();
  AcGePoint2d prev(centre.x + r * std::cos(angles[0]), centre.y + r * std::sin(angles[0]));
  for (std::size_t i = 1; i < angles.size(); ++i) {
    const AcGePoint2d next(centre.x + r * std::cos(angles[i]), centre.y + r * std::sin(angles[i]));
    if (IsIntersectValid(prev, next, p)) parity = !parity;
    prev = next;
  }
}

bool GkCompositeCurve2d::IsPointIn(const AcGePoint2d& pt) {
  const double t = GkGeoLib::g_tol.EqualPoint();
  const GkBoundBox2d box = GetBoundBox();
  if (!box.Contain(pt, GkGeoLib::g_tol)) return false;

  // The ray reaches one drawing unit past the box on both sides.
  AcGeLineSeg2d ray(AcGePoint2d(box.minX - 1.0, pt.y), AcGePoint2d(box.maxX + 1.0, pt.y));
  bool parity = false;
  for (GkCurve2d* member : m_members) {
    const GkBoundBox2d mb = member->GetBoundBox();
    if (!(mb.maxX >= pt.x - t && mb.maxY > pt.y && mb.minY <= pt.y + t)) continue;
    const GkCurveType type = member->GetCrvType();
    if (type == kCrvLineSeg) {
      if (IsIntersectValid(member->startPoint(), member->endPoint(), pt)) parity = !parity;
    } else if (type == kCrvArc) {
      if (auto* arc = dynamic_cast<AcGeCircArc2d*>(member))
        ToggleArcCrossings(*arc, ray, pt, parity);
    }
  }
  return parity;
}

// ---- orientation and area ----

double GkCompositeCurve2d::SampledAreaSum(const double& sampleTol) {
  const AcGePoint2d start = m_members.front()->startPoint();
  double sum = 0.0;
  double prevX = start.x;
  double prevY = start.y;
  for (GkCurve2d* member : m_members) AddSampledTerms(*member, sampleTol, sum, prevX, prevY);
  return sum;
}

double GkCompositeCurve2d::ExactAreaSum() {
  const AcGePoint2d start = m_members.front()->startPoint();
  double sum = 0.0;
  double prevX = start.x;
  double prevY = start.y;
  for (GkCurve2d* member : m_members) {
    const GkCurveType type = member->GetCrvType();
    auto* arc = type == kCrvArc ? dynamic_cast<AcGeCircArc2d*>(member) : nullptr;
    if (type != kCrvLineSeg && arc == nullptr) {
      AddSampledTerms(*member, kOrientationSampleTol, sum, prevX, prevY);
      continue;
    }
    // The chord from where the chain stands to the member's end, as the
    // sampled sum joins members, plus twice the circular segment between an
    // arc and its chord: r^2 (theta - sin theta), outward for a
    // counter-clockwise arc.
    const AcGePoint2d end = member->endPoint();
    sum += (prevX + end.x) * (end.y - prevY);
    if (arc != nullptr) {
      const double theta = arc->GetArcSweepangle();
      const double bulge = arc->radius() * arc->radius() * (theta - std::sin(theta));
      sum += arc->isClockWise() ? -bulge : bulge;
    }
    prevX = end.x;
    prevY = end.y;
  }
  return sum;
}

// Decided by the exact enclosed area: a chord sampling, however fine, can
// turn a thin loop the other way (a lune whose arcs sample to crossing
// chords). Loops of one or two members still enclose area when they hold
// arcs (a full circle, two half circles); only the empty loop has none.
bool GkCompositeCurve2d::Orientation() {
  if (m_members.empty()) return false;
  return ExactAreaSum() > 0.0;
}

double GkCompositeCurve2d::Area(const double& sampleTol) {
  if (m_members.empty()) return 0.0;
  return std::fabs(SampledAreaSum(sampleTol)) * 0.5;
}

// ---- composite to composite ----

namespace {

// Hands one member of a composite to the other composite with the roles
// exchanged: a receives the point on the member, b the point on `other`.
// Members that are neither segments nor arcs answer +inf and are skipped.
double MemberToComposite(GkCompositeCurve2d& other, GkCurve2d& member, AcGePoint2d& a,
                         AcGePoint2d& b, const GkTolerance& tol) {
  const GkCurveType type = member.GetCrvType();
  if (type == kCrvArc) {
    if (auto* arc = dynamic_cast<AcGeCircArc2d*>(&member))
      return other.distanceToArc(*arc, b, a, tol);
  } else if (type == kCrvLineSeg) {
    if (auto* seg = dynamic_cast<AcGeLineSeg2d*>(&member))
      return other.distanceToSeg(*seg, b, a, tol);
  }
  return std::numeric_limits<double>::infinity();
}

}  // namespace

double GkCompositeCurve2d::distanceToComposite(GkCompositeCurve2d& other, AcGePoint2d& onThis,
                                               AcGePoint2d& onOther, const GkTolerance& tol) {
  const composite_walk::Best best = composite_walk::MinOverMembers(
      m_members, tol.EqualPoint(), [&other, &tol](GkCurve2d& m, AcGePoint2d& a, AcGePoint2d& b) {
        return MemberToComposite(other, m, a, b, tol);
      });
  best.WritePair(onThis, onOther);
  return best.Distance();
}

AcGePoint2d GkCompositeCurve2d::closestPointTo(GkCompositeCurve2d& other, AcGePoint2d& onOther,
                                               const GkTolerance& tol) {
  AcGePoint2d onThis;
  distanceToComposite(other, onThis, onOther, tol);
  return onThis;
}
