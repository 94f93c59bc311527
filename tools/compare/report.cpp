#include "report.hpp"

#include <initializer_list>
#include <string_view>

namespace tarvix::compare {

namespace {

// What one cluster-group pair of the cluster table is.
const char* relation(const Comparison& comparison, const Overlap& overlap) {
    const bool merged = comparison.merged(overlap.cluster);
    const bool split = comparison.split(overlap.group);
    if (merged && split) return "merged_and_split";
    if (merged) return "merged";
    if (split) return "split";
    return "one_to_one";
}

void add_row(std::string& text, std::initializer_list<std::string_view> fields) {
    bool first = true;
    for (std::string_view field : fields) {
        if (!first) text += '\t';
        text += field;
        first = false;
    }
    text += '\n';
}

}  // namespace

std::string format_comparison(const Comparison& comparison, const LabelledPartition& clustering,
                              const LabelledPartition& reference) {
    using std::to_string;
    std::string text;
    auto first_member = [&](std::size_t cluster) -> const std::string& {
        return clustering.labels[comparison.first_member[cluster]];
    };

    add_row(text, {"Cluster", "Cluster_size", "First_member", "Reference_group", "Shared", "Group_size", "Relation"});
    for (std::size_t c = 0; c < comparison.groups_in_cluster.size(); ++c) {
        for (const Overlap& overlap : comparison.groups_in_cluster[c]) {
            add_row(text, {clustering.group_names[c], to_string(comparison.cluster_sizes[c]), first_member(c),
                           reference.group_names[overlap.group], to_string(overlap.shared),
                           to_string(comparison.group_sizes[overlap.group]), relation(comparison, overlap)});
        }
    }
    text += '\n';

    add_row(text, {"Split_group", "Group_size", "Cluster", "First_member", "Shared", "Cluster_size"});
    for (std::size_t g = 0; g < comparison.clusters_of_group.size(); ++g) {
        if (!comparison.split(g)) continue;
        for (const Overlap& overlap : comparison.clusters_of_group[g]) {
            add_row(text, {reference.group_names[g], to_string(comparison.group_sizes[g]),
                           clustering.group_names[overlap.cluster], first_member(overlap.cluster),
                           to_string(overlap.shared), to_string(comparison.cluster_sizes[overlap.cluster])});
        }
    }
    text += '\n';

    const Summary& s = comparison.summary;
    add_row(text, {"Objects", to_string(s.objects)});
    add_row(text, {"Clusters", to_string(s.clusters)});
    add_row(text, {"Reference_groups", to_string(s.groups)});
    add_row(text, {"Merged_clusters", to_string(s.merged_clusters)});
    add_row(text, {"Merged_groups", to_string(s.merged_groups)});
    add_row(text, {"Split_groups", to_string(s.split_groups)});
    add_row(text, {"Merged_and_split_groups", to_string(s.merged_and_split_groups)});
    add_row(text, {"One_to_one", to_string(s.one_to_one)});
    text += '\n';
    return text;
}

}  // namespace tarvix::compare
