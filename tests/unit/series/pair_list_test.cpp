// The pair list: the heap sort's order of equal distances traced by hand,
// row-sum pre-ordering, and the lean exact sort: the heap build shared out
// over threads, the compact records (32 bits with a side table of wanted pairs,
// 64 bits with the pair itself, ranks by table or kept per pair), the
// row-sum sort on packed pairs, and the progress it reports, all against the
// literal sort of whole records.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#ifdef _OPENMP
#include <omp.h>
#endif

#include "phylo/heap_sort.hpp"
#include "phylo/series/pair_list.hpp"
#include "random_matrices.hpp"
#include "test_support.hpp"

namespace {

using phylo::RealMatrix;
using phylo::series::PairwiseDistance;
using phylo::series::PairwiseDistances;
using phylo::series::squared_to_pairwise;
using tarvix_test::literal_pairwise;

using tarvix_test::from_upper;
using tarvix_test::matrix;

std::vector<std::pair<int, int>> pairs_of(const PairwiseDistances& list) {
    std::vector<std::pair<int, int>> pairs;
    for (const PairwiseDistance& p : list) pairs.emplace_back(p.first, p.second);
    return pairs;
}

// Pairs with the exact bits of their distances (NaN compares too).
std::vector<std::tuple<int, int, std::uint64_t>> records_of(const PairwiseDistances& list) {
    std::vector<std::tuple<int, int, std::uint64_t>> records;
    for (const PairwiseDistance& p : list)
        records.emplace_back(p.first, p.second, std::bit_cast<std::uint64_t>(p.distance));
    return records;
}

TEST(PairList, EqualDistancesEndInTheHeapSortsOrder) {
    // Traced by hand through the heap sort: three equal distances in list
    // order (0,1), (0,2), (1,2) come out as (1,2), (0,1), (0,2).
    EXPECT_EQ(pairs_of(squared_to_pairwise(from_upper(3, {1, 1, 1}), false)),
              (std::vector<std::pair<int, int>>{{1, 2}, {0, 1}, {0, 2}}));
    // Six pairs alternating 2, 1, 2, 1, 2, 1 (traced by hand as well).
    EXPECT_EQ(pairs_of(squared_to_pairwise(from_upper(4, {2, 1, 2, 1, 2, 1}), false)),
              (std::vector<std::pair<int, int>>{{0, 2}, {2, 3}, {1, 2}, {0, 3}, {0, 1}, {1, 3}}));
}

TEST(PairList, ReadsTheUpperTriangleAndKeepsTheDistance) {
    const RealMatrix d = matrix({{0, 3, 1}, {9, 0, 2}, {9, 9, 0}});
    const PairwiseDistances list = squared_to_pairwise(d, false);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].distance, 1.0);
    EXPECT_EQ(list[1].distance, 2.0);
    EXPECT_EQ(list[2].distance, 3.0);
    EXPECT_EQ(pairs_of(list), (std::vector<std::pair<int, int>>{{0, 2}, {1, 2}, {0, 1}}));
}

TEST(PairList, RowSumPreorderingDecidesTheOrderOfEqualDistances) {
    // Whole-row sums 2, 6, 0 give keys (0,1) 8, (0,2) 2, (1,2) 6; the first
    // sort yields (0,2), (1,2), (0,1), and the second sort of three equal
    // distances moves positions (1, 2, 3) to (3, 1, 2) as traced above.
    const RealMatrix d = matrix({{0, 1, 1}, {5, 0, 1}, {0, 0, 0}});
    EXPECT_EQ(pairs_of(squared_to_pairwise(d, true)), (std::vector<std::pair<int, int>>{{0, 1}, {0, 2}, {1, 2}}));
    EXPECT_EQ(pairs_of(squared_to_pairwise(d, false)), (std::vector<std::pair<int, int>>{{1, 2}, {0, 1}, {0, 2}}));
}

TEST(PairList, RowSumsAddTheWholeRowDiagonalIncluded) {
    // Every distance 1 and d(2,2) = 5: row sums 2, 2, 7 give keys (0,1) 4,
    // (0,2) 9, (1,2) 9. The first sort leaves (0,1), (1,2), (0,2); the second
    // sort of three equal distances moves positions (1, 2, 3) to (3, 1, 2):
    // (0,2), (0,1), (1,2). Row sums without the diagonal would tie all three
    // keys and give (0,2), (1,2), (0,1).
    const RealMatrix d = matrix({{0, 1, 1}, {1, 0, 1}, {1, 1, 5}});
    EXPECT_EQ(pairs_of(squared_to_pairwise(d, true)), (std::vector<std::pair<int, int>>{{0, 2}, {0, 1}, {1, 2}}));
}

TEST(PairList, EmptyForOneObject) {
    EXPECT_TRUE(squared_to_pairwise(RealMatrix(1, 0.0), false).empty());
    EXPECT_TRUE(squared_to_pairwise(RealMatrix(1, 0.0), true).empty());
}

