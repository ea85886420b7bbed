// The window icon compiled into Carrack: a 200 x 200 image with an alpha
// channel (32-bit colour) under the resource path the launcher uses.
#include <gtest/gtest.h>

#include <QImage>

TEST(CarrackResources, StarIconIsTwoHundredPixelsSquareWithAlpha) {
  const QImage star(QStringLiteral(":/GkBrisel/star.png"));
  ASSERT_FALSE(star.isNull());
  EXPECT_EQ(star.width(), 200);
  EXPECT_EQ(star.height(), 200);
  EXPECT_TRUE(star.hasAlphaChannel());
  // Transparent corners, opaque centre.
  EXPECT_EQ(qAlpha(star.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(star.pixel(100, 100)), 255);
}
