// The clipper's short ways (rings that touch nothing skip the sweep, groups
// of overlapping operands run as separate sweeps) against the plain single
// sweep on the same inputs, and arcs on one circle coming back as one arc
// where track end caps meet at a bend.
#include "clipper_glue.h"

#include <engine/clipper.h>

#include <testsupport/random.h>
#include <testsupport/shape_builders.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using testsupport::ArcsOf;
using testsupport::kPi;
using testsupport::LoopsOf;

namespace {

constexpr double kGrid = kClipperGrid;
constexpr double kMeasureTol = 1e-4;

using Owned = std::vector<std::unique_ptr<GkShape>>;

std::vector<GkShape*> Pointers(const Owned& owned) {
  std::vector<GkShape*> out;
  for (const auto& s : owned) out.push_back(s.get());
  return out;
}

struct Result {
  std::vector<GkShape*> shapes;
  ~Result() { testsupport::DeleteShapes(shapes); }
};

// Runs Execute with the short ways or as one plain sweep.
void RunClipper(const Owned& operands, const std::vector<GkClipType>& types, bool plain,
                Result& out) {
  std::vector<GkShape*> list = Pointers(operands);
  GkClipper clipper;
  clipper.SetShapeList(list);
  clipper_glue::SetPlainSweep(plain);
  clipper.Execute(types, out.shapes);
  clipper_glue::SetPlainSweep(false);
}

struct Summary {
  std::size_t shapes = 0;
  std::size_t holes = 0;
  double area = 0.0;
  double perimeter = 0.0;
  bool oriented = true;   // outer loops counter-clockwise, holes clockwise
  double worstArc = 0.0;  // largest source-circle error over its tolerance
};

Summary Summarise(const Result& r, const std::vector<AcGeCircArc2d*>& sources) {
  Summary s;
  s.shapes = r.shapes.size();
  for (GkShape* shape : r.shapes) {
    const std::vector<GkCompositeCurve2d*> loops = LoopsOf(*shape);
    s.holes += loops.size() - 1;
    for (std::size_t i = 0; i < loops.size(); ++i) {
      const double a = testsupport::SignedLoopArea(*loops[i], kMeasureTol);
      if ((a > 0) != (i == 0)) s.oriented = false;
      s.area += a;
      s.perimeter += testsupport::LoopPerimeter(*loops[i], kMeasureTol);
    }
    for (AcGeCircArc2d* arc : ArcsOf(*shape)) {
      s.worstArc = std::max(s.worstArc, testsupport::SourceCircleError(*arc, sources) /
                                            testsupport::RebuiltArcTolerance(*arc));
    }
  }
  return s;
}

std::vector<AcGeCircArc2d*> SourceArcs(const Owned& operands) {
  std::vector<AcGeCircArc2d*> arcs;
  for (const auto& s : operands) {
    const std::vector<AcGeCircArc2d*> own = ArcsOf(*s);
    arcs.insert(arcs.end(), own.begin(), own.end());
  }
  return arcs;
}

// An island (a shape inside a hole of another) comes after the shape that
// has the hole.
void ExpectIslandsAfterTheirShape(const Result& r) {
  for (std::size_t i = 0; i < r.shapes.size(); ++i) {
    const std::vector<GkCompositeCurve2d*> loops = LoopsOf(*r.shapes[i]);
    for (std::size_t h = 1; h < loops.size(); ++h) {
      for (std::size_t j = 0; j < r.shapes.size(); ++j) {
        if (j == i) continue;
        const AcGePoint2d p = LoopsOf(*r.shapes[j])[0]->GetAnyPoint();
        if (loops[h]->IsPointIn(p)) {
          EXPECT_GT(j, i) << "island " << j << " comes before the shape " << i << " with its hole";
        }
      }
    }
  }
}

// The short ways give the region of the plain sweep: the same shapes and
// holes (islands included), orientation, area within the grid error along
// the boundary, and arcs on source circles.
void ExpectSameRegion(const Owned& operands, const std::vector<GkClipType>& types) {
  Result fast, plain;
  RunClipper(operands, types, false, fast);
  RunClipper(operands, types, true, plain);
  const std::vector<AcGeCircArc2d*> sources = SourceArcs(operands);
  const Summary f = Summarise(fast, sources);
  const Summary p = Summarise(plain, sources);
  EXPECT_EQ(f.shapes, p.shapes);
  EXPECT_EQ(f.holes, p.holes);
  EXPECT_TRUE(f.oriented);
  EXPECT_TRUE(p.oriented);
  // Two grid units along the whole boundary, plus the measuring chords.
  EXPECT_NEAR(f.area, p.area, (2 * kGrid + 2 * kMeasureTol) * (p.perimeter + 1.0));
  EXPECT_LE(f.worstArc, 1.0) << "a rebuilt arc lies off every source circle";
  ExpectIslandsAfterTheirShape(fast);
}

using testsupport::Random;

// Four tracks of half-width 0.2 around the square of half-side h about c.
void AddFrame(Owned& out, const AcGePoint2d& c, double h) {
  const AcGePoint2d p[] = {
      {c.x - h, c.y - h}, {c.x + h, c.y - h}, {c.x + h, c.y + h}, {c.x - h, c.y + h}};
  for (int k = 0; k < 4; ++k) {
    out.emplace_back(testsupport::MakeShape(testsupport::CapsuleLoop(p[k], p[(k + 1) % 4], 0.2)));
  }
}

// A plus-shaped polygon about c, arms a wide and 2.5 a long: not convex.
GkShape* Cross(const AcGePoint2d& c, double a) {
  const double b = a * 2.5;
  return testsupport::MakeShape(testsupport::PolygonLoop({{c.x - a, c.y - b},
                                                          {c.x + a, c.y - b},
                                                          {c.x + a, c.y - a},
                                                          {c.x + b, c.y - a},
                                                          {c.x + b, c.y + a},
                                                          {c.x + a, c.y + a},
                                                          {c.x + a, c.y + b},
                                                          {c.x - a, c.y + b},
                                                          {c.x - a, c.y + a},
                                                          {c.x - b, c.y + a},
                                                          {c.x - b, c.y - a},
                                                          {c.x - a, c.y - a}}));
}

// One random operand near c, described in name: pads that usually touch
// nothing, tracks, rounded rectangles, plates with holes, rings, squares
// that share an edge with the previous square, crosses, and copies of an
// earlier operand.
GkShape* RandomOperand(Random& rnd, const AcGePoint2d& c, const Owned& before, std::string& name) {
  switch (rnd.I(0, 8)) {
    case 0:
      name = "pad";
      return testsupport::MakeShape(testsupport::CircleLoop(c, rnd.U(0.1, 0.8), rnd.Coin()));
    case 1: {
      name = "track";
      const double a = rnd.U(0, 2 * kPi), len = rnd.U(0.5, 4);
      const AcGePoint2d b(c.x + len * std::cos(a), c.y + len * std::sin(a));
      return testsupport::MakeShape(testsupport::CapsuleLoop(c, b, rnd.U(0.1, 0.5)));
    }
    case 2: {
      name = "roundedRect";
      const double w = rnd.U(1, 5), h = rnd.U(1, 5);
      return testsupport::MakeShape(
          testsupport::RoundedRectLoop(c.x - w / 2, c.y - h / 2, c.x + w / 2, c.y + h / 2,
                                       rnd.U(0.1, std::min(w, h) / 2 - 0.05)));
    }
    case 3: {
      name = "plateWithHoles";
      const double w = rnd.U(3, 6);
      std::vector<GkCompositeCurve2d*> holes;
      holes.push_back(testsupport::CircleLoop(AcGePoint2d(c.x - w / 4, c.y), w / 8, false));
      holes.push_back(
          testsupport::RectLoop(c.x + w / 8, c.y - w / 8, c.x + w / 3, c.y + w / 8, false));
      return testsupport::MakeShape(
          testsupport::RectLoop(c.x - w / 2, c.y - w / 2, c.x + w / 2, c.y + w / 2), holes);
    }
    case 4: name = "ring"; return testsupport::RingShape(c, rnd.U(1.5, 3), rnd.U(0.6, 1.2));
    case 8:
      // Not convex, so it always goes through a sweep of its own.
      name = "cross";
      return Cross(c, rnd.U(0.1, 0.25));
    case 5: {
      name = "squares";
      const double s = rnd.U(0.5, 2);
      const double x = std::floor(c.x), y = std::floor(c.y);
      return testsupport::MakeShape(testsupport::RectLoop(x, y, x + s, y + s));
    }
    case 6:
      if (!before.empty()) {
        name = "copy";
        const GkShape& src =
            *before[static_cast<std::size_t>(rnd.I(0, static_cast<int>(before.size()) - 1))];
        return new GkShape(src);
      }
      [[fallthrough]];
    default: {
      name = "islandDisc";
      return testsupport::MakeShape(testsupport::CircleLoop(c, rnd.U(0.2, 0.5)));
    }
  }
}

class SplitAgainstPlain : public testing::TestWithParam<unsigned> {};

}  // namespace

