// The two pictures tarvix-plot draws, each a complete SVG document.
#pragma once

#include <string>

#include "chart_options.hpp"
#include "table.hpp"

namespace tarvix::plot {

// A threshold table: one panel per partition block (each reference
// partition, their means, or the criterion), every index column against the
// threshold, the best threshold of each column marked by a dashed line and a
// dot at its best value over a band of the thresholds as good, the number of
// clusters on a second axis (with the reference partitions' group counts),
// and a note under a panel whose best lies at an end of the series.
std::string threshold_chart(const ThresholdTable& table, const std::string& title, const ChartOptions& options = {});

// A jackknife table: one lane per index column, grouped by partition block,
// showing how the replicates' best thresholds are distributed (bars as high
// as the share of replicates at each threshold, on one scale) with their
// median and 95% interval marked.
std::string jackknife_chart(const JackknifeTable& table, const std::string& title, const ChartOptions& options = {});

}  // namespace tarvix::plot
