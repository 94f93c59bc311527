// The run settings read from the command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "phylo/graph/builders.hpp"
#include "phylo/graph/guided.hpp"
#include "phylo/io/read.hpp"

namespace tarvix {

// The ten run modes; each names the report that the inputs receive.
enum class RunMode : int {
    single_threshold_quality = 0,   // no mode option
    internal_optimisation = 1,      // -h
    corrected_reference_quality = 2,  // -e
    guided_clustering = 3,          // -g
    reference_quality = 4,          // -c
    partition_similarity = 5,       // -r
    jackknife = 6,                  // -j
    label_listing = 7,              // -l
    reference_optimisation = 8,     // -o
    two_matrix_optimisation = 9,    // -o with -d
};

// 1/e, the default fraction of objects deleted per jackknife replicate.
double default_deletion_fraction();

struct Settings {
    double maximum_threshold = 0.0;                 // -a
    double minimum_threshold = 0.0;                 // -i
    double step = 0.01;                             // -s
    double fraction = 0.0;                          // -f
    double deletion_fraction = default_deletion_fraction();  // -k
    std::int32_t replicates = 100;                  // -n
    std::int32_t seed = 12051973;                   // -w
    phylo::io::read::DistInputFormat format = phylo::io::read::DistInputFormat::EXTENDED_PHYLIP;  // -p -x -t
    bool verbose = false;                           // -v
    RunMode mode = RunMode::single_threshold_quality;
    std::optional<std::string> reference_file;      // -c -j -o -r -e -g
    std::optional<std::string> second_file;         // -d
    bool row_sum_preordering = false;               // -q
    bool shortest_paths = false;                    // -y
    std::optional<double> index_variant;            // -1
    phylo::graph::GraphType graph_kind = phylo::graph::GraphType::RNG;        // -b, by position 0 .. 6
    phylo::graph::TrimmingType trimming = phylo::graph::TrimmingType::NONE;   // -z, 0 .. 1
    bool long_edges = true;                                                   // -u, 0 or 1
    phylo::graph::MergingType merging = phylo::graph::MergingType::NONE;      // -m, 0 .. 2
};

}  // namespace tarvix
