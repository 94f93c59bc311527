// The clusters of the fraction-of-links rule while pairs are consumed in
// ascending order of distance: two clusters A and B fuse when the pair just
// consumed raises their link count to at least F * |A| * |B|.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "phylo/series/link_counts.hpp"
#include "phylo/series/pair_list.hpp"
#include "phylo/types.hpp"

namespace phylo::series {

// One pair of a run of equal distances that joins two different clusters:
// the labels of those clusters as they were at the start of the run
// (a < b), and whether consuming the pair fused two clusters.
struct RunLink {
    std::int32_t a;
    std::int32_t b;
    bool fused;
};

// Judges from the record of a run consumed in one order whether every order
// of the run ends in the same clusters and counts.
using OrderCheck = bool (*)(std::span<const RunLink> run);

// The check the series use (the reasoning is at its definition): true when
// (a) the fusing pairs join pairwise disjoint cluster pairs, and (b) no pair
// that did not fuse touches a cluster that a fusion of the run involved,
// unless it joins the same two clusters as that fusion.
bool order_free(std::span<const RunLink> run);

// Runs with at most this many pairs between different clusters have every
// order tried when the check cannot tell (720 orders at most).
inline constexpr std::size_t max_tried_run = 6;

// How a run of equal distances was settled.
enum class RunSettled {
    alone,              // at most one pair joins two different clusters
    by_check,           // the order check passed
    by_all_orders,      // every order was tried and gave the same result
    needs_exact_order,  // orders differ, or the run is too large to try them all
};

struct RunOutcome {
    bool fused;
    RunSettled settled;
};

class LinkClusters {
public:
    // n single-object clusters; fraction is F in 0 .. 1; check judges runs
    // of equal distances in consume_run.
    LinkClusters(std::size_t n, double fraction, OrderCheck check = order_free);

    // Consumes the pair (x, y); true when it fused two clusters. Only the
    // cluster pair whose count has just grown is tested.
    bool consume(std::int32_t x, std::int32_t y);

    // Consumes the run [first, last) of pairs with equal distance in the
    // given order and tells whether that order is as good as any other.
    // When it is not (needs_exact_order), the clusters are left as this
    // order made them and the caller must start again in the exact order.
    RunOutcome consume_run(const PairwiseDistance* first, const PairwiseDistance* last);

    // The current clusters as a partition, groups numbered 0, 1, ... in
    // ascending order of their highest member.
    PartitionRef partition() const;

private:
    // What a run of few pairs touches, as it was at the start of the run:
    // its clusters (local numbers 0 .. m - 1), their sizes, the counts
    // between them, and the run's pairs in local numbers.
    struct RunStart {
        std::vector<std::int32_t> label;
        std::vector<std::int64_t> size;
        std::vector<std::uint64_t> links;  // m x m, row-major
        std::vector<std::pair<std::size_t, std::size_t>> pairs;
    };

    void fuse(std::int32_t a, std::int32_t b);
    void record_start(RunStart& start) const;
    // For each local cluster, the label of the cluster holding it after the
    // run's pairs are consumed in the given order from the start state.
    std::vector<std::int32_t> labels_after(const RunStart& start, std::span<const std::size_t> order) const;
    bool all_orders_agree(const RunStart& start) const;

    double fraction_;
    OrderCheck check_;
    // A cluster is named by its highest member, its label; size and member
    // list are kept at the label, and an absorbed label has size 0.
    std::vector<std::int32_t> label_;
    std::vector<std::int64_t> size_;
    std::vector<std::int32_t> next_member_;  // -1 ends a list
    std::vector<std::int32_t> last_member_;
    LinkCounts links_;
    std::vector<RunLink> run_;  // scratches of consume_run
    RunStart start_;
};

}  // namespace phylo::series
