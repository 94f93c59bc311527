// The data types every part of the library passes around: labels, the square
// distance matrix, partitions and partition sets, report tables and the
// group-name table of a partition file. Everything is indexed from 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "phylo/real_matrix.hpp"

namespace phylo {

// An object's name: any 8-bit characters, compared exactly.
using Label = std::string;
using Labels = std::vector<Label>;

// A distance matrix with one label per object; matrix(i, k) is the distance
// from object i to object k exactly as read (symmetry is not assumed).
struct Squared {
    Labels labels;
    RealMatrix matrix;

    std::size_t size() const noexcept { return labels.size(); }
};

// One group number per object, numbered 0..G-1 without gaps.
using GroupNumber = std::int32_t;
using Partition = std::vector<GroupNumber>;
using PartitionRef = std::shared_ptr<const Partition>;

// A series of partitions (one per threshold, or one per file column). Only
// neighbouring positions may hold the same partition object; consumers
// recognise such runs by pointer identity and compute them once.
using PartitionSet = std::vector<PartitionRef>;

// A report table of reals with one label per row.
struct RealData {
    Labels labels;
    std::vector<std::vector<double>> rows;

    RealData() = default;
    explicit RealData(std::size_t row_count) : labels(row_count), rows(row_count) {}
    std::size_t size() const noexcept { return rows.size(); }
};

// A report table of 32-bit integers with one label per row.
struct CountData {
    Labels labels;
    std::vector<std::vector<std::int32_t>> rows;

    CountData() = default;
    explicit CountData(std::size_t row_count) : labels(row_count), rows(row_count) {}
    std::size_t size() const noexcept { return rows.size(); }
};

// A partition file held as text. As returned by the transposed reader, row 0
// holds the object labels and each further row the group names of one
// partition; position i of every row belongs to the same line of the file.
using GroupNameRow = std::vector<std::string>;
using GroupNameTable = std::vector<GroupNameRow>;

}  // namespace phylo

namespace phylo {

// An n x n matrix of truth values (proximity graphs).
class BooleMatrix {
public:
    BooleMatrix() = default;
    BooleMatrix(std::size_t n, bool value) : n_(n), cells_(n * n, value ? 1 : 0) {}
    std::size_t size() const noexcept { return n_; }
    bool operator()(std::size_t i, std::size_t k) const noexcept { return cells_[i * n_ + k] != 0; }
    void set(std::size_t i, std::size_t k, bool value) noexcept { cells_[i * n_ + k] = value ? 1 : 0; }

private:
    std::size_t n_ = 0;
    std::vector<unsigned char> cells_;
};

}  // namespace phylo