TEST(HeapSort, LeavesFourEqualKeysInTheTracedOrderInBothStorages) {
    // Traced by hand for records a, b, c, d of one key. Building: sifting b
    // from position 2 brings d up (a d c b); sifting a from 1 brings d and b
    // up (d b c a). Sorting: a moves in at 1 and b rises over it (b a c d),
    // then c (a c b d), then c alone (c a b d).
    const std::vector<std::int32_t> traced = {2, 0, 1, 3};
    std::vector<PairwiseDistance> records;
    for (std::int32_t p = 0; p < 4; ++p) records.push_back({1.0, p, 0});
    phylo::HeapPositions<PairwiseDistance> heap(4);
    for (std::size_t p = 0; p < 4; ++p) heap[p + 1] = records[p];
    const auto key = [](const PairwiseDistance& r) { return r.distance; };
    phylo::heap_sort(records.data(), records.size(), key);
    phylo::heap_sort(heap, key);
    for (std::size_t p = 0; p < 4; ++p) {
        EXPECT_EQ(records[p].first, traced[p]) << p;
        EXPECT_EQ(heap[p + 1].first, traced[p]) << p;
    }
}

// Against the literal sort: tie-free, chance-tie and tie-heavy matrices with
// an independent lower triangle (which moves the row sums, never a
// distance); a NaN distance and a NaN below the diagonal that only the row
// sums see; and over a million pairs with enough distinct keys to be ranked
// by sorting rather than by table.
TEST(PairList, AgreesWithTheLiteralSort) {
    using Kind = tarvix_test::MatrixKind;
    using Place = Kind::Place;
    const struct {
        std::size_t n;
        Kind kind;
    } cases[] = {
        {60, Kind::tie_free().independent_lower()},
        {60, Kind::chance_ties().independent_lower()},
        {60, Kind::tie_heavy(5).scaled(0.25).independent_lower()},
        {30, Kind::tie_heavy(5).scaled(0.25).with_nan(Place::above_diagonal)},
        {30, Kind::tie_heavy(5).scaled(0.25).with_nan(Place::below_diagonal)},
        {1500, Kind::tie_free()},
        {1500, Kind::decimals(6)},
    };
    std::mt19937 random(11);
    for (const auto& c : cases) {
        const RealMatrix d = tarvix_test::random_matrix(random, c.n, c.kind);
        for (bool row_sums : {false, true})
            EXPECT_EQ(records_of(literal_pairwise(d, row_sums)), records_of(squared_to_pairwise(d, row_sums)))
                << c.n << " objects, row sums " << row_sums;
    }
}

// Distances on `values` equally spaced levels in 0 .. 1 (values = 0:
// continuous); the lower triangle is drawn on its own, which moves the row
// sums but never a distance.
RealMatrix levels(std::mt19937& random, std::size_t n, int values) {
    using Kind = tarvix_test::MatrixKind;
    const Kind kind = values == 0 ? Kind::tie_free() : Kind::tie_heavy(values).scaled(1.0 / values);
    return tarvix_test::random_matrix(random, n, kind.independent_lower());
}

// The literal list's head: the pairs up to limit.
PairwiseDistances head_of(PairwiseDistances list, double limit) {
    std::size_t k = 0;
    while (k < list.size() && list[k].distance <= limit) ++k;
    list.resize(k);
    return list;
}

class ThreadCount {
public:
    explicit ThreadCount(int threads) {
#ifdef _OPENMP
        before_ = omp_get_max_threads();
        omp_set_num_threads(threads);
#else
        (void)threads;
#endif
    }
    ~ThreadCount() {
#ifdef _OPENMP
        omp_set_num_threads(before_);
#endif
    }

private:
    int before_ = 1;
};

TEST(ExactSort, SharedBuildLeavesTheOneThreadPermutation) {
    // 300000 records of 5 keys: the lowest levels of the build hold tens of
    // thousands of sifts each, which are shared out; the records' ids show
    // where every tied record ended.
    std::mt19937 random(21);
    const std::size_t m = 300000;
    std::vector<std::uint64_t> records(m);
    for (std::size_t p = 0; p < m; ++p) records[p] = (random() % 5) << 32 | p;
    const auto key = [](std::uint64_t r) { return r >> 32; };
    std::vector<std::uint64_t> one_thread = records;
    phylo::heap_sort(one_thread.data(), m, key);  // the plain storage never shares
    for (int threads : {1, 2, 8}) {
        const ThreadCount count(threads);
        phylo::HeapPositions<std::uint64_t> heap(m);
        for (std::size_t p = 0; p < m; ++p) heap[p + 1] = records[p];
        phylo::heap_sort(heap, key);
        EXPECT_TRUE(std::equal(one_thread.begin(), one_thread.end(), heap.data() + 1)) << threads << " threads";
    }
}

