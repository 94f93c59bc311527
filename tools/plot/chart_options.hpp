// What the user chose about the pictures beyond the tables themselves.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tarvix::plot {

// A reference line across the threshold axis (--mark 0.05:95% ANI).
struct Mark {
    double threshold;
    std::string text;
};

struct ChartOptions {
    bool log_x = false;             // --log-x
    std::optional<double> x_max;    // --xmax; without it a chart may zoom in by itself
    bool ani = false;               // --ani: a second threshold axis in ANI percent
    std::vector<Mark> marks;        // --mark, in command-line order
    // --groups: the number of groups of each reference partition, in the
    // order of the reference file's columns; empty when not given.
    std::vector<std::size_t> reference_groups;
};

}  // namespace tarvix::plot
