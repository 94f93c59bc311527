#include "phylo/thresholds.hpp"

#include <cmath>

#include "phylo/errors.hpp"
#include "phylo/number_images.hpp"
#include "phylo/ranges.hpp"

namespace phylo {

std::vector<double> thresholds(double start, double step, std::size_t count) {
    std::vector<double> series;
    series.reserve(count);
    const double after_last = accumulate_thresholds(start, step, count, [&](double t) {
        series.push_back(require_range(t, "threshold"));
    });
    require_range(after_last, "threshold");
    return series;
}

std::int32_t threshold_count(double minimum, double maximum, double step) {
    const double q = (maximum - minimum) / step;
    if (!(q > -2147483648.5 && q < 2147483647.5)) throw RangeError("threshold count out of range: " + real_image(q));
    return static_cast<std::int32_t>(std::round(q));
}

}  // namespace phylo
