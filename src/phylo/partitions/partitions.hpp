// Partitions as group numbers: turning the group names of a partition file
// into partitions aligned with a distance matrix, counting groups, sharing
// equal neighbouring partitions, and the row and column labels of the report
// tables built around partitions.
#pragma once

#include <cstdint>

#include "phylo/types.hpp"

namespace phylo::partitions {

// One partition per partition row of the transposed group-name table (rows
// 1.. of table; row 0 holds the object labels), indexed like labels: position
// k of the result comes from table row k + 1. Group numbers follow the order
// in which the groups first appear along the file's lines.
PartitionSet to_group_numbers(const Labels& labels, const GroupNameTable& table);

// Whether all partitions of a set have one length. Every user of a set asks
// this one question the same way: an empty set and an absent partition are
// index errors of their own ("empty partition set", "absent partition in a
// partition set"), never a misalignment.
bool is_aligned(const PartitionSet& set);

// Whether all rows of a group-name table have one length (a table without
// rows is aligned).
bool is_aligned(const GroupNameTable& table);

// The number of groups G, after checking that the group numbers are exactly
// 0..G-1 without gaps.
std::int32_t number_of_groups(const Partition& partition);

// Overwrites every row label with a threshold, start + step + step + ...
// accumulated by repeated addition, written in fixed point with width - 2
// decimals and right-justified in exactly width characters.
void fill(Labels& row_labels, int width, double start, double step);

// The same with integers: start, start + step, ... right-justified in width
// characters.
void fill(Labels& row_labels, int width, long long start, long long step);

// The column labels of a report table: the names once per block c = 0 ..
// times - 1, each followed by " c", with every whitespace character replaced
// by '_' ("Rand_Ind." in block 2 gives "Rand_Ind._2").
Labels repeat(const Labels& names, int times);

}  // namespace phylo::partitions

namespace phylo::partitions {

// Makes every run of consecutive equal partitions share the run's first
// partition object, so that consumers compute each run once. Absent positions
// and partitions of different length are never merged.
void squeeze(PartitionSet& set);

}  // namespace phylo::partitions
