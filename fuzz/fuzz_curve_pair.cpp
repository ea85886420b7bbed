// Member queries: the bytes are decoded into a pair of curves (segment or
// arc each), either from small integers (coordinates within +-1024, radii
// up to 1024) or from raw doubles (any bit pattern: huge, infinite, NaN).
// intersectWith, distanceTo, closestPointTo and distanceToSeg/Arc are asked
// in both directions and must not crash. For finite curves of moderate size
// (every number within 1e6) the distances are finite and not negative, the
// returned points are finite, lie on their curves (radii not negative), and are as far apart as
// the distance says, within kAbsTol plus kRelTol of the curves' size.
#include "fuzz_support.h"

#include <engine/engine.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <bitset>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr double kPi = 3.141592653589793;
// Numbers beyond this are only checked for not crashing.
constexpr double kCheckedRange = 1e6;
// Agreement of distances and points, kAbsTol + kRelTol * max(1, largest
// number of the pair). Curves within EqualPoint (1e-8) of each other count
// as meeting (distance 0) while the pair handed back may be up to that far
// apart, and each point of it may sit up to EqualPoint off its curve:
// four EqualPoint absolute. The nearest pairs are solved in closed form per
// case, so beyond that they agree to a few hundred ulps of the coordinates.
constexpr double kAbsTol = 4e-8;
constexpr double kRelTol = 1e-9;

struct Decoder {
  FuzzedDataProvider& in;
  bool raw;
  double scale = 0;  // largest magnitude decoded
  bool finite = true;

  double number(double step) {
    double v;
    if (raw) {
      uint64_t bits = in.ConsumeIntegral<uint64_t>();
      std::memcpy(&v, &bits, sizeof v);
    } else {
      v = in.ConsumeIntegral<int16_t>() * step;
    }
    finite = finite && std::isfinite(v);
    if (std::isfinite(v)) scale = std::fmax(scale, std::fabs(v));
    return v;
  }
  AcGePoint2d point() {
    const double x = number(1.0 / 32), y = number(1.0 / 32);
    return AcGePoint2d(x, y);
  }
  double angle() { return raw ? number(0) : in.ConsumeIntegral<uint16_t>() * (2 * kPi / 65536); }
  double radius() { return raw ? number(0) : in.ConsumeIntegral<uint16_t>() / 64.0; }

  std::unique_ptr<GkCurve2d> curve(bool arc) {
    if (!arc) {
      const AcGePoint2d a = point(), b = point();
      return std::make_unique<AcGeLineSeg2d>(a, b);
    }
    const AcGePoint2d c = point();
    const double r = radius();
    // A negative radius describes no point set: crash-free only.
    finite = finite && r >= 0;
    const uint8_t flags = in.ConsumeIntegral<uint8_t>();
    if (flags & 1) return std::make_unique<AcGeCircArc2d>(c, r);
    const double s = angle(), e = angle();
    return std::make_unique<AcGeCircArc2d>(c, r, s, e, (flags & 2) != 0);
  }
};

std::string describe(GkCurve2d& c) {
  char text[256];
  if (auto* s = dynamic_cast<AcGeLineSeg2d*>(&c)) {
    std::snprintf(text, sizeof text, "segment (%.17g, %.17g) -> (%.17g, %.17g)", s->startPoint().x,
                  s->startPoint().y, s->endPoint().x, s->endPoint().y);
  } else {
    auto& a = dynamic_cast<AcGeCircArc2d&>(c);
    std::snprintf(text, sizeof text,
                  "arc centre (%.17g, %.17g) radius %.17g angles %.17g %.17g %s%s", a.center().x,
                  a.center().y, a.radius(), a.startAng(), a.endAng(),
                  a.isClockWise() ? "cw" : "ccw", a.IsCircle() ? " circle" : "");
  }
  return text;
}

