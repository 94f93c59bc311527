// The thresholds of a series: their count, their accumulation, and the row
// labels that must show exactly the thresholds the engines use.
#include "phylo/thresholds.hpp"

#include <gtest/gtest.h>

#include "phylo/errors.hpp"
#include "phylo/partitions/partitions.hpp"
#include "phylo/partitions/statistics.hpp"
#include "test_support.hpp"

namespace {

TEST(ThresholdCount, RoundsAQuotientOfOneHalfAwayFromZero) {
    // -i 0 -s 2 -a 5: q = 2.5 gives N = 3, four thresholds 0, 2, 4, 6 (a
    // rounding of halves to even would give 2 and only three thresholds).
    EXPECT_EQ(phylo::threshold_count(0.0, 5.0, 2.0), 3);
    EXPECT_EQ(phylo::threshold_count(0.0, 0.1, 0.04), 3);
    EXPECT_EQ(phylo::threshold_count(0.0, 0.1, 0.03), 3);
    EXPECT_EQ(phylo::threshold_count(0.0, 0.0, 0.01), 0);
}

TEST(ThresholdCount, AQuotientBeyond32BitsOrUndefinedIsARangeError) {
    EXPECT_EQ(tarvix_test::failure_of<phylo::RangeError>([] { phylo::threshold_count(0.0, 0.0, 0.0); }),
              "range error: threshold count out of range: nan");
    EXPECT_THROW(phylo::threshold_count(0.0, 3e9, 1.0), phylo::RangeError);
    EXPECT_EQ(phylo::threshold_count(0.0, 2147483647.0, 1.0), 2147483647);
}

TEST(Thresholds, AreAccumulatedByRepeatedAddition) {
    const std::vector<double> t = phylo::thresholds(0.0, 0.1, 4);
    EXPECT_EQ(t[3], 0.30000000000000004);  // 0.1 + 0.1 + 0.1, not 3 * 0.1
    EXPECT_EQ(phylo::thresholds(0.0, 0.1, 10)[8], 0.7999999999999999);
    EXPECT_THROW(phylo::thresholds(1e308, 1e308, 1), phylo::RangeError);  // the sum after the last one
    EXPECT_THROW(phylo::thresholds(-1.0, 1.0, 0), phylo::RangeError);
}

TEST(Thresholds, RowLabelsAndTheThresholdListShowTheEngineThresholds) {
    std::vector<double> list(10);
    EXPECT_EQ(phylo::partitions::fill(list, 0.0, 0.1), 0.9999999999999999);
    EXPECT_EQ(list, phylo::thresholds(0.0, 0.1, 10));
    phylo::Labels labels(4);
    phylo::partitions::fill(labels, 10, 0.0, 0.1);
    EXPECT_EQ(labels, (phylo::Labels{"0.00000000", "0.10000000", "0.20000000", "0.30000000"}));
}

}  // namespace