// Random scenes: two to fourteen operands in clusters far apart and close
// together, a random sequence of the four operations with runs of equal
// types.
TEST_P(SplitAgainstPlain, RandomScenesGiveTheSameRegion) {
  Random rnd(GetParam());
  Owned operands;
  std::string names;
  const int n = rnd.I(2, 14);
  const AcGePoint2d clusters[] = {{0, 0}, {3, 1}, {40, 0}, {0, 40}};
  for (int i = 0; i < n; ++i) {
    const AcGePoint2d& k = clusters[rnd.I(0, 3)];
    std::string name;
    const AcGePoint2d c(k.x + rnd.U(-4, 4), k.y + rnd.U(-4, 4));
    operands.emplace_back(RandomOperand(rnd, c, operands, name));
    names += name + " ";
    if (rnd.I(0, 5) == 0) {
      // A frame of four tracks around c with a cross inside: the frame's
      // hole is made by several operands, none of whose boxes reach the
      // cross, which goes through a sweep of its own.
      AddFrame(operands, c, 1.5);
      operands.emplace_back(RandomOperand(rnd, c, operands, name));
      names += "(frame around) " + name + " ";
      i += 5;
    } else if (name == "ring" && rnd.Coin()) {
      // An island in the ring's hole, one operation later.
      operands.emplace_back(RandomOperand(rnd, c, operands, name));
      names += "(in hole) " + name + " ";
      ++i;
    }
  }
  std::vector<GkClipType> types;
  for (std::size_t i = 1; i < operands.size(); ++i) {
    types.push_back(i > 1 && rnd.I(0, 2) == 0 ? types.back()
                                              : static_cast<GkClipType>(rnd.I(0, 3)));
  }
  std::ostringstream trace;
  trace << names << "types";
  for (GkClipType t : types) trace << ' ' << static_cast<int>(t);
  SCOPED_TRACE(trace.str());
  ExpectSameRegion(operands, types);
}

