// The threshold optimisation reports: against reference partitions (-o),
// against a second matrix through a name table (-o with -d), and by the
// internal criterion (-h). Each fills one similarity row per threshold; with
// -v the whole table is printed, otherwise the best value of every column
// and the threshold that reaches it.
#include <cmath>

#include "driver/diagnosis.hpp"
#include "driver/report_modes.hpp"
#include "driver/warnings.hpp"
#include "driver/series.hpp"
#include "phylo/errors.hpp"
#include "phylo/partitions/partitions.hpp"
#include "phylo/io/print.hpp"
#include "phylo/partitions/qualities.hpp"
#include "phylo/partitions/similarity.hpp"
#include "phylo/partitions/statistics.hpp"

namespace tarvix {

namespace {

class OptimisationReport : public Report {
public:
    OptimisationReport(const RunContext& context, phylo::Labels header, std::size_t values_per_row)
        : context_(context), header_(std::move(header)) {
        check_threshold_memory(context, values_per_row);
        const auto rows = static_cast<std::size_t>(context.threshold_count) + 1;
        similarities_ = phylo::RealData(rows);
        const Settings& s = context.settings;
        if (s.verbose) phylo::partitions::fill(similarities_.labels, 10, s.minimum_threshold, s.step);
        thresholds_.resize(rows);
        phylo::partitions::fill(thresholds_, s.minimum_threshold, s.step);
        best_ = phylo::RealData(header_.size());
        best_.labels = header_;
    }

    void run_one(phylo::io::TextInput& input) override {
        phylo::Squared matrix = read_matrix(context_, input);
        fill_similarities(matrix);
        find_best();
        print();
    }

protected:
    // Fills similarities_ for one matrix.
    virtual void fill_similarities(phylo::Squared& matrix) = 0;
    // How many header columns belong to one reference partition, and how
    // many partitions lead the header (the blocks after them, such as the
    // means over the partitions, are not checked); 0 partitions stand for
    // one criterion over the whole header.
    virtual std::size_t columns_per_partition() const { return header_.size(); }
    virtual std::size_t partitions() const { return 0; }

    const RunContext& context_;
    phylo::RealData similarities_;

private:
    // The best value of every column and its threshold; a partition whose
    // indices all peak at the last threshold is warned of, since its best
    // may lie beyond the series.
    void find_best() {
        // Column j + 1 belongs to header label j: element 0 of every row is
        // the number of groups.
        for (std::size_t j = 0; j < header_.size(); ++j) {
            const auto best = phylo::partitions::best(similarities_.rows, j + 1, thresholds_, true);
            best_.rows[j] = {best.score, best.position};
        }
        if (thresholds_.size() < 2) return;
        const std::size_t per = columns_per_partition();
        const std::size_t blocks = partitions() > 0 ? partitions() : (per > 0 ? header_.size() / per : 0);
        std::vector<std::size_t> at_end;
        for (std::size_t first = 0; per > 0 && first / per < blocks && first + per <= header_.size(); first += per) {
            bool all = true;
            for (std::size_t j = first; j < first + per && all; ++j) {
                const auto& row = best_.rows[j];
                all = !std::isnan(row[0]) && row[1] == thresholds_.back() && row[1] != thresholds_.front();
            }
            if (all) at_end.push_back(first / per + 1);
        }
        if (partitions() == 0 && !at_end.empty()) at_end = {0};  // the criterion, not a partition
        if (const auto text = series_end_warning(at_end, thresholds_.back())) warn(context_, *text);
    }

    void print() {
        phylo::io::Output& out = context_.out;
        if (context_.settings.verbose) {
            put_report(out, "Threshold \tNo._Clusters", header_, similarities_);
        } else {
            // The best-threshold table has no header line.
            phylo::io::print::put(out, best_);
            out.put('\n');
        }
    }

