// Invariants that tie the curve-to-curve queries together, checked on many
// random segment/segment and segment/arc pairs from the segment's side:
// - both points of every nearest pair lie on their curves;
// - distanceToSeg / distanceToArc return exactly the distance between the two
//   points they hand back, with the segment's point first;
// - no distance is negative;
// - curves that intersectWith reports as meeting are 0 apart within the
//   tolerance.
#include <engine/circarc2d.h>
#include <engine/lineseg2d.h>

#include <testsupport/geometry_asserts.h>
#include <testsupport/shape_builders.h>

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

namespace {

using P = AcGePoint2d;
using testsupport::kPi;

// Distance from p to the segment a-b by plain vector algebra (clamped
// projection), independent of the library's projection.
double refSegDistance(const P& a, const P& b, const P& p) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double l2 = dx * dx + dy * dy;
  double t = l2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / l2 : 0.0;
  t = std::fmax(0.0, std::fmin(1.0, t));
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// Swept offset of direction ang from the arc's start, in [0, 2pi).
double offsetAlong(const AcGeCircArc2d& arc, double ang) {
  const double raw = arc.isClockWise() ? arc.startAng() - ang : ang - arc.startAng();
  double w = std::fmod(raw, 2 * kPi);
  return w < 0 ? w + 2 * kPi : w;
}

double sweepOf(const AcGeCircArc2d& arc) {
  if (arc.IsCircle()) return 2 * kPi;
  const double s = offsetAlong(arc, arc.endAng());
  return s == 0.0 ? 2 * kPi : s;
}

// p lies on the arc: radial error and angular overshoot past an end both
// within tol (relative to the radius for the radial part).
::testing::AssertionResult onArc(const AcGeCircArc2d& arc, const P& p, double tol) {
  const P c = arc.center();
  const double radial = std::fabs(std::hypot(p.x - c.x, p.y - c.y) - arc.radius());
  if (radial > tol * std::fmax(1.0, arc.radius()))
    return ::testing::AssertionFailure() << "radial error " << radial;
  if (arc.IsCircle()) return ::testing::AssertionSuccess();
  const double off = offsetAlong(arc, std::atan2(p.y - c.y, p.x - c.x));
  const double over = off - sweepOf(arc);
  // Past the end by over, or just before the start (off near 2pi).
  const double outside = std::fmin(over, 2 * kPi - off);
  if (over > 0 && outside * arc.radius() > tol * std::fmax(1.0, arc.radius()))
    return ::testing::AssertionFailure() << "off the arc by angle " << outside;
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult onSeg(const AcGeLineSeg2d& s, const P& p, double tol) {
  const double d = refSegDistance(s.startPoint(), s.endPoint(), p);
  if (d > tol) return ::testing::AssertionFailure() << "off the segment by " << d;
  return ::testing::AssertionSuccess();
}

// Random arcs (both directions, some full circles, radii 0.01 to 1000) and
// segments at the arc's scale, many of them built to touch or cross it.
struct PairGen {
  std::mt19937 rng;
  std::uniform_real_distribution<double> unit{-1.0, 1.0};
  std::uniform_real_distribution<double> ang{0.0, 2 * kPi};
  std::uniform_int_distribution<int> kind{0, 5};

  explicit PairGen(unsigned seed) : rng(seed) {}

  AcGeCircArc2d arc() {
    const double r = std::pow(10.0, 3.0 * unit(rng) + 1.0) * 0.1;  // 0.01 .. 1000
    const P c(unit(rng) * r, unit(rng) * r);
    if (kind(rng) == 0) return AcGeCircArc2d(c, r);
    return AcGeCircArc2d(c, r, ang(rng), ang(rng), unit(rng) > 0);
  }

  P around(const AcGeCircArc2d& a, double spread) {
    const double r = a.radius();
    return P(a.center().x + unit(rng) * spread * r, a.center().y + unit(rng) * spread * r);
  }

  P onCircle(const AcGeCircArc2d& a, double t) {
    return P(a.center().x + a.radius() * std::cos(t), a.center().y + a.radius() * std::sin(t));
  }

  AcGeLineSeg2d segFor(const AcGeCircArc2d& a) {
    const double r = a.radius();
    switch (kind(rng)) {
      case 0:  // anywhere near
        return AcGeLineSeg2d(around(a, 3), around(a, 3));
      case 1: {  // through an arc end point
        const P e = unit(rng) > 0 ? a.startPoint() : a.endPoint();
        const P q = around(a, 2);
        return AcGeLineSeg2d(P(2 * e.x - q.x, 2 * e.y - q.y), q);
      }
      case 2: {  // ending on an arc end point
        return AcGeLineSeg2d(around(a, 2), unit(rng) > 0 ? a.startPoint() : a.endPoint());
      }
      case 3: {  // tangent at a point of the circle
        const double t = ang(rng);
        const P m = onCircle(a, t);
        const double l = r * (0.1 + std::fabs(unit(rng)));
        return AcGeLineSeg2d(P(m.x + l * std::sin(t), m.y - l * std::cos(t)),
                             P(m.x - l * std::sin(t), m.y + l * std::cos(t)));
      }
      case 4: {  // a chord extended past both crossings
        const P m = onCircle(a, ang(rng)), n = onCircle(a, ang(rng));
        const double k = 0.2 * std::fabs(unit(rng));
        return AcGeLineSeg2d(P(m.x + (m.x - n.x) * k, m.y + (m.y - n.y) * k),
                             P(n.x + (n.x - m.x) * k, n.y + (n.y - m.y) * k));
      }
      default:  // wholly inside the circle
        return AcGeLineSeg2d(around(a, 0.5), around(a, 0.5));
    }
  }
};

constexpr int kPairs = 4000;

TEST(CurvePairProperty, SegmentAgainstArcNearestPairs) {
  PairGen gen(31);
  const GkTolerance tol;
  for (int i = 0; i < kPairs; ++i) {
    AcGeCircArc2d arc = gen.arc();
    AcGeLineSeg2d seg = gen.segFor(arc);
    SCOPED_TRACE("case " + std::to_string(i));
    const double scaleTol = 1e-9 * std::fmax(1.0, arc.radius());

    P onThis, onOther;
    const double d = seg.distanceToArc(arc, onThis, onOther, tol);
    EXPECT_TRUE(onSeg(seg, onThis, scaleTol));
    EXPECT_TRUE(onArc(arc, onOther, 1e-9));
    EXPECT_EQ(d, onThis.distanceTo(onOther));
    EXPECT_GE(d, 0.0);

    P onOther2;
    const P onThis2 = seg.closestPointTo(arc, onOther2, tol);
    EXPECT_POINT_EQ(onThis2, onThis);
    EXPECT_POINT_EQ(onOther2, onOther);

    const double plain = seg.distanceTo(arc, tol);
    EXPECT_GE(plain, 0.0);
    // Neither distance may exceed what a segment end point already
    // achieves, beyond the EqualPoint band in which the rules call curves
    // touching.
    const double band = tol.EqualPoint() + scaleTol;
    for (P e : {seg.startPoint(), seg.endPoint()}) {
      EXPECT_LE(plain, arc.distanceTo(e, tol) + band);
      EXPECT_LE(d, arc.distanceTo(e, tol) + band);
    }
  }
}

TEST(CurvePairProperty, SegmentAndArcReportedMeetingAreZeroApart) {
  PairGen gen(32);
  const GkTolerance tol;
  int meetings = 0;
  for (int i = 0; i < kPairs; ++i) {
    AcGeCircArc2d arc = gen.arc();
    AcGeLineSeg2d seg = gen.segFor(arc);
    SCOPED_TRACE("case " + std::to_string(i));
    int count = 0;
    P p1, p2;
    if (!arc.intersectWith(seg, count, p1, p2, tol)) continue;
    ++meetings;
    // Meeting within tol: the radial tangency band is tol.EqualPoint, and
    // computed crossings carry rounding of the arc's scale.
    const double zero = tol.EqualPoint() + 1e-9 * std::fmax(1.0, arc.radius());
    P onThis, onOther;
    EXPECT_LE(seg.distanceToArc(arc, onThis, onOther, tol), zero);
    EXPECT_LE(seg.distanceTo(arc, tol), zero);
  }
  EXPECT_GT(meetings, kPairs / 4);
}

TEST(CurvePairProperty, SegmentAgainstSegmentNearestPairs) {
  std::mt19937 rng(33);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_int_distribution<int> kind(0, 3);
  const GkTolerance tol;
  int meetings = 0;
  for (int i = 0; i < kPairs; ++i) {
    const double s = std::pow(10.0, 2.0 * unit(rng));  // scale 0.01 .. 100
    auto rp = [&] { return P(unit(rng) * s, unit(rng) * s); };
    AcGeLineSeg2d a(rp(), rp());
    AcGeLineSeg2d b(rp(), rp());
    switch (kind(rng)) {
      case 1:  // b starts on a
        b.set(a.evalPoint(0.5 + 0.5 * unit(rng)), rp());
        break;
      case 2:  // shared end point
        b.set(rp(), a.endPoint());
        break;
      case 3:  // b on a's carrier line, overlapping or not
        b.set(a.evalPoint(unit(rng) * 1.5), a.evalPoint(1 + unit(rng)));
        break;
      default: break;
    }
    SCOPED_TRACE("case " + std::to_string(i));
    const double scaleTol = 1e-9 * std::fmax(1.0, s);

    P onThis, onOther;
    const double d = a.distanceToSeg(b, onThis, onOther, tol);
    EXPECT_TRUE(onSeg(a, onThis, scaleTol));
    EXPECT_TRUE(onSeg(b, onOther, scaleTol));
    EXPECT_EQ(d, onThis.distanceTo(onOther));
    EXPECT_GE(d, 0.0);
    EXPECT_GE(a.distanceTo(b, tol), 0.0);

    int count = 0;
    std::bitset<7> flags;
    P p1, p2;
    if (a.intersectWith(b, count, flags, p1, p2, tol)) {
      ++meetings;
      EXPECT_EQ(a.distanceTo(b, tol), 0.0);
      EXPECT_LE(d, tol.EqualPoint() + scaleTol);
    }
  }
  EXPECT_GT(meetings, kPairs / 4);
}

}  // namespace
