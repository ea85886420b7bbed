// AcGeMatrix2d: layout, products, transposition, the rigid and general
// inverses, comparison with its fixed strict limit, and the builders and
// setters with exactly the entries each one writes.
#include <engine/lineseg2d.h>
#include <engine/matrix2d.h>

#include <testsupport/geometry_asserts.h>
#include <testsupport/shape_builders.h>

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using P = AcGePoint2d;
using V = AcGeVector2d;
using M = AcGeMatrix2d;
using testsupport::kPi;
constexpr double k2Pi = 2 * kPi;

// A matrix with entries 1..9 in row-major order.
M Counting() {
  M m;
  for (unsigned i = 0; i < 9; ++i) m.entry[i] = i + 1.0;
  return m;
}

// A matrix whose nine entries all hold v, to see which entries a setter
// writes.
M Filled(double v) {
  M m;
  for (double& e : m.entry) e = v;
  return m;
}

void ExpectEntries(const M& m, const double (&expected)[9], double tol = 0.0) {
  for (unsigned i = 0; i < 9; ++i) {
    EXPECT_NEAR(m.entry[i], expected[i], tol) << "entry " << i / 3 << "," << i % 3;
  }
}

TEST(Matrix2d, DefaultIsIdentityAndAccessIsRowMajor) {
  ExpectEntries(M(), {1, 0, 0, 0, 1, 0, 0, 0, 1});
  ExpectEntries(M::kIdentity, {1, 0, 0, 0, 1, 0, 0, 0, 1});
  M m = Counting();
  EXPECT_EQ(m(1, 2), 6.0);
  EXPECT_EQ(m(2, 0), 7.0);
  m(0, 1) = -4;
  EXPECT_EQ(m.entry[1], -4.0);
  m.setToIdentity();
  EXPECT_TRUE(m == M::kIdentity);
}

TEST(Matrix2d, ProductsAreFullThreeByThreeInTheStatedOrder) {
  const M a = Counting();
  M b;
  b(0, 1) = 2;  // shear
  b(2, 2) = 3;
  // a * b: column 1 gains 2 * column 0; column 2 is tripled.
  const double ab[9] = {1, 4, 9, 4, 13, 18, 7, 22, 27};
  ExpectEntries(a * b, ab);
  // b * a: row 0 gains 2 * row 1; row 2 is tripled.
  const double ba[9] = {9, 12, 15, 4, 5, 6, 21, 24, 27};
  M post = a;
  post.postMultBy(b);
  ExpectEntries(post, ab);
  M star = a;
  star *= b;
  ExpectEntries(star, ab);
  M pre = a;
  pre.preMultBy(b);
  ExpectEntries(pre, ba);
  M scaled = a;
  scaled *= 0.5;
  ExpectEntries(scaled, {0.5, 1, 1.5, 2, 2.5, 3, 3.5, 4, 4.5});
}

TEST(Matrix2d, TransposeSwapsAllNineEntries) {
  const double t[9] = {1, 4, 7, 2, 5, 8, 3, 6, 9};
  ExpectEntries(Counting().transpose(), t);
  M m = Counting();
  m.transposeIt();
  ExpectEntries(m, t);
}

TEST(Matrix2d, EqualityIsStrictPerEntryWithFixedLimit) {
  const M zero = Filled(0);
  for (unsigned i = 0; i < 9; ++i) {
    SCOPED_TRACE(i);
    M near = zero;
    near.entry[i] = 0.9e-7;
    EXPECT_TRUE(near == zero);
    EXPECT_TRUE(near.isEqualTo(zero));
    EXPECT_FALSE(near != zero);
    M off = zero;
    off.entry[i] = -1e-7;  // a difference of exactly 1e-7 is unequal
    EXPECT_FALSE(off == zero);
    EXPECT_FALSE(off.isEqualTo(zero));
    EXPECT_TRUE(off != zero);
  }
}

TEST(Matrix2d, BuildersMapPointsAsDocumented) {
  EXPECT_POINT_EQ(P(1, 2).Transform(M::translation(V(5, -5))), P(6, -3));
  EXPECT_POINT_NEAR(P(2, 1).Transform(M::rotation(kPi / 2, P(1, 1))), P(1, 2), 1e-15);
  EXPECT_POINT_EQ(P(1, 1).Transform(M::mirroring(P(2, 3))), P(3, 5));
  EXPECT_POINT_NEAR(P(1, 0).Transform(M::mirroring(AcGeLineSeg2d(P(0, 0), P(1, 1)))), P(0, 1),
                    1e-15);
  EXPECT_POINT_EQ(P(0, 0).Transform(M::mirroring(AcGeLineSeg2d(P(2, 3), P(2, 3)))), P(4, 6));
  const M r = M::rotation(0.3, P(4, -2));
  EXPECT_EQ(r(2, 0), 0.0);
  EXPECT_EQ(r(2, 1), 0.0);
  EXPECT_EQ(r(2, 2), 1.0);
  EXPECT_POINT_EQ(M::translation(V(3, 4)).Offset(), P(3, 4));
}

TEST(Matrix2d, RotateReadsTheFirstRow) {
  // Entry (0,1) of a rotation by a holds -sin a: the result is -a normalised.
  EXPECT_DOUBLE_EQ(M::rotation(kPi / 2, P(1, 1)).Rotate(), 3 * kPi / 2);
  EXPECT_DOUBLE_EQ(M::rotation(0.5, P(0, 0)).Rotate(), k2Pi - 0.5);
  EXPECT_EQ(M().Rotate(), 0.0);
}

