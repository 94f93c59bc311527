// Names for the partition blocks of a table, as the panels and lanes show them.
#pragma once

#include <string>
#include <vector>

#include "analysis.hpp"

namespace tarvix::plot {

// The title of block `b` of `blocks`, whose columns carry `labels`. Blocks of
// similarity indices belong to the reference partitions in file order, the
// last one holding the means; other blocks are named by their labels.
std::string block_title(const std::vector<Block>& blocks, std::size_t b, const std::vector<std::string>& labels);

// True when every column of the table is a partition similarity index.
bool all_similarity_indices(const std::vector<std::string>& labels);

}  // namespace tarvix::plot
