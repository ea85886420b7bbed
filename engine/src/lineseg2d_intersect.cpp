// AcGeLineSeg2d: the three segment-with-segment intersection operations and
// the rejection tests they share with the closest-pair code.
#include <engine/lineseg2d.h>

#include "lineseg2d_orient.h"

#include <algorithm>
#include <cmath>

namespace segdetail {

COMPAREVAL orientationCode(const AcGePoint2d& a, const AcGePoint2d& b, const AcGePoint2d& p,
                           const GkTolerance& tol) {
  const double m = (p.x - a.x) * (b.y - a.y) - (p.y - a.y) * (b.x - a.x);
  const double q = GkTolerance::GetSquareTol(tol).EqualPoint();
  if (std::fabs(m) <= q) return CMP_EQUAL;
  return m > q ? CMP_GREATER : CMP_LESS;
}

bool passesRejectionTests(AcGeLineSeg2d& self, AcGeLineSeg2d& other, const GkTolerance& tol,
                          PairCodes& codes) {
  GkBoundBox2d box = self.GetBoundBox();
  GkBoundBox2d otherBox = other.GetBoundBox();
  if (!box.IsOverLap(otherBox, tol)) return false;

  const AcGePoint2d s = self.startPoint();
  const AcGePoint2d e = self.endPoint();
  const AcGePoint2d so = other.startPoint();
  const AcGePoint2d eo = other.endPoint();

  codes.o1 = orientationCode(s, e, so, tol);
  codes.o2 = orientationCode(s, e, eo, tol);
  if (codes.o1 == codes.o2 && codes.o1 != CMP_EQUAL) return false;

  codes.o3 = orientationCode(so, eo, s, tol);
  codes.o4 = orientationCode(so, eo, e, tol);
  if (codes.o3 == codes.o4 && codes.o3 != CMP_EQUAL) return false;
  return true;
}

AcGePoint2d carrierCrossing(const AcGeLineSeg2d& self, const AcGeLineSeg2d& other) {
  const AcGePoint2d a = self.startPoint();
  const AcGeVector2d u = self.direction();
  const AcGePoint2d c = other.startPoint();
  const AcGeVector2d v = other.direction();
  const double den = u.y * v.x - v.y * u.x;
  const double x = (a.x * u.y * v.x - c.x * v.y * u.x + (c.y - a.y) * u.x * v.x) / den;
  const double y = (a.y * u.x * v.y - c.y * v.x * u.y + (c.x - a.x) * u.y * v.y) / (-den);
  return AcGePoint2d(x, y);
}

bool crossingLiesOnBoth(AcGeLineSeg2d& self, AcGeLineSeg2d& other, AcGePoint2d p,
                        const GkTolerance& tol) {
  if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
  double magnitude = 0.0;
  for (const AcGePoint2d& e :
       {self.startPoint(), self.endPoint(), other.startPoint(), other.endPoint()})
    magnitude = std::max({magnitude, std::fabs(e.x), std::fabs(e.y)});
  const double allowed = tol.EqualPoint() + 1e-12 * magnitude;
  return self.distanceTo(p, tol) <= allowed && other.distanceTo(p, tol) <= allowed;
}

bool crossingOnThisSegment(const AcGeLineSeg2d& self, const AcGeLineSeg2d& other, AcGePoint2d& p) {
  const AcGePoint2d a = self.startPoint();
  const AcGeVector2d u = self.direction();
  const AcGeVector2d v = other.direction();
  const AcGeVector2d w = other.startPoint() - a;
  const double t = (w.x * v.y - w.y * v.x) / (u.x * v.y - u.y * v.x);
  if (!std::isfinite(t)) return false;
  p = a + u * std::min(1.0, std::max(0.0, t));
  return true;
}

}  // namespace segdetail

