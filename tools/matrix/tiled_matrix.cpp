#include "tiled_matrix.hpp"

#include <unistd.h>

#include <algorithm>
#include <string>

#include "errors.hpp"

namespace tarvix::matrix {

namespace {

// The bytes of physical memory, or the largest size when it is unknown.
double physical_memory() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long page_size = ::sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || page_size <= 0) return 1e300;
    return static_cast<double>(pages) * static_cast<double>(page_size);
}

}  // namespace

std::unique_ptr<double[]> TiledMatrix::new_tile() {
    auto tile = std::make_unique_for_overwrite<double[]>(kTile * kTile);
    std::fill_n(tile.get(), kTile * kTile, absent());
    return tile;
}

void TiledMatrix::reserve(std::size_t n) {
    if (n <= size_) return;
    // Input that names more objects than a matrix in memory can hold (say a
    // pair list with a new name on every line) stops here, before the tiles
    // that would be needed exhaust the machine.
    const double bytes = static_cast<double>(n) * static_cast<double>(n) * sizeof(double);
    if (bytes > physical_memory())
        throw InputError(0, std::to_string(n) + " objects make a matrix of " +
                                std::to_string(static_cast<long long>(bytes / (1 << 30))) +
                                " GiB, more than the memory of this machine");
    size_ = n;
    const std::size_t tiles = (n + kTile - 1) >> kTileBits;
    if (tiles > tiles_.size()) {
        // Tile rows grow geometrically, so that adding one object at a time
        // stays cheap.
        const std::size_t capacity = std::max(tiles, tiles_.size() + tiles_.size() / 2);
        tiles_.resize(capacity);
        for (auto& row : tiles_) row.resize(capacity);
    }
}

}  // namespace tarvix::matrix
