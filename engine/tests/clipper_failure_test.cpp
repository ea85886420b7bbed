// GkClipper::Execute failures: every way it can fail leaves the result empty
// and says so through LastExecuteFailed, which an empty region never sets.
// An allocation that fails anywhere inside Execute is reported the same way,
// and one that fails while shapes become paths or result rings become
// shapes leaves nothing behind. This program's operator new is replaced
// here to fail one chosen allocation and to count the live ones.
#include <engine/clipper.h>
#include <engine/lineseg2d.h>

#include "clipper_glue.h"

#include <testsupport/shape_builders.h>

#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include <atomic>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Allocations through operator new that are not yet freed, and the number
// of the allocation that is to fail (0: none; counted down by each one).
std::atomic<long> g_liveBlocks{0};
std::atomic<long> g_failAt{0};
std::atomic<bool> g_fired{false};

void* Allocate(std::size_t size) {
  if (g_failAt.load() > 0 && g_failAt.fetch_sub(1) == 1) {
    g_fired = true;
    throw std::bad_alloc();
  }
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  ++g_liveBlocks;
  return p;
}

void Release(void* p) noexcept {
  if (p == nullptr) return;
  --g_liveBlocks;
  std::free(p);
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }

using testsupport::CircleLoop;
using testsupport::MakeShape;
using testsupport::RectLoop;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A segment whose end point cannot be read: the conversion of its loop
// throws inside Execute.
class UnreadableSeg : public AcGeLineSeg2d {
public:
  UnreadableSeg(const AcGePoint2d& a, const AcGePoint2d& b) : AcGeLineSeg2d(a, b) {}
  AcGePoint2d endPoint() const override { throw std::runtime_error("unreadable"); }
};

GkCompositeCurve2d* TriangleLoop(const AcGePoint2d& a, const AcGePoint2d& b, const AcGePoint2d& c) {
  return testsupport::PolygonLoop({a, b, c});
}

struct ExecuteCase {
  std::string name;
  std::vector<std::shared_ptr<GkShape>> shapes;
  std::vector<GkClipType> types;
  bool failed;  // LastExecuteFailed afterwards
  bool empty;   // no shapes in the result
};

std::shared_ptr<GkShape> Own(GkShape* shape) { return std::shared_ptr<GkShape>(shape); }

std::vector<ExecuteCase> Cases() {
  const auto square = [] { return Own(MakeShape(RectLoop(0, 0, 2, 2))); };
  const auto far = [] { return Own(MakeShape(RectLoop(10, 10, 11, 11))); };
  auto unreadable = std::make_shared<GkShape>();
  auto* loop = RectLoop(0, 0, 1, 1);
  loop->append(new UnreadableSeg(AcGePoint2d(0, 0), AcGePoint2d(0, 0)));
  unreadable->AppendCompCurve(loop);
  return {
      {"one type too few", {square(), far()}, {}, true, true},
      {"one type too many", {square(), far()}, {kClipUnion, kClipUnion}, true, true},
      {"unknown type", {square(), far()}, {static_cast<GkClipType>(7)}, true, true},
      {"NaN coordinate",
       {square(), Own(MakeShape(TriangleLoop({1, 1}, {kNaN, 1}, {1, 3})))},
       {kClipUnion},
       true,
       true},
      {"beyond the grid's range",
       {square(), Own(MakeShape(TriangleLoop({1, 1}, {1e17, 1}, {1, 3})))},
       {kClipDifference},
       true,
       true},
      {"circle beyond the grid's range",
       {Own(MakeShape(CircleLoop({1e17, 0}, 1))), square()},
       {kClipIntersection},
       true,
       true},
      // Sampled at the chord tolerance, this circle would never end.
      {"radius beyond the grid's range",
       {Own(MakeShape(CircleLoop({0, 0}, 1e126))), square()},
       {kClipUnion},
       true,
       true},
      {"a member throws when read", {square(), unreadable}, {kClipUnion}, true, true},
      // Empty regions are results, not failures.
      {"disjoint intersection", {square(), far()}, {kClipIntersection}, false, true},
      {"square minus itself", {square(), square()}, {kClipDifference}, false, true},
      {"overlapping union",
       {square(), Own(MakeShape(RectLoop(1, 1, 3, 3)))},
       {kClipUnion},
       false,
       false},
      {"one shape, no types", {square()}, {}, false, false},
  };
}

