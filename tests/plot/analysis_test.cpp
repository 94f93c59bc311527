#include <gtest/gtest.h>

#include <cmath>

#include "analysis.hpp"
#include "block_titles.hpp"
#include "scale.hpp"

using namespace tarvix::plot;

TEST(BestThreshold, MiddleOfTheThresholdsReachingTheHighestValue) {
    // The two 0.8 lie at 0.02 and 0.04, with a lower value between them.
    const Best best = best_threshold({0.2, 0.8, 0.5, 0.8}, {0.01, 0.02, 0.03, 0.04});
    EXPECT_EQ(best.value, 0.8);
    EXPECT_DOUBLE_EQ(best.threshold, 0.03);
    // A later strictly higher value starts the span afresh.
    const Best later = best_threshold({1, 1, 2}, {0, 0.1, 0.2});
    EXPECT_EQ(later.value, 2);
    EXPECT_EQ(later.threshold, 0.2);
}

TEST(BestThreshold, OneRowAndValuesThatAreNoNumber) {
    const Best one = best_threshold({0.7}, {0.25});
    EXPECT_EQ(one.value, 0.7);
    EXPECT_EQ(one.threshold, 0.25);
    // Nothing is greater than NaN, so a leading NaN stays, as in tarvix.
    EXPECT_TRUE(std::isnan(best_threshold({NAN, 1, 2}, {0, 1, 2}).value));
    const Best after = best_threshold({1, NAN, 1}, {0, 1, 2});
    EXPECT_EQ(after.value, 1);
    EXPECT_EQ(after.threshold, 1);
}

TEST(FiniteMedian, OddEvenAndEmpty) {
    EXPECT_EQ(finite_median({0.3, 0.1, 0.2}), 0.2);
    EXPECT_EQ(finite_median({0.4, 0.1, 0.2, 0.3}), 0.25);
    EXPECT_EQ(finite_median({NAN, 0.5, INFINITY}), 0.5);
    EXPECT_FALSE(finite_median({NAN}).has_value());
    EXPECT_FALSE(finite_median({}).has_value());
}

TEST(SplitLabel, IndexNameAndBlock) {
    EXPECT_EQ(split_label("Modif._RI_2").index, "Modif._RI");
    EXPECT_EQ(split_label("Modif._RI_2").block, 2);
    // Padded names had their blanks turned into underscores.
    EXPECT_EQ(split_label("Raw_4_____0").index, "Raw_4");
    EXPECT_EQ(split_label("Raw_4_____0").block, 0);
    EXPECT_EQ(split_label("Correct_3_12").block, 12);
    EXPECT_EQ(split_label("Cal._Har._0").index, "Cal._Har.");
    EXPECT_FALSE(split_label("Clusters").block.has_value());
    EXPECT_FALSE(split_label("x_").block.has_value());
    EXPECT_FALSE(split_label("x_99999999999").block.has_value());
}

TEST(GroupBlocks, BlocksInOrderWithTheirColumns) {
    const std::vector<std::string> labels = {"Shared_I._0", "Modif._RI_0", "Shared_I._1", "Modif._RI_1", "Other"};
    const std::vector<Block> blocks = group_blocks(labels);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0].number, 0);
    EXPECT_EQ(blocks[0].columns, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(blocks[1].columns, (std::vector<std::size_t>{2, 3}));
    EXPECT_FALSE(blocks[2].number.has_value());
}

TEST(BlockTitles, ReferencePartitionsThenTheirMeans) {
    const std::vector<std::string> labels = {"Shared_I._0", "Rand_Ind._0", "Shared_I._1", "Rand_Ind._1",
                                             "Shared_I._2", "Rand_Ind._2"};
    const std::vector<Block> blocks = group_blocks(labels);
    EXPECT_EQ(block_title(blocks, 0, labels), "Reference partition 1 (column 2 of the reference file)");
    EXPECT_EQ(block_title(blocks, 1, labels), "Reference partition 2 (column 3 of the reference file)");
    EXPECT_EQ(block_title(blocks, 2, labels), "Mean over the 2 reference partitions");

    const std::vector<std::string> criterion = {"Cal._Har._0"};
    EXPECT_EQ(block_title(group_blocks(criterion), 0, criterion), "Calinski\u2013Harabasz criterion (Cal._Har._0)");
}

