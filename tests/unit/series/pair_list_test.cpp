// The lean exact sort of the pair list: the heap build shared out over
// threads, the compact records (32 bits with a side table of wanted pairs,
// 64 bits with the pair itself, ranks by table or kept per pair), the
// row-sum sort on packed pairs, and the progress it reports, all against the
// literal sort of whole records.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <tuple>
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
using tarvix_test::literal_pairwise;

std::vector<std::tuple<int, int, double>> records_of(const PairwiseDistances& list) {
    std::vector<std::tuple<int, int, double>> records;
    for (const PairwiseDistance& p : list) records.emplace_back(p.first, p.second, p.distance);
    return records;
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
            EXPECT_EQ(records_of(phylo::series::squared_to_pairwise(d, row_sums)), expected)
                << threads << " threads, row sums " << row_sums;
        }
    }
}

TEST(ExactSort, CompactRecordsGiveTheLiteralList) {
    // 400 objects, 79800 pairs. Three levels: 2 rank bits, so the whole list
    // fits 32-bit records with 17 id bits. 4000 levels: 12 rank bits, the
    // whole list needs 64-bit records, a head up to 0.01 (about 800 pairs)
    // fits 32 bits. Continuous: 79800 distinct ranks, no ties.
    std::mt19937 random(23);
    for (int values : {3, 4000, 0}) {
        const RealMatrix d = levels(random, 400, values);
        for (bool row_sums : {false, true}) {
            const PairwiseDistances literal = literal_pairwise(d, row_sums);
            EXPECT_EQ(records_of(*phylo::series::sorted_pair_list(d, row_sums)), records_of(literal))
                << values << " levels, row sums " << row_sums;
            for (double limit : {0.0, 0.01, 0.5, 1.0})
                EXPECT_EQ(records_of(*phylo::series::sorted_pairs_within(d, row_sums, limit)),
                          records_of(head_of(literal, limit)))
                    << values << " levels, row sums " << row_sums << ", up to " << limit;
        }
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
    const auto literal = literal_pairwise(d, true);
    const auto actual = phylo::series::squared_to_pairwise(d, true);
    ASSERT_EQ(actual.size(), literal.size());
    for (std::size_t p = 0; p < literal.size(); ++p) {
        EXPECT_EQ(actual[p].first, literal[p].first) << p;
        EXPECT_EQ(actual[p].second, literal[p].second) << p;
    }
}

TEST(ExactSort, ProgressRisesToTheStepsOfBothSorts) {
    // 1000 objects, 499500 pairs of 3 levels: each sort takes m/2 build
    // sifts and m - 1 sort sifts; with row sums there are two sorts.
    std::mt19937 random(25);
    const RealMatrix d = levels(random, 1000, 3);
    const std::size_t m = 499500, one_sort = m / 2 + m - 1;
    for (bool row_sums : {false, true}) {
        std::vector<std::pair<std::size_t, std::size_t>> told;
        const phylo::SortProgress progress = [&](std::size_t done, std::size_t total) { told.emplace_back(done, total); };
        phylo::series::squared_to_pairwise(d, row_sums, &progress);
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
