// Similarity indices between partitions: every partition of a tested set
// (a threshold series, the partitions of an input file) against every
// partition of a reference set, one row of reals per tested partition.
#pragma once

#include <cstdint>

#include "phylo/types.hpp"

namespace phylo::partitions {

// What one partition contributes to every comparison it takes part in.
struct PartitionMeasures {
    std::int32_t groups = 0;   // distinct group numbers
    std::int64_t pairs = 0;    // object pairs in a common group
    double entropy = 0.0;      // -sum p ln p over the groups, p = size x (1/n)
};

// What two partitions of the same objects share.
struct JointMeasures {
    std::int64_t pairs_in_both = 0;  // pairs in a common group in both partitions
    double joint_entropy = 0.0;      // over the non-empty contingency cells
};

// Groups, pairs and entropy of one partition. The entropy accumulates
// H := H - p ln p from +0.0 over the groups in ascending group number, with
// p = size x (1/n). Any numbering is accepted; groups are the distinct numbers.
PartitionMeasures partition_measures(const Partition& partition);

// The contingency table of two partitions of the same objects, first's groups
// as rows (0 .. first_groups - 1) and second's as columns. The joint entropy
// accumulates over the non-empty cells in row-major order, a cell that holds
// every object counting as p = 1 exactly. Partitions of different lengths:
// SizeError (count chars, "phylo-taxonomy:454"); a group number outside its
// range: IndexError.
JointMeasures partitions_measures(const Partition& first, const Partition& second,
                                  std::int32_t first_groups, std::int32_t second_groups);

// Fills one row per tested position: the tested partition's group count, then
// shared information, modified Rand index and Rand index against each
// reference partition in order, then the means of the three over the
// references. A tested partition that is the same object as its predecessor
// gets its predecessor's row, computed once. Shape failures (unaligned sets,
// an empty first reference partition, first partitions of different lengths:
// "phylo-taxonomy:548"; a table whose length is not the tested set's:
// "phylo-taxonomy:550") leave the table untouched; otherwise its rows are
// cleared and refilled in order.
void partition_similarities(const PartitionSet& tested, const PartitionSet& references, RealData& table);

// The same into a new table indexed like the tested set.
RealData partition_similarities(const PartitionSet& tested, const PartitionSet& references);

// Fills one row per tested position from the four pair counts: the tested
// partition's count of distinct numbers, then Rand index, adjusted Rand
// index, and both again on counts weighted by weight (pairs joined only by the
// tested partition weigh about weight relative to the others; weight 0 drops
// them), per reference partition, then the means of the four. Shape failures:
// "phylo-taxonomy:811" (sets), "phylo-taxonomy:813" (table). A NaN weight, or
// weighted counts beyond 64 bits, is a RangeError.
void new_partition_similarities(const PartitionSet& tested, const PartitionSet& references, RealData& table,
                                double weight);

}  // namespace phylo::partitions
