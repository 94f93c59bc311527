#include "phylo/partitions/statistics.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "phylo/errors.hpp"
#include "test_support.hpp"

namespace phylo::partitions {
namespace {

TEST(Parametric, MeanAndPopulationDeviation) {
    const std::vector<double> sample = {2, 4, 4, 4, 5, 5, 7, 9};
    const auto summary = parametric(sample);
    EXPECT_EQ(summary.mean, 5.0);
    EXPECT_EQ(summary.deviation, 2.0);
}

TEST(Parametric, NoSpreadGivesExactlyZero) {
    EXPECT_EQ(parametric(std::vector<double>{2, 2, 2, 2}).deviation, 0.0);
    // Five times 0.3: S = 1.5, Q = 5 x 0.09 rounded; the one-pass variance
    // comes out about -1.1e-17 and is raised to 0.
    EXPECT_EQ(parametric(std::vector<double>(5, 0.3)).deviation, 0.0);
}

TEST(Parametric, UndefinedAndInfiniteVariances) {
    // Empty: the mean is 0 x (1/0), the variance NaN, the deviation 0.
    const auto empty = parametric(std::vector<double>{});
    EXPECT_TRUE(std::isnan(empty.mean));
    EXPECT_EQ(empty.deviation, 0.0);
    const auto with_nan = parametric(std::vector<double>{1.0, NAN});
    EXPECT_TRUE(std::isnan(with_nan.mean));
    EXPECT_EQ(with_nan.deviation, 0.0);
    // S = 0 while the squares overflow: an infinite variance.
    const auto huge = parametric(std::vector<double>{1e200, -1e200});
    EXPECT_EQ(huge.mean, 0.0);
    EXPECT_EQ(huge.deviation, INFINITY);
}

TEST(Median, SortsInPlaceAndAveragesTheMiddlePair) {
    std::vector<double> odd = {5, 1, 3};
    EXPECT_EQ(median(odd), 3.0);
    EXPECT_EQ(odd, (std::vector<double>{1, 3, 5}));
    std::vector<double> even = {4, 1, 3, 2};
    EXPECT_EQ(median(even), 2.5);
    std::vector<double> huge = {1e308};
    EXPECT_EQ(median(huge), 1e308);
    std::vector<double> empty;
    EXPECT_THROW(median(empty), IndexError);
}

TEST(Nonparametric, MedianDeviationMinimumMaximum) {
    const std::vector<double> sample = {4, 100, 1, 3, 2};
    const auto summary = nonparametric(sample);
    // Deviations from 3: (2, 1, 0, 1, 97).
    EXPECT_EQ(summary.median, 3.0);
    EXPECT_EQ(summary.median_deviation, 1.0);
    EXPECT_EQ(summary.minimum, 1.0);
    EXPECT_EQ(summary.maximum, 100.0);
    EXPECT_EQ(sample, (std::vector<double>{4, 100, 1, 3, 2}));

    // Deviations from 2.5: (1.5, 0.5, 0.5, 1.5), median 1, no scaling.
    const auto even = nonparametric(std::vector<double>{1, 2, 3, 4});
    EXPECT_EQ(even.median, 2.5);
    EXPECT_EQ(even.median_deviation, 1.0);

    EXPECT_THROW(nonparametric(std::vector<double>{}), IndexError);
}

TEST(Nonparametric, SortsTheCopyOnceForTheMedianAndOnceForTheDeviations) {
    // The heap sort leaves the NaN at the seventh place of
    // (0, 0, 0.25, 0.5, 0.5, 0.5, NaN, 0.5); sorting that again would move it
    // to the second place and the middle pair to (0.25, 0.5), median 0.375.
    const auto summary = nonparametric(std::vector<double>{0.5, 0.5, 0.5, NAN, 0.25, 0.0, 0.0, 0.5});
    EXPECT_EQ(summary.median, 0.5);
    EXPECT_EQ(summary.median_deviation, 0.0);
    EXPECT_EQ(summary.minimum, 0.0);
    EXPECT_EQ(summary.maximum, 0.5);
}

TEST(Interval, RanksRoundFromTheExactConfidence) {
    const std::vector<double> sample = {10, 9, 8, 7, 6, 5, 4, 3, 2, 1};
    // 0.95: n a = 0.2500000000000002 rounds to 0, n (1 - a) = 9.75 to 10.
    const auto wide = interval(sample, 0.95);
    EXPECT_EQ(wide.lower, 1.0);
    EXPECT_EQ(wide.upper, 10.0);
    // 0.8999999999999999: n a = 0.5000000000000004 rounds to 1, 9.5 to 10.
    const auto narrow = interval(sample, 0.8999999999999999);
    EXPECT_EQ(narrow.lower, 2.0);
    EXPECT_EQ(narrow.upper, 10.0);
    // The double nearest 0.9 gives n a = 0.4999999999999999, rank 0.
    EXPECT_EQ(interval(sample, 0.9).lower, 1.0);
    const auto all = interval(sample, 1.0);
    EXPECT_EQ(all.lower, 1.0);
    EXPECT_EQ(all.upper, 10.0);
    EXPECT_EQ(sample.front(), 10.0);
}

TEST(Interval, RanksOnAnExactHalfRoundAwayFromZero) {
    // Confidence 0.5: a = 0.25 exactly. With ten values n a = 2.5 gives rank
    // 3 (not 2, as rounding halves to even would) and n (1 - a) = 7.5 gives
    // 8, rank 7; with two values 0.5 gives rank 1 and 1.5 gives 2, rank 1.
    const auto ten = interval(std::vector<double>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1}, 0.5);
    EXPECT_EQ(ten.lower, 4.0);
    EXPECT_EQ(ten.upper, 8.0);
    const auto two = interval(std::vector<double>{2, 1}, 0.5);
    EXPECT_EQ(two.lower, 2.0);
    EXPECT_EQ(two.upper, 2.0);
}

TEST(Interval, Failures) {
    const std::vector<double> sample = {1, 2, 3};
    EXPECT_THROW(interval(sample, 1.5), RangeError);
    EXPECT_THROW(interval(sample, -0.5), RangeError);
    EXPECT_THROW(interval(sample, NAN), RangeError);
    // Confidence 0 with one element: N(0.5) = 1 points past the end.
    EXPECT_THROW(interval(std::vector<double>{1}, 0.0), IndexError);
    EXPECT_THROW(interval(std::vector<double>{}, 0.95), IndexError);
}

TEST(Best, MidpointOfTheLowestAndHighestPositionReachingTheBest) {
    const std::vector<std::vector<double>> rows = {{9, 0.2}, {9, 0.8}, {9, 0.5}, {9, 0.8}};
    const std::vector<double> positions = {0.01, 0.02, 0.03, 0.04};
    const auto found = best(rows, 1, positions, true);
    EXPECT_EQ(found.score, 0.8);
    EXPECT_DOUBLE_EQ(found.position, 0.03);

    // Minimising: 0.2 at the first row only.
    const auto low = best(rows, 1, positions, false);
    EXPECT_EQ(low.score, 0.2);
    EXPECT_EQ(low.position, 0.01);

    // Every row ties: the whole span.
    EXPECT_DOUBLE_EQ(best(rows, 0, positions, true).position, 0.025);

    // The midpoint is (high - low) x 0.5 + low: between the accumulated
    // thresholds 0.01 and 0.01 + 0.01 + 0.01 that is 0.019999999999999997,
    // where (low + high) x 0.5 would give 0.02.
    const std::vector<double> accumulated = {0.01, 0.01 + 0.01, 0.01 + 0.01 + 0.01};
    EXPECT_EQ(best({{1}, {0}, {1}}, 0, accumulated, true).position, 0.019999999999999997);
}

TEST(Best, TheFirstRowStartsTheSearch) {
    const std::vector<double> positions = {0.5};
    const auto single = best({{1, 0.7}}, 1, positions, true);
    EXPECT_EQ(single.score, 0.7);
    EXPECT_EQ(single.position, 0.5);
    // A NaN in the first row is never beaten nor equalled.
    const auto nan_first = best({{NAN}, {1.0}}, 0, std::vector<double>{1, 2}, true);
    EXPECT_TRUE(std::isnan(nan_first.score));
    EXPECT_EQ(nan_first.position, 1.0);
}

TEST(Best, ColumnWiseFormPairsEveryColumnWithItsPosition) {
    const std::vector<std::vector<double>> rows = {{1, 0.3, 5}, {2, 0.9, 5}, {2, 0.1, 4}};
    const std::vector<double> positions = {0.1, 0.2, 0.3};
    const auto result = best(rows, positions, true);
    ASSERT_EQ(result.size(), 6u);
    EXPECT_EQ(result[0], 2.0);
    EXPECT_DOUBLE_EQ(result[1], 0.25);
    EXPECT_EQ(result[2], 0.9);
    EXPECT_EQ(result[3], 0.2);
    EXPECT_EQ(result[4], 5.0);
    EXPECT_DOUBLE_EQ(result[5], 0.15);
}

TEST(Best, Failures) {
    const std::vector<std::vector<double>> rows = {{1, 2}, {3}};
    const std::vector<double> one = {0.1};
    EXPECT_EQ(tarvix_test::failure_of<SizeError>([&] { best(rows, 0, one, true); }),
              "PHYLO.REAL_CHARS.BASIC.SIZE_ERROR: generic_float_functions:394 instantiated at phylo:240");
    EXPECT_EQ(tarvix_test::failure_of<SizeError>([&] { best(rows, one, true); }),
              "PHYLO.REAL_CHARS.BASIC.SIZE_ERROR: generic_float_functions:445 instantiated at phylo:240");
    const std::vector<double> two = {0.1, 0.2};
    EXPECT_THROW(best(rows, 1, two, true), IndexError);
    EXPECT_THROW(best(rows, two, true), IndexError);
    EXPECT_THROW(best({}, 0, std::vector<double>{}, true), IndexError);
    EXPECT_THROW(best({}, std::vector<double>{}, true), IndexError);
}

TEST(Fill, AccumulatesByRepeatedAddition) {
    std::vector<double> values(4);
    const double next = fill(values, 0.01, 0.01);
    EXPECT_EQ(values[0], 0.01);
    EXPECT_EQ(values[2], 0.01 + 0.01 + 0.01);
    EXPECT_EQ(next, 0.01 + 0.01 + 0.01 + 0.01 + 0.01);

    // With step 0.1 the third sum is 0.30000000000000004, the eighth
    // 0.7999999999999999: not 0.3 and 0.8.
    std::vector<double> tenths(9);
    fill(tenths, 0.0, 0.1);
    EXPECT_EQ(tenths[3], 0.30000000000000004);
    EXPECT_EQ(tenths[8], 0.7999999999999999);

    std::vector<double> empty;
    EXPECT_EQ(fill(empty, 0.5, 1.0), 0.5);
}

}  // namespace
}  // namespace phylo::partitions
