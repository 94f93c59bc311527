#include "phylo/series/pair_list.hpp"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
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

std::optional<KeyRanks> distance_ranks(const RealMatrix& distances) {
    const std::size_t n = distances.size();
    return KeyRanks::of(triangle(n), [&](auto visit) {
        for (std::size_t i = 0; i + 1 < n; ++i) {
            const double* row = distances.row(i);
            for (std::size_t j = i + 1; j < n; ++j) visit(row[j]);
        }
    });
}

// Reports the steps of one or two sorts as one count.
class Steps {
public:
    Steps(const SortProgress* progress, std::size_t sorts, std::size_t m) : outer_(progress) {
        const std::size_t one = m / 2 + (m > 1 ? m - 1 : 0);
        total_ = sorts * one;
        if (outer_ && *outer_)
            inner_ = [this, one](std::size_t done, std::size_t) {
                (*outer_)(offset_ + done, total_);
                if (done == one) offset_ += one;
            };
    }
    Steps(const Steps&) = delete;
    Steps& operator=(const Steps&) = delete;
    const SortProgress* inner() const { return inner_ ? &inner_ : nullptr; }

private:
    const SortProgress* outer_;
    SortProgress inner_;
    std::size_t total_ = 0, offset_ = 0;
};

// Sorts records heap[1 .. m] by their rank, record >> shift, exactly as the
// heap sort sorts the keys. Without equal ranks any sort does that, and
// placing each record at its rank, in place, is the fastest.
template <class Record>
void sort_by_rank(HeapPositions<Record>& heap, unsigned shift, std::size_t rank_count, const SortProgress* progress) {
    if (rank_count == heap.size()) {
        for (std::size_t q = 1; q <= heap.size(); ++q)
            for (std::size_t home = (heap[q] >> shift) + 1; home != q; home = (heap[q] >> shift) + 1)
                std::swap(heap[q], heap[home]);
        if (progress && *progress && heap.size() > 0) {
            const std::size_t m = heap.size(), steps = m / 2 + (m > 1 ? m - 1 : 0);
            (*progress)(steps, steps);
        }
        return;
    }
    heap_sort(heap, [shift](Record r) { return r >> shift; }, progress);
}

// The records of the final sort, (rank << id_bits | id): rank is the rank of
// the pair's distance. In 32 bits, id numbers the wanted pairs (rank below
// wanted_ranks) in the order they are made and names them in a side table;
// every other record carries id 0, as nobody asks for it. In 64 bits, the id
// is the packed pair itself. Ids are never compared.
template <class Record>
class FinalRecords {
public:
    static constexpr bool named = sizeof(Record) == sizeof(std::uint32_t);

    FinalRecords(std::uint32_t wanted_ranks, std::size_t wanted, unsigned id_bits)
        : wanted_ranks_(wanted_ranks), id_bits_(id_bits) {
        if constexpr (named) pairs_.resize(wanted);
    }
    unsigned id_bits() const { return id_bits_; }

    Record make(std::uint32_t rank, PackedPair pair) {
        Record record = Record{rank} << id_bits_;
        if constexpr (named) {
            if (rank < wanted_ranks_) {
                record |= static_cast<Record>(next_);
                pairs_[next_++] = pair;
            }
        } else {
            record |= pair;
        }
        return record;
    }
    PackedPair pair_of(Record record) const {
        if constexpr (named) return pairs_[record & ((Record{1} << id_bits_) - 1)];
        else return static_cast<PackedPair>(record);
    }

private:
    std::uint32_t wanted_ranks_;
    unsigned id_bits_;
    std::vector<PackedPair> pairs_;
    std::size_t next_ = 0;
};

