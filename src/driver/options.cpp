#include "driver/options.hpp"

#include "driver/run_modes.hpp"

#include <cmath>
#include <limits>

#include "phylo/errors.hpp"
#include "phylo/io/number_syntax.hpp"
#include "phylo/io/print.hpp"

namespace tarvix {

double default_deletion_fraction() { return 1.0 / std::exp(1.0); }

namespace {

constexpr double largest = std::numeric_limits<double>::max();
constexpr std::int32_t largest_integer = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t smallest_integer = std::numeric_limits<std::int32_t>::min();

bool is_option(const std::string& argument) {
    if (argument.size() != 2 || argument[0] != '-') return false;
    const char c = argument[1];
    return c == '1' || (c >= 'a' && c <= 'z');
}

bool takes_argument(char option) {
    switch (option) {
        case 'p': case 'x': case 't': case 'v': case 'l': case 'h': case 'q': case 'y':
            return false;
        default:
            return true;
    }
}

std::string image(double value) {
    std::string text;
    phylo::io::print::append_real(text, value);
    const std::size_t first = text.find_first_not_of(' ');
    text.erase(0, first);
    while (text.size() > 1 && text.back() == '0' && text[text.size() - 2] != '.') text.pop_back();
    return text;
}

// What each option with a value takes, for the detail line of a failure.
std::string what_it_takes(char option) {
    switch (option) {
        case 'a': return "give the maximum threshold, a distance of 0 or more such as 0.3";
        case 'i': return "give the minimum threshold, a distance of 0 or more such as 0.02";
        case 's': return "give the step between thresholds, a number above 0 such as 0.01";
        case 'f': return "give the fraction of links, from -1 to 1";
        case 'k': return "give the fraction of objects to delete, from 0 to 1";
        case 'n': return "give the number of jackknife replicates, a whole number of 1 or more";
        case 'w': return "give the random seed, a whole number within 32 bits";
        case '1': return "give the index-variant value, a number from 0 to 1";
        case 'b': return "give the graph: 0 NNG, 1 MST, 2 RNG, 3 GG, 4 RNG_SOIG, 5 SOIG or 6 MSN";
        case 'z': return "give the trimming: 0 none or 1 z-score";
        case 'u': return "give the long-edge rule: 0 off or 1 on";
        case 'm': return "give the merging: 0 maximum, 1 max-min or 2 none";
        case 'd': return "name the second distance file after -d";
        default: return std::string("name the partition file after -") + option;
    }
}

// The detail of a value that is no number: a decimal comma, or an option
// that took the next option as its value.
std::string why_no_number(char option, const std::string& text) {
    if (text.find(',') != std::string::npos) {
        std::string pointed = text;
        for (char& c : pointed)
            if (c == ',') c = '.';
        return "write numbers with a decimal point (" + pointed + "); " + what_it_takes(option);
    }
    if (!text.empty() && text[0] == '-' && text.size() >= 2 && !(text[1] >= '0' && text[1] <= '9') && text[1] != '.')
        return std::string("-") + option + " takes the word after it as its value, here " + text + "; " +
               what_it_takes(option);
    return what_it_takes(option);
}

class OptionValue {
public:
    OptionValue(char option, const std::string& text) : option_(option), text_(text) {}

    double real(double low, double high) const {
        const auto value = phylo::io::number_syntax::parse_real(text_);
        if (!value) fail("not a real number");
        if (!(*value >= low && *value <= high))
            fail("value outside " + image(low) + " .. " + (high == largest ? "largest double" : image(high)));
        return *value;
    }

    std::int32_t integer(std::int32_t low, std::int32_t high) const {
        const auto value = phylo::io::number_syntax::parse_integer(text_);
        if (!value) fail("not a 32-bit integer");
        if (*value < low || *value > high)
            fail("value outside " + phylo::decimal(low) + " .. " + phylo::decimal(high));
        return *value;
    }

    const std::string& text() const { return text_; }

private:
    [[noreturn]] void fail(const std::string& why) const {
        phylo::OptionError failure(std::string("-") + option_ + " " + text_ + ": " + why);
        failure.set_subject(std::string("-") + option_ + " " + text_);
        const bool no_number = why.rfind("not a", 0) == 0;
        failure.set_detail(no_number ? why_no_number(option_, text_) : what_it_takes(option_));
        throw failure;
    }

