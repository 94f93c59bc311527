#include "block_titles.hpp"

#include <algorithm>

namespace tarvix::plot {

bool all_similarity_indices(const std::vector<std::string>& labels) {
    return std::all_of(labels.begin(), labels.end(), [](const std::string& label) {
        const LabelParts parts = split_label(label);
        return parts.block && is_similarity_index(parts.index);
    });
}

std::string block_title(const std::vector<Block>& blocks, std::size_t b, const std::vector<std::string>& labels) {
    if (all_similarity_indices(labels) && blocks.size() >= 2) {
        const std::size_t references = blocks.size() - 1;
        if (b == references)
            return "Mean over the " + std::to_string(references) + " reference partition" +
                   (references == 1 ? "" : "s");
        return "Reference partition " + std::to_string(b + 1) + " (column " + std::to_string(b + 2) +
               " of the reference file)";
    }
    const std::vector<std::size_t>& columns = blocks[b].columns;
    if (columns.size() == 1 && split_label(labels[columns.front()]).index == "Cal._Har.")
        return "Calinski\u2013Harabasz criterion (" + labels[columns.front()] + ")";
    std::string title;
    for (const std::size_t c : blocks[b].columns) title += (title.empty() ? "" : ", ") + labels[c];
    return title;
}

}  // namespace tarvix::plot