// The wanted pairs in list order, sorted on one array of m records and
// nothing else per pair (but the ranks, where too many distinct distances
// keep them per pair). With row-sum pre-ordering the same array first holds
// the packed pairs, sorted by s(j) + s(i) computed from the row sums as the
// sort compares them; then each record is turned, in place, into its final
// record for the second sort.
template <class Record>
PairwiseDistances wanted_in_order(const RealMatrix& distances, bool row_sum_preordering, const KeyRanks& ranks,
                                  FinalRecords<Record> records, std::size_t wanted, const SortProgress* progress) {
    const std::size_t n = distances.size(), m = triangle(n);
    const Steps steps(progress, row_sum_preordering ? 2 : 1, m);
    HeapPositions<Record> heap(m);
    std::size_t p = 0;
    if (!row_sum_preordering) {
        for (std::size_t i = 0; i + 1 < n; ++i) {
            const double* row = distances.row(i);
            for (std::size_t j = i + 1; j < n; ++j, ++p) heap[p + 1] = records.make(ranks(p, row[j]), pack(i, j));
        }
    } else {
        for_each_pair(n, [&](PackedPair pair) { heap[++p] = pair; });
        const std::vector<double> sums = row_sums(distances);
        heap_sort(heap, [s = sums.data()](Record r) {
            const auto pair = static_cast<PackedPair>(r);
            return s[second_of(pair)] + s[first_of(pair)];
        }, steps.inner());
        // The pairs now come in no useful order for the matrix: fetch the
        // distances (and ranks) a little ahead.
        constexpr std::size_t ahead = 64;
        const auto fetch = [&](std::size_t q) {
            const auto pair = static_cast<PackedPair>(heap[q]);
            __builtin_prefetch(distances.row(first_of(pair)) + second_of(pair));
            if (const void* where = ranks.where(fill_position(pair, n))) __builtin_prefetch(where);
        };
        for (std::size_t q = 1; q <= std::min(m, ahead); ++q) fetch(q);
        for (std::size_t q = 1; q <= m; ++q) {
            if (q + ahead <= m) fetch(q + ahead);
            const auto pair = static_cast<PackedPair>(heap[q]);
            heap[q] = records.make(ranks(fill_position(pair, n), distances(first_of(pair), second_of(pair))), pair);
        }
    }
    sort_by_rank(heap, records.id_bits(), ranks.count(), steps.inner());
    PairwiseDistances list(wanted);
    for (std::size_t q = 0; q < wanted; ++q) {
        const PackedPair pair = records.pair_of(heap[q + 1]);
        list[q] = {distances(first_of(pair), second_of(pair)), first_of(pair), second_of(pair)};
    }
    return list;
}

}  // namespace

ExactSortTuning& exact_sort_tuning() noexcept {
    static ExactSortTuning tuning;
    return tuning;
}

namespace {

// The pairs the caller wants: those with distance at most a limit, which are
// those ranked below `ranks`; and, where the split records may serve (fewer
// distinct distances than short_limit, a list long enough), how many of them
// carry each rank.
constexpr std::size_t short_limit = std::size_t{1} << 16;

struct WantedPairs {
    std::size_t count = 0;
    std::uint32_t ranks = 0;
    std::vector<std::size_t> per_rank;  // empty when not counted
};

WantedPairs wanted_within(const RealMatrix& distances, const KeyRanks& ranks, double limit) {
    const std::size_t n = distances.size();
    const bool by_rank = ranks.count() < short_limit && triangle(n) >= exact_sort_tuning().split_from;
    WantedPairs wanted;
    if (by_rank) wanted.per_rank.assign(ranks.count(), 0);
    std::size_t p = 0, largest_at = 0;
    double largest = 0.0;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const double* row = distances.row(i);
        for (std::size_t j = i + 1; j < n; ++j, ++p)
            if (row[j] <= limit) {
                if (wanted.count == 0 || row[j] > largest) largest = row[j], largest_at = p;
                ++wanted.count;
                if (by_rank) ++wanted.per_rank[ranks(p, row[j])];
            }
    }
    // Ranks keep the order of distances, so the pairs within limit are those
    // ranked up to the rank of the largest distance within limit.
    wanted.ranks = wanted.count == 0 ? 0 : ranks(largest_at, largest) + 1;
    if (by_rank) wanted.per_rank.resize(wanted.ranks);
    return wanted;
}

