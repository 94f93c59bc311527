// Label maps, group numbers from partition files, group counting, squeezing
// and the row and column labels of report tables.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "phylo/errors.hpp"
#include "phylo/partitions/label_map.hpp"
#include "phylo/partitions/partitions.hpp"
#include "test_support.hpp"

namespace {

using phylo::GroupNameTable;
using phylo::Labels;
using phylo::Partition;
using phylo::PartitionSet;
using phylo::SizeError;
using phylo::partitions::MapMode;
using tarvix_test::failure_of;
using tarvix_test::make_set;

TEST(LabelMap, UniqueModeNumbersEveryPositionAndRefusesRepeats) {
    const auto map = phylo::partitions::to_map({"b", "a", "c"}, MapMode::UNIQUE);
    EXPECT_EQ(map.at("b"), 0);
    EXPECT_EQ(map.at("a"), 1);
    EXPECT_EQ(map.at("c"), 2);
    const auto repeated = [] { phylo::partitions::to_map({"a", "b", "a"}, MapMode::UNIQUE); };
    EXPECT_EQ(failure_of(repeated), "container error: attempt to insert key already in map");
}

TEST(LabelMap, GroupingModeNumbersByFirstOccurrenceAndComparesExactly) {
    const auto map = phylo::partitions::to_map({"y", "x", "y", "X", "x"}, MapMode::GROUPING);
    EXPECT_EQ(map.size(), 3u);
    EXPECT_EQ(map.at("y"), 0);
    EXPECT_EQ(map.at("x"), 1);
    EXPECT_EQ(map.at("X"), 2);
    EXPECT_EQ(failure_of([&] { map.at("x "); }), "container error: no element available because key not in map");
}

TEST(ToGroupNumbers, AlignsFileOrderWithMatrixOrderAndNumbersByFileOrder) {
    // File lines C, A, B with groups x, y, x: x -> 0, y -> 1.
    const GroupNameTable table = {{"C", "A", "B"}, {"x", "y", "x"}};
    const PartitionSet set = phylo::partitions::to_group_numbers({"A", "B", "C"}, table);
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(*set[0], (Partition{1, 0, 0}));
}

TEST(ToGroupNumbers, NumbersEveryColumnOnItsOwn) {
    const GroupNameTable table = {
        {"A", "B", "C", "D"},         {"g", "h", "g", "H"},  // case matters: h and H are different groups
        {"h", "g", "h", "g"},                                // the same names as column 1, numbered afresh
        {"s", "t", "u", "v"},                                // singletons in file order
        {"one", "one", "one", "one"},
    };
    const PartitionSet set = phylo::partitions::to_group_numbers({"A", "B", "C", "D"}, table);
    ASSERT_EQ(set.size(), 4u);
    EXPECT_EQ(*set[0], (Partition{0, 1, 0, 2}));
    EXPECT_EQ(*set[1], (Partition{0, 1, 0, 1}));
    EXPECT_EQ(*set[2], (Partition{0, 1, 2, 3}));
    EXPECT_EQ(*set[3], (Partition{0, 0, 0, 0}));
    EXPECT_NE(set[0], set[1]);
}

TEST(ToGroupNumbers, HeaderWithoutPartitionsGivesAnEmptySet) {
    const GroupNameTable table = {{"A", "B"}};
    EXPECT_TRUE(phylo::partitions::to_group_numbers({"A", "B"}, table).empty());
}

TEST(ToGroupNumbers, FailsOnTablesThatDoNotFitTheMatrix) {
    const Labels abc = {"A", "B", "C"};
    auto failure = [](const Labels& objects, const GroupNameTable& table) {
        return failure_of([&] { phylo::partitions::to_group_numbers(objects, table); });
    };
    // A header of another length, a label the matrix lacks and a header
    // naming A twice (which would leave C without a group) stop the command
    // line: the end-to-end cases fails_with_label_missing_from_reference,
    // fails_on_a_label_typo_in_the_reference, fails_on_a_label_listed_twice_in_the_reference.
    EXPECT_EQ(failure(abc, {{"A", "B", "C"}, {"x", "y"}}), "PHYLO.GROUP_NAMES.SIZE_ERROR: phylo-taxonomy:350");
    EXPECT_EQ(failure({"A", "B", "A"}, {{"A", "B", "C"}, {"x", "y", "x"}}),
              "container error: attempt to insert key already in map");
}

TEST(NumberOfGroups, CountsNumbersWithoutGapsAndRefusesAllOthers) {
    EXPECT_EQ(phylo::partitions::number_of_groups({0, 0, 0}), 1);
    EXPECT_EQ(phylo::partitions::number_of_groups({2, 0, 1, 0}), 3);
    EXPECT_EQ(phylo::partitions::number_of_groups({0}), 1);
    for (const Partition& bad : {Partition{1, 1}, Partition{0, 2}, Partition{-1}, Partition{-1, 1}, Partition{0, 5}})
        EXPECT_EQ(failure_of<SizeError>([&] { phylo::partitions::number_of_groups(bad); }),
                  "PHYLO.REFNO_CHARS.BASIC.SIZE_ERROR: phylo-taxonomy:970");
    EXPECT_THROW(phylo::partitions::number_of_groups({}), phylo::IndexError);
}

TEST(Fill, ThresholdLabelsAreAccumulatedAndRightJustified) {
    Labels labels(3);
    phylo::partitions::fill(labels, 10, 0.0, 0.05);
    EXPECT_EQ(labels, (Labels{"0.00000000", "0.05000000", "0.10000000"}));

    // Eight additions of 0.1 give 0.7999999999999999, not 0.8 = 8 * 0.1.
    Labels wide(9);
    phylo::partitions::fill(wide, 19, 0.0, 0.1);
    EXPECT_EQ(wide[8], "0.79999999999999993");

    Labels two(2);
    phylo::partitions::fill(two, 4, 0.5, 0.25);
    EXPECT_EQ(two, (Labels{"0.50", "0.75"}));
}

TEST(Fill, ThresholdLabelsWiderThanTheFieldAreKeptWhole) {
    // 100.5 needs twelve characters: written whole (9, 10 and 11 in ten
    // characters: the end-to-end case verbose_threshold_labels_of_ten_and_more_are_written_whole).
    Labels large(1);
    phylo::partitions::fill(large, 10, 100.5, 1.0);
    EXPECT_EQ(large, (Labels{"100.50000000"}));
}

TEST(Fill, ThresholdLabelsFailWhenTheyCannotBeWritten) {
    Labels labels(2);
    EXPECT_THROW(phylo::partitions::fill(labels, 1, 0.0, 0.1), phylo::RangeError);
    EXPECT_THROW(phylo::partitions::fill(labels, 258, 0.0, 0.1), phylo::RangeError);
}

TEST(Fill, ReplicateLabelsAreRightJustifiedNumbers) {
    // Counting up from 1 in ten characters: the end-to-end cases jackknife_verbose_*.
    Labels down(3);
    phylo::partitions::fill(down, 3, 10LL, -10LL);
    EXPECT_EQ(down, (Labels{" 10", "  0", "-10"}));
    Labels narrow(2);
    EXPECT_THROW(phylo::partitions::fill(narrow, 1, 9LL, 1LL), phylo::RangeError);
}

TEST(Repeat, NumbersEveryBlockAndReplacesWhitespace) {
    // Blocks of the similarity columns: the end-to-end optimise_* and jackknife_* headers.
    EXPECT_EQ(phylo::partitions::repeat({"Raw_4    ", "a\tb\x7f"}, 1), (Labels{"Raw_4_____0", "a_b__0"}));
    EXPECT_EQ(phylo::partitions::repeat({"Cal._Har."}, 11).back(), "Cal._Har._10");
    EXPECT_TRUE(phylo::partitions::repeat({"x"}, 0).empty());
    EXPECT_TRUE(phylo::partitions::repeat({}, 3).empty());
}

TEST(Squeeze, RunsOfEqualPartitionsShareTheFirstObject) {
    PartitionSet set = make_set({{1, 0}, {1, 0}, {1, 0}, {0, 1}, {0, 1}});
    const auto first = set[0];
    phylo::partitions::squeeze(set);
    EXPECT_EQ(set[0], first);
    EXPECT_EQ(set[1], first);
    EXPECT_EQ(set[2], first);
    EXPECT_NE(set[3], first);
    EXPECT_EQ(set[4], set[3]);
    EXPECT_EQ(*set[4], (Partition{0, 1}));
}

TEST(Squeeze, NeverMergesAbsentPositionsOrDifferentLengths) {
    PartitionSet set = make_set({{0, 0}, {0, 0, 0}, {0, 0}});
    set.insert(set.begin() + 2, nullptr);
    set.push_back(nullptr);
    phylo::partitions::squeeze(set);
    EXPECT_NE(set[0], set[1]);
    EXPECT_EQ(set[2], nullptr);
    EXPECT_NE(set[3], set[1]);
    EXPECT_EQ(set[4], nullptr);
}

}  // namespace
