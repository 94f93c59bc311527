// The verbose tables of tarvix, as tarvix-plot reads them back.
#pragma once

#include <istream>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace tarvix::plot {

// Input that is not a verbose tarvix table; the message names the input and
// the line ("ref.out: line 3: ...").
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One value column of a threshold table, one value per threshold.
struct Column {
    std::string label;
    std::vector<double> values;
};

// A "Threshold \tNo._Clusters\t..." table (tarvix -o -v, -h -v, -o -d -v):
// one row per threshold of the series.
struct ThresholdTable {
    std::size_t first_line = 0;
    std::vector<double> thresholds;
    std::vector<double> clusters;
    std::vector<Column> columns;
};

// One index of the jackknife: per replicate, its best value and the
// threshold at which that value is reached.
struct ReplicateColumn {
    std::string label;
    std::vector<double> best_values;
    std::vector<double> best_thresholds;
};

// A "Replicate \tNo._Clusters\tNo._Clusters\t..." table (tarvix -j -v): one
// row per jackknife replicate, the columns in (best value, threshold) pairs.
// The leading pair belongs to the number of clusters.
struct JackknifeTable {
    std::size_t first_line = 0;
    ReplicateColumn clusters;
    std::vector<ReplicateColumn> columns;
};

using Table = std::variant<ThresholdTable, JackknifeTable>;

// Reads every table of the input, in order. Blank lines separate tables;
// anything else that is not part of a verbose table is an InputError, and so
// is an input without any table. `source` names the input in messages.
std::vector<Table> read_tables(std::istream& in, const std::string& source);

}  // namespace tarvix::plot
