#include "memberindex.h"

#include "design.h"

#include <engine/circarc2d.h>
#include <engine/compositecurve2d.h>
#include <engine/lineseg2d.h>
#include <engine/tolerance.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kFanout = 8;
// Ray-crossing decisions closer than this to a degenerate case (drawing
// units) are left to the exact loop test.
constexpr double kRayMargin = 1e-9;

double cx(const GkBoundBox2d& b) { return 0.5 * (b.minX + b.maxX); }
double cy(const GkBoundBox2d& b) { return 0.5 * (b.minY + b.maxY); }

GkBoundBox2d merged(const GkBoundBox2d& a, const GkBoundBox2d& b) {
  return GkBoundBox2d(std::min(a.minX, b.minX), std::max(a.maxX, b.maxX), std::min(a.minY, b.minY),
                      std::max(a.maxY, b.maxY));
}

double boxGap(const GkBoundBox2d& a, const GkBoundBox2d& b) {
  const double dx = std::max({0.0, a.minX - b.maxX, b.minX - a.maxX});
  const double dy = std::max({0.0, a.minY - b.maxY, b.minY - a.maxY});
  return std::hypot(dx, dy);
}

double memberGap(GkCurve2d& a, GkCurve2d& b, AcGePoint2d& onA, AcGePoint2d& onB) {
  const GkTolerance& tol = GkGeoLib::g_tol;
  if (b.GetCrvType() == kCrvLineSeg)
    return a.distanceToSeg(static_cast<AcGeLineSeg2d&>(b), onA, onB, tol);
  if (b.GetCrvType() == kCrvArc)
    return a.distanceToArc(static_cast<AcGeCircArc2d&>(b), onA, onB, tol);
  return std::numeric_limits<double>::infinity();
}

// Crossings of the ray from p to +x with a segment; false when undecided.
bool segmentCrossings(const AcGePoint2d& a, const AcGePoint2d& b, const AcGePoint2d& p, int& n) {
  if (std::fabs(a.y - p.y) <= kRayMargin || std::fabs(b.y - p.y) <= kRayMargin) return false;
  if ((a.y > p.y) == (b.y > p.y)) return true;
  const double x = a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y);
  if (std::fabs(x - p.x) <= kRayMargin) return false;
  if (x > p.x) ++n;
  return true;
}

// Crossings of the ray with an arc: the circle's points level with p that
// lie on the arc's sweep.
bool arcCrossings(const AcGeCircArc2d& arc, const AcGePoint2d& p, int& n) {
  const AcGePoint2d c = arc.center();
  const double r = arc.radius();
  const double dy = p.y - c.y;
  if (std::fabs(std::fabs(dy) - r) <= kRayMargin) return false;
  if (std::fabs(dy) > r) return true;
  if (!arc.IsCircle()) {
    const AcGePoint2d s = arc.startPoint(), e = arc.endPoint();
    if (std::fabs(s.y - p.y) <= kRayMargin || std::fabs(e.y - p.y) <= kRayMargin) return false;
  }
  const double half = std::sqrt(r * r - dy * dy);
  const double twoPi = 2.0 * kPi;
  for (double x : {c.x - half, c.x + half}) {
    bool on = arc.IsCircle();
    if (!on) {
      const double angle = std::atan2(dy, x - c.x);
      double d = arc.isClockWise() ? arc.startAng() - angle : angle - arc.startAng();
      d = std::fmod(d, twoPi);
      if (d < 0) d += twoPi;
      on = d < arc.GetArcSweepangle();
    }
    if (!on) continue;
    if (std::fabs(x - p.x) <= kRayMargin) return false;
    if (x > p.x) ++n;
  }
  return true;
}

}  // namespace

