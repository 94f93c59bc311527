// Axes: round tick values, the mapping from data to picture, number texts.
#pragma once

#include <string>
#include <vector>

namespace tarvix::plot {

// An axis domain widened to round values, with its ticks.
struct Axis {
    double low = 0;
    double high = 1;
    double step = 0.1;
    std::vector<double> ticks;
    int decimals = 1;
};

// An axis that covers [low, high] with about `target` ticks at steps of 1, 2
// or 5 times a power of ten (whole numbers only when `whole` is set). An
// empty range is widened around its value, never below 0 when it is not
// negative; a range that is no range at all (non-finite ends) becomes [0, 1].
Axis nice_axis(double low, double high, int target, bool whole = false);

// The lowest and highest finite values, or nothing of the kind (low > high)
// when there are none.
struct Range {
    double low;
    double high;
};
Range finite_range(const std::vector<double>& values);
Range merged(Range a, Range b);

// Maps data values linearly onto picture coordinates.
struct Scale {
    double domain_low;
    double domain_high;
    double pixel_low;
    double pixel_high;
    double operator()(double value) const {
        return pixel_low + (value - domain_low) / (domain_high - domain_low) * (pixel_high - pixel_low);
    }
};

// A tick value with the axis' number of decimals ("0.10", "5000").
std::string tick_text(double value, int decimals);

// A threshold as tarvix prints it (8 decimals), without trailing zeros:
// 0.055 -> "0.055", 0.1 -> "0.1", 0 -> "0".
std::string threshold_text(double value);

// A value for a legend: four decimals below 1000, else one ("5729.4").
std::string value_text(double value);

}  // namespace tarvix::plot
