#include "designaudit.h"

#include "boxsweep.h"
#include "designreader.h"
#include "regionops.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <tuple>

using namespace auditrules;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

AuditFinding finding(FindingKind kind, int feature, int other) {
  return AuditFinding{kind, feature, other, kNaN, false, kNaN, kNaN, kNaN, kNaN, kNaN};
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
    m_boardMemberBoxes = memberBoxes(*m_board);
    for (const DesignFeature& f : design.features) m_shapes.push_back(makeShape(f.region));
  }

  AuditResult run() {
    std::vector<SweepBox> boxes;
    for (auto& s : m_shapes) boxes.push_back(sweepBox(*s));
    for (const auto& [i, j] : nearBoxPairs(boxes, m_design.clearance + kContactTol)) {
      if (m_design.features[i].net != m_design.features[j].net) checkPair(i, j);
    }
    for (int i = 0; i < static_cast<int>(m_shapes.size()); ++i) checkInsideBoard(i);
    std::sort(m_result.findings.begin(), m_result.findings.end(),
              [](const AuditFinding& a, const AuditFinding& b) {
                return std::make_tuple(a.kind, a.feature, a.other) <
                       std::make_tuple(b.kind, b.feature, b.other);
              });
    return std::move(m_result);
  }

private:
  // i < j: the finding names feature i first, with its point first.
  void checkPair(int i, int j) {
    GkShape& a = *m_shapes[i];
    GkShape& b = *m_shapes[j];
    const BoundaryGap gap = boundaryGap(a, b);
    const bool contact = gap.distance <= kContactTol;
    if (contact || anyLoopInside(a, b) || anyLoopInside(b, a)) {
      AuditFinding f = finding(FindingKind::Short, i, j);
      f.distance = 0.0;
      if (contact) setPoints(f, gap.onA, gap.onB);
      f.area = clippedArea(a, b, kClipIntersection);
      m_result.findings.push_back(f);
    } else if (gap.distance < m_design.clearance) {
      AuditFinding f = finding(FindingKind::Clearance, i, j);
      f.distance = gap.distance;
      setPoints(f, gap.onA, gap.onB);
      m_result.findings.push_back(f);
    }
  }

  // With the boundaries apart the loop tests decide exactly; where they
  // touch, the clipped outside area decides, above the sampling noise band.
  void checkInsideBoard(int i) {
    GkShape& feature = *m_shapes[i];
    double area = kNaN;
    bool outside = false;
    if (!nearBoardBoundary(feature) || boundaryGap(feature, *m_board).distance > kContactTol) {
      outside = anyLoopOutside(feature, *m_board) || anyLoopInside(*m_board, feature);
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
      m_result.findings.push_back(f);
    }
  }

  // Cheap first test: the boundaries cannot touch unless some board member's
  // box comes within the contact tolerance of the feature's box.
  bool nearBoardBoundary(GkShape& feature) const {
    const SweepBox f = sweepBox(feature);
    for (const GkBoundBox2d& b : m_boardMemberBoxes) {
      if (b.minX - f.maxX <= kContactTol && f.minX - b.maxX <= kContactTol &&
          b.minY - f.maxY <= kContactTol && f.minY - b.maxY <= kContactTol) {
        return true;
      }
    }
    return false;
  }

  const Design& m_design;
  std::unique_ptr<GkShape> m_board;
  std::vector<GkBoundBox2d> m_boardMemberBoxes;
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