// Fewer than 2^16 distinct distances, and not too many wanted pairs of any
// one distance (the usual case for distances printed to a few decimals,
// where runs of equal distances make the exact sort the normal path): the
// sort runs on 16-bit heads, rank << spare | high bits of the id, with a
// second array of 16-bit tails, the id's low bits, that only the moves of
// wanted pairs touch; heads are compared by rank alone. A wanted pair's id
// numbers it among the pairs of its rank, so its rank and id name it. Still
// 4 bytes per pair, but the keys the sort reaches all over take half the room
// in the cache.
class ShortRecords {
public:
    explicit ShortRecords(const KeyRanks& ranks)
        : spare_(16 - static_cast<unsigned>(std::bit_width(ranks.count()))) {}

    // Only where the wanted pairs were counted by rank (few distinct
    // distances, a long list) and no distance holds more of them than ids of
    // 16 + spare bits tell apart.
    static bool fit(const WantedPairs& wanted, const KeyRanks& ranks) {
        if (wanted.per_rank.empty()) return false;
        const std::size_t ids = short_limit << ShortRecords(ranks).spare_;
        return std::all_of(wanted.per_rank.begin(), wanted.per_rank.end(), [ids](std::size_t c) { return c <= ids; });
    }
    std::uint16_t head(std::uint32_t rank, std::size_t id) const {
        return static_cast<std::uint16_t>(rank << spare_ | id >> 16);
    }
    static std::uint16_t tail(std::size_t id) { return static_cast<std::uint16_t>(id); }
    std::uint32_t rank(std::uint16_t head) const { return head >> spare_; }
    std::size_t id(std::uint16_t head, std::uint16_t tail) const {
        return std::size_t{static_cast<std::uint16_t>(head & ((1u << spare_) - 1))} << 16 | tail;
    }
    // The heads of ranks below `ranks` are those below this one.
    std::uint16_t first_head(std::uint32_t ranks) const { return head(ranks, 0); }
    // The rank bits of a head in place: heads compare by these as their ranks
    // do (a mask costs the sort less than a shift).
    std::uint16_t rank_bits() const { return static_cast<std::uint16_t>(0xFFFFu << spare_); }

private:
    unsigned spare_;
};

PairwiseDistances wanted_in_order_by_short_ranks(const RealMatrix& distances, const KeyRanks& ranks,
                                                 const WantedPairs& wanted, const SortProgress* progress) {
    const std::size_t n = distances.size(), m = triangle(n);
    const ShortRecords records(ranks);
    // The wanted pairs by rank, each rank's in fill order.
    std::vector<std::size_t> first(wanted.ranks + 1, 0);
    for (std::uint32_t r = 0; r < wanted.ranks; ++r) first[r + 1] = first[r] + wanted.per_rank[r];
    std::vector<std::size_t> next(first.begin(), first.end() - 1);
    std::vector<PackedPair> pairs(wanted.count);
    HeapPositions<std::uint16_t> heads(m), tails(m);
    std::size_t p = 0;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const double* row = distances.row(i);
        for (std::size_t j = i + 1; j < n; ++j, ++p) {
            const std::uint32_t rank = ranks(p, row[j]);
            if (rank < wanted.ranks) {
                const std::size_t slot = next[rank]++, id = slot - first[rank];
                heads[p + 1] = records.head(rank, id);
                tails[p + 1] = ShortRecords::tail(id);
                pairs[slot] = pack(i, j);
            } else {
                heads[p + 1] = records.head(rank, 0);
            }
        }
    }
    heap_sort(heads, tails, records.first_head(wanted.ranks),
              [mask = records.rank_bits()](std::uint16_t head) { return static_cast<std::uint16_t>(head & mask); },
              progress);
    PairwiseDistances list(wanted.count);
    for (std::size_t q = 0; q < wanted.count; ++q) {
        const std::uint16_t head = heads[q + 1];
        const PackedPair pair = pairs[first[records.rank(head)] + records.id(head, tails[q + 1])];
        list[q] = {distances(first_of(pair), second_of(pair)), first_of(pair), second_of(pair)};
    }
    return list;
}

