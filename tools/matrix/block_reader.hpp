// The rest of an input in blocks of whole lines, for readers that parse
// blocks on several threads. Each block is read straight into a buffer the
// caller owns and reuses; only the unfinished line at its end is copied, to
// the front of the next block.
#pragma once

#include <cstddef>
#include <exception>
#include <string>
#include <vector>

#include "byte_source.hpp"

namespace tarvix::matrix {

class Progress;

class BlockReader {
public:
    // A megabyte: large enough that handing blocks over costs nothing
    // against parsing them, small enough that the blocks in flight stay a
    // few megabytes.
    static constexpr std::size_t kBlockSize = std::size_t{1} << 20;

    // `held`: bytes already taken from `source` but not yet used (the rest of
    // a LineReader's buffer); `bytes_read` counts those taken so far, for the
    // progress line. Blocks are `block_size` bytes or a little less (and
    // longer than `max_line`). A line longer than `max_line` bytes ends its
    // block without its line end: the parser of the block reports it.
    BlockReader(ByteSource& source, std::string held, bool at_end, std::size_t max_line, std::size_t bytes_read,
                Progress* progress = nullptr, std::size_t block_size = kBlockSize);

    // Fills `block` (grown as needed, never shrunk) with the next `size`
    // bytes: whole lines, the last one possibly without its line end at the
    // end of the input. When the source fails, the block holds the whole
    // lines read before and `error` the failure, and the input ends there.
    // Returns false, with nothing read, at the end of the input. `lines`
    // (the lines done so far) is only shown on the progress line.
    bool next(std::vector<char>& block, std::size_t& size, std::exception_ptr& error, std::size_t lines);

private:
    // Bytes from `held`, then from the source.
    std::size_t read_some(char* buffer, std::size_t size);

    ByteSource& source_;
    std::string held_;  // given back once used up
    std::size_t held_used_ = 0;
    bool source_done_;  // the source has returned its last byte
    std::string tail_;  // the unfinished line after the last block
    bool at_end_;
    std::size_t capacity_;
    std::size_t bytes_read_;
    Progress* progress_;
};

}  // namespace tarvix::matrix
