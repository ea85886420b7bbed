#include "regionops.h"

#include <engine/circarc2d.h>
#include <engine/lineseg2d.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

AcGePoint2d toPoint(const DesignPoint& p) { return AcGePoint2d(p.x, p.y); }

GkCurve2d* makeCurve(const DesignCurve& c) {
  switch (c.kind) {
    case DesignCurve::Kind::Line: return new AcGeLineSeg2d(toPoint(c.from), toPoint(c.to));
    case DesignCurve::Kind::Arc:
      return new AcGeCircArc2d(toPoint(c.center), c.radius, c.startDeg * kRadiansPerDegree,
                               c.endDeg * kRadiansPerDegree, c.ccw);
    case DesignCurve::Kind::Circle: break;
  }
  return new AcGeCircArc2d(toPoint(c.center), c.radius);
}

GkCompositeCurve2d* makeLoop(const DesignLoop& loop) {
  auto composite = std::make_unique<GkCompositeCurve2d>();
  for (const DesignCurve& c : loop) composite->append(makeCurve(c));
  return composite.release();
}

std::vector<GkCompositeCurve2d*> loopsOf(const GkShape& shape) {
  std::vector<GkCompositeCurve2d*> loops;
  shape.GetCompCurveList(loops);
  return loops;
}

// Twice the signed area swept by one member, from the integral of
// x dy - y dx along it.
double doubledSignedArea(GkCurve2d& member) {
  const AcGePoint2d s = member.startPoint();
  const AcGePoint2d e = member.endPoint();
  if (member.GetCrvType() == kCrvLineSeg) return s.x * e.y - e.x * s.y;
  if (member.GetCrvType() != kCrvArc) return 0.0;
  auto& arc = static_cast<AcGeCircArc2d&>(member);
  const AcGePoint2d c = arc.center();
  const double r = arc.radius();
  const double sweep = arc.isClockWise() ? -arc.GetArcSweepangle() : arc.GetArcSweepangle();
  return c.x * (e.y - s.y) - c.y * (e.x - s.x) + r * r * sweep;
}

}  // namespace

std::unique_ptr<GkShape> makeShape(const DesignRegion& region) {
  auto shape = std::make_unique<GkShape>();
  shape->AppendCompCurve(makeLoop(region.outer));
  for (const DesignLoop& hole : region.holes) shape->AppendCompCurve(makeLoop(hole));
  return shape;
}

BoundaryGap boundaryGap(GkShape& a, GkShape& b) {
  const GkTolerance tol;
  BoundaryGap best{std::numeric_limits<double>::infinity(), AcGePoint2d(), AcGePoint2d()};
  for (GkCompositeCurve2d* la : loopsOf(a)) {
    for (GkCompositeCurve2d* lb : loopsOf(b)) {
      AcGePoint2d onA, onB;
      const double d = la->distanceToComposite(*lb, onA, onB, tol);
      if (d < best.distance) best = BoundaryGap{d, onA, onB};
    }
  }
  return best;
}

std::vector<GkBoundBox2d> memberBoxes(GkShape& shape) {
  std::vector<GkBoundBox2d> boxes;
  std::vector<GkCurve2d*> members;
  for (GkCompositeCurve2d* loop : loopsOf(shape)) {
    loop->GetCurveList(members);
    for (GkCurve2d* m : members) boxes.push_back(m->GetBoundBox());
  }
  return boxes;
}

bool anyLoopInside(GkShape& loopsOfShape, GkShape& region) {
  for (GkCompositeCurve2d* loop : loopsOf(loopsOfShape)) {
    if (loop->GetCurveCnt() > 0 && region.IsPointIn(loop->GetAnyPoint())) return true;
  }
  return false;
}

bool anyLoopOutside(GkShape& loopsOfShape, GkShape& region) {
  for (GkCompositeCurve2d* loop : loopsOf(loopsOfShape)) {
    if (loop->GetCurveCnt() > 0 && !region.IsPointIn(loop->GetAnyPoint())) return true;
  }
  return false;
}

double loopArea(GkCompositeCurve2d& loop) {
  std::vector<GkCurve2d*> members;
  loop.GetCurveList(members);
  double twice = 0.0;
  for (GkCurve2d* m : members) twice += doubledSignedArea(*m);
  return std::fabs(twice) * 0.5;
}

double shapeArea(GkShape& shape) {
  const std::vector<GkCompositeCurve2d*> loops = loopsOf(shape);
  double area = 0.0;
  for (std::size_t i = 0; i < loops.size(); ++i) {
    area += (i == 0 ? 1.0 : -1.0) * loopArea(*loops[i]);
  }
  return area;
}

