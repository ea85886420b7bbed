// Shapes to tagged integer paths for ClipperLib (see clipper_glue.h for the
// grid and the tag scheme).
#include "clipper_glue.h"

#include <engine/lineseg2d.h>

#include <algorithm>
#include <cmath>

namespace clipper_glue {

ClipperLib::cInt ToInt(double v) {
  const double p = v * kScale;
  if (!(std::fabs(p) <= kMaxGrid)) return kOutOfRange;
  return static_cast<ClipperLib::cInt>(p > 0.0 ? p + 0.5 : p - 0.5);
}

}  // namespace clipper_glue

using clipper_glue::ToInt;

ClipperArcSample::ClipperArcSample(ClipperLib::Path* path_, bool emitFirst_, double sum_,
                                   double prevX_, double prevY_)
    : prevX(prevX_), prevY(prevY_), sum(sum_), emitFirst(emitFirst_), path(path_) {}

void ClipperArcSample::AddXY(const double& x, const double& y) {
  if (!seen) {
    seen = true;
    if (emitFirst) {
      prevX = x;
      prevY = y;
      path->emplace_back(ToInt(x), ToInt(y), 0);
    }
    return;
  }
  sum += (x + prevX) * (prevY - y);
  prevX = x;
  prevY = y;
  const ClipperLib::cInt X = ToInt(x);
  const ClipperLib::cInt Y = ToInt(y);
  if (!path->empty()) {
    const ClipperLib::IntPoint& last = path->back();
    step = std::max(step, std::abs(X - last.X));
    step = std::max(step, std::abs(Y - last.Y));
  }
  path->emplace_back(X, Y, 0);
}

