#include "driver/diagnosis.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "phylo/io/read_failure.hpp"
#include "phylo/number_images.hpp"
#include "phylo/partitions/partitions.hpp"

namespace tarvix {

namespace {

using phylo::io::read::shown;

std::string line_of(const std::vector<std::size_t>& lines, std::size_t row) {
    return row < lines.size() ? "line " + phylo::decimal(lines[row]) : "row " + phylo::decimal(row + 1);
}

// Up to listed_labels items joined by ", ", with the count of the rest.
class Listing {
public:
    void add(std::string item) {
        ++count_;
        if (count_ <= listed_labels) text_ += (text_.empty() ? "" : ", ") + item;
    }
    bool empty() const { return count_ == 0; }
    std::size_t count() const { return count_; }
    std::string text() const {
        if (count_ <= listed_labels) return text_;
        return text_ + " and " + phylo::decimal(count_ - listed_labels) + " more";
    }

private:
    std::string text_;
    std::size_t count_ = 0;
};

bool looks_like_number(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789.eE+-") == std::string::npos;
}

// A first line that names no object is a header line when every other line
// names one, or when it holds a word that header lines hold.
bool looks_like_header(const phylo::GroupNameRow& listed,
                       const std::unordered_map<std::string, std::size_t>& in_matrix) {
    static const std::array<std::string_view, 16> words = {
        "taxon", "taxa",    "label", "labels",  "name",   "names",    "strain",   "strains",
        "genome", "genomes", "id",    "sample", "species", "genus", "organism", "accession"};
    std::string first;
    for (const char c : listed.front())
        first.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    while (!first.empty() && (first.front() == '#' || first.front() == '_')) first.erase(first.begin());
    if (std::find(words.begin(), words.end(), first) != words.end()) return true;
    if (listed.size() < 2) return false;
    return std::all_of(listed.begin() + 1, listed.end(),
                       [&](const std::string& label) { return in_matrix.count(label) != 0; });
}

}  // namespace

std::string reference_mismatch(const phylo::Labels& labels, const phylo::GroupNameTable& reference,
                               const std::vector<std::size_t>& lines, const char* labelled) {
    if (reference.empty()) return "the file holds no line";
    const phylo::GroupNameRow& listed = reference.front();
    const std::string subject(labelled);
    std::unordered_map<std::string, std::size_t> in_matrix;
    Listing twice_in_matrix;
    for (std::size_t i = 0; i < labels.size(); ++i)
        if (!in_matrix.emplace(labels[i], i).second)
            twice_in_matrix.add(shown(labels[i]) + " (rows " + phylo::decimal(in_matrix[labels[i]] + 1) + " and " +
                                phylo::decimal(i + 1) + ")");

    std::unordered_map<std::string, std::size_t> in_file;
    Listing repeated;
    Listing unknown;
    std::string header;
    for (std::size_t r = 0; r < listed.size(); ++r) {
        const std::string& label = listed[r];
        const auto [first, fresh] = in_file.emplace(label, r);
        if (!fresh) {
            repeated.add(line_of(lines, r) + " " + shown(label) + " (also " + line_of(lines, first->second) + ")");
            continue;
        }
        if (in_matrix.count(label) != 0) continue;
        if (r == 0 && looks_like_header(listed, in_matrix)) {
            std::string fields;
            for (std::size_t c = 0; c < reference.size() && c < 4; ++c) {
                if (c > 0) fields.push_back(' ');
                fields += shown(reference[c][0]);
            }
            header = line_of(lines, 0) + " (" + fields + ") looks like a header line: a partition file has none; "
                     "delete it";
            continue;
        }
        unknown.add(line_of(lines, r) + " " + shown(label));
    }
    Listing missing;
    for (const phylo::Label& label : labels)
        if (in_file.count(label) == 0) missing.add(shown(label));

    std::string text;
    const auto part = [&text](const std::string& more) { text += (text.empty() ? "" : "; ") + more; };
    if (!header.empty()) part(header);
    if (!repeated.empty()) part("listed twice: " + repeated.text());
    if (!unknown.empty()) part("not labels of " + subject + ": " + unknown.text());
    if (!missing.empty()) part("labels of " + subject + " missing here: " + missing.text());
    if (!twice_in_matrix.empty()) part(subject + " holds labels twice: " + twice_in_matrix.text());
    if (text.empty()) return "the first column does not list the labels of " + subject + " once each";
    if (unknown.count() == 1 && missing.count() == 1) text += " (a typo?)";
    return text + "; the first column must list every label of " + subject + " exactly once";
}

std::string one_column_reference(const phylo::GroupNameTable& reference, const std::vector<std::size_t>& lines) {
    if (reference.empty() || reference.front().empty()) return "the file holds no line";
    const std::string& first = reference.front().front();
    if (looks_like_number(first))
        return line_of(lines, 0) + " holds only " + shown(first) +
               ": this looks like a distance matrix; the reference partition file goes after its option, the "
               "matrices after all options";
    for (std::size_t r = 0; r < reference.front().size(); ++r)
        if (reference.front()[r].find('_') != std::string::npos)
            return "no line holds a tab: fields are separated by tabs, and " + line_of(lines, r) + " " +
                   shown(reference.front()[r]) + " seems to use blanks; write label, tab, group name";
    return "every line holds a label only: add a tab and the group name of the object";
}

phylo::PartitionSet reference_partitions(const RunContext& context, const phylo::Labels& labels,
                                         const char* labelled) {
    try {
        return phylo::partitions::to_group_numbers(labels, context.reference);
    } catch (phylo::Error& failure) {
        if (failure.detail().empty()) {
            failure.set_subject(context.reference_name);
            // A file without a partition column is the wrong file (a matrix,
            // a list of labels) more often than one with wrong labels.
            failure.set_detail(context.reference.size() < 2
                                   ? one_column_reference(context.reference, context.reference_lines)
                                   : reference_mismatch(labels, context.reference, context.reference_lines, labelled));
        }
        throw;
    }
}

std::string name_table_mismatch(const phylo::Labels& labels, const phylo::GroupNameTable& names,
                                const std::vector<std::size_t>& lines, const phylo::Labels& second_labels) {
    if (names.empty()) return "the file holds no line";
    const std::unordered_set<std::string> first(names.front().begin(), names.front().end());
    const std::unordered_set<std::string> matrix(labels.begin(), labels.end());
    if (first != matrix || first.size() != names.front().size() || matrix.size() != labels.size())
        return reference_mismatch(labels, names, lines, "the matrix");
    const std::unordered_set<std::string> second(second_labels.begin(), second_labels.end());
    Listing unknown;
    for (std::size_t c = 1; c < names.size(); ++c)
        for (std::size_t r = 0; r < names[c].size(); ++r)
            if (second.count(names[c][r]) == 0)
                unknown.add(line_of(lines, r) + " " + shown(names[c][r]));
    if (unknown.empty()) return {};
    return "not labels of the second matrix (-d): " + unknown.text() +
           "; the second column names each object as the second matrix labels it";
}

void name_objects(phylo::NegativeDistance& failure, const phylo::Labels& labels) {
    if (failure.row() >= labels.size() || failure.column() >= labels.size()) return;
    failure.set_detail("the distance between " + shown(labels[failure.row()]) + " (row " +
                       phylo::decimal(failure.row() + 1) + ") and " + shown(labels[failure.column()]) + " (row " +
                       phylo::decimal(failure.column() + 1) +
                       ") is negative; cluster qualities need distances of 0 or more: set such distances to 0 "
                       "(or correct the program that wrote them)");
}

void name_distance_out_of_range(phylo::Error& failure, const phylo::Squared& matrix) {
    if (!failure.detail().empty() || std::string(failure.what()).rfind("distance outside", 0) != 0) return;
    const std::size_t n = matrix.size();
    for (std::size_t i = 0; i < n; ++i) {
        const double* row = matrix.matrix.row(i);
        for (std::size_t k = i + 1; k < n; ++k) {
            if (row[k] >= 0.0 && row[k] <= std::numeric_limits<double>::max()) continue;
            failure.set_detail("the distance between " + shown(matrix.labels[i]) + " (row " + phylo::decimal(i + 1) +
                               ") and " + shown(matrix.labels[k]) + " (row " + phylo::decimal(k + 1) + ") is " +
                               phylo::real_image(row[k]) +
                               "; the graphs need distances from 0 to the largest double: set negative ones to 0");
            return;
        }
    }
}

void describe_unopened_input(phylo::InvalidFilename& failure, const std::string& argument, const char* role) {
    const bool missing = failure.detail() == "no such file";
    const bool option_like = argument.size() >= 2 && argument[0] == '-';
    if (missing && option_like) {
        failure.set_subject(argument);
        const char letter = argument[1];
        const bool known_letter = letter == '1' || (letter >= 'a' && letter <= 'z');
        if (argument.size() > 2 && known_letter) {
            failure.set_detail("unknown option " + argument + " (write " + argument.substr(0, 2) + " " +
                               argument.substr(2) + ": an option and its value are two words); no file of that "
                               "name either");
        } else {
            const bool long_form = argument.size() > 2 && argument[1] == '-';
            failure.set_detail(long_form ? "no option of tarvix (its options are single letters after one dash; "
                                           "--help and --version work only alone), and no file of that name either"
                                         : "no option of tarvix (its options are -1 and single lower-case letters: "
                                           "see tarvix --help), and no file of that name either");
        }
        return;
    }
    if (role != nullptr && !failure.detail().empty()) failure.set_detail(failure.detail() + " (" + role + ")");
}

}  // namespace tarvix
