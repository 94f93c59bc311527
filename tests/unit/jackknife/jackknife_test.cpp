// The taxon jackknife: kept counts, the random choice of kept objects, the
// reduction of reference partitions, replicate rows worked out by hand, and
// reproducibility over seeds and thread counts (the rows against the whole
// submatrix on one and several threads).
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>

#include "phylo/errors.hpp"
#include "phylo/jackknife/jackknife.hpp"
#include "phylo/partitions/similarity.hpp"
#include "phylo/partitions/statistics.hpp"
#include "phylo/series/glc_series.hpp"
#include "phylo/thresholds.hpp"
#include "test_support.hpp"

#ifdef _OPENMP
#include <omp.h>
#endif

namespace {

using phylo::Partition;
using phylo::PartitionSet;
using phylo::RealData;
using phylo::RealMatrix;
using phylo::jackknife::kept_count;
using phylo::jackknife::reduce;
using phylo::jackknife::taxon_jackknife;
using phylo::jackknife::TaxonSampler;
using Kept = std::vector<std::int32_t>;
using tarvix_test::from_upper;

const double one_over_e = 0.36787944117144233;

// ---------------------------------------------------------------------------
// How many objects a replicate keeps

TEST(KeptCount, RoundsTheKeptShareHalfAwayFromZero) {
    EXPECT_EQ(kept_count(10, one_over_e), 6u);  // 6.32
    EXPECT_EQ(kept_count(10, 0.25), 8u);        // 7.5
    EXPECT_EQ(kept_count(3, 0.5), 2u);          // 1.5
    EXPECT_EQ(kept_count(1, 0.5), 1u);          // 0.5
    EXPECT_EQ(kept_count(10, 0.0), 10u);
}

TEST(KeptCount, RefusesFractionsOutsideZeroToOneAndKeepingNothing) {
    EXPECT_THROW(kept_count(10, 1.0), phylo::RangeError);
    EXPECT_THROW(kept_count(10, 1.5), phylo::RangeError);
    EXPECT_THROW(kept_count(10, -0.01), phylo::RangeError);
    EXPECT_THROW(kept_count(10, std::numeric_limits<double>::quiet_NaN()), phylo::RangeError);
    EXPECT_THROW(kept_count(1, 0.6), phylo::RangeError);  // 0.4 rounds to 0
    EXPECT_THROW(kept_count(0, 0.0), phylo::RangeError);
}

// ---------------------------------------------------------------------------
// Reducing a reference partition to the kept objects

TEST(Reduce, DropsGroupsWithoutKeptMembers) { EXPECT_EQ(reduce({0, 1, 0, 2}, Kept{0, 2, 3}), (Partition{0, 0, 1})); }

TEST(Reduce, NumbersGroupsByFirstAppearanceAmongAllObjects) {
    // Group 0 occurs first (at the deleted object 0), so it keeps number 0.
    EXPECT_EQ(reduce({0, 1, 1, 0}, Kept{1, 2, 3}), (Partition{1, 1, 0}));
    // Object 0 is deleted but its group 2 still comes first.
    EXPECT_EQ(reduce({2, 0, 1, 0, 2}, Kept{2, 4}), (Partition{1, 0}));
    EXPECT_EQ(reduce({2, 0, 1, 0, 2}, Kept{1, 2}), (Partition{0, 1}));
}

TEST(Reduce, RefusesGroupNumbersOutsideTheObjectRange) {
    EXPECT_THROW(reduce({0, 3, 1}, Kept{0}), phylo::IndexError);
    EXPECT_THROW(reduce({0, -1, 1}, Kept{0}), phylo::IndexError);
}

// ---------------------------------------------------------------------------
// The random choice of the kept objects

// MT19937 seeded with 5489 starts 3499211612, 581869302, 3890346734,
// 3586334585, 545404204, 4161255391, 3922919429, 949333985; the keys (the
// high 24 bits as a fraction) are 0.8147, 0.1355, 0.9058, 0.8350, then
// 0.1270, 0.9689, 0.9134, 0.2210.
TEST(TaxonSampler, DrawsKeysByPositionAndKeepsTheSortedOrder) {
    TaxonSampler sampler(4, 5489);
    // Objects 0..3 get 0.8147, 0.1355, 0.9058, 0.8350: sorted 1, 0, 3, 2.
    EXPECT_EQ(sampler.next(3), (Kept{0, 1, 3}));
    // Positions now hold objects 1, 0, 3, 2 and get 0.1270, 0.9689, 0.9134,
    // 0.2210: sorted 1, 2, 3, 0. Keys drawn by object would delete object 1.
    EXPECT_EQ(sampler.next(3), (Kept{1, 2, 3}));
}

TEST(TaxonSampler, AKeyIsTheOutputShiftedRightByEightTimesTwoToTheMinus24AsAFloat) {
    // Six objects, the default deletion fraction 1/e: 6 x (1 - 1/e) = 3.79,
    // four kept. The kept objects are those with the four least keys, the
    // keys being the first six outputs of MT19937 seeded 1697909, shifted.
    ASSERT_EQ(kept_count(6, one_over_e), 4u);
    std::mt19937 generator(1697909u);
    std::vector<std::uint32_t> outputs(6);
    for (std::uint32_t& u : outputs) u = generator();
    // The outputs give the keys 0.4757, 0.5730500, 0.8979, 0.0565, 0.5730499
    // and 0.2895: sorted 3, 5, 0, 4, 1, 2. Outputs 1 and 4 (0x92b36733 and
    // 0x92b36684) agree above bit 8 but not in it: one more bit shifted out
    // would tie objects 1 and 4, and the heap sort of the six keys (3, 5, 0
    // and the tie 1, 4 first) would keep 1 instead of 4: 0, 1, 3, 5.
    ASSERT_EQ(outputs[1] >> 9, outputs[4] >> 9);
    ASSERT_NE(outputs[1] >> 8, outputs[4] >> 8);
    TaxonSampler sampler(6, 1697909);
    EXPECT_EQ(sampler.next(4), (Kept{0, 3, 4, 5}));
}

// ---------------------------------------------------------------------------
// Replicate rows

// A(0) and B(1) at 0.1, C(2) and D(3) at 0.2, all else 0.5; reference
// {A, B}, {C, D}; thresholds 0, 0.1, 0.2.
RealMatrix two_pairs() { return from_upper(4, {0.1, 0.5, 0.5, 0.5, 0.5, 0.2}); }

PartitionSet pair_reference() { return tarvix_test::make_set({{0, 0, 1, 1}}); }

RealData run(const RealMatrix& d, const PartitionSet& references, std::int32_t seed, std::size_t replicates,
             double deletion, double fraction = 0.0, double maximum = 0.2) {
    RealData table(replicates);
    taxon_jackknife(d, false, references, seed, table, 0.0, 0.1, maximum, fraction, deletion);
    return table;
}

// The group count is best (largest) at groups_position; every index reaches
// 1 exactly where the partition equals the reduced reference.
std::vector<double> expected_row(double groups, double groups_position, double position) {
    std::vector<double> row{groups, groups_position};
    for (int c = 0; c < 6; ++c) {
        row.push_back(1.0);
        row.push_back(position);
    }
    return row;
}

TEST(TaxonJackknife, KeepingEveryObjectGivesEqualRowsInPlaceOfTheOldOnesAndLeavesTheLabels) {
    // Four singletons at 0, {A, B} joins at 0.1, the reference is met at 0.2
    // only.
    RealData table(3);
    table.labels = {"one", "two", "three"};
    table.rows = {{7.0}, {8.0, 9.0}, {}};
    taxon_jackknife(two_pairs(), false, pair_reference(), 12051973, table, 0.0, 0.1, 0.2, 0.0, 0.0);
    EXPECT_EQ(table.labels, (phylo::Labels{"one", "two", "three"}));
    for (const auto& row : table.rows) EXPECT_EQ(row, expected_row(4.0, 0.0, 0.2));
}

TEST(TaxonJackknife, RowsFollowTheDrawnObjects) {
    // Seed 5489 keeps {A, B, D} first, then {B, C, D} (see TaxonSampler).
    // Without C, {A, B} meets the reduced reference at 0.1 and 0.2: midpoint
    // 0.15. Without A, {C, D} meets it at 0.2 only, and the three objects
    // stay apart at 0 and 0.1: midpoint 0.05 for the group count.
    const RealData table = run(two_pairs(), pair_reference(), 5489, 2, 0.25);
    ASSERT_EQ(table.size(), 2u);
    // Midpoints are formed as (high - low) x 0.5 + low.
    EXPECT_EQ(table.rows[0], expected_row(3.0, 0.0, (0.2 - 0.1) * 0.5 + 0.1));
    EXPECT_EQ(table.rows[1], expected_row(3.0, (0.1 - 0.0) * 0.5 + 0.0, 0.2));
}

TEST(TaxonJackknife, StopsOnArgumentsOutOfRange) {
    const RealMatrix d = two_pairs();
    // Keeping nothing and a negative fraction of links: the end-to-end cases
    // fails_when_jackknife_keeps_no_object and fails_on_negative_fraction_in_jackknife.
    EXPECT_THROW(run(d, pair_reference(), 1, 2, 0.0, 1.5), phylo::RangeError);         // fraction of links
    EXPECT_THROW(run(d, pair_reference(), 1, 2, 0.0, 0.0, 1e300), phylo::RangeError);  // beyond 32 bits
    RealData table(1);
    EXPECT_THROW(taxon_jackknife(d, false, pair_reference(), 1, table, 0.5, 0.1, 0.2, 0.0, 0.0), phylo::RangeError);
    const PartitionSet short_reference{std::make_shared<const Partition>(Partition{0, 0, 1})};
    EXPECT_THROW(run(d, short_reference, 1, 2, 0.0), phylo::IndexError);
}

TEST(TaxonJackknife, ReportsEveryFinishedReplicate) {
    RealData table(5);
    std::vector<std::size_t> seen;
    taxon_jackknife(two_pairs(), false, pair_reference(), 1, table, 0.0, 0.1, 0.2, 0.0, 0.25,
                    [&](std::size_t done, std::size_t total) {
                        EXPECT_EQ(total, 5u);
                        seen.push_back(done);
                    });
    EXPECT_EQ(seen, (std::vector<std::size_t>{1, 2, 3, 4, 5}));
}

// Thirty objects, distances in steps of 0.05 (many ties), the lower triangle
// and the diagonal unlike the upper triangle; the reference puts object i in
// group i mod 4.
RealMatrix lopsided_thirty() {
    const std::size_t n = 30;
    std::mt19937 random(2718);
    RealMatrix d(n);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t k = 0; k < n; ++k) d(i, k) = static_cast<double>(random() % 7) * 0.05;
    return d;
}

