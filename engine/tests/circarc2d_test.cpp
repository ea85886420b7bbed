// Circular arcs: construction, angle rules, measures, point tests, the box
// cache, and the copying and transforming operations.
#include <engine/circarc2d.h>
#include <engine/lineseg2d.h>

#include <testsupport/geometry_asserts.h>
#include <testsupport/shape_builders.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>

namespace {

using testsupport::kPi;
constexpr double kTwoPi = 2 * kPi;
const GkTolerance kTol;

// Reads the box cache of an arc: operator= copies it exactly.
class ArcProbe : public AcGeCircArc2d {
public:
  explicit ArcProbe(const AcGeCircArc2d& arc) { AcGeCircArc2d::operator=(arc); }
  bool outOfDate() const { return boxOutOfDate; }
  GkBoundBox2d box() const { return cachedBox; }
};

void expectBox(const GkBoundBox2d& box, double minX, double maxX, double minY, double maxY,
               double tol) {
  EXPECT_NEAR(box.minX, minX, tol);
  EXPECT_NEAR(box.maxX, maxX, tol);
  EXPECT_NEAR(box.minY, minY, tol);
  EXPECT_NEAR(box.maxY, maxY, tol);
}

TEST(CircArc2d, DefaultArcIsEmptyCounterClockwiseArcWithStaleBox) {
  const AcGeCircArc2d arc;
  EXPECT_POINT_EQ(arc.center(), AcGePoint2d(0, 0));
  EXPECT_EQ(arc.radius(), 0.0);
  EXPECT_EQ(arc.startAng(), 0.0);
  EXPECT_EQ(arc.endAng(), 0.0);
  EXPECT_FALSE(arc.isClockWise());
  EXPECT_FALSE(arc.IsCircle());
  EXPECT_EQ(arc.GetCrvType(), kCrvArc);
  const ArcProbe probe(arc);
  EXPECT_TRUE(probe.outOfDate());
  EXPECT_FALSE(probe.box().IsValid());
}

TEST(CircArc2d, CircleFromCentreAndRadius) {
  const AcGeCircArc2d c(AcGePoint2d(2, 3), 1.5);
  EXPECT_TRUE(c.IsCircle());
  EXPECT_TRUE(c.isClockWise());
  EXPECT_EQ(c.startAng(), 0.0);
  EXPECT_EQ(c.endAng(), 0.0);
  EXPECT_POINT_EQ(c.startPoint(), AcGePoint2d(3.5, 3));
  EXPECT_POINT_EQ(c.endPoint(), AcGePoint2d(3.5, 3));
  EXPECT_EQ(c.GetArcSweepangle(), kTwoPi);
  EXPECT_EQ(c.GetArcLength(), 1.5 * kTwoPi);
}

TEST(CircArc2d, AngleTakingSetNormalisesIntoClosedTurn) {
  struct Row {
    const char* name;
    double s, e, wantS, wantE;
  };
  const Row rows[] = {
      {"negative quarter and two and a half pi", -kPi / 2, 5 * kPi / 2, 3 * kPi / 2, kPi / 2},
      {"zero and full turn kept apart", 0.0, kTwoPi, 0.0, kTwoPi},
      {"three pi", 3 * kPi, -kPi, kPi, kPi},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const AcGeCircArc2d arc(AcGePoint2d(1, 1), 2.0, r.s, r.e, true);
    EXPECT_NEAR(arc.startAng(), r.wantS, 1e-15);
    EXPECT_NEAR(arc.endAng(), r.wantE, 1e-15);
    EXPECT_FALSE(arc.IsCircle());
  }
  EXPECT_EQ(AcGeCircArc2d(AcGePoint2d(), 1, 0.0, kTwoPi, true).GetArcSweepangle(), kTwoPi);
}

TEST(CircArc2d, ThreePointArcTakesItsDirectionFromTheMiddlePoint) {
  const AcGeCircArc2d ccw(AcGePoint2d(1, 0), AcGePoint2d(0, 1), AcGePoint2d(-1, 0));
  EXPECT_POINT_EQ(ccw.center(), AcGePoint2d(0, 0));
  EXPECT_EQ(ccw.radius(), 1.0);
  EXPECT_EQ(ccw.startAng(), 0.0);
  EXPECT_EQ(ccw.endAng(), kPi);
  EXPECT_FALSE(ccw.isClockWise());

  const AcGeCircArc2d cw(AcGePoint2d(-1, 0), AcGePoint2d(0, 1), AcGePoint2d(1, 0));
  EXPECT_EQ(cw.startAng(), kPi);
  EXPECT_EQ(cw.endAng(), 0.0);
  EXPECT_TRUE(cw.isClockWise());
  for (const AcGeCircArc2d& arc : {ccw, cw}) {
    EXPECT_EQ(arc.GetArcSweepangle(), kPi);
    EXPECT_POINT_NEAR(arc.midPoint(), AcGePoint2d(0, 1), 1e-15);
  }
}

// Ends a hair apart leave the angle test no range to decide by: the
// middle point's side must still give the direction, both ways round.
TEST(CircArc2d, NearlyClosedThreePointArcsGoTheWayOfTheirMiddlePoint) {
  for (const double r : {1.0, 1000.0}) {
    for (const double gap : {5e-8, 1e-9}) {
      for (const bool p3Above : {true, false}) {
        SCOPED_TRACE(testing::Message() << "r " << r << " gap " << gap << " p3 above " << p3Above);
        const double a = p3Above ? gap : -gap;
        const AcGePoint2d p1(r, 0), p2(-r, 0), p3(r * std::cos(a), r * std::sin(a));
        const AcGeCircArc2d arc(p1, p2, p3);
        // From angle 0 through pi to +gap is the clockwise way round.
        EXPECT_EQ(arc.isClockWise(), p3Above);
        EXPECT_NEAR(arc.GetArcSweepangle(), kTwoPi - gap, 1e-6);
        EXPECT_TRUE(arc.IsPointOnSeg(p2, GkTolerance()));
        EXPECT_NEAR(arc.GetArcLength(), r * kTwoPi, 1e-3 * r);
      }
    }
  }
  // A middle point just past an end, on the short side, gives the short arc.
  const AcGeCircArc2d shortArc(AcGePoint2d(1, 0), AcGePoint2d(std::cos(1e-9), std::sin(1e-9)),
                               AcGePoint2d(0, 1));
  EXPECT_FALSE(shortArc.isClockWise());
  EXPECT_NEAR(shortArc.GetArcSweepangle(), kPi / 2, 1e-6);  // a fit through two close points
  const AcGeCircArc2d back(AcGePoint2d(0, 1), AcGePoint2d(std::cos(1e-9), std::sin(1e-9)),
                           AcGePoint2d(1, 0));
  EXPECT_TRUE(back.isClockWise());
  EXPECT_NEAR(back.GetArcSweepangle(), kPi / 2, 1e-6);
}

TEST(CircArc2d, ThreePointArcPassesThroughItsPointsOnRandomInput) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> coord(-100, 100);
  for (int i = 0; i < 500; ++i) {
    const AcGePoint2d p1(coord(rng), coord(rng)), p2(coord(rng), coord(rng)),
        p3(coord(rng), coord(rng));
    if (!AcGeCircArc2d::IsCirArc(p1, p2, p3, GkTolerance())) continue;
    const AcGeCircArc2d arc(p1, p2, p3);
    const double scale = 1e-9 * (1.0 + arc.radius());
    SCOPED_TRACE("case " + std::to_string(i));
    EXPECT_POINT_NEAR(arc.startPoint(), p1, scale);
    EXPECT_POINT_NEAR(arc.endPoint(), p3, scale);
    EXPECT_NEAR(p2.distanceTo(arc.center()), arc.radius(), scale);
    GkTolerance loose;
    loose.SetEqualPoint(scale);
    EXPECT_TRUE(arc.IsPointOnSeg(p2, loose));
  }
}

