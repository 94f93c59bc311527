// Reference correction: conflict test, scores, and whole corrections worked
// out by hand (including the order the heap sort leaves tied scores in); the
// scoring and the passes of moves are also checked against literal versions
// of the triple loops on tie-heavy random matrices.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <map>
#include <set>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "phylo/correction/correction.hpp"
#include "phylo/errors.hpp"
#include "phylo/number_images.hpp"
#include "test_support.hpp"

namespace {

// The pass lines the command line writes: " 1  12".
phylo::correction::PassReport lines_into(std::ostringstream& progress) {
    return [&progress](std::int64_t pass, std::int64_t conflicts) {
        progress << phylo::integer_image(pass) << ' ' << phylo::integer_image(conflicts) << '\n';
    };
}

using phylo::Partition;
using phylo::RealMatrix;
namespace correction = phylo::correction;

using tarvix_test::matrix;

using tarvix_test::five_objects;

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
    Partition result = correction::correct_reference(d, reference, lines_into(progress));
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

TEST(CorrectReference, StopsAtOnceWhenAPassWouldRepeatAnEarlierOne) {
    // Negative distances leave the pair members with negative scores, which
    // the moves skip, so the first pass moves nothing and the second would
    // start from the same partition: the passes would repeat for ever, so the
    // run stops before the second pass computes or writes anything (rather
    // than after 10 * 3 + 100 identical passes).
    RealMatrix d = matrix({{0, -1, -1}, {-1, 0, -1}, {-1, -1, 0}});
    std::ostringstream progress;
    try {
        correction::correct_reference(d, {0, 0, 1}, lines_into(progress));
        FAIL() << "expected a range error";
    } catch (const phylo::RangeError& e) {
        EXPECT_STREQ(e.what(), "reference correction did not converge");
    }
    EXPECT_EQ(progress.str(), " 1  1\n");
}

TEST(CorrectReference, RejectsMismatchedSizesAndEmptyPartitions) {
    std::ostringstream progress;
    RealMatrix d = matrix({{0, 1}, {1, 0}});
    try {
        correction::correct_reference(d, {0, 0, 0}, lines_into(progress));
        FAIL() << "expected a size error";
    } catch (const phylo::SizeError& e) {
        EXPECT_EQ(e.heading(), "PHYLO.REAL_CHARS.BASIC.SIZE_ERROR");
        EXPECT_STREQ(e.what(), "phylo-correction:232");
    }
    EXPECT_THROW(correction::correct_reference(RealMatrix(0), {}, lines_into(progress)), phylo::IndexError);
    EXPECT_EQ(progress.str(), "");
}

// ------------------------------------------- against the literal procedure

// The scoring exactly as written: every triple i < j < k, the three cases in
// order, the shares added conflict by conflict.
std::int64_t literal_scores(const RealMatrix& d, const Partition& partition, double largest,
                            correction::ScoreTable& scores) {
    const auto n = static_cast<std::int32_t>(partition.size());
    scores.clear();
    for (std::int32_t i = 0; i < n; ++i) scores.push_back({i, 0.0});
    std::int64_t count = 0;
    auto check = [&](std::int32_t a, std::int32_t b, std::int32_t c) {
        if (!(correction::get_diff(d, a, b, c) >= 0.0)) return;
        ++count;
        scores[a].score += (largest - d(b, c)) + 0.000001;
        scores[b].score += d(b, c) + 0.000001;
        scores[c].score += d(b, c) + 0.000001;
    };
    for (std::int32_t i = 0; i < n; ++i)
        for (std::int32_t j = i + 1; j < n; ++j)
            for (std::int32_t k = j + 1; k < n; ++k) {
                const auto gi = partition[i], gj = partition[j], gk = partition[k];
                if (gi == gj && gk != gi)
                    check(k, i, j);
                else if (gi == gk && gj != gi)
                    check(j, i, k);
                else if (gj == gk && gi != gj)
                    check(i, j, k);
            }
    return count;
}

// One pass of moves exactly as written: for each position from the last
// down, the first conflicting pair of positions q < r decides the move.
void literal_moves(const RealMatrix& d, const correction::ScoreTable& sorted, std::vector<std::int64_t>& working) {
    const auto [lowest, highest] = std::minmax_element(working.begin(), working.end());
    const std::int64_t offset = *highest - *lowest + 1;
    const std::size_t m = sorted.size();
    std::size_t start = 0;
    while (start < m && !(sorted[start].score >= 0.0)) ++start;
    auto conflicts = [&](std::int32_t a, std::int32_t b, std::int32_t c) {
        return correction::get_diff(d, a, b, c) >= 0.0;
    };
    for (std::size_t s = m; s > start; --s) {
        const std::int32_t o = sorted[s - 1].object;
        const std::int64_t g = working[o];
        bool moved = false;
        for (std::size_t q = start; q + 1 < m && !moved; ++q) {
            const std::int32_t p = sorted[q].object;
            for (std::size_t r = q + 1; r < m && !moved; ++r) {
                const std::int32_t t = sorted[r].object;
                const std::int64_t h = working[p], u = working[t];
                if (h == g && p != o) {
                    if (t != o && u != g && conflicts(t, o, p)) working[o] = g + offset, moved = true;
                } else if (h != g && t != o) {
                    if (u == g && conflicts(p, o, t))
                        working[o] = g + offset, moved = true;
                    else if (u == h && conflicts(o, p, t))
                        working[o] = h, moved = true;
                }
            }
        }
    }
}

// Group numbers in order of first occurrence along the objects.
Partition by_first_occurrence(const std::vector<std::int64_t>& working) {
    std::map<std::int64_t, std::int32_t> first;
    Partition result;
    for (std::int64_t g : working)
        result.push_back(first.emplace(g, static_cast<std::int32_t>(first.size())).first->second);
    return result;
}

// The whole correction as written, on wide group numbers that grow by the
// offset and are never renumbered between passes; they are compacted by
// value only when they would outgrow 32 bits, and the result is numbered
// by first occurrence. A pass that would start from a partition (up to the
// numbering) that an earlier pass started from stops the run at once; every
// starting partition is kept whole.
Correction literal_correction(const RealMatrix& d, const Partition& reference) {
    std::ostringstream progress;
    double largest = d(0, 0);
    for (std::size_t i = 0; i < d.size(); ++i)
        for (std::size_t k = 0; k < d.size(); ++k) largest = std::max(largest, d(i, k));
    std::vector<std::int64_t> working(reference.begin(), reference.end());
    const std::int64_t limit = 10 * static_cast<std::int64_t>(reference.size()) + 100;
    std::set<Partition> started_from;
    for (std::int64_t pass = 1;; ++pass) {
        if (!started_from.insert(by_first_occurrence(working)).second)
            return {{}, progress.str() + "did not converge"};
        if (*std::max_element(working.begin(), working.end()) > (std::int64_t{1} << 30)) {
            std::map<std::int64_t, std::int64_t> rank;
            for (std::int64_t g : working) rank.emplace(g, 0);
            std::int64_t next = 0;
            for (auto& [g, r] : rank) r = next++;
            for (std::int64_t& g : working) g = rank[g];
        }
        Partition narrow(working.begin(), working.end());
        correction::ScoreTable scores;
        const std::int64_t count = literal_scores(d, narrow, largest, scores);
        correction::sort_by_scores(scores);
        progress << ' ' << pass << "  " << count << '\n';
        if (count == 0) break;
        if (pass == limit) return {{}, progress.str() + "did not converge"};
        literal_moves(d, scores, working);
    }
    return {by_first_occurrence(working), progress.str()};
}

// The correction under test, with a run that does not converge marked as
// the literal version marks it.
Correction tested_correction(const RealMatrix& d, const Partition& reference) {
    std::ostringstream progress;
    try {
        Partition result = correction::correct_reference(d, reference, lines_into(progress));
        return {result, progress.str()};
    } catch (const phylo::RangeError&) {
        return {{}, progress.str() + "did not converge"};
    }
}

// Small matrices whose entries come from a few levels, so that distances
// tie often; odd rounds fill the lower triangle independently, some rounds
// allow negative entries (negative scores, skipped by the moves), and some
// hold a not-a-number, where the order of the operands of max matters.
struct RandomCase {
    RealMatrix d;
    Partition groups;
};

RandomCase random_case(std::mt19937& random, int round) {
    const std::size_t n = 3 + random() % 12;
    const int levels = 1 + static_cast<int>(random() % 4);
    const double shift = round % 5 == 4 ? -1.0 : 0.0;
    RealMatrix d(n, 0.0);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t k = i + 1; k < n; ++k) {
            d(i, k) = static_cast<double>(random() % levels) + shift;
            d(k, i) = round % 2 == 1 ? static_cast<double>(random() % levels) + shift : d(i, k);
        }
    if (round % 7 == 6) d(random() % n, random() % n) = std::numeric_limits<double>::quiet_NaN();
    const std::uint32_t group_count = 1 + random() % 4;
    Partition groups(n);
    for (auto& g : groups) g = static_cast<std::int32_t>(random() % group_count);
    return {d, groups};
}

