// The square matrix as it is being filled, in tiles of 64 x 64 values that
// are made when a value first lands in them. The matrix grows with the labels
// without ever copying what it holds, and its memory stays that of the final
// matrix (a growing contiguous array would need twice that while it moves).
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace tarvix::matrix {

class TiledMatrix {
public:
    static constexpr std::size_t kTileBits = 6;
    static constexpr std::size_t kTile = std::size_t{1} << kTileBits;

    // An entry never set holds this value.
    static double absent() noexcept { return std::numeric_limits<double>::quiet_NaN(); }
    static bool is_absent(double value) noexcept { return std::isnan(value); }

    // Makes room for rows and columns 0 .. n - 1; it only grows. Throws
    // InputError when a matrix of that size cannot fit this machine's memory.
    void reserve(std::size_t n);
    std::size_t size() const noexcept { return size_; }

    double get(std::size_t row, std::size_t column) const noexcept {
        const auto& tile = tiles_[row >> kTileBits][column >> kTileBits];
        return tile ? tile[(row & (kTile - 1)) * kTile + (column & (kTile - 1))] : absent();
    }
    // The values of `row` in columns kTile * t .. kTile * t + kTile - 1, or
    // nullptr when none of them was ever set: for passes along a row.
    const double* tile_row(std::size_t row, std::size_t t) const noexcept {
        const auto& tile = tiles_[row >> kTileBits][t];
        return tile ? tile.get() + (row & (kTile - 1)) * kTile : nullptr;
    }
    // Needs reserve() to have covered row and column.
    double& at(std::size_t row, std::size_t column) {
        auto& tile = tiles_[row >> kTileBits][column >> kTileBits];
        if (!tile) tile = new_tile();
        return tile[(row & (kTile - 1)) * kTile + (column & (kTile - 1))];
    }

private:
    static std::unique_ptr<double[]> new_tile();

    std::size_t size_ = 0;
    std::vector<std::vector<std::unique_ptr<double[]>>> tiles_;
};

}  // namespace tarvix::matrix