// ---- inverse

TEST(Matrix2dInverse, RigidMotionsUseTheTransposeFormulaExactly) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> dist(-50.0, 50.0);
  for (int i = 0; i < 300; ++i) {
    const P c(dist(rng), dist(rng));
    const M rigid = i % 2 == 0 ? M::rotation(dist(rng), c)
                               : M::mirroring(AcGeLineSeg2d(c, P(dist(rng), dist(rng))));
    const M inv = rigid.inverse();
    SCOPED_TRACE(i);
    // The 2x2 part is the transpose, bit for bit, and row 2 is (0, 0, 1).
    EXPECT_EQ(inv(0, 0), rigid(0, 0));
    EXPECT_EQ(inv(0, 1), rigid(1, 0));
    EXPECT_EQ(inv(1, 0), rigid(0, 1));
    EXPECT_EQ(inv(1, 1), rigid(1, 1));
    EXPECT_EQ(inv(0, 2), -(rigid(0, 0) * rigid(0, 2) + rigid(1, 0) * rigid(1, 2)));
    EXPECT_EQ(inv(1, 2), -(rigid(0, 1) * rigid(0, 2) + rigid(1, 1) * rigid(1, 2)));
    EXPECT_EQ(inv(2, 0), 0.0);
    EXPECT_EQ(inv(2, 1), 0.0);
    EXPECT_EQ(inv(2, 2), 1.0);
    EXPECT_TRUE(inv * rigid == M::kIdentity);
    EXPECT_TRUE(rigid * inv == M::kIdentity);
  }
}

TEST(Matrix2dInverse, ScalingsAndShearsGetTheGeneralAffineInverse) {
  M scale;
  scale.setToScaling(2.0, P(1, 1));
  const P image = P(2, 2).Transform(scale);
  EXPECT_POINT_EQ(image, P(3, 3));
  EXPECT_POINT_NEAR(image.Transform(scale.inverse()), P(2, 2), 1e-15);

  std::mt19937 rng(8);
  std::uniform_real_distribution<double> dist(-5.0, 5.0);
  for (int i = 0; i < 300; ++i) {
    M m;
    for (unsigned r = 0; r < 2; ++r) {
      for (unsigned c = 0; c < 3; ++c) m(r, c) = dist(rng);
    }
    const double det = m(0, 0) * m(1, 1) - m(0, 1) * m(1, 0);
    if (std::fabs(det) < 0.5) continue;
    M inv = m;
    inv.invert();
    SCOPED_TRACE(i);
    EXPECT_TRUE(inv * m == M::kIdentity);
    const P p(dist(rng), dist(rng));
    EXPECT_POINT_NEAR(p.Transform(m).Transform(inv), p, 1e-12);
  }
}

TEST(Matrix2dInverse, SingularMatrixGivesNonFiniteEntriesWithoutFailing) {
  M flat;
  flat.setToScaling(0.0, P(1, 1));
  const M inv = flat.inverse();
  EXPECT_FALSE(std::isfinite(inv(0, 0)));
}

// ---- setters: exactly the entries each one writes

TEST(Matrix2dSetters, TranslationAddsToTheTranslationOnly) {
  M m = Filled(7);
  m.setToTranslation(V(1, -2));
  m.setToTranslation(V(1, -2));
  ExpectEntries(m, {7, 7, 9, 7, 7, 3, 7, 7, 7});
}

TEST(Matrix2dSetters, RotationWritesRowsZeroAndOne) {
  const double a = 0.7;
  const P c(3, -1);
  M m = Filled(7);
  m.setToRotation(a, c);
  const M r = M::rotation(a, c);
  for (unsigned i = 0; i < 6; ++i) EXPECT_EQ(m.entry[i], r.entry[i]) << i;
  EXPECT_EQ(m(2, 0), 7.0);
  EXPECT_EQ(m(2, 2), 7.0);
}

TEST(Matrix2dSetters, PointMirroringWritesFourEntries) {
  M m = Filled(7);
  m.setToMirroring(P(2, 3));
  ExpectEntries(m, {-1, 7, 4, 7, -1, 6, 7, 7, 7});
}

TEST(Matrix2dSetters, LineMirroringWritesSixEntriesOrFourWhenDegenerate) {
  M line = Filled(7);
  line.setToMirroring(AcGeLineSeg2d(P(0, 0), P(1, 1)));
  ExpectEntries(line, {0, 1, 0, 1, 0, 0, 7, 7, 7}, 1e-15);
  M degenerate = Filled(7);
  degenerate.setToMirroring(AcGeLineSeg2d(P(2, 3), P(2, 3)));
  ExpectEntries(degenerate, {-1, 7, 4, 7, -1, 6, 7, 7, 7});
  // The static form starts from the identity.
  ExpectEntries(M::mirroring(AcGeLineSeg2d(P(2, 3), P(2, 3))), {-1, 0, 4, 0, -1, 6, 0, 0, 1});
}

TEST(Matrix2dSetters, ScalingWritesRowsZeroAndOne) {
  M m = Filled(7);
  m.setToScaling(2.0, P(1, 1));
  ExpectEntries(m, {2, 0, -1, 0, 2, -1, 7, 7, 7});
}

}  // namespace
