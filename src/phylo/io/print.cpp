#include "phylo/io/print.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "phylo/errors.hpp"

namespace phylo::io::print {

namespace {

void append_special(std::string& text, const char* image, int fore, int aft) {
    const std::size_t start = text.size();
    text.append(image);
    const std::size_t width = static_cast<std::size_t>(fore + 1 + aft);
    if (text.size() - start < width) text.append(width - (text.size() - start), '*');
}

template <class Rows>
std::size_t check_shape(const Rows& rows, const Labels& labels) {
    if (rows.empty() || rows.front().empty()) throw RangeError("printing a table without values");
    std::size_t width = 0;
    for (const Label& label : labels) width = std::max(width, label.size());
    if (width == 0) throw RangeError("printing a table without row labels");
    return width;
}

void append_label(std::string& line, const Label& label, std::size_t width) {
    line.append(label);
    line.append(width - label.size(), ' ');
}

}  // namespace

void append_real(std::string& text, double value, int fore, int aft) {
    if (std::isnan(value)) return append_special(text, "NaN", fore, aft);
    if (std::isinf(value)) return append_special(text, value < 0 ? "-Inf" : "+Inf", fore, aft);
    char digits[400];
    const bool negative = std::signbit(value);
    const auto result = std::to_chars(digits, digits + sizeof digits, std::fabs(value),
                                      std::chars_format::fixed, aft);
    const std::string_view image(digits, static_cast<std::size_t>(result.ptr - digits));
    const std::size_t point = image.find('.');
    const std::size_t integer_width = (point == std::string_view::npos ? image.size() : point) + (negative ? 1 : 0);
    if (integer_width < static_cast<std::size_t>(fore)) text.append(static_cast<std::size_t>(fore) - integer_width, ' ');
    if (negative) text.push_back('-');
    text.append(image);
}

void append_integer(std::string& text, std::int64_t value) {
    if (value >= 0) text.push_back(' ');
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    text.append(digits, result.ptr);
}

void put(Output& out, const RealData& table, int fore, int aft) {
    const std::size_t width = check_shape(table.rows, table.labels);
    std::string line;
    for (std::size_t i = 0; i < table.rows.size(); ++i) {
        line.clear();
        append_label(line, table.labels[i], width);
        for (double value : table.rows[i]) {
            line.push_back('\t');
            append_real(line, value, fore, aft);
        }
        line.push_back('\n');
        out.write(line);
    }
}

void put(Output& out, const CountData& table) {
    const std::size_t width = check_shape(table.rows, table.labels);
    std::string line;
    for (std::size_t i = 0; i < table.rows.size(); ++i) {
        line.clear();
        append_label(line, table.labels[i], width);
        for (std::int32_t value : table.rows[i]) {
            line.push_back('\t');
            append_integer(line, value);
        }
        line.push_back('\n');
        out.write(line);
    }
}

void put(Output& out, const BooleMatrix& graph) {
    const std::size_t n = graph.size();
    std::string line;
    for (std::size_t i = 0; i < n; ++i) {
        line.clear();
        for (std::size_t k = 0; k < n; ++k) line += graph(i, k) ? "\tTRUE" : "\tFALSE";
        line += '\n';
        out.write(line);
    }
}

void put_labels(Output& out, const Squared& matrix) {
    for (const Label& label : matrix.labels) {
        out.write(label);
        out.put('\n');
    }
    out.put('\n');
}

}  // namespace phylo::io::print