TEST(CircArc2d, IsCirArcComparesDoubledAreaStrictly) {
  struct Row {
    const char* name;
    AcGePoint2d p3;
    bool want;
  };
  const Row rows[] = {
      {"right angle", AcGePoint2d(0, 1), true},
      {"collinear", AcGePoint2d(5, 0), false},
      {"area exactly the tolerance", AcGePoint2d(0, 1e-8), false},
      {"area above the tolerance", AcGePoint2d(0, 2e-8), true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(AcGeCircArc2d::IsCirArc(AcGePoint2d(0, 0), AcGePoint2d(1, 0), r.p3, kTol), r.want);
  }
}

TEST(CircArc2d, StartCentreEndSetIgnoresTheEndDistance) {
  const AcGeCircArc2d arc(AcGePoint2d(3, 0), AcGePoint2d(0, 0), AcGePoint2d(0, 7), false);
  EXPECT_EQ(arc.radius(), 3.0);
  EXPECT_EQ(arc.startAng(), 0.0);
  EXPECT_EQ(arc.endAng(), kPi / 2);
  EXPECT_TRUE(arc.isClockWise());
  EXPECT_EQ(arc.GetArcSweepangle(), 3 * kPi / 2);
}

TEST(CircArc2d, SweepFollowsDirection) {
  struct Row {
    const char* name;
    double s, e;
    bool ccw;
    double want;
  };
  const Row rows[] = {
      {"ccw quarter", 0, kPi / 2, true, kPi / 2},
      {"cw three quarters", 0, kPi / 2, false, kTwoPi - kPi / 2},
      {"ccw through zero", 3 * kPi / 2, kPi / 2, true, kPi},
      {"cw quarter", kPi / 2, 0, false, kPi / 2},
      {"equal angles", 1.0, 1.0, true, kTwoPi},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const AcGeCircArc2d arc(AcGePoint2d(5, 5), 2.0, r.s, r.e, r.ccw);
    EXPECT_NEAR(arc.GetArcSweepangle(), r.want, 1e-15);
    EXPECT_NEAR(arc.GetArcLength(), 2.0 * r.want, 1e-14);
  }
}

TEST(CircArc2d, AngleTestIsInclusiveWithinEqualVector) {
  const AcGeCircArc2d quarter(AcGePoint2d(), 1.0, 0.0, kPi / 2, true);
  struct Row {
    const char* name;
    double angle;
    bool want;
  };
  const Row rows[] = {
      {"inside", kPi / 4, true},
      {"opposite", kPi, false},
      {"just past end within tolerance", kPi / 2 + 0.5e-7, true},
      {"past end beyond tolerance", kPi / 2 + 2e-7, false},
      {"just before start", kTwoPi - 0.5e-7, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(quarter.IsAngleBetween(r.angle, kTol), r.want);
  }
  EXPECT_TRUE(AcGeCircArc2d(AcGePoint2d(), 1.0).IsAngleBetween(4.0, kTol));
}

TEST(CircArc2d, CoincidentEndsAreFullTurnOrSliverBySweep) {
  AcGeCircArc2d turn(AcGePoint2d(), 1.0, 0.0, kTwoPi, true);
  AcGeCircArc2d sliver;
  sliver.setAngles(1.0, 1.0 + 5e-8);
  sliver.setRadius(1.0);
  EXPECT_TRUE(turn.IsAngleBetween(kPi, kTol));
  EXPECT_TRUE(sliver.IsAngleBetween(1.0 + 2.5e-8, kTol));
  EXPECT_FALSE(sliver.IsAngleBetween(4.0, kTol));
  sliver.SetIsCCW(false);  // now the long way round
  EXPECT_TRUE(sliver.IsAngleBetween(4.0, kTol));
  // Halfway along a full turn is opposite its start.
  EXPECT_POINT_NEAR(turn.midPoint(), AcGePoint2d(-1, 0), 1e-15);
  turn.setAngles(0.0, 0.0);
  EXPECT_POINT_NEAR(turn.midPoint(), AcGePoint2d(-1, 0), 1e-15);
  expectBox(turn.GetBoundBox(), -1, 1, -1, 1, 0.0);
}

TEST(CircArc2d, PointOnArcNeedsAngleAndRadiusWithinTolerance) {
  const AcGeCircArc2d quarter(AcGePoint2d(1, 1), 2.0, 0.0, kPi / 2, true);
  struct Row {
    const char* name;
    AcGePoint2d p;
    bool want;
  };
  const double h = std::sqrt(2.0);
  const Row rows[] = {
      {"on the arc", AcGePoint2d(1 + h, 1 + h), true},
      {"radially within", AcGePoint2d(3 + 0.5e-8, 1), true},
      {"radially beyond", AcGePoint2d(3 + 2e-8, 1), false},
      {"on the circle off the arc", AcGePoint2d(-1, 1), false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(quarter.IsPointOnSeg(r.p, kTol), r.want);
  }
  EXPECT_TRUE(AcGeCircArc2d(AcGePoint2d(1, 1), 2.0).IsPointOnSeg(AcGePoint2d(-1, 1), kTol));
}

TEST(CircArc2d, MidPointTurnsHalfAroundWhenTheMeanAngleIsOffTheArc) {
  const AcGeCircArc2d throughZero(AcGePoint2d(), 1.0, 3 * kPi / 2, kPi / 2, true);
  EXPECT_POINT_NEAR(throughZero.midPoint(), AcGePoint2d(1, 0), 1e-15);
  EXPECT_POINT_NEAR(throughZero.GetAnyPoint(), AcGePoint2d(1, 0), 1e-15);
  const AcGeCircArc2d leftHalf(AcGePoint2d(), 1.0, 3 * kPi / 2, kPi / 2, false);
  EXPECT_POINT_NEAR(leftHalf.midPoint(), AcGePoint2d(-1, 0), 1e-15);
}

TEST(CircArc2d, BoxWidensAtEachAxisDirectionPassed) {
  struct Row {
    const char* name;
    AcGeCircArc2d arc;
    double minX, maxX, minY, maxY;
  };
  const double c = std::cos(kPi / 4);
  const Row rows[] = {
      {"ccw first quadrant", AcGeCircArc2d(AcGePoint2d(), 1, 0, kPi / 2, true), 0, 1, 0, 1},
      {"ccw wide", AcGeCircArc2d(AcGePoint2d(), 1, kPi / 4, 7 * kPi / 4, true), -1, c, -1, 1},
      {"cw quarter", AcGeCircArc2d(AcGePoint2d(), 1, kPi / 2, 0, false), 0, 1, 0, 1},
      {"cw three quarters", AcGeCircArc2d(AcGePoint2d(), 1, 0, kPi / 2, false), -1, 1, -1, 1},
      {"circle", AcGeCircArc2d(AcGePoint2d(2, 3), 1), 1, 3, 2, 4},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    AcGeCircArc2d arc = r.arc;
    expectBox(arc.GetBoundBox(), r.minX, r.maxX, r.minY, r.maxY, 1e-15);
  }
}

TEST(CircArc2d, EveryPointSetChangeRefreshesTheBox) {
  AcGeCircArc2d arc(AcGePoint2d(), 1, 0, kPi / 2, true);
  arc.GetBoundBox();
  arc.setRadius(2);
  expectBox(arc.GetBoundBox(), 0, 2, 0, 2, 1e-15);
  arc.SetIsCCW(false);  // the long way round now
  expectBox(arc.GetBoundBox(), -2, 2, -2, 2, 1e-15);
  arc.SetIsCircle(true);
  arc.setCenter(AcGePoint2d(1, 0));
  expectBox(arc.GetBoundBox(), -1, 3, -2, 2, 1e-15);
  arc.SetIsCircle(false);
  arc.SetIsCCW(true);
  arc.setAngles(kPi, 3 * kPi / 2);
  expectBox(arc.GetBoundBox(), -1, 1, -2, 0, 1e-15);
  EXPECT_FALSE(ArcProbe(arc).outOfDate());
  arc.Flip();  // same point set: the cache stays current
  EXPECT_FALSE(ArcProbe(arc).outOfDate());
  expectBox(arc.GetBoundBox(), -1, 1, -2, 0, 1e-15);
}

TEST(CircArc2d, CloneAndAssignCopyTheCacheButCopyConstructionDoesNot) {
  AcGeCircArc2d arc(AcGePoint2d(1, 2), 3, 0.5, 2.0, false);
  arc.GetBoundBox();
  std::unique_ptr<GkCurve2d> clone(arc.Clone());
  const auto& cloned = dynamic_cast<const AcGeCircArc2d&>(*clone);
  EXPECT_FALSE(ArcProbe(cloned).outOfDate());
  expectBox(ArcProbe(cloned).box(), arc.GetBoundBox().minX, arc.GetBoundBox().maxX,
            arc.GetBoundBox().minY, arc.GetBoundBox().maxY, 0.0);
  EXPECT_TRUE(ArcProbe(AcGeCircArc2d(arc)).outOfDate());
  const AcGeCircArc2d copy(arc);
  for (const AcGeCircArc2d* a : {&cloned, &copy}) {
    EXPECT_POINT_EQ(a->center(), arc.center());
    EXPECT_EQ(a->radius(), arc.radius());
    EXPECT_EQ(a->startAng(), arc.startAng());
    EXPECT_EQ(a->endAng(), arc.endAng());
    EXPECT_EQ(a->isClockWise(), arc.isClockWise());
    EXPECT_EQ(a->IsCircle(), arc.IsCircle());
  }
}

TEST(CircArc2d, FlipReversesArcsAndLeavesCirclesAlone) {
  AcGeCircArc2d arc(AcGePoint2d(), 1, 0.3, 2.0, true);
  const AcGePoint2d s = arc.startPoint(), e = arc.endPoint();
  const double s0 = arc.startAng(), e0 = arc.endAng();
  arc.Flip();
  EXPECT_POINT_EQ(arc.startPoint(), e);
  EXPECT_POINT_EQ(arc.endPoint(), s);
  EXPECT_TRUE(arc.isClockWise());
  EXPECT_NEAR(arc.GetArcSweepangle(), 1.7, 1e-15);
  arc.Flip();
  EXPECT_EQ(arc.startAng(), s0);
  EXPECT_EQ(arc.endAng(), e0);
  EXPECT_FALSE(arc.isClockWise());

  AcGeCircArc2d circle(AcGePoint2d(1, 1), 2);
  circle.Flip();
  EXPECT_TRUE(circle.isClockWise());
  EXPECT_EQ(circle.startAng(), 0.0);
}

TEST(CircArc2d, MirrorReversesDirection) {
  const AcGeLineSeg2d xAxis(AcGePoint2d(0, 0), AcGePoint2d(1, 0));
  AcGeCircArc2d arc(AcGePoint2d(), 1, 0, kPi / 2, true);
  arc.mirror(xAxis);
  EXPECT_TRUE(arc.isClockWise());
  EXPECT_POINT_NEAR(arc.startPoint(), AcGePoint2d(1, 0), 1e-15);
  EXPECT_POINT_NEAR(arc.endPoint(), AcGePoint2d(0, -1), 1e-15);
  EXPECT_NEAR(arc.GetArcSweepangle(), kPi / 2, 1e-15);
  arc.mirror(xAxis);
  EXPECT_FALSE(arc.isClockWise());
  EXPECT_POINT_NEAR(arc.endPoint(), AcGePoint2d(0, 1), 1e-15);

  AcGeCircArc2d circle(AcGePoint2d(2, 3), 1, 1.0, 2.0, true);
  circle.SetIsCircle(true);
  circle.mirror(xAxis);
  EXPECT_TRUE(circle.IsCircle());
  EXPECT_POINT_NEAR(circle.center(), AcGePoint2d(2, -3), 1e-15);
  EXPECT_EQ(circle.startAng(), 0.0);
  EXPECT_EQ(circle.endAng(), 0.0);
  EXPECT_TRUE(circle.isClockWise());
  expectBox(circle.GetBoundBox(), 1, 3, -4, -2, 1e-15);
}

TEST(CircArc2d, TransformKeepsPointsUnderRigidMotionsAndReflectionsReverse) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> ang(0, kTwoPi), coord(-50, 50), rad(0.1, 20);
  const AcGeLineSeg2d diagonal(AcGePoint2d(-1, 2), AcGePoint2d(3, 5));
  for (int i = 0; i < 200; ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    const bool ccw = i % 2 == 0;
    const AcGeCircArc2d arc(AcGePoint2d(coord(rng), coord(rng)), rad(rng), ang(rng), ang(rng), ccw);
    const bool reflect = i % 3 == 0;
    const AcGeMatrix2d m =
        reflect ? AcGeMatrix2d::mirroring(diagonal)
                : AcGeMatrix2d::rotation(ang(rng), AcGePoint2d(coord(rng), coord(rng)));
    const AcGeCircArc2d image = arc.Transform(m);
    const double tol = 1e-9 * (1 + arc.radius());
    EXPECT_NEAR(image.radius(), arc.radius(), tol);
    EXPECT_POINT_NEAR(image.startPoint(), arc.startPoint().Transform(m), tol);
    EXPECT_POINT_NEAR(image.endPoint(), arc.endPoint().Transform(m), tol);
    EXPECT_POINT_NEAR(image.midPoint(), arc.midPoint().Transform(m), tol);
    EXPECT_EQ(image.isClockWise(), reflect ? ccw : !ccw);
  }
}

TEST(CircArc2d, TransformOfCirclesAndFullTurns) {
  const AcGeMatrix2d shift = AcGeMatrix2d::translation(AcGeVector2d(5, -1));
  const AcGeCircArc2d arc(AcGePoint2d(1, 1), 2, 1.0, 2.0, false);
  const AcGeCircArc2d same = arc.Transform(AcGeMatrix2d());
  EXPECT_FALSE(same.IsCircle());
  EXPECT_TRUE(same.isClockWise());
  EXPECT_POINT_NEAR(same.startPoint(), arc.startPoint(), 1e-14);
  EXPECT_POINT_NEAR(same.endPoint(), arc.endPoint(), 1e-14);

  const AcGeCircArc2d moved = AcGeCircArc2d(AcGePoint2d(1, 1), 2).Transform(shift);
  EXPECT_TRUE(moved.IsCircle());
  EXPECT_POINT_EQ(moved.center(), AcGePoint2d(6, 0));
  EXPECT_EQ(moved.radius(), 2.0);
  EXPECT_TRUE(moved.isClockWise());

  // A full turn has coincident ends; its image is still a finite full turn.
  const AcGeCircArc2d turn(AcGePoint2d(1, 1), 2, 0.0, kTwoPi, true);
  const AcGeCircArc2d image = turn.Transform(shift);
  EXPECT_POINT_NEAR(image.center(), AcGePoint2d(6, 0), 1e-12);
  EXPECT_NEAR(image.radius(), 2.0, 1e-12);
  EXPECT_NEAR(image.GetArcSweepangle(), kTwoPi, 1e-12);
  EXPECT_FALSE(image.isClockWise());
  EXPECT_POINT_NEAR(image.startPoint(), AcGePoint2d(8, 0), 1e-12);
}

TEST(CircArc2d, DeletingThroughTheBaseReleasesTheArc) {
  std::unique_ptr<GkCurve2d> curve(new AcGeCircArc2d(AcGePoint2d(), 1));
  EXPECT_EQ(curve->GetCrvType(), kCrvArc);
  std::unique_ptr<GkCurve2d> copy(curve->Clone());
  EXPECT_EQ(copy->GetCrvType(), kCrvArc);
}

}  // namespace
