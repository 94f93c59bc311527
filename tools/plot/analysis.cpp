#include "analysis.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

namespace tarvix::plot {

Best best_threshold(const std::vector<double>& values, const std::vector<double>& thresholds) {
    double best = values.front();
    double low = thresholds.front();
    double high = low;
    for (std::size_t r = 1; r < values.size(); ++r) {
        if (values[r] > best) {
            best = values[r];
            low = high = thresholds[r];
        } else if (values[r] == best) {
            low = std::min(low, thresholds[r]);
            high = std::max(high, thresholds[r]);
        }
    }
    return {best, (high - low) * 0.5 + low};
}

std::optional<double> finite_median(std::vector<double> values) {
    std::erase_if(values, [](double v) { return !std::isfinite(v); });
    if (values.empty()) return std::nullopt;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    if (values.size() % 2 == 1) return values[middle];
    return (values[middle - 1] + values[middle]) * 0.5;
}

LabelParts split_label(const std::string& label) {
    const std::size_t digits = label.find_last_not_of("0123456789");
    const bool numbered = digits != std::string::npos && digits + 1 < label.size() && label[digits] == '_' &&
                          label.size() - digits - 1 <= 9;
    if (!numbered) return {label, std::nullopt};
    // The index names are padded with blanks before the number is appended,
    // and the blanks became underscores: "Raw_4    " + " 0" -> "Raw_4_____0".
    const std::size_t end = label.find_last_not_of('_', digits);
    const std::string index = end == std::string::npos ? std::string() : label.substr(0, end + 1);
    return {index, std::stoi(label.substr(digits + 1))};
}

std::vector<Block> group_blocks(const std::vector<std::string>& labels) {
    std::vector<Block> blocks;
    for (std::size_t c = 0; c < labels.size(); ++c) {
        const std::optional<int> number = split_label(labels[c]).block;
        auto block = std::find_if(blocks.begin(), blocks.end(), [&](const Block& b) { return b.number == number; });
        if (block == blocks.end()) block = blocks.insert(blocks.end(), Block{number, {}});
        block->columns.push_back(c);
    }
    return blocks;
}

bool is_similarity_index(const std::string& index) {
    static constexpr std::array<std::string_view, 7> names = {"Shared_I.", "Modif._RI", "Rand_Ind.", "Raw_4",
                                                              "Correct_4", "Raw_3",     "Correct_3"};
    return std::find(names.begin(), names.end(), index) != names.end();
}

std::vector<Tally> tally(std::vector<double> values) {
    std::erase_if(values, [](double v) { return !std::isfinite(v); });
    std::sort(values.begin(), values.end());
    std::vector<Tally> tallies;
    for (const double v : values) {
        if (tallies.empty() || tallies.back().value != v)
            tallies.push_back({v, 1});
        else
            ++tallies.back().count;
    }
    return tallies;
}

}  // namespace tarvix::plot
