#include "block_reader.hpp"

#include <algorithm>
#include <cstring>

#include "progress.hpp"

namespace tarvix::matrix {

namespace {

std::size_t after_last_line_end(const char* text, std::size_t size) {
    const void* last = size > 0 ? ::memrchr(text, '\n', size) : nullptr;
    return last ? static_cast<std::size_t>(static_cast<const char*>(last) - text) + 1 : 0;
}
}  // namespace

BlockReader::BlockReader(ByteSource& source, std::string held, bool at_end, std::size_t max_line,
                         std::size_t bytes_read, Progress* progress, std::size_t block_size)
    : source_(source),
      tail_(std::move(held)),
      at_end_(at_end),
      // A full block without a line end then holds a line that is too long.
      capacity_(std::max(block_size, max_line + 2)),
      bytes_read_(bytes_read),
      progress_(progress) {}

bool BlockReader::next(std::vector<char>& block, std::size_t& size, std::exception_ptr& error, std::size_t lines) {
    error = nullptr;
    const std::size_t capacity = std::max(capacity_, tail_.size());
    if (block.size() < capacity) block.resize(capacity);
    size = tail_.size();
    std::memcpy(block.data(), tail_.data(), size);
    tail_.clear();
    while (size < capacity && !at_end_) {
        std::size_t got = 0;
        try {
            got = source_.read(block.data() + size, capacity - size);
        } catch (...) {
            // The lines before the failure are parsed first, as they would
            // be by a reader going line by line.
            error = std::current_exception();
            at_end_ = true;
            size = after_last_line_end(block.data(), size);
            return true;
        }
        if (got == 0) at_end_ = true;
        size += got;
        bytes_read_ += got;
    }
    if (progress_) progress_->update(source_.name(), bytes_read_, lines);
    if (size == 0) return false;
    if (!at_end_) {
        const std::size_t whole = after_last_line_end(block.data(), size);
        // No line end in a full block: a line longer than any accepted,
        // handed over as it is.
        if (whole > 0) {
            tail_.assign(block.data() + whole, size - whole);
            size = whole;
        }
    }
    return true;
}

}  // namespace tarvix::matrix
