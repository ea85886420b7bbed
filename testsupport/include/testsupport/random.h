// Seeded random numbers for property tests: the same sequence for a seed on
// every run, so a failure names a reproducible case.
#pragma once

#include <random>

namespace testsupport {

class Random {
public:
  explicit Random(unsigned seed) : m_rng(seed) {}
  // Uniform in [a, b).
  double U(double a, double b) { return std::uniform_real_distribution<double>(a, b)(m_rng); }
  // Uniform integer in [a, b].
  int I(int a, int b) { return std::uniform_int_distribution<int>(a, b)(m_rng); }
  bool Coin() { return I(0, 1) == 1; }

private:
  std::mt19937 m_rng;
};

}  // namespace testsupport
