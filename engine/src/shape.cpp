// GkShape (a region: outer loop and holes) and GkPolyline2d (a vertex holder).
#include <engine/shape.h>

#include "compositecurve2d_stamp.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

namespace {

// A null loop is replaced by an empty one so that no query ever dereferences
// null and entry 0 stays the outer boundary.
GkCompositeCurve2d* OrEmptyLoop(GkCompositeCurve2d* loop) {
  return loop != nullptr ? loop : new GkCompositeCurve2d();
}

}  // namespace

// ---- GkShape ----

GkShape::GkShape() = default;

// The copied loops carry stamps of their own, so the copy reads its hole
// boxes again on its first containment query.
GkShape::GkShape(const GkShape& src)
    : cachedBox(src.cachedBox),
      boxOutOfDate(src.boxOutOfDate),
      holeBoxes(src.holeBoxes),
      holeStamps(src.holeStamps) {
  // The copies are held by unique_ptrs until all exist: a member's Clone or
  // an allocation that throws part-way leaves nothing behind.
  std::vector<std::unique_ptr<GkCompositeCurve2d>> copies;
  copies.reserve(src.m_loops.size());
  for (GkCompositeCurve2d* loop : src.m_loops)
    copies.push_back(std::make_unique<GkCompositeCurve2d>(*loop));
  m_loops.reserve(copies.size());
  for (std::unique_ptr<GkCompositeCurve2d>& copy : copies) m_loops.push_back(copy.release());
}

GkShape& GkShape::operator=(const GkShape& src) {
  if (this == &src) return *this;
  GkShape copy(src);
  DestroyLoops();
  m_loops = std::move(copy.m_loops);
  copy.m_loops.clear();
  cachedBox = src.cachedBox;
  boxOutOfDate = src.boxOutOfDate;
  holeBoxes = src.holeBoxes;
  holeStamps = src.holeStamps;
  stampsSeen = 0;
  holeGrid = HoleGrid();
  return *this;
}

GkShape::~GkShape() { DestroyLoops(); }

void GkShape::DestroyLoops() {
  for (GkCompositeCurve2d* loop : m_loops) delete loop;
  m_loops.clear();
}

void GkShape::AppendCompCurve(GkCompositeCurve2d* loop) {
  // Owned from here on: deleted if the list cannot grow.
  std::unique_ptr<GkCompositeCurve2d> owned(OrEmptyLoop(loop));
  m_loops.push_back(owned.get());
  owned.release();
  boxOutOfDate = true;
}

void GkShape::SetCurveList(std::vector<GkCompositeCurve2d*>& loops) {
  std::vector<GkCompositeCurve2d*> held;
  held.reserve(loops.size());
  for (GkCompositeCurve2d* loop : loops) held.push_back(OrEmptyLoop(loop));
  m_loops = std::move(held);
  boxOutOfDate = true;
}

void GkShape::GetCompCurveList(std::vector<GkCompositeCurve2d*>& loops) const { loops = m_loops; }

// Also out of date when the outer loop's member list changed through its
// pointer since the box was taken.
GkBoundBox2d GkShape::GetBoundBox() {
  if (!boxOutOfDate && (m_loops.empty() || m_loops.front()->m_listStamp == outerStamp))
    return cachedBox;
  boxOutOfDate = false;
  outerStamp = m_loops.empty() ? 0 : m_loops.front()->m_listStamp;
  cachedBox = m_loops.empty() ? GkBoundBox2d() : m_loops.front()->GetBoundBox();
  stampsSeen = gk::LatestListStamp();
  holeBoxes.clear();
  holeStamps.clear();
  for (std::size_t i = 1; i < m_loops.size(); ++i) {
    holeBoxes.push_back(m_loops[i]->GetBoundBox());
    holeStamps.push_back(m_loops[i]->m_listStamp);
  }
  holeGrid.upToDate = false;
  return cachedBox;
}

