// A run mode's report: prepared once before the inputs are read, then run
// once per item (one distance matrix, or one partition table) of the inputs.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "driver/settings.hpp"
#include "phylo/io/output.hpp"
#include "phylo/io/text_input.hpp"
#include "phylo/types.hpp"

namespace tarvix {

// What the preparation gives every report: the settings, the threshold count
// N (thresholds 0..N), the reference partition file's table (empty when the
// mode reads none) and, in the two-matrix mode, the second matrix; the
// output of the reports and the stream of progress lines.
struct RunContext {
    Settings settings;
    std::int32_t threshold_count = 0;
    phylo::GroupNameTable reference;
    std::optional<phylo::Squared> second_matrix;
    phylo::io::Output& out;
    std::ostream& err;
    // The reference partition file's name for messages (an absolute path or
    // "*stdin") and the line of each of its rows.
    std::string reference_name = {};
    std::vector<std::size_t> reference_lines = {};
};

class Report {
public:
    virtual ~Report() = default;
    // Reads exactly one item from input and prints its report.
    virtual void run_one(phylo::io::TextInput& input) = 0;
};

// The header line of a table: text, then a tab before each label.
void put_header(phylo::io::Output& out, const std::string& text, const phylo::Labels& labels);

// Whether a report ends with an empty line (all do, but the guided
// clustering report).
enum class EmptyLine { after, none };

// The scaffold every report prints: its header line (text, then the labels),
// the table in the RAW layout, and the empty line after it where the report
// has one.
void put_report(phylo::io::Output& out, const std::string& text, const phylo::Labels& labels,
                const phylo::RealData& table, EmptyLine empty_line = EmptyLine::after);
void put_report(phylo::io::Output& out, const std::string& text, const phylo::Labels& labels,
                const phylo::CountData& table, EmptyLine empty_line = EmptyLine::after);

// The constant base label lists.
namespace labels {
extern const phylo::Labels index;
extern const phylo::Labels quality;
extern const phylo::Labels criterion;
extern const phylo::Labels statistics;
extern const phylo::Labels reference;
extern const phylo::Labels paired_index;
extern const phylo::Labels variant_index;
}  // namespace labels

// Reads the next distance matrix of input in the run's format, and warns of
// what makes its report meaningless (a diagonal that is not zero, asymmetry,
// negative distances where the mode takes them).
phylo::Squared read_matrix(const RunContext& context, phylo::io::TextInput& input);

}  // namespace tarvix
