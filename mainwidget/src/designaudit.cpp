#include "designaudit.h"

#include "boxsweep.h"
#include "designreader.h"
#include "memberindex.h"
#include "regionops.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <tuple>

using namespace auditrules;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Features with more members than this are cut to the other feature's box
// before their overlap is clipped; the cut lies this far outside the box
// (drawing units), well beyond the clipper's grid and sampling error.
constexpr int kCropMembers = 256;
constexpr double kCropMargin = 1.0;
// Points of a loop tried for its side before the exact loop test.
constexpr std::size_t kSideTries = 8;
// Two large polygons are clipped in tiles of about this many members.
constexpr double kTileMembers = 4000;

AuditFinding finding(FindingKind kind, int feature, int other) {
  return AuditFinding{kind, feature, other, kNaN, false, kNaN, kNaN, kNaN, kNaN, kNaN, 0};
}

void setPoints(AuditFinding& f, const AcGePoint2d& a, const AcGePoint2d& b) {
  f.hasPoints = true;
  f.x1 = a.x;
  f.y1 = a.y;
  f.x2 = b.x;
  f.y2 = b.y;
}

SweepBox sweepBox(GkShape& shape) {
  const GkBoundBox2d b = shape.GetBoundBox();
  return SweepBox{b.minX, b.maxX, b.minY, b.maxY};
}

class Auditor {
public:
  explicit Auditor(const Design& design) : m_design(design) {
    m_board = makeShape(design.board);
    m_boardIndex = std::make_unique<MemberIndex>(*m_board);
    for (const DesignFeature& f : design.features) m_shapes.push_back(makeShape(f.region));
    m_indexes.resize(m_shapes.size());
  }

  AuditResult run() {
    for (int layer = 0; layer < static_cast<int>(m_design.layers.size()); ++layer) {
      checkLayer(layer);
    }
    for (int i = 0; i < static_cast<int>(m_shapes.size()); ++i) checkInsideBoard(i);
    std::sort(m_result.findings.begin(), m_result.findings.end(),
              [](const AuditFinding& a, const AuditFinding& b) {
                return std::make_tuple(a.layer, a.kind, a.feature, a.other) <
                       std::make_tuple(b.layer, b.kind, b.feature, b.other);
              });
    return std::move(m_result);
  }

private:
  // Pairs meet only within one layer; the broad phase reaches as far as the
  // largest clearance on the layer.
  void checkLayer(int layer) {
    std::vector<int> members;
    std::vector<SweepBox> boxes;
    double reach = 0.0;
    for (int i = 0; i < static_cast<int>(m_shapes.size()); ++i) {
      const DesignFeature& f = m_design.features[static_cast<std::size_t>(i)];
      if (f.layer != layer) continue;
      members.push_back(i);
      boxes.push_back(sweepBox(*m_shapes[static_cast<std::size_t>(i)]));
      reach = std::max(reach, m_design.clearanceOf(f));
    }
    for (const auto& [a, b] : nearBoxPairs(boxes, reach + kContactTol)) {
      const int i = members[static_cast<std::size_t>(a)];
      const int j = members[static_cast<std::size_t>(b)];
      if (feature(i).net != feature(j).net) checkPair(i, j);
    }
  }

  const DesignFeature& feature(int i) const {
    return m_design.features[static_cast<std::size_t>(i)];
  }

  // i < j: the finding names feature i first, with its point first. A gap
  // counts as a clearance violation only when it falls short of the pair's
  // clearance by more than the contact tolerance, so that coordinates
  // rounded from decimal files do not report pads placed exactly at it.
  void checkPair(int i, int j) {
    GkShape& a = *m_shapes[static_cast<std::size_t>(i)];
    GkShape& b = *m_shapes[static_cast<std::size_t>(j)];
    const double clearance =
        std::max(m_design.clearanceOf(feature(i)), m_design.clearanceOf(feature(j)));
    MemberIndex& ia = index(i);
    MemberIndex& ib = index(j);
    const BoundaryGap gap = nearestPair(ia, ib);
    const bool contact = gap.distance <= kContactTol;
    if (contact || anyLoopIn(a, ib) || anyLoopIn(b, ia)) {
      AuditFinding f = finding(FindingKind::Short, i, j);
      f.distance = 0.0;
      if (contact) setPoints(f, gap.onA, gap.onB);
      f.area = overlapArea(i, j);
      add(f);
    } else if (gap.distance < clearance - kContactTol) {
      AuditFinding f = finding(FindingKind::Clearance, i, j);
      f.distance = gap.distance;
      setPoints(f, gap.onA, gap.onB);
      add(f);
    }
  }

