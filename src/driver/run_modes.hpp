// The one table of the ten run modes: the option that selects each, what it
// reads before and from its inputs, and the report its inputs receive. The
// option scan, the run and the reports all read it.
#pragma once

#include <memory>
#include <span>

#include "driver/report.hpp"
#include "driver/settings.hpp"

namespace tarvix {

struct RunModeRow {
    RunMode mode;
    char option;                  // the option that selects the mode; 0 for the default run
    bool takes_reference;         // its option names the reference partition file, read once
    bool needs_partition_column;  // that file must hold a partition column
    bool reads_matrices;          // each input item is a distance matrix (else a partition table)
    std::unique_ptr<Report> (*make_report)(const RunContext& context);  // prepares the report
};

// Every mode, in the order of the mode numbers 0 .. 9.
std::span<const RunModeRow> run_modes();

// The row of a mode.
const RunModeRow& row_of(RunMode mode);

// The mode an option selects, or nothing when the option selects none. The
// -o option selects the reference optimisation; with a -d to its right the
// scan turns it into the two-matrix optimisation that -d selects.
const RunModeRow* mode_selected_by(char option);

}  // namespace tarvix
