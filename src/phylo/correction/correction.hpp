// Reference correction: removes every triplet conflict from a reference
// partition. A triplet conflicts when two of its objects share a group, the
// third lies in another group, and the two group mates are at least as far
// from each other as each of them is from the third.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "phylo/types.hpp"

namespace phylo::correction {

// How far the pair (b, c) is from being closer to each other than to the
// outsider a: D(b, c) - max(D(c, a), D(b, a)), each entry read at exactly
// that row and column. The triplet conflicts when the result is at least 0.
double get_diff(const RealMatrix& distances, std::int32_t a, std::int32_t b, std::int32_t c);

// One row of the score table: an object and its share in the conflicts.
struct ObjectScore {
    std::int32_t object;
    double score;
};
using ScoreTable = std::vector<ObjectScore>;

// Rebuilds scores (one record per object, in object order) from every
// conflicting triplet of partition and returns the number of conflicts. The
// outsider of a conflict gains (largest - D(b, c)) + 0.000001, each member of
// the pair D(b, c) + 0.000001.
std::int64_t get_scores(const RealMatrix& distances, const Partition& partition, double largest,
                        ScoreTable& scores);

// Sorts the score table ascending by score with the house heap sort; equal
// scores are left in the order that procedure produces.
void sort_by_scores(ScoreTable& scores);

// Moves objects, most involved first, out of their group or into the group of
// a conflicting outsider, pass after pass, until a pass finds no conflict.
// Tells report about every pass, after its scoring: the pass number (from 1)
// and the number of conflicts it found. The result is
// numbered 0..G-1 in order of first occurrence along the objects. Throws
// SizeError when the partition and the matrix differ in size, IndexError for
// an empty partition, and RangeError ("reference correction did not
// converge") when a pass would start from a partition an earlier pass
// started from (the passes would repeat forever; nothing is computed or
// written for that pass), or when 10 n + 100 passes leave conflicts.
using PassReport = std::function<void(std::int64_t pass, std::int64_t conflicts)>;
Partition correct_reference(const RealMatrix& distances, const Partition& reference, const PassReport& report = {});

}  // namespace phylo::correction
