// GkCurve2d: the box cache and its copy rules, destruction through the base,
// the curve kinds, the sampling sinks, and the fixed order of the virtual
// operations that separately built curve classes rely on.
#include <engine/curve2d.h>

#include <testsupport/geometry_asserts.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {

using P = AcGePoint2d;
const double kInf = std::numeric_limits<double>::infinity();

// A minimal concrete curve: a polyline of points with a counted box
// computation, following the cache rules every concrete curve follows.
class PointChain : public GkCurve2d {
public:
  explicit PointChain(std::vector<P> pts, int* destroyed = nullptr)
      : m_pts(std::move(pts)), m_destroyed(destroyed) {}
  ~PointChain() override {
    if (m_destroyed != nullptr) ++*m_destroyed;
  }

  void SetPoint(std::size_t i, const P& p) {
    m_pts[i] = p;
    boxOutOfDate = true;
  }
  bool OutOfDate() const { return boxOutOfDate; }
  const GkBoundBox2d& Cache() const { return cachedBox; }
  int computations = 0;

  GkCurveType GetCrvType() const override { return kCrvPolyline; }
  double distanceTo(AcGeCircArc2d&, const GkTolerance&) override { return 1; }
  double distanceTo(AcGeLineSeg2d&, const GkTolerance&) override { return 2; }
  double distanceTo(AcGePoint2d& p, const GkTolerance&) override { return m_pts[0].distanceTo(p); }
  P closestPointTo(AcGeCircArc2d&, P& other, const GkTolerance&) override { return other; }
  P closestPointTo(AcGeLineSeg2d&, P& other, const GkTolerance&) override { return other; }
  P closestPointTo(P&, const GkTolerance&) override { return m_pts[0]; }
  double distanceToSeg(AcGeLineSeg2d&, P&, P&, const GkTolerance&) override { return 3; }
  double distanceToArc(AcGeCircArc2d&, P&, P&, const GkTolerance&) override { return 4; }
  GkBoundBox2d GetBoundBox() override {
    if (boxOutOfDate) {
      ++computations;
      cachedBox = GkBoundBox2d();
      for (const P& p : m_pts) cachedBox.Combine(p.x, p.y);
      boxOutOfDate = false;
    }
    return cachedBox;
  }
  GkCurve2d* Clone() override { return new PointChain(*this); }
  P GetAnyPoint() const override { return m_pts[0]; }
  P startPoint() const override { return m_pts.front(); }
  P endPoint() const override { return m_pts.back(); }
  P midPoint() const override { return m_pts[m_pts.size() / 2]; }
  void Flip() override { std::reverse(m_pts.begin(), m_pts.end()); }
  void getSamplePoints(GkSamplePoint& sink, const double&) override {
    for (const P& p : m_pts) sink.AddPoint(p);
  }
  void GetSamplePointXY(GkSampleXY& sink, const double&) override {
    for (const P& p : m_pts) sink.AddXY(p.x, p.y);
  }
  void GetSampleBuffer(std::vector<P>& out, const double&) override {
    out.insert(out.end(), m_pts.begin(), m_pts.end());
  }

private:
  std::vector<P> m_pts;
  int* m_destroyed;
};

struct CollectPoints : GkSamplePoint {
  void AddPoint(const P& p) override { pts.push_back(p); }
  std::vector<P> pts;
};

struct CollectXY : GkSampleXY {
  void AddXY(const double& x, const double& y) override { pts.emplace_back(x, y); }
  std::vector<P> pts;
};

bool IsEmptyBox(const GkBoundBox2d& b) {
  return b.minX == kInf && b.minY == kInf && b.maxX == -kInf && b.maxY == -kInf;
}

TEST(Curve2d, CurveKindsHaveTheirFixedValues) {
  EXPECT_EQ(kCrvLineSeg, 0);
  EXPECT_EQ(kCrvArc, 1);
  EXPECT_EQ(kCrvComposite, 2);
  EXPECT_EQ(kCrvPolyline, 3);
}

TEST(Curve2dBoxCache, StartsEmptyAndOutOfDateAndIsComputedOnce) {
  PointChain c({P(0, 0), P(3, -1), P(1, 4)});
  EXPECT_TRUE(c.OutOfDate());
  EXPECT_TRUE(IsEmptyBox(c.Cache()));
  const GkBoundBox2d first = c.GetBoundBox();
  EXPECT_FALSE(c.OutOfDate());
  EXPECT_EQ(c.computations, 1);
  EXPECT_EQ(first.minX, 0.0);
  EXPECT_EQ(first.maxX, 3.0);
  EXPECT_EQ(first.minY, -1.0);
  EXPECT_EQ(first.maxY, 4.0);
  c.GetBoundBox();
  EXPECT_EQ(c.computations, 1);
  c.SetPoint(1, P(10, -1));
  EXPECT_EQ(c.GetBoundBox().maxX, 10.0);
  EXPECT_EQ(c.computations, 2);
  c.Flip();
  EXPECT_FALSE(c.OutOfDate());
  EXPECT_EQ(c.GetBoundBox().maxX, 10.0);
  EXPECT_EQ(c.computations, 2);
}

