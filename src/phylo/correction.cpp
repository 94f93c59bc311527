#include "phylo/correction.hpp"

#include <algorithm>
#include <string>
#include <unordered_map>

#include "phylo/errors.hpp"
#include "phylo/heap_sort.hpp"

namespace phylo::correction {

namespace {

bool conflicts(const RealMatrix& d, std::int32_t outsider, std::int32_t b, std::int32_t c) {
    return get_diff(d, outsider, b, c) >= 0.0;
}

// The largest entry of the whole matrix, diagonal and both triangles.
double largest_entry(const RealMatrix& d) {
    const std::size_t n = d.size();
    double largest = d(0, 0);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t k = 0; k < n; ++k)
            if (d(i, k) > largest) largest = d(i, k);
    return largest;
}

// Renumbers groups 0..G-1 in order of first occurrence along the objects.
// The passes only ever compare group numbers for equality and open new groups
// above the largest number in use, so renumbering between passes changes no
// decision; it keeps the numbers below 2 n, where opening a new group at
// "group + offset" pass after pass would otherwise double them each time.
void renumber_by_first_occurrence(Partition& partition) {
    std::unordered_map<GroupNumber, GroupNumber> numbers;
    for (GroupNumber& group : partition) {
        const auto next = static_cast<GroupNumber>(numbers.size());
        group = numbers.try_emplace(group, next).first->second;
    }
}

// Integer images carry a leading blank when not negative.
std::string image(std::int64_t value) {
    return (value < 0 ? "" : " ") + std::to_string(value);
}

// Examines object o (at its place in the sorted table) for the first
// conflict it takes part in, trying the table's pairs (p, t) from position
// start on, and moves it: out of its group g into g + offset when it is a
// pair member, into the outsider's group when it is the outsider.
void move_if_conflicting(const RealMatrix& d, const ScoreTable& sorted, std::size_t start,
                         std::int32_t o, GroupNumber offset, Partition& working) {
    const GroupNumber g = working[o];
    for (std::size_t q = start; q + 1 < sorted.size(); ++q) {
        const std::int32_t p = sorted[q].object;
        const GroupNumber h = working[p];
        for (std::size_t r = q + 1; r < sorted.size(); ++r) {
            const std::int32_t t = sorted[r].object;
            const GroupNumber u = working[t];
            if (h == g && p != o) {
                if (t != o && u != g && conflicts(d, t, o, p)) {
                    working[o] = g + offset;
                    return;
                }
            } else if (h != g && t != o) {
                if (u == g && conflicts(d, p, o, t)) {
                    working[o] = g + offset;
                    return;
                }
                if (u == h && conflicts(d, o, p, t)) {
                    working[o] = h;
                    return;
                }
            }
        }
    }
}

// One pass of moves over the sorted table, highest score first. Every move is
// seen by the objects examined after it.
void move_objects(const RealMatrix& d, const ScoreTable& sorted, Partition& working) {
    const auto [lowest, highest] = std::minmax_element(working.begin(), working.end());
    const GroupNumber offset = *highest - *lowest + 1;
    std::size_t start = 0;
    while (start < sorted.size() && !(sorted[start].score >= 0.0)) ++start;
    for (std::size_t s = sorted.size(); s > start; --s)
        move_if_conflicting(d, sorted, start, sorted[s - 1].object, offset, working);
}

}  // namespace

double get_diff(const RealMatrix& distances, std::int32_t a, std::int32_t b, std::int32_t c) {
    return distances(b, c) - std::max(distances(c, a), distances(b, a));
}

std::int64_t get_scores(const RealMatrix& distances, const Partition& partition, double largest,
                        ScoreTable& scores) {
    const auto n = static_cast<std::int32_t>(partition.size());
    scores.assign(partition.size(), ObjectScore{0, 0.0});
    for (std::int32_t i = 0; i < n; ++i) scores[i].object = i;

    std::int64_t count = 0;
    auto check_conflict = [&](std::int32_t a, std::int32_t b, std::int32_t c) {
        if (!conflicts(distances, a, b, c)) return;
        ++count;
        const double pair_distance = distances(b, c);
        scores[a].score += (largest - pair_distance) + 0.000001;
        scores[b].score += pair_distance + 0.000001;
        scores[c].score += pair_distance + 0.000001;
    };
    for (std::int32_t i = 0; i < n; ++i) {
        for (std::int32_t j = i + 1; j < n; ++j) {
            for (std::int32_t k = j + 1; k < n; ++k) {
                const GroupNumber gi = partition[i], gj = partition[j], gk = partition[k];
                if (gi == gj && gk != gi)
                    check_conflict(k, i, j);
                else if (gi == gk && gj != gi)
                    check_conflict(j, i, k);
                else if (gj == gk && gi != gj)
                    check_conflict(i, j, k);
            }
        }
    }
    return count;
}

void sort_by_scores(ScoreTable& scores) {
    heap_sort(scores.data(), scores.size(), [](const ObjectScore& s) { return s.score; });
}

Partition correct_reference(const RealMatrix& distances, const Partition& reference, std::ostream& progress) {
    if (distances.size() != reference.size())
        throw SizeError(size_error::real_chars, "phylo-correction:232");
    if (reference.empty()) throw IndexError("reference correction of an empty partition");

    const double largest = largest_entry(distances);
    const std::int64_t pass_limit = 10 * static_cast<std::int64_t>(reference.size()) + 100;
    Partition working = reference;
    ScoreTable scores;
    for (std::int64_t pass = 1;; ++pass) {
        renumber_by_first_occurrence(working);
        const std::int64_t conflict_count = get_scores(distances, working, largest, scores);
        sort_by_scores(scores);
        progress << image(pass) << ' ' << image(conflict_count) << '\n';
        if (conflict_count == 0) return working;
        if (pass == pass_limit) throw RangeError("reference correction did not converge");
        move_objects(distances, scores, working);
    }
}

}  // namespace phylo::correction
