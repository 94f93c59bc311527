// Warnings against input that gives a plausible but meaningless result: one
// line each on standard error, "tarvix: warning: ...", at most once per
// matrix, written before the report they concern (standard output is flushed
// first, so the lines keep their order in a shared terminal or log). They
// never change the exit status or standard output.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "driver/report.hpp"
#include "phylo/types.hpp"

namespace tarvix {

// Writes one warning line.
void warn(const RunContext& context, const std::string& text);

// What is odd about a matrix: a diagonal that is not zero, asymmetry, and
// (when check_negative) negative distances. Each text names the input.
std::vector<std::string> matrix_warnings(const phylo::Squared& matrix, const std::string& input_name,
                                         bool check_negative);

// The run optimises over one threshold only.
std::optional<std::string> single_threshold_warning(const Settings& settings, std::int32_t threshold_count);

// Reference partitions that cannot tell thresholds apart: one group, or
// only singletons.
std::optional<std::string> reference_warning(const phylo::GroupNameTable& reference, const std::string& name);

// Partitions (numbered from 1) whose indices all peak at the last threshold;
// {0} stands for the criterion of a run without reference partitions.
std::optional<std::string> series_end_warning(const std::vector<std::size_t>& partitions, double last_threshold);

}  // namespace tarvix
