// The broad phase finds exactly the box pairs within the margin.
#include "boxsweep.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::vector<std::pair<int, int>> bruteForce(const std::vector<SweepBox>& b, double margin) {
  std::vector<std::pair<int, int>> pairs;
  for (int i = 0; i < static_cast<int>(b.size()); ++i) {
    for (int j = i + 1; j < static_cast<int>(b.size()); ++j) {
      const bool nearX = b[j].minX - b[i].maxX <= margin && b[i].minX - b[j].maxX <= margin;
      const bool nearY = b[j].minY - b[i].maxY <= margin && b[i].minY - b[j].maxY <= margin;
      if (nearX && nearY) pairs.emplace_back(i, j);
    }
  }
  return pairs;
}

}  // namespace

TEST(NearBoxPairs, NamedCases) {
  using P = std::vector<std::pair<int, int>>;
  EXPECT_EQ(nearBoxPairs({}, 1.0), P{});
  EXPECT_EQ(nearBoxPairs({{0, 1, 0, 1}}, 1.0), P{});
  // Touching edges count; a gap of exactly the margin counts; beyond does not.
  EXPECT_EQ(nearBoxPairs({{0, 1, 0, 1}, {1, 2, 0, 1}}, 0.0), (P{{0, 1}}));
  EXPECT_EQ(nearBoxPairs({{0, 1, 0, 1}, {1.5, 2, 0, 1}}, 0.5), (P{{0, 1}}));
  EXPECT_EQ(nearBoxPairs({{0, 1, 0, 1}, {1.5, 2, 0, 1}}, 0.25), P{});
  // Near in x but far in y.
  EXPECT_EQ(nearBoxPairs({{0, 1, 0, 1}, {0, 1, 5, 6}}, 1.0), P{});
  // A long box reaches boxes that start well after its own start; pairs
  // come back as (lower index, higher index), sorted.
  EXPECT_EQ(nearBoxPairs({{5, 6, 0, 1}, {0, 10, 0, 1}, {9, 9.5, 0, 1}}, 0.0), (P{{0, 1}, {1, 2}}));
}

TEST(NearBoxPairs, MatchesTheBruteForcePairsOnRandomLayouts) {
  std::mt19937 rng(20240607);
  std::uniform_real_distribution<double> pos(0.0, 100.0);
  std::uniform_real_distribution<double> size(0.0, 6.0);
  for (int round = 0; round < 20; ++round) {
    std::vector<SweepBox> boxes;
    for (int i = 0; i < 300; ++i) {
      const double x = pos(rng), y = pos(rng);
      boxes.push_back({x, x + size(rng), y, y + size(rng)});
    }
    for (double margin : {0.0, 0.5, 3.0}) {
      EXPECT_EQ(nearBoxPairs(boxes, margin), bruteForce(boxes, margin))
          << "round " << round << " margin " << margin;
    }
  }
}
