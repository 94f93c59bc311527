#include "phylo/series/glc_series.hpp"

#include <algorithm>
#include <optional>
#include <string>

#include "phylo/errors.hpp"
#include "phylo/series/link_clusters.hpp"
#include "phylo/series/threshold_batches.hpp"
#include "phylo/thresholds.hpp"
#include "phylo/number_images.hpp"

namespace phylo::series {
namespace {

// Consumes the batches in their order and stores one partition per threshold:
// a new one at the first threshold and wherever a fusion happened, else the
// predecessor's. With check_ties the batches hold equal distances in no
// particular order, so every run of them must be one whose order cannot
// matter (LinkClusters::consume_run); returns false as soon as one is not.
bool run_series(std::size_t n, const ThresholdBatches& batches, double fraction, bool check_ties, OrderCheck check,
                TieReport& report, PartitionSet& result) {
    const PairwiseDistances& pairs = batches.pairs;
    LinkClusters clusters(n, fraction, check);
    for (std::size_t k = 0; k < batches.size(); ++k) {
        bool fused = false;
        for (std::size_t p = batches.begin[k]; p < batches.begin[k + 1];) {
            std::size_t run_end = p + 1;
            if (check_ties)
                while (run_end < batches.begin[k + 1] && pairs[run_end].distance == pairs[p].distance) ++run_end;
            if (run_end - p == 1) {
                fused |= clusters.consume(pairs[p].first, pairs[p].second);
                ++p;
                continue;
            }
            const RunOutcome run = clusters.consume_run(&pairs[p], &pairs[run_end]);
            switch (run.settled) {
                case RunSettled::alone: break;
                case RunSettled::by_check: ++report.by_check; break;
                case RunSettled::by_all_orders: ++report.by_all_orders; break;
                case RunSettled::needs_exact_order: return false;
            }
            fused |= run.fused;
            p = run_end;
        }
        result[k] = k == 0 || fused ? clusters.partition() : result[k - 1];
    }
    return true;
}

// The series from the consumed batches where their runs of equal distances
// allow (consumed_of(t, order) gives them), else from the exactly sorted list
// of the matrix that exact() gives.
template <class Consumed, class Exact>
void series_from(std::size_t n, Consumed consumed_of, Exact exact, bool row_sum_preordering, PartitionSet& result,
                 double start, double step, double fraction, OrderCheck check, TieReport& report,
                 const SortProgress* progress) {
    if (!(fraction >= 0.0 && fraction <= 1.0))
        throw RangeError("fraction of links " + real_image(fraction) + " outside 0 .. 1");
    std::fill(result.begin(), result.end(), nullptr);
    const std::vector<double> t = thresholds(start, step, result.size());
    if (result.empty()) return;

    // Pairs beyond the last threshold are never consumed, and the order of
    // equal distances matters only where a run of them cannot be shown to end
    // the same in every order (never with F = 0, where the groups are the
    // connected components). Only then is the whole list sorted the exact way.
    {
        const bool by_distance = fraction > 0.0;
        const std::optional<ThresholdBatches> consumed =
            consumed_of(t, by_distance ? BatchOrder::by_distance : BatchOrder::any);
        if (consumed && run_series(n, *consumed, fraction, by_distance, check, report, result)) return;
    }
    report.exact_order = true;
    run_series(n, batches_in_exact_order(exact(), row_sum_preordering, t, progress), fraction, false, check, report,
               result);
}

}  // namespace

void glc_series(const RealMatrix& distances, bool row_sum_preordering, PartitionSet& result, double start, double step,
                double fraction, OrderCheck check, TieReport& report, const SortProgress* progress,
                const UpperTriangleFinite* upper_finite) {
    series_from(
        distances.size(),
        [&](const std::vector<double>& t, BatchOrder order) {
            return consumed_batches(distances, t, order, upper_finite);
        },
        [&]() -> const RealMatrix& { return distances; }, row_sum_preordering, result, start, step, fraction, check,
        report, progress);
}

void glc_series(const RealMatrix& distances, bool row_sum_preordering, PartitionSet& result, double start, double step,
                double fraction, const SortProgress* progress, const UpperTriangleFinite* upper_finite) {
    TieReport report;
    glc_series(distances, row_sum_preordering, result, start, step, fraction, order_free, report, progress,
               upper_finite);
}

void glc_series(const PickedSubmatrix& submatrix, const std::function<const RealMatrix&()>& copy,
                bool row_sum_preordering, PartitionSet& result, double start, double step, double fraction) {
    TieReport report;
    series_from(
        submatrix.size(),
        [&](const std::vector<double>& t, BatchOrder order) { return consumed_batches(submatrix, t, order); }, copy,
        row_sum_preordering, result, start, step, fraction, order_free, report, nullptr);
}

}  // namespace phylo::series
