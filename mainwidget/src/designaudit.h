// The design audit, layer by layer: every pair of features on different
// nets whose regions overlap or touch (a short), every such pair closer
// than its clearance (the larger of the two features' clearances) by more
// than the contact tolerance (with the distance and the two nearest
// points), and every feature not wholly inside the board region.
#pragma once

#include "design.h"

#include <engine/clipper.h>

#include <QString>

#include <vector>

namespace auditrules {
// Regions whose boundaries come this close are in contact: a short (drawing
// units). Far below any real clearance, far above rounding noise.
constexpr double kContactTol = 1e-6;
// Where a feature's boundary touches the board's, the outside part is
// measured by the region clipper, which samples arcs to kClipperSampleTol:
// a part whose mean width (twice its area over its boundary length) stays
// within twice that band is sampling noise, not a violation.
constexpr double kOutsideBand = kClipperSampleTol;
}  // namespace auditrules

enum class FindingKind { Short, Clearance, Outside };

// "short", "clearance" or "outside".
QString findingKindName(FindingKind kind);

struct AuditFinding {
  FindingKind kind = FindingKind::Short;
  int feature = -1;  // index into Design::features; the lower one of a pair
  int other = -1;    // the pair's other feature; -1 for the board
  double distance;   // 0 for a short, the gap for clearance; NaN for outside
  bool hasPoints;    // x1..y2 hold the nearest (or contact) points
  double x1, y1;     // on feature
  double x2, y2;     // on other
  double area;       // overlap (short) or outside area; NaN when not measured
  int layer;         // index into Design::layers
};

struct AuditResult {
  // Layer by layer: shorts, then clearance violations, then features
  // outside the board; each kind ordered by feature, then other.
  std::vector<AuditFinding> findings;
  int count(FindingKind kind) const;
};

AuditResult auditDesign(const Design& design);

// A design file read and audited in one go.
struct AuditReport {
  bool readable = false;
  QString error;  // why the design could not be read
  Design design;
  AuditResult result;
  // 0 clean, 1 violations found, 2 design unreadable.
  int exitCode() const;
};

AuditReport auditDesignFile(const QString& path);
