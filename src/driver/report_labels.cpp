// The label listing (-l): every label of every matrix, one per line, and an
// empty line after each matrix.
#include "driver/report_modes.hpp"

#include "phylo/io/print.hpp"

namespace tarvix {

namespace {

class LabelListing : public Report {
public:
    explicit LabelListing(const RunContext& context) : context_(context) {}

    void run_one(phylo::io::TextInput& input) override {
        phylo::io::print::put_labels(context_.out, read_matrix(context_, input));
    }

private:
    const RunContext& context_;
};

}  // namespace

std::unique_ptr<Report> make_label_listing(const RunContext& context) {
    return std::make_unique<LabelListing>(context);
}

}  // namespace tarvix
