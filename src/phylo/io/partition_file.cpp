#include "phylo/io/partition_file.hpp"

#include "phylo/errors.hpp"
#include "phylo/number_images.hpp"
#include "text_utils/text_utils.hpp"

namespace phylo::io::partition_file {

std::string clean(std::string_view field) {
    const std::size_t first = field.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::size_t last = field.find_last_not_of(' ');
    std::string result(field.substr(first, last - first + 1));
    for (char& c : result)
        if (c == ' ') c = '_';
    return result;
}

namespace {

std::string fields_count_text(std::size_t count) {
    return decimal(static_cast<long long>(count)) + (count == 1 ? " field" : " fields");
}

}  // namespace

GroupNameTable get(TextInput& input, char separator, char quote, std::vector<std::size_t>* line_numbers) {
    const auto separators = text_utils::to_set(std::string_view(&separator, 1));
    const auto quotes = text_utils::to_set(std::string_view(&quote, 1));
    GroupNameTable table;
    long long line_number = 0;
    long long first_line = 0;
    std::size_t field_count = 0;
    if (line_numbers != nullptr) line_numbers->clear();
    while (!input.at_end()) {
        const std::string line = input.read_line();
        ++line_number;
        if (line.empty()) continue;
        std::vector<std::string> fields = text_utils::split(line, separators, quotes);
        if (table.empty()) {
            field_count = fields.size();
            first_line = line_number;
        } else if (fields.size() != field_count) {
            NamedError failure("PHYLO.TAXONOMY.GET.TRAVERSE_FILE.NF_ERROR",
                               input.name() + ": line " + integer_image(line_number));
            failure.set_subject(input.name());
            failure.set_detail("line " + decimal(line_number) + " holds " + fields_count_text(fields.size()) +
                               ", line " + decimal(first_line) + " holds " + fields_count_text(field_count) +
                               ": every line holds a label and then one group name per partition, separated by "
                               "tabs (blanks do not separate fields; a trailing tab adds an empty field)");
            throw failure;
        }
        if (line_numbers != nullptr) line_numbers->push_back(static_cast<std::size_t>(line_number));
        GroupNameRow row;
        row.reserve(fields.size());
        for (const std::string& field : fields) row.push_back(clean(field));
        table.push_back(std::move(row));
    }
    return table;
}

GroupNameTable get_transposed(TextInput& input, char separator, char quote,
                              std::vector<std::size_t>* line_numbers) {
    return partition_file::transpose(get(input, separator, quote, line_numbers));
}

GroupNameTable transpose(const GroupNameTable& table) {
    if (table.empty()) throw IndexError("transposing a table without rows");
    const std::size_t columns = table.front().size();
    for (const GroupNameRow& row : table)
        if (row.size() != columns) throw SizeError(size_error::group_names, "transposing rows of different lengths");
    GroupNameTable result(columns, GroupNameRow(table.size()));
    for (std::size_t i = 0; i < table.size(); ++i)
        for (std::size_t j = 0; j < columns; ++j) result[j][i] = table[i][j];
    return result;
}

}  // namespace phylo::io::partition_file
