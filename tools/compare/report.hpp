// The printed comparison: the clusters with the groups they hold, the split
// groups with their clusters, and the counts.
#pragma once

#include <string>

#include "comparison.hpp"
#include "inputs.hpp"

namespace tarvix::compare {

// The text of one comparison, tab-separated, ending with an empty line.
std::string format_comparison(const Comparison& comparison, const LabelledPartition& clustering,
                              const LabelledPartition& reference);

}  // namespace tarvix::compare
