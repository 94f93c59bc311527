#include <gtest/gtest.h>

#include <cmath>

#include "analysis.hpp"
#include "block_titles.hpp"
#include "scale.hpp"
#include "threshold_axis.hpp"

using namespace tarvix::plot;

TEST(BestThreshold, MiddleOfTheThresholdsReachingTheHighestValue) {
    // The two 0.8 lie at 0.02 and 0.04, with a lower value between them.
    const Best best = best_threshold({0.2, 0.8, 0.5, 0.8}, {0.01, 0.02, 0.03, 0.04});
    EXPECT_EQ(best.value, 0.8);
    EXPECT_DOUBLE_EQ(best.threshold, 0.03);
    // The shaded run covers both, the lower value between them included.
    EXPECT_EQ(best.low, 0.02);
    EXPECT_EQ(best.high, 0.04);
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

TEST(UndefinedValues, OnlyTheMinusOneOfTheCriterionIsLeftOut) {
    const std::vector<double> drawn = drawn_values("Cal._Har._0", {-1, 4584.03, -1});
    EXPECT_TRUE(std::isnan(drawn[0]) && std::isnan(drawn[2]));
    EXPECT_EQ(drawn[1], 4584.03);
    // A modified Rand index of -1 is a result and stays.
    EXPECT_EQ(drawn_values("Modif._RI_0", {-1})[0], -1);
    // A criterion that is -1 everywhere has no best to mark.
    EXPECT_FALSE(has_best("Cal._Har._0", best_threshold({-1, -1}, {0, 0.1})));
    EXPECT_TRUE(has_best("Modif._RI_0", best_threshold({-1, -1}, {0, 0.1})));
}

TEST(EndNotes, BestsAtEitherEndOfTheSeries) {
    const std::vector<double> thresholds = {0, 0.1, 0.2};
    const std::vector<std::string> labels = {"Shared_I._0", "Modif._RI_0", "Rand_Ind._0"};
    // Best runs 0 .. 0.1, 0.1 .. 0.1 and 0.1 .. 0.2.
    const std::vector<Best> bests = {{1, 0.05, 0, 0.1}, {1, 0.1, 0.1, 0.1}, {1, 0.15, 0.1, 0.2}};
    EXPECT_EQ(end_notes(labels, bests, thresholds),
              (std::vector<std::string>{
                  "Best at the first threshold (Shared_I._0): a better one may lie below; take a smaller step -s",
                  "Best at the last threshold (Rand_Ind._0): a better one may lie above; extend -a"}));
    // A series that starts above 0 can start lower.
    EXPECT_EQ(end_notes({"X_0"}, {{1, 0.1, 0.1, 0.1}}, {0.1, 0.2}).front(),
              "Best at the first threshold (X_0): a better one may lie below; lower -i or take a smaller step -s");
    // No note for a column without a best, nor for a single threshold.
    EXPECT_TRUE(end_notes({"Cal._Har._0"}, {{-1, 0.1, 0, 0.2}}, thresholds).empty());
    EXPECT_TRUE(end_notes({"X_0"}, {{1, 0, 0, 0}}, {0}).empty());
}

TEST(Interval95, AsTarvixBoundsIt) {
    // n = 10: N(0.25) = 0 and N(9.75) = 10, the minimum and the maximum.
    EXPECT_EQ(interval_95({5, 1, 9, 3, 7, 2, 8, 4, 6, 10})->low, 1);
    EXPECT_EQ(interval_95({5, 1, 9, 3, 7, 2, 8, 4, 6, 10})->high, 10);
    // n = 100: N(2.5000000000000022) = 3 and N(97.5) = 98 (halves away from
    // zero): the 4th and the 98th smallest.
    std::vector<double> hundred;
    for (int i = 100; i >= 1; --i) hundred.push_back(i);
    EXPECT_EQ(interval_95(hundred)->low, 4);
    EXPECT_EQ(interval_95(hundred)->high, 98);
    EXPECT_EQ(interval_95({NAN, 0.2})->low, 0.2);
    EXPECT_FALSE(interval_95({NAN}).has_value());
}

TEST(LogAxis, OneTwoFiveTicksAndTheirPositions) {
    const Axis a = log_axis(0.01, 0.3);
    EXPECT_EQ(a.low, 0.01);
    EXPECT_EQ(a.high, 0.5);
    ASSERT_EQ(a.ticks.size(), 6u);  // 0.01 0.02 0.05 0.1 0.2 0.5
    EXPECT_EQ(axis_tick_text(a, a.ticks[2]), "0.05");
    EXPECT_EQ(axis_tick_text(a, a.ticks[5]), "0.5");
    // Each power of ten takes the same width: 0.1 halfway along 0.01 .. 1.
    const Scale x{0.01, 1, 100, 300, true};
    EXPECT_DOUBLE_EQ(x(0.1), 200);
    // Over more than three powers of ten only they are ticks (and the ends).
    const Axis wide = log_axis(0.0001, 1);
    EXPECT_EQ(wide.ticks.size(), 5u);
    EXPECT_EQ(axis_tick_text(wide, wide.ticks.front()), "0.0001");
}

TEST(AniTexts, PercentIdentityOfADistance) {
    EXPECT_EQ(ani_text(0.05, 0), "95");
    EXPECT_EQ(ani_text(0.025, 1), "97.5");
    EXPECT_EQ(ani_text(0.001), "99.9");
    EXPECT_EQ(ani_text(0), "100");
    EXPECT_EQ(ani_text(1), "0");
}

TEST(ThresholdAxis, ZoomsOnBestsSqueezedToTheLeft) {
    std::vector<double> series;  // 0, 0.05, ..., 1
    for (int i = 0; i <= 20; ++i) series.push_back(i * 0.05);
    // The highest best run ends at 0.1, in the leftmost quarter: the axis
    // ends at twice that, and says so.
    const ThresholdAxis zoomed = threshold_axis(series, {0.05, 0.1}, {}, 0, 100, 8);
    EXPECT_DOUBLE_EQ(zoomed.axis.high, 0.2);
    EXPECT_FALSE(zoomed.shows(0.25));
    EXPECT_EQ(zoomed.notes, (std::vector<std::string>{
                                "Zoomed in on the best thresholds: the series goes on to 1 (--xmax 1 draws it all)."}));
    // A best beyond the first quarter, or --xmax, keeps the axis as asked.
    EXPECT_EQ(threshold_axis(series, {0.3}, {}, 0, 100, 8).axis.high, 1);
    ChartOptions whole;
    whole.x_max = 1;
    EXPECT_EQ(threshold_axis(series, {0.1}, whole, 0, 100, 8).axis.high, 1);
    EXPECT_TRUE(threshold_axis(series, {0.1}, whole, 0, 100, 8).notes.empty());
}

TEST(ThresholdAxis, LogarithmicAxisLeavesOutZero) {
    ChartOptions log;
    log.log_x = true;
    const ThresholdAxis x = threshold_axis({0, 0.01, 0.1}, {}, log, 0, 100, 8);
    EXPECT_FALSE(x.shows(0));
    EXPECT_TRUE(x.shows(0.01));
    EXPECT_EQ(x.notes, (std::vector<std::string>{"Logarithmic threshold axis: thresholds at or below 0 are not drawn."}));
    EXPECT_THROW(threshold_axis({0}, {}, log, 0, 100, 8), std::runtime_error);
    log.x_max = 0.001;
    EXPECT_THROW(threshold_axis({0, 0.01, 0.1}, {}, log, 0, 100, 8), std::runtime_error);
}
