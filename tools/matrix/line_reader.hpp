// Lines of a byte source, read in large blocks and handed out as views into
// the block, so that reading a line allocates nothing.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "byte_source.hpp"

namespace tarvix::matrix {

class Progress;
class InputError;

// The failure of a line longer than `max_line` bytes at line `line`.
InputError line_too_long(std::size_t line, std::size_t max_line);

class LineReader {
public:
    // A line longer than `max_line` bytes is an InputError: no input of ours
    // has such lines, so the input is not what it claims to be.
    LineReader(ByteSource& source, std::size_t max_line, Progress* progress = nullptr);

    // The next line without its line end (a carriage return before the line
    // feed is dropped as well). The view lives until the next call. Returns
    // false at the end of the input.
    bool next(std::string_view& line);

    // Hands out the line last returned once more, at the next call.
    void unread() noexcept {
        pushed_back_ = true;
        --line_number_;
    }

    // Changes the longest line accepted from here on.
    void set_max_line(std::size_t max_line);

    // The number of the line last returned, counting from 1.
    std::size_t line_number() const noexcept { return line_number_; }
    const std::string& name() const { return source_.name(); }

    // Hands over the bytes read from the source but not yet returned as
    // lines, for a reader that goes on in blocks (BlockReader); this reader
    // then holds none and gives back its buffer: nothing more is read
    // through it. Not after unread().
    std::string take_held();
    ByteSource& source() const noexcept { return source_; }
    bool at_end() const noexcept { return at_end_; }
    std::size_t bytes_read() const noexcept { return bytes_read_; }
    Progress* progress() const noexcept { return progress_; }

private:
    bool refill();
    bool next_line(std::string_view& line);

    ByteSource& source_;
    std::size_t max_line_;
    Progress* progress_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;  // first unread byte
    std::size_t end_ = 0;    // one past the last byte held
    bool at_end_ = false;
    std::size_t line_number_ = 0;
    std::string_view last_;
    bool pushed_back_ = false;
    std::size_t bytes_read_ = 0;
};

}  // namespace tarvix::matrix
