#include "table.hpp"

#include <cmath>
#include <string_view>

#include "line_reader.hpp"
#include "printed_number.hpp"

namespace tarvix::plot {

namespace {

constexpr std::string_view threshold_heading = "Threshold";
constexpr std::string_view replicate_heading = "Replicate";
constexpr std::string_view clusters_label = "No._Clusters";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool is_blank(const std::string& line) { return trimmed(line).empty(); }

std::vector<std::string> split_tabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start)) {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

// The start of an offending line, quoted, short enough for one message line.
std::string quoted(std::string_view text) {
    constexpr std::size_t shown = 40;
    std::string result = "\"";
    for (const char c : text.substr(0, shown)) result += (c == '\t') ? ' ' : c;
    return result + (text.size() > shown ? "...\"" : "\"");
}

bool is_header(const std::string& line) {
    const std::vector<std::string> fields = split_tabs(line);
    if (fields.size() < 2) return false;
    const std::string_view first = trimmed(fields.front());
    return first == threshold_heading || first == replicate_heading;
}

// One data row: the number in its label field and the values after it.
struct Row {
    double label = 0;
    std::vector<double> values;
};

double read_value(const LineReader& lines, const std::string& field, const std::string& column) {
    const std::optional<double> value = parse_printed_number(field);
    if (!value) throw lines.error("column " + column + ": " + quoted(field) + " is not a number");
    return *value;
}

// Threshold rows carry the threshold in fixed point; the partition similarity
// report has the same header but numbers its rows 1, 2, ... instead.
void check_threshold_label(const LineReader& lines, const std::string& field, double label) {
    if (!std::isfinite(label)) throw lines.error("the threshold " + quoted(trimmed(field)) + " is not finite");
    if (field.find('.') == std::string::npos)
        throw lines.error("the row label " + quoted(trimmed(field)) +
                          " is no threshold (a partition similarity report of tarvix -r cannot be plotted)");
}

// Reads the rows after a header, up to the blank line (or the end of the
// input, or the next header) that ends the table.
std::vector<Row> read_rows(LineReader& lines, const std::vector<std::string>& header) {
    const std::size_t header_line = lines.line_number();
    const bool thresholds = trimmed(header.front()) == threshold_heading;
    std::vector<Row> rows;
    while (std::optional<std::string> line = lines.next()) {
        if (is_blank(*line)) break;
        if (is_header(*line)) {
            lines.put_back(std::move(*line));
            break;
        }
        const std::vector<std::string> fields = split_tabs(*line);
        if (fields.size() != header.size())
            throw lines.error(std::to_string(fields.size()) + " fields where the header on line " +
                              std::to_string(header_line) + " has " + std::to_string(header.size()));
        Row row;
        row.label = read_value(lines, fields.front(), std::string(trimmed(header.front())));
        if (thresholds) check_threshold_label(lines, fields.front(), row.label);
        for (std::size_t i = 1; i < fields.size(); ++i) row.values.push_back(read_value(lines, fields[i], header[i]));
        rows.push_back(std::move(row));
    }
    if (rows.empty()) throw lines.error_at(header_line, "the table has no rows");
    return rows;
}

ThresholdTable read_threshold_table(LineReader& lines, const std::vector<std::string>& header) {
    if (header.size() < 3 || header[1] != clusters_label)
        throw lines.error("a threshold table needs the column No._Clusters and at least one index column");
    ThresholdTable table;
    table.first_line = lines.line_number();
    for (std::size_t i = 2; i < header.size(); ++i) table.columns.push_back({header[i], {}});
    for (const Row& row : read_rows(lines, header)) {
        table.thresholds.push_back(row.label);
        table.clusters.push_back(row.values[0]);
        for (std::size_t c = 0; c < table.columns.size(); ++c) table.columns[c].values.push_back(row.values[c + 1]);
    }
    return table;
}

JackknifeTable read_jackknife_table(LineReader& lines, const std::vector<std::string>& header) {
    if (header.size() < 5 || header.size() % 2 == 0)
        throw lines.error("a jackknife table needs the column pair No._Clusters and pairs of index columns");
    for (std::size_t i = 1; i < header.size(); i += 2) {
        if (header[i] != header[i + 1])
            throw lines.error("the columns " + quoted(header[i]) + " and " + quoted(header[i + 1]) +
                              " should form a pair (best value, threshold) of one index");
    }
    if (header[1] != clusters_label) throw lines.error("a jackknife table starts with the column pair No._Clusters");
    JackknifeTable table;
    table.first_line = lines.line_number();
    table.clusters.label = header[1];
    for (std::size_t i = 3; i < header.size(); i += 2) table.columns.push_back({header[i], {}, {}});
    for (const Row& row : read_rows(lines, header)) {
        table.clusters.best_values.push_back(row.values[0]);
        table.clusters.best_thresholds.push_back(row.values[1]);
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
            table.columns[c].best_values.push_back(row.values[2 * c + 2]);
            table.columns[c].best_thresholds.push_back(row.values[2 * c + 3]);
        }
    }
    return table;
}

}  // namespace

std::vector<Table> read_tables(std::istream& in, const std::string& source) {
    LineReader lines(in, source);
    std::vector<Table> tables;
    while (std::optional<std::string> line = lines.next()) {
        if (is_blank(*line)) continue;
        if (!is_header(*line))
            throw lines.error("expected the header of a verbose tarvix table (\"Threshold \" or \"Replicate \" "
                              "first; run tarvix -o, -h or -j with -v), found " + quoted(*line));
        const std::vector<std::string> header = split_tabs(*line);
        if (trimmed(header.front()) == threshold_heading)
            tables.emplace_back(read_threshold_table(lines, header));
        else
            tables.emplace_back(read_jackknife_table(lines, header));
    }
    if (tables.empty()) throw InputError(source + ": no table in the input (run tarvix -o, -h or -j with -v)");
    return tables;
}

}  // namespace tarvix::plot
