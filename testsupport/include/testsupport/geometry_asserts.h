// Comparison helpers for geometry tests: anything with public x and y
// members (points, vectors) is compared per coordinate with a stated
// absolute tolerance.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace testsupport {

template <typename P>
::testing::AssertionResult PointNear(const char* aExpr, const char* bExpr, const char*, const P& a,
                                     const P& b, double tol) {
  if (std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol) {
    return ::testing::AssertionSuccess();
  }
  std::ostringstream os;
  os.precision(17);
  os << aExpr << " = (" << a.x << ", " << a.y << ") and " << bExpr << " = (" << b.x << ", " << b.y
     << ") differ by more than " << tol;
  return ::testing::AssertionFailure() << os.str();
}

}  // namespace testsupport

#define EXPECT_POINT_NEAR(a, b, tol) EXPECT_PRED_FORMAT3(::testsupport::PointNear, a, b, tol)
#define ASSERT_POINT_NEAR(a, b, tol) ASSERT_PRED_FORMAT3(::testsupport::PointNear, a, b, tol)
#define EXPECT_POINT_EQ(a, b) EXPECT_PRED_FORMAT3(::testsupport::PointNear, a, b, 0.0)