    char option_;
    const std::string& text_;
};

void set_option(Settings& s, char option, const OptionValue& v, bool& second_seen) {
    switch (option) {
        case 'a': s.maximum_threshold = v.real(0.0, largest); break;
        case 'i': s.minimum_threshold = v.real(0.0, largest); break;
        case 's': s.step = v.real(0.0, largest); break;
        case 'f': s.fraction = v.real(-1.0, 1.0); break;
        case 'k': s.deletion_fraction = v.real(0.0, 1.0); break;
        case 'n': s.replicates = v.integer(1, largest_integer); break;
        case 'w': s.seed = v.integer(smallest_integer, largest_integer); break;
        case '1': s.index_variant = v.real(-largest, largest); break;
        // The guided-clustering settings are positions in their enumerations.
        case 'b': s.graph_kind = static_cast<phylo::graph::GraphType>(v.integer(0, 6)); break;
        case 'z': s.trimming = static_cast<phylo::graph::TrimmingType>(v.integer(0, 1)); break;
        case 'u': s.long_edges = v.integer(0, 1) == 1; break;
        case 'm': s.merging = static_cast<phylo::graph::MergingType>(v.integer(0, 2)); break;
        case 'd':
            // -d names the second distance file and selects the two-matrix
            // optimisation whenever it is processed.
            s.mode = RunMode::two_matrix_optimisation;
            s.second_file = v.text();
            second_seen = true;
            break;
        default:
            if (const RunModeRow* row = mode_selected_by(option)) {
                s.mode = option == 'o' && second_seen ? RunMode::two_matrix_optimisation : row->mode;
                s.reference_file = v.text();
            }
            break;
    }
}

void set_flag(Settings& s, char option) {
    switch (option) {
        case 'p': s.format = phylo::io::read::DistInputFormat::PHYLIP; break;
        case 'x': s.format = phylo::io::read::DistInputFormat::EXTENDED_PHYLIP; break;
        case 't': s.format = phylo::io::read::DistInputFormat::TAB_SEPARATED; break;
        case 'v': s.verbose = true; break;
        case 'l':
        case 'h': s.mode = mode_selected_by(option)->mode; break;
        case 'q': s.row_sum_preordering = true; break;
        case 'y': s.shortest_paths = true; break;
        default: break;
    }
}

}  // namespace

CommandLine scan_options(std::vector<std::string> arguments) {
    CommandLine result;
    bool second_seen = false;
    for (std::size_t p = arguments.size(); p-- > 0;) {
        if (!is_option(arguments[p])) continue;
        const char option = arguments[p][1];
        if (!takes_argument(option)) {
            set_flag(result.settings, option);
            arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(p));
            continue;
        }
        if (p + 1 >= arguments.size()) {
            phylo::OptionError failure(std::string("-") + option + ": the option needs an argument");
            failure.set_subject(std::string("-") + option);
            failure.set_detail("nothing follows it: " + what_it_takes(option));
            throw failure;
        }
        set_option(result.settings, option, OptionValue(option, arguments[p + 1]), second_seen);
        arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(p),
                        arguments.begin() + static_cast<std::ptrdiff_t>(p) + 2);
    }
    result.inputs = std::move(arguments);
    return result;
}

std::string usage_text(const std::string& command) {
    return "\n" + command + " optimizes linkage clustering\n"
           "\n"
           "Version: " TARVIX_VERSION "\n"
           "\n"
           "Usage: " + command + " [options] inputfile(s)\n"
           "\n"
           "Options:\n"
           "  -a  Maximum threshold.\n"
           "  -c  Reference clustering for calculating input cluster quality.\n"
           "  -f  Fraction of links required for cluster fusion.\n"
           "  -i  Minimum threshold.\n"
           "  -j  Reference partition for jackknifing optimization.\n"
           "  -k  Fraction to delete when jackknifing.\n"
           "  -l  Print labels of distance matrix.\n"
           "  -o  Reference partition for optimization.\n"
           "  -n  Number of jackknifing replicates.\n"
           "  -p  Distances are in normal PHYLIP format.\n"
           "  -r  Reference partition for calculating similarities to input partitions.\n"
           "  -s  Step width for threshold values.\n"
           "  -t  Distances are in tab-separated format.\n"
           "  -v  Verbose output.\n"
           "  -w  Random seed for jackknifing.\n"
           "  -x  Distances are in extended PHYLIP format (default).\n"
           "\n"
           "Written by the tarvix developers; report problems through the project's issue tracker.\n"
           "\n";
}

