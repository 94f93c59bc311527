#include "inputs.hpp"

#include <algorithm>
#include <istream>
#include <map>
#include <unordered_map>
#include <utility>

#include "phylo/io/partition_file.hpp"
#include "text_utils/text_utils.hpp"

namespace tarvix::compare {

namespace {

constexpr char tab = '\t';
// Partition files are split and cleaned as tarvix reads them.
const text_utils::CharacterSet tabs = text_utils::to_set("\t");
const text_utils::CharacterSet quotes = text_utils::to_set("\"");
constexpr std::size_t report_columns = 8;  // Object, Cluster_0 and six qualities

std::string line_of(const InputText& input, std::size_t line) {
    return input.name + ": line " + std::to_string(line);
}

// A label or token as a message shows it: whole when it is short, else its
// beginning, so that a binary file or an endless line cannot flood the screen.
std::string shown(std::string_view text) {
    constexpr std::size_t longest = 60;
    if (text.size() <= longest) return std::string(text);
    return std::string(text.substr(0, longest)) + "... (" + std::to_string(text.size()) + " characters)";
}

std::string fields_count(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " field" : " fields");
}

std::vector<std::string> split_at_tabs(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = line.find(tab, start);
        fields.emplace_back(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) return fields;
        start = end + 1;
    }
}

// tarvix pads labels with spaces to the longest one; no label of a matrix
// ends with a space, so the padding alone goes.
std::string strip_padding(std::string_view label) {
    const std::size_t end = label.find_last_not_of(' ');
    return std::string(end == std::string_view::npos ? std::string_view() : label.substr(0, end + 1));
}

// tarvix prints cluster numbers as reals with eight zero decimals
// (" 12.00000000"). Returns the number's digits without leading zeros, or
// an empty string when the field is not such a number.
std::string cluster_number(std::string_view field) {
    std::size_t i = field.find_first_not_of(' ');
    if (i == std::string_view::npos) return {};
    const std::size_t digits_start = i;
    while (i < field.size() && field[i] >= '0' && field[i] <= '9') ++i;
    std::string_view digits = field.substr(digits_start, i - digits_start);
    if (digits.empty()) return {};
    if (i < field.size()) {
        if (field[i] != '.' || i + 1 == field.size()) return {};
        if (field.find_first_not_of('0', i + 1) != std::string_view::npos) return {};
    }
    const std::size_t nonzero = digits.find_first_not_of('0');
    return std::string(nonzero == std::string_view::npos ? std::string_view("0") : digits.substr(nonzero));
}

// Without leading zeros, a shorter string of digits is a smaller number.
bool numerically_less(const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

bool is_report_header(const std::vector<std::string>& fields) {
    return fields.size() >= 2 && fields[0] == "Object" && (fields[1] == "Cluster_0" || fields[1] == "Cluster");
}

std::string without_carriage_return(const std::string& line) {
    return !line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line;
}

// One table of a report as read: the rows' labels, lines and cluster numbers.
struct ReportTable {
    std::vector<std::string> labels;
    std::vector<std::size_t> lines;
    std::vector<std::string> numbers;
};

LabelledPartition partition_of(const ReportTable& table, std::string origin) {
    LabelledPartition partition;
    partition.origin = std::move(origin);
    partition.labels = table.labels;
    partition.lines = table.lines;
    std::vector<std::string> numbers = table.numbers;
    std::sort(numbers.begin(), numbers.end(), numerically_less);
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    std::map<std::string, std::size_t, decltype(&numerically_less)> index(numerically_less);
    for (std::size_t g = 0; g < numbers.size(); ++g) index.emplace(numbers[g], g);
    for (const std::string& number : table.numbers) partition.group_of.push_back(index.at(number));
    partition.group_names = std::move(numbers);
    return partition;
}

// Labels that a partition file can never hold explain most mismatches.
std::string label_hint(const std::string& label) {
    if (!label.empty() && label.back() == '\r')
        return " (the label ends with a carriage return: the file has DOS line ends; convert it with dos2unix)";
    if (label.find(' ') != std::string::npos)
        return " (the label holds a space, which a partition file turns into _)";
    return {};
}

}  // namespace

InputText read_lines(std::istream& in, const std::string& name) {
    InputText input{name, {}};
    std::string line;
    while (std::getline(in, line)) input.lines.push_back(line);
    if (in.bad()) throw InputError("cannot read " + name + "; check that it is a readable file");
    return input;
}

bool is_cluster_report(const InputText& input) {
    for (const std::string& line : input.lines) {
        const std::string text = without_carriage_return(line);
        if (!text.empty()) return is_report_header(split_at_tabs(text));
    }
    return false;
}