MemberIndex::MemberIndex(GkShape& shape) : m_shape(shape) {
  std::vector<GkCompositeCurve2d*> loops;
  shape.GetCompCurveList(loops);
  m_loops = static_cast<int>(loops.size());
  std::vector<GkCurve2d*> curves;
  for (int l = 0; l < m_loops; ++l) {
    loops[static_cast<std::size_t>(l)]->GetCurveList(curves);
    for (GkCurve2d* c : curves) m_members.push_back(Member{c, c->GetBoundBox(), l});
  }
  // Sort-tile-recursive packing: vertical slices by x, then by y inside each.
  const std::size_t n = m_members.size();
  std::sort(m_members.begin(), m_members.end(),
            [](const Member& a, const Member& b) { return cx(a.box) < cx(b.box); });
  const std::size_t leaves = (n + kFanout - 1) / kFanout;
  const std::size_t slices =
      static_cast<std::size_t>(std::ceil(std::sqrt(static_cast<double>(leaves))));
  const std::size_t perSlice = std::max<std::size_t>(1, slices) * kFanout;
  for (std::size_t s = 0; s < n; s += perSlice) {
    std::sort(m_members.begin() + static_cast<long>(s),
              m_members.begin() + static_cast<long>(std::min(n, s + perSlice)),
              [](const Member& a, const Member& b) { return cy(a.box) < cy(b.box); });
  }
  std::size_t levelStart = 0;
  for (std::size_t i = 0; i < n; i += kFanout) {
    Node leaf{m_members[i].box, static_cast<int>(i),
              static_cast<int>(std::min<std::size_t>(kFanout, n - i)), true};
    for (int k = 1; k < leaf.count; ++k)
      leaf.box = merged(leaf.box, m_members[i + static_cast<std::size_t>(k)].box);
    m_nodes.push_back(leaf);
  }
  while (m_nodes.size() - levelStart > 1) {
    const std::size_t levelEnd = m_nodes.size();
    for (std::size_t i = levelStart; i < levelEnd; i += kFanout) {
      Node parent{m_nodes[i].box, static_cast<int>(i),
                  static_cast<int>(std::min<std::size_t>(kFanout, levelEnd - i)), false};
      for (int k = 1; k < parent.count; ++k)
        parent.box = merged(parent.box, m_nodes[i + static_cast<std::size_t>(k)].box);
      m_nodes.push_back(parent);
    }
    levelStart = levelEnd;
  }
  if (!m_nodes.empty()) m_box = m_nodes.back().box;
}

bool MemberIndex::nearestTo(Member& m, double& best, AcGePoint2d& onM, AcGePoint2d& onThis) const {
  if (m_nodes.empty()) return false;
  const double floor = GkGeoLib::g_tol.EqualPoint();
  std::vector<int> stack{static_cast<int>(m_nodes.size()) - 1};
  while (!stack.empty()) {
    const Node& node = m_nodes[static_cast<std::size_t>(stack.back())];
    stack.pop_back();
    if (boxGap(node.box, m.box) > best) continue;
    if (node.leaf) {
      for (int k = node.first; k < node.first + node.count; ++k) {
        const Member& other = m_members[static_cast<std::size_t>(k)];
        if (boxGap(other.box, m.box) > best) continue;
        AcGePoint2d a, b;
        const double d = memberGap(*m.curve, *other.curve, a, b);
        if (d < best) {
          best = d;
          onM = a;
          onThis = b;
        }
        if (best < floor) {
          best = 0.0;
          return true;
        }
      }
      continue;
    }
    // Children nearest the member last, so they are searched first.
    const std::size_t mark = stack.size();
    for (int k = node.first; k < node.first + node.count; ++k) {
      if (boxGap(m_nodes[static_cast<std::size_t>(k)].box, m.box) <= best) stack.push_back(k);
    }
    std::sort(stack.begin() + static_cast<long>(mark), stack.end(), [&](int a, int b) {
      return boxGap(m_nodes[static_cast<std::size_t>(a)].box, m.box) >
             boxGap(m_nodes[static_cast<std::size_t>(b)].box, m.box);
    });
  }
  return false;
}

