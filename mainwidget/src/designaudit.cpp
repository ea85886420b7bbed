#include "designaudit.h"

#include "boxsweep.h"
#include "designreader.h"
#include "memberindex.h"
#include "regionops.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <numeric>
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

// The shape's box grown by margin on every side.
SweepBox sweepBox(GkShape& shape, double margin) {
  const GkBoundBox2d b = shape.GetBoundBox();
  return SweepBox{b.minX - margin, b.maxX + margin, b.minY - margin, b.maxY + margin};
}

// Points of one loop that decide on which side of a region it lies: its
// test point, then the middles of its first members (see anyLoopIn).
struct LoopProbe {
  AcGePoint2d any;
  std::vector<AcGePoint2d> middles;
};

std::vector<LoopProbe> probesOf(GkShape& shape) {
  std::vector<GkCompositeCurve2d*> loops;
  shape.GetCompCurveList(loops);
  std::vector<LoopProbe> probes;
  std::vector<GkCurve2d*> members;
  for (GkCompositeCurve2d* loop : loops) {
    if (loop->GetCurveCnt() == 0) continue;
    loop->GetCurveList(members);
    LoopProbe probe{loop->GetAnyPoint(), {}};
    for (std::size_t k = 0; k < std::min(members.size(), kSideTries); ++k)
      probe.middles.push_back(members[k]->midPoint());
    probes.push_back(std::move(probe));
  }
  return probes;
}

// Whether the loop lies inside region. With the boundaries apart every point
// of a loop lies on the same side, so where the ray from its test point is
// degenerate (level with a vertex, as on grid aligned boards) the middles
// of its first members are tried before the region's own exact test.
bool loopIn(const LoopProbe& loop, MemberIndex& region) {
  int side = region.classify(loop.any);
  for (std::size_t k = 0; side < 0 && k < loop.middles.size(); ++k)
    side = region.classify(loop.middles[k]);
  return side < 0 ? region.contains(loop.any) : side == 1;
}

class Auditor {
public:
  explicit Auditor(const Design& design) : m_design(design) {
    m_board = makeShape(design.board);
    m_boardIndex = std::make_unique<MemberIndex>(*m_board);
    m_boardProbes = probesOf(*m_board);
    std::sort(m_boardProbes.begin(), m_boardProbes.end(),
              [](const LoopProbe& a, const LoopProbe& b) { return a.any.x < b.any.x; });
    for (const DesignFeature& f : design.features) m_shapes.push_back(makeShape(f.region));
    m_indexes.resize(m_shapes.size());
    m_probes.resize(m_shapes.size());
  }

  AuditResult run() {
    // Features grouped by layer once, each group in feature order; features
    // on no layer of the design meet nothing.
    std::vector<int> order(m_shapes.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return feature(a).layer < feature(b).layer; });
    for (auto first = order.begin(); first != order.end();) {
      const int layer = feature(*first).layer;
      const auto last =
          std::find_if(first, order.end(), [&](int i) { return feature(i).layer != layer; });
      if (layer >= 0 && layer < static_cast<int>(m_design.layers.size()))
        checkLayer(std::vector<int>(first, last));
      first = last;
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
  // The pairs of one layer's features (in feature order). Each box is grown
  // by its own feature's clearance: a pair's clearance is the larger of its
  // two, so the grown boxes of a pair closer than that still meet within
  // the contact tolerance, and a feature with a huge clearance reaches only
  // its own pairs, not those of every other feature on the layer.
  void checkLayer(const std::vector<int>& members) {
    std::vector<SweepBox> boxes;
    for (int i : members) {
      boxes.push_back(
          sweepBox(*m_shapes[static_cast<std::size_t>(i)], m_design.clearanceOf(feature(i))));
    }
    for (const auto& [a, b] : nearBoxPairs(boxes, kContactTol)) {
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
    const double clearance =
        std::max(m_design.clearanceOf(feature(i)), m_design.clearanceOf(feature(j)));
    MemberIndex& ia = index(i);
    MemberIndex& ib = index(j);
    const BoundaryGap gap = nearestPair(ia, ib);
    const bool contact = gap.distance <= kContactTol;
    if (contact || anyLoopIn(probes(i), ib) || anyLoopIn(probes(j), ia)) {
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

  // The loops of feature i as probes, made on first use.
  const std::vector<LoopProbe>& probes(int i) {
    std::unique_ptr<std::vector<LoopProbe>>& slot = m_probes[static_cast<std::size_t>(i)];
    if (!slot) {
      slot = std::make_unique<std::vector<LoopProbe>>(
          probesOf(*m_shapes[static_cast<std::size_t>(i)]));
    }
    return *slot;
  }

  // As anyLoopInside / anyLoopOutside, with the region's index.
  static bool anyLoopIn(const std::vector<LoopProbe>& loops, MemberIndex& region,
                        bool inside = true) {
    return std::any_of(loops.begin(), loops.end(),
                       [&](const LoopProbe& loop) { return loopIn(loop, region) == inside; });
  }

  // Whether a loop of the board lies inside feature i. Only a loop whose
  // test point lies in the feature's box can; the board's loops are sorted
  // by that point's x, so that a feature looks at the few level with it.
  bool boardLoopIn(int i) {
    MemberIndex& region = index(i);
    const GkBoundBox2d box = region.box();
    auto it = std::lower_bound(m_boardProbes.begin(), m_boardProbes.end(), box.minX,
                               [](const LoopProbe& loop, double x) { return loop.any.x < x; });
    for (; it != m_boardProbes.end() && it->any.x <= box.maxX; ++it) {
      if (it->any.y >= box.minY && it->any.y <= box.maxY && loopIn(*it, region)) return true;
    }
    return false;
  }

  void add(AuditFinding f) {
    f.layer = feature(f.feature).layer;
    m_result.findings.push_back(f);
  }

  // With the boundaries apart the loop tests decide exactly; where they
  // touch, the clipped outside area decides, above the sampling noise band.
  // Whether they touch asks the board's index only about its members near
  // the feature, never for the nearest of all of them.
  void checkInsideBoard(int i) {
    GkShape& feature = *m_shapes[static_cast<std::size_t>(i)];
    double area = kNaN;
    bool outside = false;
    if (!index(i).within(*m_boardIndex, kContactTol)) {
      outside = anyLoopIn(probes(i), *m_boardIndex, false) || boardLoopIn(i);
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
  std::vector<LoopProbe> m_boardProbes;  // by the x of their test points
  std::vector<std::unique_ptr<MemberIndex>> m_indexes;
  std::vector<std::unique_ptr<std::vector<LoopProbe>>> m_probes;
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
