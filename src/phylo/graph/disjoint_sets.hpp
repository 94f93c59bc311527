// Disjoint sets over 0 .. n-1 whose representative is always the lowest
// member, with path halving. Joins spanning-tree components and merges
// cluster columns.
#pragma once

#include <cstddef>
#include <numeric>
#include <vector>

namespace phylo::graph {

class DisjointSets {
public:
    explicit DisjointSets(std::size_t n) : parent_(n) { std::iota(parent_.begin(), parent_.end(), std::size_t{0}); }

    // The lowest member of x's set.
    std::size_t root(std::size_t x) {
        while (parent_[x] != x) {
            parent_[x] = parent_[parent_[x]];
            x = parent_[x];
        }
        return x;
    }

    // Joins the sets of a and b; false when they were one set already.
    bool unite(std::size_t a, std::size_t b) {
        a = root(a);
        b = root(b);
        if (a == b) return false;
        if (a < b)
            parent_[b] = a;
        else
            parent_[a] = b;
        return true;
    }

private:
    std::vector<std::size_t> parent_;
};

}  // namespace phylo::graph
