#include "design.h"

#include <cmath>

namespace {

DesignPoint onCircle(const DesignCurve& c, double deg) {
  const double a = deg * kRadiansPerDegree;
  return DesignPoint{c.center.x + c.radius * std::cos(a), c.center.y + c.radius * std::sin(a)};
}

}  // namespace

DesignPoint DesignCurve::startPoint() const {
  if (kind == Kind::Line) return from;
  return onCircle(*this, kind == Kind::Arc ? startDeg : 0.0);
}

DesignPoint DesignCurve::endPoint() const {
  if (kind == Kind::Line) return to;
  return onCircle(*this, kind == Kind::Arc ? endDeg : 0.0);
}
