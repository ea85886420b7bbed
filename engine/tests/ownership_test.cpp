// Copies of composites and shapes own what they made even when a member's
// Clone throws part-way: every clone made before the throw is released (the
// live count of members returns to what the sources hold, and under
// LeakSanitizer a leak fails the run too), and an assignment that throws
// leaves its target as it was. Every position of the throw is tried.
#include <engine/compositecurve2d.h>
#include <engine/lineseg2d.h>
#include <engine/shape.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

// Live BudgetSeg objects, and how many more clones may be made before Clone
// throws std::bad_alloc (below zero: no limit).
int g_live = 0;
int g_budget = -1;

// A segment that counts its live objects and whose Clone runs out of memory
// once the clone budget is spent.
class BudgetSeg : public AcGeLineSeg2d {
public:
  BudgetSeg(const AcGePoint2d& a, const AcGePoint2d& b) : AcGeLineSeg2d(a, b) { ++g_live; }
  BudgetSeg(const BudgetSeg& src) : AcGeLineSeg2d(src) { ++g_live; }
  BudgetSeg& operator=(const BudgetSeg&) = delete;
  ~BudgetSeg() override { --g_live; }

  GkCurve2d* Clone() override {
    if (g_budget == 0) throw std::bad_alloc();
    if (g_budget > 0) --g_budget;
    return new BudgetSeg(*this);
  }
};

// A closed regular polygon of n BudgetSeg members about (cx, cy).
std::unique_ptr<GkCompositeCurve2d> Polygon(double cx, double cy, int n) {
  auto loop = std::make_unique<GkCompositeCurve2d>();
  const double step = 2.0 * std::acos(-1.0) / n;
  for (int k = 0; k < n; ++k) {
    const AcGePoint2d a(cx + std::cos(k * step), cy + std::sin(k * step));
    const AcGePoint2d b(cx + std::cos((k + 1) * step), cy + std::sin((k + 1) * step));
    loop->append(new BudgetSeg(a, b));
  }
  return loop;
}

// A shape of `loops` polygons of `members` members each.
std::unique_ptr<GkShape> Shape(int loops, int members) {
  auto shape = std::make_unique<GkShape>();
  for (int l = 0; l < loops; ++l) shape->AppendCompCurve(Polygon(3.0 * l, 0.0, members).release());
  return shape;
}

struct CopyCase {
  std::string name;
  std::function<void()> copy;  // makes (and drops) one deep copy
  int clones;                  // Clone calls one copy makes
};

// For every position k of the throw: the copy throws, and afterwards only
// the sources' members are alive. With no limit the copy goes through.
void ExpectNothingLeftOnThrow(const CopyCase& c) {
  const int held = g_live;
  for (int k = 0; k < c.clones; ++k) {
    g_budget = k;
    EXPECT_THROW(c.copy(), std::bad_alloc) << c.name << ", throw at clone " << k;
    EXPECT_EQ(g_live, held) << c.name << ", throw at clone " << k;
  }
  g_budget = -1;
  EXPECT_NO_THROW(c.copy()) << c.name;
  EXPECT_EQ(g_live, held) << c.name;
}

class OwnershipOnThrow : public ::testing::Test {
protected:
  void SetUp() override { g_budget = -1; }
  void TearDown() override {
    g_budget = -1;
    EXPECT_EQ(g_live, 0) << "every BudgetSeg is gone once its owners are";
  }
};

}  // namespace

TEST_F(OwnershipOnThrow, CompositeCopiesAndClonesReleaseWhatTheyMade) {
  const std::unique_ptr<GkCompositeCurve2d> loop = Polygon(0, 0, 6);
  // A composite holding a composite: the inner Clone throws inside the outer.
  auto nested = std::make_unique<GkCompositeCurve2d>();
  nested->append(new BudgetSeg(AcGePoint2d(0, 0), AcGePoint2d(1, 0)));
  nested->append(Polygon(5, 5, 4).release());
  nested->append(new BudgetSeg(AcGePoint2d(1, 0), AcGePoint2d(0, 0)));
  const CopyCase cases[] = {
      {"copy constructor", [&] { GkCompositeCurve2d copy(*loop); }, 6},
      {"Clone", [&] { std::unique_ptr<GkCurve2d> copy(loop->Clone()); }, 6},
      {"Clone of nested composites", [&] { std::unique_ptr<GkCurve2d> copy(nested->Clone()); }, 6},
      {"copy constructor of nested composites", [&] { GkCompositeCurve2d copy(*nested); }, 6},
  };
  for (const CopyCase& c : cases) ExpectNothingLeftOnThrow(c);
}

TEST_F(OwnershipOnThrow, ShapeCopiesReleaseEveryLoopTheyMade) {
  const std::unique_ptr<GkShape> source = Shape(3, 4);
  const CopyCase cases[] = {
      {"copy constructor", [&] { GkShape copy(*source); }, 12},
      {"assignment to an empty shape",
       [&] {
         GkShape target;
         target = *source;
       },
       12},
  };
  for (const CopyCase& c : cases) ExpectNothingLeftOnThrow(c);
}

// An assignment that throws changes nothing: the target keeps its own
// members and the clones made so far are gone.
TEST_F(OwnershipOnThrow, FailedAssignmentsLeaveTheTargetAsItWas) {
  const std::unique_ptr<GkCompositeCurve2d> source = Polygon(0, 0, 5);
  const std::unique_ptr<GkCompositeCurve2d> target = Polygon(9, 9, 3);
  const std::unique_ptr<GkShape> sourceShape = Shape(2, 4);
  const std::unique_ptr<GkShape> targetShape = Shape(1, 3);
  const int held = g_live;
  for (int k = 0; k < 8; ++k) {
    g_budget = k;
    if (k < 5) {
      EXPECT_THROW(*target = *source, std::bad_alloc) << "composite, throw at clone " << k;
      EXPECT_EQ(target->GetCurveCnt(), 3);
    }
    EXPECT_THROW(*targetShape = *sourceShape, std::bad_alloc) << "shape, throw at clone " << k;
    std::vector<GkCompositeCurve2d*> loops;
    targetShape->GetCompCurveList(loops);
    ASSERT_EQ(loops.size(), 1u);
    EXPECT_EQ(loops[0]->GetCurveCnt(), 3);
    EXPECT_EQ(g_live, held) << "throw at clone " << k;
  }
  g_budget = -1;
  *target = *source;
  EXPECT_EQ(target->GetCurveCnt(), 5);
  EXPECT_EQ(g_live, held + 2);
}
