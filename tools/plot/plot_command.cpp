#include "plot_command.hpp"

#include <filesystem>
#include <fstream>
#include <istream>
#include <iterator>
#include <sstream>
#include <sys/mman.h>
#include <unistd.h>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <variant>

#include <cerrno>
#include <cstring>

#include "charts.hpp"
#include "phylo/errors.hpp"
#include "phylo/io/byte_source.hpp"
#include "plot_options.hpp"
#include "reference_groups.hpp"
#include "table.hpp"

#ifndef TARVIX_VERSION
#error "TARVIX_VERSION must come from the project version"
#endif

namespace tarvix::plot {

namespace {

// A file that cannot be opened.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A write that did not reach its destination (a full disk, a closed
// terminal): the message names the output and the reason.
class OutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The reason of the last failed system call, or a plain statement when the
// stream failed without one.
std::string failure_reason(int error) {
    return error != 0 ? std::string(std::strerror(error)) : std::string("the output did not take the data");
}

// Writes `text` and flushes it, so that a failure shows here and not after
// tarvix-plot reported success.
void write_checked(std::ostream& out, const std::string& text, const std::string& name) {
    errno = 0;
    out << text << std::flush;
    if (!out) throw OutputError(name + ": " + failure_reason(errno));
}

void write_file(const std::string& name, const std::string& text) {
    errno = 0;
    std::ofstream file(name, std::ios::binary);
    if (!file.is_open()) throw FileError("cannot write " + name + ": " + failure_reason(errno));
    errno = 0;
    file << text;
    file.close();
    if (!file) throw OutputError(name + ": " + failure_reason(errno));
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
    return count == 1 ? base_name(options.input) : base_name(options.input) + ", " + matrix;
}

std::string chart(const Table& table, const std::string& title, const ChartOptions& options) {
    if (const auto* thresholds = std::get_if<ThresholdTable>(&table))
        return threshold_chart(*thresholds, title, options);
    return jackknife_chart(std::get<JackknifeTable>(table), title, options);
}

// Opens a named input for reading; `what` says what it is in messages.
std::ifstream open_input(const std::string& name) {
    std::error_code ignored;
    if (std::filesystem::is_directory(name, ignored)) throw FileError("cannot open " + name + ": it is a folder");
    std::ifstream file(name, std::ios::binary);
    if (!file) throw FileError("cannot open " + name);
    return file;
}

// The text of an input, decompressed when it is gzip data (recognised by its
// first two bytes, never by its name) through the same reader tarvix uses.
std::string input_text(std::istream& in, const std::string& name) {
    std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (raw.size() < 2 || static_cast<unsigned char>(raw[0]) != 0x1f || static_cast<unsigned char>(raw[1]) != 0x8b)
        return raw;
    const int fd = ::memfd_create("tarvix-plot-input", MFD_CLOEXEC);
    if (fd < 0) throw FileError("cannot decompress " + name + ": " + std::strerror(errno));
    struct Close {
        int fd;
        ~Close() { ::close(fd); }
    } close_fd{fd};
    for (std::size_t written = 0; written < raw.size();) {
        const ssize_t n = ::write(fd, raw.data() + written, raw.size() - written);
        if (n < 0) throw FileError("cannot decompress " + name + ": " + std::strerror(errno));
        written += static_cast<std::size_t>(n);
    }
    ::lseek(fd, 0, SEEK_SET);
    std::string text;
    try {
        const std::unique_ptr<phylo::io::ByteSource> source = phylo::io::open_byte_source(fd, name);
        char block[1 << 16];
        while (const std::size_t n = source->read(block, sizeof block)) text.append(block, n);
    } catch (const phylo::Error& e) {
        throw FileError(e.what());
    }
    return text;
}

std::vector<Table> read_input(const PlotOptions& options, std::istream& standard_input) {
    if (options.input == "-") {
        std::istringstream text(input_text(standard_input, "standard input"));
        return read_tables(text, "standard input");
    }
    std::ifstream file = open_input(options.input);
    std::istringstream text(input_text(file, options.input));
    return read_tables(text, options.input);
}

// Every picture is drawn before the first is written, so that a table that
// cannot be drawn leaves no picture behind.
void write_charts(const PlotOptions& options, const std::vector<Table>& tables, std::ostream& standard_output) {
    if (!options.prefix && tables.size() > 1)
        throw UsageError("the input holds " + std::to_string(tables.size()) +
                         " tables; name an output prefix with -o to write one picture per table");
    std::vector<std::string> pictures;
    for (std::size_t i = 0; i < tables.size(); ++i)
        pictures.push_back(chart(tables[i], chart_title(options, i + 1, tables.size()), options.chart));
    if (!options.prefix) {
        write_checked(standard_output, pictures.front(), "standard output");
        return;
    }
    for (std::size_t i = 0; i < pictures.size(); ++i)
        write_file(*options.prefix + "-" + std::to_string(i + 1) + ".svg", pictures[i]);
}

}  // namespace

std::string plot_usage() {
    return "Usage: tarvix-plot [-o PREFIX] [-t TITLE] [--groups REFFILE] [--log-x]\n"
           "                   [--xmax T] [--ani] [--mark T[:TEXT]]... [FILE]\n"
           "\n"
           "Draws the verbose tables of tarvix (-o -v, -h -v, -o -d -v and -j -v) as SVG\n"
           "pictures. Reads FILE, or standard input when FILE is - or missing.\n"
           "\n"
           "Options:\n"
           "  -o PREFIX         write PREFIX-1.svg, PREFIX-2.svg, ... one per table;\n"
           "                    without -o the input must hold one table, whose picture\n"
           "                    goes to standard output\n"
           "  -t TITLE          title of the pictures (default: the input's name)\n"
           "  --groups REFFILE  the reference partition file of tarvix -o: each\n"
           "                    partition's number of groups is drawn on the cluster axis\n"
           "  --log-x           logarithmic threshold axis (thresholds <= 0 are left out)\n"
           "  --xmax T          draw thresholds up to T only; without it a chart whose\n"
           "                    best thresholds all lie in the leftmost quarter zooms in\n"
           "  --ani             a second threshold axis in ANI percent, 100 * (1 - T)\n"
           "  --mark T[:TEXT]   a reference line at threshold T, with TEXT beside it\n"
           "                    (repeatable)\n"
           "  -h, --help        print this text\n"
           "  --version         print the version\n";
}

int run_plot(const std::vector<std::string>& arguments, std::istream& standard_input, std::ostream& standard_output,
             std::ostream& standard_error) {
    try {
        PlotOptions options = parse_options(arguments);
        if (options.help) {
            write_checked(standard_output, plot_usage(), "standard output");
            return 0;
        }
        if (options.version) {
            write_checked(standard_output, "tarvix-plot " TARVIX_VERSION "\n", "standard output");
            return 0;
        }
        if (options.groups_file) {
            std::ifstream file = open_input(*options.groups_file);
            options.chart.reference_groups = count_reference_groups(file, *options.groups_file);
        }
        write_charts(options, read_input(options, standard_input), standard_output);
        return 0;
    } catch (const UsageError& e) {
        // The usage lines, without the rest of the help.
        standard_error << "tarvix-plot: " << e.what() << "\n" << plot_usage().substr(0, plot_usage().find("\n\n") + 1);
    } catch (const OutputError& e) {
        standard_error << "tarvix-plot: output error: " << e.what() << "\n";
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
