// The jackknife report (-j): the threshold optimisation against the reference
// partitions repeated on replicates with a share of the objects deleted. With
// -v every replicate's row is printed; otherwise descriptive statistics of
// every column over the replicates.
#include <unistd.h>

#include <string>

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

// Bookkeeping of one replicate besides its values: the row and label objects.
constexpr std::size_t replicate_overhead = 128;
// Bookkeeping of one threshold besides its similarity values.
constexpr std::size_t threshold_overhead = 128;

// Fails with a clear message, before the table is allocated, when a row per
// replicate cannot fit in this machine's memory.
void check_replicate_memory(std::int32_t replicates, std::size_t bytes_per_replicate) {
    const double needed = static_cast<double>(replicates) * static_cast<double>(bytes_per_replicate);
    const double memory = static_cast<double>(sysconf(_SC_PHYS_PAGES)) * static_cast<double>(sysconf(_SC_PAGESIZE));
    if (needed > memory) {
        throw phylo::ResourceError(phylo::decimal(replicates) + " replicates need about " +
                                   phylo::decimal(static_cast<long long>(needed / 1e9 + 0.5)) +
                                   " GB of memory, more than this machine has; ask for fewer replicates");
    }
}

class JackknifeReport : public Report {
public:
    explicit JackknifeReport(const RunContext& context)
        : context_(context),
          header_(phylo::partitions::repeat(labels::paired_index, static_cast<int>(context.reference.size()))) {
        const Settings& s = context.settings;
        // Per replicate: the best value and its threshold for the group count
        // and for the three indices of every reference and of the means.
        const std::size_t similarity_values = 1 + labels::index.size() * context.reference.size();
        check_threshold_memory(context, threshold_overhead + similarity_values * sizeof(double));
        check_replicate_memory(s.replicates, replicate_overhead + 2 * similarity_values * sizeof(double));
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
            const phylo::PartitionSet references =
                phylo::partitions::to_group_numbers(matrix.labels, context_.reference);
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
        phylo::io::Output& out = context_.out;
        if (s.verbose) {
            put_header(out, "Replicate \tNo._Clusters\tNo._Clusters", header_);
            phylo::io::print::put(out, replicates_);
        } else {
            put_statistics(out);
        }
        out.put('\n');
    }

private:
    // Row j summarises element j + 2 of every replicate row: elements 0 and 1
    // belong to the number of groups, which has no header label.
    void put_statistics(phylo::io::Output& out) {
        put_header(out, "Reference  ", labels::statistics);
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
        phylo::io::print::put(out, statistics_);
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
