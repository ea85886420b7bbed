// GkShape (a region: outer loop and holes) and GkPolyline2d (a vertex holder).
#include <engine/shape.h>

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

GkShape::GkShape(const GkShape& src)
    : cachedBox(src.cachedBox), boxOutOfDate(src.boxOutOfDate), holeBoxes(src.holeBoxes) {
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

GkBoundBox2d GkShape::GetBoundBox() {
  if (!boxOutOfDate) return cachedBox;
  boxOutOfDate = false;
  cachedBox = m_loops.empty() ? GkBoundBox2d() : m_loops.front()->GetBoundBox();
  holeBoxes.clear();
  for (std::size_t i = 1; i < m_loops.size(); ++i) holeBoxes.push_back(m_loops[i]->GetBoundBox());
  return cachedBox;
}

bool GkShape::IsPointIn(const AcGePoint2d& pt) {
  if (m_loops.empty()) return false;
  if (!GetBoundBox().Contain(pt, GkGeoLib::g_tol)) return false;
  if (!m_loops.front()->IsPointIn(pt)) return false;
  for (std::size_t i = 1; i < m_loops.size(); ++i) {
    if (!holeBoxes[i - 1].Contain(pt, GkGeoLib::g_tol)) continue;
    if (m_loops[i]->IsPointIn(pt)) return false;
  }
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
