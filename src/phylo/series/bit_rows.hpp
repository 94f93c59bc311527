// A square Boolean matrix stored as rows of 64-bit words, so that whole rows
// are compared, intersected and searched a word at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace phylo::series {

using Word = std::uint64_t;

class BitRows {
public:
    explicit BitRows(std::size_t n) : n_(n), words_((n + 63) / 64), bits_(n * words_, 0) {}

    std::size_t size() const noexcept { return n_; }
    std::size_t words() const noexcept { return words_; }
    const Word* row(std::size_t i) const noexcept { return bits_.data() + i * words_; }
    bool test(std::size_t i, std::size_t k) const noexcept { return (row(i)[k / 64] >> (k % 64) & 1) != 0; }
    void set(std::size_t i, std::size_t k) noexcept { bits_[i * words_ + k / 64] |= Word{1} << (k % 64); }

private:
    std::size_t n_;
    std::size_t words_;
    std::vector<Word> bits_;
};

}  // namespace phylo::series
