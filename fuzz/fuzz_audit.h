// The audit of a design that a reader accepted, with the consistency checks
// every finding must pass: indices inside the design, distances and areas
// that are numbers where the finding kind says so.
#pragma once

#include "fuzz_support.h"

#include "designaudit.h"

#include <cmath>

namespace fuzzsupport {

inline void auditAndCheck(const Design& design) {
  const AuditResult result = auditDesign(design);
  const int features = static_cast<int>(design.features.size());
  for (const AuditFinding& f : result.findings) {
    check(f.feature >= 0 && f.feature < features, "finding names a feature");
    check(f.layer >= 0 && f.layer < design.layers.size(), "finding names a layer");
    if (f.kind == FindingKind::Outside) {
      check(f.other == -1, "outside findings name no other feature");
      continue;
    }
    check(f.other > f.feature && f.other < features,
          "pair findings name the higher feature second");
    check(std::isfinite(f.distance) && f.distance >= 0, "pair distance finite, not negative");
    if (f.kind == FindingKind::Clearance)
      check(f.distance < design.clearanceOf(design.features[f.feature]) ||
                f.distance < design.clearanceOf(design.features[f.other]),
            "a clearance finding is closer than a clearance");
    if (f.hasPoints)
      check(
          std::isfinite(f.x1) && std::isfinite(f.y1) && std::isfinite(f.x2) && std::isfinite(f.y2),
          "finding points finite");
  }
}

}  // namespace fuzzsupport
