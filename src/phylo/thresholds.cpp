#include "phylo/thresholds.hpp"

#include "phylo/graph_ranges.hpp"

namespace phylo::taxonomy {

std::vector<double> thresholds(double start, double step, std::size_t count) {
    std::vector<double> series;
    series.reserve(count);
    double t = graph::require_range(start, "threshold");
    for (std::size_t k = 0; k < count; ++k) {
        series.push_back(t);
        t = graph::require_range(t + step, "threshold");
    }
    return series;
}

}  // namespace phylo::taxonomy