TEST(Curve2dBoxCache, CopyAndAssignmentTakeTheCacheAsItStands) {
  PointChain current({P(0, 0), P(2, 2)});
  current.GetBoundBox();
  PointChain copy(current);
  EXPECT_FALSE(copy.OutOfDate());
  EXPECT_EQ(copy.Cache().maxX, 2.0);
  PointChain stale({P(5, 5), P(6, 6)});
  GkCurve2d& base = stale;
  base = current;  // the base assignment copies the cache only
  EXPECT_FALSE(stale.OutOfDate());
  EXPECT_EQ(stale.Cache().maxY, 2.0);
  EXPECT_POINT_EQ(stale.startPoint(), P(5, 5));
  PointChain fresh({P(1, 1)});
  PointChain target({P(1, 1)});
  target.GetBoundBox();
  static_cast<GkCurve2d&>(target) = fresh;
  EXPECT_TRUE(target.OutOfDate());
  EXPECT_TRUE(IsEmptyBox(target.Cache()));
}

TEST(Curve2d, DeletingThroughTheBaseDestroysTheConcreteCurve) {
  int destroyed = 0;
  GkCurve2d* c = new PointChain({P(0, 0)}, &destroyed);
  GkCurve2d* clone = c->Clone();
  delete c;
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(clone->GetCrvType(), kCrvPolyline);
  delete clone;
  EXPECT_EQ(destroyed, 2);
}

TEST(Curve2d, SinksReceiveEachPointOnceInOrder) {
  PointChain c({P(1, 2), P(3, 4), P(5, 6)});
  CollectPoints points;
  CollectXY xy;
  c.getSamplePoints(points, 0.01);
  c.GetSamplePointXY(xy, 0.01);
  ASSERT_EQ(points.pts.size(), 3u);
  ASSERT_EQ(xy.pts.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_POINT_EQ(points.pts[i], xy.pts[i]);
  }
  EXPECT_POINT_EQ(xy.pts.back(), P(5, 6));
}

// The Itanium C++ ABI represents a pointer to a virtual member function as
// 1 + the byte offset of its slot in the virtual table. Reading it back
// checks the declared order of the interface; other ABIs skip the test.
template <typename Pm>
long SlotOf(Pm pm) {
  struct Rep {
    std::uintptr_t ptr;
    std::ptrdiff_t adj;
  };
  static_assert(sizeof(Pm) == sizeof(Rep), "two-word member pointer expected");
  Rep r;
  std::memcpy(&r, &pm, sizeof r);
  if ((r.ptr & 1u) == 0) return -1;
  return static_cast<long>((r.ptr - 1) / sizeof(void*));
}

TEST(Curve2d, VirtualOperationsKeepTheirOrder) {
  using C = GkCurve2d;
  using Tol = const GkTolerance&;
  if (SlotOf(&C::GetCrvType) != 0) GTEST_SKIP() << "not the Itanium member pointer layout";
  const long slots[] = {
      SlotOf(&C::GetCrvType),
      SlotOf(static_cast<double (C::*)(AcGeCircArc2d&, Tol)>(&C::distanceTo)),
      SlotOf(static_cast<double (C::*)(AcGeLineSeg2d&, Tol)>(&C::distanceTo)),
      SlotOf(static_cast<double (C::*)(P&, Tol)>(&C::distanceTo)),
      SlotOf(static_cast<P (C::*)(AcGeCircArc2d&, P&, Tol)>(&C::closestPointTo)),
      SlotOf(static_cast<P (C::*)(AcGeLineSeg2d&, P&, Tol)>(&C::closestPointTo)),
      SlotOf(static_cast<P (C::*)(P&, Tol)>(&C::closestPointTo)),
      SlotOf(&C::distanceToSeg),
      SlotOf(&C::distanceToArc),
      SlotOf(&C::GetBoundBox),
      SlotOf(&C::Clone),
      SlotOf(&C::GetAnyPoint),
      SlotOf(&C::startPoint),
      SlotOf(&C::endPoint),
      SlotOf(&C::midPoint),
      SlotOf(&C::Flip),
      SlotOf(&C::getSamplePoints),
      SlotOf(&C::GetSamplePointXY),
      SlotOf(&C::GetSampleBuffer),
  };
  for (long i = 0; i < 19; ++i) EXPECT_EQ(slots[i], i) << "operation " << i;
}

}  // namespace