// 240 fixed seeds: reproducible, and each failure names its seed.
INSTANTIATE_TEST_SUITE_P(Clipper, SplitAgainstPlain, testing::Range(1u, 241u));

namespace {

// Random-walk nets of tracks: each track starts where the previous one of
// its net ended, in one of eight directions, so consecutive end caps lie on
// one circle.
// Within [1, 1 + size] x [1, 1 + 0.8 size].
Owned TrackNets(int tracks, unsigned seed, std::vector<AcGePoint2d>* ends = nullptr,
                double* halfWidth = nullptr, double size = 48) {
  Random rnd(seed);
  Owned out;
  const double w = 0.125;
  AcGePoint2d at;
  const double hi = 1 + size, top = 1 + 0.8 * size;
  for (int i = 0; i < tracks; ++i) {
    if (i % 20 == 0) at = AcGePoint2d(rnd.U(1, hi), rnd.U(1, top));
    const double a = rnd.I(0, 7) * kPi / 4, len = rnd.U(1, 4);
    AcGePoint2d to(at.x + len * std::cos(a), at.y + len * std::sin(a));
    to.x = std::min(std::max(to.x, 1.0), hi);
    to.y = std::min(std::max(to.y, 1.0), top);
    if (to.distanceTo(at) < 0.2) to.x += 0.5;
    out.emplace_back(testsupport::MakeShape(testsupport::CapsuleLoop(at, to, w)));
    if (ends != nullptr) {
      ends->push_back(at);
      ends->push_back(to);
    }
    at = to;
  }
  if (halfWidth != nullptr) *halfWidth = w;
  return out;
}

Owned BoardMinusPads(int pads, unsigned seed) {
  Random rnd(seed);
  Owned out;
  out.emplace_back(testsupport::MakeShape(testsupport::RoundedRectLoop(0, 0, 50, 40, 3)));
  for (int i = 0; i < pads; ++i) {
    // Mostly apart; some overlap each other or the board's edge.
    const AcGePoint2d c(rnd.U(-0.5, 50.5), rnd.U(-0.5, 40.5));
    out.emplace_back(testsupport::MakeShape(testsupport::CircleLoop(c, rnd.U(0.1, 0.6))));
  }
  return out;
}

}  // namespace

