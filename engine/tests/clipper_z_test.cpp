// ClipperLib as the library builds it: with the Z coordinate, so that a tag
// stored in Z on an input vertex survives clipping, and vertices that
// clipping creates get their Z from the fill callback.
#include <clipper.hpp>

#include <gtest/gtest.h>

#include <map>
#include <utility>

namespace {

using ClipperLib::cInt;
using ClipperLib::IntPoint;
using ClipperLib::Path;
using ClipperLib::Paths;

static_assert(sizeof(IntPoint) == 3 * sizeof(cInt), "ClipperLib must be built with use_xyz");

std::map<std::pair<cInt, cInt>, cInt> TagsOf(const Path& path) {
  std::map<std::pair<cInt, cInt>, cInt> tags;
  for (const IntPoint& p : path) tags[{p.X, p.Y}] = p.Z;
  return tags;
}

const Path kClip = {IntPoint(0, 0, 0), IntPoint(1000, 0, 0), IntPoint(1000, 1000, 0),
                    IntPoint(0, 1000, 0)};
const Path kInner = {IntPoint(100, 100, 11), IntPoint(400, 100, 12), IntPoint(400, 400, 13),
                     IntPoint(100, 400, 14)};

TEST(ClipperZ, TagsOfASubjectWhollyInsideTheClipSurviveIntersection) {
  ClipperLib::Clipper clipper;
  ASSERT_TRUE(clipper.AddPath(kInner, ClipperLib::ptSubject, true));
  ASSERT_TRUE(clipper.AddPath(kClip, ClipperLib::ptClip, true));
  Paths out;
  ASSERT_TRUE(clipper.Execute(ClipperLib::ctIntersection, out, ClipperLib::pftNonZero,
                              ClipperLib::pftNonZero));
  ASSERT_EQ(out.size(), 1u);
  ASSERT_EQ(out[0].size(), kInner.size());
  const auto tags = TagsOf(kInner);
  for (const IntPoint& p : out[0]) {
    const auto it = tags.find({p.X, p.Y});
    ASSERT_NE(it, tags.end()) << p.X << "," << p.Y;
    EXPECT_EQ(p.Z, it->second) << p.X << "," << p.Y;
  }
}

TEST(ClipperZ, TagsSurviveUnionIntoAPolyTreeAsAHole) {
  ClipperLib::Clipper clipper;
  Path hole = kInner;
  ClipperLib::ReversePath(hole);
  ASSERT_TRUE(clipper.AddPaths({kClip, hole}, ClipperLib::ptSubject, true));
  ClipperLib::PolyTree tree;
  ASSERT_TRUE(
      clipper.Execute(ClipperLib::ctUnion, tree, ClipperLib::pftEvenOdd, ClipperLib::pftEvenOdd));
  ASSERT_EQ(tree.ChildCount(), 1);
  const ClipperLib::PolyNode* outer = tree.Childs[0];
  ASSERT_EQ(outer->ChildCount(), 1);
  const ClipperLib::PolyNode* inner = outer->Childs[0];
  EXPECT_TRUE(inner->IsHole());
  const auto tags = TagsOf(kInner);
  ASSERT_EQ(inner->Contour.size(), kInner.size());
  for (const IntPoint& p : inner->Contour) EXPECT_EQ(p.Z, tags.at({p.X, p.Y}));
}

void MarkCrossing(IntPoint&, IntPoint&, IntPoint&, IntPoint&, IntPoint& pt) { pt.Z = -1; }

TEST(ClipperZ, NewVerticesGetTheirZFromTheFillCallback) {
  const Path straddling = {IntPoint(800, 200, 21), IntPoint(1200, 200, 22), IntPoint(1200, 600, 23),
                           IntPoint(800, 600, 24)};
  ClipperLib::Clipper clipper;
  clipper.ZFillFunction(&MarkCrossing);
  clipper.AddPath(straddling, ClipperLib::ptSubject, true);
  clipper.AddPath(kClip, ClipperLib::ptClip, true);
  Paths out;
  ASSERT_TRUE(clipper.Execute(ClipperLib::ctIntersection, out, ClipperLib::pftNonZero,
                              ClipperLib::pftNonZero));
  ASSERT_EQ(out.size(), 1u);
  const auto tags = TagsOf(straddling);
  int created = 0;
  for (const IntPoint& p : out[0]) {
    if (p.X == 1000) {
      EXPECT_EQ(p.Z, -1) << "crossing at y " << p.Y;
      ++created;
    } else {
      EXPECT_EQ(p.Z, tags.at({p.X, p.Y}));
    }
  }
  EXPECT_EQ(created, 2);
}

}  // namespace
