// GkCompositeCurve2d: ownership, the curve interface answered member by
// member, the box cache, sampling of the whole chain, and the loop sinks.
// The loop-only queries (containment, orientation, area, composite
// distances) live in compositecurve2d_loop.cpp.
#include <engine/compositecurve2d.h>

#include <engine/circarc2d.h>
#include <engine/lineseg2d.h>

#include "compositecurve2d_stamp.h"
#include "compositecurve2d_walk.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <utility>

namespace gk {

namespace {
// Relaxed is enough: a loop and the shape that holds it are used from one
// thread at a time; other threads only need stamps that never repeat.
std::atomic<std::uint64_t> g_listStamps{0};
}  // namespace

std::uint64_t NewListStamp() { return g_listStamps.fetch_add(1, std::memory_order_relaxed) + 1; }

std::uint64_t LatestListStamp() { return g_listStamps.load(std::memory_order_relaxed); }

}  // namespace gk

// ---- loop sinks ----

GetLoopSample::GetLoopSample(std::vector<AcGePoint2d>* list) : m_list(list) {}

void GetLoopSample::AddPoint(const AcGePoint2d& pt) {
  if (!m_seen) {
    m_seen = true;
    return;
  }
  m_list->push_back(pt);
}

GetLoopSamplePoint::GetLoopSamplePoint(GkSamplePoint* sink) : m_sink(sink) {}

void GetLoopSamplePoint::AddPoint(const AcGePoint2d& pt) {
  if (!m_seen) {
    m_seen = true;
    return;
  }
  m_sink->AddPoint(pt);
}

GetLoopSampleXY::GetLoopSampleXY(GkSampleXY* sink) : m_sink(sink) {}

void GetLoopSampleXY::AddXY(const double& x, const double& y) {
  if (!m_seen) {
    m_seen = true;
    return;
  }
  m_sink->AddXY(x, y);
}

GetAreaSampleXY::GetAreaSampleXY(double sum, double prevX, double prevY)
    : m_sum(sum), m_prevX(prevX), m_prevY(prevY) {}

void GetAreaSampleXY::AddXY(const double& x, const double& y) {
  if (!m_seen) {
    m_seen = true;
    return;
  }
  m_sum += (m_prevX + x) * (y - m_prevY);
  m_prevX = x;
  m_prevY = y;
}

// ---- construction and ownership ----

namespace {

// A clone of every member, in order. The clones are held by unique_ptrs
// until all exist, so a Clone or an allocation that throws part-way leaves
// nothing behind.
std::vector<GkCurve2d*> CloneMembers(const std::vector<GkCurve2d*>& members) {
  std::vector<std::unique_ptr<GkCurve2d>> clones;
  clones.reserve(members.size());
  for (GkCurve2d* member : members) clones.emplace_back(member->Clone());
  std::vector<GkCurve2d*> out;
  out.reserve(clones.size());
  for (std::unique_ptr<GkCurve2d>& clone : clones) out.push_back(clone.release());
  return out;
}

}  // namespace

GkCompositeCurve2d::GkCompositeCurve2d() : m_listStamp(gk::NewListStamp()) {}

GkCompositeCurve2d::GkCompositeCurve2d(const GkCompositeCurve2d& src)
    : GkCurve2d(src), m_members(CloneMembers(src.m_members)), m_listStamp(gk::NewListStamp()) {}

GkCompositeCurve2d& GkCompositeCurve2d::operator=(const GkCompositeCurve2d& src) {
  if (this == &src) return *this;
  // Clone first so that a throwing Clone leaves this composite untouched.
  std::vector<GkCurve2d*> copies = CloneMembers(src.m_members);
  DestroyMembers();
  m_members = std::move(copies);
  GkCurve2d::operator=(src);
  m_listStamp = gk::NewListStamp();
  return *this;
}

GkCompositeCurve2d::~GkCompositeCurve2d() { DestroyMembers(); }

void GkCompositeCurve2d::DestroyMembers() {
  for (GkCurve2d* member : m_members) delete member;
  m_members.clear();
}

void GkCompositeCurve2d::append(GkCurve2d* crv) {
  if (crv == nullptr) return;
  // Owned from here on: deleted if the list cannot grow.
  std::unique_ptr<GkCurve2d> owned(crv);
  m_members.push_back(owned.get());
  owned.release();
  boxOutOfDate = true;
  m_listStamp = gk::NewListStamp();
}

void GkCompositeCurve2d::SetCurveList(std::vector<GkCurve2d*>& crvs) {
  std::vector<GkCurve2d*> members;
  members.reserve(crvs.size());
  for (GkCurve2d* crv : crvs) {
    if (crv != nullptr) members.push_back(crv);
  }
  m_members = std::move(members);
  boxOutOfDate = true;
  m_listStamp = gk::NewListStamp();
}

void GkCompositeCurve2d::GetCurveList(std::vector<GkCurve2d*>& crvs) const { crvs = m_members; }

int GkCompositeCurve2d::GetCurveCnt() const { return static_cast<int>(m_members.size()); }

// ---- curve interface: minimum over members ----

GkCurveType GkCompositeCurve2d::GetCrvType() const { return kCrvComposite; }

double GkCompositeCurve2d::distanceTo(AcGeCircArc2d& arc, const GkTolerance& tol) {
  return composite_walk::MinOverMembers(m_members, tol.EqualPoint(),
                                        [&arc](GkCurve2d& m, AcGePoint2d&, AcGePoint2d&) {
                                          return m.distanceTo(arc, GkGeoLib::g_tol);
                                        })
      .Distance();
}

