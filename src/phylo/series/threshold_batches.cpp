#include "phylo/series/threshold_batches.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>

#include "phylo/series/pair_list.hpp"

namespace phylo::series {
namespace {

bool closer(const PairwiseDistance& a, const PairwiseDistance& b) { return a.distance < b.distance; }

// Bucket sort by distance: distances map monotonically onto about m / 4
// buckets of equal width, each bucket then sorted on its own.
void sort_by_distance(PairwiseDistances& pairs) {
    if (pairs.size() < 2) return;
    const auto [low, high] = std::minmax_element(pairs.begin(), pairs.end(), closer);
    const double lo = low->distance;
    const std::size_t buckets = pairs.size() / 4 + 1;
    const double scale = static_cast<double>(buckets) / (high->distance - lo);
    if (!(scale > 0.0 && std::isfinite(scale))) {
        std::sort(pairs.begin(), pairs.end(), closer);
        return;
    }
    const auto bucket_of = [&](double d) { return std::min(buckets - 1, static_cast<std::size_t>((d - lo) * scale)); };
    std::vector<std::size_t> start(buckets + 1, 0);
    for (const PairwiseDistance& pair : pairs) ++start[bucket_of(pair.distance) + 1];
    std::partial_sum(start.begin(), start.end(), start.begin());
    PairwiseDistances sorted(pairs.size());
    std::vector<std::size_t> next(start.begin(), start.end() - 1);
    for (const PairwiseDistance& pair : pairs) sorted[next[bucket_of(pair.distance)]++] = pair;
    for (std::size_t b = 0; b < buckets; ++b)
        std::sort(sorted.begin() + static_cast<std::ptrdiff_t>(start[b]),
                  sorted.begin() + static_cast<std::ptrdiff_t>(start[b + 1]), closer);
    pairs.swap(sorted);
}

// Threshold k consumes up to the first pair beyond t(k).
std::vector<std::size_t> stops(const PairwiseDistances& pairs, const std::vector<double>& t) {
    std::vector<std::size_t> begin(t.size() + 1, 0);
    std::size_t pos = 0;
    for (std::size_t k = 0; k < t.size(); ++k) {
        while (pos < pairs.size() && !(pairs[pos].distance > t[k])) ++pos;
        begin[k + 1] = pos;
    }
    return begin;
}

// Counting sort by the first threshold that reaches each pair (the first
// running maximum at or above its distance).
ThresholdBatches grouped_by_threshold(PairwiseDistances pairs, const std::vector<double>& t) {
    std::vector<double> reach(t.size());
    std::partial_sum(t.begin(), t.end(), reach.begin(), [](double a, double b) { return std::max(a, b); });
    const auto batch_of = [&](double d) {
        return static_cast<std::size_t>(std::lower_bound(reach.begin(), reach.end(), d) - reach.begin());
    };
    std::vector<std::uint32_t> batch(pairs.size());
    ThresholdBatches batches{PairwiseDistances(pairs.size()), std::vector<std::size_t>(t.size() + 1, 0)};
    for (std::size_t p = 0; p < pairs.size(); ++p) {
        batch[p] = static_cast<std::uint32_t>(batch_of(pairs[p].distance));
        ++batches.begin[batch[p] + 1];
    }
    std::partial_sum(batches.begin.begin(), batches.begin.end(), batches.begin.begin());
    std::vector<std::size_t> next(batches.begin.begin(), batches.begin.end() - 1);
    for (std::size_t p = 0; p < pairs.size(); ++p) batches.pairs[next[batch[p]]++] = pairs[p];
    return batches;
}

}  // namespace

ThresholdBatches batches_in_list_order(PairwiseDistances list, const std::vector<double>& t) {
    std::vector<std::size_t> begin = stops(list, t);
    list.resize(begin.back());
    return {std::move(list), std::move(begin)};
}

ThresholdBatches batches_in_exact_order(const RealMatrix& distances, bool row_sum_preordering,
                                        const std::vector<double>& t, const SortProgress* progress) {
    // Without NaN the list is ascending and the thresholds consume exactly
    // its head up to the largest threshold; only that head is decoded.
    if (!t.empty()) {
        const double limit = *std::max_element(t.begin(), t.end());
        if (std::optional<PairwiseDistances> head =
                sorted_pairs_within(distances, row_sum_preordering, limit, progress))
            return batches_in_list_order(std::move(*head), t);
    }
    return batches_in_list_order(squared_to_pairwise(distances, row_sum_preordering, progress), t);
}

namespace {

// The upper triangle as the consumed pass reads it: row(i)[column(j)] is the
// distance between objects i and j.
struct WholeRows {
    const RealMatrix& distances;
    std::size_t size() const noexcept { return distances.size(); }
    const double* row(std::size_t i) const noexcept { return distances.row(i); }
    static std::size_t column(std::size_t j) noexcept { return j; }
};

struct PickedRows {
    const PickedSubmatrix& sub;
    std::size_t size() const noexcept { return sub.size(); }
    const double* row(std::size_t i) const noexcept {
        return sub.whole.row(static_cast<std::size_t>(sub.picked[i]));
    }
    std::size_t column(std::size_t j) const noexcept { return static_cast<std::size_t>(sub.picked[j]); }
};

template <class Rows>
std::optional<ThresholdBatches> consumed_batches_of(const Rows& rows, const std::vector<double>& t, BatchOrder order,
                                                    const UpperTriangleFinite* upper_finite, std::size_t few_pairs) {
    if (t.empty()) return ThresholdBatches{{}, {0}};
    const std::size_t n = rows.size();
    const double limit = *std::max_element(t.begin(), t.end());
    // Every NaN and +infinity is met with one test, as cheap as a test for
    // NaN alone; a -infinity is within the limit and shows among the pairs
    // taken. False at a NaN.
    bool infinite = false;
    const auto usable = [&infinite](double x) {
        if (!(x <= std::numeric_limits<double>::max())) {
            if (std::isnan(x)) return false;
            infinite = true;
        }
        return true;
    };
    // Thresholds usually reach a small share of all pairs: one pass collects
    // them, growing the list as it goes. Past few_pairs the list could grow
    // to a size comparable with the matrix, and a growing list takes up to
    // twice its size: the pass gives up, a counting pass sizes the list
    // exactly, and the collecting pass runs again. Either way the pairs
    // stand in row order.
    enum class Pass { whole, too_many, not_a_number };
    PairwiseDistances pairs;
    const auto collect = [&](std::size_t most) {
        for (std::size_t i = 0; i < n; ++i) {
            const double* row = rows.row(i);
            for (std::size_t j = i + 1; j < n; ++j) {
                const double d = row[rows.column(j)];
                if (!usable(d)) return Pass::not_a_number;
                if (d <= limit) {
                    if (pairs.size() == most) return Pass::too_many;
                    pairs.push_back({d, static_cast<std::int32_t>(i), static_cast<std::int32_t>(j)});
                }
            }
        }
        return Pass::whole;
    };
    Pass pass = collect(few_pairs);
    if (pass == Pass::too_many) {
        std::size_t count = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const double* row = rows.row(i);
            for (std::size_t j = i + 1; j < n; ++j) count += row[rows.column(j)] <= limit;
        }
        pairs = PairwiseDistances();
        pairs.reserve(count);
        pass = collect(count);
    }
    if (pass == Pass::not_a_number) return std::nullopt;
    if (upper_finite && !infinite &&
        std::none_of(pairs.begin(), pairs.end(), [](const PairwiseDistance& p) { return std::isinf(p.distance); }))
        (*upper_finite)();
    if (order == BatchOrder::any) return grouped_by_threshold(std::move(pairs), t);
    sort_by_distance(pairs);
    std::vector<std::size_t> begin = stops(pairs, t);
    return ThresholdBatches{std::move(pairs), std::move(begin)};
}

}  // namespace

std::optional<ThresholdBatches> consumed_batches(const RealMatrix& distances, const std::vector<double>& t,
                                                 BatchOrder order, const UpperTriangleFinite* upper_finite,
                                                 std::size_t few_pairs) {
    return consumed_batches_of(WholeRows{distances}, t, order, upper_finite, few_pairs);
}

std::optional<ThresholdBatches> consumed_batches(const PickedSubmatrix& submatrix, const std::vector<double>& t,
                                                 BatchOrder order) {
    return consumed_batches_of(PickedRows{submatrix}, t, order, nullptr, few_consumed_pairs);
}

}  // namespace phylo::series