  // Area of the overlap of two features. A large feature (a copper fill) is
  // first cut to the other's box, so that the region clipper works on the
  // part that matters instead of the whole fill for every short; two large
  // polygons are cut into tiles of their common box and clipped tile by
  // tile (the clipper's cost grows faster than its input).
  double overlapArea(int i, int j) {
    GkShape& a = *m_shapes[static_cast<std::size_t>(i)];
    GkShape& b = *m_shapes[static_cast<std::size_t>(j)];
    const int na = index(i).size(), nb = index(j).size();
    if (std::max(na, nb) <= kCropMembers) return clippedArea(a, b, kClipIntersection);
    GkShape& large = na >= nb ? a : b;
    GkShape& small = na >= nb ? b : a;
    if (!onlySegments(large) || (std::min(na, nb) > kCropMembers && !onlySegments(small))) {
      return clippedArea(a, b, kClipIntersection);
    }
    if (std::min(na, nb) <= kCropMembers) {
      const std::unique_ptr<GkShape> cropped =
          croppedToBox(large, grown(small.GetBoundBox(), kCropMargin));
      return cropped ? clippedArea(small, *cropped, kClipIntersection) : 0.0;
    }
    const GkBoundBox2d ba = a.GetBoundBox(), bb = b.GetBoundBox();
    const GkBoundBox2d common(std::max(ba.minX, bb.minX), std::min(ba.maxX, bb.maxX),
                              std::max(ba.minY, bb.minY), std::min(ba.maxY, bb.maxY));
    const int tiles =
        static_cast<int>(std::ceil(std::sqrt(static_cast<double>(na + nb) / kTileMembers)));
    double area = 0.0;
    for (int tx = 0; tx < tiles; ++tx) {
      for (int ty = 0; ty < tiles; ++ty) {
        // Tiles share their edges exactly, so the pieces add up.
        const GkBoundBox2d tile(
            common.minX + (common.maxX - common.minX) * tx / tiles,
            tx + 1 == tiles ? common.maxX
                            : common.minX + (common.maxX - common.minX) * (tx + 1) / tiles,
            common.minY + (common.maxY - common.minY) * ty / tiles,
            ty + 1 == tiles ? common.maxY
                            : common.minY + (common.maxY - common.minY) * (ty + 1) / tiles);
        const std::unique_ptr<GkShape> pa = croppedToBox(a, tile);
        const std::unique_ptr<GkShape> pb = pa ? croppedToBox(b, tile) : nullptr;
        if (pa && pb) area += clippedArea(*pa, *pb, kClipIntersection);
      }
    }
    return area;
  }

  static GkBoundBox2d grown(const GkBoundBox2d& b, double margin) {
    return GkBoundBox2d(b.minX - margin, b.maxX + margin, b.minY - margin, b.maxY + margin);
  }

  // Each feature's members are indexed once, on its first pair.
  MemberIndex& index(int i) {
    std::unique_ptr<MemberIndex>& slot = m_indexes[static_cast<std::size_t>(i)];
    if (!slot) slot = std::make_unique<MemberIndex>(*m_shapes[static_cast<std::size_t>(i)]);
    return *slot;
  }

  static BoundaryGap nearestPair(MemberIndex& a, MemberIndex& b) {
    BoundaryGap gap{0.0, AcGePoint2d(), AcGePoint2d()};
    gap.distance = a.nearest(b, gap.onA, gap.onB);
    return gap;
  }

  // As anyLoopInside / anyLoopOutside, with the region's index. With the
  // boundaries apart every point of a loop lies on the same side, so where
  // the ray from one point is degenerate (level with a vertex, as on grid
  // aligned boards) the middles of the next members are tried before the
  // region's own exact test.
  static bool anyLoopIn(GkShape& loopsOf, MemberIndex& region, bool inside = true) {
    std::vector<GkCompositeCurve2d*> loops;
    loopsOf.GetCompCurveList(loops);
    std::vector<GkCurve2d*> members;
    for (GkCompositeCurve2d* loop : loops) {
      if (loop->GetCurveCnt() == 0) continue;
      loop->GetCurveList(members);
      int side = region.classify(loop->GetAnyPoint());
      for (std::size_t k = 0; side < 0 && k < std::min<std::size_t>(members.size(), kSideTries);
           ++k) {
        side = region.classify(members[k]->midPoint());
      }
      const bool in = side < 0 ? region.contains(loop->GetAnyPoint()) : side == 1;
      if (in == inside) return true;
    }
    return false;
  }

  void add(AuditFinding f) {
    f.layer = feature(f.feature).layer;
    m_result.findings.push_back(f);
  }

  // With the boundaries apart the loop tests decide exactly; where they
  // touch, the clipped outside area decides, above the sampling noise band.
  void checkInsideBoard(int i) {
    GkShape& feature = *m_shapes[i];
    double area = kNaN;
    bool outside = false;
    if (nearestPair(index(i), *m_boardIndex).distance > kContactTol) {
      outside = anyLoopIn(feature, *m_boardIndex, false) || anyLoopIn(*m_board, index(i));
      if (outside) area = clippedArea(feature, *m_board, kClipDifference);
    } else {
      bool ok = true;
      area = 0.0;
      for (const RegionPart& part : clippedParts(feature, *m_board, kClipDifference, ok)) {
        area += part.area;
        outside = outside || part.area > kOutsideBand * part.boundary;
      }
      if (!ok) {  // undecided counts as a finding
        area = kNaN;
        outside = true;
      }
    }
    if (outside) {
      AuditFinding f = finding(FindingKind::Outside, i, -1);
      f.area = area;
      add(f);
    }
  }

  const Design& m_design;
  std::unique_ptr<GkShape> m_board;
  std::unique_ptr<MemberIndex> m_boardIndex;
  std::vector<std::unique_ptr<MemberIndex>> m_indexes;
  std::vector<std::unique_ptr<GkShape>> m_shapes;
  AuditResult m_result;
};

}  // namespace

QString findingKindName(FindingKind kind) {
  switch (kind) {
    case FindingKind::Short: return QStringLiteral("short");
    case FindingKind::Clearance: return QStringLiteral("clearance");
    case FindingKind::Outside: break;
  }
  return QStringLiteral("outside");
}

int AuditResult::count(FindingKind kind) const {
  return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                        [kind](const AuditFinding& f) { return f.kind == kind; }));
}

AuditResult auditDesign(const Design& design) { return Auditor(design).run(); }

int AuditReport::exitCode() const {
  if (!readable) return 2;
  return result.findings.empty() ? 0 : 1;
}

AuditReport auditDesignFile(const QString& path) {
  AuditReport report;
  report.readable = readDesignFile(path, report.design, report.error);
  if (report.readable) report.result = auditDesign(report.design);
  return report;
}