Partition mod_four() {
    Partition reference(30);
    for (std::size_t i = 0; i < 30; ++i) reference[i] = static_cast<phylo::GroupNumber>(i % 4);
    return reference;
}

// A replicate's row the plain way: the whole submatrix of the kept objects,
// clustered, compared with the reduced reference, the best of every column.
std::vector<double> plain_row(const RealMatrix& d, bool preordering, const Partition& reference, const Kept& kept,
                              double fraction) {
    RealMatrix sub;
    phylo::gather(d, std::span<const std::int32_t>(kept), sub);
    PartitionSet series(static_cast<std::size_t>(phylo::threshold_count(0.0, 0.2, 0.05)) + 1);
    phylo::series::glc_series(sub, preordering, series, 0.0, 0.05, fraction);
    const PartitionSet reduced{std::make_shared<const Partition>(reduce(reference, kept))};
    RealData table(series.size());
    phylo::partitions::partition_similarities(series, reduced, table);
    std::vector<double> thresholds(series.size());
    phylo::partitions::fill(thresholds, 0.0, 0.05);
    return phylo::partitions::best(table.rows, thresholds, true);
}

TEST(TaxonJackknife, ReplicatesGiveWhatTheWholeSubmatrixGivesOnAnyNumberOfThreads) {
    // Without row-sum pre-ordering a replicate copies only the upper triangle
    // (all the clustering reads); with it, whole rows, whose sums decide the
    // order of equal distances. Either way every row must be the one the
    // whole submatrix gives, here on a matrix whose lower triangle differs,
    // for the objects the sampler draws in replicate order, however many
    // threads run the replicates (and finish them out of order).
    const RealMatrix d = lopsided_thirty();
    const Partition reference = mod_four();
    const PartitionSet references{std::make_shared<const Partition>(reference)};
#ifdef _OPENMP
    const int threads_before = omp_get_max_threads();
#endif
    for (const int threads : {1, 2, 8}) {
#ifdef _OPENMP
        omp_set_num_threads(threads);
#endif
        for (const bool preordering : {false, true}) {
            for (const double fraction : {0.0, 0.5}) {
                RealData table(12);
                taxon_jackknife(d, preordering, references, 31, table, 0.0, 0.05, 0.2, fraction, one_over_e);
                TaxonSampler sampler(30, 31);
                for (std::size_t r = 0; r < table.size(); ++r)
                    EXPECT_EQ(table.rows[r], plain_row(d, preordering, reference, sampler.next(19), fraction))
                        << "replicate " << r << (preordering ? " with" : " without") << " pre-ordering, F " << fraction
                        << ", " << threads << " threads";
            }
        }
    }
#ifdef _OPENMP
    omp_set_num_threads(threads_before);
#endif
}

TEST(TaxonJackknife, OtherSeedsGiveOtherTables) {
    // The seed is taken as an unsigned 32-bit value: -99 is not 99.
    const RealMatrix d = lopsided_thirty();
    const PartitionSet references = tarvix_test::make_set({mod_four()});
    const RealData first = run(d, references, 99, 20, one_over_e, 0.5);
    EXPECT_NE(first.rows, run(d, references, 100, 20, one_over_e, 0.5).rows);
    EXPECT_NE(first.rows, run(d, references, -99, 20, one_over_e, 0.5).rows);
}

}  // namespace
