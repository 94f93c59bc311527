#include "phylo/series/pair_list.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "phylo/lean_heap_sort.hpp"
#include "phylo/series/pair_list_order.hpp"

namespace phylo::series {
namespace {

// The sorts on full records, comparing the doubles themselves: for NaN keys,
// which have no rank, and for matrices too large to pack a pair into 32 bits.
PairwiseDistances sorted_by_distances(const RealMatrix& distances, bool row_sum_preordering) {
    const std::size_t n = distances.size();
    HeapPositions<PairwiseDistance> heap(triangle(n));
    const std::vector<double> sums = row_sum_preordering ? row_sums(distances) : std::vector<double>{};
    std::size_t p = 1;
    for (std::size_t i = 0; i + 1 < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j)
            heap[p++] = {row_sum_preordering ? sums[j] + sums[i] : distances(i, j), static_cast<std::int32_t>(i),
                         static_cast<std::int32_t>(j)};
    const auto by_distance = [](const PairwiseDistance& r) { return r.distance; };
    if (row_sum_preordering) {
        lean_heap_sort(heap.data(), heap.size(), by_distance);
        for (std::size_t q = 1; q <= heap.size(); ++q) heap[q].distance = distances(heap[q].first, heap[q].second);
    }
    lean_heap_sort(heap.data(), heap.size(), by_distance);
    return PairwiseDistances(heap.data() + 1, heap.data() + 1 + heap.size());
}

}  // namespace

PairwiseDistances squared_to_pairwise(const RealMatrix& distances, bool row_sum_preordering) {
    if (std::optional<PairwiseDistances> list = sorted_pair_list(distances, row_sum_preordering))
        return std::move(*list);
    return sorted_by_distances(distances, row_sum_preordering);
}

}  // namespace phylo::series