double MemberIndex::nearest(MemberIndex& other, AcGePoint2d& onThis, AcGePoint2d& onOther) {
  double best = std::numeric_limits<double>::infinity();
  const bool walkThis = size() <= other.size();
  MemberIndex& walked = walkThis ? *this : other;
  MemberIndex& searched = walkThis ? other : *this;
  AcGePoint2d onWalked, onSearched;
  for (Member& m : walked.m_members) {
    if (boxGap(m.box, searched.m_box) > best) continue;
    if (searched.nearestTo(m, best, onWalked, onSearched)) break;
  }
  onThis = walkThis ? onWalked : onSearched;
  onOther = walkThis ? onSearched : onWalked;
  return best;
}

bool MemberIndex::within(MemberIndex& other, double reach) {
  const bool walkThis = size() <= other.size();
  MemberIndex& walked = walkThis ? *this : other;
  const MemberIndex& searched = walkThis ? other : *this;
  if (searched.m_nodes.empty()) return false;
  std::vector<int> stack;
  for (Member& m : walked.m_members) {
    if (boxGap(m.box, searched.m_box) > reach) continue;
    stack.assign(1, static_cast<int>(searched.m_nodes.size()) - 1);
    while (!stack.empty()) {
      const Node& node = searched.m_nodes[static_cast<std::size_t>(stack.back())];
      stack.pop_back();
      if (boxGap(node.box, m.box) > reach) continue;
      if (!node.leaf) {
        for (int k = node.first; k < node.first + node.count; ++k) stack.push_back(k);
        continue;
      }
      for (int k = node.first; k < node.first + node.count; ++k) {
        const Member& near = searched.m_members[static_cast<std::size_t>(k)];
        if (boxGap(near.box, m.box) > reach) continue;
        AcGePoint2d a, b;
        if (memberGap(*m.curve, *near.curve, a, b) <= reach) return true;
      }
    }
  }
  return false;
}

bool MemberIndex::contains(const AcGePoint2d& pt) {
  const int side = classify(pt);
  return side < 0 ? m_shape.IsPointIn(pt) : side == 1;
}

int MemberIndex::classify(const AcGePoint2d& pt) const {
  if (m_nodes.empty() || pt.y < m_box.minY || pt.y > m_box.maxY || pt.x > m_box.maxX) return 0;
  std::vector<int> crossings(static_cast<std::size_t>(m_loops), 0);
  std::vector<int> stack{static_cast<int>(m_nodes.size()) - 1};
  while (!stack.empty()) {
    const Node& node = m_nodes[static_cast<std::size_t>(stack.back())];
    stack.pop_back();
    if (pt.y < node.box.minY || pt.y > node.box.maxY || pt.x > node.box.maxX) continue;
    if (!node.leaf) {
      for (int k = node.first; k < node.first + node.count; ++k) stack.push_back(k);
      continue;
    }
    for (int k = node.first; k < node.first + node.count; ++k) {
      const Member& m = m_members[static_cast<std::size_t>(k)];
      if (pt.y < m.box.minY - kRayMargin || pt.y > m.box.maxY + kRayMargin ||
          pt.x > m.box.maxX + kRayMargin)
        continue;
      int& n = crossings[static_cast<std::size_t>(m.loop)];
      bool decided = true;
      if (m.curve->GetCrvType() == kCrvLineSeg) {
        decided = segmentCrossings(m.curve->startPoint(), m.curve->endPoint(), pt, n);
      } else if (m.curve->GetCrvType() == kCrvArc) {
        decided = arcCrossings(*static_cast<AcGeCircArc2d*>(m.curve), pt, n);
      } else {
        decided = false;
      }
      if (!decided) return -1;
    }
  }
  if (crossings[0] % 2 == 0) return 0;
  for (std::size_t l = 1; l < crossings.size(); ++l) {
    if (crossings[l] % 2 == 1) return 0;
  }
  return 1;
}
