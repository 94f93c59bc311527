#include "phylo/series/link_clusters.hpp"

#include <algorithm>
#include <memory>
#include <numeric>
#include <utility>

namespace phylo::series {

LinkClusters::LinkClusters(std::size_t n, double fraction)
    : fraction_(fraction),
      label_(n),
      size_(n, 1),
      next_member_(n, -1),
      last_member_(n),
      links_(fraction > 0.0 ? n : 0),
      mark_(n, 0),
      partner_(n, 0) {
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

bool LinkClusters::commutes(const PairwiseDistance* first, const PairwiseDistance* last) {
    if (++group_mark_ == 0) {
        std::fill(mark_.begin(), mark_.end(), 0);
        group_mark_ = 1;
    }
    const auto pairs_with = [&](std::int32_t a, std::int32_t b) {
        if (mark_[a] == group_mark_) return partner_[a] == b;
        mark_[a] = group_mark_;
        partner_[a] = b;
        return true;
    };
    for (const PairwiseDistance* p = first; p != last; ++p) {
        const std::int32_t a = label_[p->first], b = label_[p->second];
        if (a != b && !(pairs_with(a, b) && pairs_with(b, a))) return false;
    }
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
