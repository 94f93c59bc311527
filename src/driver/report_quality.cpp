// The reports that rate clusters per object: the single-threshold report
// (the default run), the reference quality report (-c) and the corrected
// reference quality report (-e). Each prints "Object" and the quality labels,
// one row per object with seven values per partition, then an empty line.
#include "driver/diagnosis.hpp"
#include "driver/report_modes.hpp"
#include "driver/series.hpp"
#include "phylo/correction/correction.hpp"
#include "phylo/errors.hpp"
#include "phylo/partitions/partitions.hpp"
#include "phylo/io/print.hpp"
#include "phylo/partitions/qualities.hpp"

namespace tarvix {

namespace {

using phylo::partitions::repeat;

class QualityReport : public Report {
public:
    QualityReport(const RunContext& context, int partitions)
        : context_(context), header_(repeat(labels::quality, partitions)) {}

    void run_one(phylo::io::TextInput& input) override {
        phylo::Squared matrix = read_matrix(context_, input);
        const phylo::PartitionSet partitions = partitions_of(matrix);
        phylo::RealData table;
        try {
            table = phylo::partitions::cluster_qualities(matrix.matrix, partitions, context_.settings.minimum_threshold);
        } catch (phylo::NegativeDistance& failure) {
            name_objects(failure, matrix.labels);
            throw;
        }
        table.labels = std::move(matrix.labels);
        put_report(context_.out, "Object", header_, table);
    }

protected:
    virtual phylo::PartitionSet partitions_of(phylo::Squared& matrix) = 0;
    const RunContext& context_;

private:
    phylo::Labels header_;
};

// The default run: the matrix clustered at the minimum threshold.
class SingleThresholdQuality : public QualityReport {
public:
    explicit SingleThresholdQuality(const RunContext& context) : QualityReport(context, 1) {}

private:
    phylo::PartitionSet partitions_of(phylo::Squared& matrix) override {
        transform_if_asked(context_, matrix);
        return threshold_series(context_, matrix.matrix, true);
    }
};

// -c: every reference partition of the file.
class ReferenceQuality : public QualityReport {
public:
    explicit ReferenceQuality(const RunContext& context)
        : QualityReport(context, static_cast<int>(context.reference.size()) - 1) {}

private:
    phylo::PartitionSet partitions_of(phylo::Squared& matrix) override {
        transform_if_asked(context_, matrix);
        phylo::PartitionSet references = reference_partitions(context_, matrix.labels);
        phylo::partitions::squeeze(references);
        return references;
    }
};

// -e: the first reference partition, freed of conflicts with the distances.
class CorrectedReferenceQuality : public QualityReport {
public:
    explicit CorrectedReferenceQuality(const RunContext& context) : QualityReport(context, 1) {}

private:
    phylo::PartitionSet partitions_of(phylo::Squared& matrix) override {
        const phylo::PartitionSet references = reference_partitions(context_, matrix.labels);
        if (references.empty())
            throw_without_partition_column(context_,
                                           phylo::RangeError("the reference partition file has no partition column"));
        context_.out.flush();  // progress lines on standard error follow what is printed so far
        // One line per pass on standard error, the pass number and the
        // conflict count each with a leading blank: " 1  12".
        const auto write_pass = [&err = context_.err](std::int64_t pass, std::int64_t conflicts) {
            err << phylo::integer_image(pass) << ' ' << phylo::integer_image(conflicts) << '\n';
        };
        return {std::make_shared<const phylo::Partition>(
            phylo::correction::correct_reference(matrix.matrix, *references.front(), write_pass))};
    }
};

}  // namespace

std::unique_ptr<Report> make_single_threshold_quality(const RunContext& context) {
    return std::make_unique<SingleThresholdQuality>(context);
}

std::unique_ptr<Report> make_reference_quality(const RunContext& context) {
    return std::make_unique<ReferenceQuality>(context);
}

std::unique_ptr<Report> make_corrected_reference_quality(const RunContext& context) {
    return std::make_unique<CorrectedReferenceQuality>(context);
}

}  // namespace tarvix