namespace {

// One line of the option table of the help; a second meaning line, when
// given, goes under the first.
struct HelpRow {
    const char* option;
    const char* meaning;
    const char* default_value;
    const char* accepted;
    const char* more = "";
};

// clang-format off
constexpr HelpRow help_rows[] = {
    {"-i REAL", "minimum threshold",                  "0",         "0 or more"},
    {"-a REAL", "maximum threshold",                  "0",         "0 or more"},
    {"-s REAL", "step between thresholds",            "0.01",      "above 0"},
    {"-f REAL", "fraction of links for a fusion",     "0",         "-1 .. 1",
                "(0 single, 1 complete linkage; below 0 cliques)"},
    {"-q",      "order equal distances by row sums",  "off",       ""},
    {"-y",      "shortest paths in the relative",     "off",       "",
                "neighbourhood graph, before clustering"},
    {"-x",      "extended PHYLIP input layout",       "on",        ""},
    {"-p",      "PHYLIP input layout",                "off",       ""},
    {"-t",      "tab-separated input layout",         "off",       ""},
    {"-v",      "verbose: whole tables (-o, -h, -j)", "off",       ""},
    {"-1 REAL", "four-count indices, this weight",    "unset",     "0 .. 1"},
    {"-n INT",  "jackknife replicates",               "100",       "1 or more"},
    {"-k REAL", "share of taxa deleted per replicate", "1/e=0.368", "0 .. 1"},
    {"-w INT",  "jackknife random seed",              "12051973",  "32-bit"},
    {"-b INT",  "guide graph: 0 NNG, 1 MST, 2 RNG,",  "2",         "0 .. 6",
                "3 GG, 4 RNG_SOIG, 5 SOIG, 6 MSN"},
    {"-z INT",  "trimming: 0 none, 1 Z_SCORE",        "0",         "0 .. 1"},
    {"-u INT",  "long-edge rule: 0 off, 1 on",        "1",         "0 .. 1"},
    {"-m INT",  "merge: 0 MAXIMUM, 1 MAX_MIN, 2 none",  "2",         "0 .. 2"},
};
// clang-format on

std::string padded(std::string text, std::size_t width) {
    if (text.size() < width) text.resize(width, ' ');
    return text;
}

std::string option_table() {
    std::string table = padded("Options", 50) + padded("default", 12) + "accepted\n";
    for (const HelpRow& row : help_rows) {
        std::string line = "  " + padded(row.option, 10) + padded(row.meaning, 38) +
                           padded(row.default_value, 12) + row.accepted;
        while (!line.empty() && line.back() == ' ') line.pop_back();
        table += line + "\n";
        if (*row.more) table += std::string(12, ' ') + row.more + "\n";
    }
    return table;
}

}  // namespace

// The help: what every option sets, with its default and the values it
// accepts, the run modes and the option that selects each, and a few runs on
// the example data; within 80 columns.
std::string help_text(const std::string& command) {
    return "Usage: " + command + " [options] inputfile(s)\n"
           "\n"
           "Clusters the taxa of distance matrices by threshold clustering and rates the\n"
           "clusterings. Each input (- for standard input) may hold several matrices;\n"
           "reports go to standard output. The leftmost occurrence of an option decides\n"
           "its value, the leftmost mode option the run mode. FILE is a partition file\n"
           "(label, then one group name per partition, tab-separated; - for stdin).\n"
           "\n"
           "Run modes:\n"
           "  (none)    the clusters at the minimum threshold -i and their qualities\n"
           "  -o FILE   best threshold of each index against FILE's partitions\n"
           "  -d M2     with -o NAMES: best threshold by the Calinski-Harabasz criterion\n"
           "            on matrix M2 (NAMES: each label, tab, its label in M2)\n"
           "  -h        best threshold by that criterion on each matrix itself\n"
           "  -j FILE   jackknife: the -o optimisation on replicates with taxa deleted\n"
           "  -c FILE   qualities of the clusters of each partition of FILE\n"
           "  -e FILE   qualities of FILE's first partition corrected by the distances\n"
           "  -g FILE   clustering guided by each partition of FILE\n"
           "  -r FILE   the inputs are partition files, compared with FILE's partitions\n"
           "  -l        the labels of each matrix\n"
           "\n" +
           option_table() +
           "\n"
           "Examples (the data is in share/doc/tarvix/examples under the install prefix):\n"
           "  tarvix -o taxa30_ref.txt -a 0.3 -s 0.01 taxa30.dst\n"
           "  tarvix -j taxa30_ref.txt -n 100 -a 0.3 -s 0.01 taxa30.dst\n"
           "  tarvix -o taxa30_ref.txt -a 0.3 -s 0.01 -v taxa30.dst | tarvix-plot > t.svg\n"
           "\n"
           "-h is the internal optimisation, not help. Everything in detail: man tarvix\n";
}

std::string version_line() { return "tarvix " TARVIX_VERSION "\n"; }

void settle_threshold_range(Settings& s) {
    if (s.mode == RunMode::single_threshold_quality) {
        s.maximum_threshold = s.minimum_threshold;
    } else if (s.minimum_threshold > s.maximum_threshold) {
        s.maximum_threshold = s.minimum_threshold;
    }
}

}  // namespace tarvix
