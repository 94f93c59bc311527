// Reference correction: conflict test, scores, and whole corrections worked
// out by hand (including the order the heap sort leaves tied scores in).
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "phylo/correction.hpp"
#include "phylo/errors.hpp"

namespace {

using phylo::Partition;
using phylo::RealMatrix;
namespace correction = phylo::correction;

RealMatrix matrix(const std::vector<std::vector<double>>& rows) {
    RealMatrix m(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (std::size_t k = 0; k < rows.size(); ++k) m(i, k) = rows[i][k];
    return m;
}

// Objects on a line and in two clumps: A, B close; C, D, E close.
RealMatrix five_objects() {
    return matrix({{0, 0.02, 0.5, 0.6, 0.55},
                   {0.02, 0, 0.52, 0.61, 0.58},
                   {0.5, 0.52, 0, 0.04, 0.07},
                   {0.6, 0.61, 0.04, 0, 0.05},
                   {0.55, 0.58, 0.07, 0.05, 0}});
}

TEST(GetDiff, ReadsExactlyTheNamedEntriesAndCountsTiesAsConflicts) {
    // Outsider 2, pair (0, 1): D(0, 1) - max(D(1, 2), D(0, 2)); the lower
    // triangle holds other values that must not be read.
    RealMatrix d = matrix({{0, 5, 1}, {99, 0, 2}, {99, 99, 0}});
    EXPECT_EQ(correction::get_diff(d, 2, 0, 1), 5.0 - 2.0);
    EXPECT_EQ(correction::get_diff(d, 0, 1, 2), 2.0 - 99.0);

    RealMatrix equal = matrix({{0, 1, 1}, {1, 0, 1}, {1, 1, 0}});
    EXPECT_EQ(correction::get_diff(equal, 2, 0, 1), 0.0);
    correction::ScoreTable scores;
    EXPECT_EQ(correction::get_scores(equal, {0, 0, 1}, 1.0, scores), 1);
}

TEST(GetScores, OutsiderOfACloseTripletAndPairMembersCollect) {
    // A, B in group 0, C in group 1; D(A, B) = 5, D(A, C) = 1, D(B, C) = 2.
    RealMatrix d = matrix({{0, 5, 1}, {5, 0, 2}, {1, 2, 0}});
    correction::ScoreTable scores;
    EXPECT_EQ(correction::get_scores(d, {0, 0, 1}, 5.0, scores), 1);
    ASSERT_EQ(scores.size(), 3u);
    EXPECT_EQ(scores[0].object, 0);
    EXPECT_EQ(scores[0].score, 5.0 + 0.000001);
    EXPECT_EQ(scores[1].score, 5.0 + 0.000001);
    EXPECT_EQ(scores[2].object, 2);
    EXPECT_EQ(scores[2].score, (5.0 - 5.0) + 0.000001);

    // All in one group, or all apart: no triplet has exactly two mates.
    EXPECT_EQ(correction::get_scores(d, {0, 0, 0}, 5.0, scores), 0);
    EXPECT_EQ(correction::get_scores(d, {0, 1, 2}, 5.0, scores), 0);
}

TEST(GetScores, AccumulatesOverEveryConflictingTriplet) {
    // Groups {A, C} and {B, D, E}: the pairs (B, D) and (B, E) conflict with
    // the outsiders A and C.
    correction::ScoreTable scores;
    EXPECT_EQ(correction::get_scores(five_objects(), {0, 1, 0, 1, 1}, 0.61, scores), 4);
    const double near_d = (0.61 - 0.61) + 0.000001, near_e = (0.61 - 0.58) + 0.000001;
    double b = 0.0;
    b += 0.61 + 0.000001;
    b += 0.58 + 0.000001;
    b += 0.61 + 0.000001;
    b += 0.58 + 0.000001;
    EXPECT_EQ(scores[0].score, 0.0 + near_d + near_e);
    EXPECT_EQ(scores[1].score, b);
    EXPECT_EQ(scores[2].score, scores[0].score);
    EXPECT_EQ(scores[3].score, (0.0 + (0.61 + 0.000001)) + (0.61 + 0.000001));
    EXPECT_EQ(scores[4].score, (0.0 + (0.58 + 0.000001)) + (0.58 + 0.000001));
}

TEST(SortByScores, LeavesTiesInHeapSortOrder) {
    // Positions 1..5 with keys (S, S, S, S, s), S > s: the heap sort leaves
    // the objects as 4, 2, 0, 1, 3.
    correction::ScoreTable scores{{0, 2.0}, {1, 2.0}, {2, 2.0}, {3, 2.0}, {4, 1.0}};
    correction::sort_by_scores(scores);
    std::vector<std::int32_t> order;
    for (const auto& s : scores) order.push_back(s.object);
    EXPECT_EQ(order, (std::vector<std::int32_t>{4, 2, 0, 1, 3}));
}

struct Correction {
    Partition result;
    std::string progress;
};

Correction correct(const RealMatrix& d, const Partition& reference) {
    std::ostringstream progress;
    Partition result = correction::correct_reference(d, reference, progress);
    return {result, progress.str()};
}

TEST(CorrectReference, WithoutConflictsWritesOneLineAndRenumbersByFirstOccurrence) {
    RealMatrix d = matrix({{0, 5, 1}, {5, 0, 2}, {1, 2, 0}});
    Correction together = correct(d, {0, 0, 0});
    EXPECT_EQ(together.progress, " 1  0\n");
    EXPECT_EQ(together.result, (Partition{0, 0, 0}));

    Correction apart = correct(d, {2, 0, 1});
    EXPECT_EQ(apart.progress, " 1  0\n");
    EXPECT_EQ(apart.result, (Partition{0, 1, 2}));
}

TEST(CorrectReference, PairMemberLeavesForANewGroup) {
    // Sorted C, A, B: B (highest score) finds outsider C with its mate A and
    // leaves group 0 for 0 + offset 2; then nothing conflicts.
    RealMatrix d = matrix({{0, 5, 1}, {5, 0, 2}, {1, 2, 0}});
    Correction run = correct(d, {0, 0, 1});
    EXPECT_EQ(run.progress, " 1  1\n 2  0\n");
    EXPECT_EQ(run.result, (Partition{0, 1, 2}));
}

TEST(CorrectReference, OutsiderJoinsTheGroupOfAClosePair) {
    // 0, 1, 2 mutually at 1 and 3 far away: 2 is the outsider of the tied
    // pair (0, 1) and has the highest score, so it moves into their group.
    RealMatrix d = matrix({{0, 1, 1, 10}, {1, 0, 1, 10}, {1, 1, 0, 10}, {10, 10, 10, 0}});
    Correction run = correct(d, {0, 0, 1, 2});
    EXPECT_EQ(run.progress, " 1  1\n 2  0\n");
    EXPECT_EQ(run.result, (Partition{0, 0, 0, 1}));
}

TEST(CorrectReference, SplitsTheMisplacedMember) {
    // Groups {A, C} and {B, D, E}: sorted C, A, E, D, B; B leaves for group
    // 3, then no triplet conflicts.
    Correction run = correct(five_objects(), {0, 1, 0, 1, 1});
    EXPECT_EQ(run.progress, " 1  4\n 2  0\n");
    EXPECT_EQ(run.result, (Partition{0, 1, 0, 2, 2}));
}

TEST(CorrectReference, MovesWithinAPassSeeEarlierMoves) {
    // {0, 1, 2, 3} with close pairs (0, 1), (2, 3) ten apart, and 4 at ten
    // from all: four tied conflicts. Sorted 4, 2, 0, 1, 3: 3 and then 1 leave
    // for the new group 2, 0 follows them, 2 joins them through the pair
    // (0, 3), and 4 joins the same group through the pair (2, 0).
    RealMatrix d = matrix({{0, 1, 10, 10, 10},
                           {1, 0, 10, 10, 10},
                           {10, 10, 0, 1, 10},
                           {10, 10, 1, 0, 10},
                           {10, 10, 10, 10, 0}});
    Correction run = correct(d, {0, 0, 0, 0, 1});
    EXPECT_EQ(run.progress, " 1  4\n 2  0\n");
    EXPECT_EQ(run.result, (Partition{0, 0, 0, 0, 0}));
}

TEST(CorrectReference, StopsWhenThePassesDoNotConverge) {
    // Negative distances leave the pair members with negative scores, which
    // the moves skip, so the one conflict stays for ever: 10 * 3 + 100 passes.
    RealMatrix d = matrix({{0, -1, -1}, {-1, 0, -1}, {-1, -1, 0}});
    std::ostringstream progress;
    try {
        correction::correct_reference(d, {0, 0, 1}, progress);
        FAIL() << "expected a range error";
    } catch (const phylo::RangeError& e) {
        EXPECT_STREQ(e.what(), "reference correction did not converge");
    }
    std::string expected;
    for (int pass = 1; pass <= 130; ++pass) expected += " " + std::to_string(pass) + "  1\n";
    EXPECT_EQ(progress.str(), expected);
}

TEST(CorrectReference, RejectsMismatchedSizesAndEmptyPartitions) {
    std::ostringstream progress;
    RealMatrix d = matrix({{0, 1}, {1, 0}});
    try {
        correction::correct_reference(d, {0, 0, 0}, progress);
        FAIL() << "expected a size error";
    } catch (const phylo::SizeError& e) {
        EXPECT_EQ(e.heading(), "PHYLO.REAL_CHARS.BASIC.SIZE_ERROR");
        EXPECT_STREQ(e.what(), "phylo-correction:232");
    }
    EXPECT_THROW(correction::correct_reference(RealMatrix(0), {}, progress), phylo::IndexError);
    EXPECT_EQ(progress.str(), "");
}

}  // namespace
