#include "phylo/partitions/similarity.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "phylo/errors.hpp"
#include "phylo/partitions/partitions.hpp"
#include "phylo/number_images.hpp"

namespace phylo::partitions {
namespace {

using Count = std::int64_t;

// Pair counts stay in 64 bits: n(n-1) passes 32 bits from 46,341 objects on.
Count pairs_within(Count size) { return size * (size - 1) / 2; }

double real(Count count) { return static_cast<double>(count); }

// ---------------------------------------------------------------------------
// Partitions laid out for contingency tables

// A partition ready to take part in contingency tables. Listed group by group
// (ascending group number, ascending object within a group), group g's
// objects occupy positions starts[g] .. starts[g + 1] - 1.
struct Grouping {
    const Partition* source = nullptr;
    Partition renumbered;               // the source's numbers as ranks, when they needed them
    std::vector<std::size_t> starts;    // one more entry than group numbers
    std::vector<std::size_t> listing;   // the objects group by group; only for the column side
    Count pairs = 0;                    // object pairs in a common group

    const Partition& numbers() const { return renumbered.empty() ? *source : renumbered; }
    std::size_t slots() const { return starts.size() - 1; }
    Count size_of(std::size_t g) const { return static_cast<Count>(starts[g + 1] - starts[g]); }
};

// Lays the partition out with numbers 0 .. slots - 1; any other number breaks
// the partition invariant and is an index error.
void lay_out(Grouping& grouping, std::int32_t slots, bool listed) {
    if (slots < 0) throw RangeError("group count " + decimal(slots) + " is negative");
    const Partition& numbers = grouping.numbers();
    std::vector<std::size_t>& starts = grouping.starts;
    starts.assign(static_cast<std::size_t>(slots) + 1, 0);
    for (const GroupNumber g : numbers) {
        if (g < 0 || g >= slots) {
            throw IndexError("group number " + decimal(g) + " outside 0 .. " + decimal(slots - 1));
        }
        ++starts[static_cast<std::size_t>(g) + 1];
    }
    for (std::size_t g = 0; g < grouping.slots(); ++g) {
        grouping.pairs += pairs_within(static_cast<Count>(starts[g + 1]));
        starts[g + 1] += starts[g];
    }
    if (listed) {
        std::vector<std::size_t> next(starts.begin(), starts.end() - 1);
        grouping.listing.resize(numbers.size());
        for (std::size_t k = 0; k < numbers.size(); ++k) grouping.listing[next[numbers[k]]++] = k;
    }
}

// For the indices built on group numbers: they must run within 0 .. groups - 1.
Grouping numbered_grouping(const Partition& partition, std::int32_t groups, bool listed) {
    Grouping grouping;
    grouping.source = &partition;
    lay_out(grouping, groups, listed);
    return grouping;
}

// Every number replaced by its rank among the partition's distinct numbers:
// the same groups in the same order, numbered from 0.
Partition ranks(const Partition& partition) {
    Partition distinct = partition;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    Partition ranked(partition.size());
    std::transform(partition.begin(), partition.end(), ranked.begin(), [&](GroupNumber g) {
        return static_cast<GroupNumber>(std::lower_bound(distinct.begin(), distinct.end(), g) - distinct.begin());
    });
    return ranked;
}

// For measures that only ask whether two objects share a number: any
// numbering goes. Numbers within 0 .. n-1 (every valid partition) index the
// table as they are, gaps giving empty groups; others are replaced by ranks.
Grouping any_grouping(const Partition& partition, bool listed) {
    Grouping grouping;
    grouping.source = &partition;
    const bool indexable = std::all_of(partition.begin(), partition.end(), [&](GroupNumber g) {
        return g >= 0 && static_cast<std::size_t>(g) < partition.size();
    });
    if (!indexable) grouping.renumbered = ranks(partition);
    lay_out(grouping, static_cast<std::int32_t>(partition.size()), listed);
    return grouping;
}

std::int32_t distinct_groups(const Grouping& grouping) {
    std::int32_t groups = 0;
    for (std::size_t g = 0; g < grouping.slots(); ++g) groups += grouping.size_of(g) > 0 ? 1 : 0;
    return groups;
}

// Scratch space for the contingency tables of one call, reused pair by pair.
class Contingency {
public:
    // Calls visit(n_ij) for every non-empty cell of the table with the row
    // side's groups as rows and the column side's as columns, in row-major
    // order: rows ascending, columns ascending within a row. The column
    // side's objects, listed group by group, are dealt into the rows, so each
    // row receives its column numbers already ascending and equal numbers
    // adjacent: O(n + row groups), without a G1 x G2 table.
    template <class Visit>
    void for_each_cell(const Grouping& rows, const Grouping& columns, Visit visit) {
        const Partition& row_of = rows.numbers();
        const Partition& column_of = columns.numbers();
        next_.assign(rows.starts.begin(), rows.starts.end() - 1);
        dealt_.resize(row_of.size());
        for (const std::size_t k : columns.listing) dealt_[next_[static_cast<std::size_t>(row_of[k])]++] = column_of[k];
        for (std::size_t g = 0; g < rows.slots(); ++g) {
            const std::size_t end = rows.starts[g + 1];
            for (std::size_t k = rows.starts[g]; k < end;) {
                std::size_t run_end = k + 1;
                while (run_end < end && dealt_[run_end] == dealt_[k]) ++run_end;
                visit(static_cast<Count>(run_end - k));
                k = run_end;
            }
        }
    }

private:
    std::vector<std::size_t> next_;
    std::vector<GroupNumber> dealt_;
};

JointMeasures joint_measures(const Grouping& first, const Grouping& second, Contingency& table) {
    const auto n = static_cast<Count>(first.numbers().size());
    const double reciprocal = 1.0 / real(n);
    JointMeasures joint;
    table.for_each_cell(first, second, [&](Count cell) {
        joint.pairs_in_both += pairs_within(cell);
        // A cell holding every object is certain: its term is exactly zero,
        // where n x (1/n) may fall one unit short of 1 (n = 49).
        const double p = cell == n ? 1.0 : real(cell) * reciprocal;
        joint.joint_entropy = joint.joint_entropy - p * std::log(p);
    });
    return joint;
}

// ---------------------------------------------------------------------------
// Shapes and table rows

// The positions of a partition set in runs of one partition object.
struct Runs {
    std::vector<const Partition*> partition;  // per run
    std::vector<std::size_t> of_position;     // the run of every position
};

Runs runs_of(const PartitionSet& set) {
    Runs runs;
    for (std::size_t p = 0; p < set.size(); ++p) {
        if (p == 0 || set[p] != set[p - 1]) runs.partition.push_back(set[p].get());
        runs.of_position.push_back(runs.partition.size() - 1);
    }
    return runs;
}

// A similarity row: the group count, the K values of every reference position
// in order (each taken from its run), then the K means, sum x (1/R).
template <std::size_t K>
std::vector<double> similarity_row(double groups, const std::vector<std::array<double, K>>& by_run,
                                   const std::vector<std::size_t>& run_of_position) {
    std::vector<double> row;
    row.reserve(K * (run_of_position.size() + 1) + 1);
    row.push_back(groups);
    std::array<double, K> sums{};
    for (const std::size_t run : run_of_position) {
        for (std::size_t v = 0; v < K; ++v) {
            row.push_back(by_run[run][v]);
            sums[v] = sums[v] + by_run[run][v];
        }
    }
    const double reciprocal = 1.0 / real(static_cast<Count>(run_of_position.size()));
    for (const double sum : sums) row.push_back(sum * reciprocal);
    return row;
}

// Once the shapes are known to fit, the rows the table held are released;
// from then on a failure leaves the table holding the rows finished so far.
void release_rows(RealData& table) { table.rows.assign(table.rows.size(), {}); }

// Fills the table in order; a position that holds the same partition object
// as its predecessor receives the predecessor's row instead of computing it
// again.
template <class RowOf>
void fill_rows(const PartitionSet& tested, RealData& table, RowOf row_of) {
    for (std::size_t i = 0; i < tested.size(); ++i) {
        if (i > 0 && tested[i] == tested[i - 1]) {
            table.rows[i] = table.rows[i - 1];
        } else {
            table.rows[i] = row_of(*tested[i]);
        }
    }
}

// ---------------------------------------------------------------------------
// Shared information, modified Rand index, Rand index

struct Reference {
    PartitionMeasures measures;
    Grouping grouping;
};

std::array<double, 3> three_indices(const PartitionMeasures& tested, const PartitionMeasures& reference,
                                    const JointMeasures& joint, double reciprocal_pairs) {
    const Count a = tested.pairs;
    const Count b = reference.pairs;
    const Count c = joint.pairs_in_both;
    const double h12 = joint.joint_entropy;
    const double shared = (tested.entropy + reference.entropy - h12) / h12;
    const double expected = real(a) * real(b) * reciprocal_pairs;
    const double denominator = real(a + b) * 0.5 - expected;
    const double modified = denominator == 0.0 ? 1.0 : (real(c) - expected) / denominator;
    const double rand = real(2 * c - a - b) * reciprocal_pairs + 1.0;
    return {shared, modified, rand};
}

// ---------------------------------------------------------------------------
// The four pair counts and their indices

// Over all unordered pairs of objects: apart in both partitions, together in
// the reference only, together in the tested only, together in both.
struct PairCounts {
    Count apart;
    Count reference_only;
    Count tested_only;
    Count both;
};

Count checked_sum(Count x, Count y) {
    Count sum = 0;
    if (__builtin_add_overflow(x, y, &sum)) throw RangeError("pair count sum exceeds 64 bits");
    return sum;
}

Count checked_product(Count x, Count y) {
    Count product = 0;
    if (__builtin_mul_overflow(x, y, &product)) throw RangeError("pair count product exceeds 64 bits");
    return product;
}

// The same integers a loop over all pairs would count, from the contingency
// table: together in both is the sum over its cells, the rest follows from
// each partition's own pairs.
PairCounts pair_counts(const Grouping& tested, const Grouping& reference, Contingency& table) {
    const std::size_t n = tested.numbers().size();
    if (reference.numbers().size() != n) throw SizeError(size_error::count_chars, "phylo-taxonomy:757");
    Count both = 0;
    table.for_each_cell(tested, reference, [&](Count cell) { both += pairs_within(cell); });
    const Count tested_only = tested.pairs - both;
    const Count reference_only = reference.pairs - both;
    return {pairs_within(static_cast<Count>(n)) - tested_only - reference_only - both, reference_only, tested_only,
            both};
}

// Rand index and adjusted Rand index of four counts.
std::array<double, 2> count_indices(const PairCounts& counts) {
    const Count a = counts.apart;
    const Count b = counts.reference_only;
    const Count c = counts.tested_only;
    const Count d = counts.both;
    const double total = real(a) + real(b) + real(c) + real(d);
    const double rand = (real(a) + real(d)) / total;
    const Count x = checked_sum(checked_product(checked_sum(a, b), checked_sum(b, d)),
                                checked_product(checked_sum(a, c), checked_sum(c, d)));
    const Count y = checked_sum(checked_product(checked_sum(a, c), checked_sum(a, b)),
                                checked_product(checked_sum(b, d), checked_sum(c, d)));
    const double expected = 1.0 / (1.0 + real(x) / real(y));
    const double adjusted = expected < 1.0 ? (rand - expected) / (1.0 - expected) : 0.0;
    return {rand, adjusted};
}

// Pairs joined by the tested partition against the reference weigh about
// weight relative to all others: every other count is multiplied by 1/weight
// rounded half away from zero; weight 0 or less drops them.
PairCounts weighted(PairCounts counts, double weight) {
    if (weight >= 1.0) return counts;
    if (weight > 0.0) {
        const double multiplier = std::round(1.0 / weight);
        if (!(multiplier < 0x1p63)) throw RangeError("pair count weight multiplier exceeds 64 bits");
        const auto m = static_cast<Count>(multiplier);
        counts.apart = checked_product(counts.apart, m);
        counts.reference_only = checked_product(counts.reference_only, m);
        counts.both = checked_product(counts.both, m);
        return counts;
    }
    counts.tested_only = 0;
    return counts;
}

}  // namespace

PartitionMeasures partition_measures(const Partition& partition) {
    const Grouping grouping = any_grouping(partition, false);
    const double reciprocal = 1.0 / real(static_cast<Count>(partition.size()));
    PartitionMeasures measures;
    measures.pairs = grouping.pairs;
    for (std::size_t g = 0; g < grouping.slots(); ++g) {
        const Count size = grouping.size_of(g);
        if (size == 0) continue;
        ++measures.groups;
        const double p = real(size) * reciprocal;
        measures.entropy = measures.entropy - p * std::log(p);
    }
    return measures;
}

JointMeasures partitions_measures(const Partition& first, const Partition& second, std::int32_t first_groups,
                                  std::int32_t second_groups) {
    if (first.size() != second.size()) throw SizeError(size_error::count_chars, "phylo-taxonomy:454");
    Contingency table;
    return joint_measures(numbered_grouping(first, first_groups, false),
                          numbered_grouping(second, second_groups, true), table);
}

void partition_similarities(const PartitionSet& tested, const PartitionSet& references, RealData& table) {
    if (!is_aligned(tested) || !is_aligned(references) || references.front()->empty() ||
        tested.front()->size() != references.front()->size()) {
        throw SizeError(size_error::refno_chars, "phylo-taxonomy:548");
    }
    if (table.size() != tested.size()) throw SizeError(size_error::real_chars, "phylo-taxonomy:550");

    release_rows(table);

    const Count all_pairs = pairs_within(static_cast<Count>(references.front()->size()));
    const double reciprocal_pairs = 1.0 / real(all_pairs);
    const Runs runs = runs_of(references);
    std::vector<Reference> prepared;
    for (const Partition* reference : runs.partition) {
        const PartitionMeasures measures = partition_measures(*reference);
        prepared.push_back({measures, numbered_grouping(*reference, measures.groups, true)});
    }
    Contingency contingency;
    std::vector<std::array<double, 3>> by_run(prepared.size());
    fill_rows(tested, table, [&](const Partition& partition) {
        const PartitionMeasures measures = partition_measures(partition);
        const Grouping rows = numbered_grouping(partition, measures.groups, false);
        for (std::size_t run = 0; run < prepared.size(); ++run) {
            const Reference& reference = prepared[run];
            by_run[run] = three_indices(measures, reference.measures,
                                        joint_measures(rows, reference.grouping, contingency), reciprocal_pairs);
        }
        return similarity_row(real(measures.groups), by_run, runs.of_position);
    });
}

RealData partition_similarities(const PartitionSet& tested, const PartitionSet& references) {
    RealData table(tested.size());
    partition_similarities(tested, references, table);
    return table;
}

void new_partition_similarities(const PartitionSet& tested, const PartitionSet& references, RealData& table,
                                double weight) {
    if (std::isnan(weight)) throw RangeError("pair count weight is not a number");
    if (!is_aligned(tested) || !is_aligned(references) || tested.front()->size() != references.front()->size()) {
        throw SizeError(size_error::refno_chars, "phylo-taxonomy:811");
    }
    if (table.size() != tested.size()) throw SizeError(size_error::real_chars, "phylo-taxonomy:813");
    if (tested.front()->empty()) throw IndexError("partitions without objects");
    release_rows(table);

    const Runs runs = runs_of(references);
    std::vector<Grouping> prepared;
    for (const Partition* reference : runs.partition) prepared.push_back(any_grouping(*reference, true));
    Contingency contingency;
    std::vector<std::array<double, 4>> by_run(prepared.size());
    fill_rows(tested, table, [&](const Partition& partition) {
        const Grouping rows = any_grouping(partition, false);
        for (std::size_t run = 0; run < prepared.size(); ++run) {
            const PairCounts counts = pair_counts(rows, prepared[run], contingency);
            const auto [rand, adjusted] = count_indices(counts);
            const auto [weighted_rand, weighted_adjusted] = count_indices(weighted(counts, weight));
            by_run[run] = {rand, adjusted, weighted_rand, weighted_adjusted};
        }
        return similarity_row(real(distinct_groups(rows)), by_run, runs.of_position);
    });
}

}  // namespace phylo::partitions
