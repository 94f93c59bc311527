#include "phylo/partitions/qualities.hpp"

#include <algorithm>
#include <limits>
#include <string>

#include "phylo/errors.hpp"
#include "phylo/partitions/partitions.hpp"
#include "phylo/number_images.hpp"

namespace phylo::partitions {

namespace {

constexpr double largest_real = std::numeric_limits<double>::max();

// What the pair walk gathers for one cluster.
struct ClusterSums {
    std::int32_t size = 0;
    double minimum = largest_real;
    double sum = 0.0;
    double maximum = 0.0;
    double spanning = -1.0;
    double isolation = largest_real;
    std::int64_t links = 0;
};

// A quality outside -1 .. the largest finite real (a sum that overflowed)
// stops the run instead of reaching the report.
double checked(double quality) {
    if (!(quality >= -1.0 && quality <= largest_real))
        throw RangeError("cluster quality " + real_image(quality) + " is outside -1 .. largest real");
    return quality;
}

ClusterQualities finish(const ClusterSums& sums, bool several_clusters) {
    const std::int64_t n = sums.size;
    ClusterQualities q;
    q.size = sums.size;
    if (n >= 2) {
        q.minimum = sums.minimum;
        q.average = 2.0 * sums.sum / static_cast<double>(n * (n - 1));
        q.maximum = sums.maximum;
        q.spanning = sums.spanning;
    }
    if (n >= 3) {
        // Links beyond the n - 1 a connected cluster needs, as a share of the
        // member pairs beyond them; fewer links than that is undefined.
        const double cohesion =
            static_cast<double>(2 * (sums.links - (n - 1))) / static_cast<double>((n - 1) * (n - 2));
        q.cohesion = cohesion < 0.0 ? -1.0 : cohesion;
    }
    if (several_clusters) q.isolation = sums.isolation;
    q.minimum = checked(q.minimum);
    q.average = checked(q.average);
    q.maximum = checked(q.maximum);
    q.spanning = checked(q.spanning);
    q.isolation = checked(q.isolation);
    return q;
}

}  // namespace

std::vector<ClusterQualities> cluster_qualities(const RealMatrix& distances, const Partition& partition,
                                                double threshold) {
    const std::size_t n = distances.size();
    if (partition.size() != n) throw SizeError(size_error::refno_chars, "phylo-taxonomy:1125");
    for (const GroupNumber group : partition)
        if (group < 0 || static_cast<std::size_t>(group) >= n)
            throw IndexError("group number " + decimal(group) + " is outside 0 .. " + decimal(n - 1));
    if (n == 0) return {};

    std::vector<ClusterSums> clusters(n);
    std::vector<double> nearest(n, largest_real);
    for (std::size_t i = 0; i < n; ++i) {
        const double* row = distances.row(i);
        ClusterSums& own = clusters[partition[i]];
        ++own.size;
        for (std::size_t j = i + 1; j < n; ++j) {
            const double d = row[j];
            if (d < 0.0) throw NegativeDistance("negative distance " + real_image(d) + " between objects " +
                                                    decimal(i) + " and " + decimal(j), i, j);
            if (partition[j] != partition[i]) {
                ClusterSums& other = clusters[partition[j]];
                if (d < own.isolation) own.isolation = d;
                if (d < other.isolation) other.isolation = d;
            } else {
                if (d <= threshold) ++own.links;
                if (d < nearest[i]) nearest[i] = d;
                if (d < nearest[j]) nearest[j] = d;
                if (d < own.minimum) own.minimum = d;
                if (d > own.maximum) own.maximum = d;
                own.sum += d;
            }
        }
    }

    const std::size_t groups = static_cast<std::size_t>(*std::max_element(partition.begin(), partition.end())) + 1;
    for (std::size_t i = 0; i < n; ++i) {
        ClusterSums& own = clusters[partition[i]];
        if (nearest[i] > own.spanning) own.spanning = nearest[i];
    }

    std::vector<ClusterQualities> qualities(groups);
    for (std::size_t c = 0; c < groups; ++c) {
        if (clusters[c].size == 0) throw RangeError("group number " + decimal(c) + " has no member");
        qualities[c] = finish(clusters[c], groups > 1);
    }
    return qualities;
}

RealData cluster_qualities(const RealMatrix& distances, const PartitionSet& partitions, double threshold) {
    if (!is_aligned(partitions)) throw SizeError(size_error::refno_chars, "phylo-taxonomy:1249");
    if (threshold < 0.0) throw RangeError("threshold " + real_image(threshold) + " is negative");

    const std::size_t n = distances.size();
    RealData table(n);
    for (auto& row : table.rows) row.resize(quality_columns * partitions.size());
    std::vector<ClusterQualities> qualities;
    const Partition* computed = nullptr;
    for (std::size_t k = 0; k < partitions.size(); ++k) {
        const Partition& partition = *partitions[k];
        if (&partition != computed) {
            qualities = cluster_qualities(distances, partition, threshold);
            computed = &partition;
        }
        for (std::size_t i = 0; i < n; ++i) {
            const GroupNumber group = partition[i];
            const ClusterQualities& q = qualities[group];
            double* out = table.rows[i].data() + quality_columns * k;
            out[0] = group;
            out[1] = q.minimum;
            out[2] = q.average;
            out[3] = q.maximum;
            out[4] = q.spanning;
            out[5] = q.isolation;
            out[6] = q.cohesion;
        }
    }
    return table;
}

double partition_vs_distance(const Partition& partition, const RealMatrix& distances) {
    const std::size_t n = distances.size();
    if (partition.size() != n) throw SizeError(size_error::real_chars, "phylo-taxonomy:915");
    double total = 0.0;
    double within = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double* row = distances.row(i);
        for (std::size_t j = i + 1; j < n; ++j) {
            const double square = row[j] * row[j];
            total += square;
            if (partition[j] == partition[i]) within += square;
        }
    }
    GroupNumber highest = 0;
    for (const GroupNumber group : partition) highest = std::max(highest, group);
    const std::int64_t k = static_cast<std::int64_t>(highest) + 1;
    const std::int64_t objects = static_cast<std::int64_t>(n);
    if (k == 1 || k == objects) return -1.0;
    // Clusters of identical objects: a tiny within sum keeps the ratio large and finite.
    if (within == 0.0) within = 0.000001;
    return ((total - within) / within) * (static_cast<double>(objects - k) / static_cast<double>(k - 1));
}