TEST(Tally, DistinctFiniteValuesWithCounts) {
    const std::vector<Tally> t = tally({0.2, 0.1, 0.2, NAN, 0.2, 0.05});
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].value, 0.05);
    EXPECT_EQ(t[0].count, 1u);
    EXPECT_EQ(t[2].value, 0.2);
    EXPECT_EQ(t[2].count, 3u);
}

TEST(NiceAxis, RoundStepsAroundTheData) {
    // 0.5 / 8 = 0.0625, rounded up to the step 0.1.
    Axis a = nice_axis(0, 0.5, 8);
    EXPECT_DOUBLE_EQ(a.step, 0.1);
    EXPECT_EQ(a.ticks.size(), 6u);
    EXPECT_EQ(a.decimals, 1);
    // 0.1 / 8 = 0.0125 -> step 0.02, ticks 0 .. 0.1.
    a = nice_axis(0, 0.1, 8);
    EXPECT_DOUBLE_EQ(a.step, 0.02);
    EXPECT_DOUBLE_EQ(a.high, 0.1);
    EXPECT_EQ(a.decimals, 2);
    // -1 .. 5729 over 5 ticks: 1146 -> step 2000, widened to -2000 .. 6000.
    a = nice_axis(-1, 5729.43, 5);
    EXPECT_EQ(a.step, 2000);
    EXPECT_EQ(a.low, -2000);
    EXPECT_EQ(a.high, 6000);
    EXPECT_EQ(a.decimals, 0);
    // Counts of clusters: whole steps only.
    a = nice_axis(0, 3, 5, true);
    EXPECT_EQ(a.step, 1);
    EXPECT_EQ(a.ticks, (std::vector<double>{0, 1, 2, 3}));
}

TEST(NiceAxis, EmptyAndUnusableRanges) {
    // A single threshold 0 is shown on 0 .. 0.02, not around it.
    Axis a = nice_axis(0, 0, 8);
    EXPECT_EQ(a.low, 0);
    EXPECT_GE(a.high, 0.02);
    a = nice_axis(5, 5, 5);
    EXPECT_LE(a.low, 4.5);
    EXPECT_GE(a.high, 5.5);
    a = nice_axis(INFINITY, -INFINITY, 5);  // no finite value at all
    EXPECT_EQ(a.low, 0);
    EXPECT_EQ(a.high, 1);
    // A range of one unit in the last place, and the widest range of doubles:
    // a few finite ticks, no endless loop, no overflow.
    a = nice_axis(1e20, std::nextafter(1e20, 2e20), 5);
    EXPECT_GE(a.ticks.size(), 2u);
    EXPECT_LE(a.ticks.size(), 21u);
    a = nice_axis(-1.7e308, 1.7e308, 5);
    EXPECT_TRUE(std::isfinite(a.low) && std::isfinite(a.high));
    EXPECT_GE(a.ticks.size(), 2u);
}

TEST(NumberTexts, ThresholdsAndValues) {
    EXPECT_EQ(threshold_text(0.055), "0.055");
    EXPECT_EQ(threshold_text(0.1 + 0.2), "0.3");
    EXPECT_EQ(threshold_text(0), "0");
    EXPECT_EQ(threshold_text(-0.0), "0");
    EXPECT_EQ(threshold_text(2), "2");
    EXPECT_EQ(value_text(0.80657360), "0.8066");
    EXPECT_EQ(value_text(5729.43037414), "5729.4");
    EXPECT_EQ(value_text(NAN), "NaN");
    EXPECT_EQ(tick_text(-0.0, 1), "0.0");
}
