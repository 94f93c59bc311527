#include "driver/report_modes.hpp"

#include "phylo/errors.hpp"

namespace tarvix {

std::unique_ptr<Report> make_report(const RunContext& context) {
    switch (context.settings.mode) {
        case RunMode::single_threshold_quality: return make_single_threshold_quality(context);
        case RunMode::internal_optimisation: return make_internal_optimisation(context);
        case RunMode::corrected_reference_quality: return make_corrected_reference_quality(context);
        case RunMode::guided_clustering: return make_guided_clustering(context);
        case RunMode::reference_quality: return make_reference_quality(context);
        case RunMode::partition_similarity: return make_partition_similarity(context);
        case RunMode::label_listing: return make_label_listing(context);
        case RunMode::reference_optimisation: return make_reference_optimisation(context);
        case RunMode::two_matrix_optimisation: return make_two_matrix_optimisation(context);
        case RunMode::jackknife: return make_jackknife(context);
    }
    throw phylo::Error("internal error", "unknown run mode");
}

}  // namespace tarvix
