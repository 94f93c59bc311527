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
      held_(std::move(held)),
      source_done_(at_end),
      at_end_(at_end && held_.empty()),
      // A full block without a line end then holds a line that is too long.
      capacity_(std::max(block_size, max_line + 2)),
      bytes_read_(bytes_read),
      progress_(progress) {}

std::size_t BlockReader::read_some(char* buffer, std::size_t size) {
    if (held_used_ < held_.size()) {
        const std::size_t n = std::min(size, held_.size() - held_used_);
        std::memcpy(buffer, held_.data() + held_used_, n);
        held_used_ += n;
        if (held_used_ == held_.size()) std::string().swap(held_);
        return n;
    }
    if (source_done_) return 0;
    const std::size_t got = source_.read(buffer, size);
    if (got == 0) source_done_ = true;
    return got;
}

bool BlockReader::next(std::vector<char>& block, std::size_t& size, std::exception_ptr& error, std::size_t lines) {
    error = nullptr;
    const std::size_t capacity = capacity_;
    if (block.size() < capacity) block.resize(capacity);
    size = tail_.size();
    std::memcpy(block.data(), tail_.data(), size);
    tail_.clear();
    while (size < capacity && !at_end_) {
        std::size_t got = 0;
        try {
            got = read_some(block.data() + size, capacity - size);
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
