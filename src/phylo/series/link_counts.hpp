// The link counts of the fraction-of-links rule: how many consumed pairs join
// two clusters. Only cluster pairs with at least one link hold a count, so
// memory follows the consumed pairs rather than the square of the objects,
// and absorbing a cluster costs the links of the smaller side.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace phylo::series {

class LinkCounts {
public:
    // Clusters are named by labels 0 .. n - 1.
    explicit LinkCounts(std::size_t n);

    // One more link between the distinct clusters a and b; returns their count.
    std::uint64_t add_link(std::int32_t a, std::int32_t b);

    // The count between the distinct clusters a and b, changing nothing.
    std::uint64_t links(std::int32_t a, std::int32_t b) const;

    // Cluster a is absorbed into cluster b: for every other cluster c,
    // link(b, c) := link(b, c) + link(a, c); label a is not used again.
    void absorb(std::int32_t a, std::int32_t b);

private:
    // Counts live on nodes; a label's node changes when the cluster absorbs
    // a cluster with more neighbours, whose node then carries on.
    using Node = std::int32_t;

    struct Slot {
        std::uint64_t key;  // (lower node << 32) | higher node; 0 marks a free slot
        std::uint64_t count;
    };

    static std::uint64_t key_of(Node u, Node v);
    std::size_t home(std::uint64_t key) const;
    std::size_t find(std::uint64_t key) const;
    // The slot of key, claimed with count 0 when absent; inserted tells which.
    Slot& claim(std::uint64_t key, bool& inserted);
    // Removes key and returns its count (0 when absent).
    std::uint64_t take(std::uint64_t key);
    void grow();

    std::vector<Node> node_of_;
    std::vector<std::vector<Node>> neighbours_;  // may name nodes whose counts are gone
    std::vector<Slot> slots_;
    std::size_t used_ = 0;
    int shift_;
};

}  // namespace phylo::series
