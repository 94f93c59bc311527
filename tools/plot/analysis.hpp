// What the charts show besides the raw values: best thresholds, medians and
// the grouping of index columns by partition.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tarvix::plot {

struct Best {
    double value;
    double threshold;
    double low;   // the lowest threshold that reaches the value
    double high;  // the highest one
};

// The best (highest) value of a column and the threshold tarvix reports for
// it: the middle between the lowest and the highest threshold that reach the
// value, as in tarvix's own best-threshold table. An earlier value is only
// replaced by a strictly greater one, so a leading NaN stays the result.
// `values` and `thresholds` have the same, non-zero length.
Best best_threshold(const std::vector<double>& values, const std::vector<double>& thresholds);

// True for a printed value that stands for "not defined" rather than a
// result: the Calinski-Harabasz criterion is -1 for a partition of one group
// or of singletons only.
bool is_undefined_value(const std::string& index, double value);

// The values of a column as they are drawn: values that are not defined
// become NaN, which leaves a gap.
std::vector<double> drawn_values(const std::string& label, std::vector<double> values);

// True when the best of a column is a value worth marking.
bool has_best(const std::string& label, const Best& best);

// The notes under a panel for the columns whose best reaches an end of the
// threshold series, where a better threshold may lie outside it: one line for
// the first threshold, one for the last. `thresholds` ascend.
std::vector<std::string> end_notes(const std::vector<std::string>& labels, const std::vector<Best>& bests,
                                   const std::vector<double>& thresholds);

// The 95% interval of the finite values, the way tarvix computes its
// Lw._Bnd._2 and Up._Bnd._2: the sorted values at N(n * a) and
// N(n * (1 - a)) - 1 with a = (1 - 0.95) / 2, N rounding halves away from 0.
struct Interval {
    double low;
    double high;
};
std::optional<Interval> interval_95(std::vector<double> values);

// The median of the finite values (the mean of the two middle ones for an
// even count), or nothing when there is none.
std::optional<double> finite_median(std::vector<double> values);

// A column label split into its index name and its partition block:
// "Modif._RI_2" -> ("Modif._RI", 2), "Raw_4_____0" -> ("Raw_4", 0). A label
// without a numeric suffix has no block.
struct LabelParts {
    std::string index;
    std::optional<int> block;
};
LabelParts split_label(const std::string& label);

// The columns of one partition block, in table order.
struct Block {
    std::optional<int> number;
    std::vector<std::size_t> columns;
};

// Groups the labels by block, blocks in order of first appearance.
std::vector<Block> group_blocks(const std::vector<std::string>& labels);

// True for the names of the partition similarity indices; in tables of these
// the last block holds the means over all reference partitions.
bool is_similarity_index(const std::string& index);

// Distinct finite values in ascending order, each with how often it occurs.
struct Tally {
    double value;
    std::size_t count;
};
std::vector<Tally> tally(std::vector<double> values);

}  // namespace tarvix::plot