TEST(SplitAgainstPlain, BoardMinusPadsTrackUnionAndZoneFill) {
  {
    SCOPED_TRACE("board minus pads");
    const Owned board = BoardMinusPads(400, 7);
    ExpectSameRegion(board, std::vector<GkClipType>(board.size() - 1, kClipDifference));
  }
  {
    SCOPED_TRACE("track union");
    const Owned tracks = TrackNets(400, 8);
    ExpectSameRegion(tracks, std::vector<GkClipType>(tracks.size() - 1, kClipUnion));
  }
  for (GkClipType type : {kClipUnion, kClipXor, kClipDifference}) {
    // Frames whose holes hold crosses, pads and smaller frames: outer rings
    // of one sweep, and rings that skip it, nest in the holes of another.
    SCOPED_TRACE(static_cast<int>(type));
    Owned scene;
    for (int k = 0; k < 9; ++k) {
      const AcGePoint2d c(10.0 * (k % 3), 10.0 * (k / 3));
      AddFrame(scene, c, 4);
      if (k % 2 == 0) AddFrame(scene, c, 2.5);
      scene.emplace_back(Cross(AcGePoint2d(c.x - 0.5, c.y), 0.2));
      scene.emplace_back(
          testsupport::MakeShape(testsupport::CircleLoop(AcGePoint2d(c.x + 1, c.y), 0.3)));
    }
    std::vector<GkClipType> types(scene.size() - 1, kClipUnion);
    if (type != kClipUnion) {
      for (std::size_t i = 3; i < types.size(); i += 4) types[i] = type;
    }
    ExpectSameRegion(scene, types);
  }
  // Dense tracks make one group of about 25,000 vertices: one sweep nested
  // by containment, and with small strips, strips joined pairwise.
  for (std::size_t strip : {std::size_t(0), std::size_t(2048)}) {
    SCOPED_TRACE(strip == 0 ? "one sweep" : "strips");
    clipper_glue::SetStripSize(strip, strip);
    const std::size_t untrusted = clipper_glue::UntrustedStripSweeps();
    {
      SCOPED_TRACE("dense track union");
      const Owned tracks = TrackNets(800, 12, nullptr, nullptr, 16);
      ExpectSameRegion(tracks, std::vector<GkClipType>(tracks.size() - 1, kClipUnion));
    }
    {
      SCOPED_TRACE("board minus dense tracks");
      Owned board;
      board.emplace_back(testsupport::MakeShape(testsupport::RoundedRectLoop(0, 0, 18, 15, 1)));
      for (auto& t : TrackNets(800, 13, nullptr, nullptr, 16)) board.push_back(std::move(t));
      ExpectSameRegion(board, std::vector<GkClipType>(board.size() - 1, kClipDifference));
      ExpectSameRegion(board, std::vector<GkClipType>(board.size() - 1, kClipIntersection));
    }
    // The strips themselves gave these regions, not a sweep run again.
    EXPECT_EQ(clipper_glue::UntrustedStripSweeps(), untrusted);
    clipper_glue::SetStripSize(0, 0);
  }
  {
    SCOPED_TRACE("zone fill");
    Owned zone = BoardMinusPads(150, 9);
    Owned tracks = TrackNets(150, 10);
    for (auto& t : tracks) zone.push_back(std::move(t));
    ExpectSameRegion(zone, std::vector<GkClipType>(zone.size() - 1, kClipDifference));
  }
}