std::vector<GkShape*> Pointers(const std::vector<std::shared_ptr<GkShape>>& shapes) {
  std::vector<GkShape*> out;
  for (const auto& s : shapes) out.push_back(s.get());
  return out;
}

}  // namespace

TEST(ClipperFailure, ReportedByLastExecuteFailedAndNeverByAnEmptyRegion) {
  for (const ExecuteCase& c : Cases()) {
    std::vector<GkShape*> shapes = Pointers(c.shapes);
    GkClipper clipper;
    clipper.SetShapeList(shapes);
    std::vector<GkShape*> result;
    clipper.Execute(c.types, result);
    EXPECT_EQ(clipper.LastExecuteFailed(), c.failed) << c.name;
    EXPECT_EQ(result.empty(), c.empty) << c.name;
    testsupport::DeleteShapes(result);
  }
}

// Each Execute sets the flag anew; with no shapes there is nothing to fail
// and the result stays as it was.
TEST(ClipperFailure, EveryExecuteSetsTheFlagAnew) {
  GkClipper clipper;
  EXPECT_FALSE(clipper.LastExecuteFailed());
  auto square = Own(MakeShape(RectLoop(0, 0, 2, 2)));
  auto far = Own(MakeShape(TriangleLoop({1, 1}, {1e17, 1}, {1, 3})));
  std::vector<GkShape*> shapes{square.get(), far.get()};
  clipper.SetShapeList(shapes);
  std::vector<GkShape*> result;
  clipper.Execute({kClipUnion}, result);
  EXPECT_TRUE(clipper.LastExecuteFailed());
  const GkClipper copy(clipper);
  EXPECT_TRUE(copy.LastExecuteFailed());

  shapes = {square.get(), square.get()};
  clipper.SetShapeList(shapes);
  clipper.Execute({kClipUnion}, result);
  EXPECT_FALSE(clipper.LastExecuteFailed());
  ASSERT_EQ(result.size(), 1u);
  testsupport::DeleteShapes(result);

  clipper.Execute({kClipUnion, kClipUnion}, result);
  EXPECT_TRUE(clipper.LastExecuteFailed());
  shapes.clear();
  clipper.SetShapeList(shapes);
  GkShape* kept = square.get();
  result = {kept};
  clipper.Execute({}, result);
  EXPECT_FALSE(clipper.LastExecuteFailed());
  EXPECT_EQ(result, std::vector<GkShape*>{kept}) << "no shapes: result untouched";
}

namespace {

// The operands of the white-box cases: a plate with a round hole, a disc
// over its corner and a bar across both (arcs, holes and several rings).
struct Operands3 {
  std::shared_ptr<GkShape> plate = Own(MakeShape(RectLoop(0, 0, 4, 4), {CircleLoop({1, 1}, 0.5)}));
  std::shared_ptr<GkShape> disc = Own(MakeShape(CircleLoop({3, 3}, 1.5)));
  std::shared_ptr<GkShape> bar = Own(MakeShape(RectLoop(-1, 1.8, 5, 2.2)));
  std::vector<GkShape*> shapes{plate.get(), disc.get(), bar.get()};
  std::vector<GkClipType> types{kClipUnion, kClipDifference};
};

// Whether the library allocates through this program's operator new (not
// so when it is a Windows DLL with its own runtime's allocator): a clone
// made inside the library is then counted here.
bool LibraryAllocatesHere() {
  AcGeLineSeg2d seg(AcGePoint2d(0, 0), AcGePoint2d(1, 1));
  const long before = g_liveBlocks.load();
  const std::unique_ptr<GkCurve2d> copy(seg.Clone());
  return g_liveBlocks.load() > before;
}

// Runs step with the first, second, ... allocation failing in turn, until
// one run does not reach the failing allocation. A run that failed must
// report it (step's own answer) and leave no block allocated; the run that
// goes through must give a result (step's answer again).
template <typename Step>
void ExpectEachFailedAllocationReportedAndFreed(Step step) {
  if (!LibraryAllocatesHere()) GTEST_SKIP() << "the library's allocations bypass this operator new";
  std::string faults;
  int failures = 0;
  for (long k = 1;; ++k) {
    const long before = g_liveBlocks.load();
    g_fired = false;
    g_failAt = k;
    const bool answered = step();
    g_failAt = 0;
    const long leaked = g_liveBlocks.load() - before;
    if (!g_fired) {
      EXPECT_TRUE(answered) << "the run without a failed allocation gave no result";
      EXPECT_EQ(leaked, 0) << "the run without a failed allocation";
      break;
    }
    ++failures;
    if (!answered || leaked != 0) {
      faults += "allocation " + std::to_string(k) + (answered ? "" : ": not reported") +
                (leaked != 0 ? ": " + std::to_string(leaked) + " blocks left" : "") + "\n";
    }
  }
  EXPECT_GT(failures, 0);
  EXPECT_EQ(faults, "") << failures << " allocations failed in turn";
}

}  // namespace

