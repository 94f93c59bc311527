// The jackknife report (-j): the threshold optimisation against the reference
// partitions repeated on replicates with a share of the objects deleted. With
// -v every replicate's row is printed; otherwise descriptive statistics of
// every column over the replicates.
#include <string>

#include "driver/diagnosis.hpp"
#include "driver/progress_line.hpp"
#include "driver/report.hpp"
#include "driver/series.hpp"
#include "phylo/errors.hpp"
#include "phylo/jackknife/jackknife.hpp"
#include "phylo/partitions/partitions.hpp"
#include "phylo/io/print.hpp"
#include "phylo/partitions/statistics.hpp"

namespace tarvix {

namespace {

// The second confidence level of the summaries is the double just below 0.9,
// which rounds the interval ranks differently from 0.9 itself.
constexpr double second_level = 0.8999999999999999;
static_assert(second_level == 0.95 - 0.05 && second_level < 0.9);


class JackknifeReport : public Report {
public:
    explicit JackknifeReport(const RunContext& context)
        : context_(context),
          header_(phylo::partitions::repeat(labels::paired_index, static_cast<int>(context.reference.size()))) {
        const Settings& s = context.settings;
        // Per replicate: the best value and its threshold for the group count
        // and for the three indices of every reference and of the means.
        const std::size_t similarity_values = 1 + labels::index.size() * context.reference.size();
        check_threshold_memory(context, similarity_values);
        check_rows_fit(s.replicates, row_overhead + 2 * similarity_values * sizeof(double), "replicates",
                       "ask for fewer replicates");
        replicates_ = phylo::RealData(static_cast<std::size_t>(s.replicates));
        if (s.verbose) {
            phylo::partitions::fill(replicates_.labels, 10, 1LL, 1LL);
        } else {
            statistics_ = phylo::RealData(header_.size());
            statistics_.labels = header_;
        }
    }

    void run_one(phylo::io::TextInput& input) override {
        const Settings& s = context_.settings;
        phylo::Squared matrix = read_matrix(context_, input);
        transform_if_asked(context_, matrix);
        {
            const phylo::PartitionSet references = reference_partitions(context_, matrix.labels);
            if (references.empty())
                throw_without_partition_column(context_, phylo::IndexError("empty partition set"));
            // A count of the finished replicates while the jackknife runs.
            ProgressLine line("jackknife");
            phylo::jackknife::JackknifeProgress progress;
            if (line.active()) {
                progress = [&line](std::size_t done, std::size_t total) {
                    line.show_text(phylo::decimal(done) + " of " + phylo::decimal(total) + " replicates",
                                   done == total);
                };
            }
            phylo::jackknife::taxon_jackknife(matrix.matrix, s.row_sum_preordering, references, s.seed, replicates_,
                                             s.minimum_threshold, s.step, s.maximum_threshold, s.fraction,
                                             s.deletion_fraction, progress);
        }
        if (s.verbose) {
            put_report(context_.out, "Replicate \tNo._Clusters\tNo._Clusters", header_, replicates_);
        } else {
            fill_statistics();
            put_report(context_.out, "Reference  ", labels::statistics, statistics_);
        }
    }

private:
    // Row j summarises element j + 2 of every replicate row: elements 0 and 1
    // belong to the number of groups, which has no header label.
    void fill_statistics() {
        std::vector<double> column(replicates_.size());
        for (std::size_t j = 0; j < statistics_.size(); ++j) {
            for (std::size_t r = 0; r < replicates_.size(); ++r) column[r] = replicates_.rows[r][j + 2];
            const auto parametric = phylo::partitions::parametric(column);
            const auto nonparametric = phylo::partitions::nonparametric(column);
            const auto wide = phylo::partitions::interval(column, 0.95);
            const auto narrow = phylo::partitions::interval(column, second_level);
            statistics_.rows[j] = {parametric.mean,      parametric.deviation,
                                   nonparametric.median, nonparametric.median_deviation,
                                   nonparametric.minimum, nonparametric.maximum,
                                   wide.lower,           wide.upper,
                                   narrow.lower,         narrow.upper};
        }
    }

    const RunContext& context_;
    phylo::Labels header_;
    phylo::RealData replicates_;
    phylo::RealData statistics_;
};

}  // namespace

std::unique_ptr<Report> make_jackknife(const RunContext& context) {
    return std::make_unique<JackknifeReport>(context);
}

}  // namespace tarvix