TEST(ExactSort, SharedBuildAgreesInThePairListWithAnyThreadCount) {
    std::mt19937 random(22);
    const RealMatrix d = levels(random, 500, 7);
    for (bool row_sums : {false, true}) {
        const auto expected = records_of(literal_pairwise(d, row_sums));
        for (int threads : {1, 2, 8}) {
            const ThreadCount count(threads);
            EXPECT_EQ(records_of(squared_to_pairwise(d, row_sums)), expected)
                << threads << " threads, row sums " << row_sums;
        }
    }
}

// Half the pairs at distance 0, the others at 40000 distances of up to 3
// pairs each, in a scattered order: 16 bits of rank leave no spare bit for
// the ids, and the 89850 pairs at 0 are more than 16-bit ids tell apart.
RealMatrix one_crowded_distance(std::size_t n) {
    RealMatrix d(n, 0.0);
    std::size_t p = 0;
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j, ++p) {
            const double distance = p % 2 == 0 ? 0.0 : static_cast<double>(1 + (p / 2 * 7919) % 40000);
            d(i, j) = d(j, i) = distance;
        }
    return d;
}

TEST(ExactSort, CompactRecordsGiveTheLiteralList) {
    // 400 objects, 79800 pairs, sorted on records of 32 or 64 bits, and with
    // the bound lowered, split where they fit: without row sums the ranks
    // take 16 bits, the bits they leave spare and a second array the ids. One
    // level: the 79800 pairs of one rank need 17 id bits, 15 of which are
    // spare. Three levels (about 26600 pairs each), 4000 levels: 16 id bits
    // do. Then 600 objects with one crowded distance: too many ids, 64-bit
    // records. Continuous: 79800 distinct ranks, placed without a sort. With
    // row sums every list takes the records.
    std::mt19937 random(23);
    std::vector<std::pair<std::string, RealMatrix>> matrices;
    for (int values : {1, 3, 4000, 0})
        matrices.emplace_back(std::to_string(values) + " levels", levels(random, 400, values));
    matrices.emplace_back("one crowded distance", one_crowded_distance(600));
    const std::size_t split_from = phylo::series::exact_sort_tuning().split_from;
    for (const auto& [name, d] : matrices)
        for (const std::size_t bound : {split_from, std::size_t{0}}) {
            phylo::series::exact_sort_tuning().split_from = bound;
            for (bool row_sums : {false, true}) {
                const PairwiseDistances literal = literal_pairwise(d, row_sums);
                EXPECT_EQ(records_of(*phylo::series::sorted_pair_list(d, row_sums)), records_of(literal))
                    << name << ", row sums " << row_sums << ", split from " << bound;
                for (double limit : {0.0, 0.01, 0.5, 1.0, 20000.0})
                    EXPECT_EQ(records_of(*phylo::series::sorted_pairs_within(d, row_sums, limit)),
                              records_of(head_of(literal, limit)))
                        << name << ", row sums " << row_sums << ", up to " << limit << ", split from " << bound;
            }
            phylo::series::exact_sort_tuning().split_from = split_from;
        }
}

TEST(ExactSort, NotANumberOnlyInRowSumsStaysOnTheCompactPath) {
    // A NaN below the diagonal makes two row sums NaN, and with them every
    // key of their rows: the row-sum sort compares the doubles as the
    // literal one does. A NaN distance has no rank: the full records take
    // over.
    std::mt19937 random(24);
    RealMatrix d = levels(random, 80, 4);
    d(50, 7) = std::numeric_limits<double>::quiet_NaN();
    ASSERT_TRUE(phylo::series::sorted_pair_list(d, true));
    EXPECT_EQ(records_of(*phylo::series::sorted_pair_list(d, true)), records_of(literal_pairwise(d, true)));
    d(7, 50) = d(50, 7);
    EXPECT_FALSE(phylo::series::sorted_pair_list(d, true));
    EXPECT_EQ(records_of(squared_to_pairwise(d, true)), records_of(literal_pairwise(d, true)));
}

TEST(ExactSort, ProgressRisesToTheStepsOfBothSorts) {
    // 1000 objects, 499500 pairs of 3 levels: each sort takes m/2 build
    // sifts and m - 1 sort sifts; with row sums there are two sorts.
    std::mt19937 random(25);
    const RealMatrix d = levels(random, 1000, 3);
    const std::size_t m = 499500, one_sort = m / 2 + m - 1;
    for (bool row_sums : {false, true}) {
        std::vector<std::pair<std::size_t, std::size_t>> told;
        const phylo::SortProgress progress = [&](std::size_t done, std::size_t total) {
            told.emplace_back(done, total);
        };
        squared_to_pairwise(d, row_sums, &progress);
        ASSERT_GE(told.size(), 3u);
        const std::size_t total = row_sums ? 2 * one_sort : one_sort;
        for (std::size_t k = 0; k < told.size(); ++k) {
            EXPECT_EQ(told[k].second, total);
            if (k > 0) {
                EXPECT_GT(told[k].first, told[k - 1].first);
            }
        }
        EXPECT_EQ(told.back().first, total);
    }
}

}  // namespace
