// The minimum-over-members walk shared by the composite's distance and
// closest-point queries: members are asked in list order, a member replaces
// the best only when strictly smaller (the earlier member wins ties), and the
// walk stops at the first best value below the touch threshold.
#pragma once

#include <engine/curve2d.h>

#include <limits>
#include <vector>

namespace composite_walk {

struct Best {
  double value = std::numeric_limits<double>::infinity();
  AcGePoint2d onThis;    // point on the composite's member
  AcGePoint2d onOther;   // point on the queried curve
  bool found = false;    // some member improved on +inf
  bool touched = false;  // the walk stopped below the threshold

  // 0 once the walk touched, else the best value (+inf when nothing found).
  double Distance() const { return touched ? 0.0 : value; }
  // Writes the pair only when some member gave one.
  void WritePair(AcGePoint2d& a, AcGePoint2d& b) const {
    if (!found) return;
    a = onThis;
    b = onOther;
  }
};

// query(member, a, b) returns the member's value and may write a (point on
// the member) and b (point on the other curve); both start at (0, 0) for each
// member. A member answering +inf or NaN never becomes the best.
template <typename Query>
Best MinOverMembers(const std::vector<GkCurve2d*>& members, double touch, Query query) {
  Best best;
  for (GkCurve2d* member : members) {
    AcGePoint2d a;
    AcGePoint2d b;
    const double value = query(*member, a, b);
    if (!(value < best.value)) continue;
    best.value = value;
    best.onThis = a;
    best.onOther = b;
    best.found = true;
    if (best.value < touch) {
      best.touched = true;
      break;
    }
  }
  return best;
}

}  // namespace composite_walk
