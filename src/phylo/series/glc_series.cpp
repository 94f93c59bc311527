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
// predecessor's. With check_ties, every run of equal distances must commute
// (LinkClusters::commutes), since the batches then hold such runs in no
// particular order; returns false as soon as one does not.
bool run_series(std::size_t n, const ThresholdBatches& batches, double fraction, bool check_ties,
                PartitionSet& result) {
    const PairwiseDistances& pairs = batches.pairs;
    LinkClusters clusters(n, fraction);
    for (std::size_t k = 0; k < batches.size(); ++k) {
        bool fused = false;
        for (std::size_t p = batches.begin[k]; p < batches.begin[k + 1];) {
            std::size_t run_end = p + 1;
            if (check_ties) {
                while (run_end < batches.begin[k + 1] && pairs[run_end].distance == pairs[p].distance) ++run_end;
                if (run_end - p > 1 && !clusters.commutes(&pairs[p], &pairs[run_end])) return false;
            }
            for (; p < run_end; ++p) fused |= clusters.consume(pairs[p].first, pairs[p].second);
        }
        result[k] = k == 0 || fused ? clusters.partition() : result[k - 1];
    }
    return true;
}

}  // namespace

void glc_series(const RealMatrix& distances, bool row_sum_preordering, PartitionSet& result, double start, double step,
                double fraction) {
    if (!(fraction >= 0.0 && fraction <= 1.0))
        throw RangeError("fraction of links " + real_image(fraction) + " outside 0 .. 1");
    std::fill(result.begin(), result.end(), nullptr);
    const std::vector<double> t = thresholds(start, step, result.size());
    if (result.empty()) return;
    const std::size_t n = distances.size();

    // Pairs beyond the last threshold are never consumed, and the order of
    // equal distances matters only where the tie check fails (never with
    // F = 0, where the groups are the connected components). Only then is the
    // whole list sorted the exact way.
    {
        const bool by_distance = fraction > 0.0;
        const std::optional<ThresholdBatches> consumed =
            consumed_batches(distances, t, by_distance ? BatchOrder::by_distance : BatchOrder::any);
        if (consumed && run_series(n, *consumed, fraction, by_distance, result)) return;
    }
    run_series(n, batches_in_exact_order(distances, row_sum_preordering, t), fraction, false, result);
}

}  // namespace phylo::series
