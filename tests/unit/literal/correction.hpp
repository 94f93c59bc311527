// The reference correction exactly as written: the scoring over every triple
// i < j < k, one pass of moves position by position, and the whole run on wide
// group numbers. The conflict test (get_diff) and the heap sort of the scores
// are the engine's own, pinned by hand in correction/correction_test.cpp.
// Reference for phylo::correction::get_scores and correct_reference
// (correction/correction_test.cpp, AgainstLiteralVersions.*).
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "phylo/correction/correction.hpp"
#include "phylo/types.hpp"

namespace tarvix_test {

// A correction's result and its pass lines (" 1  12"); a run that does not
// converge has no result and its lines end in "did not converge".
struct CorrectionRun {
    phylo::Partition result;
    std::string progress;
};

// Every triple i < j < k, the three cases in order, the shares added
// conflict by conflict.
inline std::int64_t literal_scores(const phylo::RealMatrix& d, const phylo::Partition& partition, double largest,
                                   phylo::correction::ScoreTable& scores) {
    const auto n = static_cast<std::int32_t>(partition.size());
    scores.clear();
    for (std::int32_t i = 0; i < n; ++i) scores.push_back({i, 0.0});
    std::int64_t count = 0;
    auto check = [&](std::int32_t a, std::int32_t b, std::int32_t c) {
        if (!(phylo::correction::get_diff(d, a, b, c) >= 0.0)) return;
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

// One pass of moves: for each position from the last down, the first
// conflicting pair of positions q < r decides the move.
inline void literal_moves(const phylo::RealMatrix& d, const phylo::correction::ScoreTable& sorted,
                          std::vector<std::int64_t>& working) {
    const auto [lowest, highest] = std::minmax_element(working.begin(), working.end());
    const std::int64_t offset = *highest - *lowest + 1;
    const std::size_t m = sorted.size();
    std::size_t start = 0;
    while (start < m && !(sorted[start].score >= 0.0)) ++start;
    auto conflicts = [&](std::int32_t a, std::int32_t b, std::int32_t c) {
        return phylo::correction::get_diff(d, a, b, c) >= 0.0;
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
inline phylo::Partition by_first_occurrence(const std::vector<std::int64_t>& working) {
    std::map<std::int64_t, std::int32_t> first;
    phylo::Partition result;
    for (std::int64_t g : working)
        result.push_back(first.emplace(g, static_cast<std::int32_t>(first.size())).first->second);
    return result;
}

// The whole correction on wide group numbers that grow by the offset and are
// never renumbered between passes; they are compacted by value only when they
// would outgrow 32 bits, and the result is numbered by first occurrence. A
// pass that would start from a partition (up to the numbering) that an
// earlier pass started from stops the run at once.
inline CorrectionRun literal_correction(const phylo::RealMatrix& d, const phylo::Partition& reference) {
    std::ostringstream progress;
    double largest = d(0, 0);
    for (std::size_t i = 0; i < d.size(); ++i)
        for (std::size_t k = 0; k < d.size(); ++k) largest = std::max(largest, d(i, k));
    std::vector<std::int64_t> working(reference.begin(), reference.end());
    const std::int64_t limit = 10 * static_cast<std::int64_t>(reference.size()) + 100;
    std::set<phylo::Partition> started_from;
    for (std::int64_t pass = 1;; ++pass) {
        if (!started_from.insert(by_first_occurrence(working)).second) return {{}, progress.str() + "did not converge"};
        if (*std::max_element(working.begin(), working.end()) > (std::int64_t{1} << 30)) {
            std::map<std::int64_t, std::int64_t> rank;
            for (std::int64_t g : working) rank.emplace(g, 0);
            std::int64_t next = 0;
            for (auto& [g, r] : rank) r = next++;
            for (std::int64_t& g : working) g = rank[g];
        }
        const phylo::Partition narrow(working.begin(), working.end());
        phylo::correction::ScoreTable scores;
        const std::int64_t count = literal_scores(d, narrow, largest, scores);
        phylo::correction::sort_by_scores(scores);
        progress << ' ' << pass << "  " << count << '\n';
        if (count == 0) break;
        if (pass == limit) return {{}, progress.str() + "did not converge"};
        literal_moves(d, scores, working);
    }
    return {by_first_occurrence(working), progress.str()};
}

}  // namespace tarvix_test
