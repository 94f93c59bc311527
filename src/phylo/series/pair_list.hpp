// The pair list: every unordered pair of objects with its distance, sorted by
// ascending distance. The fraction-of-links series, the clique series and the
// spanning-tree builder all consume pairs in this order.
//
// The exact order is computed on compact records. The
// list is the upper triangle in fill order (0,1), (0,2), ..., (1,2), ...,
// sorted with the heap sort by distance (and before that, with row-sum
// pre-ordering, by s(j) + s(i)); equal keys end where the heap sort leaves
// them, which our users' results depend on. Records of the distance sort
// carry the rank of their distance, which the heap sort compares exactly as
// it would the distance, and a payload: the pair packed into 32 bits, or only
// an index of the pairs that matter to the caller. Where both the ranks and
// that index fit 16 bits, the two halves of a record live in two arrays and
// the index moves only with the records that have one. The row-sum sort runs
// on the packed pairs themselves, its keys computed as they are compared. One
// array of 4 or 8 bytes per pair (or two of 2 bytes) is all that lives
// through the sorts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "phylo/heap_sort.hpp"
#include "phylo/types.hpp"

namespace phylo::series {

// One unordered pair of objects; first < second.
struct PairwiseDistance {
    double distance;
    std::int32_t first;
    std::int32_t second;
};

using PairwiseDistances = std::vector<PairwiseDistance>;

// All n(n-1)/2 pairs of the upper triangle (row below column), sorted by
// distance with phylo::heap_sort. With row-sum pre-ordering the pairs are
// first sorted by the sum of their two objects' row sums, which decides the
// order of equal distances in the second sort. progress, when given, hears
// how far the sorts have come.
PairwiseDistances squared_to_pairwise(const RealMatrix& distances, bool row_sum_preordering,
                                      const SortProgress* progress = nullptr);


using PackedPair = std::uint32_t;  // first << 16 | second

// Matrices up to this many objects pack a pair into 32 bits.
inline constexpr std::size_t packed_object_limit = std::size_t{1} << 16;

inline PackedPair pack(std::size_t first, std::size_t second) {
    return static_cast<PackedPair>(first << 16 | second);
}
inline std::int32_t first_of(PackedPair pair) { return static_cast<std::int32_t>(pair >> 16); }
inline std::int32_t second_of(PackedPair pair) { return static_cast<std::int32_t>(pair & 0xFFFFu); }

// The position of a pair in fill order.
inline std::size_t fill_position(PackedPair pair, std::size_t n) {
    const std::size_t i = pair >> 16, j = pair & 0xFFFFu;
    return i * (2 * n - i - 1) / 2 + (j - i - 1);
}

inline std::size_t triangle(std::size_t n) { return n < 2 ? 0 : n * (n - 1) / 2; }

// s(i) = d(i, 0) + d(i, 1) + ... + d(i, n - 1), added left to right over the
// whole row.
std::vector<double> row_sums(const RealMatrix& distances);

// Where the exact sort runs on split 16-bit records (when they fit): on lists
// of at least split_from pairs. Smaller lists stay in the cache as records of
// 32 bits, which then sort as fast or faster. Both give the same order; tests
// lower the bound to reach the split records on small matrices.
struct ExactSortTuning {
    std::size_t split_from = std::size_t{1} << 23;
};
ExactSortTuning& exact_sort_tuning() noexcept;

// The whole list sorted exactly; nothing when a key is NaN or the matrix is
// too large to pack its pairs.
std::optional<PairwiseDistances> sorted_pair_list(const RealMatrix& distances, bool row_sum_preordering,
                                                  const SortProgress* progress = nullptr);

// The head of that list holding every pair with distance at most limit, in
// the list's order (so, the pairs some threshold up to limit consumes);
// nothing as above.
std::optional<PairwiseDistances> sorted_pairs_within(const RealMatrix& distances, bool row_sum_preordering,
                                                     double limit, const SortProgress* progress = nullptr);

}  // namespace phylo::series