    phylo::Labels header_;
    std::vector<double> thresholds_;
    phylo::RealData best_;
};

// -o: similarity of every threshold's partition to each reference partition.
class ReferenceOptimisation : public OptimisationReport {
public:
    explicit ReferenceOptimisation(const RunContext& context)
        : OptimisationReport(context, header_for(context), 1 + values_per_block(context) * context.reference.size()) {}

private:
    static std::size_t values_per_block(const RunContext& context) {
        return context.settings.index_variant ? labels::variant_index.size() : labels::index.size();
    }
    static phylo::Labels header_for(const RunContext& context) {
        return phylo::partitions::repeat(context.settings.index_variant ? labels::variant_index : labels::index,
                                       static_cast<int>(context.reference.size()));
    }

    std::size_t columns_per_partition() const override { return values_per_block(context_); }
    std::size_t partitions() const override { return context_.reference.size() - 1; }

    void fill_similarities(phylo::Squared& matrix) override {
        transform_if_asked(context_, matrix);
        const phylo::PartitionSet references = reference_partitions(context_, matrix.labels);
        if (references.empty())
            throw_without_partition_column(context_, phylo::IndexError("empty partition set"));
        const phylo::PartitionSet series = threshold_series(context_, matrix.matrix, true);
        if (const auto& variant = context_.settings.index_variant) {
            check_index_variant(*variant);
            phylo::partitions::new_partition_similarities(series, references, similarities_, *variant);
        } else {
            phylo::partitions::partition_similarities(series, references, similarities_);
        }
    }
};

// -o with -d: the criterion of every threshold's partition on the second
// matrix, whose objects the name table translates.
class TwoMatrixOptimisation : public OptimisationReport {
public:
    explicit TwoMatrixOptimisation(const RunContext& context)
        : OptimisationReport(context,
                             phylo::partitions::repeat(labels::criterion, static_cast<int>(context.reference.size()) - 1),
                             context.reference.size()) {}

private:
    std::size_t columns_per_partition() const override { return 1; }

    void fill_similarities(phylo::Squared& matrix) override {
        transform_if_asked(context_, matrix);
        const phylo::PartitionSet series = threshold_series(context_, matrix.matrix, false);
        try {
            phylo::partitions::partitions_vs_distances(series, matrix.labels, context_.reference,
                                                     std::span<const phylo::Squared>(&*context_.second_matrix, 1),
                                                     similarities_);
        } catch (phylo::Error& failure) {
            if (failure.detail().empty()) {
                std::string detail = name_table_mismatch(matrix.labels, context_.reference, context_.reference_lines,
                                                         context_.second_matrix->labels);
                if (!detail.empty()) {
                    failure.set_subject(context_.reference_name);
                    failure.set_detail(std::move(detail));
                }
            }
            throw;
        }
    }
};

// -h: the criterion of every threshold's partition on the matrix itself.
class InternalOptimisation : public OptimisationReport {
public:
    explicit InternalOptimisation(const RunContext& context)
        : OptimisationReport(context, phylo::partitions::repeat(labels::criterion, 1), 2) {
        for (auto& row : similarities_.rows) row.assign(2, 0.0);
    }

private:
    void fill_similarities(phylo::Squared& matrix) override {
        transform_if_asked(context_, matrix);
        const phylo::PartitionSet series = threshold_series(context_, matrix.matrix, false);
        for (std::size_t k = 0; k < series.size(); ++k)
            similarities_.rows[k][0] = phylo::partitions::number_of_groups(*series[k]);
        phylo::partitions::partitions_vs_distances(series, matrix.matrix, 1, similarities_);
    }
};

}  // namespace

void check_index_variant(double value) {
    if (!(value >= 0.0 && value <= 1.0)) {
        phylo::RangeError failure("index-variant value " + phylo::real_image(value) + " outside 0 .. 1");
        failure.set_subject("-1 " + phylo::real_image(value));
        failure.set_detail("give the index-variant value from 0 to 1");
        throw failure;
    }
}

std::unique_ptr<Report> make_reference_optimisation(const RunContext& context) {
    return std::make_unique<ReferenceOptimisation>(context);
}

std::unique_ptr<Report> make_two_matrix_optimisation(const RunContext& context) {
    return std::make_unique<TwoMatrixOptimisation>(context);
}

std::unique_ptr<Report> make_internal_optimisation(const RunContext& context) {
    return std::make_unique<InternalOptimisation>(context);
}

}  // namespace tarvix