PairwiseDistances sorted_head(const RealMatrix& distances, bool row_sum_preordering, const KeyRanks& ranks,
                              const WantedPairs& wanted, const SortProgress* progress) {
    if (wanted.count == 0) return {};
    // Without equal distances, the records of 32 bits are placed at their
    // ranks without any sort.
    if (!row_sum_preordering && ranks.count() < triangle(distances.size()) && ShortRecords::fit(wanted, ranks))
        return wanted_in_order_by_short_ranks(distances, ranks, wanted, progress);
    const auto id_bits = static_cast<unsigned>(std::bit_width(wanted.count - 1));
    const auto rank_bits = static_cast<unsigned>(std::bit_width(ranks.count() - 1));
    if (rank_bits + id_bits <= 32)
        return wanted_in_order(distances, row_sum_preordering, ranks,
                               FinalRecords<std::uint32_t>(wanted.ranks, wanted.count, id_bits), wanted.count,
                               progress);
    return wanted_in_order(distances, row_sum_preordering, ranks,
                           FinalRecords<std::uint64_t>(wanted.ranks, wanted.count, 32), wanted.count, progress);
}

}  // namespace

std::optional<PairwiseDistances> sorted_pair_list(const RealMatrix& distances, bool row_sum_preordering,
                                                  const SortProgress* progress) {
    return sorted_pairs_within(distances, row_sum_preordering, std::numeric_limits<double>::infinity(), progress);
}

std::optional<PairwiseDistances> sorted_pairs_within(const RealMatrix& distances, bool row_sum_preordering,
                                                     double limit, const SortProgress* progress) {
    if (distances.size() > packed_object_limit) return std::nullopt;
    const std::optional<KeyRanks> ranks = distance_ranks(distances);
    if (!ranks) return std::nullopt;
    return sorted_head(distances, row_sum_preordering, *ranks, wanted_within(distances, *ranks, limit), progress);
}

namespace {

// The sorts on full records, comparing the doubles themselves: for NaN keys,
// which have no rank, and for matrices too large to pack a pair into 32 bits.
PairwiseDistances sorted_by_distances(const RealMatrix& distances, bool row_sum_preordering,
                                      const SortProgress* progress) {
    const std::size_t n = distances.size();
    const Steps steps(progress, row_sum_preordering ? 2 : 1, triangle(n));
    HeapPositions<PairwiseDistance> heap(triangle(n));
    const std::vector<double> sums = row_sum_preordering ? row_sums(distances) : std::vector<double>{};
    std::size_t p = 1;
    for (std::size_t i = 0; i + 1 < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j)
            heap[p++] = {row_sum_preordering ? sums[j] + sums[i] : distances(i, j), static_cast<std::int32_t>(i),
                         static_cast<std::int32_t>(j)};
    const auto by_distance = [](const PairwiseDistance& r) { return r.distance; };
    if (row_sum_preordering) {
        heap_sort(heap, by_distance, steps.inner());
        for (std::size_t q = 1; q <= heap.size(); ++q) heap[q].distance = distances(heap[q].first, heap[q].second);
    }
    heap_sort(heap, by_distance, steps.inner());
    return PairwiseDistances(heap.data() + 1, heap.data() + 1 + heap.size());
}

}  // namespace

PairwiseDistances squared_to_pairwise(const RealMatrix& distances, bool row_sum_preordering,
                                      const SortProgress* progress) {
    if (std::optional<PairwiseDistances> list = sorted_pair_list(distances, row_sum_preordering, progress))
        return std::move(*list);
    return sorted_by_distances(distances, row_sum_preordering, progress);
}

}  // namespace phylo::series
