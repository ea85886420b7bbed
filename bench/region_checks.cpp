#include "region_checks.h"

#include <algorithm>
#include <cmath>

namespace bench {

namespace {

// Twice the signed area swept by one member: x dy - y dx integrated along it.
double MemberTerm(GkCurve2d& member) {
  const AcGePoint2d s = member.startPoint();
  const AcGePoint2d e = member.endPoint();
  if (member.GetCrvType() != kCrvArc) return s.x * e.y - e.x * s.y;
  auto& arc = static_cast<AcGeCircArc2d&>(member);
  const AcGePoint2d c = arc.center();
  const double r = arc.radius();
  const double sweep = arc.IsCircle() ? 2.0 * kPi : arc.GetArcSweepangle();
  const double signedSweep = arc.isClockWise() ? -sweep : sweep;
  return c.x * (e.y - s.y) - c.y * (e.x - s.x) + r * r * signedSweep;
}

// Signed distance to the board outline, negative inside.
double BoardDistance(const AcGePoint2d& p) {
  const double hx = 0.5 * kBoardWidth - kBoardCornerRadius;
  const double hy = 0.5 * kBoardHeight - kBoardCornerRadius;
  const double qx = std::fabs(p.x - 0.5 * kBoardWidth) - hx;
  const double qy = std::fabs(p.y - 0.5 * kBoardHeight) - hy;
  const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
  return outside + std::min(std::max(qx, qy), 0.0) - kBoardCornerRadius;
}

}  // namespace

double ExactLoopArea(GkCompositeCurve2d& loop) {
  std::vector<GkCurve2d*> members;
  loop.GetCurveList(members);
  double twice = 0.0;
  for (GkCurve2d* member : members) twice += MemberTerm(*member);
  return 0.5 * twice;
}

double SampledLoopArea(GkCompositeCurve2d& loop) { return loop.Area(kSampleTol); }

AreaFigures MeasureShapes(const std::vector<GkShape*>& shapes) {
  AreaFigures f;
  for (GkShape* shape : shapes) {
    std::vector<GkCompositeCurve2d*> loops;
    shape->GetCompCurveList(loops);
    for (std::size_t i = 0; i < loops.size(); ++i) {
      const double exact = ExactLoopArea(*loops[i]);
      const bool outer = i == 0;
      if ((exact > 0.0) != outer) f.orientationOk = false;
      f.exact += exact;
      f.sampled += outer ? SampledLoopArea(*loops[i]) : -SampledLoopArea(*loops[i]);
      ++f.loops;
      std::vector<GkCurve2d*> members;
      loops[i]->GetCurveList(members);
      for (GkCurve2d* m : members) {
        if (m->GetCrvType() == kCrvArc) ++f.arcs;
        if (m->GetCrvType() == kCrvLineSeg) ++f.segments;
      }
    }
  }
  return f;
}

double BoardAndPadsPerimeter(const std::vector<Pad>& pads) {
  double length = 2.0 * (kBoardWidth + kBoardHeight) - (8.0 - 2.0 * kPi) * kBoardCornerRadius;
  for (const Pad& pad : pads) length += 2.0 * kPi * pad.radius;
  return length;
}

PadCheck CheckPadHoles(const std::vector<GkShape*>& result, const std::vector<Pad>& pads,
                       double tol) {
  PadCheck check;
  check.shapes = static_cast<int>(result.size());
  if (result.size() != 1) return check;
  std::vector<GkCompositeCurve2d*> loops;
  result[0]->GetCompCurveList(loops);
  check.holes = static_cast<int>(loops.size()) - 1;

  BoardMinusPadsOracle index(pads, 0.0);
  std::vector<int> hits(pads.size(), 0);
  for (std::size_t i = 1; i < loops.size(); ++i) {
    std::vector<GkCurve2d*> members;
    loops[i]->GetCurveList(members);
    if (members.size() != 1 || members[0]->GetCrvType() != kCrvArc) continue;
    auto* arc = static_cast<AcGeCircArc2d*>(members[0]);
    if (!arc->IsCircle()) continue;
    ++check.fullCircleHoles;
    // The nearest pad centre among the unit cells around the hole's centre.
    const AcGePoint2d c = arc->center();
    double best = 1e300;
    int bestPad = -1;
    index.ForPadsNear(c, [&](int k) {
      const double d = std::hypot(pads[k].centre.x - c.x, pads[k].centre.y - c.y);
      if (d < best) {
        best = d;
        bestPad = k;
      }
    });
    if (bestPad < 0) continue;
    const double radiusError = std::fabs(arc->radius() - pads[bestPad].radius);
    check.maxCentreError = std::max(check.maxCentreError, best);
    check.maxRadiusError = std::max(check.maxRadiusError, radiusError);
    if (best <= tol && radiusError <= tol) ++hits[bestPad];
  }
  check.matched = static_cast<int>(std::count(hits.begin(), hits.end(), 1));
  check.ok = check.holes == static_cast<int>(pads.size()) && check.fullCircleHoles == check.holes &&
             check.matched == check.holes;
  return check;
}

BoardMinusPadsOracle::BoardMinusPadsOracle(const std::vector<Pad>& pads, double band)
    : m_pads(pads), m_band(band) {
  // A pad that contains p, or passes within band of it, has its centre
  // within one cell of p's cell.
  double largest = 0.0;
  for (const Pad& pad : m_pads) largest = std::max(largest, pad.radius);
  m_cellSize = std::max(0.5, largest + band);
  m_nx = static_cast<int>(std::ceil(kBoardWidth / m_cellSize)) + 1;
  m_ny = static_cast<int>(std::ceil(kBoardHeight / m_cellSize)) + 1;
  m_cells.resize(static_cast<std::size_t>(m_nx * m_ny));
  for (std::size_t k = 0; k < m_pads.size(); ++k) {
    m_cells[static_cast<std::size_t>(CellOf(m_pads[k].centre))].push_back(static_cast<int>(k));
  }
}

int BoardMinusPadsOracle::CellOf(const AcGePoint2d& p) const {
  const int i = std::max(0, std::min(m_nx - 1, static_cast<int>(std::floor(p.x / m_cellSize))));
  const int j = std::max(0, std::min(m_ny - 1, static_cast<int>(std::floor(p.y / m_cellSize))));
  return j * m_nx + i;
}

int BoardMinusPadsOracle::Classify(const AcGePoint2d& p) const {
  const double board = BoardDistance(p);
  if (std::fabs(board) < m_band) return -1;
  if (board > 0.0) return 0;
  bool nearEdge = false;
  bool inPad = false;
  ForPadsNear(p, [&](int k) {
    const Pad& pad = m_pads[static_cast<std::size_t>(k)];
    const double d = std::hypot(p.x - pad.centre.x, p.y - pad.centre.y) - pad.radius;
    if (std::fabs(d) < m_band) nearEdge = true;
    if (d < 0.0) inPad = true;
  });
  if (nearEdge) return -1;
  return inPad ? 0 : 1;
}

}  // namespace bench