double GkCompositeCurve2d::distanceTo(AcGeLineSeg2d& seg, const GkTolerance& tol) {
  return composite_walk::MinOverMembers(m_members, tol.EqualPoint(),
                                        [&seg](GkCurve2d& m, AcGePoint2d&, AcGePoint2d&) {
                                          return m.distanceTo(seg, GkGeoLib::g_tol);
                                        })
      .Distance();
}

double GkCompositeCurve2d::distanceTo(AcGePoint2d& pt, const GkTolerance& tol) {
  return composite_walk::MinOverMembers(m_members, tol.EqualPoint(),
                                        [&pt](GkCurve2d& m, AcGePoint2d&, AcGePoint2d&) {
                                          return m.distanceTo(pt, GkGeoLib::g_tol);
                                        })
      .Distance();
}

AcGePoint2d GkCompositeCurve2d::closestPointTo(AcGeCircArc2d& arc, AcGePoint2d& other,
                                               const GkTolerance& tol) {
  AcGePoint2d onThis;
  distanceToArc(arc, onThis, other, tol);
  return onThis;
}

AcGePoint2d GkCompositeCurve2d::closestPointTo(AcGeLineSeg2d& seg, AcGePoint2d& other,
                                               const GkTolerance& tol) {
  AcGePoint2d onThis;
  distanceToSeg(seg, onThis, other, tol);
  return onThis;
}

AcGePoint2d GkCompositeCurve2d::closestPointTo(AcGePoint2d& pt, const GkTolerance& tol) {
  return composite_walk::MinOverMembers(m_members, tol.EqualPoint(),
                                        [&pt](GkCurve2d& m, AcGePoint2d& onThis, AcGePoint2d&) {
                                          onThis = m.closestPointTo(pt, GkGeoLib::g_tol);
                                          return onThis.distanceTo(pt);
                                        })
      .onThis;
}

double GkCompositeCurve2d::distanceToSeg(AcGeLineSeg2d& seg, AcGePoint2d& onThis,
                                         AcGePoint2d& onOther, const GkTolerance& tol) {
  const composite_walk::Best best = composite_walk::MinOverMembers(
      m_members, tol.EqualPoint(), [&seg](GkCurve2d& m, AcGePoint2d& a, AcGePoint2d& b) {
        return m.distanceToSeg(seg, a, b, GkGeoLib::g_tol);
      });
  best.WritePair(onThis, onOther);
  return best.Distance();
}

double GkCompositeCurve2d::distanceToArc(AcGeCircArc2d& arc, AcGePoint2d& onThis,
                                         AcGePoint2d& onOther, const GkTolerance& tol) {
  const composite_walk::Best best = composite_walk::MinOverMembers(
      m_members, tol.EqualPoint(), [&arc](GkCurve2d& m, AcGePoint2d& a, AcGePoint2d& b) {
        return m.distanceToArc(arc, a, b, GkGeoLib::g_tol);
      });
  best.WritePair(onThis, onOther);
  return best.Distance();
}

// ---- box, clone, points, flip ----

GkBoundBox2d GkCompositeCurve2d::GetBoundBox() {
  if (!boxOutOfDate) return cachedBox;
  boxOutOfDate = false;
  cachedBox = GkBoundBox2d();
  for (GkCurve2d* member : m_members) {
    const GkBoundBox2d b = member->GetBoundBox();
    if (b.minX <= cachedBox.minX) cachedBox.minX = b.minX;
    if (b.maxX >= cachedBox.maxX) cachedBox.maxX = b.maxX;
    if (b.minY <= cachedBox.minY) cachedBox.minY = b.minY;
    if (b.maxY >= cachedBox.maxY) cachedBox.maxY = b.maxY;
  }
  return cachedBox;
}

GkCurve2d* GkCompositeCurve2d::Clone() {
  auto copy = std::make_unique<GkCompositeCurve2d>();
  copy->m_members = CloneMembers(m_members);
  copy->cachedBox = cachedBox;
  return copy.release();
}

AcGePoint2d GkCompositeCurve2d::GetAnyPoint() const {
  return m_members.empty() ? AcGePoint2d() : m_members.front()->GetAnyPoint();
}

AcGePoint2d GkCompositeCurve2d::startPoint() const {
  return m_members.empty() ? AcGePoint2d() : m_members.front()->startPoint();
}

AcGePoint2d GkCompositeCurve2d::endPoint() const {
  return m_members.empty() ? AcGePoint2d() : m_members.back()->endPoint();
}

AcGePoint2d GkCompositeCurve2d::midPoint() const { return AcGePoint2d(); }

void GkCompositeCurve2d::Flip() {
  std::reverse(m_members.begin(), m_members.end());
  for (GkCurve2d* member : m_members) member->Flip();
}

// ---- sampling of the whole chain ----

void GkCompositeCurve2d::getSamplePoints(GkSamplePoint& sink, const double& tol) {
  if (m_members.empty()) return;
  sink.AddPoint(m_members.front()->startPoint());
  for (GkCurve2d* member : m_members) {
    GetLoopSamplePoint dropFirst(&sink);
    member->getSamplePoints(dropFirst, tol);
  }
}

void GkCompositeCurve2d::GetSamplePointXY(GkSampleXY& sink, const double& tol) {
  if (m_members.empty()) return;
  const AcGePoint2d start = m_members.front()->startPoint();
  sink.AddXY(start.x, start.y);
  for (GkCurve2d* member : m_members) {
    GetLoopSampleXY dropFirst(&sink);
    member->GetSamplePointXY(dropFirst, tol);
  }
}

void GkCompositeCurve2d::GetSampleBuffer(std::vector<AcGePoint2d>& pts, const double& tol) {
  pts.clear();
  if (m_members.empty()) return;
  pts.push_back(m_members.front()->startPoint());
  for (GkCurve2d* member : m_members) {
    GetLoopSample dropFirst(&pts);
    member->getSamplePoints(dropFirst, tol);
  }
}