// Shapes to integer paths: an allocation that fails part-way leaves nothing
// of the paths built so far.
TEST(ClipperFailure, AFailedAllocationWhileConvertingLeavesNothingBehind) {
  const Operands3 in;
  ExpectEachFailedAllocationReportedAndFreed([&] {
    try {
      clipper_glue::Operands ops;
      clipper_glue::BuildOperands(in.shapes, in.types, ops);
      return ops.valid && !ops.subject.empty();
    } catch (const std::bad_alloc&) {
      return true;
    }
  });
}

// The polygon library's result back to shapes: whatever allocation fails
// while rings become loops and loops become shapes, the loops and members
// under construction are freed, and the shapes already handed over are the
// caller's to delete (as Execute does).
TEST(ClipperFailure, AFailedAllocationWhileRebuildingLeavesNothingBehind) {
  const Operands3 in;
  clipper_glue::Operands ops;
  clipper_glue::BuildOperands(in.shapes, in.types, ops);
  ClipperLib::Paths first;
  ASSERT_TRUE(clipper_glue::RunPass(ops.subject, ops.passes[0].clip, ops.passes[0].type, first));
  clipper_glue::PassResult last;
  ASSERT_TRUE(clipper_glue::RunPass(first, ops.passes[1].clip, ops.passes[1].type, last));
  ExpectEachFailedAllocationReportedAndFreed([&] {
    std::vector<GkShape*> result;
    bool answered = true;
    try {
      clipper_glue::ForestToShapes(last.forest, result);
      answered = !result.empty();
    } catch (const std::bad_alloc&) {
    }
    testsupport::DeleteShapes(result);
    std::vector<GkShape*>().swap(result);
    return answered;
  });
}

// The whole call: an allocation failing anywhere inside Execute, the polygon
// library included, is reported as a failure with an empty result and never
// escapes. The polygon library itself does not free what it had built when
// an allocation fails inside it; those blocks are its own, so this case
// checks the report only, and a leak checker is told to look away.
TEST(ClipperFailure, AFailedAllocationAnywhereInsideExecuteIsReported) {
  if (!LibraryAllocatesHere()) GTEST_SKIP() << "the library's allocations bypass this operator new";
  const Operands3 in;
  std::vector<GkShape*> shapes = in.shapes;
  GkClipper clipper;
  clipper.SetShapeList(shapes);
  std::string faults;
  int failures = 0;
  for (long k = 1;; ++k) {
    bool failed = false;
    std::size_t count = 0;
    g_fired = false;
    {
#if defined(__SANITIZE_ADDRESS__)
      const __lsan::ScopedDisabler polygonLibraryLeaks;
#endif
      std::vector<GkShape*> result;
      g_failAt = k;
      clipper.Execute(in.types, result);
      g_failAt = 0;
      failed = clipper.LastExecuteFailed();
      count = result.size();
      testsupport::DeleteShapes(result);
    }
    if (!g_fired) {
      EXPECT_FALSE(failed);
      EXPECT_GE(count, 1u);
      break;
    }
    ++failures;
    if (!failed || count != 0) faults += "allocation " + std::to_string(k) + "\n";
  }
  EXPECT_GT(failures, 0);
  EXPECT_EQ(faults, "") << "not reported as failures, of " << failures;
}
