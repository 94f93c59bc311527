#include "phylo/series/link_clusters.hpp"

#include <algorithm>
#include <memory>
#include <numeric>
#include <utility>

namespace phylo::series {

LinkClusters::LinkClusters(std::size_t n, double fraction, OrderCheck check)
    : fraction_(fraction),
      check_(check),
      label_(n),
      size_(n, 1),
      next_member_(n, -1),
      last_member_(n),
      links_(fraction > 0.0 ? n : 0) {
    std::iota(label_.begin(), label_.end(), std::int32_t{0});
    std::iota(last_member_.begin(), last_member_.end(), std::int32_t{0});
}

bool LinkClusters::consume(std::int32_t x, std::int32_t y) {
    std::int32_t a = label_[x], b = label_[y];
    if (a == b) return false;
    if (a > b) std::swap(a, b);
    // With F = 0 every link fuses, so no count is kept.
    if (fraction_ > 0.0) {
        const std::uint64_t links = links_.add_link(a, b);
        const std::int64_t pairs = size_[a] * size_[b];
        if (!(static_cast<double>(links) / static_cast<double>(pairs) >= fraction_)) return false;
    }
    fuse(a, b);
    return true;
}

// Cluster a (the lower label) joins cluster b and takes its label.
void LinkClusters::fuse(std::int32_t a, std::int32_t b) {
    for (std::int32_t o = a; o >= 0; o = next_member_[o]) label_[o] = b;
    next_member_[last_member_[b]] = a;
    last_member_[b] = last_member_[a];
    size_[b] += size_[a];
    size_[a] = 0;
    if (fraction_ > 0.0) links_.absorb(a, b);
}

// Why a run of equal distances may be consumed in any order that passes this
// check. The run starts from clusters S (fixed for this argument); a pair
// whose objects already share a cluster of S is skipped in every order, so
// only the recorded pairs between different clusters of S count. Every
// fusion happens on a recorded pair, and a pair that fused in the recorded
// order is one whose clusters of S, A and B, fused there; by (a) each
// cluster of S takes part in at most one such fusion.
//
// Take any other order and follow it pair by pair. As long as every cluster
// is either a cluster of S or the union A + B of a recorded fusion:
// - A pair between A and B (or inside A + B once fused): by (a) and (b)
//   every pair of the run that touches A or B joins A and B, so while they
//   are apart they keep their sizes of S, and after the j-th of their pairs
//   the count between them is link(A, B) at the start plus j, in this order
//   as in the recorded one. The test gives the same answer for the same j,
//   so A and B fuse after the same number of their own pairs as in the
//   recorded order, which fused them.
// - Any other pair joins clusters C and D of S that no recorded fusion
//   involved (that is (b)); they have their sizes of S, and their count is
//   at most link(C, D) at the start plus all the run's pairs between them,
//   the count with which the recorded order tested the last of those pairs
//   and found it short (C and D never changed there either). The fraction
//   is monotone in the count for a fixed size product (an integer count
//   converted to double and divided is never larger for a smaller count),
//   so this test fails as well and C and D stay apart.
// So every order fuses exactly the recorded fusions and the clusters end the
// same. The counts end the same as well: the count between two clusters is
// always the number of consumed pairs with one object in each (a count grows
// by one such pair, and a fusion adds up the counts of its two parts), which
// is fixed by the clusters and the set of consumed pairs alone.
bool order_free(std::span<const RunLink> run) {
    // The partner of every cluster that a fusion of the run involved,
    // sorted by cluster.
    std::vector<std::pair<std::int32_t, std::int32_t>> partner;
    for (const RunLink& link : run)
        if (link.fused) {
            partner.emplace_back(link.a, link.b);
            partner.emplace_back(link.b, link.a);
        }
    if (partner.empty()) return true;
    std::sort(partner.begin(), partner.end());
    for (std::size_t i = 1; i < partner.size(); ++i)
        if (partner[i].first == partner[i - 1].first) return false;  // (a)
    const auto partner_of = [&](std::int32_t c) {
        const auto it = std::lower_bound(partner.begin(), partner.end(), std::pair{c, std::int32_t{-1}});
        return it != partner.end() && it->first == c ? it->second : std::int32_t{-1};
    };
    for (const RunLink& link : run) {
        if (link.fused) continue;
        // (b), from both ends: a pair that touches a fused cluster on either
        // side must join exactly that fusion's two clusters.
        const std::int32_t of_a = partner_of(link.a), of_b = partner_of(link.b);
        if ((of_a >= 0 || of_b >= 0) && of_a != link.b) return false;
    }
    return true;
}

RunOutcome LinkClusters::consume_run(const PairwiseDistance* first, const PairwiseDistance* last) {
    run_.clear();
    for (const PairwiseDistance* p = first; p != last; ++p) {
        const std::int32_t a = label_[p->first], b = label_[p->second];
        if (a != b) run_.push_back({std::min(a, b), std::max(a, b), false});
    }
    // With F = 0 every order gives the connected components.
    const bool settled = run_.size() <= 1 || fraction_ == 0.0;
    const bool tryable = !settled && run_.size() <= max_tried_run;
    if (tryable) record_start(start_);
    // A label at the start of the run is one of its cluster's objects, so it
    // stands for the pair's object on that side.
    bool fused = false;
    for (RunLink& link : run_) {
        link.fused = consume(link.a, link.b);
        fused |= link.fused;
    }
    if (settled) return {fused, RunSettled::alone};
    if (check_(run_)) return {fused, RunSettled::by_check};
    if (tryable && all_orders_agree(start_)) return {fused, RunSettled::by_all_orders};
    return {fused, RunSettled::needs_exact_order};
}

void LinkClusters::record_start(RunStart& start) const {
    start.label.clear();
    for (const RunLink& link : run_) {
        start.label.push_back(link.a);
        start.label.push_back(link.b);
    }
    std::sort(start.label.begin(), start.label.end());
    start.label.erase(std::unique(start.label.begin(), start.label.end()), start.label.end());
    const std::size_t m = start.label.size();
    const auto local = [&](std::int32_t label) {
        return static_cast<std::size_t>(std::lower_bound(start.label.begin(), start.label.end(), label) -
                                        start.label.begin());
    };
    start.size.resize(m);
    for (std::size_t i = 0; i < m; ++i) start.size[i] = size_[start.label[i]];
    start.links.assign(m * m, 0);
    for (std::size_t i = 0; i < m; ++i)
        for (std::size_t j = i + 1; j < m; ++j)
            start.links[i * m + j] = start.links[j * m + i] = links_.links(start.label[i], start.label[j]);
    start.pairs.clear();
    for (const RunLink& link : run_) start.pairs.emplace_back(local(link.a), local(link.b));
}

// The fusion rule of consume() on the clusters the run touches; the counts
// are kept between the clusters of the start, so the count between two
// current clusters is the sum over their parts.
std::vector<std::int32_t> LinkClusters::labels_after(const RunStart& start,
                                                     std::span<const std::size_t> order) const {
    const std::size_t m = start.label.size();
    std::vector<std::size_t> group(m);  // a local cluster's current cluster, named by one of its parts
    std::iota(group.begin(), group.end(), std::size_t{0});
    std::vector<std::int64_t> size = start.size;
    std::vector<std::uint64_t> links = start.links;
    for (const std::size_t p : order) {
        const auto [i, j] = start.pairs[p];
        const std::size_t gi = group[i], gj = group[j];
        if (gi == gj) continue;
        ++links[i * m + j];
        ++links[j * m + i];
        std::uint64_t count = 0;
        for (std::size_t u = 0; u < m; ++u)
            for (std::size_t v = 0; v < m; ++v)
                if (group[u] == gi && group[v] == gj) count += links[u * m + v];
        if (!(static_cast<double>(count) / static_cast<double>(size[gi] * size[gj]) >= fraction_)) continue;
        for (std::size_t& g : group)
            if (g == gi) g = gj;
        size[gj] += size[gi];
    }
    std::vector<std::int32_t> label(m, -1);
    for (std::size_t u = 0; u < m; ++u)
        for (std::size_t v = 0; v < m; ++v)
            if (group[v] == group[u]) label[u] = std::max(label[u], start.label[v]);
    return label;
}

// Every order of the run's pairs from the start state, compared by the
// clusters they end in. That is enough for every later step: what a later
// pair does depends on the labels, the sizes and the counts alone; labels
// (highest members) and sizes follow from the clusters, and the counts from
// the clusters and the set of consumed pairs, which is the same in every
// order (see order_free). Clusters the run does not touch are the same in
// every order, as no fusion reaches them.
bool LinkClusters::all_orders_agree(const RunStart& start) const {
    std::vector<std::size_t> order(start.pairs.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const std::vector<std::int32_t> first = labels_after(start, order);
    while (std::next_permutation(order.begin(), order.end()))
        if (labels_after(start, order) != first) return false;
    return true;
}

PartitionRef LinkClusters::partition() const {
    const std::size_t n = label_.size();
    std::vector<std::int32_t> group_of_label(n, 0);
    std::int32_t group = 0;
    for (std::size_t o = 0; o < n; ++o)
        if (size_[o] > 0) group_of_label[o] = group++;
    auto partition = std::make_shared<Partition>(n);
    for (std::size_t o = 0; o < n; ++o) (*partition)[o] = group_of_label[static_cast<std::size_t>(label_[o])];
    return partition;
}

}  // namespace phylo::series