TEST(ClipperBends, OuterBendOfTwoTracksIsOneArcOnTheSharedCircle) {
  for (double turn : {30.0, 60.0, 90.0, 135.0}) {
    SCOPED_TRACE(turn);
    const double w = 0.15;
    const AcGePoint2d a(0, 0), joint(3, 0);
    const double t = turn * kPi / 180;
    const AcGePoint2d b(joint.x + 3 * std::cos(t), joint.y + 3 * std::sin(t));
    Owned tracks;
    tracks.emplace_back(testsupport::MakeShape(testsupport::CapsuleLoop(a, joint, w)));
    tracks.emplace_back(testsupport::MakeShape(testsupport::CapsuleLoop(joint, b, w)));
    Result r;
    RunClipper(tracks, {kClipUnion}, false, r);
    ASSERT_EQ(r.shapes.size(), 1u);
    ASSERT_EQ(LoopsOf(*r.shapes[0]).size(), 1u);
    const std::vector<AcGeCircArc2d*> arcs = ArcsOf(*r.shapes[0]);
    int atJoint = 0;
    for (AcGeCircArc2d* arc : arcs) {
      if (arc->center().distanceTo(joint) > 0.01) continue;
      ++atJoint;
      EXPECT_NEAR(arc->center().distanceTo(joint), 0.0, testsupport::RebuiltArcTolerance(*arc));
      EXPECT_NEAR(arc->radius(), w, testsupport::RebuiltArcTolerance(*arc));
      // The bend spans the turn, less at most one chord at each end, where
      // the straight sides take over.
      const double chordAngle = 2 * std::acos(1 - clipper_glue::kSampleTol / w);
      EXPECT_LE(arc->GetArcSweepangle(), t + 1e-6);
      EXPECT_GE(arc->GetArcSweepangle(), t - 2 * chordAngle);
    }
    EXPECT_EQ(atJoint, 1) << "one arc at the bend";
    EXPECT_EQ(arcs.size(), 3u) << "the bend and the two far end caps";
  }
}

// Line segments of the result that are chords of a source circle: both ends
// within two grid steps of the circle and no longer than its sampling chord.
TEST(ClipperBends, TrackUnionKeepsAtMostTwoChordsPerRebuiltArc) {
  std::vector<AcGePoint2d> ends;
  double w = 0.0;
  const Owned tracks = TrackNets(1000, 11, &ends, &w);
  Result r;
  RunClipper(tracks, std::vector<GkClipType>(tracks.size() - 1, kClipUnion), false, r);
  ASSERT_FALSE(r.shapes.empty());
  const double chord = 2 * std::sqrt(2 * w * clipper_glue::kSampleTol) * 1.05 + 2 * kGrid;
  // Circles by grid cell of their centre, for the look-up.
  std::size_t arcs = 0, chords = 0;
  auto onCircle = [&](const AcGePoint2d& p, const AcGePoint2d& c) {
    return std::fabs(p.distanceTo(c) - w) <= 2 * kGrid;
  };
  for (GkShape* shape : r.shapes) {
    for (GkCompositeCurve2d* loop : LoopsOf(*shape)) {
      std::vector<GkCurve2d*> members;
      loop->GetCurveList(members);
      for (GkCurve2d* m : members) {
        if (m->GetCrvType() == kCrvArc) {
          ++arcs;
          continue;
        }
        const AcGePoint2d s = m->startPoint(), e = m->endPoint();
        if (s.distanceTo(e) > chord) continue;
        for (const AcGePoint2d& c : ends) {
          if (std::fabs(c.x - s.x) > w + chord || std::fabs(c.y - s.y) > w + chord) continue;
          if (onCircle(s, c) && onCircle(e, c)) {
            ++chords;
            break;
          }
        }
      }
    }
  }
  ASSERT_GT(arcs, 0u);
  EXPECT_LE(static_cast<double>(chords) / static_cast<double>(arcs), 2.0)
      << chords << " chords, " << arcs << " arcs";
}
