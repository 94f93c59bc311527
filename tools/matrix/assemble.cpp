#include "assemble.hpp"

#include <algorithm>
#include <string>

#include "errors.hpp"
#include "ordered_pipeline.hpp"

namespace tarvix::matrix {

void complete(ReadMatrix& matrix, Asymmetry asymmetry, std::optional<double> missing) {
    TiledMatrix& values = matrix.values;
    const std::size_t n = matrix.labels.size();
    values.reserve(n);
    std::size_t missing_count = 0;
    // Tile by tile, each upper tile with its mirror below the diagonal, so
    // that both stay in the cache: a plain pass along the rows would read
    // the lower triangle down its columns, a cache miss per value. Every
    // pair is decided on its own, so the order of the pass changes nothing.
    constexpr std::size_t kTile = TiledMatrix::kTile;
    for (std::size_t row_start = 0; row_start < n; row_start += kTile) {
        const std::size_t row_end = std::min(n, row_start + kTile);
        for (std::size_t column_start = row_start; column_start < n; column_start += kTile) {
            const std::size_t column_end = std::min(n, column_start + kTile);
            for (std::size_t i = row_start; i < row_end; ++i) {
                if (column_start == row_start) {
                    double& diagonal = values.at(i, i);
                    if (TiledMatrix::is_absent(diagonal)) diagonal = 0.0;
                }
                for (std::size_t j = std::max(i + 1, column_start); j < column_end; ++j) {
                    const double forward = values.get(i, j);
                    const double backward = values.get(j, i);
                    const bool have_forward = !TiledMatrix::is_absent(forward);
                    const bool have_backward = !TiledMatrix::is_absent(backward);
                    double one = 0, other = 0;
                    if (have_forward && have_backward) {
                        switch (asymmetry) {
                            case Asymmetry::mean: one = other = (forward + backward) / 2; break;
                            case Asymmetry::min: one = other = std::min(forward, backward); break;
                            case Asymmetry::max: one = other = std::max(forward, backward); break;
                            case Asymmetry::both: one = forward, other = backward; break;
                        }
                    } else if (have_forward || have_backward) {
                        one = other = have_forward ? forward : backward;
                    } else if (missing) {
                        one = other = *missing;
                    } else {
                        ++missing_count;
                        continue;
                    }
                    values.at(i, j) = one;
                    values.at(j, i) = other;
                }
            }
        }
    }
    if (missing_count == 0) return;
    // The first few missing pairs in the order of the rows: those left absent.
    constexpr std::size_t kShown = 5;
    std::string first_missing;
    std::size_t shown = 0;
    for (std::size_t i = 0; i < n && shown < kShown; ++i)
        for (std::size_t j = i + 1; j < n && shown < kShown; ++j)
            if (TiledMatrix::is_absent(values.get(i, j))) {
                first_missing += shown++ == 0 ? "" : ", ";
                first_missing += matrix.labels.label(i) + " and " + matrix.labels.label(j);
            }
    throw InputError(0, std::to_string(missing_count) + (missing_count == 1 ? " pair is" : " pairs are") +
                            " missing (" + first_missing + (missing_count > kShown ? ", ..." : "") +
                            "); fill them with --missing VALUE");
}

namespace {

// Rows [first, first + count) of the matrix as text; the first block
// begins with the count line.
struct RowBlock {
    std::size_t first = 0;
    std::size_t count = 0;
    std::string text;  // never shrinks, so that its room is made once
    std::size_t size = 0;
};

void format_rows(const ReadMatrix& matrix, RowBlock& block) {
    const std::size_t n = matrix.labels.size();
    std::size_t used = 0;
    if (block.first == 0) {
        const std::string count = std::to_string(n) + "\n";
        if (block.text.size() < count.size()) block.text.resize(count.size());
        count.copy(block.text.data(), count.size());
        used = count.size();
    }
    for (std::size_t i = block.first; i < block.first + block.count; ++i) {
        const std::string& label = matrix.labels.label(i);
        // Room for the label, a blank and the longest shortest double per
        // value, and the line end.
        const std::size_t room = used + label.size() + n * 34 + 1;
        if (block.text.size() < room) block.text.resize(room);
        char* out = block.text.data() + used;
        out = std::copy(label.begin(), label.end(), out);
        constexpr std::size_t kTile = TiledMatrix::kTile;
        for (std::size_t t = 0; t * kTile < n; ++t) {
            const double* values = matrix.values.tile_row(i, t);
            const std::size_t end = std::min(n - t * kTile, kTile);
            for (std::size_t k = 0; k < end; ++k) {
                *out++ = ' ';
                out = write_shortest(out, values ? values[k] : TiledMatrix::absent());
            }
        }
        *out++ = '\n';
        used = static_cast<std::size_t>(out - block.text.data());
    }
    block.size = used;
}

}  // namespace

void write_phylip(const ReadMatrix& matrix, const std::function<void(std::string_view)>& sink) {
    const std::size_t n = matrix.labels.size();
    // Blocks of about a megabyte of text (a value takes about 12 bytes).
    constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
    const std::size_t rows = std::max<std::size_t>(1, kBlockBytes / (12 * std::max<std::size_t>(n, 1)));
    std::size_t next = 0;
    bool first = true;
    const unsigned workers = worker_count();
    run_ordered<RowBlock>(
        workers, std::size_t{workers} + 2,
        [&](RowBlock& block) {
            // The count line goes out even for a matrix without rows.
            if (next >= n && !first) return false;
            first = false;
            block.first = next;
            block.count = std::min(rows, n - next);
            next += block.count;
            return true;
        },
        [&](RowBlock& block) { format_rows(matrix, block); },
        [&](RowBlock& block, const std::function<void()>&) { sink(std::string_view(block.text.data(), block.size)); });
}

}  // namespace tarvix::matrix
