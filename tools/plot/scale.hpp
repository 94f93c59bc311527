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
    bool log = false;  // ticks at 1, 2 and 5 times powers of ten, spaced logarithmically
};

// An axis that covers [low, high] with about `target` ticks at steps of 1, 2
// or 5 times a power of ten (whole numbers only when `whole` is set). An
// empty range is widened around its value, never below 0 when it is not
// negative; a range that is no range at all (non-finite ends) becomes [0, 1].
Axis nice_axis(double low, double high, int target, bool whole = false);

// A logarithmic axis over [low, high] (both above 0), widened to the nearest
// values 1, 2 or 5 times a power of ten, ticks at those values (at the powers
// of ten alone when the axis spans more than three of them).
Axis log_axis(double low, double high);

// The text of a tick of `axis`: the axis' decimals, or on a logarithmic axis
// as many as the tick needs (0.001, 0.02, 5).
std::string axis_tick_text(const Axis& axis, double value);

// A distance threshold as ANI percent, 100 * (1 - d), with `decimals`
// decimals, or, for -1, as many as it needs up to six: 0.05 -> "95",
// 0.001 -> "99.9".
std::string ani_text(double threshold, int decimals = -1);

// The lowest and highest finite values, or nothing of the kind (low > high)
// when there are none.
struct Range {
    double low;
    double high;
};
Range finite_range(const std::vector<double>& values);
Range merged(Range a, Range b);

// Maps data values onto picture coordinates, linearly or, with `log`, by
// their logarithms (the domain then lies above 0).
struct Scale {
    double domain_low;
    double domain_high;
    double pixel_low;
    double pixel_high;
    bool log = false;
    double operator()(double value) const;
};

// A tick value with the axis' number of decimals ("0.10", "5000").
std::string tick_text(double value, int decimals);

// A threshold as tarvix prints it (8 decimals), without trailing zeros:
// 0.055 -> "0.055", 0.1 -> "0.1", 0 -> "0".
std::string threshold_text(double value);

// A value for a legend: four decimals below 1000, else one ("5729.4").
std::string value_text(double value);

}  // namespace tarvix::plot
