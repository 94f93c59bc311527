// The threshold axis both charts share: linear or logarithmic, the whole
// series or a zoom on its left part.
#pragma once

#include <string>
#include <vector>

#include "chart_options.hpp"
#include "scale.hpp"

namespace tarvix::plot {

struct ThresholdAxis {
    Axis axis;
    Scale scale;
    // What the reader must know about thresholds left out, one line each.
    std::vector<std::string> notes;
    // True when the threshold lies on the axis (a logarithmic axis has no 0).
    bool shows(double threshold) const;
};

// An axis for `thresholds` on the pixels `pixel_low` .. `pixel_high`, after
// the user's --log-x and --xmax. Without --xmax (and on a linear axis) it
// zooms in by itself when the highest of `best_highs` (the upper ends of the
// runs of best thresholds) lies in the leftmost quarter of a series of at
// least ten thresholds: the axis then ends at twice that threshold's distance
// from the first. Throws std::runtime_error when nothing would be left to
// show.
ThresholdAxis threshold_axis(const std::vector<double>& thresholds, const std::vector<double>& best_highs,
                             const ChartOptions& options, double pixel_low, double pixel_high, int target);

}  // namespace tarvix::plot