bool finitePoint(const AcGePoint2d& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// A's queries against B (B is `seg` or `arc`, the other null).
void askOneWay(GkCurve2d& a, AcGeLineSeg2d* seg, AcGeCircArc2d* arc, bool checked, double tol) {
  using fuzzsupport::check;
  const GkTolerance& t = GkGeoLib::g_tol;
  AcGePoint2d other, onThis, onOther;
  double d, d2;
  AcGePoint2d p;
  if (seg != nullptr) {
    d = a.distanceTo(*seg, t);
    p = a.closestPointTo(*seg, other, t);
    d2 = a.distanceToSeg(*seg, onThis, onOther, t);
  } else {
    d = a.distanceTo(*arc, t);
    p = a.closestPointTo(*arc, other, t);
    d2 = a.distanceToArc(*arc, onThis, onOther, t);
  }
  if (!checked) return;
  GkCurve2d& b = seg != nullptr ? static_cast<GkCurve2d&>(*seg) : *arc;
  check(std::isfinite(d) && d >= 0, "distanceTo finite, not negative");
  check(std::isfinite(d2) && d2 >= 0, "distanceToSeg/Arc finite, not negative");
  check(finitePoint(p) && finitePoint(other), "closestPointTo points finite");
  check(finitePoint(onThis) && finitePoint(onOther), "distanceToSeg/Arc points finite");
  const double gap = std::hypot(p.x - other.x, p.y - other.y);
  char numbers[200];
  std::snprintf(numbers, sizeof numbers, "\nd %.17g d2 %.17g p (%.17g, %.17g) other (%.17g, %.17g)",
                d, d2, p.x, p.y, other.x, other.y);
  fuzzsupport::context() += numbers;
  check(std::fabs(gap - d) <= tol, "closestPointTo pair as far apart as distanceTo says");
  check(std::fabs(std::hypot(onThis.x - onOther.x, onThis.y - onOther.y) - d2) <= tol,
        "distanceToSeg/Arc pair as far apart as returned");
  check(std::fabs(d2 - d) <= tol, "distanceToSeg/Arc agrees with distanceTo");
  check(a.distanceTo(p, t) <= tol && b.distanceTo(other, t) <= tol,
        "closestPointTo points on their curves");
}

void intersect(GkCurve2d& a, GkCurve2d& b) {
  const GkTolerance& t = GkGeoLib::g_tol;
  int count = 0;
  std::bitset<7> flags;
  AcGePoint2d p1, p2;
  auto* sa = dynamic_cast<AcGeLineSeg2d*>(&a);
  auto* sb = dynamic_cast<AcGeLineSeg2d*>(&b);
  auto* aa = dynamic_cast<AcGeCircArc2d*>(&a);
  auto* ab = dynamic_cast<AcGeCircArc2d*>(&b);
  if (sa && sb) {
    sa->intersectWith(*sb, t);
    sa->intersectWith(*sb, count, flags, p1, p2, t);
    sa->intersectWith(*sb, p1, t);
  } else if (aa && sb) {
    aa->intersectWith(*sb, count, p1, p2, t);
  } else if (aa && ab) {
    aa->intersectWith(*ab, count, p1, p2, t);
    aa->intersectWith(*ab, count, flags, p1, p2, t);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const uint8_t mode = in.ConsumeIntegral<uint8_t>();
  Decoder dec{in, (mode & 4) != 0};
  std::unique_ptr<GkCurve2d> a = dec.curve((mode & 1) != 0);
  std::unique_ptr<GkCurve2d> b = dec.curve((mode & 2) != 0);
  fuzzsupport::context() = "A: " + describe(*a) + "\nB: " + describe(*b);
  const bool checked = dec.finite && dec.scale <= kCheckedRange;
  const double tol = kAbsTol + kRelTol * std::fmax(1.0, dec.scale);

  intersect(*a, *b);
  intersect(*b, *a);
  askOneWay(*a, dynamic_cast<AcGeLineSeg2d*>(b.get()), dynamic_cast<AcGeCircArc2d*>(b.get()),
            checked, tol);
  askOneWay(*b, dynamic_cast<AcGeLineSeg2d*>(a.get()), dynamic_cast<AcGeCircArc2d*>(a.get()),
            checked, tol);
  return 0;
}