void partitions_vs_distances(const PartitionSet& partitions, const RealMatrix& distances, std::size_t column,
                             RealData& similarities) {
    if (similarities.size() != partitions.size()) throw SizeError(size_error::real_chars, "phylo-taxonomy:992");
    const Partition* computed = nullptr;
    double value = 0.0;
    for (std::size_t k = 0; k < partitions.size(); ++k) {
        if (!partitions[k]) throw Error("access error", "no partition at position " + decimal(k));
        if (partitions[k].get() != computed) {
            value = partition_vs_distance(*partitions[k], distances);
            computed = partitions[k].get();
        }
        std::vector<double>& row = similarities.rows[k];
        if (row.empty()) continue;
        if (column >= row.size())
            throw IndexError("column " + decimal(column) + " is outside a row of " +
                             decimal(row.size()) + " values");
        row[column] = value;
    }
}

void partitions_vs_distances(const PartitionSet& partitions, const Labels& object_labels,
                             const GroupNameTable& name_table, std::span<const Squared> matrices,
                             RealData& similarities) {
    const bool partitions_fit = !partitions.empty() && is_aligned(partitions) && !partitions.front()->empty();
    const std::size_t n = partitions_fit ? partitions.front()->size() : 0;
    if (!partitions_fit || name_table.empty() || !is_aligned(name_table) || name_table.front().size() != n ||
        object_labels.size() != n || matrices.size() != name_table.size() - 1)
        throw SizeError(size_error::group_names, "phylo-taxonomy:1038");
    if (similarities.size() != partitions.size()) throw SizeError(size_error::real_chars, "phylo-taxonomy:1040");

    for (auto& row : similarities.rows) row.assign(name_table.size(), 0.0);
    const partitions::TaxonNumbers objects = partitions::to_map(name_table.front(), partitions::MapMode::UNIQUE);

    const Partition* counted = nullptr;
    double groups = 0.0;
    for (std::size_t k = 0; k < partitions.size(); ++k) {
        if (partitions[k].get() != counted) {
            groups = number_of_groups(*partitions[k]);
            counted = partitions[k].get();
        }
        similarities.rows[k][0] = groups;
    }

    for (std::size_t k = 1; k < name_table.size(); ++k) {
        const Squared& second = matrices[k - 1];
        const partitions::TaxonNumbers names = partitions::to_map(second.labels, partitions::MapMode::UNIQUE);
        const RealMatrix translated = translate_matrix(second.matrix, objects, names, object_labels, name_table[k]);
        partitions_vs_distances(partitions, translated, k, similarities);
    }
}

RealMatrix translate_matrix(const RealMatrix& distances, const partitions::TaxonNumbers& first,
                            const partitions::TaxonNumbers& second, const Labels& object_labels,
                            const GroupNameRow& translation_row) {
    // The source index of every object, looked up once rather than per entry.
    const std::size_t n = object_labels.size();
    std::vector<std::size_t> source(n);
    for (std::size_t i = 0; i < n; ++i) {
        const auto column = static_cast<std::size_t>(first.at(object_labels[i]));
        if (column >= translation_row.size())
            throw IndexError("column " + decimal(column) + " is outside the translation row");
        source[i] = static_cast<std::size_t>(second.at(translation_row[column]));
        if (source[i] >= distances.size())
            throw IndexError("object " + decimal(source[i]) + " is outside the source matrix");
    }
    RealMatrix result;
    gather(distances, std::span<const std::size_t>(source), result);
    return result;
}

}  // namespace phylo::partitions