namespace {

// Result of the bitset intersection, built apart from the caller's outputs so
// that a false answer leaves them exactly as passed.
struct Contacts {
  int count = 0;
  std::bitset<7> flags;
  AcGePoint2d p1;
  AcGePoint2d p2;
};

// The four end points in the order they are tried: other's start, other's end,
// this start, this end, with their flag bits as first and as second point
// (other's start can only ever be first).
struct EndCandidate {
  AcGePoint2d pt;
  bool accepted;
  int firstBit;
  int secondBit;
};

// Collects end-point contacts in candidate order. The first accepted end
// becomes p1; a later one equal to p1 (point equality with g_tol) is skipped;
// the second distinct one becomes p2 and ends the walk.
void collectEndContacts(const EndCandidate (&cands)[4], Contacts& out) {
  for (const EndCandidate& c : cands) {
    if (!c.accepted) continue;
    if (out.count == 1) {
      if (c.pt == out.p1) continue;
      out.count = 2;
      out.flags.set(static_cast<std::size_t>(c.secondBit));
      out.p2 = c.pt;
      return;
    }
    out.count = 1;
    out.flags.set(static_cast<std::size_t>(c.firstBit));
    out.p1 = c.pt;
  }
}

// End contacts accepted by the point-on-segment test with g_tol, each tried
// only when its orientation code is CMP_EQUAL.
Contacts contactsOnSegments(AcGeLineSeg2d& self, AcGeLineSeg2d& other,
                            const segdetail::PairCodes& codes) {
  const GkTolerance& g = GkGeoLib::g_tol;
  const AcGePoint2d so = other.startPoint();
  const AcGePoint2d eo = other.endPoint();
  const AcGePoint2d s = self.startPoint();
  const AcGePoint2d e = self.endPoint();
  const EndCandidate cands[4] = {
      {so, codes.o1 == CMP_EQUAL && self.IsPointOnSeg(so, g), 0, -1},
      {eo, codes.o2 == CMP_EQUAL && self.IsPointOnSeg(eo, g), 1, 4},
      {s, codes.o3 == CMP_EQUAL && other.IsPointOnSeg(s, g), 2, 5},
      {e, codes.o4 == CMP_EQUAL && other.IsPointOnSeg(e, g), 3, 6},
  };
  Contacts out;
  collectEndContacts(cands, out);
  return out;
}

// Fallback when the carrier lines give no usable crossing: end points that
// lie within g_tol.EqualPoint (Euclidean) of the other segment.
Contacts contactsWithinDefaultTolerance(AcGeLineSeg2d& self, AcGeLineSeg2d& other) {
  const GkTolerance& g = GkGeoLib::g_tol;
  const double t = g.EqualPoint();
  AcGePoint2d so = other.startPoint();
  AcGePoint2d eo = other.endPoint();
  AcGePoint2d s = self.startPoint();
  AcGePoint2d e = self.endPoint();
  const EndCandidate cands[4] = {
      {so, self.distanceTo(so, g) <= t, 0, -1},
      {eo, self.distanceTo(eo, g) <= t, 1, 4},
      {s, other.distanceTo(s, g) <= t, 2, 5},
      {e, other.distanceTo(e, g) <= t, 3, 6},
  };
  Contacts out;
  collectEndContacts(cands, out);
  return out;
}

}  // namespace

bool AcGeLineSeg2d::intersectWith(AcGeLineSeg2d& other, const GkTolerance& tol) {
  segdetail::PairCodes codes;
  return segdetail::passesRejectionTests(*this, other, tol, codes);
}

bool AcGeLineSeg2d::intersectWith(AcGeLineSeg2d& other, int& count, std::bitset<7>& flags,
                                  AcGePoint2d& p1, AcGePoint2d& p2, const GkTolerance& tol) {
  segdetail::PairCodes codes;
  if (!segdetail::passesRejectionTests(*this, other, tol, codes)) return false;

  Contacts found;
  if (codes.anyEqual()) found = contactsOnSegments(*this, other, codes);
  if (found.count == 0) {
    const AcGePoint2d x = segdetail::carrierCrossing(*this, other);
    if (segdetail::crossingLiesOnBoth(*this, other, x, tol)) {
      found.count = 1;
      found.p1 = x;
    } else {
      found = contactsWithinDefaultTolerance(*this, other);
    }
  }
  if (found.count == 0 && !codes.anyEqual()) {
    // Nearly parallel carriers that really cross: the closed form is off
    // the segments by rounding, the point solved along this segment is not.
    AcGePoint2d x;
    if (segdetail::crossingOnThisSegment(*this, other, x) &&
        segdetail::crossingLiesOnBoth(*this, other, x, tol)) {
      found.count = 1;
      found.p1 = x;
    }
  }
  if (found.count == 0) return false;

  count = found.count;
  flags = found.flags;
  p1 = found.p1;
  if (found.count == 2) p2 = found.p2;
  return true;
}

bool AcGeLineSeg2d::intersectWith(AcGeLineSeg2d& other, AcGePoint2d& pt, const GkTolerance& tol) {
  int count = 0;
  std::bitset<7> flags;
  AcGePoint2d p1;
  AcGePoint2d p2;
  if (!intersectWith(other, count, flags, p1, p2, tol) || count != 1) return false;
  pt = p1;
  return true;
}
