#include "analysis.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
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
    return {best, (high - low) * 0.5 + low, low, high};
}

bool is_undefined_value(const std::string& index, double value) { return index == "Cal._Har." && value == -1; }

std::vector<double> drawn_values(const std::string& label, std::vector<double> values) {
    const std::string index = split_label(label).index;
    for (double& v : values)
        if (is_undefined_value(index, v)) v = std::numeric_limits<double>::quiet_NaN();
    return values;
}

bool has_best(const std::string& label, const Best& best) {
    return std::isfinite(best.value) && !is_undefined_value(split_label(label).index, best.value);
}

std::vector<std::string> end_notes(const std::vector<std::string>& labels, const std::vector<Best>& bests,
                                   const std::vector<double>& thresholds) {
    if (thresholds.size() < 2) return {};
    std::string at_first;
    std::string at_last;
    for (std::size_t c = 0; c < labels.size(); ++c) {
        if (!has_best(labels[c], bests[c])) continue;
        if (bests[c].low == thresholds.front()) at_first += (at_first.empty() ? "" : ", ") + labels[c];
        if (bests[c].high == thresholds.back()) at_last += (at_last.empty() ? "" : ", ") + labels[c];
    }
    std::vector<std::string> notes;
    if (!at_first.empty())
        notes.push_back("Best at the first threshold (" + at_first + "): a better one may lie below; " +
                        (thresholds.front() > 0 ? "lower -i or take a smaller step -s" : "take a smaller step -s"));
    if (!at_last.empty())
        notes.push_back("Best at the last threshold (" + at_last + "): a better one may lie above; extend -a");
    return notes;
}

std::optional<Interval> interval_95(std::vector<double> values) {
    std::erase_if(values, [](double v) { return !std::isfinite(v); });
    if (values.empty()) return std::nullopt;
    std::sort(values.begin(), values.end());
    const double alpha = (1 - 0.95) * 0.5;
    const double n = static_cast<double>(values.size());
    const auto lower = static_cast<std::size_t>(std::round(n * alpha));
    const auto upper = static_cast<std::size_t>(std::round(n * (1 - alpha)));
    return Interval{values[std::min(lower, values.size() - 1)], values[std::max<std::size_t>(upper, 1) - 1]};
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
