#include "reference_groups.hpp"

#include <set>

#include "line_reader.hpp"

namespace tarvix::plot {

namespace {

// Tab-separated fields; a field in double quotes may hold tabs.
std::vector<std::string> partition_fields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (const char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (c == '\t' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

}  // namespace

std::vector<std::size_t> count_reference_groups(std::istream& in, const std::string& source) {
    LineReader lines(in, source);
    std::vector<std::set<std::string>> names;
    std::size_t width = 0;
    while (std::optional<std::string> line = lines.next()) {
        if (line->find_first_not_of(" \t") == std::string::npos) continue;
        const std::vector<std::string> fields = partition_fields(*line);
        if (width == 0) {
            width = fields.size();
            if (width < 2) throw lines.error("a reference partition file has group names after each label");
            names.resize(width - 1);
        } else if (fields.size() != width) {
            throw lines.error(std::to_string(fields.size()) + " fields where the first line has " +
                              std::to_string(width));
        }
        for (std::size_t k = 1; k < width; ++k) names[k - 1].insert(fields[k]);
    }
    if (width == 0) throw InputError(source + ": no partition in the reference file");
    std::vector<std::size_t> counts;
    for (const auto& column : names) counts.push_back(column.size());
    return counts;
}

}  // namespace tarvix::plot
