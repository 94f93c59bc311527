#include "phylo/partitions/similarity.hpp"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "literal/contingency.hpp"
#include "phylo/errors.hpp"
#include "random_matrices.hpp"
#include "test_support.hpp"

namespace phylo::partitions {
namespace {

PartitionRef part(std::initializer_list<GroupNumber> numbers) { return std::make_shared<const Partition>(numbers); }

PartitionRef all_in_one(std::size_t n) { return std::make_shared<const Partition>(n, 0); }

PartitionRef singletons(std::size_t n) {
    Partition p(n);
    for (std::size_t k = 0; k < n; ++k) p[k] = static_cast<GroupNumber>(k);
    return std::make_shared<const Partition>(p);
}

// -H for the given shares, summed in the given order.
double entropy(std::initializer_list<double> shares) {
    double h = 0.0;
    for (const double p : shares) h = h - p * std::log(p);
    return h;
}

using tarvix_test::failure_of;

// ---------------------------------------------------------------------------

TEST(PartitionMeasures, CountsGroupsPairsAndEntropy) {
    const auto halves = partition_measures({0, 0, 1, 1});
    EXPECT_EQ(halves.groups, 2);
    EXPECT_EQ(halves.pairs, 2);
    EXPECT_DOUBLE_EQ(halves.entropy, std::log(2.0));

    // Groups of 1, 2 and 3 objects listed against their numbers' order.
    const auto mixed = partition_measures({2, 2, 2, 1, 1, 0});
    EXPECT_EQ(mixed.groups, 3);
    EXPECT_EQ(mixed.pairs, 0 + 1 + 3);
    EXPECT_NEAR(mixed.entropy, 1.0114042647073518, 1e-15);
}

TEST(PartitionMeasures, GroupsAreTheDistinctNumbersWhateverTheNumbering) {
    const auto m = partition_measures({5, -1, 5, 7});
    EXPECT_EQ(m.groups, 3);
    EXPECT_EQ(m.pairs, 1);
    EXPECT_DOUBLE_EQ(m.entropy, entropy({0.25, 0.5, 0.25}));
}

TEST(PartitionMeasures, OneGroupHasZeroEntropyOnlyWhenNTimesItsReciprocalIsOne) {
    // 5 x (1/5) is exactly 1; 49 x (1/49) is one unit below 1.
    const auto five = partition_measures(*all_in_one(5));
    EXPECT_EQ(five.entropy, 0.0);
    EXPECT_FALSE(std::signbit(five.entropy));
    const auto forty_nine = partition_measures(*all_in_one(49));
    EXPECT_GT(forty_nine.entropy, 0.0);
    EXPECT_LT(forty_nine.entropy, 1e-15);
    EXPECT_EQ(forty_nine.pairs, 49 * 48 / 2);
}

// ---------------------------------------------------------------------------

TEST(PartitionsMeasures, ACellHoldingEveryObjectCountsAsCertain) {
    const auto joint = partitions_measures(*all_in_one(49), *all_in_one(49), 1, 1);
    EXPECT_EQ(joint.pairs_in_both, 49 * 48 / 2);
    EXPECT_EQ(joint.joint_entropy, 0.0);
    EXPECT_FALSE(std::signbit(joint.joint_entropy));
}

TEST(PartitionsMeasures, RejectsDifferentLengthsAndNumbersOutsideTheGroups) {
    const auto lengths = [] { partitions_measures({0, 0}, {0, 0, 0}, 1, 1); };
    EXPECT_EQ(failure_of<SizeError>(lengths), "PHYLO.COUNT_CHARS.BASIC.SIZE_ERROR: phylo-taxonomy:454");
    EXPECT_THROW(partitions_measures({0, 2}, {0, 0}, 2, 1), IndexError);
    EXPECT_THROW(partitions_measures({0, 1}, {0, -1}, 2, 1), IndexError);
}

// The table is never built as G1 x G2 cells; a plain dense table summed row by
// row over its non-empty cells, and a loop over all pairs, must agree to the
// last bit.
TEST(PartitionsMeasures, AgreesWithADenseTableAndAPairLoop) {
    std::mt19937 random(7);
    for (const auto [n, g1, g2] : {std::array<int, 3>{300, 7, 40}, {300, 150, 200}, {60, 60, 3}}) {
        const Partition first = tarvix_test::random_partition(random, n, g1, true);
        const Partition second = tarvix_test::random_partition(random, n, g2, true);
        const auto joint = partitions_measures(first, second, g1, g2);
        EXPECT_EQ(joint.pairs_in_both, tarvix_test::literal_pair_counts(first, second).both);
        EXPECT_EQ(joint.joint_entropy, tarvix_test::literal_joint_entropy(first, second, g1, g2));
    }
}

// ---------------------------------------------------------------------------

TEST(PartitionSimilarities, ComparesEveryTestedPartitionWithEveryReference) {
    // Objects A..E; tested {AB}{CDE} and {A}{B}{CDE} against reference {AB}{CDE}.
    const PartitionSet tested = {part({0, 0, 1, 1, 1}), part({0, 1, 2, 2, 2})};
    const PartitionSet references = {part({0, 0, 1, 1, 1})};
    const RealData table = partition_similarities(tested, references);
    ASSERT_EQ(table.size(), 2u);

    // A partition against itself scores exactly 1 everywhere; one reference
    // makes the means repeat its values.
    EXPECT_EQ(table.rows[0], (std::vector<double>{2, 1, 1, 1, 1, 1, 1}));

    // a = 3, b = 4, c = 3 pairs of N = 10: e = 1.2, q = 3.5 - 1.2, M = 1.8 / 2.3;
    // the tested partition refines the reference, so H12 = H1 and S = H2 / H1.
    const std::vector<double>& row = table.rows[1];
    ASSERT_EQ(row.size(), 7u);
    EXPECT_EQ(row[0], 3.0);
    EXPECT_NEAR(row[1], entropy({0.4, 0.6}) / entropy({0.2, 0.2, 0.6}), 1e-15);
    EXPECT_NEAR(row[2], 18.0 / 23.0, 1e-15);
    EXPECT_NEAR(row[3], 0.9, 1e-15);
    EXPECT_EQ(row[4], row[1]);
    EXPECT_EQ(row[5], row[2]);
    EXPECT_EQ(row[6], row[3]);
}

TEST(PartitionSimilarities, MeansRunOverReferencePositionsIncludingRepeatedOnes) {
    // The reference set holds one partition object at positions 0 and 1.
    const PartitionRef same = part({0, 0, 1, 1, 1});
    const PartitionSet references = {same, same, part({0, 0, 1, 1, 2})};
    const RealData table = partition_similarities({same}, references);
    const std::vector<double>& row = table.rows[0];
    ASSERT_EQ(row.size(), 13u);
    // Against {AB}{CD}{E}: a = 4, b = 2, c = 2; M = (2 - 0.8) / (3 - 0.8), RI = 0.8,
    // S = H({.4,.6}) / H({.4,.4,.2}) since the reference refines the tested.
    const double shared = entropy({0.4, 0.6}) / entropy({0.4, 0.4, 0.2});
    EXPECT_NEAR(row[7], shared, 1e-15);
    EXPECT_NEAR(row[8], 6.0 / 11.0, 1e-15);
    EXPECT_NEAR(row[9], 0.8, 1e-15);
    EXPECT_NEAR(row[10], (2 + shared) / 3, 1e-15);
    EXPECT_NEAR(row[11], (2 + 6.0 / 11.0) / 3, 1e-15);
    EXPECT_NEAR(row[12], 2.8 / 3, 1e-15);
}

TEST(PartitionSimilarities, ExtremePartitions) {
    const RealData table =
        partition_similarities({all_in_one(5), singletons(5), all_in_one(5)}, {all_in_one(5), singletons(5)});
    // One group against one group: q = N - N = 0 gives M = 1; H1 = H2 = H12 = 0
    // gives S = 0 / 0.
    EXPECT_TRUE(std::isnan(table.rows[0][1]));
    EXPECT_EQ(table.rows[0][2], 1.0);
    EXPECT_EQ(table.rows[0][3], 1.0);
    // One group against singletons: RI 0, M = 0 / (N / 2), S = (0 + ln 5 - ln 5) / ln 5.
    EXPECT_EQ(table.rows[0][4], 0.0);
    EXPECT_EQ(table.rows[0][5], 0.0);
    EXPECT_EQ(table.rows[0][6], 0.0);
    // Singletons against singletons: a = b = c = e = 0, q = 0, M = 1.
    EXPECT_EQ((std::vector<double>(table.rows[1].begin() + 4, table.rows[1].begin() + 7)),
              (std::vector<double>{1, 1, 1}));
    EXPECT_EQ(table.rows[1][0], 5.0);
    // The same shape in another object gives the same values, NaN included.
    ASSERT_EQ(table.rows[2].size(), table.rows[0].size());
    for (std::size_t k = 0; k < table.rows[0].size(); ++k)
        EXPECT_TRUE(tarvix_test::same_bits(table.rows[2][k], table.rows[0][k])) << k;
}

TEST(PartitionSimilarities, SharedInformationOfOneGroupOf49IsInfinite) {
    // H1 = H2 = -(49 x (1/49)) ln(49 x (1/49)) > 0, while the single cell
    // holding every object makes H12 exactly +0.
    const RealData table = partition_similarities({all_in_one(49)}, {all_in_one(49)});
    EXPECT_EQ(table.rows[0][1], INFINITY);
    EXPECT_EQ(table.rows[0][2], 1.0);
}

TEST(PartitionSimilarities, EntropiesAddTheGroupsInAscendingNumberFromPositiveZero) {
    // All six objects together against the reference {A}{BC}{DEF}. One group
    // of six: 6 x (1/6) = 1 - 2^-54 rounds to 1, so H1 = +0. The joint table
    // has one row (the tested partition's), whose cells are the reference's
    // groups in ascending number: H12 adds the same terms in the same order
    // as H2, so S = (+0 + H2 - H12) / H12 is +0 exactly.
    const double sixth = 1.0 / 6;
    ASSERT_EQ(6 * sixth, 1.0);
    const double ascending = entropy({1 * sixth, 2 * sixth, 3 * sixth});
    // From the largest group down H2 ends one unit lower, and S would be
    // -2.2e-16, written -0.00000000.
    const double descending = entropy({3 * sixth, 2 * sixth, 1 * sixth});
    ASSERT_LT((0.0 + descending - ascending) / ascending, 0.0);

    const RealData table = partition_similarities({all_in_one(6)}, {part({0, 1, 1, 2, 2, 2})});
    EXPECT_EQ(std::bit_cast<std::uint64_t>(table.rows[0][1]), std::bit_cast<std::uint64_t>(+0.0));
    EXPECT_EQ(std::bit_cast<std::uint64_t>(table.rows[0][4]), std::bit_cast<std::uint64_t>(+0.0));  // the mean
}

TEST(PartitionSimilarities, OneObjectGivesNotANumberWithoutFailing) {
    const RealData table = partition_similarities({part({0})}, {part({0})});
    for (std::size_t k = 1; k < 7; ++k) EXPECT_TRUE(std::isnan(table.rows[0][k])) << k;
}

TEST(PartitionSimilarities, RejectsShapesBeforeTouchingTheTable) {
    const PartitionSet five = {part({0, 0, 1, 1, 1})};
    RealData table(1);
    table.rows[0] = {42.0};
    auto expect_548 = [&](const PartitionSet& tested, const PartitionSet& references) {
        EXPECT_EQ(failure_of<SizeError>([&] { partition_similarities(tested, references, table); }),
                  "PHYLO.REFNO_CHARS.BASIC.SIZE_ERROR: phylo-taxonomy:548");
    };
    expect_548({part({0, 0, 1, 1, 1}), part({0, 0})}, five);
    expect_548(five, {part({0, 0, 1, 1, 1}), part({0})});
    expect_548(five, {part({0, 1, 2, 3})});
    expect_548({part({})}, {part({})});
    const auto two_rows = [&] { partition_similarities({five[0], five[0]}, five, table); };
    EXPECT_EQ(failure_of<SizeError>(two_rows), "PHYLO.REAL_CHARS.BASIC.SIZE_ERROR: phylo-taxonomy:550");
    EXPECT_THROW(partition_similarities({}, five, table), IndexError);
    EXPECT_THROW(partition_similarities({nullptr}, five, table), IndexError);
    EXPECT_EQ(table.rows[0], std::vector<double>{42.0});
}

TEST(PartitionSimilarities, AFailureLeavesTheRowsAlreadyFinished) {
    // The second tested partition has a gap in its numbering: 2 groups, number 2.
    RealData table(3);
    for (auto& row : table.rows) row = {42.0};
    EXPECT_THROW(partition_similarities({part({0, 0, 1}), part({0, 2, 2}), part({0, 1, 1})}, {part({0, 0, 1})}, table),
                 IndexError);
    EXPECT_EQ(table.rows[0].size(), 7u);
    EXPECT_TRUE(table.rows[1].empty());
    EXPECT_TRUE(table.rows[2].empty());
}

// ---------------------------------------------------------------------------

std::vector<double> variant_row(PartitionRef tested, PartitionRef reference, double weight) {
    RealData table(1);
    new_partition_similarities({std::move(tested)}, {std::move(reference)}, table, weight);
    return table.rows[0];
}

TEST(NewPartitionSimilarities, FourCountsAndWeightedCounts) {
    // Tested {AB}{CDE}, reference {AB}{CD}{E}: apart in both A = 6, reference
    // only B = 0, tested only C = 2 (CE, DE), both D = 2 (AB, CD).
    // RI = 8/10; X = 6*2 + 8*4 = 44, Y = 8*6 + 2*4 = 56, E = 0.56, ARI = 6/11.
    const PartitionRef tested = part({0, 0, 1, 1, 1});
    const PartitionRef reference = part({0, 0, 1, 1, 2});
    auto row = variant_row(tested, reference, 1.0);
    ASSERT_EQ(row.size(), 9u);
    EXPECT_EQ(row[0], 2.0);
    EXPECT_DOUBLE_EQ(row[1], 0.8);
    EXPECT_DOUBLE_EQ(row[2], 6.0 / 11);
    EXPECT_EQ(row[3], row[1]);
    EXPECT_EQ(row[4], row[2]);
    EXPECT_EQ((std::vector<double>(row.begin() + 5, row.end())),
              (std::vector<double>(row.begin() + 1, row.begin() + 5)));

    // Weight 0 drops C: (6, 0, 0, 2): RI 1, X = 24, Y = 40, E = 0.625, ARI 1.
    row = variant_row(tested, reference, 0.0);
    EXPECT_EQ(row[3], 1.0);
    EXPECT_DOUBLE_EQ(row[4], 1.0);

    // Weight 0.5: m = 2, (12, 0, 2, 4): RI 16/18, X = 132, Y = 192, ARI 8/11.
    row = variant_row(tested, reference, 0.5);
    EXPECT_DOUBLE_EQ(row[3], 8.0 / 9);
    EXPECT_DOUBLE_EQ(row[4], 8.0 / 11);
    // 1/0.45 = 2.22 rounds to 2 as well.
    EXPECT_EQ(variant_row(tested, reference, 0.45), row);

    // Weight 0.4: 1/0.4 = 2.5 rounds away from zero to m = 3; 1/0.3 = 3.33 to 3.
    // (18, 0, 2, 6): RI 24/26, X = 268, Y = 408, ARI 54/67.
    row = variant_row(tested, reference, 0.4);
    EXPECT_DOUBLE_EQ(row[3], 12.0 / 13);
    EXPECT_DOUBLE_EQ(row[4], 54.0 / 67);
    EXPECT_EQ(variant_row(tested, reference, 0.3), row);
}

TEST(NewPartitionSimilarities, AdjustedIndexIsZeroUnlessTheExpectedIndexIsBelowOne) {
    // Singletons against singletons: (10, 0, 0, 0), X = 0, E = 1.
    auto row = variant_row(singletons(5), singletons(5), 1.0);
    EXPECT_EQ(row[1], 1.0);
    EXPECT_EQ(row[2], 0.0);
    // One group against one group: (0, 0, 0, 10), X = 0, E = 1.
    row = variant_row(all_in_one(5), all_in_one(5), 1.0);
    EXPECT_EQ(row[1], 1.0);
    EXPECT_EQ(row[2], 0.0);
    // One object: no pairs, RI = 0/0 and E = 1 / (1 + 0/0) is not below 1.
    row = variant_row(part({3}), part({0}), 1.0);
    EXPECT_TRUE(std::isnan(row[1]));
    EXPECT_EQ(row[2], 0.0);
}

TEST(NewPartitionSimilarities, ComparesNumbersByEqualityOnly) {
    // Numbering with gaps and negative numbers: groups {0,3} and {1,2}.
    const auto row = variant_row(part({7, -3, -3, 7}), part({0, 1, 1, 0}), 1.0);
    EXPECT_EQ(row[0], 2.0);
    EXPECT_EQ(row[1], 1.0);
    EXPECT_DOUBLE_EQ(row[2], 1.0);
    EXPECT_EQ(variant_row(part({0, 5, 5, 9}), part({0, 0, 0, 0}), 1.0)[0], 3.0);
}

TEST(NewPartitionSimilarities, AgreesWithALoopOverAllPairs) {
    std::mt19937 random(11);
    const Partition tested = tarvix_test::random_partition(random, 200, 10, true);
    Partition reference = tarvix_test::random_partition(random, 200, 10, true);
    for (GroupNumber& g : reference) g /= 3;
    const auto c = tarvix_test::literal_pair_counts(tested, reference);
    const double total = static_cast<double>(c.apart + c.second_only + c.first_only + c.both);
    const auto row =
        variant_row(std::make_shared<const Partition>(tested), std::make_shared<const Partition>(reference), 0.0);
    EXPECT_EQ(row[0], 10.0);
    EXPECT_EQ(row[1], static_cast<double>(c.apart + c.both) / total);
    EXPECT_EQ(row[3], static_cast<double>(c.apart + c.both) / static_cast<double>(c.apart + c.second_only + c.both));
}

TEST(NewPartitionSimilarities, WeightedCountsBeyond64BitsStopTheRun) {
    const PartitionRef tested = part({0, 0, 1, 1, 1});
    const PartitionRef reference = part({0, 0, 1, 1, 2});
    // m = 10^6: (6e6, 0, 2, 2e6), products near 1.2e13, fine.
    EXPECT_NO_THROW(variant_row(tested, reference, 1e-6));
    // m = 10^9: (6e9 + 0)(0 + 2e9) = 1.2e19 does not fit.
    EXPECT_THROW(variant_row(tested, reference, 1e-9), RangeError);
    // 1/w itself beyond 64 bits.
    EXPECT_THROW(variant_row(tested, reference, 1e-300), RangeError);
    EXPECT_THROW(variant_row(tested, reference, NAN), RangeError);
}

TEST(NewPartitionSimilarities, RejectsShapes) {
    const PartitionSet three = {part({0, 0, 1})};
    RealData table(1), two(2);
    auto failure = [&](const PartitionSet& tested, const PartitionSet& references, RealData& rows) {
        return failure_of<SizeError>([&] { new_partition_similarities(tested, references, rows, 1.0); });
    };
    EXPECT_EQ(failure({part({0, 0, 1}), part({0})}, three, table),
              "PHYLO.REFNO_CHARS.BASIC.SIZE_ERROR: phylo-taxonomy:811");
    EXPECT_EQ(failure(three, {part({0, 1})}, table), "PHYLO.REFNO_CHARS.BASIC.SIZE_ERROR: phylo-taxonomy:811");
    EXPECT_EQ(failure(three, three, two), "PHYLO.REAL_CHARS.BASIC.SIZE_ERROR: phylo-taxonomy:813");
    EXPECT_THROW(new_partition_similarities({part({})}, {part({})}, table, 1.0), IndexError);
}

TEST(NewPartitionSimilarities, MeansOverSeveralReferencesAndSharedRows) {
    const PartitionRef tested = part({0, 0, 1, 1, 1});
    RealData table(2);
    new_partition_similarities({tested, tested}, {tested, part({0, 0, 1, 1, 2})}, table, 1.0);
    const std::vector<double>& row = table.rows[0];
    ASSERT_EQ(row.size(), 13u);
    EXPECT_DOUBLE_EQ(row[9], (1.0 + 0.8) * 0.5);
    EXPECT_DOUBLE_EQ(row[10], (1.0 + 6.0 / 11) * 0.5);
    EXPECT_EQ(table.rows[1], row);
}

}  // namespace
}  // namespace phylo::partitions
