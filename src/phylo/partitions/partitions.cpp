#include "phylo/partitions/partitions.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <memory>
#include <string>
#include <utility>

#include "phylo/errors.hpp"
#include "phylo/thresholds.hpp"
#include "phylo/partitions/label_map.hpp"
#include "phylo/number_images.hpp"
#include "text_utils/text_utils.hpp"

namespace phylo::partitions {

namespace {

// The matrix position of the object named in each header column. A header
// holding one label twice would leave another object without a group, so it
// is refused like a repeated key of a unique label map.
std::vector<std::int32_t> object_positions(const GroupNameRow& header, const partitions::TaxonNumbers& objects) {
    std::vector<std::int32_t> position(header.size());
    std::vector<bool> placed(header.size(), false);
    for (std::size_t c = 0; c < header.size(); ++c) {
        position[c] = objects.at(header[c]);
        if (placed[position[c]]) throw ContainerError("attempt to insert key already in map");
        placed[position[c]] = true;
    }
    return position;
}

[[noreturn]] void throw_gaps() { throw SizeError(size_error::refno_chars, "phylo-taxonomy:970"); }

std::string right_justified(const std::string& text, int width) {
    if (width < 0 || text.size() > static_cast<std::size_t>(width))
        throw RangeError("row label \"" + text + "\" does not fit in " + decimal(width) + " characters");
    return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

// A threshold label wider than its field (10 or more in ten characters) is
// kept whole: the printer widens the label column for it as for any longer
// label, so a verbose table of large distances is printed, not lost.
std::string right_justified_or_whole(const std::string& text, int width) {
    if (text.size() >= static_cast<std::size_t>(width)) return text;
    return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

std::string fixed_point(double value, int decimals) {
    if (!std::isfinite(value))
        throw RangeError("threshold " + real_image(value) + " cannot be written as a row label");
    // Room for the 309 integer digits of the largest double, a point and 255 decimals.
    std::array<char, 600> text;
    char* end =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, decimals).ptr;
    return std::string(text.data(), end);
}

}  // namespace

bool is_aligned(const PartitionSet& set) {
    if (set.empty()) throw IndexError("empty partition set");
    if (std::any_of(set.begin(), set.end(), [](const PartitionRef& p) { return !p; }))
        throw IndexError("absent partition in a partition set");
    const std::size_t length = set.front()->size();
    return std::all_of(set.begin(), set.end(), [&](const PartitionRef& p) { return p->size() == length; });
}

bool is_aligned(const GroupNameTable& table) {
    return std::all_of(table.begin(), table.end(),
                       [&](const GroupNameRow& row) { return row.size() == table.front().size(); });
}

PartitionSet to_group_numbers(const Labels& labels, const GroupNameTable& table) {
    if (table.empty()) throw IndexError("the group-name table has no rows");
    if (!is_aligned(table)) throw SizeError(size_error::group_names, "phylo-taxonomy:350");
    const GroupNameRow& header = table.front();
    if (header.size() != labels.size()) throw SizeError(size_error::group_names, "phylo-taxonomy:356");
    const partitions::TaxonNumbers objects = partitions::to_map(labels, partitions::MapMode::UNIQUE);

    PartitionSet result;
    if (table.size() == 1) return result;  // no partition to place, so the header is never looked up
    const std::vector<std::int32_t> position = object_positions(header, objects);
    result.reserve(table.size() - 1);
    for (std::size_t r = 1; r < table.size(); ++r) {
        const GroupNameRow& names = table[r];
        const partitions::TaxonNumbers groups = partitions::to_map(names, partitions::MapMode::GROUPING);
        Partition partition(labels.size());
        for (std::size_t c = 0; c < names.size(); ++c) partition[position[c]] = groups.at(names[c]);
        result.push_back(std::make_shared<const Partition>(std::move(partition)));
    }
    return result;
}

std::int32_t number_of_groups(const Partition& partition) {
    if (partition.empty()) throw IndexError("cannot count the groups of an empty partition");
    // G groups are exactly the numbers 0..G-1, each used at least once; so the
    // lowest number is 0 and the highest below the number of objects.
    const auto [lowest, highest] = std::minmax_element(partition.begin(), partition.end());
    if (*lowest < 0 || static_cast<std::size_t>(*highest) >= partition.size()) throw_gaps();
    std::vector<bool> used(static_cast<std::size_t>(*highest) + 1, false);
    std::int32_t count = 0;
    for (const GroupNumber group : partition) {
        if (!used[group]) {
            used[group] = true;
            ++count;
        }
    }
    if (count != *highest + 1) throw_gaps();
    return count;
}

void fill(Labels& row_labels, int width, double start, double step) {
    if (width < 2 || width - 2 > 255)
        throw RangeError("row label width " + decimal(width) + " is outside 2 .. 257");
    std::size_t row = 0;
    accumulate_thresholds(start, step, row_labels.size(), [&](double threshold) {
        row_labels[row++] = right_justified_or_whole(fixed_point(threshold, width - 2), width);
    });
}

void fill(Labels& row_labels, int width, long long start, long long step) {
    long long value = start;
    for (std::size_t i = 0; i < row_labels.size(); ++i) {
        if (i > 0 && __builtin_add_overflow(value, step, &value))
            throw RangeError("row number beyond " + decimal(value) + " overflows");
        row_labels[i] = right_justified(decimal(value), width);
    }
}

Labels repeat(const Labels& names, int times) {
    Labels result;
    if (names.empty() || times <= 0) return result;
    const text_utils::CharacterMapping blanks_to_underscores = text_utils::map_all(text_utils::whitespace(), '_');
    result.reserve(names.size() * static_cast<std::size_t>(times));
    for (int c = 0; c < times; ++c)
        for (const Label& name : names)
            result.push_back(text_utils::translate(name + ' ' + decimal(c), blanks_to_underscores));
    return result;
}

}  // namespace phylo::partitions

namespace phylo::partitions {

void squeeze(PartitionSet& set) {
    for (std::size_t p = 1; p < set.size(); ++p) {
        const PartitionRef& earlier = set[p - 1];
        PartitionRef& later = set[p];
        if (earlier && later && earlier != later && *earlier == *later) later = earlier;
    }
}

}  // namespace phylo::partitions