namespace clipper_glue {

namespace {

// Most points one arc may take when it has to be sampled finer than
// kSampleTol to keep its step below kTagBase; beyond this the arc goes in
// untagged (it then comes back as line segments, still within kSampleTol).
constexpr int kMaxRefinedPoints = 1000000;
// Each refinement divides the chord tolerance by this (halving the chord).
constexpr double kRefineFactor = 0.25;

AcGeCircArc2d* AsArc(GkCurve2d* crv) {
  return crv->GetCrvType() == kCrvArc ? dynamic_cast<AcGeCircArc2d*>(crv) : nullptr;
}

bool IsSegment(GkCurve2d* crv) { return crv->GetCrvType() == kCrvLineSeg; }

// Sets Z of path[from..] to tag.
void Tag(ClipperLib::Path& path, std::size_t from, ClipperLib::cInt tag) {
  for (std::size_t i = from; i < path.size(); ++i) path[i].Z = tag;
}

// Puts the path in the direction the positive fill rule needs: sum is minus
// twice the signed area, so a positive sum means clockwise.
void Orient(ClipperLib::Path& path, double sum, bool outer) {
  if ((sum > 0.0 && outer) || (sum <= 0.0 && !outer)) std::reverse(path.begin(), path.end());
}

}  // namespace

void PathBuilder::AddShape(GkShape* shape, ClipperLib::Paths& out) {
  if (shape == nullptr) return;
  std::vector<GkCompositeCurve2d*> loops;
  shape->GetCompCurveList(loops);
  for (std::size_t i = 0; i < loops.size(); ++i) {
    if (loops[i]->GetCurveCnt() == 0) continue;
    out.emplace_back();
    AppendLoop(*loops[i], i == 0, out.back());
  }
  // Few path sets per call (one per pass): a linear look-up keeps each once.
  if (std::find(m_written.begin(), m_written.end(), &out) == m_written.end())
    m_written.push_back(&out);
}

std::size_t PathBuilder::CircleHash::operator()(const CircleId& c) const {
  std::uint64_t h = static_cast<std::uint64_t>(c.x) * 0x9e3779b97f4a7c15ull;
  h ^= static_cast<std::uint64_t>(c.y) + 0x7f4a7c159e3779b9ull + (h << 6) + (h >> 2);
  h ^= static_cast<std::uint64_t>(c.r) + 0x94d049bb133111ebull + (h << 6) + (h >> 2);
  return static_cast<std::size_t>(h);
}

ClipperLib::cInt PathBuilder::CircleTag(const AcGeCircArc2d& arc, ClipperLib::cInt step) {
  const AcGePoint2d c = arc.center();
  const CircleId id{ToInt(c.x), ToInt(c.y), ToInt(arc.radius())};
  const auto found = m_circles.emplace(id, m_steps.size());
  if (found.second) m_steps.push_back(step);
  const std::size_t number = found.first->second;
  m_steps[number] = std::max(m_steps[number], step);
  return static_cast<ClipperLib::cInt>(number) + 1;
}

void PathBuilder::FinishPath(ClipperLib::Path& path) const {
  for (ClipperLib::IntPoint& p : path) {
    if (p.Z == 0) continue;
    const ClipperLib::cInt key = p.Z;
    p.Z = key * kTagBase + m_steps[static_cast<std::size_t>(key - 1)];
  }
}

void PathBuilder::Finish() {
  for (ClipperLib::Paths* paths : m_written) {
    for (ClipperLib::Path& path : *paths) FinishPath(path);
  }
  m_written.clear();
}

void PathBuilder::LoopToPath(GkCompositeCurve2d& loop, bool outer, ClipperLib::Path& path) {
  AppendLoop(loop, outer, path);
  FinishPath(path);
}

void PathBuilder::CheckRange(const ClipperLib::Path& path) {
  for (const ClipperLib::IntPoint& p : path) {
    if (p.X == kOutOfRange || p.Y == kOutOfRange) {
      m_valid = false;
      return;
    }
  }
}

// Samples the arc at kSampleTol (finer when a step would reach kTagBase) and
// tags path[tagFrom..] with the provisional tag of the arc's circle. With emitFirst clear the
// arc's start is not written again: it is path.back(), the previous member's
// end, and tagFrom points at it, so the arc's start vertex carries its tag.
// An arc that would need more than kMaxRefinedPoints goes in untagged, sampled
// at kSampleTol.
void PathBuilder::AppendArc(AcGeCircArc2d& arc, bool emitFirst, std::size_t tagFrom, double& sum,
                            AcGePoint2d& prev, ClipperLib::Path& path) {
  // An arc reaching beyond the grid's range fails the operation whatever
  // its points: refused before it is sampled, which for a radius like 1e126
  // runs to the sampler's point limit, refinements included.
  const GkBoundBox2d box = arc.GetBoundBox();
  if (ToInt(box.minX) == kOutOfRange || ToInt(box.maxX) == kOutOfRange ||
      ToInt(box.minY) == kOutOfRange || ToInt(box.maxY) == kOutOfRange) {
    m_valid = false;
    return;
  }
  const std::size_t base = path.size();
  auto sample = [&](double tol) {
    path.resize(base);
    // The sampling's own point count, so that the path grows once.
    const int count = GkMath::GetArcBreakCount(arc.radius(), arc.GetArcSweepangle(), tol);
    if (count > 0 && count <= kMaxRefinedPoints)
      path.reserve(base + static_cast<std::size_t>(count) + 8);
    ClipperArcSample sink(&path, emitFirst, sum, prev.x, prev.y);
    arc.GetSamplePointXY(sink, tol);
    return sink;
  };
  auto takeBack = [&](const ClipperArcSample& sink, ClipperLib::cInt tag) {
    sum = sink.sum;
    prev.set(sink.prevX, sink.prevY);
    Tag(path, tagFrom, tag);
  };

  double tol = kSampleTol;
  ClipperLib::cInt lastStep = -1;
  for (;;) {
    const ClipperArcSample sink = sample(tol);
    if (sink.step < kTagBase) {
      takeBack(sink, CircleTag(arc, sink.step));
      return;
    }
    // Halving the chord must help (it cannot across a gap in the loop) and
    // stay within the point budget.
    const bool shrinking = lastStep < 0 || sink.step < lastStep;
    tol *= kRefineFactor;
    if (!shrinking ||
        GkMath::GetArcBreakCount(arc.radius(), arc.GetArcSweepangle(), tol) > kMaxRefinedPoints)
      break;
    lastStep = sink.step;
  }
  takeBack(sample(kSampleTol), 0);
}

void PathBuilder::AppendLoop(GkCompositeCurve2d& loop, bool outer, ClipperLib::Path& path) {
  std::vector<GkCurve2d*> members;
  loop.GetCurveList(members);
  if (members.empty()) return;

  double sum = 0.0;
  if (members.size() == 1) {
    AcGeCircArc2d* arc = AsArc(members.front());
    if (arc == nullptr) return;
    // The full circle of the arc, in the direction the role needs; the
    // caller's arc is left as it is.
    AcGeCircArc2d circle(*arc);
    circle.SetIsCircle(true);
    circle.setAngles(0.0, 0.0);
    circle.SetIsCCW(outer);
    AcGePoint2d prev;
    AppendArc(circle, true, 0, sum, prev, path);
    if (!path.empty()) path.pop_back();  // the walk ends where it began
  } else {
    AcGePoint2d prev = members.front()->startPoint();
    bool keepLast = true;
    for (GkCurve2d* member : members) {
      if (IsSegment(member)) {
        const AcGePoint2d end = member->endPoint();
        sum += (prev.y - end.y) * (end.x + prev.x);
        prev = end;
        path.emplace_back(ToInt(end.x), ToInt(end.y), 0);
      } else if (AcGeCircArc2d* arc = AsArc(member)) {
        const std::size_t q = path.size();
        if (q == 0) keepLast = false;
        AppendArc(*arc, q == 0, q == 0 ? 0 : q - 1, sum, prev, path);
      }
    }
    // A loop that starts with an arc wrote its start point first; the last
    // member's end repeats it.
    if (!keepLast && !path.empty()) path.pop_back();
  }
  Orient(path, sum, outer);
  CheckRange(path);
}

}  // namespace clipper_glue

namespace clipper_glue {

void BuildOperands(const std::vector<GkShape*>& shapes, const std::vector<GkClipType>& types,
                   Operands& out) {
  out = Operands();
  if (shapes.empty()) return;
  PathBuilder builder;
  builder.Reserve(shapes.size());
  builder.AddShape(shapes[0], out.subject);
  const std::size_t m = types.size();
  // The passes are sized first: Finish needs every path set in place.
  std::size_t passCount = 1;
  for (std::size_t k = 0; k + 1 < m; ++k) passCount += types[k] != types[k + 1];
  out.passes.resize(passCount);
  std::size_t consumed = 0;
  std::size_t pass = 0;
  for (std::size_t k = 0; k + 1 < m; ++k) {
    if (types[k] == types[k + 1]) continue;
    for (std::size_t s = consumed + 1; s <= k + 1; ++s)
      builder.AddShape(shapes[s], out.passes[pass].clip);
    out.passes[pass++].type = types[k];
    consumed = k + 1;
  }
  for (std::size_t s = consumed + 1; s < shapes.size(); ++s)
    builder.AddShape(shapes[s], out.passes[pass].clip);
  // One shape and no types: a union pass normalises the region.
  out.passes[pass].type = m == 0 ? kClipUnion : types[m - 1];
  builder.Finish();
  out.valid = builder.Valid();
}

}  // namespace clipper_glue
