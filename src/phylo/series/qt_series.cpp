#include "phylo/series/qt_series.hpp"

#include <algorithm>
#include <bit>
#include <memory>
#include <numeric>
#include <optional>

#include "phylo/series/bit_rows.hpp"
#include "phylo/series/threshold_batches.hpp"
#include "phylo/thresholds.hpp"

namespace phylo::series {
namespace {

// Objects with identical rows of the graph: twins. In a threshold graph twins
// are joined to each other, and every twin class is taken out whole (a grown
// object's twins pass the same test), so an object's count of twins among the
// objects not yet taken stays the size of its class.
struct TwinClass {
    std::vector<std::size_t> members;  // ascending
};

Word row_hash(const Word* row, std::size_t words) {
    Word h = 0x243F6A8885A308D3u;
    for (std::size_t w = 0; w < words; ++w) h = (h ^ row[w]) * 0x9E3779B97F4A7C15u + (h >> 29);
    return h;
}

std::vector<TwinClass> twin_classes(const BitRows& graph) {
    const std::size_t n = graph.size(), words = graph.words();
    std::vector<Word> hash(n);
    for (std::size_t i = 0; i < n; ++i) hash[i] = row_hash(graph.row(i), words);
    std::vector<std::size_t> by_hash(n);
    std::iota(by_hash.begin(), by_hash.end(), std::size_t{0});
    std::sort(by_hash.begin(), by_hash.end(),
              [&](std::size_t a, std::size_t b) { return hash[a] != hash[b] ? hash[a] < hash[b] : a < b; });
    const auto same_row = [&](std::size_t a, std::size_t b) {
        return std::equal(graph.row(a), graph.row(a) + words, graph.row(b));
    };
    std::vector<TwinClass> classes;
    for (std::size_t run = 0; run < n;) {
        std::size_t run_end = run + 1;
        while (run_end < n && hash[by_hash[run_end]] == hash[by_hash[run]]) ++run_end;
        const std::size_t first_class = classes.size();
        for (std::size_t p = run; p < run_end; ++p) {
            const std::size_t i = by_hash[p];
            auto c = std::find_if(classes.begin() + static_cast<std::ptrdiff_t>(first_class), classes.end(),
                                  [&](const TwinClass& t) { return same_row(t.members.front(), i); });
            if (c == classes.end()) {
                classes.push_back({{i}});
            } else {
                c->members.push_back(i);
            }
        }
        run = run_end;
    }
    return classes;
}

// The lowest set bit at or after position from in (a & b & ~c), or n.
std::size_t next_candidate(const Word* a, const Word* b, const Word* c, std::size_t from, std::size_t n) {
    const std::size_t words = (n + 63) / 64;
    for (std::size_t w = from / 64; w < words; ++w) {
        Word bits = a[w] & b[w] & ~c[w];
        if (w == from / 64) bits &= ~Word{0} << (from % 64);
        if (bits != 0) return w * 64 + static_cast<std::size_t>(std::countr_zero(bits));
    }
    return n;
}

// Seeds come in order of class size, largest first, then lowest member; a
// group starts from its seed's class, so the ones joined to all members are
// exactly those in the intersection of the members' rows (the graph is
// symmetric). Growing runs once through the objects in ascending order.
Partition cliques(const BitRows& graph) {
    const std::size_t n = graph.size(), words = graph.words();
    std::vector<TwinClass> classes = twin_classes(graph);
    std::sort(classes.begin(), classes.end(), [](const TwinClass& a, const TwinClass& b) {
        if (a.members.size() != b.members.size()) return a.members.size() > b.members.size();
        return a.members.front() < b.members.front();
    });

    std::vector<Word> remaining(words, ~Word{0}), members(words), joined(words);
    if (n % 64 != 0) remaining.back() = (Word{1} << (n % 64)) - 1;
    const auto taken = [&](std::size_t i) { return (remaining[i / 64] >> (i % 64) & 1) == 0; };
    Partition groups(n, 0);
    std::int32_t group = 0;
    for (const TwinClass& seed : classes) {
        if (taken(seed.members.front())) continue;
        std::fill(members.begin(), members.end(), 0);
        for (std::size_t i : seed.members) members[i / 64] |= Word{1} << (i % 64);
        std::copy(graph.row(seed.members.front()), graph.row(seed.members.front()) + words, joined.begin());
        for (std::size_t j = next_candidate(remaining.data(), joined.data(), members.data(), 0, n); j < n;
             j = next_candidate(remaining.data(), joined.data(), members.data(), j + 1, n)) {
            members[j / 64] |= Word{1} << (j % 64);
            for (std::size_t w = 0; w < words; ++w) joined[w] &= graph.row(j)[w];
        }
        for (std::size_t w = 0; w < words; ++w) {
            for (Word bits = members[w]; bits != 0; bits &= bits - 1)
                groups[w * 64 + static_cast<std::size_t>(std::countr_zero(bits))] = group;
            remaining[w] &= ~members[w];
        }
        ++group;
    }
    return groups;
}

}  // namespace

Partition do_qt(const BooleMatrix& graph) {
    const std::size_t n = graph.size();
    BitRows rows(n);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t k = 0; k < n; ++k)
            if (graph(i, k)) rows.set(i, k);
    return cliques(rows);
}

void qt_series(const RealMatrix& distances, bool row_sum_preordering, PartitionSet& result, double start, double step,
               const UpperTriangleFinite* upper_finite) {
    std::fill(result.begin(), result.end(), nullptr);
    const std::vector<double> t = thresholds(start, step, result.size());
    if (result.empty()) return;
    const std::size_t n = distances.size();

    // The graph depends on which pairs are consumed, never on their order.
    std::optional<ThresholdBatches> batches = consumed_batches(distances, t, BatchOrder::any, upper_finite);
    if (!batches) batches = batches_in_exact_order(distances, row_sum_preordering, t);

    BitRows graph(n);
    for (std::size_t i = 0; i < n; ++i) graph.set(i, i);
    for (std::size_t k = 0; k < result.size(); ++k) {
        const std::size_t first = batches->begin[k], last = batches->begin[k + 1];
        for (std::size_t p = first; p < last; ++p) {
            const PairwiseDistance& pair = batches->pairs[p];
            graph.set(static_cast<std::size_t>(pair.first), static_cast<std::size_t>(pair.second));
            graph.set(static_cast<std::size_t>(pair.second), static_cast<std::size_t>(pair.first));
        }
        if (k > 0 && first == last) {
            result[k] = result[k - 1];
            continue;
        }
        Partition groups = cliques(graph);
        if (k > 0 && groups == *result[k - 1]) {
            result[k] = result[k - 1];
        } else {
            result[k] = std::make_shared<const Partition>(std::move(groups));
        }
    }
}

}  // namespace phylo::series
