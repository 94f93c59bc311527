#include "driver/report.hpp"

#include <filesystem>

#include "driver/progress_line.hpp"
#include "driver/warnings.hpp"
#include "phylo/io/print.hpp"
#include "phylo/io/read.hpp"

namespace tarvix {

namespace labels {
const phylo::Labels index = {"Shared_I.", "Modif._RI", "Rand_Ind."};
const phylo::Labels quality = {"Cluster", "Minimum", "Average", "Maximum", "Spanning", "Isolation", "Cohesion"};
const phylo::Labels criterion = {"Cal._Har."};
const phylo::Labels statistics = {"Average   ", "Std._Dev. ", "Median    ", "Median_AD ", "Minimum   ",
                                  "Maximum   ", "Lw._Bnd._2", "Up._Bnd._2", "Lw._Bnd._1", "Up._Bnd._1"};
const phylo::Labels reference = {"Reference"};
const phylo::Labels paired_index = {"Shared_I.", "Shared_I.", "Modif._RI", "Modif._RI", "Rand_Ind.", "Rand_Ind."};
const phylo::Labels variant_index = {"Raw_4    ", "Correct_4", "Raw_3    ", "Correct_3"};
}  // namespace labels

void put_header(phylo::io::Output& out, const std::string& text, const phylo::Labels& header) {
    out.write(text);
    for (const phylo::Label& label : header) {
        out.put('\t');
        out.write(label);
    }
    out.put('\n');
}

namespace {

template <class Table>
void put_table_report(phylo::io::Output& out, const std::string& text, const phylo::Labels& labels,
                      const Table& table, EmptyLine empty_line) {
    put_header(out, text, labels);
    phylo::io::print::put(out, table);
    if (empty_line == EmptyLine::after) out.put('\n');
}

}  // namespace

void put_report(phylo::io::Output& out, const std::string& text, const phylo::Labels& labels,
                const phylo::RealData& table, EmptyLine empty_line) {
    put_table_report(out, text, labels, table, empty_line);
}

void put_report(phylo::io::Output& out, const std::string& text, const phylo::Labels& labels,
                const phylo::CountData& table, EmptyLine empty_line) {
    put_table_report(out, text, labels, table, empty_line);
}

namespace {

// The matrix, with the share of the file read so far on a line at a
// terminal; the line is gone before anything else is written.
phylo::Squared read_with_progress(const RunContext& context, phylo::io::TextInput& input) {
    ProgressLine line("reading " + std::filesystem::path(input.name()).filename().string());
    if (line.active()) input.set_progress([&line](std::size_t done, std::size_t total) { line.show(done, total); });
    struct Detach {
        phylo::io::TextInput& input;
        ~Detach() { input.set_progress({}); }
    } detach{input};
    return phylo::io::read::get(input, context.settings.format);
}

}  // namespace

phylo::Squared read_matrix(const RunContext& context, phylo::io::TextInput& input) {
    phylo::Squared matrix = read_with_progress(context, input);
    const RunMode mode = context.settings.mode;
    if (mode == RunMode::label_listing) return matrix;
    // The cluster quality reports, the guided clustering and the shortest
    // paths of -y reject negative distances themselves.
    const bool rejects_negative = mode == RunMode::single_threshold_quality || mode == RunMode::reference_quality ||
                                  mode == RunMode::corrected_reference_quality || mode == RunMode::guided_clustering ||
                                  context.settings.shortest_paths;
    for (const std::string& text : matrix_warnings(matrix, input.name(), !rejects_negative)) warn(context, text);
    return matrix;
}

}  // namespace tarvix