// A hole changed through the pointers that GetCompCurveList hands out (its
// members replaced or appended) has a new box: the copy kept here and the
// grid built from it follow.
void GkShape::RefreshHoleBoxes() {
  const std::uint64_t latest = gk::LatestListStamp();
  if (latest == stampsSeen) return;
  stampsSeen = latest;
  for (std::size_t h = 0; h < holeStamps.size(); ++h) {
    GkCompositeCurve2d& hole = *m_loops[h + 1];
    if (hole.m_listStamp == holeStamps[h]) continue;
    holeStamps[h] = hole.m_listStamp;
    const GkBoundBox2d box = hole.GetBoundBox();
    if (box.minX != holeBoxes[h].minX || box.maxX != holeBoxes[h].maxX ||
        box.minY != holeBoxes[h].minY || box.maxY != holeBoxes[h].maxY) {
      holeBoxes[h] = box;
      holeGrid.upToDate = false;
    }
  }
}

namespace {

// Below this many holes a plain scan of their boxes is as fast as the grid.
constexpr std::size_t kMinGridHoles = 16;
// About this many holes per cell, and at most this many cells a side.
constexpr double kHolesPerCell = 1.0;
constexpr std::size_t kMaxCellsPerSide = 1024;
// A hole over more cells than this is kept in the list scanned for every
// point: the grid's size stays within this many entries per hole.
constexpr std::size_t kMaxCellsPerHole = 16;

bool SameTolerance(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

// Cell number of v along one side: floor((v - origin) * per), clamped to
// [0, count - 1] (NaN to 0). Monotonic in v, so every v within a widened
// box lands within the cells of that box's corners.
std::size_t CellAlong(double v, double origin, double per, std::size_t count) {
  const double c = std::floor((v - origin) * per);
  if (!(c >= 0.0)) return 0;
  if (c >= static_cast<double>(count - 1)) return count - 1;
  return static_cast<std::size_t>(c);
}

// The box widened so that it holds every point that Contain accepts with
// tolerance t: twice t, plus a relative margin for the rounding of the
// tests' differences.
GkBoundBox2d Widened(const GkBoundBox2d& b, double t) {
  const double scale =
      std::fabs(b.minX) + std::fabs(b.maxX) + std::fabs(b.minY) + std::fabs(b.maxY) + 1.0;
  const double w = 2.0 * std::fabs(t) + 1e-12 * scale;
  return GkBoundBox2d(b.minX - w, b.maxX + w, b.minY - w, b.maxY + w);
}

bool FiniteBox(const GkBoundBox2d& b) {
  return std::isfinite(b.minX) && std::isfinite(b.maxX) && std::isfinite(b.minY) &&
         std::isfinite(b.maxY) && b.minX <= b.maxX && b.minY <= b.maxY;
}

}  // namespace

void GkShape::BuildHoleGrid(double t) {
  HoleGrid& g = holeGrid;
  g = HoleGrid();
  g.upToDate = true;
  g.tol = t;
  const std::size_t n = holeBoxes.size();
  if (n < kMinGridHoles || !std::isfinite(t)) return;
  // The grid spans the widened boxes of the finite holes; the others (empty
  // loops, boxes that are not finite) are scanned for every point.
  std::vector<GkBoundBox2d> widened(n);
  GkBoundBox2d span;
  std::size_t gridded = 0;
  for (std::size_t h = 0; h < n; ++h) {
    widened[h] = Widened(holeBoxes[h], t);
    if (FiniteBox(widened[h])) {
      span.Combine(widened[h]);
      ++gridded;
    }
  }
  const double w = span.maxX - span.minX, hgt = span.maxY - span.minY;
  if (gridded < kMinGridHoles || !(std::isfinite(w) && std::isfinite(hgt))) return;
  // Cells about square, kHolesPerCell holes each on average.
  const double cells = static_cast<double>(gridded) / kHolesPerCell;
  const double side = std::max(w, hgt) > 0.0 ? std::sqrt(w * hgt / cells) : 0.0;
  auto count = [&](double extent) {
    if (!(side > 0.0) || !(extent > 0.0)) return std::size_t{1};
    return static_cast<std::size_t>(
        std::clamp(std::ceil(extent / side), 1.0, static_cast<double>(kMaxCellsPerSide)));
  };
  g.cols = count(w);
  g.rows = count(hgt);
  g.x0 = span.minX;
  g.y0 = span.minY;
  g.perX = w > 0.0 ? static_cast<double>(g.cols) / w : 0.0;
  g.perY = hgt > 0.0 ? static_cast<double>(g.rows) / hgt : 0.0;

  // Two passes of a counting sort: cells per hole, then the holes per cell.
  std::vector<std::size_t> counts(g.cols * g.rows + 1, 0);
  std::vector<bool> isWide(n, false);
  auto cellsOf = [&](std::size_t h, std::size_t& c0, std::size_t& c1, std::size_t& r0,
                     std::size_t& r1) {
    c0 = CellAlong(widened[h].minX, g.x0, g.perX, g.cols);
    c1 = CellAlong(widened[h].maxX, g.x0, g.perX, g.cols);
    r0 = CellAlong(widened[h].minY, g.y0, g.perY, g.rows);
    r1 = CellAlong(widened[h].maxY, g.y0, g.perY, g.rows);
  };
  for (std::size_t h = 0; h < n; ++h) {
    std::size_t c0, c1, r0, r1;
    cellsOf(h, c0, c1, r0, r1);
    if (!FiniteBox(widened[h]) || (c1 - c0 + 1) * (r1 - r0 + 1) > kMaxCellsPerHole) {
      isWide[h] = true;
      g.wide.push_back(h);
      continue;
    }
    for (std::size_t r = r0; r <= r1; ++r)
      for (std::size_t c = c0; c <= c1; ++c) ++counts[r * g.cols + c + 1];
  }
  for (std::size_t k = 1; k < counts.size(); ++k) counts[k] += counts[k - 1];
  g.cellHoles.resize(counts.back());
  g.cellStart = counts;
  for (std::size_t h = 0; h < n; ++h) {
    if (isWide[h]) continue;
    std::size_t c0, c1, r0, r1;
    cellsOf(h, c0, c1, r0, r1);
    for (std::size_t r = r0; r <= r1; ++r)
      for (std::size_t c = c0; c <= c1; ++c) g.cellHoles[counts[r * g.cols + c]++] = h;
  }
  g.used = true;
}

bool GkShape::IsPointIn(const AcGePoint2d& pt) {
  if (m_loops.empty()) return false;
  if (!GetBoundBox().Contain(pt, GkGeoLib::g_tol)) return false;
  if (!m_loops.front()->IsPointIn(pt)) return false;
  RefreshHoleBoxes();
  auto inHole = [&](std::size_t h) {
    return holeBoxes[h].Contain(pt, GkGeoLib::g_tol) && m_loops[h + 1]->IsPointIn(pt);
  };
  const double t = GkGeoLib::g_tol.EqualPoint();
  if (!holeGrid.upToDate || !SameTolerance(holeGrid.tol, t)) BuildHoleGrid(t);
  if (!holeGrid.used) {
    for (std::size_t h = 0; h < holeBoxes.size(); ++h)
      if (inHole(h)) return false;
    return true;
  }
  for (std::size_t h : holeGrid.wide)
    if (inHole(h)) return false;
  const std::size_t cell =
      CellAlong(pt.y, holeGrid.y0, holeGrid.perY, holeGrid.rows) * holeGrid.cols +
      CellAlong(pt.x, holeGrid.x0, holeGrid.perX, holeGrid.cols);
  for (std::size_t k = holeGrid.cellStart[cell]; k < holeGrid.cellStart[cell + 1]; ++k)
    if (inHole(holeGrid.cellHoles[k])) return false;
  return true;
}

// ---- GkPolyline2d ----

GkPolyline2d::GkPolyline2d() = default;

GkPolyline2d::GkPolyline2d(const std::vector<AcGePoint2d>& pts) : m_vertices(pts) {}

GkPolyline2d::GkPolyline2d(const GkCurve2d&, double) {}

GkPolyline2d::GkPolyline2d(const GkPolyline2d& src) : GkCurve2d(), m_vertices(src.m_vertices) {}

GkPolyline2d& GkPolyline2d::operator=(const GkPolyline2d& src) {
  GkCurve2d::operator=(src);
  m_vertices = src.m_vertices;
  return *this;
}

GkPolyline2d::~GkPolyline2d() = default;

GkCurveType GkPolyline2d::GetCrvType() { return kCrvPolyline; }