bool same_bits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

TEST(AgainstLiteralVersions, ScoresAddTheSameSharesInTheSameOrder) {
    std::mt19937 random(31u);
    for (int round = 0; round < 2000; ++round) {
        const RandomCase c = random_case(random, round);
        // Shares of 0.1 and 0.7 lose low bits in a different way with every
        // order of addition.
        RealMatrix d = c.d;
        for (std::size_t i = 0; i < d.size(); ++i)
            for (std::size_t k = 0; k < d.size(); ++k) d(i, k) *= round % 3 == 0 ? 0.1 : 0.7;
        correction::ScoreTable expected, actual;
        const std::int64_t count = literal_scores(d, c.groups, 0.7 * 3, expected);
        ASSERT_EQ(correction::get_scores(d, c.groups, 0.7 * 3, actual), count) << "round " << round;
        ASSERT_EQ(actual.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(actual[i].object, expected[i].object);
            ASSERT_TRUE(same_bits(actual[i].score, expected[i].score))
                << "round " << round << ", object " << i << ": " << actual[i].score << " vs " << expected[i].score;
        }
    }
}

TEST(AgainstLiteralVersions, CorrectionsMakeTheSameMovesPassByPass) {
    std::mt19937 random(2024u);
    int moved = 0, stuck = 0;
    for (int round = 0; round < 1500; ++round) {
        const RandomCase c = random_case(random, round);
        const Correction expected = literal_correction(c.d, c.groups);
        const Correction actual = tested_correction(c.d, c.groups);
        ASSERT_EQ(actual.progress, expected.progress) << "round " << round;
        ASSERT_EQ(actual.result, expected.result) << "round " << round;
        moved += expected.progress.find(" 2 ") != std::string::npos;
        stuck += expected.result.empty();
    }
    // The rounds cover corrections over several passes and runs that stop.
    EXPECT_GT(moved, 300);
    EXPECT_GT(stuck, 10);
}

}  // namespace
