#include "driver/run.hpp"

#include <new>
#include <stdexcept>

#include "driver/diagnosis.hpp"
#include "driver/options.hpp"
#include "driver/run_modes.hpp"
#include "driver/warnings.hpp"
#include "phylo/errors.hpp"
#include "phylo/number_images.hpp"
#include "phylo/thresholds.hpp"
#include "text_utils/text_utils.hpp"
#include "phylo/io/partition_file.hpp"
#include "phylo/io/read.hpp"

namespace tarvix {

namespace {

// Opens a named input, or hands out standard input for "-". A name that
// opens no file fails with a detail that names it and its role.
class InputHandle {
public:
    InputHandle(const std::string& name, const char* role) {
        if (name == "-") return;
        try {
            owned_ = phylo::io::TextInput::open(name);
        } catch (phylo::InvalidFilename& failure) {
            describe_unopened_input(failure, name, role);
            throw;
        }
    }
    phylo::io::TextInput& get() { return owned_ ? *owned_ : phylo::io::TextInput::standard_input(); }

private:
    std::unique_ptr<phylo::io::TextInput> owned_;
};

std::string reference_role(const Settings& settings) {
    const char option = settings.mode == RunMode::two_matrix_optimisation ? 'o' : row_of(settings.mode).option;
    return std::string("the reference partition file of -") + option;
}

void read_reference(RunContext& context) {
    const Settings& settings = context.settings;
    if (!settings.reference_file) {
        phylo::OptionError failure("no reference partition file");
        failure.set_subject("-d " + settings.second_file.value_or(""));
        failure.set_detail("the two-matrix optimisation takes its name table from -o FILE as well: add -o");
        throw failure;
    }
    const std::string role = reference_role(settings);
    InputHandle file(*settings.reference_file, role.c_str());
    phylo::io::TextInput& input = file.get();
    context.reference_name = input.name();
    try {
        context.reference = phylo::io::partition_file::get_transposed(input, '\t', '"', &context.reference_lines);
    } catch (phylo::Error& failure) {
        if (failure.subject().empty()) failure.set_subject(context.reference_name);
        if (failure.detail().empty())
            failure.set_detail("the file holds no line: a partition file lists one object per line, its label "
                               "and, after a tab, its group in each partition");
        throw;
    }
    if (row_of(settings.mode).needs_partition_column && context.reference.size() < 2)
        throw_without_partition_column(context,
                                       phylo::RangeError("the reference partition file has no partition column"));
}

// The threshold count of the settled range; a step of 0 or a range of more
// than 2^31 steps fails with what to change.
std::int32_t counted_thresholds(const Settings& s) {
    try {
        return phylo::threshold_count(s.minimum_threshold, s.maximum_threshold, s.step);
    } catch (phylo::RangeError& failure) {
        if (s.step == 0.0) {
            failure.set_subject("-s 0");
            failure.set_detail("gives an endless series; give a step above 0 (the default is 0.01)");
        } else {
            failure.set_subject("-i " + phylo::real_image(s.minimum_threshold) + " -a " +
                                phylo::real_image(s.maximum_threshold) + " -s " + phylo::real_image(s.step));
            failure.set_detail("give more than 2147483647 thresholds; choose a larger step or a smaller range");
        }
        throw;
    }
}

// Warnings about the run as a whole, written once before the first report.
void warn_of_the_run(const RunContext& context) {
    const RunMode mode = context.settings.mode;
    const bool optimises = mode == RunMode::internal_optimisation || mode == RunMode::jackknife ||
                           mode == RunMode::reference_optimisation || mode == RunMode::two_matrix_optimisation;
    if (optimises)
        if (const auto text = single_threshold_warning(context.settings, context.threshold_count)) warn(context, *text);
    if (mode == RunMode::jackknife || mode == RunMode::reference_optimisation)
        if (const auto text = reference_warning(context.reference, context.reference_name)) warn(context, *text);
}

// The input loop: every item of every input in turn, each report complete
// before the next item is read.
void read_inputs(const RunContext& context, Report& report, const std::vector<std::string>& inputs) {
    const bool reads_matrices = row_of(context.settings.mode).reads_matrices;
    for (const std::string& name : inputs) {
        InputHandle handle(name, nullptr);
        phylo::io::TextInput& input = handle.get();
        bool any = false;
        try {
            // A matrix input whose rest is nothing but blank lines has ended;
            // it does not start a further matrix.
            while (reads_matrices ? !input.only_blank_lines_left() : !input.at_end()) {
                report.run_one(input);
                any = true;
            }
        } catch (phylo::Error& failure) {
            if (!failure.detail().empty() && failure.subject().empty()) failure.set_subject(input.name());
            throw;
        }
        if (!any)
            warn(context, input.name() + (reads_matrices ? ": holds no matrix" : ": holds no partition table") +
                              " (it is empty or blank), so it has no report");
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
        out.write(help_text(command));
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
    context.threshold_count = counted_thresholds(context.settings);
    if (row_of(context.settings.mode).takes_reference) read_reference(context);
    if (context.settings.mode == RunMode::two_matrix_optimisation) {
        InputHandle file(*context.settings.second_file, "the second distance file of -d");
        context.second_matrix = read_matrix(context, file.get());
        // Damage behind the matrix in a compressed file fails the run too;
        // standard input stays where it is for the inputs that follow.
        if (*context.settings.second_file != "-") file.get().verify_rest();
    }
    const std::unique_ptr<Report> report = row_of(context.settings.mode).make_report(context);
    warn_of_the_run(context);
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
    } catch (const text_utils::PatternError& e) {
        return std::string("tarvix: pattern error: ") + e.what();
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

// The detail line after the described line, or nothing.
std::string detail_line(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const phylo::Error& e) {
        if (e.detail().empty()) return {};
        return "tarvix: " + (e.subject().empty() ? std::string() : e.subject() + ": ") + e.detail();
    } catch (...) {
        return {};
    }
}

}  // namespace

int report_failure(std::exception_ptr failure, phylo::io::Output& out, std::ostream& err) {
    try {
        out.flush();
    } catch (const phylo::OutputError&) {
        // The run has failed already; its own line is the one to report.
    }
    err << failure_line(failure) << '\n';
    const std::string detail = detail_line(failure);
    if (!detail.empty()) err << detail << '\n';
    err << std::flush;
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