double loopLength(GkCompositeCurve2d& loop) {
  std::vector<GkCurve2d*> members;
  loop.GetCurveList(members);
  double length = 0.0;
  for (GkCurve2d* m : members) {
    if (m->GetCrvType() == kCrvLineSeg) length += static_cast<AcGeLineSeg2d*>(m)->length();
    if (m->GetCrvType() == kCrvArc) length += static_cast<AcGeCircArc2d*>(m)->GetArcLength();
  }
  return length;
}

std::vector<RegionPart> clippedParts(GkShape& a, GkShape& b, GkClipType op, bool& ok) {
  std::vector<GkShape*> operands{&a, &b};
  GkClipper clipper;
  clipper.SetShapeList(operands);
  std::vector<GkShape*> result;
  clipper.Execute({op}, result);
  ok = !clipper.LastExecuteFailed();
  std::vector<RegionPart> parts;
  const std::vector<std::unique_ptr<GkShape>> owned(result.begin(), result.end());
  for (const std::unique_ptr<GkShape>& s : owned) {
    double boundary = 0.0;
    for (GkCompositeCurve2d* loop : loopsOf(*s)) boundary += loopLength(*loop);
    parts.push_back(RegionPart{shapeArea(*s), boundary});
  }
  return parts;
}

double clippedArea(GkShape& a, GkShape& b, GkClipType op) {
  bool ok = true;
  double area = 0.0;
  for (const RegionPart& p : clippedParts(a, b, op, ok)) area += p.area;
  return ok ? area : std::numeric_limits<double>::quiet_NaN();
}

namespace {

// One Sutherland-Hodgman pass: the points of a closed polygon on the kept
// side of the line coordinate[axis] = limit (keepBelow: at or below it).
std::vector<AcGePoint2d> clipToHalfPlane(const std::vector<AcGePoint2d>& in, int axis, double limit,
                                         bool keepBelow) {
  auto inside = [&](const AcGePoint2d& p) {
    const double v = axis == 0 ? p.x : p.y;
    return keepBelow ? v <= limit : v >= limit;
  };
  auto crossing = [&](const AcGePoint2d& a, const AcGePoint2d& b) {
    const double va = axis == 0 ? a.x : a.y, vb = axis == 0 ? b.x : b.y;
    const double t = (limit - va) / (vb - va);
    return axis == 0 ? AcGePoint2d(limit, a.y + t * (b.y - a.y))
                     : AcGePoint2d(a.x + t * (b.x - a.x), limit);
  };
  std::vector<AcGePoint2d> out;
  for (std::size_t i = 0; i < in.size(); ++i) {
    const AcGePoint2d& cur = in[i];
    const AcGePoint2d& prev = in[(i + in.size() - 1) % in.size()];
    if (inside(cur)) {
      if (!inside(prev)) out.push_back(crossing(prev, cur));
      out.push_back(cur);
    } else if (inside(prev)) {
      out.push_back(crossing(prev, cur));
    }
  }
  return out;
}

}  // namespace

std::unique_ptr<GkShape> croppedToBox(GkShape& shape, const GkBoundBox2d& box) {
  auto cropped = std::make_unique<GkShape>();
  const std::vector<GkCompositeCurve2d*> loops = loopsOf(shape);
  std::vector<GkCurve2d*> members;
  for (std::size_t l = 0; l < loops.size(); ++l) {
    loops[l]->GetCurveList(members);
    std::vector<AcGePoint2d> pts;
    for (GkCurve2d* m : members) {
      if (m->GetCrvType() != kCrvLineSeg) return nullptr;
      pts.push_back(m->startPoint());
    }
    pts = clipToHalfPlane(pts, 0, box.minX, false);
    pts = clipToHalfPlane(pts, 0, box.maxX, true);
    pts = clipToHalfPlane(pts, 1, box.minY, false);
    pts = clipToHalfPlane(pts, 1, box.maxY, true);
    auto loop = std::make_unique<GkCompositeCurve2d>();
    for (std::size_t i = 0; i < pts.size(); ++i) {
      const AcGePoint2d& a = pts[i];
      const AcGePoint2d& b = pts[(i + 1) % pts.size()];
      if (a.x != b.x || a.y != b.y) loop->append(new AcGeLineSeg2d(a, b));
    }
    if (loop->GetCurveCnt() < 3) {
      if (l == 0) return nullptr;
      continue;
    }
    cropped->AppendCompCurve(loop.release());
  }
  return cropped;
}

bool onlySegments(GkShape& shape) {
  std::vector<GkCurve2d*> members;
  for (GkCompositeCurve2d* loop : loopsOf(shape)) {
    loop->GetCurveList(members);
    for (GkCurve2d* m : members) {
      if (m->GetCrvType() != kCrvLineSeg) return false;
    }
  }
  return true;
}
