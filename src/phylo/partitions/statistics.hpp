// Descriptive statistics over samples of reals, the choice of the best
// position of a series, and the accumulated threshold values of a series.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace phylo::partitions {

struct ParametricSummary {
    double mean;
    double deviation;  // population standard deviation (divisor n)
};

struct NonparametricSummary {
    double median;
    double median_deviation;  // median absolute deviation, unscaled
    double minimum;
    double maximum;
};

struct Interval {
    double lower;
    double upper;
};

struct BestResult {
    double score;
    double position;
};

// Mean and population standard deviation by the one-pass formula. A variance
// that is negative by rounding, zero or not a number gives a deviation of
// exactly 0; an empty sample gives a NaN mean and deviation 0.
ParametricSummary parametric(std::span<const double> sample);

// Sorts the sample in place (phylo::heap_sort) and returns its median, the
// mean of the two middle elements when the count is even. An empty sample is
// an IndexError.
double median(std::span<double> sample);

// Median, median absolute deviation, minimum and maximum, from sorted copies;
// the sample itself is left alone. An empty sample is an IndexError.
NonparametricSummary nonparametric(std::span<const double> sample);

// The elements of a sorted copy at ranks round(n a) and round(n (1 - a)) - 1,
// a = (1 - confidence) x 0.5, rounded half away from zero. A confidence
// outside 0 .. 1 (a outside 0 .. 0.5) is a RangeError; a rank outside the
// sample an IndexError.
Interval interval(std::span<const double> sample, double confidence);

// The best value of one column over the rows (greatest when maximising,
// smallest otherwise) and the midpoint of the lowest and the highest position
// value among the rows that reach it; the first row starts the search and
// later equal values only widen the span. Rows and positions of different
// counts: SizeError; no rows or a column outside a row: IndexError.
BestResult best(const std::vector<std::vector<double>>& rows, std::size_t column, std::span<const double> positions,
                bool maximise);

// The same for every column of the first row c: element 2c holds the best
// value, element 2c + 1 its position value.
std::vector<double> best(const std::vector<std::vector<double>>& rows, std::span<const double> positions,
                         bool maximise);

// Writes start, start + step, start + step + step, ... (accumulated by
// repeated addition) into values and returns the value that would come next.
double fill(std::vector<double>& values, double start, double step);

}  // namespace phylo::partitions
