// The two pictures tarvix-plot draws, each a complete SVG document.
#pragma once

#include <string>

#include "table.hpp"

namespace tarvix::plot {

// A threshold table: one panel per partition block (each reference
// partition, their means, or the criterion), every index column against the
// threshold, the best threshold of each column marked by a dashed line and a
// dot at its best value, and the number of clusters on a second axis.
std::string threshold_chart(const ThresholdTable& table, const std::string& title);

// A jackknife table: one lane per index column, grouped by partition block,
// showing how the replicates' best thresholds are distributed (bars as high
// as the share of replicates at each threshold) with their median marked.
std::string jackknife_chart(const JackknifeTable& table, const std::string& title);

}  // namespace tarvix::plot
