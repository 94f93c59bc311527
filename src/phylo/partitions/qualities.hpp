// Partitions measured against the distances themselves: the qualities of
// every cluster (size, minimum, average and maximum distance within, spanning
// distance, cohesion at a threshold, isolation from the rest) and the
// Calinski-Harabasz type ratio of between- to within-cluster squared
// distances, also against second matrices whose objects are named otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "phylo/partitions/label_map.hpp"
#include "phylo/types.hpp"

namespace phylo::partitions {

// The qualities of one cluster. Every real lies in -1 .. the largest finite
// double; -1 marks a value the cluster does not define (a singleton has no
// pair of members, a partition of one cluster has no outsider).
struct ClusterQualities {
    std::int32_t size = 0;  // members
    double minimum = -1.0;  // smallest distance between two members
    double average = -1.0;  // mean distance over all member pairs
    double maximum = -1.0;  // largest distance between two members
    double spanning = -1.0;  // largest distance from a member to its nearest fellow member
    // Share of the member pairs at or below the threshold, counting only the
    // pairs beyond the n - 1 that a connected cluster needs at least.
    double cohesion = -1.0;
    double isolation = -1.0;  // smallest distance from a member to an object outside
};

// Values per partition in a row of the quality table: group number, minimum,
// average, maximum, spanning, isolation, cohesion.
inline constexpr std::size_t quality_columns = 7;

// The qualities of clusters 0..G-1 of partition, reading the upper triangle
// of distances; member pairs at distance <= threshold count as links.
std::vector<ClusterQualities> cluster_qualities(const RealMatrix& distances, const Partition& partition,
                                                double threshold);

// The quality table: one row per object (labels left empty for the caller),
// with the seven values of the object's cluster in partition k at elements
// 7k .. 7k+6. A run of positions holding one partition object is computed once.
RealData cluster_qualities(const RealMatrix& distances, const PartitionSet& partitions, double threshold);

// ((total - within) / within) * ((n - k) / (k - 1)) over the squared distances
// of the upper triangle; -1 for one cluster or n singletons.
double partition_vs_distance(const Partition& partition, const RealMatrix& distances);

// Element `column` of row k of similarities := partition_vs_distance of
// partition k; rows not yet created are left alone.
void partitions_vs_distances(const PartitionSet& partitions, const RealMatrix& distances, std::size_t column,
                             RealData& similarities);

// Rates every partition against each matrix of the list. Row 0 of name_table
// lists the objects of the partitions; row k + 1 gives, column by column, the
// name of the same object in matrices[k]. Every row of similarities is
// replaced by one with name_table.size() elements: the number of groups, then
// the ratio against each matrix.
void partitions_vs_distances(const PartitionSet& partitions, const Labels& object_labels,
                             const GroupNameTable& name_table, std::span<const Squared> matrices,
                             RealData& similarities);

// distances re-ordered to object_labels: entry (i, j) is the source entry of
// the objects that translation_row names for labels i and j, where first maps
// object labels to columns of translation_row and second maps the names found
// there to indices of distances.
RealMatrix translate_matrix(const RealMatrix& distances, const partitions::TaxonNumbers& first,
                            const partitions::TaxonNumbers& second, const Labels& object_labels,
                            const GroupNameRow& translation_row);

}  // namespace phylo::partitions
