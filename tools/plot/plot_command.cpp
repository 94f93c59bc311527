#include "plot_command.hpp"

#include <filesystem>
#include <fstream>
#include <istream>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <variant>

#include "charts.hpp"
#include "table.hpp"

#ifndef TARVIX_VERSION
#error "TARVIX_VERSION must come from the project version"
#endif

namespace tarvix::plot {

namespace {

// A command line that cannot be followed.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that cannot be opened or written.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct PlotOptions {
    std::string input = "-";
    std::optional<std::string> prefix;
    std::optional<std::string> title;
    bool help = false;
    bool version = false;
};

PlotOptions parse_options(const std::vector<std::string>& arguments) {
    PlotOptions options;
    bool input_named = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "-o" || argument == "-t") {
            if (i + 1 == arguments.size()) throw UsageError("the option " + argument + " needs an argument");
            (argument == "-o" ? options.prefix : options.title) = arguments[++i];
        } else if (argument.size() > 1 && argument.front() == '-') {
            throw UsageError("unknown option " + argument);
        } else if (input_named) {
            throw UsageError("one input at a time: " + options.input + " and " + argument);
        } else {
            options.input = argument;
            input_named = true;
        }
    }
    if (options.prefix && options.prefix->empty()) throw UsageError("the output prefix of -o is empty");
    return options;
}

std::string base_name(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Each table is one matrix of the tarvix run, in input order.
std::string chart_title(const PlotOptions& options, std::size_t number, std::size_t count) {
    const std::string matrix = "matrix " + std::to_string(number);
    if (options.title) return count == 1 ? *options.title : *options.title + ", " + matrix;
    if (options.input == "-") return "Matrix " + std::to_string(number);
    return base_name(options.input) + ", " + matrix;
}

std::string chart(const Table& table, const std::string& title) {
    if (const auto* thresholds = std::get_if<ThresholdTable>(&table)) return threshold_chart(*thresholds, title);
    return jackknife_chart(std::get<JackknifeTable>(table), title);
}

std::vector<Table> read_input(const PlotOptions& options, std::istream& standard_input) {
    if (options.input == "-") return read_tables(standard_input, "standard input");
    std::error_code ignored;
    if (std::filesystem::is_directory(options.input, ignored))
        throw FileError("cannot open " + options.input + ": it is a folder");
    std::ifstream file(options.input, std::ios::binary);
    if (!file) throw FileError("cannot open " + options.input);
    return read_tables(file, options.input);
}

void write_charts(const PlotOptions& options, const std::vector<Table>& tables, std::ostream& standard_output) {
    if (!options.prefix) {
        if (tables.size() > 1)
            throw UsageError("the input holds " + std::to_string(tables.size()) +
                             " tables; name an output prefix with -o to write one picture per table");
        standard_output << chart(tables.front(), chart_title(options, 1, 1)) << std::flush;
        if (!standard_output) throw FileError("cannot write to standard output");
        return;
    }
    for (std::size_t i = 0; i < tables.size(); ++i) {
        const std::string name = *options.prefix + "-" + std::to_string(i + 1) + ".svg";
        std::ofstream file(name, std::ios::binary);
        file << chart(tables[i], chart_title(options, i + 1, tables.size()));
        file.close();
        if (!file) throw FileError("cannot write " + name);
    }
}

}  // namespace

std::string plot_usage() {
    return "Usage: tarvix-plot [-o PREFIX] [-t TITLE] [FILE]\n"
           "\n"
           "Draws the verbose tables of tarvix (-o -v, -h -v, -o -d -v and -j -v) as SVG pictures.\n"
           "Reads FILE, or standard input when FILE is - or missing.\n"
           "\n"
           "Options:\n"
           "  -o PREFIX  write PREFIX-1.svg, PREFIX-2.svg, ... one per table; without -o the\n"
           "             input must hold one table, whose picture goes to standard output\n"
           "  -t TITLE   title of the pictures (default: the input's name and the matrix number)\n"
           "  -h, --help print this text\n"
           "  --version  print the version\n";
}

int run_plot(const std::vector<std::string>& arguments, std::istream& standard_input, std::ostream& standard_output,
             std::ostream& standard_error) {
    try {
        const PlotOptions options = parse_options(arguments);
        if (options.help) {
            standard_output << plot_usage() << std::flush;
            return 0;
        }
        if (options.version) {
            standard_output << "tarvix-plot " TARVIX_VERSION "\n" << std::flush;
            return 0;
        }
        write_charts(options, read_input(options, standard_input), standard_output);
        return 0;
    } catch (const UsageError& e) {
        standard_error << "tarvix-plot: " << e.what() << "\n" << plot_usage().substr(0, plot_usage().find('\n') + 1);
    } catch (const FileError& e) {
        standard_error << "tarvix-plot: " << e.what() << "\n";
    } catch (const InputError& e) {
        standard_error << "tarvix-plot: " << e.what() << "\n";
    } catch (const std::bad_alloc&) {
        standard_error << "tarvix-plot: not enough memory\n";
    } catch (const std::exception& e) {
        // Whatever else the standard library reports (a failing read, say)
        // still ends in one message and status 1, never in an abort.
        standard_error << "tarvix-plot: " << e.what() << "\n";
    }
    return 1;
}

}  // namespace tarvix::plot
