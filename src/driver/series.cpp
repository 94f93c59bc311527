#include "driver/series.hpp"

#include "driver/diagnosis.hpp"
#include "driver/progress_line.hpp"

#include <unistd.h>

#include "phylo/number_images.hpp"
#include "phylo/errors.hpp"
#include "phylo/io/print.hpp"
#include "phylo/series/glc_series.hpp"
#include "phylo/series/qt_series.hpp"
#include "phylo/graph/shortest_paths.hpp"

namespace tarvix {

void transform_if_asked(const RunContext& context, phylo::Squared& matrix) {
    if (!context.settings.shortest_paths) return;
    try {
        phylo::graph::to_shortest_paths(matrix.matrix, graph_writer(context));
    } catch (phylo::Error& failure) {
        name_distance_out_of_range(failure, matrix);
        throw;
    }
}

phylo::graph::GraphObserver graph_writer(const RunContext& context) {
    return [&out = context.out](const phylo::BooleMatrix& graph) { phylo::io::print::put(out, graph); };
}

phylo::PartitionSet threshold_series(const RunContext& context, const phylo::RealMatrix& distances, bool allow_cliques,
                                     const phylo::series::UpperTriangleFinite* upper_finite) {
    const Settings& s = context.settings;
    phylo::PartitionSet series(static_cast<std::size_t>(context.threshold_count) + 1);
    if (allow_cliques && s.fraction < 0.0)
        phylo::series::qt_series(distances, s.row_sum_preordering, series, s.minimum_threshold, s.step, upper_finite);
    else {
        // The exact sort of all pairs, when the series needs it, may take
        // minutes on large matrices: a line tells how far it has come.
        const std::size_t n = distances.size(), pairs = n < 2 ? 0 : n * (n - 1) / 2;
        ProgressLine line("sorting " + phylo::decimal(pairs) + " pairs");
        phylo::SortProgress progress;
        if (line.active()) {
            progress = [&line](std::size_t done, std::size_t total) {
                if (done == total) return line.erase();
                line.show(done, total);
            };
        }
        phylo::series::glc_series(distances, s.row_sum_preordering, series, s.minimum_threshold, s.step, s.fraction,
                                  progress ? &progress : nullptr, upper_finite);
    }
    return series;
}

void check_rows_fit(long long rows, std::size_t bytes_per_row, const char* what, const char* advice) {
    const double needed = static_cast<double>(rows) * static_cast<double>(bytes_per_row);
    const double memory = static_cast<double>(sysconf(_SC_PHYS_PAGES)) * static_cast<double>(sysconf(_SC_PAGESIZE));
    if (needed > memory) {
        throw phylo::ResourceError(phylo::decimal(rows) + " " + what + " need about " +
                                   phylo::decimal(static_cast<long long>(needed / 1e9 + 0.5)) +
                                   " GB of memory, more than this machine has; " + advice);
    }
}

void check_threshold_memory(const RunContext& context, std::size_t values_per_threshold) {
    check_rows_fit(context.threshold_count + 1LL, row_overhead + values_per_threshold * sizeof(double), "thresholds",
                   "choose a larger step or a smaller range");
}

}  // namespace tarvix
