#include "driver/report.hpp"

#include <filesystem>

#include "driver/progress_line.hpp"
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

phylo::Squared read_matrix(const RunContext& context, phylo::io::TextInput& input) {
    // At a terminal, the share of the file read so far.
    ProgressLine line("reading " + std::filesystem::path(input.name()).filename().string());
    if (line.active()) input.set_progress([&line](std::size_t done, std::size_t total) { line.show(done, total); });
    struct Detach {
        phylo::io::TextInput& input;
        ~Detach() { input.set_progress({}); }
    } detach{input};
    return phylo::io::read::get(input, context.settings.format);
}

}  // namespace tarvix