std::vector<LabelledPartition> read_cluster_report(const InputText& input) {
    std::vector<ReportTable> tables;
    bool in_table = false;
    std::size_t header_line = 0;
    std::unordered_map<std::string, std::size_t> seen;  // label -> line, within the table
    auto end_table = [&] {
        if (in_table && tables.back().labels.empty())
            throw InputError(line_of(input, header_line) + ": the table that starts here has no object rows");
        in_table = false;
    };
    for (std::size_t i = 0; i < input.lines.size(); ++i) {
        const std::size_t line = i + 1;
        const std::string text = without_carriage_return(input.lines[i]);
        if (text.empty()) {
            end_table();
            continue;
        }
        const std::vector<std::string> fields = split_at_tabs(text);
        if (!in_table) {
            if (!is_report_header(fields))
                throw InputError(line_of(input, line) +
                                 ": expected the header of a table of tarvix -i (Object, Cluster_0, ...); "
                                 "the file must hold nothing but such tables, each followed by an empty line");
            if (fields.size() != report_columns)
                throw InputError(line_of(input, line) + ": the header has " + std::to_string(fields.size()) +
                                 " columns where the single-threshold report of tarvix -i has " +
                                 std::to_string(report_columns) + "; give that report or a partition file");
            tables.emplace_back();
            seen.clear();
            in_table = true;
            header_line = line;
            continue;
        }
        if (fields.size() != report_columns)
            throw InputError(line_of(input, line) + " has " + fields_count(fields.size()) + " where the header on line " +
                             std::to_string(header_line) + " has " + std::to_string(report_columns) +
                             "; give the report as tarvix printed it");
        const std::string label = strip_padding(fields[0]);
        if (label.empty()) throw InputError(line_of(input, line) + ": the object label is empty");
        const std::string number = cluster_number(fields[1]);
        if (number.empty())
            throw InputError(line_of(input, line) + ": the cluster number '" + shown(fields[1]) +
                             "' is not a whole number as tarvix prints it (like 3.00000000)");
        if (const auto [at, fresh] = seen.emplace(label, line); !fresh)
            throw InputError(line_of(input, line) + ": the label " + shown(label) + " appears again (first on line " +
                             std::to_string(at->second) + "); each object may appear once per table");
        ReportTable& table = tables.back();
        table.labels.push_back(label);
        table.lines.push_back(line);
        table.numbers.push_back(number);
    }
    end_table();
    if (tables.empty()) throw InputError(input.name + " holds no table");

    std::vector<LabelledPartition> partitions;
    for (std::size_t t = 0; t < tables.size(); ++t) {
        std::string origin = tables.size() == 1 ? input.name : input.name + " (table " + std::to_string(t + 1) + ")";
        partitions.push_back(partition_of(tables[t], std::move(origin)));
    }
    return partitions;
}

LabelledPartition read_partition_column(const InputText& input, std::size_t column, std::string_view option) {
    LabelledPartition partition;
    partition.origin = input.name;
    std::size_t field_count = 0;
    std::size_t first_line = 0;
    std::unordered_map<std::string, std::size_t> seen;  // label -> line
    std::unordered_map<std::string, std::size_t> groups;
    for (std::size_t i = 0; i < input.lines.size(); ++i) {
        const std::size_t line = i + 1;
        if (input.lines[i].empty()) continue;
        const std::vector<std::string> fields = text_utils::split(input.lines[i], tabs, quotes);
        if (first_line == 0) {
            first_line = line;
            field_count = fields.size();
            if (field_count < 2)
                throw InputError(line_of(input, line) +
                                 " has no partition column; each line needs the label, a tab and a group name");
            if (column > field_count - 1)
                throw InputError(input.name + " has no partition column " + std::to_string(column) + " (it has " +
                                 std::to_string(field_count - 1) + "); choose one with " + std::string(option));
        } else if (fields.size() != field_count) {
            throw InputError(line_of(input, line) + " has " + fields_count(fields.size()) + " where line " +
                             std::to_string(first_line) + " has " + std::to_string(field_count) +
                             "; every line needs the label and one group name per partition column, separated by tabs");
        }
        std::string label = phylo::io::partition_file::clean(fields[0]);
        if (label.empty()) throw InputError(line_of(input, line) + ": the object label is empty");
        if (const auto [at, fresh] = seen.emplace(label, line); !fresh)
            throw InputError(line_of(input, line) + ": the label " + shown(label) + " appears again (first on line " +
                             std::to_string(at->second) + "); each object may appear only once");
        std::string group = phylo::io::partition_file::clean(fields[column]);
        const auto [at, fresh] = groups.emplace(group, partition.group_names.size());
        if (fresh) partition.group_names.push_back(std::move(group));
        partition.labels.push_back(std::move(label));
        partition.lines.push_back(line);
        partition.group_of.push_back(at->second);
    }
    if (first_line == 0) throw InputError(input.name + " holds no object; give a partition file with one line per object");
    return partition;
}

std::vector<std::size_t> align_reference(const LabelledPartition& clustering, const LabelledPartition& reference) {
    std::unordered_map<std::string_view, std::size_t> reference_index;
    for (std::size_t i = 0; i < reference.labels.size(); ++i) reference_index.emplace(reference.labels[i], i);
    std::vector<std::size_t> group_of;
    group_of.reserve(clustering.labels.size());
    for (std::size_t i = 0; i < clustering.labels.size(); ++i) {
        const std::string& label = clustering.labels[i];
        const auto found = reference_index.find(label);
        if (found == reference_index.end())
            throw InputError(reference.origin + ": no line for the object " + shown(label) + " of " + clustering.origin +
                             " (line " + std::to_string(clustering.lines[i]) + ")" + label_hint(label) +
                             "; both inputs must hold the same objects");
        group_of.push_back(reference.group_of[found->second]);
    }
    // Labels are unique on both sides, so equal counts mean equal sets.
    if (reference.labels.size() != clustering.labels.size()) {
        std::unordered_map<std::string_view, std::size_t> clustering_index;
        for (std::size_t i = 0; i < clustering.labels.size(); ++i) clustering_index.emplace(clustering.labels[i], i);
        for (std::size_t i = 0; i < reference.labels.size(); ++i) {
            const std::string& label = reference.labels[i];
            if (!clustering_index.contains(label))
                throw InputError(clustering.origin + ": no row for the object " + shown(label) + " of " + reference.origin +
                                 " (line " + std::to_string(reference.lines[i]) + ")" + label_hint(label) +
                                 "; both inputs must hold the same objects");
        }
    }
    return group_of;
}

}  // namespace tarvix::compare
