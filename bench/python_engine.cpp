// The C++ side of bench/python.sh: the job of tarvix.optimise(M, REF,
// maximum=0.1, step=0.001, fraction=F) called straight on the library, on a
// matrix already in memory, timed in-process. Reads the matrix as raw
// doubles (written by numpy's tofile) with its labels, the reference
// partition file, then times the engines alone: the reference matched to the
// labels, the clustering series, the similarity table and the best
// thresholds. Prints the seconds.
//
//   python_engine MATRIX.bin LABELS.txt REF.txt F
#include <sys/mman.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "phylo/io/partition_file.hpp"
#include "phylo/io/text_input.hpp"
#include "phylo/partitions/partitions.hpp"
#include "phylo/partitions/similarity.hpp"
#include "phylo/partitions/statistics.hpp"
#include "phylo/series/glc_series.hpp"
#include "phylo/thresholds.hpp"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s MATRIX.bin LABELS.txt REF.txt F\n", argv[0]);
        return 2;
    }
    phylo::Labels labels;
    std::ifstream label_file(argv[2]);
    for (std::string line; std::getline(label_file, line);) labels.push_back(line);
    const std::size_t n = labels.size();
    // The storage as numpy allocates a large array: aligned, and asked for
    // transparent huge pages, so that both sides read memory the same way.
    const std::size_t bytes = (n * n * sizeof(double) + (1u << 21) - 1) & ~std::size_t((1u << 21) - 1);
    double* storage = static_cast<double*>(std::aligned_alloc(1u << 21, bytes));
    madvise(storage, bytes, MADV_HUGEPAGE);
    std::ifstream values(argv[1], std::ios::binary);
    values.read(reinterpret_cast<char*>(storage), static_cast<std::streamsize>(n * n * sizeof(double)));
    if (!values) return std::fprintf(stderr, "short matrix file\n"), 1;
    const phylo::RealMatrix matrix = phylo::RealMatrix::view_of(n, storage);
    const auto input = phylo::io::TextInput::open(argv[3]);
    const phylo::GroupNameTable table = phylo::io::partition_file::get_transposed(*input, '\t', '"');
    const double fraction = std::atof(argv[4]);

    const auto start = std::chrono::steady_clock::now();
    const phylo::PartitionSet references = phylo::partitions::to_group_numbers(labels, table);
    const std::int32_t count = phylo::threshold_count(0.0, 0.1, 0.001);
    phylo::PartitionSet series(static_cast<std::size_t>(count) + 1);
    phylo::series::glc_series(matrix, false, series, 0.0, 0.001, fraction);
    phylo::RealData similarities(series.size());
    phylo::partitions::partition_similarities(series, references, similarities);
    std::vector<double> thresholds(series.size());
    phylo::partitions::fill(thresholds, 0.0, 0.001);
    double checksum = 0;
    for (std::size_t j = 1; j < similarities.rows.front().size(); ++j)
        checksum += phylo::partitions::best(similarities.rows, j, thresholds, true).position;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%.6f %.8f\n", elapsed.count(), checksum);
    return 0;
}
