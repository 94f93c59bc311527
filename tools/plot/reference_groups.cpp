#include "reference_groups.hpp"

#include <set>

#include "line_reader.hpp"
#include "phylo/io/partition_file.hpp"
#include "text_utils/text_utils.hpp"

namespace tarvix::plot {

namespace {

// Fields are split and group names cleaned as tarvix reads the file, so that
// the counts are those of the groups tarvix sees.
const text_utils::CharacterSet tabs = text_utils::to_set("\t");
const text_utils::CharacterSet quotes = text_utils::to_set("\"");

}  // namespace

std::vector<std::size_t> count_reference_groups(std::istream& in, const std::string& source) {
    LineReader lines(in, source);
    std::vector<std::set<std::string>> names;
    std::size_t width = 0;
    while (std::optional<std::string> line = lines.next()) {
        if (line->find_first_not_of(" \t") == std::string::npos) continue;
        const std::vector<std::string> fields = text_utils::split(*line, tabs, quotes);
        if (width == 0) {
            width = fields.size();
            if (width < 2) throw lines.error("a reference partition file has group names after each label");
            names.resize(width - 1);
        } else if (fields.size() != width) {
            throw lines.error(std::to_string(fields.size()) + " fields where the first line has " +
                              std::to_string(width));
        }
        for (std::size_t k = 1; k < width; ++k) names[k - 1].insert(phylo::io::partition_file::clean(fields[k]));
    }
    if (width == 0) throw InputError(source + ": no partition in the reference file");
    std::vector<std::size_t> counts;
    for (const auto& column : names) counts.push_back(column.size());
    return counts;
}

}  // namespace tarvix::plot
