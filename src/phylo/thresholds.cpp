#include "phylo/thresholds.hpp"

#include "phylo/ranges.hpp"

namespace phylo {

std::vector<double> thresholds(double start, double step, std::size_t count) {
    std::vector<double> series;
    series.reserve(count);
    double t = require_range(start, "threshold");
    for (std::size_t k = 0; k < count; ++k) {
        series.push_back(t);
        t = require_range(t + step, "threshold");
    }
    return series;
}

}  // namespace phylo
