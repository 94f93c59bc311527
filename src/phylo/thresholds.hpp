// The threshold series of the clustering engines.
#pragma once

#include <cstddef>
#include <vector>

namespace phylo {

// t(0) = start, t(k) = t(k - 1) + step, accumulated by repeated addition
// (never start + k * step), for k = 0 .. count - 1. Every sum is checked as
// it is formed, the one after the last threshold included, and must lie in
// 0 .. the largest double; otherwise RangeError. With count 0 only the start
// is checked.
std::vector<double> thresholds(double start, double step, std::size_t count);

}  // namespace phylo
