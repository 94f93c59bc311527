// The report of each run mode, one factory per report; each factory does the
// mode's preparation.
#pragma once

#include <memory>

#include "driver/report.hpp"

namespace tarvix {

std::unique_ptr<Report> make_single_threshold_quality(const RunContext& context);
std::unique_ptr<Report> make_reference_quality(const RunContext& context);
std::unique_ptr<Report> make_corrected_reference_quality(const RunContext& context);
std::unique_ptr<Report> make_reference_optimisation(const RunContext& context);
std::unique_ptr<Report> make_two_matrix_optimisation(const RunContext& context);
std::unique_ptr<Report> make_internal_optimisation(const RunContext& context);
std::unique_ptr<Report> make_guided_clustering(const RunContext& context);
std::unique_ptr<Report> make_partition_similarity(const RunContext& context);
std::unique_ptr<Report> make_jackknife(const RunContext& context);
std::unique_ptr<Report> make_label_listing(const RunContext& context);

// The index-variant value (-1) must lie in 0 .. 1 once a report uses it.
void check_index_variant(double value);

}  // namespace tarvix
