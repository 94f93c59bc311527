#include "phylo/partitions/statistics.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "phylo/errors.hpp"
#include "phylo/thresholds.hpp"
#include "phylo/heap_sort.hpp"
#include "phylo/number_images.hpp"

namespace phylo::partitions {
namespace {

// Where NaNs land and whether -0.0 or +0.0 is picked among ties depend on
// the sort procedure, so every sorted copy goes through the one heap sort.
std::vector<double> sorted_copy(std::span<const double> sample) {
    std::vector<double> copy(sample.begin(), sample.end());
    heap_sort(copy.data(), copy.size());
    return copy;
}

// The element at a rank given as a real, which must fall inside the sample.
double at_rank(const std::vector<double>& sorted, double rank) {
    if (!(rank >= 0.0 && rank < static_cast<double>(sorted.size()))) {
        throw IndexError("rank " + real_image(rank) + " outside a sample of " + decimal(sorted.size()));
    }
    return sorted[static_cast<std::size_t>(rank)];
}

void check_rows(const std::vector<std::vector<double>>& rows, std::span<const double> positions,
                const char* message) {
    if (rows.size() != positions.size()) throw SizeError(size_error::real_chars, message);
    if (rows.empty()) throw IndexError("best of a table without rows");
}

BestResult best_of_column(const std::vector<std::vector<double>>& rows, std::size_t column,
                          std::span<const double> positions, bool maximise) {
    auto score_at = [&](std::size_t r) {
        if (column >= rows[r].size()) {
            throw IndexError("column " + decimal(column) + " outside row " + decimal(r));
        }
        return rows[r][column];
    };
    double best = score_at(0);
    double low = positions[0];
    double high = positions[0];
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const double score = score_at(r);
        if (maximise ? score > best : score < best) {
            best = score;
            low = high = positions[r];
        } else if (score == best) {
            low = std::min(low, positions[r]);
            high = std::max(high, positions[r]);
        }
    }
    return {best, (high - low) * 0.5 + low};
}

// The median of a sample already sorted: the middle element, or the mean of
// the two middle elements when the count is even. With an odd count the
// middle element is the median itself: averaging it with itself would only
// overflow for elements beyond half the largest double.
double median_of_sorted(std::span<const double> sorted) {
    if (sorted.empty()) throw IndexError("median of an empty sample");
    const std::size_t middle = sorted.size() / 2;
    if (sorted.size() % 2 == 1) return sorted[middle];
    return (sorted[middle - 1] + sorted[middle]) * 0.5;
}

}  // namespace

ParametricSummary parametric(std::span<const double> sample) {
    const double reciprocal = 1.0 / static_cast<double>(sample.size());
    double sum = 0.0;
    double squares = 0.0;
    for (const double x : sample) {
        sum = sum + x;
        squares = squares + x * x;
    }
    const double variance = (squares - sum * sum * reciprocal) * reciprocal;
    // Rounding can leave the one-pass variance slightly negative; it and an
    // undefined (NaN) variance count as no spread at all, and a zero variance
    // gives exactly 0 without taking the root.
    const double deviation = variance > 0.0 ? std::sqrt(variance) : 0.0;
    return {sum * reciprocal, deviation};
}

double median(std::span<double> sample) {
    if (sample.empty()) throw IndexError("median of an empty sample");
    heap_sort(sample.data(), sample.size());
    return median_of_sorted(sample);
}

// One sort for the median and one for the deviations. Sorting the sorted
// copy again is not harmless: with a NaN among the values the heap sort
// moves it, and the middle changes.
NonparametricSummary nonparametric(std::span<const double> sample) {
    if (sample.empty()) throw IndexError("median of an empty sample");
    std::vector<double> copy = sorted_copy(sample);
    NonparametricSummary summary{};
    summary.minimum = copy.front();
    summary.maximum = copy.back();
    summary.median = median_of_sorted(copy);
    for (double& x : copy) x = std::fabs(x - summary.median);
    heap_sort(copy.data(), copy.size());
    summary.median_deviation = median_of_sorted(copy);
    return summary;
}

Interval interval(std::span<const double> sample, double confidence) {
    const double alpha = (1.0 - confidence) * 0.5;
    if (!(alpha >= 0.0 && alpha <= 0.5)) {
        throw RangeError("confidence " + real_image(confidence) + " is outside 0 .. 1");
    }
    const std::vector<double> sorted = sorted_copy(sample);
    const auto n = static_cast<double>(sorted.size());
    return {at_rank(sorted, std::round(n * alpha)), at_rank(sorted, std::round(n * (1.0 - alpha)) - 1.0)};
}

BestResult best(const std::vector<std::vector<double>>& rows, std::size_t column, std::span<const double> positions,
                bool maximise) {
    check_rows(rows, positions, "generic_float_functions:394 instantiated at phylo:240");
    return best_of_column(rows, column, positions, maximise);
}

std::vector<double> best(const std::vector<std::vector<double>>& rows, std::span<const double> positions,
                         bool maximise) {
    check_rows(rows, positions, "generic_float_functions:445 instantiated at phylo:240");
    std::vector<double> result;
    result.reserve(2 * rows.front().size());
    for (std::size_t column = 0; column < rows.front().size(); ++column) {
        const BestResult found = best_of_column(rows, column, positions, maximise);
        result.push_back(found.score);
        result.push_back(found.position);
    }
    return result;
}

double fill(std::vector<double>& values, double start, double step) {
    std::size_t k = 0;
    return accumulate_thresholds(start, step, values.size(), [&](double t) { values[k++] = t; });
}

}  // namespace phylo::partitions
