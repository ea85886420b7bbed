#include "boxsweep.h"

#include <algorithm>
#include <numeric>

std::vector<std::pair<int, int>> nearBoxPairs(const std::vector<SweepBox>& boxes, double margin) {
  std::vector<int> order(boxes.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(),
            [&](int a, int b) { return boxes[a].minX < boxes[b].minX; });

  std::vector<std::pair<int, int>> pairs;
  for (std::size_t k = 0; k < order.size(); ++k) {
    const SweepBox& a = boxes[order[k]];
    // Later boxes start at or right of a's left edge; stop at the first one
    // that starts beyond a's right edge plus the margin.
    for (std::size_t m = k + 1; m < order.size(); ++m) {
      const SweepBox& b = boxes[order[m]];
      if (b.minX - a.maxX > margin) break;
      if (b.minY - a.maxY > margin || a.minY - b.maxY > margin) continue;
      pairs.emplace_back(std::min(order[k], order[m]), std::max(order[k], order[m]));
    }
  }
  std::sort(pairs.begin(), pairs.end());
  return pairs;
}
