#include "driver/run_modes.hpp"

#include <array>

#include "driver/report_modes.hpp"

namespace tarvix {

namespace {

// clang-format off
constexpr std::array<RunModeRow, 10> table = {{
    //  mode                                   option reference  column  matrices  report
    {RunMode::single_threshold_quality,        0,     false,     false,  true,     make_single_threshold_quality},
    {RunMode::internal_optimisation,           'h',   false,     false,  true,     make_internal_optimisation},
    {RunMode::corrected_reference_quality,     'e',   true,      false,  true,     make_corrected_reference_quality},
    {RunMode::guided_clustering,               'g',   true,      true,   true,     make_guided_clustering},
    {RunMode::reference_quality,               'c',   true,      true,   true,     make_reference_quality},
    {RunMode::partition_similarity,            'r',   true,      false,  false,    make_partition_similarity},
    {RunMode::jackknife,                       'j',   true,      false,  true,     make_jackknife},
    {RunMode::label_listing,                   'l',   false,     false,  true,     make_label_listing},
    {RunMode::reference_optimisation,          'o',   true,      false,  true,     make_reference_optimisation},
    {RunMode::two_matrix_optimisation,         'd',   true,      true,   true,     make_two_matrix_optimisation},
}};
// clang-format on

}  // namespace

std::span<const RunModeRow> run_modes() { return table; }

const RunModeRow& row_of(RunMode mode) { return table[static_cast<std::size_t>(mode)]; }

const RunModeRow* mode_selected_by(char option) {
    for (const RunModeRow& row : table)
        if (row.option != 0 && row.option == option) return &row;
    return nullptr;
}

}  // namespace tarvix
