#include "phylo/series/pair_list.hpp"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "phylo/heap_sort.hpp"
#include "phylo/series/pair_ranks.hpp"

namespace phylo::series {


std::vector<double> row_sums(const RealMatrix& distances) {
    const std::size_t n = distances.size();
    std::vector<double> sums(n);
    for (std::size_t i = 0; i < n; ++i) {
        double s = 0.0;
        for (std::size_t k = 0; k < n; ++k) s += distances(i, k);
        sums[i] = s;
    }
    return sums;
}

namespace {

// Calls visit(pair) for every pair in fill order.
template <class Visit>
void for_each_pair(std::size_t n, Visit visit) {
    for (std::size_t i = 0; i + 1 < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) visit(pack(i, j));
}

std::optional<Ranks> distance_ranks(const RealMatrix& distances) {
    const std::size_t n = distances.size();
    return rank_keys(triangle(n), [&](auto visit) {
        for_each_pair(n, [&](PackedPair pair) { visit(distances(first_of(pair), second_of(pair))); });
    });
}

std::optional<Ranks> row_sum_ranks(const std::vector<double>& sums) {
    const std::size_t n = sums.size();
    return rank_keys(triangle(n), [&](auto visit) {
        for_each_pair(n, [&](PackedPair pair) { visit(sums[second_of(pair)] + sums[first_of(pair)]); });
    });
}

// Sorts records heap[1 .. m] by their rank, record >> shift, exactly as the
// heap sort sorts the keys; without equal ranks any sort does that, and
// placing each record at its rank is the fastest.
template <class Record>
void sort_by_rank(HeapPositions<Record>& heap, unsigned shift, std::size_t rank_count) {
    if (rank_count == heap.size()) {
        HeapPositions<Record> sorted(heap.size());
        for (std::size_t q = 1; q <= heap.size(); ++q) sorted[(heap[q] >> shift) + 1] = heap[q];
        heap = std::move(sorted);
        return;
    }
    heap_sort(heap, [shift](Record r) { return r >> shift; });
}

PairwiseDistance unpack(const RealMatrix& distances, PackedPair pair) {
    return {distances(first_of(pair), second_of(pair)), first_of(pair), second_of(pair)};
}

// The final sort runs on records (rank << id_bits | id), where id numbers
// the wanted pairs (rank below wanted_ranks) in fill order; ids only name
// pairs and are never compared. Every other record carries id 0, as nobody
// asks for it. With row-sum pre-ordering the records first go through the
// first sort, on records (key rank << 32 | payload): a 32-bit final record is
// itself the payload, a 64-bit one is fetched by its fill position. Returns
// the wanted pairs in list order.
template <class Record>
std::optional<PairwiseDistances> wanted_in_order(const RealMatrix& distances, bool row_sum_preordering,
                                                 const Ranks& ranks, std::uint32_t wanted_ranks,
                                                 std::size_t wanted, unsigned id_bits) {
    const std::size_t n = distances.size(), m = triangle(n);
    std::vector<PackedPair> pairs(wanted);
    std::size_t id = 0;
    const auto record_of = [&](std::size_t position, PackedPair pair) {
        const std::uint32_t rank = ranks.of[position];
        Record record = Record{rank} << id_bits;
        if (rank < wanted_ranks) {
            record |= static_cast<Record>(id);
            pairs[id++] = pair;
        }
        return record;
    };
    HeapPositions<Record> heap(m);
    std::size_t p = 0;
    if (!row_sum_preordering) {
        for_each_pair(n, [&](PackedPair pair) {
            heap[p + 1] = record_of(p, pair);
            ++p;
        });
    } else {
        const std::optional<Ranks> key_ranks = row_sum_ranks(row_sums(distances));
        if (!key_ranks) return std::nullopt;
        constexpr bool carried = sizeof(Record) <= sizeof(std::uint32_t);
        std::vector<Record> fetched;
        if constexpr (!carried) fetched.reserve(m);
        HeapPositions<std::uint64_t> first(m);
        for_each_pair(n, [&](PackedPair pair) {
            const std::uint64_t key_rank = std::uint64_t{key_ranks->of[p]} << 32;
            const Record record = record_of(p, pair);
            if constexpr (carried) {
                first[p + 1] = key_rank | record;
            } else {
                first[p + 1] = key_rank | p;
                fetched.push_back(record);
            }
            ++p;
        });
        sort_by_rank(first, 32, key_ranks->count);
        for (std::size_t q = 1; q <= m; ++q) {
            const auto payload = static_cast<std::uint32_t>(first[q]);
            if constexpr (carried) {
                heap[q] = static_cast<Record>(payload);
            } else {
                heap[q] = fetched[payload];
            }
        }
    }
    sort_by_rank(heap, id_bits, ranks.count);
    const Record id_mask = (Record{1} << id_bits) - 1;
    PairwiseDistances list(wanted);
    for (std::size_t q = 0; q < wanted; ++q) list[q] = unpack(distances, pairs[heap[q + 1] & id_mask]);
    return list;
}

std::optional<PairwiseDistances> sorted_head(const RealMatrix& distances, bool row_sum_preordering,
                                             const Ranks& ranks, std::uint32_t wanted_ranks, std::size_t wanted) {
    if (wanted == 0) return PairwiseDistances{};
    const auto id_bits = static_cast<unsigned>(std::bit_width(wanted - 1));
    const auto rank_bits = static_cast<unsigned>(std::bit_width(ranks.count - 1));
    if (rank_bits + id_bits <= 32)
        return wanted_in_order<std::uint32_t>(distances, row_sum_preordering, ranks, wanted_ranks, wanted, id_bits);
    return wanted_in_order<std::uint64_t>(distances, row_sum_preordering, ranks, wanted_ranks, wanted, 32);
}

}  // namespace

std::optional<PairwiseDistances> sorted_pair_list(const RealMatrix& distances, bool row_sum_preordering) {
    if (distances.size() > packed_object_limit) return std::nullopt;
    const std::optional<Ranks> ranks = distance_ranks(distances);
    if (!ranks) return std::nullopt;
    const std::size_t m = ranks->of.size();
    return sorted_head(distances, row_sum_preordering, *ranks, static_cast<std::uint32_t>(ranks->count), m);
}

std::optional<PairwiseDistances> sorted_pairs_within(const RealMatrix& distances, bool row_sum_preordering,
                                                     double limit) {
    if (distances.size() > packed_object_limit) return std::nullopt;
    const std::optional<Ranks> ranks = distance_ranks(distances);
    if (!ranks) return std::nullopt;
    // Ranks keep the order of distances, so the pairs within limit are those
    // ranked below one more than the highest rank of such a pair.
    std::uint32_t wanted_ranks = 0;
    std::size_t wanted = 0, p = 0;
    for_each_pair(distances.size(), [&](PackedPair pair) {
        if (distances(first_of(pair), second_of(pair)) <= limit) {
            wanted_ranks = std::max(wanted_ranks, ranks->of[p] + 1);
            ++wanted;
        }
        ++p;
    });
    return sorted_head(distances, row_sum_preordering, *ranks, wanted_ranks, wanted);
}

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
        heap_sort(heap, by_distance);
        for (std::size_t q = 1; q <= heap.size(); ++q) heap[q].distance = distances(heap[q].first, heap[q].second);
    }
    heap_sort(heap, by_distance);
    return PairwiseDistances(heap.data() + 1, heap.data() + 1 + heap.size());
}

}  // namespace

PairwiseDistances squared_to_pairwise(const RealMatrix& distances, bool row_sum_preordering) {
    if (std::optional<PairwiseDistances> list = sorted_pair_list(distances, row_sum_preordering))
        return std::move(*list);
    return sorted_by_distances(distances, row_sum_preordering);
}

}  // namespace phylo::series
