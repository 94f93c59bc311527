// The reports on partitions given in files: the guided clustering report
// (-g), one group number per object and reference partition, and the
// partition similarity report (-r), whose inputs are partition tables.
#include "driver/diagnosis.hpp"
#include "driver/report_modes.hpp"
#include "driver/series.hpp"
#include "phylo/errors.hpp"
#include "phylo/graph/guided.hpp"
#include "phylo/io/partition_file.hpp"
#include "phylo/partitions/partitions.hpp"
#include "phylo/io/print.hpp"
#include "phylo/partitions/similarity.hpp"

namespace tarvix {

namespace {

using phylo::partitions::repeat;

class GuidedClustering : public Report {
public:
    explicit GuidedClustering(const RunContext& context)
        : context_(context), header_(repeat(labels::reference, static_cast<int>(context.reference.size()) - 1)) {}

    void run_one(phylo::io::TextInput& input) override {
        const phylo::Squared matrix = read_matrix(context_, input);
        const Settings& s = context_.settings;
        const phylo::PartitionSet references = reference_partitions(context_, matrix.labels);
        phylo::CountData groups(matrix.size());
        groups.labels = matrix.labels;
        for (const phylo::PartitionRef& reference : references) {
            phylo::Partition guided;
            try {
                guided = phylo::graph::guided_clustering(matrix.matrix, *reference, s.graph_kind, s.trimming,
                                                         s.long_edges, s.merging, graph_writer(context_));
            } catch (phylo::Error& failure) {
                name_distance_out_of_range(failure, matrix);
                throw;
            }
            if (guided.size() != matrix.size())
                throw phylo::SizeError(phylo::size_error::refno_chars, "guided partition of another length");
            for (std::size_t i = 0; i < guided.size(); ++i) groups.rows[i].push_back(guided[i]);
        }
        put_report(context_.out, "Object", header_, groups, EmptyLine::none);
    }

private:
    const RunContext& context_;
    phylo::Labels header_;
};

class PartitionSimilarity : public Report {
public:
    explicit PartitionSimilarity(const RunContext& context)
        : context_(context),
          header_(repeat(context.settings.index_variant ? labels::variant_index : labels::index,
                         static_cast<int>(context.reference.size()))) {}

    void run_one(phylo::io::TextInput& input) override {
        const phylo::GroupNameTable table = phylo::io::partition_file::get_transposed(input, '\t', '"');
        if (table.size() < 2) throw phylo::RangeError("the input partition table has no partition column");
        const phylo::PartitionSet tested = phylo::partitions::to_group_numbers(table.front(), table);
        phylo::PartitionSet references = reference_partitions(context_, table.front(), "the input table");
        phylo::partitions::squeeze(references);
        phylo::RealData similarities(tested.size());
        phylo::partitions::fill(similarities.labels, 10, 1LL, 1LL);
        if (const auto& variant = context_.settings.index_variant) {
            check_index_variant(*variant);
            phylo::partitions::new_partition_similarities(tested, references, similarities, *variant);
        } else {
            phylo::partitions::partition_similarities(tested, references, similarities);
        }
        put_report(context_.out, "Threshold \tNo._Clusters", header_, similarities);
    }

private:
    const RunContext& context_;
    phylo::Labels header_;
};

}  // namespace

std::unique_ptr<Report> make_guided_clustering(const RunContext& context) {
    return std::make_unique<GuidedClustering>(context);
}

std::unique_ptr<Report> make_partition_similarity(const RunContext& context) {
    return std::make_unique<PartitionSimilarity>(context);
}

}  // namespace tarvix
