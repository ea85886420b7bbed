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
    LoopToPath(*loops[i], i == 0, out.back());
  }
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
// tags path[tagFrom..] with the arc's key and step. With emitFirst clear the
// arc's start is not written again: it is path.back(), the previous member's
// end, and tagFrom points at it, so the arc's start vertex carries its tag.
// An arc that would need more than kMaxRefinedPoints goes in untagged, sampled
// at kSampleTol.
void PathBuilder::AppendArc(AcGeCircArc2d& arc, bool emitFirst, std::size_t tagFrom, double& sum,
                            AcGePoint2d& prev, ClipperLib::Path& path) {
  const std::size_t base = path.size();
  auto sample = [&](double tol) {
    path.resize(base);
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
      takeBack(sink, m_nextKey * kTagBase + sink.step);
      ++m_nextKey;
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

void PathBuilder::LoopToPath(GkCompositeCurve2d& loop, bool outer, ClipperLib::Path& path) {
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
