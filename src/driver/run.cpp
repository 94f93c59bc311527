#include "driver/run.hpp"

#include <new>
#include <stdexcept>

#include "driver/options.hpp"
#include "driver/report_modes.hpp"
#include "phylo/errors.hpp"
#include "phylo/thresholds.hpp"
#include "phylo/io/partition_file.hpp"
#include "phylo/io/read.hpp"

namespace tarvix {

namespace {

bool needs_reference(RunMode mode) {
    switch (mode) {
        case RunMode::corrected_reference_quality:
        case RunMode::guided_clustering:
        case RunMode::reference_quality:
        case RunMode::partition_similarity:
        case RunMode::jackknife:
        case RunMode::reference_optimisation:
        case RunMode::two_matrix_optimisation:
            return true;
        default:
            return false;
    }
}

bool needs_partition_column(RunMode mode) {
    return mode == RunMode::guided_clustering || mode == RunMode::reference_quality ||
           mode == RunMode::two_matrix_optimisation;
}

// Opens a named input, or hands out standard input for "-".
class InputHandle {
public:
    explicit InputHandle(const std::string& name) {
        if (name != "-") owned_ = phylo::io::TextInput::open(name);
    }
    phylo::io::TextInput& get() { return owned_ ? *owned_ : phylo::io::TextInput::standard_input(); }

private:
    std::unique_ptr<phylo::io::TextInput> owned_;
};

phylo::GroupNameTable read_reference(const Settings& settings) {
    if (!settings.reference_file) throw phylo::OptionError("no reference partition file");
    InputHandle file(*settings.reference_file);
    phylo::GroupNameTable table = phylo::io::partition_file::get_transposed(file.get(), '\t', '"');
    if (needs_partition_column(settings.mode) && table.size() < 2)
        throw phylo::RangeError("the reference partition file has no partition column");
    return table;
}

// The input loop: every item of every input in turn, each report complete
// before the next item is read.
void read_inputs(const RunContext& context, Report& report, const std::vector<std::string>& inputs) {
    const bool reads_matrices = context.settings.mode != RunMode::partition_similarity;
    for (const std::string& name : inputs) {
        InputHandle handle(name);
        phylo::io::TextInput& input = handle.get();
        // A matrix input whose rest is nothing but blank lines has ended; it
        // does not start a further matrix.
        while (reads_matrices ? !input.only_blank_lines_left() : !input.at_end()) report.run_one(input);
    }
}

int run_checked(const std::string& command, const std::vector<std::string>& arguments, phylo::io::Output& out,
                std::ostream& err) {
    // Packaging tools probe for these two; under the option scan such a word
    // would otherwise be taken for an input file that does not exist.
    if (arguments.size() == 1 && arguments[0] == "--version") {
        out.write(version_line());
        out.flush();
        return 0;
    }
    if (arguments.size() == 1 && arguments[0] == "--help") {
        out.write(usage_text(command));
        out.flush();
        return 0;
    }
    CommandLine line = scan_options(arguments);
    if (line.inputs.empty()) {
        err << usage_text(command) << std::flush;
        return 1;
    }
    RunContext context{line.settings, 0, {}, std::nullopt, out, err};
    settle_threshold_range(context.settings);
    const Settings& s = context.settings;
    context.threshold_count = phylo::threshold_count(s.minimum_threshold, s.maximum_threshold, s.step);
    if (needs_reference(context.settings.mode)) context.reference = read_reference(context.settings);
    if (context.settings.mode == RunMode::two_matrix_optimisation) {
        InputHandle file(*context.settings.second_file);
        context.second_matrix = read_matrix(context, file.get());
        // Damage behind the matrix in a compressed file fails the run too;
        // standard input stays where it is for the inputs that follow.
        if (*context.settings.second_file != "-") file.get().verify_rest();
    }
    const std::unique_ptr<Report> report = make_report(context);
    read_inputs(context, *report, line.inputs);
    context.out.flush();
    return 0;
}

// The line a failure is reported with.
std::string failure_line(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const phylo::InvalidFilename&) {
        return "Invalid filename.";
    } catch (const phylo::DataError&) {
        return "Wrong file format.";
    } catch (const phylo::Error& e) {
        return "tarvix: " + e.heading() + ": " + e.what();
    } catch (const std::bad_alloc&) {
        return "tarvix: resource error: not enough memory";
    } catch (const std::length_error&) {
        return "tarvix: resource error: not enough memory";
    } catch (const std::exception& e) {
        return std::string("tarvix: internal error: ") + e.what();
    } catch (...) {
        return "tarvix: internal error: an unknown failure";
    }
}

}  // namespace

int report_failure(std::exception_ptr failure, phylo::io::Output& out, std::ostream& err) {
    try {
        out.flush();
    } catch (const phylo::OutputError&) {
        // The run has failed already; its own line is the one to report.
    }
    err << failure_line(failure) << std::endl;
    return 1;
}

int run(const std::string& command, const std::vector<std::string>& arguments, phylo::io::Output& out,
        std::ostream& err) {
    try {
        return run_checked(command, arguments, out, err);
    } catch (...) {
        return report_failure(std::current_exception(), out, err);
    }
}

}  // namespace tarvix
