// GEOS baseline through its reentrant C API (Debian libgeos-dev).
#include "peers.h"

#define GEOS_USE_ONLY_R_API
#include <geos_c.h>

namespace bench {

namespace {

void KeepMessage(const char* message, void* userdata) {
  *static_cast<std::string*>(userdata) = message;
}

class GeosPeer : public Peer {
public:
  GeosPeer(const std::vector<Polygon>& subject, const std::vector<Polygon>& clips, PeerPlan plan)
      : m_ctx(GEOS_init_r()), m_plan(plan) {
    GEOSContext_setErrorMessageHandler_r(m_ctx, KeepMessage, &m_error);
    const std::vector<Polygon> none;
    switch (plan) {
      case PeerPlan::DifferenceOfDisjoint:
        m_subject = MakeCollection(GEOS_MULTIPOLYGON, subject, none);
        m_clips = MakeCollection(GEOS_MULTIPOLYGON, clips, none);
        break;
      case PeerPlan::UnionOfAll:
        m_clips = MakeCollection(GEOS_GEOMETRYCOLLECTION, subject, clips);
        break;
      case PeerPlan::DifferenceOfUnion:
        m_subject = MakeCollection(GEOS_MULTIPOLYGON, subject, none);
        m_clips = MakeCollection(GEOS_GEOMETRYCOLLECTION, clips, none);
        break;
    }
  }

  ~GeosPeer() override {
    Destroy(m_result);
    Destroy(m_clips);
    Destroy(m_subject);
    GEOS_finish_r(m_ctx);
  }

  GeosPeer(const GeosPeer&) = delete;
  GeosPeer& operator=(const GeosPeer&) = delete;

  bool Run() override {
    Destroy(m_result);
    switch (m_plan) {
      case PeerPlan::DifferenceOfDisjoint:
        m_result = GEOSDifference_r(m_ctx, m_subject, m_clips);
        break;
      case PeerPlan::UnionOfAll: m_result = GEOSUnaryUnion_r(m_ctx, m_clips); break;
      case PeerPlan::DifferenceOfUnion: {
        GEOSGeometry* clips = GEOSUnaryUnion_r(m_ctx, m_clips);
        if (clips != nullptr) m_result = GEOSDifference_r(m_ctx, m_subject, clips);
        Destroy(clips);
        break;
      }
    }
    if (m_result == nullptr && m_error.empty()) m_error = "GEOS returned no geometry";
    return m_result != nullptr;
  }

  void Clear() override { Destroy(m_result); }

  PeerFigures Figures() const override {
    PeerFigures f;
    if (m_result == nullptr) return f;
    GEOSArea_r(m_ctx, m_result, &f.area);
    // The result is a Polygon, a MultiPolygon or (empty) a collection.
    auto addPolygon = [&](const GEOSGeometry* p) {
      if (GEOSGeomTypeId_r(m_ctx, p) != GEOS_POLYGON || GEOSisEmpty_r(m_ctx, p) == 1) return;
      ++f.polygons;
      const int holes = GEOSGetNumInteriorRings_r(m_ctx, p);
      f.rings += 1 + holes;
      f.vertices += GEOSGeomGetNumPoints_r(m_ctx, GEOSGetExteriorRing_r(m_ctx, p)) - 1;
      for (int h = 0; h < holes; ++h) {
        f.vertices += GEOSGeomGetNumPoints_r(m_ctx, GEOSGetInteriorRingN_r(m_ctx, p, h)) - 1;
      }
    };
    if (GEOSGeomTypeId_r(m_ctx, m_result) == GEOS_POLYGON) {
      addPolygon(m_result);
    } else {
      const int n = GEOSGetNumGeometries_r(m_ctx, m_result);
      for (int k = 0; k < n; ++k) addPolygon(GEOSGetGeometryN_r(m_ctx, m_result, k));
    }
    return f;
  }

private:
  // Closed ring: the first point repeated at the end.
  GEOSGeometry* MakeRing(const Ring& ring) const {
    std::vector<double> xy;
    xy.reserve(2 * ring.size() + 2);
    for (const XY& p : ring) {
      xy.push_back(p.x);
      xy.push_back(p.y);
    }
    if (!ring.empty()) {
      xy.push_back(ring.front().x);
      xy.push_back(ring.front().y);
    }
    GEOSCoordSequence* seq = GEOSCoordSeq_copyFromBuffer_r(m_ctx, xy.data(), xy.size() / 2, 0, 0);
    return GEOSGeom_createLinearRing_r(m_ctx, seq);
  }

  GEOSGeometry* MakePolygon(const Polygon& polygon) const {
    if (polygon.empty()) return GEOSGeom_createEmptyPolygon_r(m_ctx);
    GEOSGeometry* shell = MakeRing(polygon.front());
    std::vector<GEOSGeometry*> holes;
    for (std::size_t h = 1; h < polygon.size(); ++h) holes.push_back(MakeRing(polygon[h]));
    return GEOSGeom_createPolygon_r(m_ctx, shell, holes.data(),
                                    static_cast<unsigned>(holes.size()));
  }

  // A collection of the given type that owns the polygons of both lists, in
  // order.
  GEOSGeometry* MakeCollection(int type, const std::vector<Polygon>& a,
                               const std::vector<Polygon>& b) const {
    std::vector<GEOSGeometry*> parts;
    parts.reserve(a.size() + b.size());
    for (const Polygon& p : a) parts.push_back(MakePolygon(p));
    for (const Polygon& p : b) parts.push_back(MakePolygon(p));
    return GEOSGeom_createCollection_r(m_ctx, type, parts.data(),
                                       static_cast<unsigned>(parts.size()));
  }

  void Destroy(GEOSGeometry*& g) {
    if (g != nullptr) GEOSGeom_destroy_r(m_ctx, g);
    g = nullptr;
  }

  GEOSContextHandle_t m_ctx;
  PeerPlan m_plan;
  GEOSGeometry* m_subject = nullptr;  // MultiPolygon (DifferenceOf*)
  GEOSGeometry* m_clips = nullptr;    // MultiPolygon (disjoint) or GeometryCollection
  GEOSGeometry* m_result = nullptr;
};

}  // namespace

std::unique_ptr<Peer> MakeGeosPeer(const std::vector<Polygon>& subject,
                                   const std::vector<Polygon>& clips, PeerPlan plan) {
  return std::make_unique<GeosPeer>(subject, clips, plan);
}

}  // namespace bench
