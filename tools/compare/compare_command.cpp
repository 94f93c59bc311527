#include "compare_command.hpp"

#include <filesystem>
#include <fstream>
#include <istream>
#include <new>
#include <optional>
#include <ostream>

#include "comparison.hpp"
#include "inputs.hpp"
#include "report.hpp"

#ifndef TARVIX_VERSION
#error "TARVIX_VERSION must come from the project version"
#endif

namespace tarvix::compare {

namespace {

// A command line that cannot be followed.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CompareOptions {
    std::vector<std::string> inputs;
    std::size_t reference_column = 1;
    std::optional<std::size_t> cluster_column;
    bool help = false;
    bool version = false;
};

// A column number: decimal digits, 1 or more, small enough for any file.
std::size_t column_number(const std::string& option, const std::string& value) {
    const bool digits = !value.empty() && value.size() <= 9 && value.find_first_not_of("0123456789") == std::string::npos;
    const std::size_t number = digits ? std::stoul(value) : 0;
    if (number == 0)
        throw UsageError("the column of " + option + " must be a whole number from 1 up, not '" + value + "'");
    return number;
}

CompareOptions parse_options(const std::vector<std::string>& arguments) {
    CompareOptions options;
    bool options_end = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (options_end || argument == "-" || argument.empty() || argument.front() != '-') {
            options.inputs.push_back(argument);
            continue;
        }
        if (argument == "--") {
            options_end = true;
        } else if (argument == "-h" || argument == "--help") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else {
            // -r N, --reference-column N, --reference-column=N; the same for -k.
            std::string name = argument;
            std::optional<std::string> value;
            if (const std::size_t equals = argument.find('='); argument.starts_with("--") && equals != std::string::npos) {
                name = argument.substr(0, equals);
                value = argument.substr(equals + 1);
            }
            const bool reference = name == "-r" || name == "--reference-column";
            const bool cluster = name == "-k" || name == "--cluster-column";
            if (!reference && !cluster) throw UsageError("unknown option " + argument);
            if (!value) {
                if (i + 1 == arguments.size()) throw UsageError("the option " + argument + " needs a column number");
                value = arguments[++i];
            }
            const std::size_t column = column_number(name, *value);
            if (reference) options.reference_column = column;
            else options.cluster_column = column;
        }
    }
    if (options.help || options.version) return options;
    if (options.inputs.size() != 2)
        throw UsageError(options.inputs.size() < 2 ? "name a clustering and a reference partition file"
                                                   : "too many inputs: give one clustering and one reference");
    if (options.inputs[0] == "-" && options.inputs[1] == "-")
        throw UsageError("only one of the two inputs can be standard input");
    return options;
}

InputText read_input(const std::string& name, std::istream& standard_input) {
    if (name == "-") return read_lines(standard_input, "standard input");
    std::error_code ignored;
    std::string path = std::filesystem::absolute(name, ignored).string();
    if (path.empty()) path = name;
    if (std::filesystem::is_directory(name, ignored)) throw InputError("cannot read " + path + ": it is a folder");
    if (!std::filesystem::exists(name, ignored))
        throw InputError("cannot open " + path + ": no such file; check the name");
    std::ifstream file(name, std::ios::binary);
    if (!file) throw InputError("cannot open " + path + "; check that it is a readable file");
    return read_lines(file, path);
}

void write(std::ostream& out, const std::string& text) {
    out << text << std::flush;
    if (!out) throw InputError("cannot write to standard output");
}

}  // namespace

std::string compare_usage() {
    return "Usage: tarvix-compare [-r COLUMN] [-k COLUMN] CLUSTERING REFERENCE\n"
           "\n"
           "Shows where a clustering and a reference partition of the same objects disagree:\n"
           "the reference groups each cluster holds, the clusters over which each split\n"
           "group lies, and the counts of merged, split and one-to-one matched groups.\n"
           "\n"
           "CLUSTERING is the report of tarvix -i T (one comparison per table in it) or a\n"
           "partition file; REFERENCE is a partition file (a label, then one group name per\n"
           "partition column, separated by tabs). Either one may be - for standard input.\n"
           "\n"
           "Options:\n"
           "  -r, --reference-column COLUMN  partition column of REFERENCE (default 1, the\n"
           "                                 first after the labels)\n"
           "  -k, --cluster-column COLUMN    partition column of CLUSTERING when it is a\n"
           "                                 partition file (default 1)\n"
           "  -h, --help                     print this text\n"
           "  --version                      print the version\n";
}

int run_compare(const std::vector<std::string>& arguments, std::istream& standard_input,
                std::ostream& standard_output, std::ostream& standard_error) {
    try {
        const CompareOptions options = parse_options(arguments);
        if (options.help) {
            write(standard_output, compare_usage());
            return 0;
        }
        if (options.version) {
            write(standard_output, "tarvix-compare " TARVIX_VERSION "\n");
            return 0;
        }
        const InputText clustering_text = read_input(options.inputs[0], standard_input);
        const InputText reference_text = read_input(options.inputs[1], standard_input);

        std::vector<LabelledPartition> clusterings;
        if (is_cluster_report(clustering_text)) {
            if (options.cluster_column)
                throw UsageError("-k chooses a column of a partition file, but " + clustering_text.name +
                                 " is a report of tarvix -i");
            clusterings = read_cluster_report(clustering_text);
        } else {
            clusterings.push_back(read_partition_column(clustering_text, options.cluster_column.value_or(1), "-k"));
        }
        const LabelledPartition reference = read_partition_column(reference_text, options.reference_column, "-r");

        // Every table is checked before the first comparison is written, so
        // a failure never leaves half a result behind.
        std::string text;
        for (const LabelledPartition& clustering : clusterings) {
            const std::vector<std::size_t> group_of = align_reference(clustering, reference);
            const Comparison comparison = compare_partitions(clustering.group_of, clustering.group_names.size(),
                                                             group_of, reference.group_names.size());
            text += format_comparison(comparison, clustering, reference);
        }
        write(standard_output, text);
        return 0;
    } catch (const UsageError& e) {
        standard_error << "tarvix-compare: " << e.what() << "\n" << compare_usage().substr(0, compare_usage().find('\n') + 1);
    } catch (const InputError& e) {
        standard_error << "tarvix-compare: " << e.what() << "\n";
    } catch (const std::bad_alloc&) {
        standard_error << "tarvix-compare: not enough memory\n";
    } catch (const std::exception& e) {
        standard_error << "tarvix-compare: " << e.what() << "\n";
    }
    standard_error << std::flush;
    return 1;
}

}  // namespace tarvix::compare
