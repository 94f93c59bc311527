// The clusters of the fraction-of-links rule while pairs are consumed in
// ascending order of distance: two clusters A and B fuse when the pair just
// consumed raises their link count to at least F * |A| * |B|.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "phylo/series/link_counts.hpp"
#include "phylo/series/pair_list.hpp"
#include "phylo/types.hpp"

namespace phylo::series {

class LinkClusters {
public:
    // n single-object clusters; fraction is F in 0 .. 1.
    LinkClusters(std::size_t n, double fraction);

    // Consumes the pair (x, y); true when it fused two clusters. Only the
    // cluster pair whose count has just grown is tested.
    bool consume(std::int32_t x, std::int32_t y);

    // True when consuming [first, last) in any order leaves the same clusters
    // and counts as in list order: the pairs that join two different clusters
    // join pairwise disjoint cluster pairs (pairs joining the same two
    // clusters are interchangeable, disjoint ones commute).
    bool commutes(const PairwiseDistance* first, const PairwiseDistance* last);

    // The current clusters as a partition, groups numbered 0, 1, ... in
    // ascending order of their highest member.
    PartitionRef partition() const;

private:
    void fuse(std::int32_t a, std::int32_t b);

    double fraction_;
    // A cluster is named by its highest member, its label; size and member
    // list are kept at the label, and an absorbed label has size 0.
    std::vector<std::int32_t> label_;
    std::vector<std::int64_t> size_;
    std::vector<std::int32_t> next_member_;  // -1 ends a list
    std::vector<std::int32_t> last_member_;
    LinkCounts links_;
    // Scratch of commutes(): the partner cluster of each cluster in the
    // current group of pairs, valid where mark_ holds the group's mark.
    std::vector<std::uint32_t> mark_;
    std::vector<std::int32_t> partner_;
    std::uint32_t group_mark_ = 0;
};

}  // namespace phylo::series
