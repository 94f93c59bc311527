#include "driver/report_modes.hpp"

#include "phylo/errors.hpp"

namespace tarvix {

std::unique_ptr<Report> make_report(const RunContext& context) {
    switch (context.settings.mode) {
        case RunMode::label_listing:
            return make_label_listing(context);
        default:
            throw phylo::Error("unavailable", "run mode " + std::to_string(static_cast<int>(context.settings.mode)) +
                                                  " is not available yet");
    }
}

}  // namespace tarvix
