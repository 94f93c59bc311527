#include "threshold_axis.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace tarvix::plot {

bool ThresholdAxis::shows(double threshold) const {
    const double allowance = 1e-9 * (axis.high - axis.low);
    return std::isfinite(threshold) && threshold >= axis.low - allowance && threshold <= axis.high + allowance &&
           (!axis.log || threshold > 0);
}

namespace {

// Where the zoom ends, or the end of the series when there is no need to zoom.
double zoomed_end(const std::vector<double>& thresholds, const std::vector<double>& best_highs, Range range) {
    const Range bests = finite_range(best_highs);
    if (thresholds.size() < 10 || bests.low > bests.high || bests.high <= range.low) return range.high;
    const double reach = bests.high - range.low;
    return reach <= 0.25 * (range.high - range.low) ? range.low + 2 * reach : range.high;
}

// The user's own value, as short as it reads exactly ("1e-300", "0.05").
std::string option_value(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

}  // namespace

ThresholdAxis threshold_axis(const std::vector<double>& thresholds, const std::vector<double>& best_highs,
                             const ChartOptions& options, double pixel_low, double pixel_high, int target) {
    ThresholdAxis result;
    Range range = finite_range(thresholds);
    if (options.log_x) {
        std::vector<double> positive = thresholds;
        std::erase_if(positive, [](double t) { return !(t > 0); });
        if (positive.empty()) throw std::runtime_error("--log-x: no threshold above 0 to draw");
        if (positive.size() < thresholds.size())
            result.notes.push_back("Logarithmic threshold axis: thresholds at or below 0 are not drawn.");
        range = finite_range(positive);
    }
    double end = range.high;
    if (options.x_max) {
        if (range.low <= range.high && *options.x_max < range.low)
            throw std::runtime_error("--xmax " + option_value(*options.x_max) + " lies below the lowest threshold " +
                                     threshold_text(range.low));
        if (*options.x_max < range.high) {
            end = *options.x_max;
            result.notes.push_back("Thresholds above " + option_value(end) + " are not drawn (--xmax).");
        }
    } else if (!options.log_x) {
        end = zoomed_end(thresholds, best_highs, range);
        if (end < range.high)
            result.notes.push_back("Zoomed in on the best thresholds: the series goes on to " +
                                   threshold_text(range.high) + " (--xmax " + threshold_text(range.high) +
                                   " draws it all).");
    }
    result.axis = options.log_x ? log_axis(range.low, end) : nice_axis(range.low, end, target);
    result.scale = {result.axis.low, result.axis.high, pixel_low, pixel_high, result.axis.log};
    return result;
}

}  // namespace tarvix::plot
