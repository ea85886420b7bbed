// Broad phase of the pairwise audit: finds the pairs of axis-aligned boxes
// that come within a margin of each other, by sorting on the left edge and
// sweeping, so that far-apart features are never compared.
#pragma once

#include <utility>
#include <vector>

struct SweepBox {
  double minX;
  double maxX;
  double minY;
  double maxY;
};

// Every pair (i, j), i < j, of indices into boxes whose gap is at most
// margin on both axes (touching and overlapping boxes included), sorted by
// i, then j. Cost: sorting plus the pairs that overlap in x, so a layout
// spread over the board costs about n log n.
std::vector<std::pair<int, int>> nearBoxPairs(const std::vector<SweepBox>& boxes, double margin);
